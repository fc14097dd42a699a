#include "core/PersistentBuffer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::sim {
namespace {

std::runtime_error failure(const std::string& what, const std::filesystem::path& path) {
    return std::runtime_error(what + " " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

PersistentBuffer::PersistentBuffer(const std::filesystem::path& path, size_t size, const Initialiser& initialise)
    : size_(size) {
    if (path.empty()) {
        heap_ = std::make_unique<uint8_t[]>(size);
        data_ = heap_.get();
        initialise(bytes());
        return;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) throw failure("cannot open", path);
    struct stat st{};
    bool fresh = ::fstat(fd, &st) != 0 || static_cast<size_t>(st.st_size) != size;
    if (fresh && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        throw failure("cannot size", path);
    }
    void* map = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) throw failure("cannot map", path);
    data_ = static_cast<uint8_t*>(map);
    mapped_ = true;
    restored_ = !fresh;
    if (fresh) initialise(bytes());
}

PersistentBuffer::~PersistentBuffer() {
    if (mapped_) ::munmap(data_, size_);
}

}  // namespace zel::sim
