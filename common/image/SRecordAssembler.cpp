#include "image/SRecordAssembler.h"

#include <cstdio>

#include "image/HexDigits.h"
#include "image/ReadErrors.h"

namespace zel::image::detail {
namespace {

constexpr size_t kFrameChars = 4;  // 'S', type, byte count
constexpr uint32_t kWindowMask = kSRecordWindow - 1;

// Address bytes of S0..S9. S4 is reserved and carries no address.
constexpr uint8_t kAddressBytes[10] = {2, 2, 3, 4, 0, 2, 3, 4, 3, 2};

bool carriesData(int type) { return type >= 1 && type <= 3; }

}  // namespace

// Every data byte takes two characters of text.
SRecordAssembler::SRecordAssembler(std::string_view fileName, size_t expectedSize)
    : fileName_(fileName), work_(kSRecordWindow, expectedSize / 2), written_(kSRecordWindow) {}

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
    size_t index = address & kWindowMask;
    // A record that runs past the end of the window is skipped whole, without a notice.
    if (index + count - 1 > kWindowMask) return true;
    if (!written_.claim(index, count)) {
        char reason[112];
        std::snprintf(reason, sizeof reason,
                      "data at address %08X overlap bytes already loaded (4 MiB window index %06zX)", address, index);
        return fail(ReadFailure::OverlappingData, lineNumber, reason);
    }
    work_.store(index, data, count);
    return true;
}

}  // namespace zel::image::detail
