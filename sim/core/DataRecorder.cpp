#include "core/DataRecorder.h"

#include <algorithm>
#include <cstdio>

namespace zel::sim {

std::string toHex(std::span<const uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 15]);
    }
    return text;
}

void DataRecorder::add(std::span<const uint8_t> bytes) {
    if (length_ < kWholeLimit) {
        auto keep = std::min<uint64_t>(bytes.size(), kWholeLimit - length_);
        std::copy_n(bytes.begin(), keep, first_.begin() + length_);
    }
    digest_.update(bytes);
    length_ += bytes.size();
}

std::string DataRecorder::logText() const {
    if (length_ <= kWholeLimit) return "data=" + toHex(std::span(first_).first(length_));
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(digest_.value()));
    return "head=" + toHex(std::span(first_).first(kHeadBytes)) + " hash=" + hash;
}

}  // namespace zel::sim
