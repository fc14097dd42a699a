#include "IdentityCommands.h"

#include "DeviceSlots.h"
#include "FirmwareVersionQuery.h"

#include <algorithm>

namespace zel::devlink {

FirmwareVersion IdentityCommands::firmwareVersion() { return queryFirmwareVersion(channel_).value_or(FirmwareVersion{}); }

FlashPage IdentityCommands::identityPage() {
    OnBoardFlashCommands flash(channel_);
    flash.readJedecId();  // read first, as on every identity access; the value is not needed
    FlashPage page;
    page.fill(0xFF);
    if (!flash.readPage(kIdentityPageAddress, page)) page.fill(0xFF);
    return page;
}

uint32_t IdentityCommands::serialNumber() {
    auto page = identityPage();
    return uint32_t{page[2]} | uint32_t{page[3]} << 8 | uint32_t{page[4]} << 16 | uint32_t{page[5]} << 24;
}

std::wstring_view IdentityCommands::deviceName() {
    // GET_DESCRIPTOR (DEVICE), standard device-to-host request.
    const transport::SetupPacket setup{0x80, 0x06, 0x0100, 0x0000, 18};
    std::array<uint8_t, 18> descriptor{};
    auto result = channel_.control(setup, descriptor);
    if (!result.ok || result.transferred < 12) return {};
    const uint16_t vendorId = static_cast<uint16_t>(descriptor[8] | descriptor[9] << 8);
    const uint16_t productId = static_cast<uint16_t>(descriptor[10] | descriptor[11] << 8);
    if (vendorId != kEmulatorVendorId || productId != kEmulatorProductId) return {};
    return kEmulatorName;
}

}  // namespace zel::devlink
