// zelimage: image files and the API's data path from the command line. Makes test images with
// the project's writers, reports an image's size and checksum, and downloads an image to one
// target of an emulator, verifies it and reads it back, printing the checksums on both sides.
#include "ImageCommands.h"
#include "ToolArguments.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kUsage =
    "Usage: zelimage make FILE --size N [--seed S]\n"
    "       zelimage sum FILE\n"
    "       zelimage download FILE --chip CFG --device N [--target 1|2] [--address A] [--fill BYTE] [--no-verify]\n"
    "       zelimage verify FILE --chip CFG --device N [--target 1|2] [--address A]\n"
    "make writes N bytes of a test pattern as raw binary, Intel HEX (.hex) or S-record (.s19).\n"
    "sum prints the size and checksum (32-bit byte sum) of a file's image.\n"
    "download makes target 1 (default) or 2 of device N (0-based) impersonate the chip of CFG,\n"
    "downloads the image at address A inside the target (default 0; the rest of the memory is\n"
    "kept, or filled with BYTE), verifies it and reads it back. verify only compares.\n"
    "Numbers are decimal or 0x-hexadecimal. Set ZELMOR_SIM to use simulated emulators.\n"
    "Exit status: 0 done, 1 usage, 2 image file, 3 device or transfer, 4 verify failed.\n";

using zel::tools::Arguments;

int usage()
{
    std::fputs(kUsage, stderr);
    return zel::tool::kUsage;
}

int make(Arguments& args)
{
    uint64_t size = 0, seed = 1;
    bool bad = false;
    if (!args.takeNumber("--size", 0xFFFFFFFF, size, bad))
        return usage();
    args.takeNumber("--seed", 0xFFFFFFFF, seed, bad);
    if (bad || args.rest().size() != 2)
        return usage();
    return zel::tool::makeImage(args.rest()[1], static_cast<uint32_t>(size), static_cast<uint32_t>(seed));
}

int download(Arguments& args, bool writeFirst)
{
    zel::tool::DownloadJob job;
    job.download = writeFirst;
    job.verify = !args.takeFlag("--no-verify");
    std::string chip;
    uint64_t device = 0, target = 1, address = 0, fill = 0;
    bool bad = false;
    if (!args.take("--chip", chip) || !args.takeNumber("--device", 127, device, bad))
        return usage();
    args.takeNumber("--target", 2, target, bad);
    args.takeNumber("--address", 0x7FFFFFFF, address, bad);
    if (args.takeNumber("--fill", 0xFF, fill, bad))
        job.fillValue = static_cast<uint8_t>(fill);
    if (bad || target == 0 || args.rest().size() != 2 || (!writeFirst && (job.fillValue || !job.verify)))
        return usage();
    job.image = args.rest()[1];
    job.chipConfig = chip;
    job.device = static_cast<int>(device);
    job.target2 = target == 2;
    job.offset = static_cast<uint32_t>(address);
    return zel::tool::runDownload(job);
}

}  // namespace

int main(int argc, char** argv)
{
    Arguments args(argc, argv);
    if (args.rest().empty() || args.takeFlag("--help"))
        return usage();
    const std::string command = args.rest()[0];
    if (command == "make")
        return make(args);
    if (command == "sum" && args.rest().size() == 2)
        return zel::tool::describeImage(args.rest()[1]);
    if (command == "download")
        return download(args, true);
    if (command == "verify")
        return download(args, false);
    return usage();
}
