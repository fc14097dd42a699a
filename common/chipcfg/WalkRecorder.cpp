#include "chipcfg/WalkRecorder.h"

#include <ios>
#include <ostream>

namespace zel::chipcfg {

Result<std::vector<WalkOperation>> recordWalk(Bytes file, ChipSlot slot, const std::function<bool()>& isG2) {
    WalkRecorder recorder;
    auto walked = walkChipConfig(file, slot, isG2, recorder);
    if (!walked) return walked.error();
    return std::move(recorder.operations);
}

const char* toString(WriteKind kind) {
    switch (kind) {
        case WriteKind::Setting: return "setting";
        case WriteKind::SfdpSelect: return "sfdp-select";
        case WriteKind::SfdpData: return "sfdp-data";
        case WriteKind::StatusDefault: return "status-default";
        case WriteKind::ProtectionSelect: return "protection-select";
        case WriteKind::ProtectionData: return "protection-data";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, const RegisterWrite& write) {
    auto flags = out.flags();
    out << toString(write.kind) << " reg 0x" << std::hex << unsigned(write.reg) << " := 0x" << write.value;
    out.flags(flags);
    return out;
}

std::ostream& operator<<(std::ostream& out, const LevelSet& level) {
    return out << (level.isDefault ? "default level " : "level ") << unsigned(level.channel) << " := "
               << level.value;
}

std::ostream& operator<<(std::ostream& out, const WalkFinished&) { return out << "finish"; }

std::ostream& operator<<(std::ostream& out, const WalkOperation& operation) {
    std::visit([&out](const auto& op) { out << op; }, operation);
    return out;
}

}  // namespace zel::chipcfg
