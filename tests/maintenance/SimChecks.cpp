#include "SimChecks.h"

#include "simwire/DataDigest.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zel::test::maintenance {

Bytes flashBytes(const SimProcess& sim, int device, uint32_t address, uint32_t length) {
    char command[64];
    std::snprintf(command, sizeof command, "flash %d 0x%x 0x%x", device, address, length);
    std::string text = sim.control(command);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.size() != size_t{length} * 2) throw std::runtime_error("unexpected flash dump length");
    Bytes bytes(length);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(std::stoul(text.substr(2 * i, 2), nullptr, 16));
    return bytes;
}

std::string hex(const Bytes& bytes) {
    std::string text;
    char pair[3];
    for (auto b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += pair;
    }
    return text;
}

::testing::AssertionResult sameFrames(const std::vector<Bytes>& actual, const std::vector<Bytes>& expected) {
    const size_t common = std::min(actual.size(), expected.size());
    for (size_t i = 0; i < common; ++i) {
        if (actual[i] != expected[i])
            return ::testing::AssertionFailure() << "frame " << i << " is " << hex(actual[i]) << ", expected "
                                                 << hex(expected[i]);
    }
    if (actual.size() != expected.size()) {
        auto failure = ::testing::AssertionFailure();
        failure << actual.size() << " frames, expected " << expected.size();
        if (actual.size() > common) failure << "; first extra " << hex(actual[common]);
        else failure << "; first missing " << hex(expected[common]);
        return failure;
    }
    return ::testing::AssertionSuccess();
}

std::vector<DataPhase> dataPhasesAfter(const std::vector<SimLogEntry>& log, uint8_t opcode) {
    std::vector<DataPhase> phases;
    bool expectData = false;
    for (const auto& entry : log) {
        if (entry.kind != SimLogEntry::Kind::Out || entry.endpoint != 0x01) continue;
        if (expectData) {
            phases.push_back({entry.length, entry.whole, entry.data, entry.hash});
            expectData = false;
        } else if (entry.length == 16 && entry.status == "ok" && !entry.data.empty() && entry.data[0] == opcode) {
            expectData = true;
        }
    }
    return phases;
}

bool phaseCarries(const DataPhase& phase, const Bytes& bytes) {
    if (phase.length != bytes.size()) return false;
    if (phase.whole) return phase.data == bytes;
    return std::equal(phase.data.begin(), phase.data.end(), bytes.begin()) &&
           phase.hash == simwire::DataDigest::of(bytes);
}

size_t countFrames(const std::vector<Bytes>& frames, uint8_t opcode) {
    return static_cast<size_t>(std::count_if(frames.begin(), frames.end(), [opcode](const Bytes& f) { return f[0] == opcode; }));
}

ConfigHome::ConfigHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zel-maint-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
    root_ = pattern;
    if (const char* value = std::getenv("XDG_CONFIG_HOME")) {
        previous_ = value;
        hadPrevious_ = true;
    }
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
}

ConfigHome::~ConfigHome() {
    if (hadPrevious_) ::setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

void ConfigHome::plantEncrypFile() const {
    std::filesystem::create_directories(encrypFile().parent_path());
    std::ofstream(encrypFile(), std::ios::binary) << "key";
}

}  // namespace zel::test::maintenance
