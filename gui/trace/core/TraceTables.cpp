#include "TraceTables.h"

namespace zel::gui::trace {

std::unique_ptr<TraceTables> TraceTables::load(const std::filesystem::path& folder, std::string& problem) {
    std::error_code error;
    const auto commandsFile = folder / zel::trace::kCommandTableFile;
    auto commands = zel::trace::CommandTable::load(commandsFile, error);
    if (!commands) {
        problem = "Error: cannot read " + commandsFile.string() + ": " + error.message();
        return nullptr;
    }
    const auto ioFile = folder / zel::trace::kCommandIoTableFile;
    auto io = zel::trace::CommandIoTable::load(ioFile, error);
    if (!io) {
        problem = "Error: cannot read " + ioFile.string() + ": " + error.message();
        return nullptr;
    }
    return std::make_unique<TraceTables>(TraceTables{std::move(*commands), std::move(*io)});
}

zel::trace::DecodeContext TraceTables::context(bool generation2, std::uint64_t chipSize, bool translate) const {
    zel::trace::ChipFacts chip;
    if (chipSize != 0) chip.size = chipSize;
    return {commands, io, generation2 ? zel::trace::EmulatorModel::G2 : zel::trace::EmulatorModel::FirstGeneration,
            chip, translate};
}

}  // namespace zel::gui::trace
