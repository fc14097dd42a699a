// The continuous writer of ring mode as a capture sink: the core's continuous text writer fed
// chunk by chunk, into the numbered file chain. Once a file is full, the next file begins at the
// next transaction (a timestamp record), with the header again, so no transaction is split
// between two files.
#pragma once

#include "RecordSink.h"
#include "RolloverFiles.h"
#include "trace/TraceRecord.h"
#include "trace/TraceTextWriter.h"

namespace zel::capture {

class ContinuousTextSink final : public RecordSink {
public:
    ContinuousTextSink(const trace::DecodeContext& context, std::filesystem::path first,
                       RolloverFiles::Announce announce, uint64_t limit = kRolloverBytes);

    // Opens the first file and writes the header; false (problem()) when it cannot be opened.
    bool open();
    bool write(std::span<const uint8_t> records) override;
    bool finish() override;
    std::string problem() const override { return files_.problem(); }
    const std::vector<std::filesystem::path>& paths() const { return files_.paths(); }

private:
    bool startNextFile();

    RolloverFiles files_;
    trace::TraceTextWriter writer_;
    bool nextFileDue_ = false;
};

}  // namespace zel::capture
