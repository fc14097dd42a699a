// Any bytes from a serprog master: the session answers or drops the connection, never asks the
// bus for more than its limits, and never reads past what the master sent.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "target/SerprogSession.h"

using zel::sim::target::SerprogSession;
using zel::sim::target::SerprogStream;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

class InputStream final : public SerprogStream {
public:
    explicit InputStream(std::span<const uint8_t> input) : input_(input) {}
    bool read(std::span<uint8_t> into) override {
        if (into.size() > input_.size() - used_) return false;
        if (into.empty()) return true;
        std::memcpy(into.data(), input_.data() + used_, into.size());
        used_ += into.size();
        return true;
    }
    bool write(std::span<const uint8_t>) override { return true; }

private:
    std::span<const uint8_t> input_;
    size_t used_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputStream stream({data, size});
    bool busy = size > 0 && data[0] & 1;  // some runs see a bus that refuses operations
    SerprogSession session(stream, [&](std::span<const uint8_t> mosi, size_t readLength) -> std::optional<std::vector<uint8_t>> {
        require(mosi.size() <= SerprogSession::kMaxWrite && readLength <= SerprogSession::kMaxRead);
        busy = !busy;
        if (busy) return std::nullopt;
        return std::vector<uint8_t>(readLength, 0xFF);
    });
    session.run();
    return 0;
}
