// The process's one progress callback (CliSetProgressCallback). Workers call it under a shared
// lock, so replacing it waits until no call is running: a front end may free the callback's
// context as soon as the removal returns.
#pragma once

#include "zelapi.h"

#include <cstdint>

namespace zel::api {

void setProgressCallback(ZelProgressCallback callback, void* context);
// One relaxed load: operations decide with it whether to report at all.
bool progressCallbackInstalled();

struct ProgressEvent {
    int operation = 0;
    int device = 0;
    uint64_t done = 0;
    uint64_t total = 0;
};

// Calls the installed callback; true when it asks to cancel (false when none is installed).
bool callProgressCallback(const ProgressEvent& event);

}  // namespace zel::api
