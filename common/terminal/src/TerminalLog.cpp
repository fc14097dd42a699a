#include "terminal/TerminalLog.h"

#include <algorithm>
#include <cstring>

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

// Moves the finished row into the blocks; a row never spans two blocks, so it reads as one view.
void TerminalLog::closeOpenRow() {
    if (blocks_.empty() || blockSizes_.back() - used_ < open_.size()) {
        const size_t size = std::max(kBlockBytes, open_.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        blockSizes_.push_back(size);
        used_ = 0;
    }
    std::memcpy(blocks_.back().get() + used_, open_.data(), open_.size());
    rows_.push_back({static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(used_),
                     static_cast<uint32_t>(open_.size()), openKind_});
    used_ += open_.size();
    open_.clear();
    if (open_.capacity() > 4096) open_.shrink_to_fit();  // a huge row leaves no huge buffer behind
}

std::string_view TerminalLog::rowText(size_t row) const {
    if (row == rows_.size()) return open_;
    const Row& r = rows_.at(row);
    return {blocks_[r.block].get() + r.offset, r.length};
}

TextKind TerminalLog::rowKind(size_t row) const {
    return row == rows_.size() ? openKind_ : rows_.at(row).kind;
}

std::string TerminalLog::prefixedRow(size_t row) const {
    return "#" + std::to_string(row) + "  " + std::string(rowText(row));
}

size_t TerminalLog::memoryBytes() const {
    size_t bytes = rows_.capacity() * sizeof(Row) + open_.capacity() + blockSizes_.capacity() * sizeof(size_t);
    for (size_t size : blockSizes_) bytes += size;
    return bytes;
}

}  // namespace zel::terminal
