#include <algorithm>
#include <cstring>

#include "image/HexDigits.h"
#include "image/ImageWriter.h"
#include "image/TextOutput.h"

namespace zel::image {
namespace {

using detail::encodeHexByte;

constexpr size_t kBlockSize = 0x10000;
constexpr size_t kRecordData = 16;
// ':' + count + offset + type + 16 data bytes + checksum + CRLF, with room to spare.
constexpr size_t kLongestRecord = 64;

char* endLine(char* p) {
    p[0] = '\r';
    p[1] = '\n';
    return p + 2;
}

void putAddressRecord(detail::TextOutput& out, uint32_t block) {
    char* p = out.reserve(kLongestRecord);
    std::memcpy(p, ":02000004", 9);
    p += 9;
    uint8_t high = static_cast<uint8_t>(block >> 8);
    uint8_t low = static_cast<uint8_t>(block);
    p = encodeHexByte(p, high);
    p = encodeHexByte(p, low);
    p = encodeHexByte(p, static_cast<uint8_t>(-(6 + high + low)));
    out.commit(endLine(p));
}

void putDataRecord(detail::TextOutput& out, uint16_t offset, const uint8_t* data, size_t length) {
    char* p = out.reserve(kLongestRecord);
    *p++ = ':';
    uint8_t high = static_cast<uint8_t>(offset >> 8);
    uint8_t low = static_cast<uint8_t>(offset);
    unsigned sum = static_cast<unsigned>(length) + high + low;
    p = encodeHexByte(p, static_cast<uint8_t>(length));
    p = encodeHexByte(p, high);
    p = encodeHexByte(p, low);
    *p++ = '0';
    *p++ = '0';
    for (size_t i = 0; i < length; ++i) {
        sum += data[i];
        p = encodeHexByte(p, data[i]);
    }
    p = encodeHexByte(p, static_cast<uint8_t>(-sum));
    out.commit(endLine(p));
}

void encodeIntelHex(std::span<const uint8_t> bytes, detail::TextOutput& out) {
    size_t lastBlock = bytes.size() / kBlockSize;
    for (size_t block = 0; block <= lastBlock; ++block) {
        putAddressRecord(out, static_cast<uint32_t>(block));
        size_t start = block * kBlockSize;
        size_t length = block < lastBlock ? kBlockSize : bytes.size() % kBlockSize;
        for (size_t offset = 0; offset < length; offset += kRecordData)
            putDataRecord(out, static_cast<uint16_t>(offset), bytes.data() + start + offset,
                          std::min(kRecordData, length - offset));
    }
    char* p = out.reserve(kLongestRecord);
    std::memcpy(p, ":00000001FF\r\n", 13);
    out.commit(p + 13);
}

}  // namespace

bool writeIntelHex(std::span<const uint8_t> bytes, const std::filesystem::path& path) {
    if (bytes.size() > kLargestTextImage) return false;
    return detail::saveText(path, bytes, encodeIntelHex);
}

std::string intelHexText(std::span<const uint8_t> bytes) { return detail::encodeToString(bytes, encodeIntelHex); }

}  // namespace zel::image
