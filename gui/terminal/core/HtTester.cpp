#include "HtTester.h"

#include "terminal/DownSend.h"

#include <cctype>
#include <cstdio>

namespace zel::gui::tester {
namespace {

constexpr std::uint8_t kRestartBit = 0x10, kUFifoEmptyBit = 0x20, kDFifoEmptyBit = 0x40;
constexpr std::uint8_t kUninterpreted = 6;
constexpr size_t kIdentificationEntry = 3;
constexpr size_t kBytesPerLine = 16;
constexpr const char* kHexNote = "*Please note that there should be a space after each hex data(Ex. 12 34 56....).";

std::string hexByte(const char* format, unsigned value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string sentLine(size_t count) { return "*" + std::to_string(count) + " bytes are sent to dFIFO"; }

}  // namespace

Lines openingLines(HtDevice& device) {
    return {device.emulating() ? "Start to use SPI Hyper Terminal tester" : kRunFirst};
}

Lines explainMainRegister(std::uint8_t value) {
    if (value == kUninterpreted) return {};
    Lines lines;
    if (value & kRestartBit) lines.emplace_back("*Restart the SPI Flash emulation");
    return lines;
}

Lines readRegister(HtDevice& device, size_t entry) {
    Lines lines{"Read SPI hyper termainl register..."};
    if (!device.emulating()) return lines.push_back(kRunFirst), lines;
    if (entry >= kRegisterNames.size()) return lines;
    if (entry == kIdentificationEntry) return lines.push_back("*Zelmor identification is only available on SPI bus!"), lines;
    const auto value = device.readRegister(static_cast<int>(entry));
    if (!value) return lines.push_back(std::string("*USB Error: reading ") + kRegisterNames[entry] + " failed"), lines;
    lines.push_back(std::string("\n\n*HT Register ") + kRegisterNames[entry] + hexByte(" = 0x%02X", *value));
    if (entry != 0 || *value == kUninterpreted) return lines;
    for (auto& line : explainMainRegister(*value)) lines.push_back(std::move(line));
    const struct {
        std::uint8_t emptyBit;
        const char* name;
        int lengthRegister;
    } fifos[] = {{kUFifoEmptyBit, "uFIFO", 1}, {kDFifoEmptyBit, "dFIFO", 2}};
    for (const auto& fifo : fifos) {
        if (*value & fifo.emptyBit) {
            lines.push_back(std::string("*No valid data in ") + fifo.name);
            continue;
        }
        lines.push_back(std::string("*At least 1B valid data in ") + fifo.name);
        const auto length = device.readRegister(fifo.lengthRegister);
        lines.push_back(length ? "*" + std::string(fifo.name) + hexByte(" length = 0x%02X", *length)
                               : std::string("*USB Error: reading the ") + fifo.name + " length failed");
    }
    return lines;
}

Lines readUFifo(HtDevice& device) {
    Lines lines{"Read upload FIFO..."};
    if (!device.emulating()) return lines.push_back(kRunFirst), lines;
    const auto bytes = device.readUFifo();
    if (!bytes) return lines.push_back("*USB Error: reading the uFIFO failed"), lines;
    if (bytes->empty()) return lines.push_back("*uFIFO content: No data"), lines;
    lines.emplace_back("*uFIFO content:");
    for (size_t at = 0; at < bytes->size(); at += kBytesPerLine) {
        std::string line;
        for (size_t i = at; i < std::min(at + kBytesPerLine, bytes->size()); ++i) line += hexByte(" %02X", (*bytes)[i]);
        lines.push_back(std::move(line));
    }
    return lines;
}

HexInput parseHexInput(std::string_view text) {
    HexInput input;
    for (char c : text)
        if (c != ' ' && !std::isxdigit(static_cast<unsigned char>(c))) {
            input.problems = {"*rror! The data format should be hex!", kHexNote};
            return input;
        }
    bool tooLong = false;
    for (size_t at = 0; at < text.size();) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        const size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view token = text.substr(at, end - at);
        if (token.size() > 2) {
            input.problems.push_back("Error byte: " + std::string(token));
            tooLong = true;
        } else {
            input.bytes.push_back(static_cast<std::uint8_t>(std::stoul(std::string(token), nullptr, 16)));
        }
        at = end;
    }
    if (tooLong) {
        input.problems.emplace_back("*Error! The data format should be hex!");
        input.problems.emplace_back(kHexNote);
        input.bytes.clear();
    }
    return input;
}

// The write's log lines: the count taken, the pieces when split, and a shortfall.
static Lines writtenLines(HtDevice& device, std::span<const std::uint8_t> bytes) {
    const auto result = terminal::sendInPieces(bytes, [&](std::span<const std::uint8_t> piece) { return device.writeDFifo(piece); });
    Lines lines{sentLine(result.written)};
    if (const size_t pieces = (result.requested + terminal::kMaxPiece - 1) / terminal::kMaxPiece; pieces > 1)
        lines.push_back("*" + std::to_string(result.requested) + " bytes written in " + std::to_string(pieces) +
                        " pieces of at most " + std::to_string(terminal::kMaxPiece) + " bytes");
    if (!result.complete())
        lines.push_back("*USB Error: only " + std::to_string(result.written) + " of " + std::to_string(result.requested) +
                        " bytes reached the dFIFO");
    return lines;
}

Lines writeHex(HtDevice& device, std::string_view hexText) {
    Lines lines{"Write hex data to download FIFO..."};
    if (!device.emulating()) return lines.push_back(kRunFirst), lines;
    if (hexText.empty()) return lines.push_back("*0 bytes are sending to dFIFO"), lines;
    HexInput input = parseHexInput(hexText);
    if (!input.problems.empty()) {
        lines.insert(lines.end(), input.problems.begin(), input.problems.end());
        return lines;
    }
    const Lines written = writtenLines(device, input.bytes);
    lines.insert(lines.end(), written.begin(), written.end());
    return lines;
}

Lines writeText(HtDevice& device, std::span<const std::uint8_t> bytes) {
    Lines lines{"Write string data to download FIFO..."};
    if (!device.emulating()) return lines.push_back(kRunFirst), lines;
    const Lines written = writtenLines(device, bytes);
    lines.insert(lines.end(), written.begin(), written.end());
    return lines;
}


}  // namespace zel::gui::tester
