#include "TraceInput.h"

#include <cstdio>
#include <system_error>

#include "fileio/ProgramFolder.h"

namespace zel::zeltrace {
namespace {

std::filesystem::path defaultTablesFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error && std::filesystem::exists(executable.parent_path() / trace::kCommandTableFile, error))
        return executable.parent_path();
    return fileio::programFolder();
}

void complain(const std::string& text) { std::fprintf(stderr, "zeltrace: %s\n", text.c_str()); }

}  // namespace

std::optional<TraceInput> loadTraceInput(const std::filesystem::path& file, const std::string& tablesFolder) {
    TraceInput input;
    auto capture = trace::readTraceFile(file);
    if (!capture) return complain(capture.error().message), std::nullopt;
    input.capture = std::move(capture).capture();
    if (input.capture.droppedPartialRecord)
        complain(file.string() + ": the capture ends inside a record; that record is left out");

    const auto folder = tablesFolder.empty() ? defaultTablesFolder() : std::filesystem::path(tablesFolder);
    std::error_code error;
    const auto commandsPath = folder / trace::kCommandTableFile;
    auto commands = trace::CommandTable::load(commandsPath, error);
    if (!commands) return complain(commandsPath.string() + ": cannot read the command table: " + error.message()), std::nullopt;
    const auto ioPath = folder / trace::kCommandIoTableFile;
    auto io = trace::CommandIoTable::load(ioPath, error);
    if (!io) return complain(ioPath.string() + ": cannot read the command I/O table: " + error.message()), std::nullopt;
    input.commands = *commands;
    input.io = std::move(*io);
    return input;
}

}  // namespace zel::zeltrace
