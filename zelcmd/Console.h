// The one path of all console output: narrow UTF-8 text, whole pieces written under one lock so
// that the per-device workers never interleave inside a message. Texts are passed through as
// they are; the helpers only add the line end that a message format asks for.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace zel::cmd {

class Console {
public:
    virtual ~Console() = default;

    // Raw text, exactly as given.
    virtual void out(std::string_view text) = 0;
    virtual void err(std::string_view text) = 0;
    virtual void flush() {}

    // A message printed with the format "%s\n".
    void line(std::string_view text);
};

// stdout / stderr of the process.
class ProcessConsole final : public Console {
public:
    void out(std::string_view text) override;
    void err(std::string_view text) override;
    void flush() override;

private:
    void write(std::FILE* stream, std::string_view text);
    std::mutex lock_;
};

// Keeps everything written, for tests.
class RecordingConsole final : public Console {
public:
    void out(std::string_view text) override;
    void err(std::string_view text) override;

    std::string stdoutText() const;
    std::string stderrText() const;

private:
    mutable std::mutex lock_;
    std::string out_;
    std::string err_;
};

// printf-style formatting into a std::string.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace zel::cmd
