// The small command lines of the project's tools: words taken out by option name, numbers in
// decimal or 0x-hexadecimal. What went wrong is kept as one sentence that names the argument, so
// a tool can say what was wrong instead of printing its whole usage.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
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

inline bool looksLikeOption(std::string_view word) { return word.size() > 1 && word[0] == '-'; }

// A bound as a user would write it: address-sized masks (0x7FFFFFFF) in hexadecimal, the rest in
// decimal.
inline std::string describeBound(uint64_t value) {
    if (value < 0xFFFF || ((value + 1) & value) != 0) return std::to_string(value);
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

// "zelinfo: PROBLEM" and a pointer to the help on stderr; returns `status` for main to return.
inline int usageError(std::string_view program, std::string_view problem, int status) {
    const std::string text = std::string(program) + ": " + std::string(problem) + "\nTry '" + std::string(program) +
                             " --help'.\n";
    std::fputs(text.c_str(), stderr);
    return status;
}

class Arguments {
public:
    Arguments(int argc, char** argv) : words_(argv + 1, argv + argc) {}

    // The value after `option`, removed from the list with it. An option that ends the line or
    // is followed by another option has no value: that is the problem noted, and false.
    bool take(const char* option, std::string& value) {
        const auto at = find(option);
        if (!at) return false;
        const bool hasValue = *at + 1 < words_.size() && !looksLikeOption(words_[*at + 1]);
        if (hasValue) value = words_[*at + 1];
        erase(*at, hasValue ? 2 : 1);
        if (!hasValue) refuse(std::string(option) + " needs a value");
        dropRepeats(option, true);
        return hasValue;
    }
    bool takeFlag(const char* option) {
        const auto at = find(option);
        if (!at) return false;
        erase(*at, 1);
        dropRepeats(option, false);
        return true;
    }
    // A numeric option: false when absent or malformed (then the problem is noted).
    bool takeNumber(const char* option, uint64_t low, uint64_t high, uint64_t& value) {
        std::string text;
        if (!take(option, text)) return false;
        if (parseNumber(text, high, value) && value >= low) return true;
        refuse(std::string(option) + " takes a number from " + describeBound(low) + " to " + describeBound(high) +
               ", not " + text);
        return false;
    }

    // Notes a problem; the first one noted is the one reported.
    void refuse(std::string problem) {
        if (!problem_) problem_ = std::move(problem);
    }

    // Once every option was taken: what is wrong with the command line, if anything. Words left
    // that look like options are unknown ones (the likeliest fault, so they come first); the
    // plain words left must be exactly `operands`, which name them for the message.
    std::optional<std::string> problem(std::initializer_list<std::string_view> operands) const {
        for (const auto& word : words_)
            if (looksLikeOption(word)) return "unknown option " + word;
        if (problem_) return problem_;
        if (words_.size() > operands.size()) return "unexpected argument " + words_[operands.size()];
        if (words_.size() < operands.size()) return "missing " + std::string(operands.begin()[words_.size()]);
        return std::nullopt;
    }

    const std::vector<std::string>& rest() const { return words_; }

private:
    std::optional<size_t> find(std::string_view option) const {
        for (size_t i = 0; i < words_.size(); ++i)
            if (words_[i] == option) return i;
        return std::nullopt;
    }
    void erase(size_t at, size_t count) {
        words_.erase(words_.begin() + static_cast<long>(at), words_.begin() + static_cast<long>(at + count));
    }
    // A second copy is refused as such (left in the list it would pass for an unknown option).
    void dropRepeats(const char* option, bool withValue) {
        while (const auto at = find(option)) {
            refuse(std::string(option) + " is given twice");
            const bool value = withValue && *at + 1 < words_.size() && !looksLikeOption(words_[*at + 1]);
            erase(*at, value ? 2 : 1);
        }
    }

    std::vector<std::string> words_;
    std::optional<std::string> problem_;
};

}  // namespace zel::tools
