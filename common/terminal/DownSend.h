// What the host sends down to the target's dFIFO: hex text or plain text turned into bytes, and
// the bytes written in pieces the API takes (at most 255 a call). A piece the device does not
// take whole is retried while the target makes room; when it makes none within the wait, the
// result says how many bytes went down, so nothing is ever cut silently.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel::terminal {

inline constexpr size_t kMaxPiece = 255;

// "01 02 ab", "0102AB" or "01,02:ab"; nothing, with `problem` set, on a character that is not a
// hex digit or separator, or an odd number of digits.
std::optional<std::vector<uint8_t>> parseHexBytes(std::string_view text, std::string& problem);

struct SendResult {
    size_t requested = 0;
    size_t written = 0;
    size_t pieces = 0;  // write calls made
    bool complete() const { return written == requested; }
};

// Writes one piece (at most kMaxPiece bytes); gives back how many bytes the device kept, 0 on a
// failed transfer.
using PieceWriter = std::function<size_t(std::span<const uint8_t>)>;

struct SendPatience {
    std::chrono::milliseconds retryDelay{2};
    std::chrono::milliseconds giveUpAfter{2000};  // without any byte taken
};

SendResult sendInPieces(std::span<const uint8_t> data, const PieceWriter& write, SendPatience patience = {});

// "sent N of M bytes" for the log or stderr.
std::string describe(const SendResult& result);

}  // namespace zel::terminal
