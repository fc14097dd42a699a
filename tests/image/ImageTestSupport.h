// Helpers shared by the image-file tests: a private scratch folder, file contents, and Intel
// HEX / S-record lines built with their checksums.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "image/ReadResult.h"

namespace zel::image::support {

namespace fs = std::filesystem;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "zel-image-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline void writeFile(const fs::path& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary);
    out << contents;
}

inline void writeFile(const fs::path& path, const std::vector<uint8_t>& contents) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(contents.data()), static_cast<std::streamsize>(contents.size()));
}

inline std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline Image readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Image(std::istreambuf_iterator<char>(in), {});
}

inline Image randomBytes(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    Image bytes(size);
    for (auto& byte : bytes) byte = static_cast<uint8_t>(generator());
    return bytes;
}

inline std::string hexOf(const std::vector<uint8_t>& bytes) {
    std::string text;
    char pair[3];
    for (uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text += pair;
    }
    return text;
}

// ":" count offset type data checksum, without a line end.
inline std::string hexRecord(uint8_t type, uint16_t offset, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(offset >> 8),
                                  static_cast<uint8_t>(offset), type};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t byte : bytes) sum += byte;
    bytes.push_back(static_cast<uint8_t>(-sum));
    return ":" + hexOf(bytes);
}

inline std::string hexLinear(uint16_t upper) {
    return hexRecord(4, 0, {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)});
}
inline std::string hexSegment(uint16_t segment) {
    return hexRecord(2, 0, {static_cast<uint8_t>(segment >> 8), static_cast<uint8_t>(segment)});
}
inline const std::string kHexEnd = ":00000001FF";

// "S" type count address data checksum; addressBytes follows the type (2, 3 or 4).
inline std::string sRecord(int type, uint32_t address, const std::vector<uint8_t>& data) {
    static constexpr int kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};
    int addressBytes = kAddressBytes[type];
    std::vector<uint8_t> bytes = {static_cast<uint8_t>(addressBytes + data.size() + 1)};
    for (int shift = 8 * (addressBytes - 1); shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(address >> shift));
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t byte : bytes) sum += byte;
    bytes.push_back(static_cast<uint8_t>(~sum));
    return "S" + std::to_string(type) + hexOf(bytes);
}

// Lines joined with the given line end after each.
inline std::string joinLines(const std::vector<std::string>& lines, const std::string& end = "\n") {
    std::string text;
    for (const auto& line : lines) text += line + end;
    return text;
}

inline std::vector<uint8_t> counting(size_t size, uint8_t first = 0) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

}  // namespace zel::image::support
