#include "ChipConfigOperations.h"
#include "device/DeviceFacts.h"

#include "ZelmorProDll.h"
#include "chipcfg/ChipConfigFile.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>

namespace zel::api {
namespace {

// The most emulation memory one target has; a chip size beyond it is not worth reserving.
constexpr size_t kMaxReservedBytes = zel::device::kLargeBufferSize;

std::filesystem::path pathOf(const wchar_t* path) { return text::widePath(std::wstring(path)); }

std::optional<chipcfg::ChipConfigFile> readHeader(const wchar_t* path) {
    if (path == nullptr) return std::nullopt;
    auto read = chipcfg::readChipConfigFile(pathOf(path));
    if (!read) return std::nullopt;
    return std::move(read).value();
}

void storeChipInformation(ChipInformation& chip, const chipcfg::ChipInfo& info) {
    text::copyTerminated(info.vendor(), chip.vendorName.data(), chip.vendorName.size());
    text::copyTerminated(info.chipName(), chip.chipName.data(), chip.chipName.size());
    chip.voltageMillivolts = info.voltageMillivolts;
    chip.addressModeFlag = info.options.fixedAddressMode ? 1 : 0;
    chip.qeFlag = info.options.quadEnable ? 1 : 0;
    chip.dieEraseFlag = info.options.dieErase ? 1 : 0;
}

// The next read-back fills the byte vector with up to a chip's worth of bytes.
void prepareByteVector(std::vector<uint8_t>& bytes, uint32_t chipSize) {
    bytes.clear();
    try {
        bytes.reserve(std::min<size_t>(chipSize, kMaxReservedBytes));
    } catch (const std::bad_alloc&) {
        // Only room ahead of time is lost; the read-back grows the vector itself.
    }
}

}  // namespace

void readConfigFileInfo(CProject* api, const wchar_t* path, const ConfigFileInfoOutputs& out) {
    auto file = readHeader(path);
    if (!file || !file->info) return;  // a file without the magic tells nothing about a chip
    const chipcfg::ChipInfo& info = *file->info;
    text::copyTerminated(info.vendor(), out.vendor, kVendorChars);
    text::copyTerminated(info.chipName(), out.chip, kChipChars);
    if (out.chipSize != nullptr) *out.chipSize = file->chipSize();
    if (api == nullptr) return;
    if (out.voltage != nullptr) *out.voltage = info.voltageMillivolts;
    if (out.addressModeFlag != nullptr) *out.addressModeFlag = info.options.fixedAddressMode ? 1 : 0;
    storeChipInformation(api->chip(), info);
}

uint8_t configFileHasSfdp(const wchar_t* path) {
    if (path == nullptr) return 0;
    return chipcfg::fileHasSfdp(pathOf(path)) ? 1 : 0;
}

bool setChipType(CProject& api, const wchar_t* path, bool target2, int index) {
    auto file = readHeader(path);
    if (!file) return false;
    if (file->info) {
        // Front ends record the chip's name and later build its file's path from it.
        if (!chipcfg::checkChipName(file->info->chipName())) return false;
        storeChipInformation(api.chip(), *file->info);
    }
    // A file without the magic still goes to the device, which then walks it without section 1.
    const long applied =
        SendCommandToZelmorPro(ZELMOR_CMD_CHIP_CONFIG, reinterpret_cast<uintptr_t>(path), target2 ? 1 : 0, 0, index);
    api.chipSizes()[target2 ? 1 : 0] = file->chipSize();
    prepareByteVector(api.byteVector(), file->chipSize());
    return applied == 1;
}

uint16_t addressLengthValue(const ChipInformation& chip, bool threeByte) {
    // A chip with a fixed addressing mode is never switched.
    if (chip.addressModeFlag != 0) return chipreg::kFixedAddressMode;
    return threeByte ? 0 : 1;
}

void writeAddressLength(CProject& api, bool threeByte, int index) {
    WriteZelmorProRegister(chipreg::kAddressLength, addressLengthValue(api.chip(), threeByte), index);
}

void writeQuadEnable(CProject& api, int index) {
    WriteZelmorProRegister(chipreg::kQuadEnable, api.chip().qeFlag != 0 ? 1 : 0, index);
}

void writeDieEraseSize(CProject& api, int index) {
    WriteZelmorProRegister(chipreg::kDieEraseSize, api.chip().dieEraseFlag != 0 ? 1 : 0, index);
}

}  // namespace zel::api
