#include "ShareNames.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace zel::api::share {

std::optional<ShareNames> shareNamesFor(std::string_view prefix, unsigned uid, std::string& reason)
{
    // A shared-memory name is one file name: no folder separator, printable, short enough.
    const bool usable = std::ranges::all_of(prefix, [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code > ' ' && code < 0x7F && c != '/';
    });
    if (!usable) {
        reason = std::string(kPrefixVariable) + " may hold only printable ASCII characters other than "
                 "'/' and space";
        return std::nullopt;
    }
    ShareNames names;
    names.segment = "/" + std::string(prefix) + "ZelmorProSharedMem." + std::to_string(uid);
    names.liveness = names.segment + ".live";
    if (names.liveness.size() > NAME_MAX) {
        reason = std::string(kPrefixVariable) + " is too long for a shared-memory name";
        return std::nullopt;
    }
    return names;
}

std::optional<ShareNames> shareNamesFromEnvironment(std::string& reason)
{
    const char* prefix = std::getenv(kPrefixVariable);
    return shareNamesFor(prefix != nullptr ? prefix : "", ::geteuid(), reason);
}

}  // namespace zel::api::share
