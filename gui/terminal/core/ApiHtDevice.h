// The tester's emulator through the API, on the selected device. A register read cannot tell a
// failed transfer through the API, so it always gives a value; the FIFO steps report failures.
// Threads: the user-interface thread, while no terminal or trace capture owns the transfers.
#pragma once

#include "HtTester.h"

namespace zel::gui::tester {

class ApiHtDevice final : public HtDevice {
public:
    bool emulating() override;
    std::optional<std::uint8_t> readRegister(int index) override;
    std::optional<std::vector<std::uint8_t>> readUFifo() override;
    size_t writeDFifo(std::span<const std::uint8_t> piece) override;
};

}  // namespace zel::gui::tester
