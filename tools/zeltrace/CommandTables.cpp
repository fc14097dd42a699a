#include "CommandTables.h"

#include "fileio/ProgramFolder.h"

namespace zel::tools {

std::optional<CommandTables> loadCommandTables(const std::string& folder, std::string& problem) {
    const std::filesystem::path where = folder.empty() ? fileio::programFolder() : std::filesystem::path(folder);
    std::error_code error;
    auto commands = trace::CommandTable::load(where / trace::kCommandTableFile, error);
    if (!commands) {
        problem = "Error: cannot read " + (where / trace::kCommandTableFile).string() + ": " + error.message();
        return std::nullopt;
    }
    auto io = trace::CommandIoTable::load(where / trace::kCommandIoTableFile, error);
    if (!io) {
        problem = "Error: cannot read " + (where / trace::kCommandIoTableFile).string() + ": " + error.message();
        return std::nullopt;
    }
    return CommandTables{std::move(*commands), std::move(*io)};
}

}  // namespace zel::tools
