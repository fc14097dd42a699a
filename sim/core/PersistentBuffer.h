// A fixed-size byte store kept in a file of the simulator's folder (mapped, so every change is
// in the file at once), for the contents a real device keeps across power cycles: its on-board
// flash. A new or wrongly sized file is initialised by the caller's function.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>

namespace zel::sim {

class PersistentBuffer {
public:
    using Initialiser = std::function<void(std::span<uint8_t>)>;

    // An empty path keeps the bytes in memory only. Throws std::runtime_error on failure.
    PersistentBuffer(const std::filesystem::path& path, size_t size, const Initialiser& initialise);
    ~PersistentBuffer();
    PersistentBuffer(const PersistentBuffer&) = delete;
    PersistentBuffer& operator=(const PersistentBuffer&) = delete;

    std::span<uint8_t> bytes() { return {data_, size_}; }
    std::span<const uint8_t> bytes() const { return {data_, size_}; }
    // True when the contents came from an existing file.
    bool restored() const { return restored_; }

private:
    std::unique_ptr<uint8_t[]> heap_;  // memory-only contents
    uint8_t* data_ = nullptr;           // heap_ or the mapping, which the destructor unmaps
    size_t size_ = 0;
    bool mapped_ = false;
    bool restored_ = false;
};

}  // namespace zel::sim
