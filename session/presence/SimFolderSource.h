// Presence of simulated emulators: each one is an endpoint "<name>.usb" in the ZELMOR_SIM folder,
// which zelsim creates when it starts or replugs a device and removes when it unplugs one or
// stops. Watched with inotify. The folder may not exist yet, or vanish and come back with the
// simulator: then the nearest existing folder above it is watched until it is there again.
#pragma once

#include "presence/PresenceSource.h"
#include "presence/WakeFd.h"

#include <filesystem>
#include <set>
#include <string>

namespace zel::session::presence {

class SimFolderSource final : public PresenceSource {
public:
    // Throws std::system_error when inotify cannot be set up.
    explicit SimFolderSource(std::filesystem::path folder);
    ~SimFolderSource() override;
    SimFolderSource(const SimFolderSource&) = delete;
    SimFolderSource& operator=(const SimFolderSource&) = delete;

    bool wait(std::optional<std::chrono::milliseconds> timeout) override;
    void wake() override { wake_.signal(); }

private:
    bool readEvents();
    bool attach();
    void watchNearest();

    std::filesystem::path folder_;
    int inotify_;
    WakeFd wake_;
    int watch_ = -1;                     // on folder_ itself, or on watched_ above it
    std::filesystem::path watched_;
    std::set<std::string> endpoints_;    // names of the endpoints last seen
};

}  // namespace zel::session::presence
