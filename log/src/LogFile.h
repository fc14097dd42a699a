// The one process-wide log file. Every member swallows its own failures: logging must never
// break the program that logs.
#pragma once

#include <memory>
#include <mutex>
#include <string_view>

namespace spdlog {
class logger;
}

namespace zel::log {

class LogFile {
public:
    static LogFile& instance();

    void open(std::string_view title) noexcept;
    void close() noexcept;
    void write(int level, std::string_view line) noexcept;
    bool isOpen() const noexcept;

private:
    std::shared_ptr<spdlog::logger> current() const;

    mutable std::mutex mutex_;
    std::shared_ptr<spdlog::logger> logger_;  // null while closed
};

}  // namespace zel::log
