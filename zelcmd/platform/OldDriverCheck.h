// Old-driver housekeeping: a retired USB driver generation of the emulator (the vendor's first
// driver for 04B4:1234, "Emulator Test") must be replaced before the tool touches any device.
// Linux has no such driver packages, so the Linux check always reports the machine clean; the
// check sits behind this interface so that the notices stay testable.
//
// Test hook (not documented to users): ZELCMD_FAKE_OLD_DRIVER=present makes the check report the
// old driver on a current system (notice only), ZELCMD_FAKE_OLD_DRIVER=present-old-system on an
// older system (notice, then the removal, which the fake only records).
#pragma once

#include <memory>
#include <string_view>

namespace zel::cmd {

enum class OldDriverStatus {
    Clean,
    Present,             // current system: the user is told to remove it
    PresentOnOldSystem,  // older system: the tool removes it itself
};

class OldDriverCheck {
public:
    virtual ~OldDriverCheck() = default;
    virtual OldDriverStatus detect() = 0;
    // Removes the old driver's devices and packages; errors are ignored.
    virtual void remove() = 0;
};

// The platform's check, or the fake when the test hook is set.
std::unique_ptr<OldDriverCheck> makeOldDriverCheck();

// The notice for an old driver that was found (narrow text, no line end).
std::string_view oldDriverNotice(OldDriverStatus status);

}  // namespace zel::cmd
