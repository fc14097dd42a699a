// Preloaded ahead of umockdev's preload: opening a device node named in ZEL_USB_DENIED (a
// colon-separated list) fails with EACCES, as the kernel answers a user without access to the
// node. The bridge's tests run as root, whom file modes would not refuse.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string_view>

namespace {

bool denied(const char* path) {
    const char* list = std::getenv("ZEL_USB_DENIED");
    if (list == nullptr || path == nullptr) return false;
    const std::string_view wanted(path);
    for (std::string_view rest(list); !rest.empty();) {
        const auto end = rest.find(':');
        if (rest.substr(0, end) == wanted) return true;
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
    return false;
}

using OpenFunction = int (*)(const char*, int, ...);

int openChecked(const char* name, const char* path, int flags, mode_t mode) {
    if (denied(path)) {
        errno = EACCES;
        return -1;
    }
    auto next = reinterpret_cast<OpenFunction>(dlsym(RTLD_NEXT, name));
    return next(path, flags, mode);
}

mode_t modeArgument(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openChecked("open", path, flags, mode);
}

extern "C" __attribute__((visibility("default"))) int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeArgument(flags, args);
    va_end(args);
    return openChecked("open64", path, flags, mode);
}

// What a fortified open() with flags unknown at compile time calls (libusb opens nodes so).
extern "C" __attribute__((visibility("default"))) int __open_2(const char* path, int flags) {
    return openChecked("__open_2", path, flags, 0);
}

extern "C" __attribute__((visibility("default"))) int __open64_2(const char* path, int flags) {
    return openChecked("__open64_2", path, flags, 0);
}
