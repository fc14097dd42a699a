#include "target/TargetScript.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace zel::sim::target {
namespace {

constexpr uint8_t kHeader[] = {0x40, 0x44, 0x36, 0x47};
constexpr size_t kMaxRead = 1u << 20;

[[noreturn]] void fail(size_t line, const std::string& why) {
    throw ScriptError("line " + std::to_string(line) + ": " + why);
}

unsigned long number(const std::string& word, size_t line, const char* what) {
    unsigned long value = 0;
    auto [end, err] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (err != std::errc() || end != word.data() + word.size()) fail(line, std::string("bad ") + what + ": " + word);
    return value;
}

std::vector<uint8_t> hexBytes(const std::string& text, size_t line, std::vector<size_t>* counterAt) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size();) {
        if (counterAt && text.compare(i, 3, "{n}") == 0) {
            counterAt->push_back(bytes.size());
            bytes.insert(bytes.end(), 4, 0);
            i += 3;
            continue;
        }
        unsigned value = 0;
        if (i + 2 > text.size()) fail(line, "odd number of hex digits: " + text);
        auto [end, err] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (err != std::errc() || end != text.data() + i + 2) fail(line, "bad hex byte in " + text);
        bytes.push_back(static_cast<uint8_t>(value));
        i += 2;
    }
    return bytes;
}

ScriptStep parseMessage(std::istringstream& words, size_t line) {
    std::string type, form;
    words >> type >> form;
    const auto typeValue = number(type, line, "message type");
    if (typeValue < 1 || typeValue > 7) fail(line, "message types are 1 to 7");
    std::string rest;
    std::getline(words, rest);
    if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
    std::vector<uint8_t> payload;
    if (form == "text") payload.assign(rest.begin(), rest.end());
    else if (form == "hex") payload = hexBytes(rest, line, nullptr);
    else fail(line, "msg TYPE text TEXT or msg TYPE hex HEX");
    if (payload.size() > 255) fail(line, "a message carries at most 255 bytes");
    ScriptStep step{ScriptStep::Kind::Message};
    step.bytes = terminalMessage(static_cast<uint8_t>(typeValue), payload);
    return step;
}

}  // namespace

std::vector<uint8_t> terminalMessage(uint8_t type, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> bytes(std::begin(kHeader), std::end(kHeader));
    bytes.push_back(type);
    bytes.push_back(static_cast<uint8_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

std::vector<ScriptStep> parseTargetScript(const std::string& text) {
    std::vector<ScriptStep> steps;
    std::istringstream lines(text);
    size_t lineNumber = 0;
    for (std::string line; std::getline(lines, line);) {
        ++lineNumber;
        if (auto hash = line.find('#'); hash != std::string::npos && line.compare(0, 3, "msg") != 0) line.erase(hash);
        std::istringstream words(line);
        std::string verb;
        if (!(words >> verb)) continue;
        if (verb == "msg") {
            steps.push_back(parseMessage(words, lineNumber));
            continue;
        }
        std::string first, second, extra;
        words >> first >> second >> extra;
        if (!extra.empty()) fail(lineNumber, "too many words");
        if (verb == "spi") {
            ScriptStep step{ScriptStep::Kind::Spi};
            step.bytes = hexBytes(first, lineNumber, &step.counterAt);
            if (step.bytes.empty()) fail(lineNumber, "spi needs bytes to send");
            step.readLength = second.empty() ? 0 : number(second, lineNumber, "read length");
            if (step.readLength > kMaxRead) fail(lineNumber, "at most 1 MiB read");
            steps.push_back(std::move(step));
        } else if (verb == "recv") {
            const auto max = number(first, lineNumber, "byte count");
            if (max < 1 || max > 255 || !second.empty()) fail(lineNumber, "recv takes 1 to 255");
            ScriptStep step{ScriptStep::Kind::Receive};
            step.readLength = max;
            steps.push_back(std::move(step));
        } else {
            fail(lineNumber, "unknown step " + verb);
        }
    }
    if (steps.empty()) throw ScriptError("the script has no steps");
    return steps;
}

std::vector<ScriptStep> loadTargetScript(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ScriptError("cannot read " + file.string());
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return parseTargetScript(text.str());
    } catch (const ScriptError& e) {
        throw ScriptError(file.string() + ": " + e.what());
    }
}

}  // namespace zel::sim::target
