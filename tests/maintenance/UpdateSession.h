// A simulator and the device link opened on it, for the firmware-update tests through the
// library's exports.
#pragma once

#include "SimChecks.h"
#include "ZelmorProDll.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zel::test::maintenance {

// Strict frame checking; host waits and erase times shortened a thousandfold.
inline std::vector<std::string> fastStrictOptions() { return {"--strict", "--time-scale", "0.001"}; }

// ASCII paths only (the temporary folders are).
inline std::wstring widePath(const std::filesystem::path& path) {
    const std::string text = path.string();
    return std::wstring(text.begin(), text.end());
}

class UpdateSession : public ::testing::Test {
protected:
    void start(std::vector<std::string> devices, std::vector<std::string> options = fastStrictOptions()) {
        const int count = static_cast<int>(devices.size());
        sim.emplace(std::move(devices), std::move(options));
        sim->exportEnvironment();
        InitZelmorPro();
        for (int device = 0; device < count; ++device) sim->clearLog(device);  // opening reads the name
    }
    void TearDown() override {
        CloseUSBZelmorPro();
        ExitZelmorPro();
        sim.reset();
    }

    long update(const std::filesystem::path& source, int index = 0) {
        const std::wstring path = widePath(source);
        return SendCommandToZelmorPro(ZELMOR_CMD_FIRMWARE_UPDATE, reinterpret_cast<uintptr_t>(path.c_str()), 0, 0, index);
    }
    long writePage(uint32_t address, const Bytes& page, int index = 0) {
        return SendCommandToZelmorPro(ZELMOR_CMD_FLASH_WRITE_PAGE, reinterpret_cast<uintptr_t>(page.data()), address, 0,
                                      index);
    }
    Bytes wholeFlash() const { return flashBytes(*sim, 0, 0, 0x200000); }
    std::vector<Bytes> frames() const { return sim->commandFrames(0); }
    std::string violations() const { return sim->control("violations 0"); }

    ConfigHome home;
    TempDir files;
    std::optional<SimProcess> sim;
};

}  // namespace zel::test::maintenance
