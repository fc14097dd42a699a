// Telling a running desktop program that the tool takes the emulators (code 1, before any device
// work) and that it has let them go (code 2, at the end of every run).
#pragma once

namespace zel::cmd {

class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    virtual void devicesTaken() = 0;
    virtual void devicesReleased() = 0;
};

// Over the desktop program's notice socket; does nothing when no desktop program listens.
class SocketDesktopNotifier final : public DesktopNotifier {
public:
    void devicesTaken() override;
    void devicesReleased() override;
};

}  // namespace zel::cmd
