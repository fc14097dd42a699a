#include "CommandDispatch.h"

#include <algorithm>
#include <array>
#include <vector>

#include "ChipConfigFile.h"
#include "FileBytes.h"
#include "FirmwareFile.h"
#include "FlashProgramming.h"
#include "Limits.h"
#include "MemoryTransfer.h"
#include "VendorRequests.h"
#include "fileio/WholeFile.h"
#include "zeldev.h"

namespace zel::zeldev {

namespace {

// Far above any real file of either kind; keeps a wrong path from being read whole.
constexpr size_t kMaxFirmwareFileSize = 64u << 20;
constexpr size_t kMaxChipConfigFileSize = 16u << 20;

// The whole file the caller names, when it is a regular file of at most `limit` bytes.
std::optional<std::vector<uint8_t>> fileBytes(const wchar_t* path, size_t limit)
{
    const auto name = pathFromWide(path);
    std::error_code ignored;
    return name ? fileio::readWholeFile(*name, limit, ignored) : std::nullopt;
}

uint8_t* bytesOf(wchar_t* arg) { return reinterpret_cast<uint8_t*>(arg); }

std::span<const uint8_t> callerData(wchar_t* arg, uint32_t length)
{
    return {bytesOf(arg), length};
}

bool updateFirmware(DeviceLink& link, const wchar_t* path)
{
    const auto file = fileBytes(path, kMaxFirmwareFileSize);
    if (!file)
        return false;
    const auto firmware = parseFirmwareFile(*file);
    if (firmware.status != FirmwareFile::Status::Ok || firmware.records.empty())
        return false;
    for (const auto& record : firmware.records) {
        const bool written = record.type == FirmwareRecordType::BootImage
                                 ? writeBootImage(link, record.data)
                                 : writeSerialFlashImage(link, record.data);
        if (!written)
            return false;
    }
    return true;
}

bool applyChipConfig(DeviceLink& link, const wchar_t* path)
{
    const auto file = fileBytes(path, kMaxChipConfigFileSize);
    const auto settings = file ? parseChipConfig(*file) : std::nullopt;
    if (!settings)
        return false;
    return std::all_of(settings->begin(), settings->end(), [&](const RegisterSetting& setting) {
        return requests::writeRegister(link, setting.reg, setting.value);
    });
}

bool writeMemoryFrom(DeviceLink& link, wchar_t* arg, uint32_t address, uint32_t length)
{
    if (arg == nullptr || length == 0 || length > kMaxMemoryTransfer)
        return false;
    return writeMemory(link, address, callerData(arg, length));
}

bool readMemoryInto(DeviceLink& link, wchar_t* arg, uint32_t address, uint32_t length)
{
    if (arg == nullptr || length == 0 || length > kMaxMemoryTransfer)
        return false;
    return readMemory(link, address, std::span(bytesOf(arg), length));
}

bool readFlashBlock(DeviceLink& link, wchar_t* arg, uint32_t address)
{
    if (arg == nullptr)
        return false;
    auto* out = bytesOf(arg);
    std::fill_n(out, requests::kFlashBlockSize, 0);
    const auto block = requests::readSerialFlash(link, address);
    if (!block)
        return false;
    std::copy(block->begin(), block->end(), out);
    return true;
}

bool readBootMemoryInto(DeviceLink& link, wchar_t* arg, uint32_t lengthAndOffset)
{
    const auto length = static_cast<uint16_t>(lengthAndOffset >> 16);
    const auto offset = static_cast<uint16_t>(lengthAndOffset & 0xFFFF);
    if (arg == nullptr || length == 0)
        return false;
    std::vector<uint8_t> data(length);
    if (!requests::readBootMemory(link, offset, data))
        return false;
    std::copy(data.begin(), data.end(), bytesOf(arg));
    return true;
}

bool writeImage(DeviceLink& link, wchar_t* arg, uint32_t length, size_t maximum,
                bool (*write)(DeviceLink&, std::span<const uint8_t>))
{
    if (arg == nullptr || length == 0 || length > maximum)
        return false;
    return write(link, callerData(arg, length));
}

}  // namespace

bool isKnownCommand(int cmd)
{
    static constexpr std::array kKnown{
        kZeldevFirmwareUpdate, kZeldevChipConfig,      kZeldevWriteMemory,
        kZeldevReadMemory,     kZeldevEraseFlash,      kZeldevReadFlash,
        kZeldevWriteFlashImage, kZeldevReadBootMemory, kZeldevWriteBootImage,
        kZeldevReadMemoryAt0,  kZeldevWriteMemoryAt0};
    return std::find(kKnown.begin(), kKnown.end(), cmd) != kKnown.end();
}

int dispatchCommand(DeviceLink& link, int cmd, wchar_t* arg, uint32_t value1, uint32_t value2)
{
    bool done = false;
    switch (cmd) {
    case kZeldevFirmwareUpdate: done = updateFirmware(link, arg); break;
    case kZeldevChipConfig: done = applyChipConfig(link, arg); break;
    case kZeldevWriteMemory: done = writeMemoryFrom(link, arg, value1, value2); break;
    case kZeldevWriteMemoryAt0: done = writeMemoryFrom(link, arg, 0, value1); break;
    case kZeldevReadMemory: done = readMemoryInto(link, arg, value1, value2); break;
    case kZeldevReadMemoryAt0: done = readMemoryInto(link, arg, 0, value1); break;
    case kZeldevEraseFlash: done = eraseSerialFlash(link); break;
    case kZeldevReadFlash: done = readFlashBlock(link, arg, value1); break;
    case kZeldevWriteFlashImage:
        done = writeImage(link, arg, value1, kMaxSerialFlashImage, writeSerialFlashImage);
        break;
    case kZeldevReadBootMemory: done = readBootMemoryInto(link, arg, value1); break;
    case kZeldevWriteBootImage:
        done = writeImage(link, arg, value1, kMaxBootImage, writeBootImage);
        break;
    default: break;
    }
    return done ? 1 : 0;
}

}  // namespace zel::zeldev
