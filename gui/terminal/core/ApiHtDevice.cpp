#include "ApiHtDevice.h"

#include "zelapi.h"

namespace zel::gui::tester {

bool ApiHtDevice::emulating() { return CliIsMemoryEmulationRunning(CliGetUSBDevIndex()) != 0; }

std::optional<std::uint8_t> ApiHtDevice::readRegister(int index) {
    std::uint8_t value = 0;
    CliReadSPIHTReg(index, &value);
    return value;
}

std::optional<std::vector<std::uint8_t>> ApiHtDevice::readUFifo() {
    int status = 0;
    CliUploadFIFO(&status);
    if (status != 1) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<size_t>(CliGetSPIHTQueueCounter()));
    const int taken = bytes.empty() ? 0 : CliReadSPIHTQueueBlock(bytes.data(), static_cast<int>(bytes.size()));
    bytes.resize(static_cast<size_t>(taken));
    return bytes;
}

size_t ApiHtDevice::writeDFifo(std::span<const std::uint8_t> piece) {
    std::vector<std::uint8_t> copy(piece.begin(), piece.end());  // the API takes a mutable pointer
    return CliWriteToSPIHTdFIFO(copy.data(), static_cast<std::uint8_t>(copy.size()));
}

}  // namespace zel::gui::tester
