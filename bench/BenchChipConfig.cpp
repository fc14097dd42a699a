// Writes the configuration of a chip the catalogue does not hold (the largest, 256 MiB), for
// scripts that run zelcmd against it. The chip is named after the file.
//   bench_chip_config FILE.cfg SIZE [MILLIVOLTS (default 3300)]
#include "chipcfg/ChipConfigWriter.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        std::fputs("usage: bench_chip_config FILE.cfg SIZE [MILLIVOLTS]\n", stderr);
        return 2;
    }
    const std::filesystem::path path = argv[1];
    zel::chipcfg::ChipConfigDescription chip;
    chip.vendor = L"Bench";
    chip.chipName = path.stem().wstring();
    chip.chipSize = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0));
    chip.voltageMillivolts = static_cast<uint16_t>(argc == 4 ? std::strtoul(argv[3], nullptr, 0) : 3300);
    if (!zel::chipcfg::saveChipConfig(path, chip).ok()) {
        std::fprintf(stderr, "bench_chip_config: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
