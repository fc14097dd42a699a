// What the trace viewer shows, without Qt: the captured buffer or a filter's result, indexed once,
// served a page at a time from any scroll position in 16-byte units (two records), never decoded
// whole. Filtered pages show each transaction with its number in the whole capture.
//
// Threads: the user-interface thread; the captured buffer is not written while a browser reads it.
#pragma once

#include "TraceCapture.h"
#include "trace/DisplayRows.h"
#include "trace/TraceDecoding.h"
#include "trace/TraceFilter.h"
#include "trace/TransactionIndex.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace zel::gui::trace {

// One scroll step covers this many bytes of records.
inline constexpr std::uint32_t kScrollUnitBytes = 16;

class TraceBrowser {
public:
    // `context` (and its tables) outlive the browser; its translate flag is the one shown.
    TraceBrowser(CapturedTrace trace, const zel::trace::DecodeContext& context);

    // Scroll positions 0..scrollRange() over what is shown (the capture or the filter result).
    std::uint32_t scrollRange() const;
    // Rows from scroll position `position` on, decoding about `records` records.
    std::vector<zel::trace::TraceRow> page(std::uint32_t position, std::size_t records) const;
    // Rows from transaction `number`'s timestamp record on (a found transaction heads its page
    // even when its record starts in the middle of a scroll step).
    std::vector<zel::trace::TraceRow> pageFrom(std::size_t number, std::size_t records) const;

    // "Start Filtering": shows the matching transactions; false (nothing changed) when none match.
    bool filter(const zel::trace::FilterSettings& settings, bool maskAddresses);
    // "Display All": the whole capture again.
    void showAll();
    bool filtered() const { return result_ != nullptr; }
    std::shared_ptr<const zel::trace::FilteredTrace> result() const { return result_; }
    const CapturedTrace& trace() const { return trace_; }

    // The first transaction after `after` (a transaction number, 0: from the start) whose
    // command's address range covers `address`, and the scroll position that shows it.
    struct Found {
        std::size_t transaction = 0;
        std::uint32_t position = 0;
    };
    std::optional<Found> findAddress(std::uint32_t address, std::size_t after) const;

    void setTranslate(bool on) { context_.translate = on; }
    const zel::trace::DecodeContext& context() const { return context_; }

private:
    std::span<const std::uint8_t> shown() const;
    const zel::trace::TransactionIndex& shownIndex() const { return result_ ? resultIndex_ : index_; }
    bool touches(std::size_t transaction, std::uint32_t address) const;
    std::vector<zel::trace::TraceRow> rowsFrom(std::size_t firstRecord, std::size_t records) const;

    CapturedTrace trace_;
    zel::trace::DecodeContext context_;
    zel::trace::TransactionIndex index_;
    std::shared_ptr<const zel::trace::FilteredTrace> result_;
    zel::trace::TransactionIndex resultIndex_;
};

}  // namespace zel::gui::trace
