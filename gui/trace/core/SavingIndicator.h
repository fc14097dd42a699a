// The main view's "Saving..." text while the continuous writer catches up: the dots grow in the
// old writer's rhythm, one step each quarter of the cycle, so the user sees it is alive.
#pragma once

#include <cstdint>
#include <string>

namespace zel::gui::trace {

// `elapsedMs` since the writer fell behind.
inline std::string savingText(std::int64_t elapsedMs) {
    static constexpr const char* kSteps[] = {"Saving   ", "Saving.  ", "Saving.. ", "Saving..."};
    return kSteps[(elapsedMs / 250) % 4];
}

}  // namespace zel::gui::trace
