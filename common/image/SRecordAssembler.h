// Turns Motorola S-records, one line at a time, into a byte image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/ImageReader.h"
#include "image/WorkImage.h"

namespace zel::image::detail {

class SRecordAssembler {
public:
    // expectedSize: the length of the text, if known, to size the work image up front.
    SRecordAssembler(std::string_view fileName, size_t expectedSize);

    // False when the record fails the load; error() then says why.
    bool addLine(std::string_view line, size_t lineNumber);
    const ReadError& error() const { return *error_; }
    ReadResult finish();

private:
    bool addData(uint32_t address, const uint8_t* data, size_t count, size_t lineNumber);
    bool fail(ReadFailure failure, size_t lineNumber, std::string_view reason);

    std::string fileName_;
    WorkImage work_;
    std::optional<ReadError> error_;
};

}  // namespace zel::image::detail
