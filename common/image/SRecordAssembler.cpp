#include "image/SRecordAssembler.h"

#include <cstdio>

#include "image/HexDigits.h"
#include "image/ReadErrors.h"

namespace zel::image::detail {
namespace {

constexpr size_t kFrameChars = 4;  // 'S', type, byte count

// Address bytes of S0..S9. S4 is reserved and carries no address.
constexpr uint8_t kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

bool carriesData(int type) { return type >= 1 && type <= 3; }

}  // namespace

// Every data byte takes two characters of text.
SRecordAssembler::SRecordAssembler(std::string_view fileName, size_t expectedSize)
    : fileName_(fileName), work_(kLargestTextSpan, expectedSize / 2) {}

bool SRecordAssembler::fail(ReadFailure failure, size_t lineNumber, std::string_view reason) {
    error_ = recordError(failure, fileName_, lineNumber, reason);
    return false;
}

bool SRecordAssembler::addLine(std::string_view line, size_t lineNumber) {
    if (line.empty()) return fail(ReadFailure::MalformedRecord, lineNumber, "blank line");
    if (line[0] != 'S') return fail(ReadFailure::MalformedRecord, lineNumber, "record does not start with 'S'");
    if (line.size() < kFrameChars) return fail(ReadFailure::MalformedRecord, lineNumber, "record is too short");
    if (line[1] < '0' || line[1] > '9') return fail(ReadFailure::MalformedRecord, lineNumber, "unknown record type");
    int type = line[1] - '0';

    // record[0] is the byte count; the count bytes behind it end with the checksum.
    uint8_t record[1 + 255];
    unsigned sum = 0;
    if (!decodeHexBytes(line.data() + 2, 1, record, sum))
        return fail(ReadFailure::MalformedRecord, lineNumber, "record holds a character that is not a hex digit");
    size_t count = record[0];
    if (line.size() != kFrameChars + 2 * count)
        return fail(ReadFailure::MalformedRecord, lineNumber, "record length does not match its byte count");
    size_t addressBytes = kAddressBytes[type];
    if (count < addressBytes + 1)
        return fail(ReadFailure::MalformedRecord, lineNumber, "byte count leaves no room for address and checksum");
    if (!decodeHexBytes(line.data() + 2, 1 + count, record, sum))
        return fail(ReadFailure::MalformedRecord, lineNumber, "record holds a character that is not a hex digit");
    if ((sum & 0xFF) != 0xFF) {
        uint8_t stored = record[count];
        char reason[80];
        std::snprintf(reason, sizeof reason, "record checksum is %02X, its bytes need %02X", stored,
                      static_cast<unsigned>(~(sum - stored) & 0xFF));
        return fail(ReadFailure::BadChecksum, lineNumber, reason);
    }
    if (!carriesData(type)) return true;

    uint32_t address = 0;
    for (size_t i = 0; i < addressBytes; ++i) address = address << 8 | record[1 + i];
    return addData(address, record + 1 + addressBytes, count - addressBytes - 1, lineNumber);
}

bool SRecordAssembler::addData(uint32_t address, const uint8_t* data, size_t count, size_t lineNumber) {
    if (count == 0) return true;
    if (uint64_t{address} + count > WorkImage::kAddressSpace) {
        error_ = pastAddressSpaceError(fileName_, lineNumber);
        return false;
    }
    if (work_.store(address, data, count)) return true;
    error_ = spanError(fileName_, lineNumber, address, count, work_.lowest(), work_.end());
    return false;
}

ReadResult SRecordAssembler::finish() {
    Image image = work_.take();
    if (image.empty()) return noDataError(fileName_);
    return image;
}

}  // namespace zel::image::detail
