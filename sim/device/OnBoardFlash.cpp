#include "device/OnBoardFlash.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zel::sim {

OnBoardFlash::OnBoardFlash(const std::filesystem::path& storage, uint32_t jedecId, const FlashIdentity& identity,
                           const SimTime& time, std::chrono::milliseconds chipEraseTime, Findings& findings)
    : storage_(storage, kSize, [](std::span<uint8_t> bytes) { std::ranges::fill(bytes, 0xFF); }),
      jedecId_(jedecId), time_(time), chipEraseTime_(chipEraseTime), findings_(findings) {
    if (!storage_.restored() || identity.rewrite) writeIdentity(identity);
}

void OnBoardFlash::writeIdentity(const FlashIdentity& identity) {
    auto page = storage_.bytes().subspan(kIdentityPage, kPageSize);
    std::ranges::fill(page, 0xFF);
    if (identity.blank) return;
    page[1] = identity.hardwareVersion;
    for (int i = 0; i < 4; ++i) page[2 + i] = static_cast<uint8_t>(identity.serial >> (8 * i));
}

uint32_t OnBoardFlash::checked(uint32_t address, const char* what) {
    if (address >= kSize) {
        char text[96];
        std::snprintf(text, sizeof text, "%s at 0x%06x lies beyond the 2 MiB on-board flash", what, address);
        findings_.flag(text);
    }
    return address % kSize;
}

bool OnBoardFlash::refuseWhileBusy(const char* what) {
    if (!eraseBusy()) return false;
    findings_.flag(std::string(what) + " ignored: the on-board flash is still erasing");
    return true;
}

void OnBoardFlash::read(uint32_t address, std::span<uint8_t> into) const {
    auto bytes = storage_.bytes();
    for (size_t i = 0; i < into.size(); ++i) into[i] = bytes[(address + i) % kSize];
}

void OnBoardFlash::program(uint32_t address, std::span<const uint8_t> data) {
    auto bytes = storage_.bytes();
    const uint32_t page = address & ~(kPageSize - 1);
    for (size_t i = 0; i < data.size(); ++i) bytes[page + (address + i) % kPageSize] &= data[i];
}

void OnBoardFlash::eraseSector(uint32_t address) {
    const uint32_t start = address & ~(kSectorSize - 1);
    std::memset(storage_.bytes().data() + start, 0xFF, kSectorSize);
}

void OnBoardFlash::startChipErase() {
    std::memset(storage_.bytes().data(), 0xFF, kSize);
    eraseDone_ = time_.now() + time_.scaled(chipEraseTime_);
}

uint8_t OnBoardFlash::hardwareVersion() const { return storage_.bytes()[kIdentityPage + 1]; }

uint32_t OnBoardFlash::serial() const {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | storage_.bytes()[kIdentityPage + 2 + i];
    return value;
}

void OnBoardFlash::install(CommandTable& table) {
    table.onFrame(0x30, [this](const Frame&, CommandContext& context) {
        context.reply({static_cast<uint8_t>(jedecId_ >> 16), static_cast<uint8_t>(jedecId_ >> 8),
                       static_cast<uint8_t>(jedecId_)});
    });
    table.onFrame(0x31, [this](const Frame&, CommandContext&) {
        if (!refuseWhileBusy("chip erase")) startChipErase();
    });
    // Erase status: 0 while the erase runs, 1 when the flash is ready.
    table.onFrame(0x32, [this](const Frame&, CommandContext& context) {
        context.reply({static_cast<uint8_t>(eraseBusy() ? 0 : 1)});
    });
    table.onFrame(0x33, [this](const Frame& f, CommandContext& context) {
        std::vector<uint8_t> page(kPageSize);
        read(checked(f.number(1, 3), "page read"), page);
        context.reply(std::move(page));
    });
    table.onFrame(0x36, [this](const Frame&, CommandContext&) { prepared_ = true; });
    table.onFrame(0x37, [this](const Frame& f, CommandContext&) {
        const auto address = checked(f.number(1, 3), "sector erase");
        if (!refuseWhileBusy("sector erase")) eraseSector(address);
    });
    table.onData(0x34, [this](const Frame& f, OutData& data, uint64_t length, uint64_t offset, CommandContext&) {
        std::vector<uint8_t> page(length);
        if (!data.read(page)) return;
        const auto address = checked(f.number(1, 3), "page program");
        // Later pieces of the page continue inside the same page.
        const uint32_t at = (address & ~(kPageSize - 1)) | ((address + static_cast<uint32_t>(offset)) % kPageSize);
        if (!refuseWhileBusy("page program")) program(at, page);
    });
}

}  // namespace zel::sim
