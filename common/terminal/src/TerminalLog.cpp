#include "terminal/TerminalLog.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace zel::terminal {

void TerminalLog::append(std::string_view text, TextKind kind) {
    while (!text.empty()) {
        if (open_.empty()) openKind_ = kind;
        const size_t lineEnd = text.find('\n');
        const size_t take = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        const size_t room = kMaxRowBytes - open_.size();
        open_.append(text.substr(0, std::min(take, room)));
        text.remove_prefix(std::min(take, room));
        if (open_.back() == '\n' || open_.size() == kMaxRowBytes) closeOpenRow();
    }
}

void TerminalLog::endRow() {
    if (!open_.empty()) append("\n", openKind_);
}

void TerminalLog::clear() {
    blocks_.clear();
    blockSizes_.clear();
    used_ = 0;
    rows_.clear();
    rows_.shrink_to_fit();
    open_.clear();
    open_.shrink_to_fit();
}

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The bytes of a row that reads exactly "hh hh ... hh " (lower case), with or without a final
// line break; nothing for any other row.
std::optional<std::string> packHex(std::string_view text, bool& broken) {
    broken = !text.empty() && text.back() == '\n';
    if (broken) text.remove_suffix(1);
    if (text.empty() || text.size() % 3 != 0) return std::nullopt;
    std::string bytes(text.size() / 3, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int high = hexDigit(text[3 * i]), low = hexDigit(text[3 * i + 1]);
        if (high < 0 || low < 0 || text[3 * i + 2] != ' ') return std::nullopt;
        bytes[i] = static_cast<char>(high << 4 | low);
    }
    return bytes;
}

}  // namespace

// Moves the finished row into the blocks; a row never spans two blocks.
void TerminalLog::closeOpenRow() {
    bool broken = false;
    const auto packed = openKind_ == TextKind::Hex ? packHex(open_, broken) : std::nullopt;
    if (packed)
        store(*packed, true, broken);
    else
        store(open_, false, false);
    open_.clear();
    if (open_.capacity() > 4096) open_.shrink_to_fit();  // a huge row leaves no huge buffer behind
}

void TerminalLog::store(std::string_view bytes, bool packed, bool broken) {
    if (blocks_.empty() || blockSizes_.back() - used_ < bytes.size()) {
        // Blocks grow from small to full size, so a short log stays small.
        const size_t next = blocks_.empty() ? kFirstBlockBytes : std::min(kBlockBytes, blockSizes_.back() * 2);
        const size_t size = std::max(next, bytes.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        blockSizes_.push_back(size);
        used_ = 0;
    }
    std::memcpy(blocks_.back().get() + used_, bytes.data(), bytes.size());
    rows_.push_back({static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(used_),
                     static_cast<uint32_t>(bytes.size()), openKind_, packed, broken});
    used_ += bytes.size();
}

std::string TerminalLog::rowText(size_t row) const {
    if (row == rows_.size()) return open_;
    const Row& r = rows_.at(row);
    const std::string_view held(blocks_[r.block].get() + r.offset, r.length);
    if (!r.packed) return std::string(held);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(held.size() * 3 + 1);
    for (unsigned char byte : held) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
        text += ' ';
    }
    if (r.broken) text += '\n';
    return text;
}

TextKind TerminalLog::rowKind(size_t row) const {
    return row == rows_.size() ? openKind_ : rows_.at(row).kind;
}

std::string TerminalLog::prefixedRow(size_t row) const {
    std::string text = "#";
    text += std::to_string(row);
    text += "  ";
    text += rowText(row);
    return text;
}

size_t TerminalLog::memoryBytes() const {
    size_t bytes = rows_.capacity() * sizeof(Row) + open_.capacity() + blockSizes_.capacity() * sizeof(size_t);
    for (size_t size : blockSizes_) bytes += size;
    return bytes;
}

}  // namespace zel::terminal
