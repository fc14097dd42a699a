// Builds chip-configuration files byte by byte for the tests, without the writer, so a fault
// shared by the reader and the writer cannot hide.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace zel::chipcfg::test {

class CfgBytes {
public:
    CfgBytes& u8(std::uint8_t v) {
        bytes_.push_back(v);
        return *this;
    }
    CfgBytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    CfgBytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    CfgBytes& raw(std::initializer_list<std::uint8_t> bs) {
        bytes_.insert(bytes_.end(), bs.begin(), bs.end());
        return *this;
    }
    CfgBytes& ascii(const std::string& s) {
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    CfgBytes& cstr(const std::string& s) { return ascii(s).u8(0); }
    CfgBytes& record(std::uint16_t first, std::uint16_t second) { return u16(first).u16(second); }
    CfgBytes& fill(std::size_t count, std::uint8_t v = 0) {
        bytes_.insert(bytes_.end(), count, v);
        return *this;
    }
    // Fills up to the given size (never shrinks).
    CfgBytes& padTo(std::size_t size, std::uint8_t v = 0) {
        if (bytes_.size() < size) fill(size - bytes_.size(), v);
        return *this;
    }
    CfgBytes& truncate(std::size_t size) {
        bytes_.resize(size);
        return *this;
    }
    CfgBytes& patch32(std::size_t offset, std::uint32_t v) {
        for (std::size_t i = 0; i < 4; ++i) bytes_.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
        return *this;
    }

    // Record markers, as their bytes.
    CfgBytes& sfdp() { return ascii("SFDP"); }
    CfgBytes& srst() { return ascii("SRST"); }
    CfgBytes& prot() { return ascii("PROT"); }

    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    operator std::span<const std::uint8_t>() const { return bytes_; }

    void saveTo(const std::filesystem::path& path) const {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// Header offsets of the standard test file made by withHeader().
inline constexpr std::uint32_t kTestVendorOffset = 32;   // "Acme\0"      32..36
inline constexpr std::uint32_t kTestChipOffset = 37;     // "X25Q64\0"    37..43
inline constexpr std::uint32_t kTestVoltageOffset = 44;  // 3300         44..45
inline constexpr std::uint32_t kTestOptionsOffset = 46;  // 1 0 1        46..48
inline constexpr std::uint32_t kTestRecordOffset = 49;   // records from here on

// A header (with or without the magic), vendor "Acme", chip "X25Q64", 3300 mV, options 1/0/1
// and the record offset right after them; the caller appends records.
inline CfgBytes withHeader(bool magic = true, std::uint32_t chipSize = 0x800000) {
    CfgBytes b;
    if (magic)
        b.ascii("Vcfg");
    else
        b.ascii("Xcfg");
    b.u32(0)
        .u32(kTestRecordOffset)
        .u32(chipSize)
        .u32(kTestVendorOffset)
        .u32(kTestChipOffset)
        .u32(kTestVoltageOffset)
        .u32(kTestOptionsOffset);
    b.cstr("Acme").cstr("X25Q64").u16(3300).raw({1, 0, 1});
    return b;
}

}  // namespace zel::chipcfg::test
