#include "transport/LibusbApi.h"
#include "transport/SimTransport.h"
#include "transport/Transport.h"
#include "transport/UsbTransport.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace zel::transport {
namespace {

// ZELMOR_SIM_TIMEOUT_MS: a positive decimal number of milliseconds; anything else is ignored.
Timeouts simulatorTimeouts() {
    Timeouts timeouts;
    const char* text = std::getenv("ZELMOR_SIM_TIMEOUT_MS");
    if (text == nullptr) return timeouts;
    long long ms = 0;
    const char* end = text + std::strlen(text);
    auto [last, error] = std::from_chars(text, end, ms);
    if (error != std::errc() || last != end || ms <= 0) return timeouts;
    timeouts.bulk = timeouts.control = std::chrono::milliseconds(ms);
    return timeouts;
}

}  // namespace

std::string transportSelection() {
    const char* folder = std::getenv("ZELMOR_SIM");
    return folder != nullptr ? folder : "";
}

std::unique_ptr<Transport> makeTransport() {
    const char* folder = std::getenv("ZELMOR_SIM");
    if (folder != nullptr && *folder != '\0') return std::make_unique<SimTransport>(folder, simulatorTimeouts());
    // Real hardware always gets the device's own time-outs.
    return std::make_unique<UsbTransport>(makeSystemLibusbApi(), Timeouts{});
}

void scaledSleep(const DeviceHandle& device, std::chrono::milliseconds wait) {
    double scale = device.timeScale();
    if (!std::isfinite(scale) || scale < 0) scale = 1.0;
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(static_cast<double>(wait.count()) * scale));
}

}  // namespace zel::transport
