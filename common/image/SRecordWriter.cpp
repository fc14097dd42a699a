#include <algorithm>

#include "image/HexDigits.h"
#include "image/ImageWriter.h"
#include "image/TextOutput.h"

namespace zel::image {
namespace {

using detail::encodeHexByte;

constexpr size_t kRecordData = 32;
constexpr size_t kAddressBytes = 4;
// "S3" + count + address + 32 data bytes + checksum + CRLF, with room to spare.
constexpr size_t kLongestRecord = 96;

void putRecord(detail::TextOutput& out, uint32_t address, const uint8_t* data, size_t length) {
    char* p = out.reserve(kLongestRecord);
    *p++ = 'S';
    *p++ = '3';
    auto count = static_cast<uint8_t>(length + kAddressBytes + 1);
    unsigned sum = count;
    p = encodeHexByte(p, count);
    for (int shift = 24; shift >= 0; shift -= 8) {
        auto byte = static_cast<uint8_t>(address >> shift);
        sum += byte;
        p = encodeHexByte(p, byte);
    }
    for (size_t i = 0; i < length; ++i) {
        sum += data[i];
        p = encodeHexByte(p, data[i]);
    }
    p = encodeHexByte(p, static_cast<uint8_t>(~sum));
    *p++ = '\r';
    *p++ = '\n';
    out.commit(p);
}

void encodeSRecord(std::span<const uint8_t> bytes, detail::TextOutput& out) {
    for (size_t offset = 0; offset < bytes.size(); offset += kRecordData)
        putRecord(out, static_cast<uint32_t>(offset), bytes.data() + offset,
                  std::min(kRecordData, bytes.size() - offset));
}

}  // namespace

bool writeSRecord(std::span<const uint8_t> bytes, const std::filesystem::path& path) {
    if (bytes.size() > kLargestTextImage) return false;
    return detail::saveText(path, bytes, encodeSRecord);
}

std::string sRecordText(std::span<const uint8_t> bytes) { return detail::encodeToString(bytes, encodeSRecord); }

}  // namespace zel::image
