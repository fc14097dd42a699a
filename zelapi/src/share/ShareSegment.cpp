#include "ShareSegment.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace zel::api::share {
namespace {

constexpr size_t kSegmentSize = sizeof(ShareSegmentLayout);

std::string systemError(const std::string& name, const char* what)
{
    const int error = errno;
    return name + " " + what + ": " + std::strerror(error);
}

std::string formatted(const char* format, unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Another user could have made the object first to read or steer our requests: only a regular
// file of the effective user, closed to group and others, is used.
UniqueFd openPrivate(const std::string& name, std::string& reason)
{
    UniqueFd fd(shm_open(name.c_str(), O_RDWR | O_CREAT, 0600));  // O_NOFOLLOW, O_CLOEXEC implied
    struct stat info {};
    if (!fd)
        reason = systemError(name, "cannot be opened");
    else if (fstat(fd.get(), &info) != 0)
        reason = systemError(name, "cannot be examined");
    else if (!S_ISREG(info.st_mode))
        reason = name + " is not a regular file";
    else if (info.st_uid != geteuid())
        reason = name + " belongs to user " + std::to_string(info.st_uid) + ", not to user " +
                 std::to_string(geteuid());
    else if ((info.st_mode & 077) != 0)
        reason = name + " is open to group or others (mode " + formatted("0%03o", info.st_mode & 0777) + ")";
    else
        return fd;
    return {};
}

// The mapping keeps the file open after its descriptor is closed, and with it any flock taken
// through that descriptor: this lock ends explicitly.
class SetUpLock {
public:
    explicit SetUpLock(int fd) : fd_(fd) {}
    ~SetUpLock() { flock(fd_, LOCK_UN); }
    SetUpLock(const SetUpLock&) = delete;
    SetUpLock& operator=(const SetUpLock&) = delete;

private:
    int fd_;
};

// flock has no time limit of its own.
bool lockExclusiveWithin(int fd, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

SharedMapping mapSegment(int fd, const std::string& name, std::string& reason)
{
    void* address = mmap(nullptr, kSegmentSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED) {
        reason = systemError(name, "cannot be mapped");
        return {};
    }
    return {address, kSegmentSize};
}

bool initialiseLock(pthread_mutex_t& lock)
{
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0)
        return false;
    const bool made = pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED) == 0 &&
                      pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST) == 0 &&
                      pthread_mutex_init(&lock, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return made;
}

// Truncating first zeroes every field, whatever a dead process left; the magic goes in last so
// that no reader ever takes a half-made segment for a ready one.
SharedMapping setUp(int fd, const std::string& name, std::string& reason)
{
    if (ftruncate(fd, 0) != 0 || ftruncate(fd, kSegmentSize) != 0) {
        reason = systemError(name, "cannot be sized");
        return {};
    }
    SharedMapping mapping = mapSegment(fd, name, reason);
    if (!mapping)
        return {};
    auto& layout = *static_cast<ShareSegmentLayout*>(mapping.address());
    if (!initialiseLock(layout.requestLock) || sem_init(&layout.requestPosted, 1, 0) != 0 ||
        sem_init(&layout.replyPosted, 1, 0) != 0) {
        reason = name + ": the process-shared lock or semaphores cannot be made";
        return {};
    }
    layout.version = kSegmentVersion;
    layout.size = kSegmentSize;
    std::atomic_ref(layout.magic).store(kSegmentMagic, std::memory_order_release);
    return mapping;
}

// A segment in use is taken only with exactly our layout; its size is checked before mapping so
// that a short file can never fault a read.
SharedMapping attach(int fd, const std::string& name, std::string& reason)
{
    struct stat info {};
    if (fstat(fd, &info) != 0 || static_cast<size_t>(info.st_size) != kSegmentSize) {
        reason = name + " is in use with another layout (" + std::to_string(info.st_size) + " bytes, not " +
                 std::to_string(kSegmentSize) + ")";
        return {};
    }
    SharedMapping mapping = mapSegment(fd, name, reason);
    if (!mapping)
        return {};
    auto& layout = *static_cast<ShareSegmentLayout*>(mapping.address());
    const uint32_t magic = std::atomic_ref(layout.magic).load(std::memory_order_acquire);
    if (magic != kSegmentMagic || layout.version != kSegmentVersion || layout.size != kSegmentSize) {
        reason = name + " is in use with another layout (magic " + formatted("0x%08X", magic) + ", version " +
                 std::to_string(layout.version) + ", size " + std::to_string(layout.size) + ")";
        return {};
    }
    return mapping;
}

}  // namespace

std::unique_ptr<ShareSegment> ShareSegment::join(const ShareNames& names, std::chrono::milliseconds setUpLimit,
                                                 std::string& reason)
{
    UniqueFd segment = openPrivate(names.segment, reason);
    if (!segment)
        return nullptr;
    UniqueFd liveness = openPrivate(names.liveness, reason);
    if (!liveness)
        return nullptr;
    // Joiners decide one at a time, under an exclusive flock on the segment file.
    if (!lockExclusiveWithin(segment.get(), setUpLimit)) {
        reason = names.segment + " is still being set up by another process after " +
                 std::to_string(setUpLimit.count()) + " ms";
        return nullptr;
    }
    SetUpLock setUpLock(segment.get());
    // Every live user holds a shared flock on the liveness file: an exclusive one is granted only
    // when none is left, and then the segment is stale.
    const bool stale = flock(liveness.get(), LOCK_EX | LOCK_NB) == 0;
    SharedMapping mapping = stale ? setUp(segment.get(), names.segment, reason)
                                  : attach(segment.get(), names.segment, reason);
    if (!mapping)
        return nullptr;
    // Turning an exclusive flock into a shared one may drop it for a moment; only a joiner could
    // step in then, and joiners wait for the set-up lock held here.
    if (flock(liveness.get(), LOCK_SH | LOCK_NB) != 0) {
        reason = systemError(names.liveness, "cannot be locked");
        return nullptr;
    }
    return std::unique_ptr<ShareSegment>(new ShareSegment(std::move(liveness), std::move(mapping)));
}

}  // namespace zel::api::share
