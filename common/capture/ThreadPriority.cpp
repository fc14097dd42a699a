#include "ThreadPriority.h"

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace zel::capture {

void yieldToOtherThreads() {
#if defined(__linux__)
    // On Linux the nice value belongs to the thread named by its id.
    setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
#endif
}

}  // namespace zel::capture
