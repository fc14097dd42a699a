// Chip-configuration files for the API tests, built byte by byte (tests/chipcfg/CfgBytes.h) and
// saved in a private folder.
#pragma once

#include "chipcfg/CfgBytes.h"
#include "TempDir.h"
#include "text/TextCodec.h"

#include <array>
#include <cstdint>
#include <string>

namespace zel::test {

using chipcfg::test::CfgBytes;

// A header with the magic, the two names (Windows-1252 bytes), the voltage and the three option
// bytes right after it, and the record offset after those; the caller appends records.
inline CfgBytes chipFile(const std::string& vendor, const std::string& chip, std::array<uint8_t, 3> options,
                         uint16_t millivolts = 1800, uint32_t chipSize = 0x200000)
{
    const auto vendorOffset = uint32_t{32};
    const auto chipOffset = static_cast<uint32_t>(vendorOffset + vendor.size() + 1);
    const auto voltageOffset = static_cast<uint32_t>(chipOffset + chip.size() + 1);
    const auto optionsOffset = voltageOffset + 2;
    CfgBytes b;
    b.ascii("Vcfg").u32(0).u32(optionsOffset + 3).u32(chipSize);
    b.u32(vendorOffset).u32(chipOffset).u32(voltageOffset).u32(optionsOffset);
    b.cstr(vendor).cstr(chip).u16(millivolts).raw({options[0], options[1], options[2]});
    return b;
}

class ConfigFolder {
public:
    // Saves the bytes under `name` and returns the wide path the exports take.
    std::wstring save(const CfgBytes& bytes, const std::string& name)
    {
        bytes.saveTo(dir_ / name);
        return pathOf(name);
    }
    std::wstring pathOf(const std::string& name) const { return text::utf8ToWide((dir_ / name).string()); }
    std::wstring folder() const { return text::utf8ToWide(dir_.path().string()); }

private:
    TempDir dir_;
};

}  // namespace zel::test
