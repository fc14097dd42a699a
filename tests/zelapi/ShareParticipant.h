// Processes meeting in the API's share channel, for tests: each participant is a forked copy of
// the test that initialises the API (with no emulator) and makes one call per command it is sent,
// answering with one line:
//   'P' CliPauseZelmorPro, 'R' CliRegainZelmorPro, 'G' CliGetUSBShareEvent (one poll),
//   'W' CliGetUSBShareEvent until a request comes (at most 5 s), 'A' CliReleaseUSBShareEvent,
//   'E' CliGetUSBShareError.
#pragma once

#include "BackgroundChild.h"
#include "TempDir.h"
#include "share/ShareLayout.h"
#include "share/ShareNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

namespace zel::test {

class ShareParticipant {
public:
    ShareParticipant();  // throws std::runtime_error when the child does not come up
    void send(char command) const { child_.send(std::string(1, command)); }
    // The reply to the command sent before; "(none)" when none comes within 10 s.
    std::string reply();
    std::string call(char command)
    {
        send(command);
        return reply();
    }
    void kill();  // SIGKILL, then reaped

private:
    BackgroundChild child_;
};

// Gives every test its own share channel (ZELMOR_SHARE_PREFIX) and no emulator, and removes the
// channel's objects afterwards.
class ShareChannelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    const api::share::ShareNames& names() const { return names_; }

private:
    TempDir noEmulators_;
    api::share::ShareNames names_;
};

// The segment as a test sees it, mapped read-only by name: looking does not count as using it.
class SegmentView {
public:
    explicit SegmentView(const std::string& name);
    ~SegmentView();
    SegmentView(const SegmentView&) = delete;
    SegmentView& operator=(const SegmentView&) = delete;
    // Null until the segment exists with its whole size.
    const api::share::ShareSegmentLayout* layout();

private:
    std::string name_;
    void* address_ = nullptr;
};

}  // namespace zel::test
