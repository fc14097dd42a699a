#include "target/SpiNorChip.h"

#include <algorithm>

namespace zel::sim::target {
namespace {

namespace op {
constexpr uint8_t WriteStatus1 = 0x01, PageProgram = 0x02, Read = 0x03, WriteDisable = 0x04, ReadStatus1 = 0x05,
                  WriteEnable = 0x06, FastRead = 0x0B, FastRead4 = 0x0C, WriteStatus3 = 0x11, PageProgram4 = 0x12,
                  Read4 = 0x13, ReadStatus3 = 0x15, Erase4K = 0x20, Erase4K4 = 0x21, WriteStatus2 = 0x31,
                  ReadStatus2 = 0x35, VolatileStatusWrite = 0x50, Erase32K = 0x52, ReadSfdp = 0x5A,
                  Erase32K4 = 0x5C, ChipErase = 0x60, ReadId = 0x9F, Enter4Byte = 0xB7, ChipErase2 = 0xC7,
                  Erase64K = 0xD8, Erase64K4 = 0xDC, Exit4Byte = 0xE9;
}

constexpr uint64_t k4K = 4096, k32K = 32768, k64K = 65536;

bool isFourByteOpcode(uint8_t opcode) {
    switch (opcode) {
    case op::Read4: case op::FastRead4: case op::PageProgram4: case op::Erase4K4: case op::Erase32K4:
    case op::Erase64K4: return true;
    default: return false;
    }
}

uint64_t addressOf(std::span<const uint8_t> mosi, unsigned bytes) {
    uint64_t address = 0;
    for (unsigned i = 1; i <= bytes; ++i) address = address << 8 | mosi[i];
    return address;
}

// MISO bytes at transaction positions [first, first + length) of a sequential read whose
// data starts at position `header`: positions before it carry nothing (0xFF).
template <class ByteAt>
std::vector<uint8_t> streamed(size_t first, size_t length, size_t header, ByteAt byteAt) {
    std::vector<uint8_t> miso(length, 0xFF);
    for (size_t i = 0; i < length; ++i)
        if (first + i >= header) miso[i] = byteAt(first + i - header);
    return miso;
}

}  // namespace

void SpiNorChip::powerUp(const ChipIdentity& identity) {
    identity_ = identity;
    writeEnabled_ = false;
    statusWriteEnabled_ = false;
    fourByteMode_ = identity.fourByteAtPowerUp();
    status1_ = status2_ = status3_ = 0;
    if (identity.quadEnabledAsShipped()) {
        if (identity.quadEnablePlace() == 1) status1_ |= 0x40;
        if (identity.quadEnablePlace() == 2) status2_ |= 0x02;
    }
}

void SpiNorChip::follow(const ChipIdentity& identity) {
    if (!identity_ || !(*identity_ == identity)) powerUp(identity);
}

unsigned SpiNorChip::addressBytes(uint8_t opcode) const {
    if (opcode == op::ReadSfdp) return 3;
    if (isFourByteOpcode(opcode)) return 4;
    return fourByteMode_ ? 4 : 3;
}

std::vector<uint8_t> SpiNorChip::transact(const View& chip, std::span<const uint8_t> mosi, size_t readLength) {
    follow(chip.identity);
    if (mosi.empty()) return std::vector<uint8_t>(readLength, 0xFF);
    // A 4-byte opcode the chip lacks is no command at all.
    if (isFourByteOpcode(mosi[0]) && !chip.identity.fourByteOpcodes()) return std::vector<uint8_t>(readLength, 0xFF);
    auto miso = answer(chip, mosi, readLength);
    execute(chip, mosi);  // a command takes effect when chip select goes high
    return miso;
}

std::vector<uint8_t> SpiNorChip::answer(const View& chip, std::span<const uint8_t> mosi, size_t readLength) const {
    const uint8_t opcode = mosi[0];
    const size_t first = mosi.size();
    const auto& id = chip.identity;
    auto repeated = [&](uint8_t value) { return streamed(first, readLength, 1, [value](size_t) { return value; }); };
    switch (opcode) {
    case op::ReadId: {
        const uint8_t bytes[3] = {id.manufacturer, static_cast<uint8_t>(id.device >> 8), static_cast<uint8_t>(id.device)};
        return streamed(first, readLength, 1, [&](size_t i) { return bytes[i % 3]; });
    }
    case op::ReadStatus1: return repeated(status1());
    case op::ReadStatus2: return repeated(status2());
    case op::ReadStatus3: return repeated(status3());
    case op::Read: case op::Read4: case op::FastRead: case op::FastRead4: {
        const unsigned dummy = (opcode == op::FastRead || opcode == op::FastRead4) ? 1 : 0;
        const size_t header = 1 + addressBytes(opcode) + dummy;
        if (mosi.size() < 1 + addressBytes(opcode)) return std::vector<uint8_t>(readLength, 0xFF);
        const uint64_t start = addressOf(mosi, addressBytes(opcode)) & (id.size() - 1);
        // Data clocked out while the master was still sending is lost to it; the read goes on.
        const uint64_t skipped = first > header ? first - header : 0;
        const size_t leading = first < header ? std::min(readLength, header - first) : 0;
        std::vector<uint8_t> miso(leading, 0xFF);
        // Sequential reads wrap at the chip's end; fetch in at most two pieces.
        uint64_t at = (start + skipped) & (id.size() - 1);
        for (uint64_t left = readLength - leading; left > 0;) {
            const uint64_t piece = std::min(left, id.size() - at);
            auto bytes = chip.memory.read(at, piece);
            miso.insert(miso.end(), bytes.begin(), bytes.end());
            left -= piece;
            at = 0;
        }
        return miso;
    }
    case op::ReadSfdp: {
        if (mosi.size() < 4) return std::vector<uint8_t>(readLength, 0xFF);
        const uint64_t start = addressOf(mosi, 3);
        const auto& words = chip.sfdp;
        // Offsets past the table read 0xFF; the address does not wrap.
        return streamed(first, readLength, 5, [&](size_t i) -> uint8_t {
            const uint64_t at = start + i;
            if (at / 2 >= words.size()) return 0xFF;
            const uint16_t word = words[at / 2];
            return static_cast<uint8_t>(at % 2 == 0 ? word : word >> 8);
        });
    }
    default: return std::vector<uint8_t>(readLength, 0xFF);
    }
}

void SpiNorChip::execute(const View& chip, std::span<const uint8_t> mosi) {
    const uint8_t opcode = mosi[0];
    const auto& id = chip.identity;
    const unsigned header = 1 + addressBytes(opcode);
    switch (opcode) {
    case op::WriteEnable: writeEnabled_ = true; return;
    case op::WriteDisable: writeEnabled_ = false; return;
    case op::VolatileStatusWrite: statusWriteEnabled_ = true; return;
    case op::WriteStatus1: case op::WriteStatus2: case op::WriteStatus3:
        if (mosi.size() < 2 || !(writeEnabled_ || statusWriteEnabled_)) return;
        writeStatus(opcode, mosi.subspan(1));
        writeEnabled_ = statusWriteEnabled_ = false;
        return;
    case op::PageProgram: case op::PageProgram4:
        if (mosi.size() <= header || !writeEnabled_) return;
        program(chip, mosi, header);
        writeEnabled_ = false;
        return;
    case op::ChipErase: case op::ChipErase2:
        // Chip select must rise right after the opcode, as for every erase.
        if (mosi.size() != 1 || !writeEnabled_) return;
        chip.memory.erase(0, id.size());
        writeEnabled_ = false;
        return;
    case op::Enter4Byte:
        if (id.fourBytePossible() && !id.fixedAddressing()) fourByteMode_ = true;
        return;
    case op::Exit4Byte:
        if (id.fourBytePossible() && !id.fixedAddressing()) fourByteMode_ = false;
        return;
    default: break;
    }
    if (auto size = eraseSize(id, opcode)) {
        if (mosi.size() != header || !writeEnabled_) return;
        erase(chip, addressOf(mosi, header - 1), *size);
        writeEnabled_ = false;
    }
}

std::optional<uint64_t> SpiNorChip::eraseSize(const ChipIdentity& id, uint8_t opcode) const {
    switch (opcode) {
    case op::Erase4K: case op::Erase4K4: return id.erases4K() ? std::optional(k4K) : std::nullopt;
    case op::Erase32K: case op::Erase32K4: return id.erases32K() ? std::optional(k32K) : std::nullopt;
    case op::Erase64K: case op::Erase64K4: return id.erases64K() ? std::optional(k64K) : std::nullopt;
    default: return std::nullopt;
    }
}

void SpiNorChip::writeStatus(uint8_t opcode, std::span<const uint8_t> values) {
    // WIP and WEL are the chip's own; the 4-byte flag follows the address mode.
    if (opcode == op::WriteStatus1) {
        status1_ = static_cast<uint8_t>(values[0] & ~(kWriteInProgress | kWriteEnableLatch));
        if (values.size() >= 2) status2_ = values[1];  // the second byte of 0x01 is status register 2
    } else if (opcode == op::WriteStatus2) {
        status2_ = values[0];
    } else {
        status3_ = static_cast<uint8_t>(values[0] & ~kFourByteModeFlag);
    }
}

void SpiNorChip::program(const View& chip, std::span<const uint8_t> mosi, unsigned header) {
    const uint64_t address = addressOf(mosi, header - 1) & (chip.identity.size() - 1);
    auto data = mosi.subspan(header);
    // More than a page: only the last page's worth of bytes stays, as on real chips.
    if (data.size() > kPageSize) data = data.last(kPageSize);
    const uint64_t page = address & ~(kPageSize - 1);
    const uint64_t column = address - page;
    // The column wraps inside the page: a piece up to the page end, the rest from its start.
    const uint64_t first = std::min<uint64_t>(data.size(), kPageSize - column);
    chip.memory.program(address, data.first(first));
    if (first < data.size()) chip.memory.program(page, data.subspan(first));
}

void SpiNorChip::erase(const View& chip, uint64_t address, uint64_t blockSize) {
    const uint64_t size = chip.identity.size();
    const uint64_t start = (address & (size - 1)) & ~(blockSize - 1);
    chip.memory.erase(start, std::min(blockSize, size - start));
}

}  // namespace zel::sim::target
