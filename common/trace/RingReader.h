// The reading side of the capture ring (ring mode): which bytes of the capture buffer are
// filled and not yet decoded. The capture fills the buffer from its write length on and, when
// the end has no room for another read, restarts at offset 0; it tells the reader where that
// fill ended (wrapped()), so the tail beyond it, which holds nothing new, is never decoded.
//
// A continuous save loop, in outline:
//
//   TraceTextWriter writer(WriterKind::Continuous, context, fileSink);
//   writer.writeHeader();
//   while (capturing) {
//       if (capture wrapped at fillEnd) reader.wrapped(fillEnd);
//       auto piece = reader.next(buffer, writeLength);
//       writer.feed(piece);                 // transactions may span pieces
//       reader.consumed(piece.size());      // frees the space for the capture
//       if (writer.written() > limit) { writer.flush(); open the next file;
//                                        writer.switchSink(next); writer.writeHeader(); }
//   }
//   writer.flush();
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zel::trace {

class RingReader {
public:
    // The fill ended at `fillEnd` (a multiple of 8) and goes on from offset 0.
    void wrapped(std::uint32_t fillEnd) { wrapEnd_ = fillEnd; }

    // The next filled, undecoded bytes of `buffer` given the capture's write length: one
    // contiguous piece (empty when there is none). Mark what was decoded with consumed().
    std::span<const std::uint8_t> next(std::span<const std::uint8_t> buffer, std::uint32_t writeLength);
    void consumed(std::size_t bytes) { position_ += static_cast<std::uint32_t>(bytes); }

    std::uint32_t position() const { return position_; }
    bool pendingWrap() const { return wrapEnd_.has_value(); }

private:
    std::uint32_t position_ = 0;
    std::optional<std::uint32_t> wrapEnd_;
};

}  // namespace zel::trace
