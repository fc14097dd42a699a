// The small command lines of the project's tools: words taken out by option name, numbers in
// decimal or 0x-hexadecimal. What is left over afterwards is the caller's to judge.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zel::tools {

// A number that fills the whole text and is at most `limit`.
inline bool parseNumber(std::string_view text, uint64_t limit, uint64_t& value) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && value <= limit;
}

class Arguments {
public:
    Arguments(int argc, char** argv) : words_(argv + 1, argv + argc) {}

    // The value after `option`, removed from the list with it; a trailing option without value
    // stays in the list, so it shows as an unexpected word.
    bool take(const char* option, std::string& value) {
        for (size_t i = 0; i + 1 < words_.size(); ++i) {
            if (words_[i] != option) continue;
            value = words_[i + 1];
            words_.erase(words_.begin() + static_cast<long>(i), words_.begin() + static_cast<long>(i) + 2);
            return true;
        }
        return false;
    }
    bool takeFlag(const char* option) {
        for (size_t i = 0; i < words_.size(); ++i) {
            if (words_[i] != option) continue;
            words_.erase(words_.begin() + static_cast<long>(i));
            return true;
        }
        return false;
    }
    // A numeric option: false when absent; `bad` is set when present but not a number <= limit.
    bool takeNumber(const char* option, uint64_t limit, uint64_t& value, bool& bad) {
        std::string text;
        if (!take(option, text)) return false;
        bad = bad || !parseNumber(text, limit, value);
        return true;
    }
    const std::vector<std::string>& rest() const { return words_; }

private:
    std::vector<std::string> words_;
};

}  // namespace zel::tools
