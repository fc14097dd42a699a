// zelimage: image files and the API's data path from the command line. Makes test images with
// the project's writers, reports an image's size and checksum, and downloads an image to one
// target of an emulator, verifies it and reads it back, printing the checksums on both sides.
#include "DeviceChoice.h"
#include "ImageCommands.h"
#include "ToolArguments.h"

#include <cstdio>
#include <string>

namespace {

constexpr const char* kUsage =
    "Usage: zelimage make FILE --size N [--seed S]\n"
    "       zelimage sum FILE\n"
    "       zelimage download FILE --chip CFG --device N|--serial S [--target 1|2] [--address A] [--fill BYTE]\n"
    "                         [--no-verify]\n"
    "       zelimage verify FILE --chip CFG --device N|--serial S [--target 1|2] [--address A]\n"
    "make writes N bytes of a test pattern as raw binary, Intel HEX (.hex) or S-record (.s19).\n"
    "sum prints the size and checksum (32-bit byte sum) of a file's image.\n"
    "download makes target 1 (default) or 2 of device N impersonate the chip of CFG, downloads\n"
    "the image at address A inside the target (default 0; the rest of the memory is kept, or\n"
    "filled with BYTE), verifies it and reads it back. verify only compares.\n"
    "Device N counts every emulator found, opened or not, from 1 in enumeration order (as zelcmd\n"
    "and zelinfo count); --serial S names one by its serial number instead, as printed (ZL204711,\n"
    "VK002222) or in decimal.\n"
    "Numbers are decimal or 0x-hexadecimal. Set ZELMOR_SIM to use simulated emulators.\n"
    "Exit status: 0 done, 1 usage, 2 image file, 3 device or transfer, 4 verify failed.\n";

using zel::tools::Arguments;

int help()
{
    std::fputs(kUsage, stdout);
    return zel::tool::kDone;
}

int usageError(const std::string& problem)
{
    return zel::tools::usageError("zelimage", problem, zel::tool::kUsage);
}

int make(Arguments& args)
{
    uint64_t size = 0, seed = 1;
    const bool haveSize = args.takeNumber("--size", 0, 0xFFFFFFFF, size);
    args.takeNumber("--seed", 0, 0xFFFFFFFF, seed);
    if (auto problem = args.problem({"COMMAND", "FILE"}))
        return usageError(*problem);
    if (!haveSize)
        return usageError("make needs --size N");
    return zel::tool::makeImage(args.rest()[1], static_cast<uint32_t>(size), static_cast<uint32_t>(seed));
}

int download(Arguments& args, bool writeFirst)
{
    zel::tool::DownloadJob job;
    job.download = writeFirst;
    job.verify = !args.takeFlag("--no-verify");
    std::string chip;
    uint64_t target = 1, address = 0, fill = 0;
    const bool haveChip = args.take("--chip", chip);
    job.device = zel::tools::takeDeviceChoice(args);
    args.takeNumber("--target", 1, 2, target);
    args.takeNumber("--address", 0, 0x7FFFFFFF, address);
    if (args.takeNumber("--fill", 0, 0xFF, fill))
        job.fillValue = static_cast<uint8_t>(fill);
    if (auto problem = args.problem({"COMMAND", "FILE"}))
        return usageError(*problem);
    if (!haveChip || !job.device.given())
        return usageError(args.rest()[0] + " needs --chip CFG and --device N or --serial S");
    if (!writeFirst && (job.fillValue || !job.verify))
        return usageError("verify takes neither --fill nor --no-verify");
    job.image = args.rest()[1];
    job.chipConfig = chip;
    job.target2 = target == 2;
    job.offset = static_cast<uint32_t>(address);
    return zel::tool::runDownload(job);
}

int describe(Arguments& args)
{
    if (auto problem = args.problem({"COMMAND", "FILE"}))
        return usageError(*problem);
    return zel::tool::describeImage(args.rest()[1]);
}

}  // namespace

int main(int argc, char** argv)
{
    Arguments args(argc, argv);
    if (args.takeFlag("--help") || args.takeFlag("-h"))
        return help();
    if (args.rest().empty())
        return usageError("missing COMMAND (make, sum, download or verify)");
    const std::string command = args.rest()[0];
    if (command == "make")
        return make(args);
    if (command == "sum")
        return describe(args);
    if (command == "download")
        return download(args, true);
    if (command == "verify")
        return download(args, false);
    return usageError("expected a command (make, sum, download or verify), not " + command);
}
