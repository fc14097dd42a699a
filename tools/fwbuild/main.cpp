// zelfwbuild: synthetic firmware for the simulated emulator. The images carry their versions,
// so a simulated device that boots from them reports what was built (see README.md).
#include "FirmwareBuild.h"
#include "ToolArguments.h"

#include <charconv>
#include <filesystem>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

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

int usage() {
    std::fputs(kUsageText, stderr);
    return kUsage;
}

// The options both commands share; false on a malformed or missing one.
bool takeRequest(Arguments& args, BuildRequest& request) {
    std::string mcu, fpga, size;
    if (!args.take("--mcu", mcu) || !args.take("--fpga", fpga)) return false;
    auto mcuVersion = parseVersion(mcu);
    auto fpgaVersion = parseVersion(fpga);
    if (!mcuVersion || !fpgaVersion) return false;
    request.mcu = *mcuVersion;
    request.fpga = *fpgaVersion;
    if (args.take("--fpga-size", size) && !parseSize(size, request.fpgaSize)) return false;
    if (args.take("--mcu-size", size) && !parseSize(size, request.mcuSize)) return false;
    request.allowOversize = args.takeFlag("--allow-oversize");
    return true;
}

std::optional<zel::image::Format> takeFormat(Arguments& args, const std::string& file) {
    std::string name;
    if (!args.take("--format", name)) return zel::image::formatFromName(std::filesystem::path(file));
    if (name == "raw") return zel::image::Format::Binary;
    if (name == "hex") return zel::image::Format::IntelHex;
    if (name == "s19") return zel::image::Format::SRecord;
    return std::nullopt;
}

int finish(int status, const std::string& report) {
    if (status == kDone) std::printf("%s\n", report.c_str());
    else std::fprintf(stderr, "zelfwbuild: %s\n", report.c_str());
    return status;
}

int folder(Arguments& args) {
    BuildRequest request;
    std::string names = "12";
    if (!takeRequest(args, request)) return usage();
    args.take("--names", names);
    if ((names != "12" && names != "fpga-mcu") || args.rest().size() != 2) return usage();
    std::string report;
    const int status = writeFolder(request, args.rest()[1], names == "12" ? FolderNames::Numbered : FolderNames::Named,
                                   report);
    return finish(status, report);
}

int container(Arguments& args) {
    BuildRequest request;
    if (!takeRequest(args, request)) return usage();
    if (args.rest().size() < 2) return usage();
    const auto format = takeFormat(args, args.rest()[1]);
    if (!format || args.rest().size() != 2) return usage();
    const std::string file = args.rest()[1];
    if (*format != zel::image::formatFromName(std::filesystem::path(file)))
        std::fprintf(stderr, "zelfwbuild: note: the firmware update chooses the reader by the extension of %s\n",
                     file.c_str());
    std::string report;
    return finish(writeContainer(request, file, *format, report), report);
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args(argc, argv);
    if (args.rest().empty() || args.takeFlag("--help")) return usage();
    const std::string command = args.rest()[0];
    if (command == "folder") return folder(args);
    if (command == "container") return container(args);
    return usage();
}
