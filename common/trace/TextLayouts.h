// The fixed strings of the three trace text writers, in one table (src/TextLayouts.cpp).
//
// A line is: TIMESTAMP padded to 17 characters, CNT padded to 9, then the command field of the
// table below, then the continuation bytes "%02X " each; after 16 data bytes a line break and
// the writer's indentation. In a template every "%02X" takes the next of the opcode (translation
// off only) and the layout's fields (CommandLayout), in order.
//
// Each writer's command fields sit on the columns its own header names: with translation off
// the opcode at column 26, then the address and data columns (result writer: 33 and 50; full
// trace: 33 (4-byte) / 34 (3-byte) and 51; continuous: 29 and 40). With translation on the name
// is padded so that the fields that follow land on the header's ADDRESS and DATA columns.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "trace/CommandLayout.h"

namespace zel::trace {

enum class WriterKind : std::uint8_t { FullTrace, Result, Continuous };

struct CommandFieldLayout {
    std::string_view plain;        // translation off, the opcode's "%02X" first
    std::uint8_t namePad;          // translation on: the name padded to this many characters
    std::string_view translated;   // translation on: what follows the padded name
    std::uint8_t dataBytes;        // fields that stand in the DATA column (count towards 16)
};

struct WriterLayout {
    std::string_view header[2];    // [translation off, on]
    std::uint8_t separatorWidth[2];  // "=" characters of the line under the header
    std::uint8_t indentation[2];   // spaces that start a further data line
    std::array<CommandFieldLayout, kCommandShapeCount> fields;
};

const WriterLayout& writerLayout(WriterKind kind);

inline constexpr std::size_t kTimestampWidth = 17;  // 18 with the leading line break
inline constexpr std::size_t kCountWidth = 9;
inline constexpr std::size_t kDataBytesPerLine = 16;

}  // namespace zel::trace
