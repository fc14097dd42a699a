// Our capture and export against independent tools: flashrom, as the target board, reads the
// emulated chip and rewrites two of its sectors through zelsim's serprog endpoint while
// `zeltrace capture` records the bus; the capture, exported as a sigrok session and as VCD, is
// decoded by sigrok-cli's spi and spiflash decoders, and every command and address they find
// must be the ones our decoding finds, in the same order.
#include "BackgroundChild.h"
#include "SimProcess.h"
#include "trace/CommandLayout.h"
#include "trace/TraceFile.h"
#include "trace/TransactionIndex.h"
#include "zelapi.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kChipSize = 1u << 20;  // W25Q80DV: 3-byte addresses, 4 KiB sectors

struct Command {
    uint8_t opcode = 0;
    std::optional<uint32_t> address;
    bool operator==(const Command&) const = default;
};

// The spiflash decoder's names for the commands it annotates at their command byte.
const std::map<std::string, uint8_t> kSigrokNames = {
    {"WRSR", 0x01}, {"PP", 0x02},   {"READ", 0x03},    {"WRDI", 0x04},    {"RDSR", 0x05}, {"WREN", 0x06},
    {"FAST/READ", 0x0B}, {"SE", 0x20}, {"RDSR2", 0x35}, {"CE", 0x60}, {"REMS", 0x90}, {"RDID", 0x9F},
    {"RDP/RES", 0xAB}, {"2READ", 0xBB}, {"CE2", 0xC7}, {"STATUS", 0xD7}};

std::string run(const std::string& command, int* status = nullptr) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return output;
    std::array<char, 4096> buffer;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) output.append(buffer.data(), n);
    const int result = ::pclose(pipe);
    if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

// The commands sigrok-cli's spiflash decoder finds in a waveform file, with the address of
// those that carry one. Annotations of one command share its start sample.
std::vector<Command> sigrokCommands(const fs::path& file) {
    const std::string output = run(std::string(ZEL_SIGROK_CLI) + " -i '" + file.string() +
                                   "' -P spi:clk=CLK:mosi=MOSI/IO0:miso=MISO/IO1:cs=CS,spiflash -A spiflash "
                                   "--protocol-decoder-samplenum");
    const std::regex command(R"(^(\d+)-\d+ spiflash-1: Command: .* \(([A-Z0-9/]+)\)$)");
    const std::regex address(R"(^\d+-\d+ spiflash-1: Address: 0x([0-9a-f]+)$)");
    std::vector<Command> commands;
    std::set<std::string> starts;
    std::istringstream lines(output);
    std::smatch match;
    for (std::string line; std::getline(lines, line);) {
        if (std::regex_match(line, match, command) && starts.insert(match[1]).second) {
            const auto name = kSigrokNames.find(match[2]);
            EXPECT_NE(name, kSigrokNames.end()) << line;
            if (name != kSigrokNames.end()) commands.push_back({name->second, std::nullopt});
        } else if (std::regex_match(line, match, address) && !commands.empty()) {
            commands.back().address = static_cast<uint32_t>(std::stoul(match[1], nullptr, 16));
        }
    }
    return commands;
}

// The same commands as our decoding lays them out, for the opcodes the spiflash decoder knows;
// the address where it shows one (reads, program, sector erase).
std::vector<Command> ourCommands(const fs::path& file) {
    auto read = zel::trace::readTraceFile(file);
    EXPECT_TRUE(read.ok()) << (read.ok() ? "" : read.error().message);
    if (!read.ok()) return {};
    const auto& capture = read.capture();
    std::error_code error;
    const auto commands = zel::trace::CommandTable::load(fs::path(ZEL_PROGRAM_FOLDER) / zel::trace::kCommandTableFile, error);
    const auto io = zel::trace::CommandIoTable::load(fs::path(ZEL_PROGRAM_FOLDER) / zel::trace::kCommandIoTableFile, error);
    EXPECT_TRUE(commands && io) << error.message();
    if (!commands || !io) return {};
    const auto index = zel::trace::TransactionIndex::build(capture.records, capture.info.chip);
    const std::set<uint8_t> addressed = {0x02, 0x03, 0x0B, 0x20, 0xBB};
    std::vector<Command> found;
    for (size_t n = 1; n <= index.transactionCount(); ++n) {
        if (!index.hasCommand(n)) continue;
        const auto record = zel::trace::recordAt(capture.records, index.timestampRecord(n) + 1);
        const auto layout = zel::trace::layOutCommand(record, *io, commands->decodes(record.opcode(), capture.info.model),
                                                      index.fourByteMode(n), capture.info.chip.addressMask());
        const bool known = std::any_of(kSigrokNames.begin(), kSigrokNames.end(),
                                       [&](const auto& entry) { return entry.second == layout.opcode; });
        if (!known) continue;
        Command command{layout.opcode, std::nullopt};
        if (addressed.count(layout.opcode) && layout.addressBytes > 0) command.address = layout.address;
        found.push_back(command);
    }
    return found;
}

Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(n);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

