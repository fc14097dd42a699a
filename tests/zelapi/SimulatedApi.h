// Fixture for API tests against a running simulator: starts zelsim with the given devices,
// points the device libraries at it, and closes the API (releasing the devices) afterwards.
#pragma once

#include "SimProcess.h"
#include "zelapi.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace zel::test {

class SimulatedApi : public ::testing::Test {
protected:
    void startSimulator(std::vector<std::string> deviceSpecs, std::vector<std::string> options = {},
                        std::chrono::milliseconds transferTimeout = std::chrono::milliseconds(2000))
    {
        sim_.emplace(std::move(deviceSpecs), std::move(options));
        sim_->exportEnvironment(transferTimeout);
    }

    void TearDown() override
    {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
        sim_.reset();
    }

    SimProcess& sim() { return *sim_; }

private:
    std::optional<SimProcess> sim_;
};

}  // namespace zel::test
