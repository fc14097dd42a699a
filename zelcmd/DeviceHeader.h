// Device lines that carry the serial number, and the check shared by every command that touches
// emulator memory: a device that is not opened or is emulating is never used.
#pragma once

#include <cstdint>
#include <string>

namespace zel::cmd {

class CommandContext;

// "(N.A)" for 0xFFFFFFFF, "(VK%06u)" below 100000, "(ZL%06u)" from 100000 up.
std::string serialTag(std::uint32_t serial);
// "Device %d (...) : \n", printed by start and stop.
std::string deviceHeader(int index, std::uint32_t serial);

// Prints "The command can't be executed" and the reason and returns false when device `index`
// is not opened, does not answer or is emulating.
bool deviceIsUsable(CommandContext& context, int index);

// The "Device n : " summary line after the workers: "\nDevice n : " + outcome.
std::string summaryLine(int index, const char* outcome);

}  // namespace zel::cmd
