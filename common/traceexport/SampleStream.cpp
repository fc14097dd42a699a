#include "SampleStream.h"

#include <algorithm>
#include <cstring>

namespace zel::traceexport {
namespace {

constexpr size_t kRecordBlock = 0x10000;

}  // namespace

SampleStream::SampleStream(ReadRecords read, WaveformBuilder::PlanFor planFor, uint32_t gapCap)
    : readRecords_(std::move(read)),
      records_(kRecordBlock),
      builder_(std::move(planFor), gapCap,
               [this](std::span<const uint8_t> samples) { samples_.insert(samples_.end(), samples.begin(), samples.end()); }),
      assembler_([this](uint64_t ticks, std::span<const uint8_t> bytes) { builder_.transaction(ticks, bytes); }) {}

size_t SampleStream::read(std::span<uint8_t> out) {
    size_t given = 0;
    while (given < out.size()) {
        if (taken_ == samples_.size() && !refill()) break;
        const size_t n = std::min(out.size() - given, samples_.size() - taken_);
        std::memcpy(out.data() + given, samples_.data() + taken_, n);
        taken_ += n;
        given += n;
    }
    return given;
}

bool SampleStream::refill() {
    samples_.clear();
    taken_ = 0;
    while (samples_.empty() && !ended_) {
        const size_t n = readRecords_(records_);
        if (n == 0) {
            assembler_.finish();
            builder_.finish();
            ended_ = true;
        } else {
            assembler_.add({records_.data(), n});
        }
    }
    return !samples_.empty();
}

uint64_t countSamples(const ReadRecords& read, const WaveformBuilder::PlanFor& planFor, uint32_t gapCap) {
    WaveformBuilder builder(planFor, gapCap, {});
    TransactionAssembler assembler([&](uint64_t ticks, std::span<const uint8_t> bytes) { builder.transaction(ticks, bytes); });
    std::vector<uint8_t> records(kRecordBlock);
    for (size_t n; (n = read(records)) > 0;) assembler.add({records.data(), n});
    assembler.finish();
    builder.finish();
    return builder.samples();
}

}  // namespace zel::traceexport
