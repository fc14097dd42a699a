#include "ZelcmdTestEnv.h"

#include "simwire/DataDigest.h"

#include <pugixml.hpp>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zel::test {

std::vector<uint8_t> patternBytes(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    return bytes;
}

void writeFile(const fs::path& path, std::span<const uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeText(const fs::path& path, const std::string& text) {
    writeFile(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::vector<uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint64_t digestOf(std::span<const uint8_t> bytes) { return simwire::DataDigest::of(bytes); }

uint64_t simDigest(const SimProcess& sim, int device, uint32_t address, uint32_t length) {
    char command[64];
    std::snprintf(command, sizeof command, "digest %d 0x%x 0x%x", device, address, length);
    return std::stoull(sim.control(command), nullptr, 16);
}

namespace {

std::vector<uint8_t> fromHex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

std::vector<std::string> statusWords(const SimProcess& sim, int device) {
    std::istringstream in(sim.control("status"));
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> result;
        for (std::string w; words >> w;) result.push_back(w);
        if (!result.empty() && result[0] == std::to_string(device)) return result;
    }
    throw std::runtime_error("zelsim status lacks device " + std::to_string(device));
}

bool statusHas(const SimProcess& sim, int device, const std::string& word) {
    for (const auto& w : statusWords(sim, device))
        if (w == word) return true;
    return false;
}

}  // namespace

std::vector<uint8_t> simMemory(const SimProcess& sim, int device, uint32_t address, uint32_t length) {
    char command[64];
    std::snprintf(command, sizeof command, "mem %d 0x%x 0x%x", device, address, length);
    return fromHex(trimmed(sim.control(command)));
}

bool simRunning(const SimProcess& sim, int device) { return statusHas(sim, device, "running"); }
bool simFree(const SimProcess& sim, int device) { return statusHas(sim, device, "free"); }

std::vector<uint8_t> simRpmc(const SimProcess& sim, int device) {
    return fromHex(trimmed(sim.control("table " + std::to_string(device) + " rpmc")));
}

namespace {

std::string hexRecord(uint8_t type, uint16_t address, std::span<const uint8_t> data) {
    char text[16];
    std::string line = ":";
    uint8_t sum = static_cast<uint8_t>(data.size() + (address >> 8) + (address & 0xFF) + type);
    std::snprintf(text, sizeof text, "%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
    line += text;
    for (uint8_t b : data) {
        std::snprintf(text, sizeof text, "%02X", b);
        line += text;
        sum = static_cast<uint8_t>(sum + b);
    }
    std::snprintf(text, sizeof text, "%02X", static_cast<uint8_t>(-sum));
    return line + text + "\n";
}

}  // namespace

std::string intelHex(uint32_t address, std::span<const uint8_t> bytes) {
    std::string text;
    uint32_t upper = 0xFFFFFFFF;
    for (size_t i = 0; i < bytes.size(); i += 16) {
        const uint32_t at = address + static_cast<uint32_t>(i);
        if ((at >> 16) != upper) {
            upper = at >> 16;
            const uint8_t ext[2] = {static_cast<uint8_t>(upper >> 8), static_cast<uint8_t>(upper)};
            text += hexRecord(0x04, 0, ext);
        }
        text += hexRecord(0x00, static_cast<uint16_t>(at), bytes.subspan(i, std::min<size_t>(16, bytes.size() - i)));
    }
    return text + ":00000001FF\n";
}

std::string srecord(uint32_t address, std::span<const uint8_t> bytes) {
    std::string text = "S00600004844521B\n";
    char field[16];
    for (size_t i = 0; i < bytes.size(); i += 16) {
        const uint32_t at = address + static_cast<uint32_t>(i);
        const size_t n = std::min<size_t>(16, bytes.size() - i);
        uint8_t sum = static_cast<uint8_t>(n + 5 + (at >> 24) + (at >> 16) + (at >> 8) + at);
        std::snprintf(field, sizeof field, "S3%02X%08X", static_cast<unsigned>(n + 5), at);
        text += field;
        for (size_t k = 0; k < n; ++k) {
            std::snprintf(field, sizeof field, "%02X", bytes[i + k]);
            text += field;
            sum = static_cast<uint8_t>(sum + bytes[i + k]);
        }
        std::snprintf(field, sizeof field, "%02X\n", static_cast<uint8_t>(~sum));
        text += field;
    }
    return text + "S70500000000FA\n";
}

std::vector<uint8_t> decodeWithObjcopy(const fs::path& file, const std::string& format) {
    const fs::path out = file.string() + ".objcopy.bin";
    ChildSpec spec;
    spec.argv = {"/usr/bin/objcopy", "-I", format, "-O", "binary", file.string(), out.string()};
    spec.environment = {"PATH=/usr/bin:/bin", "LC_ALL=C"};
    spec.timeout = std::chrono::seconds(60);
    auto result = runChild(spec);
    if (result.status != 0) throw std::runtime_error("objcopy failed: " + result.err);
    return readFile(out);
}

std::string SettingsFile::value(const std::string& key) const {
    for (const auto& [name, text] : attributes)
        if (name == key) return text;
    return "<missing>";
}

SettingsFile readSettings(const fs::path& path) {
    const auto bytes = readFile(path);
    SettingsFile result;
    result.utf16leWithBom = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    pugi::xml_document document;
    // The desktop program reads raw UTF-16LE: parse the bytes as exactly that.
    auto parsed = document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_declaration,
                                       result.utf16leWithBom ? pugi::encoding_utf16_le : pugi::encoding_auto);
    if (!parsed) throw std::runtime_error("settings document does not parse: " + std::string(parsed.description()));
    auto root = document.document_element();
    result.rootName = root.name();
    for (auto attribute : root.child("GUI_USERS").attributes()) result.attributes.emplace_back(attribute.name(), attribute.value());
    return result;
}

fs::path settingsTemplate() { return ZEL_SETTINGS_TEMPLATE; }

std::string header(int number, int serial) {
    char text[64];
    if (serial < 0) std::snprintf(text, sizeof text, "Device %d (N.A) : \n", number);
    else std::snprintf(text, sizeof text, "Device %d (%s%06d) : \n", number, serial < 100000 ? "VK" : "ZL", serial);
    return text;
}

void ZelcmdTest::startSim(std::vector<std::string> devices, std::vector<std::string> options) {
    env_.reset();
    sim_ = std::make_unique<SimProcess>(std::move(devices), std::move(options));
    env_ = std::make_unique<ZelcmdProcess>(sim_.get());
}

ChildResult ZelcmdTest::zelcmd(const std::vector<std::string>& args, ChildInput input) {
    if (!env_) env_ = std::make_unique<ZelcmdProcess>(sim_.get());
    return env_->run(args, std::move(input));
}

std::string describe(const ChildResult& r) {
    return "status " + std::to_string(r.status) + (r.timedOut ? " (timed out)" : "") +
           (r.signal ? " signal " + std::to_string(r.signal) : "") + "\n--- stdout ---\n" + r.out +
           "\n--- stderr ---\n" + r.err;
}

}  // namespace zel::test
