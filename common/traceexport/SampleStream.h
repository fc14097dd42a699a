// The waveform of a capture as a stream of samples pulled in pieces, made from records pulled in
// blocks: memory stays bounded by one block's samples whatever the capture's length.
#pragma once

#include "TransactionAssembler.h"
#include "Waveform.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zel::traceexport {

// Fills the span with whole records; the bytes given, 0 at the end.
using ReadRecords = std::function<size_t(std::span<uint8_t>)>;

class SampleStream {
public:
    SampleStream(ReadRecords read, WaveformBuilder::PlanFor planFor, uint32_t gapCap);

    // Up to out.size() samples; fewer only at the end, 0 after it.
    size_t read(std::span<uint8_t> out);
    uint64_t transactions() const { return assembler_.transactions(); }

private:
    bool refill();

    ReadRecords readRecords_;
    std::vector<uint8_t> records_;
    std::vector<uint8_t> samples_;
    size_t taken_ = 0;
    WaveformBuilder builder_;
    TransactionAssembler assembler_;
    bool ended_ = false;
};

// The number of samples the stream of these records would give (a pass without drawing).
uint64_t countSamples(const ReadRecords& read, const WaveformBuilder::PlanFor& planFor, uint32_t gapCap);

}  // namespace zel::traceexport
