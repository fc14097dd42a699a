// Turns Intel HEX records, one line at a time, into a byte image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/ImageReader.h"
#include "image/WorkImage.h"

namespace zel::image::detail {

class IntelHexAssembler {
public:
    // expectedSize: the length of the text, if known, to size the work image up front.
    IntelHexAssembler(std::string_view fileName, size_t expectedSize);

    // False when the record fails the load; error() then says why.
    bool addLine(std::string_view line, size_t lineNumber);
    const ReadError& error() const { return *error_; }
    ReadResult finish();

private:
    enum class AddressMode { None, Linear, Segment };

    bool checkPayload(const char* text, size_t count, uint8_t* data, unsigned headerSum, size_t lineNumber);
    void addExtendedAddress(uint8_t type, const uint8_t* value);
    bool fail(ReadFailure failure, size_t lineNumber, std::string_view reason);
    bool failNotHex(size_t lineNumber);

    std::string fileName_;
    WorkImage work_;
    AddressMode mode_ = AddressMode::None;
    // What the extended address records make of a data record's offset 0: segment * 16 or
    // upper linear address << 16.
    uint64_t blockAddress_ = 0;
    std::optional<ReadError> error_;
};

}  // namespace zel::image::detail
