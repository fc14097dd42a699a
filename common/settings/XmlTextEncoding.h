// How the settings document's bytes are text. Recognised in this order: the mark FF FE
// (UTF-16LE); UTF-16 without a mark (a statistical test over at most the first 100 bytes); the
// mark EF BB BF (UTF-8); the encoding named in the "<?xml" declaration (UTF-8 when it names
// none). Anything else is not a document. The document is written back the way it was read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zel::settings {

enum class XmlEncodingKind { Utf16Le, Utf16Be, Utf8, Declared };

struct XmlTextEncoding {
    XmlEncodingKind kind = XmlEncodingKind::Utf8;
    bool byteOrderMark = false;
    std::string declaredName;  // for Declared: the declaration's name, e.g. "GB2312"

    bool operator==(const XmlTextEncoding&) const = default;
};

std::optional<XmlTextEncoding> detectXmlEncoding(std::string_view bytes);

// The text as UTF-8 without a byte-order mark; nothing when the bytes do not convert.
std::optional<std::string> decodeXmlText(std::string_view bytes, const XmlTextEncoding& encoding);
// The bytes in `encoding`, with its byte-order mark when it had one; nothing when a character
// cannot be carried in a declared legacy encoding.
std::optional<std::string> encodeXmlText(std::string_view utf8, const XmlTextEncoding& encoding);

}  // namespace zel::settings
