// Writes a raw capture of N records (bench/trace_export.sh): a target booting over and over, so
// the mix is what exports meet in practice: 256-byte reads (44 records each), fast reads,
// status polls and page programs, their timestamps 1 us apart after each transaction ends.
#include "trace/TraceFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Records = std::vector<uint8_t>;

class Generator {
public:
    void transaction(std::vector<uint8_t> bytes) {
        sequence_ = static_cast<uint8_t>(sequence_ >= 254 ? 1 : sequence_ + 1);
        push({0xFF, 0xFF, uint8_t(ticks_ >> 40), uint8_t(ticks_ >> 32), uint8_t(ticks_ >> 24), uint8_t(ticks_ >> 16),
              uint8_t(ticks_ >> 8), uint8_t(ticks_)});
        const size_t head = std::min<size_t>(bytes.size(), 6);
        std::vector<uint8_t> command{sequence_, uint8_t(head * 8)};
        command.insert(command.end(), bytes.begin(), bytes.begin() + static_cast<long>(head));
        push(command);
        unsigned fragment = 0;
        for (size_t at = head; at < bytes.size(); at += 6) {
            fragment = (fragment + 1) % 4;
            const size_t n = std::min<size_t>(6, bytes.size() - at);
            std::vector<uint8_t> more{sequence_, uint8_t(fragment << 6 | n * 8)};
            more.insert(more.end(), bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + n));
            push(more);
        }
        ticks_ += bytes.size() * 16 / 10 * 10 + 100;  // 20 ns a bit at 50 MHz, then 1 us
    }
    Records records;

private:
    void push(std::vector<uint8_t> record) {
        record.resize(8, 0);
        records.insert(records.end(), record.begin(), record.end());
    }
    uint64_t ticks_ = 1000;
    uint8_t sequence_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: trace_records FILE RECORDS\n", stderr);
        return 2;
    }
    const uint64_t wanted = std::strtoull(argv[2], nullptr, 0);
    Generator generator;
    for (uint32_t address = 0; generator.records.size() / 8 < wanted; address += 0x100) {
        std::vector<uint8_t> read{0x03, uint8_t(address >> 16), uint8_t(address >> 8), uint8_t(address)};
        read.resize(256, 0xA5);
        generator.transaction(read);
        generator.transaction({0x0B, uint8_t(address >> 16), uint8_t(address >> 8), 0x00, 0x00, 0x5A});
        generator.transaction({0x05, 0x00});
        if (address % 0x1000 == 0) {
            generator.transaction({0x06});
            std::vector<uint8_t> program{0x02, uint8_t(address >> 16), uint8_t(address >> 8), 0x00};
            program.resize(100, 0x3C);
            generator.transaction(program);
        }
    }
    generator.records.resize(wanted * 8);
    zel::trace::TraceFileInfo info;
    if (const auto problem = zel::trace::writeTraceFile(argv[1], info, generator.records)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    return 0;
}
