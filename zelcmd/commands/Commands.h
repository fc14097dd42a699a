// The command flows in dispatch order. Each returns whether its step succeeded; a step whose
// option is absent is not called.
#pragma once

namespace zel::cmd {

class CommandContext;

bool runReset(CommandContext& context);
bool runUpdateFirmware(CommandContext& context);
bool runStop(CommandContext& context);
bool runSetChip(CommandContext& context);
bool runRpmcDownload(CommandContext& context);
bool runBlank(CommandContext& context);
bool runDownload(CommandContext& context);
bool runRead(CommandContext& context);
bool runVerify(CommandContext& context);
bool runCheck(CommandContext& context);
bool runFileChecksum(CommandContext& context);
bool runMemoryChecksum(CommandContext& context);
bool runStart(CommandContext& context);
bool runListDeviceId(CommandContext& context);

}  // namespace zel::cmd
