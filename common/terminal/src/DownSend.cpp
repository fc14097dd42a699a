#include "terminal/DownSend.h"

#include <thread>

namespace zel::terminal {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ':' || c == '\r' || c == '\n'; }

}  // namespace

std::optional<std::vector<uint8_t>> parseHexBytes(std::string_view text, std::string& problem) {
    std::vector<uint8_t> bytes;
    int high = -1;
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (isSeparator(c) && high < 0) continue;
        const int value = hexValue(c);
        if (value < 0) {
            problem = "not a pair of hex digits at character " + std::to_string(at + 1);
            return std::nullopt;
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<uint8_t>(high << 4 | value));
            high = -1;
        }
    }
    if (high >= 0) {
        problem = "an odd number of hex digits";
        return std::nullopt;
    }
    return bytes;
}

SendResult sendInPieces(std::span<const uint8_t> data, const PieceWriter& write, SendPatience patience) {
    using Clock = std::chrono::steady_clock;
    SendResult result{.requested = data.size()};
    auto lastProgress = Clock::now();
    while (result.written < data.size()) {
        const auto piece = data.subspan(result.written, std::min(kMaxPiece, data.size() - result.written));
        const size_t kept = std::min(write(piece), piece.size());
        ++result.pieces;
        result.written += kept;
        if (kept == piece.size()) {
            lastProgress = Clock::now();
            continue;
        }
        if (kept > 0) lastProgress = Clock::now();
        if (Clock::now() - lastProgress >= patience.giveUpAfter) break;
        std::this_thread::sleep_for(patience.retryDelay);  // the target has yet to drain the dFIFO
    }
    return result;
}

std::string describe(const SendResult& result) {
    return "sent " + std::to_string(result.written) + " of " + std::to_string(result.requested) + " bytes";
}

}  // namespace zel::terminal