TEST(SigrokCrossCheck, SigrokDecodesFlashromTrafficAsWeDo) {
    if (run(std::string(ZEL_FLASHROM_PATH) + " --version").find("flashrom") == std::string::npos)
        GTEST_SKIP() << "flashrom is not installed";
    zel::test::SimProcess sim({"gen=2"});
    sim.exportEnvironment(std::chrono::milliseconds(20000));
    const auto work = sim.dir() / "cross";
    fs::create_directories(work);

    // The chip emulated with a random image; then the API lets the emulator go for zeltrace.
    const auto image = randomBytes(kChipSize, 11);
    CliInitialZelmorProDLL();
    ASSERT_EQ(CliCheckUSBDeviceNum(), 1);
    const std::string cfg = std::string(ZEL_PROGRAM_FOLDER) + "/config/ZelmorPro/W25Q80DV.cfg";
    CliStopEmulation(0);
    CliSetChipType(std::wstring(cfg.begin(), cfg.end()).c_str(), false, 0);
    std::copy(image.begin(), image.end(), CliGetDLLBuffer());
    uint8_t result = 0;
    CliDownloadDLLBufferToZelmorPro(false, 0xFF, 0, kChipSize, 0, false, &result, true, 0);
    ASSERT_EQ(result, 1);
    CliStartEmulation(0);
    CliCloseUSBDevice();
    CliCloseZelmorProDLL();

    const auto capture = work / "flashrom.zeltrace";
    zel::test::BackgroundChild zeltrace(
        {ZELTRACE_PATH, "capture", capture.string(), "--ring", "--chip-size", std::to_string(kChipSize)});
    ASSERT_TRUE(zeltrace.waitFor("capturing")) << zeltrace.output();

    auto other = image;
    for (uint32_t i = 0x20100; i < 0x21F00; ++i) other[i] ^= 0x5A;  // two sectors change
    const auto target = work / "other.bin";
    std::ofstream(target, std::ios::binary).write(reinterpret_cast<const char*>(other.data()), kChipSize);
    const std::string flashrom = "timeout 60 " + std::string(ZEL_FLASHROM_PATH) + " -p serprog:ip=127.0.0.1:" +
                                 std::to_string(std::stoi(sim.control("serprog 0"))) + " -c W25Q80.V ";
    int status = -1;
    const auto readRun = run(flashrom + "-r '" + (work / "back.bin").string() + "'", &status);
    ASSERT_EQ(status, 0) << readRun;
    const auto writeRun = run(flashrom + "-w '" + target.string() + "'", &status);
    ASSERT_EQ(status, 0) << writeRun;

    zeltrace.signal(SIGTERM);  // a clean stop: everything captured is saved
    const auto stopped = zeltrace.finish();
    ASSERT_EQ(stopped.status, 0) << zeltrace.output() << stopped.out;
    EXPECT_NE((zeltrace.output() + stopped.out).find("records captured:"), std::string::npos);
    EXPECT_NE(sim.control("trace-counters 0").find("overflows=0"), std::string::npos);

    const auto ours = ourCommands(capture);
    ASSERT_FALSE(ours.empty());
    EXPECT_EQ(std::count_if(ours.begin(), ours.end(), [](const Command& c) { return c.opcode == 0x02; }), 32)
        << "the two rewritten sectors, page by page";
    for (const char* extension : {".sr", ".vcd"}) {
        SCOPED_TRACE(extension);
        const auto waveform = work / (std::string("flashrom") + extension);
        const auto exported = run(std::string(ZELTRACE_PATH) + " export '" + capture.string() + "' '" + waveform.string() + "'", &status);
        ASSERT_EQ(status, 0) << exported;
        const auto theirs = sigrokCommands(waveform);
        ASSERT_EQ(theirs.size(), ours.size());
        for (size_t i = 0; i < ours.size(); ++i) {
            ASSERT_EQ(theirs[i].opcode, ours[i].opcode) << "command " << i;
            ASSERT_EQ(theirs[i].address, ours[i].address) << "command " << i;
        }
        EXPECT_TRUE(std::any_of(theirs.begin(), theirs.end(), [](const Command& c) { return c.opcode == 0x9F; }))
            << "the JEDEC ID read";
        // flashrom's reads step through the whole chip at one stride.
        std::set<uint32_t> reads;
        for (const auto& c : theirs)
            if (c.opcode == 0x03 && c.address) reads.insert(*c.address);
        ASSERT_GE(reads.size(), 2u);
        const uint32_t stride = *std::next(reads.begin()) - *reads.begin();
        for (uint32_t at = 0; at < kChipSize; at += stride) EXPECT_TRUE(reads.count(at)) << "no read at " << at;
        EXPECT_TRUE(std::any_of(theirs.begin(), theirs.end(), [](const Command& c) {
            return c.opcode == 0x20 && c.address == 0x20000u;
        })) << "the first changed sector's erase";
    }
}

}  // namespace
