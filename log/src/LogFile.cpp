#include "LogFile.h"

#include "LogLocation.h"

#include <spdlog/logger.h>
#include <spdlog/sinks/basic_file_sink.h>

#include <filesystem>
#include <system_error>

namespace zel::log {
namespace {

spdlog::level::level_enum severity(int level)
{
    if (level <= 0)
        return spdlog::level::info;
    return level == 1 ? spdlog::level::warn : spdlog::level::err;
}

std::shared_ptr<spdlog::logger> createLogger()
{
    auto path = logFilePath();
    if (path.empty())
        return nullptr;
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return nullptr;
    // Not registered with spdlog's global registry: the host may use spdlog for its own loggers.
    auto sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(path.string(), false);
    auto logger = std::make_shared<spdlog::logger>("zelmor", std::move(sink));
    logger->set_pattern("%Y-%m-%d %H:%M:%S.%e [%P:%t] %l %v");
    logger->set_level(spdlog::level::trace);
    // Lines must be in the file when the process dies unexpectedly, and the log is low volume.
    logger->flush_on(spdlog::level::trace);
    // Write errors (disk full, file removed) are dropped instead of printed on the console.
    logger->set_error_handler([](const std::string&) {});
    return logger;
}

}  // namespace

LogFile& LogFile::instance()
{
    // Never destroyed: static destructors elsewhere in the process may still add lines at exit.
    static LogFile& file = *new LogFile;
    return file;
}

void LogFile::open(std::string_view title) noexcept
{
    try {
        std::shared_ptr<spdlog::logger> logger;
        {
            std::lock_guard lock(mutex_);
            if (!logger_)
                logger_ = createLogger();
            logger = logger_;
        }
        if (logger)
            logger->info("{}", title);
    } catch (...) {
        // The log stays closed; its lines are dropped.
    }
}

void LogFile::close() noexcept
{
    try {
        std::shared_ptr<spdlog::logger> logger;
        {
            std::lock_guard lock(mutex_);
            logger.swap(logger_);
        }
        if (logger)
            logger->flush();
    } catch (...) {
    }
}

void LogFile::write(int level, std::string_view line) noexcept
{
    try {
        if (auto logger = current())
            logger->log(severity(level), "{}", line);
    } catch (...) {
    }
}

bool LogFile::isOpen() const noexcept
{
    std::lock_guard lock(mutex_);
    return logger_ != nullptr;
}

std::shared_ptr<spdlog::logger> LogFile::current() const
{
    std::lock_guard lock(mutex_);
    return logger_;
}

}  // namespace zel::log
