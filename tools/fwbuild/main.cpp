// zelfwbuild: synthetic firmware for the simulated emulator. The images carry their versions,
// so a simulated device that boots from them reports what was built (see README.md).
#include "FirmwareBuild.h"
#include "ToolArguments.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace zel::fwbuild;

constexpr const char* kUsageText =
    "Usage: zelfwbuild folder DIR --mcu MAJOR.MINOR --fpga MAJOR.MINOR [--fpga-size N] [--mcu-size N]\n"
    "                  [--names 12|fpga-mcu] [--allow-oversize]\n"
    "       zelfwbuild container FILE --mcu MAJOR.MINOR --fpga MAJOR.MINOR [--fpga-size N] [--mcu-size N]\n"
    "                  [--format raw|hex|s19] [--allow-oversize]\n"
    "folder writes a first-generation firmware folder: 1.bin (FPGA) and 2.bin (MCU), or fpga.bin\n"
    "and mcu.bin. container writes a G2 container: a 72-byte header, then the FPGA and MCU images;\n"
    "its format follows --format, else the extension (.hex Intel HEX, .s19 S-record, else raw).\n"
    "Sizes in bytes (decimal or 0x-hexadecimal); defaults 614400 (FPGA) and 204800 (MCU); at most\n"
    "1048575 (FPGA) and 917247 (MCU) unless --allow-oversize.\n"
    "Exit status: 0 done, 1 usage, 2 sizes refused, 3 cannot write.\n";

using zel::tools::Arguments;

bool parseSize(std::string_view text, uint32_t& value) {
    uint64_t wide = 0;
    if (!zel::tools::parseNumber(text, UINT32_MAX, wide)) return false;
    value = static_cast<uint32_t>(wide);
    return true;
}

int help() {
    std::fputs(kUsageText, stdout);
    return kDone;
}

int usageError(const std::string& problem) { return zel::tools::usageError("zelfwbuild", problem, kUsage); }

// A MAJOR.MINOR option: whether it is there (a malformed one is noted).
bool takeVersion(Arguments& args, const char* option, zel::firmware::Version& version) {
    std::string text;
    if (!args.take(option, text)) return false;
    if (auto parsed = parseVersion(text)) version = *parsed;
    else args.refuse(std::string(option) + " takes MAJOR.MINOR (each 0..255), not " + text);
    return true;
}

void takeSize(Arguments& args, const char* option, uint32_t& size) {
    std::string text;
    if (args.take(option, text) && !parseSize(text, size))
        args.refuse(std::string(option) + " takes a size in bytes, not " + text);
}

// The options both commands share: false when --mcu or --fpga is missing (a malformed option is
// noted).
bool takeRequest(Arguments& args, BuildRequest& request) {
    const bool mcu = takeVersion(args, "--mcu", request.mcu);
    const bool fpga = takeVersion(args, "--fpga", request.fpga);
    takeSize(args, "--fpga-size", request.fpgaSize);
    takeSize(args, "--mcu-size", request.mcuSize);
    request.allowOversize = args.takeFlag("--allow-oversize");
    return mcu && fpga;
}

// --format: nullopt when absent or malformed (that problem is noted).
std::optional<zel::image::Format> takeFormat(Arguments& args) {
    std::string name;
    if (!args.take("--format", name)) return std::nullopt;
    if (name == "raw") return zel::image::Format::Binary;
    if (name == "hex") return zel::image::Format::IntelHex;
    if (name == "s19") return zel::image::Format::SRecord;
    args.refuse("--format takes raw, hex or s19, not " + name);
    return std::nullopt;
}

int finish(int status, const std::string& report) {
    if (status == kDone) std::printf("%s\n", report.c_str());
    else std::fprintf(stderr, "zelfwbuild: %s\n", report.c_str());
    return status;
}

int folder(Arguments& args) {
    BuildRequest request;
    const bool versions = takeRequest(args, request);
    std::string names = "12";
    if (args.take("--names", names) && names != "12" && names != "fpga-mcu")
        args.refuse("--names takes 12 or fpga-mcu, not " + names);
    if (auto problem = args.problem({"COMMAND", "DIR"})) return usageError(*problem);
    if (!versions) return usageError("folder needs --mcu MAJOR.MINOR and --fpga MAJOR.MINOR");
    std::string report;
    const int status = writeFolder(request, args.rest()[1], names == "12" ? FolderNames::Numbered : FolderNames::Named,
                                   report);
    return finish(status, report);
}

int container(Arguments& args) {
    BuildRequest request;
    const bool versions = takeRequest(args, request);
    const auto format = takeFormat(args);
    if (auto problem = args.problem({"COMMAND", "FILE"})) return usageError(*problem);
    if (!versions) return usageError("container needs --mcu MAJOR.MINOR and --fpga MAJOR.MINOR");
    const std::string file = args.rest()[1];
    const auto byName = zel::image::formatFromName(std::filesystem::path(file));
    if (format && *format != byName)
        std::fprintf(stderr, "zelfwbuild: note: the firmware update chooses the reader by the extension of %s\n",
                     file.c_str());
    std::string report;
    return finish(writeContainer(request, file, format.value_or(byName), report), report);
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args(argc, argv);
    if (args.takeFlag("--help") || args.takeFlag("-h")) return help();
    if (args.rest().empty()) return usageError("missing COMMAND (folder or container)");
    const std::string command = args.rest()[0];
    if (command == "folder") return folder(args);
    if (command == "container") return container(args);
    return usageError("expected a command (folder or container), not " + command);
}
