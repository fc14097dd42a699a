#include "core/TransferLog.h"

#include <cstdio>

namespace zel::sim {
namespace {

std::string endpointText(uint8_t endpoint) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x", endpoint);
    return text;
}

}  // namespace

void TransferLog::out(uint8_t endpoint, const DataRecorder& data, TransferStatus status) {
    append("OUT ep=" + endpointText(endpoint) + " len=" + std::to_string(data.length()) + " " +
           logName(status) + " " + data.logText());
}

void TransferLog::in(uint8_t endpoint, uint64_t requested, const DataRecorder& data, TransferStatus status) {
    append("IN ep=" + endpointText(endpoint) + " req=" + std::to_string(requested) +
           " len=" + std::to_string(data.length()) + " " + logName(status) + " " + data.logText());
}

void TransferLog::control(const Setup& setup, const DataRecorder& data, TransferStatus status) {
    append("CTRL setup=" + toHex(setup.raw) + " len=" + std::to_string(data.length()) + " " +
           logName(status) + " " + data.logText());
}

void TransferLog::note(std::string_view text) {
    std::string clean(text);
    for (char& c : clean)
        if (c == '\n' || c == '\r') c = ' ';
    append("NOTE " + clean);
}

void TransferLog::append(const std::string& body) {
    std::lock_guard lock(mutex_);
    auto seq = nextSeq_++;
    if (limit_ == 0) return;
    if (lines_.size() >= limit_) lines_.pop_front();
    lines_.push_back(std::to_string(seq) + " " + body);
}

std::string TransferLog::text() const {
    std::lock_guard lock(mutex_);
    std::string all;
    for (const auto& line : lines_) {
        all += line;
        all += '\n';
    }
    return all;
}

void TransferLog::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace zel::sim
