#include "IdentityWrites.h"

#include "OnBoardFlashCommands.h"

#include <algorithm>
#include <array>

namespace zel::devlink {
namespace {

bool sameBytes(const FlashPage& a, const FlashPage& b, size_t from, size_t count) {
    return std::equal(a.begin() + from, a.begin() + from + count, b.begin() + from);
}

}  // namespace

std::optional<IdentityWrites::Exchange> IdentityWrites::writeField(size_t offset, std::span<const uint8_t> field) {
    OnBoardFlashCommands flash(channel_);
    flash.prepareForWrite();
    if (!isKnownFlashId(flash.readJedecId())) return std::nullopt;
    Exchange exchange{};
    exchange.sent.fill(0xFF);
    std::ranges::copy(field, exchange.sent.begin() + static_cast<std::ptrdiff_t>(offset));
    if (!flash.writePage(kIdentityPageAddress, exchange.sent)) return std::nullopt;
    if (!flash.readPage(kIdentityPageAddress, exchange.readBack)) return std::nullopt;
    return exchange;
}

bool IdentityWrites::writeSerialNumber(uint32_t serial) {
    const std::array<uint8_t, 4> field = {static_cast<uint8_t>(serial), static_cast<uint8_t>(serial >> 8),
                                          static_cast<uint8_t>(serial >> 16), static_cast<uint8_t>(serial >> 24)};
    auto exchange = writeField(kSerialNumberOffset, field);
    return exchange && sameBytes(exchange->sent, exchange->readBack, kSerialNumberOffset, 6);
}

bool IdentityWrites::writeHardwareVersion(uint8_t version) {
    const std::array<uint8_t, 1> field = {version};
    auto exchange = writeField(kHardwareVersionOffset, field);
    return exchange && sameBytes(exchange->sent, exchange->readBack, kHardwareVersionOffset, 1);
}

}  // namespace zel::devlink
