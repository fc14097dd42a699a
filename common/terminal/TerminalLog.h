// The terminal's rows, compact enough for millions of them: row texts lie end to end in large
// blocks, each row costs a small index entry and no object of its own; a hex-dump row is kept
// as its bytes (a third of its text) and written out again when read. Text is appended to the
// last row until that row ends with a line break; then a new row begins. Rows read as
// "#<index>  " and their text (line break included).
// Threads: not locked; one thread (the GUI thread, or zelterm's loop) owns a log.
#pragma once

#include "terminal/MessageText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zel::terminal {

class TerminalLog {
public:
    // Appends `text` in `kind`'s colour, splitting it at line breaks into rows.
    void append(std::string_view text, TextKind kind);
    // Ends the last row with a line break when it is still open (a type change starts a row).
    void endRow();
    void clear();

    size_t rowCount() const { return rows_.size() + (open_.empty() ? 0 : 1); }
    std::string rowText(size_t row) const;  // without the "#n  " prefix
    TextKind rowKind(size_t row) const;
    std::string prefixedRow(size_t row) const;  // "#n  " + text, as shown and saved
    bool lastRowOpen() const { return !open_.empty(); }
    size_t memoryBytes() const;  // what the rows hold on the heap, for the benchmark

private:
    struct Row {
        uint32_t block;
        uint32_t offset;
        uint32_t length;  // bytes held
        TextKind kind;
        bool packed;  // hex-dump bytes: "%02x " each, then a line break when `broken`
        bool broken;
    };
    void closeOpenRow();
    void store(std::string_view bytes, bool packed, bool broken);

    static constexpr size_t kFirstBlockBytes = 64u << 10;
    static constexpr size_t kBlockBytes = 4u << 20;
    // A row that grows this long without a line break (an endless hex stream) is closed and
    // continued on the next row, so no row outgrows its index entry or a list widget.
    static constexpr size_t kMaxRowBytes = 3u << 18;  // whole "hh " groups
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<size_t> blockSizes_;
    size_t used_ = 0;  // bytes used in the last block
    std::vector<Row> rows_;
    std::string open_;  // the last row while it has no line break
    TextKind openKind_ = TextKind::Other;
};

}  // namespace zel::terminal
