#include "ApiTraceSource.h"

#include "zelapi.h"

namespace zel::capture {
namespace {

constexpr uint8_t kHoldPinInput = 3, kHoldPinFloating = 2;

}  // namespace

void ApiTraceSource::begin() {
    CliResetLogCounterOf(index_);
    switched_ = CliIsMemoryEmulationRunning(index_) == 0;
    if (switched_) {
        CliSetHoldPin(kHoldPinInput, index_);
        CliSystemBootFromSPIFlash(0);
    }
    CliEnableSPIHyperTerminal(0, 0);
    CliEnableSPIHTUSBBulkTransfer(1);
}

bool ApiTraceSource::fetch(std::span<uint8_t> buffer, uint32_t& length) {
    // The read-out appends up to 64 KiB at buffer + length; the controller leaves that much room.
    int result = 0;
    CliGetSPITraceDataOf(&result, buffer.data(), &length, index_);
    return result == 1;
}

void ApiTraceSource::end() {
    CliEnableSPIHTUSBBulkTransfer(0);
    if (!switched_) return;
    CliStopEmulation(index_);
    CliSetHoldPin(kHoldPinFloating, index_);
}

}  // namespace zel::capture
