#include "image/IntelHexAssembler.h"

#include <cstdio>

#include "image/HexDigits.h"
#include "image/ReadErrors.h"

namespace zel::image::detail {
namespace {

constexpr uint8_t kData = 0x00;
constexpr uint8_t kExtendedSegment = 0x02;
constexpr uint8_t kExtendedLinear = 0x04;
// ':' + count + offset + type + checksum, as hex digits.
constexpr size_t kFrameChars = 11;
constexpr size_t kHeaderBytes = 4;  // count, offset (2), type

}  // namespace

// Every data byte takes two characters of text.
IntelHexAssembler::IntelHexAssembler(std::string_view fileName, size_t expectedSize)
    : fileName_(fileName), work_(kLargestTextSpan, expectedSize / 2) {}

bool IntelHexAssembler::fail(ReadFailure failure, size_t lineNumber, std::string_view reason) {
    error_ = recordError(failure, fileName_, lineNumber, reason);
    return false;
}

bool IntelHexAssembler::addLine(std::string_view line, size_t lineNumber) {
    if (line.empty()) return fail(ReadFailure::MalformedRecord, lineNumber, "blank line");
    if (line[0] != ':') return fail(ReadFailure::MalformedRecord, lineNumber, "record does not start with ':'");
    if (line.size() < kFrameChars) return fail(ReadFailure::MalformedRecord, lineNumber, "record is too short");

    uint8_t header[kHeaderBytes];
    unsigned headerSum = 0;
    if (!decodeHexBytes(line.data() + 1, kHeaderBytes, header, headerSum)) return failNotHex(lineNumber);
    size_t count = header[0];
    if (line.size() != kFrameChars + 2 * count)
        return fail(ReadFailure::MalformedRecord, lineNumber, "record length does not match its byte count");
    uint16_t offset = static_cast<uint16_t>(header[1] << 8 | header[2]);
    uint8_t type = header[3];
    const char* payload = line.data() + 1 + 2 * kHeaderBytes;

    // The common case: data are decoded straight into the work image. Should the record turn
    // out bad, the whole load fails and the work image is thrown away.
    uint64_t address = blockAddress_ + offset;
    bool inAddressSpace = address + count <= WorkImage::kAddressSpace;
    if (type == kData && count > 0 && inAddressSpace) {
        if (uint8_t* at = work_.place(address, count)) return checkPayload(payload, count, at, headerSum, lineNumber);
    }

    // A bad record is reported as such, even where its data could not be placed.
    uint8_t data[255];
    if (!checkPayload(payload, count, data, headerSum, lineNumber)) return false;
    if (type == kData) {
        if (count == 0) return fail(ReadFailure::MalformedRecord, lineNumber, "data record with byte count 0");
        error_ = inAddressSpace ? spanError(fileName_, lineNumber, address, count, work_.lowest(), work_.end())
                                : pastAddressSpaceError(fileName_, lineNumber);
        return false;
    }
    if (type == kExtendedSegment || type == kExtendedLinear) {
        if (count != 2)
            return fail(ReadFailure::MalformedRecord, lineNumber, "extended address record does not hold 2 bytes");
        addExtendedAddress(type, data);
    }
    // End-of-file, start-address and unknown records carry nothing; reading goes on.
    return true;
}

// Decodes the data bytes into data and checks them and the header against the checksum.
bool IntelHexAssembler::checkPayload(const char* text, size_t count, uint8_t* data, unsigned headerSum,
                                     size_t lineNumber) {
    unsigned dataSum = 0;
    unsigned checksumSum = 0;
    uint8_t checksum = 0;
    bool digits = decodeHexBytes(text, count, data, dataSum);
    digits = decodeHexBytes(text + 2 * count, 1, &checksum, checksumSum) && digits;
    if (!digits) return failNotHex(lineNumber);
    unsigned needed = (0u - headerSum - dataSum) & 0xFF;
    if (checksum == needed) return true;
    char reason[80];
    std::snprintf(reason, sizeof reason, "record checksum is %02X, its bytes need %02X", checksum, needed);
    return fail(ReadFailure::BadChecksum, lineNumber, reason);
}

bool IntelHexAssembler::failNotHex(size_t lineNumber) {
    return fail(ReadFailure::MalformedRecord, lineNumber, "record holds a character that is not a hex digit");
}

// Linear and segment addressing exclude each other: the first extended address record fixes
// the mode and records of the other kind are ignored.
void IntelHexAssembler::addExtendedAddress(uint8_t type, const uint8_t* value) {
    uint32_t word = static_cast<uint32_t>(value[0]) << 8 | value[1];
    if (type == kExtendedLinear && mode_ != AddressMode::Segment) {
        mode_ = AddressMode::Linear;
        blockAddress_ = uint64_t{word} << 16;
    } else if (type == kExtendedSegment && mode_ != AddressMode::Linear) {
        mode_ = AddressMode::Segment;
        blockAddress_ = uint64_t{word} * 16;
    }
}

ReadResult IntelHexAssembler::finish() {
    Image image = work_.take();
    if (image.empty()) return noDataError(fileName_);
    return image;
}

}  // namespace zel::image::detail
