// The API opened for the lifetime of a scope: opened (and the emulators enumerated) on entry,
// the emulators released and the API closed on exit, also when the scope is left by an exception.
#pragma once

#include "DeviceApi.h"

namespace zel::session {

class ApiSession {
public:
    explicit ApiSession(DeviceApi& api) : api_(api) { api_.open(); }
    ~ApiSession() { api_.close(); }
    ApiSession(const ApiSession&) = delete;
    ApiSession& operator=(const ApiSession&) = delete;

    DeviceApi& api() { return api_; }

private:
    DeviceApi& api_;
};

}  // namespace zel::session
