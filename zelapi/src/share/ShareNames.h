// Names of the share segment and of its liveness file for the effective user. The environment
// variable ZELMOR_SHARE_PREFIX puts a prefix before both, so that tests running side by side
// never meet in one segment.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zel::api::share {

inline constexpr const char* kPrefixVariable = "ZELMOR_SHARE_PREFIX";

struct ShareNames {
    std::string segment;   // "/<prefix>ZelmorProSharedMem.<uid>", a POSIX shared-memory name
    std::string liveness;  // the segment's name + ".live"
};

// Null, with `reason` set, when the prefix cannot be part of a shared-memory name.
std::optional<ShareNames> shareNamesFor(std::string_view prefix, unsigned uid, std::string& reason);
// The names from ZELMOR_SHARE_PREFIX (empty when unset) and the effective user.
std::optional<ShareNames> shareNamesFromEnvironment(std::string& reason);

}  // namespace zel::api::share
