#include "ShareParticipant.h"

#include "zelapi.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace zel::test {
namespace {

void writeLine(int output, const std::string& text)
{
    const std::string line = text + "\n";
    [[maybe_unused]] const auto written = ::write(output, line.data(), line.size());
}

std::string awaitRequest()
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int code = 0;
    while (code == 0 && std::chrono::steady_clock::now() < end)
        code = CliGetUSBShareEvent();
    return std::to_string(code);
}

std::string perform(char command)
{
    switch (command) {
    case 'P':
        return std::to_string(CliPauseZelmorPro());
    case 'R':
        return std::to_string(CliRegainZelmorPro());
    case 'G':
        return std::to_string(CliGetUSBShareEvent());
    case 'W':
        return awaitRequest();
    case 'A':
        CliReleaseUSBShareEvent();
        return "answered";
    case 'E':
        return CliGetUSBShareError();
    default:
        return "unknown command";
    }
}

int participate(int input, int output)
{
    CliInitialZelmorProDLL();
    writeLine(output, "ready");
    char command = 0;
    while (::read(input, &command, 1) == 1)
        writeLine(output, perform(command));
    CliCloseZelmorProDLL();
    return 0;
}

}  // namespace

ShareParticipant::ShareParticipant() : child_(participate)
{
    if (child_.readLine() != "ready")
        throw std::runtime_error("a share participant did not start");
}

std::string ShareParticipant::reply()
{
    return child_.readLine().value_or("(none)");
}

void ShareParticipant::kill()
{
    child_.signal(SIGKILL);
    child_.finish();
}

void ShareChannelTest::SetUp()
{
    static int counter = 0;
    const std::string prefix = "zeltest." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".";
    ::setenv(api::share::kPrefixVariable, prefix.c_str(), 1);
    ::setenv("ZELMOR_SIM", noEmulators_.path().c_str(), 1);  // never real USB
    std::string reason;
    names_ = *api::share::shareNamesFor(prefix, ::geteuid(), reason);
}

void ShareChannelTest::TearDown()
{
    ::shm_unlink(names_.segment.c_str());
    ::shm_unlink(names_.liveness.c_str());
}

SegmentView::SegmentView(const std::string& name) : name_(name) {}

SegmentView::~SegmentView()
{
    if (address_ != nullptr)
        ::munmap(address_, sizeof(api::share::ShareSegmentLayout));
}

const api::share::ShareSegmentLayout* SegmentView::layout()
{
    if (address_ != nullptr)
        return static_cast<const api::share::ShareSegmentLayout*>(address_);
    const int fd = ::shm_open(name_.c_str(), O_RDONLY, 0);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && static_cast<size_t>(info.st_size) >= sizeof(api::share::ShareSegmentLayout)) {
        void* address = ::mmap(nullptr, sizeof(api::share::ShareSegmentLayout), PROT_READ, MAP_SHARED, fd, 0);
        if (address != MAP_FAILED)
            address_ = address;
    }
    if (fd >= 0)
        ::close(fd);
    return static_cast<const api::share::ShareSegmentLayout*>(address_);
}

}  // namespace zel::test
