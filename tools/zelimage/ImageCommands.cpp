#include "ImageCommands.h"

#include "ToolArguments.h"
#include "device/DeviceFacts.h"
#include "image/ImageWriter.h"
#include "text/TextCodec.h"
#include "zelapi.h"

#include <array>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

namespace zel::tool {
namespace {

constexpr uint32_t kTargetBit = 0x80000000;

std::string narrow(const std::filesystem::path& path)
{
    auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string narrow(const wchar_t* text)
{
    return text::wideToUtf8(text);
}

const char* resultText(uint8_t result)
{
    switch (result) {
    case 1:
        return "done";
    case 2:
        return "failed: the start lies beyond the chip";
    case 3:
        return "failed: the image runs past the chip end";
    default:
        return "failed: a transfer failed or the buffer cannot hold the image";
    }
}

uint32_t checksumOf(const std::vector<uint8_t>& bytes)
{
    return std::accumulate(bytes.begin(), bytes.end(), uint32_t{0});
}

// The API for the length of one job: opened here, closed (devices released) on the way out.
class ApiSession {
public:
    ApiSession()
    {
        CliInitialZelmorProDLL();
        CliDoSetZelmorProType(true, 0);  // room for a whole G2 chip
    }
    ~ApiSession()
    {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
    }
    ApiSession(const ApiSession&) = delete;
    ApiSession& operator=(const ApiSession&) = delete;
};

bool isG2(int device)
{
    uint32_t firmware = 0;
    uint8_t hardware = 0;
    std::array<wchar_t, kZelProductNameChars> name{};
    CliGetProductInfo(&firmware, &hardware, name.data(), device);
    return zel::device::isG2(zel::device::FirmwareWord{firmware});
}

// Applies the chip to the job's target of `device` and reports it; false when the file names no
// chip.
bool applyChip(const DownloadJob& job, int device)
{
    std::array<wchar_t, kZelVendorNameChars> vendor{};
    std::array<wchar_t, kZelChipNameChars> chip{};
    uint32_t size = 0, voltage = 0;
    uint8_t addressMode = 0;
    const std::wstring path = job.chipConfig.wstring();
    CliGetConfigFileInfo(path.c_str(), vendor.data(), chip.data(), &size, &voltage, &addressMode);
    if (size == 0) {
        std::printf("chip   %s: no chip configuration\n", narrow(job.chipConfig).c_str());
        return false;
    }
    CliSetChipType(path.c_str(), job.target2, device);
    std::printf("chip   %s %s, %u bytes, on device %d target %d\n", narrow(vendor.data()).c_str(),
                narrow(chip.data()).c_str(), size, session::deviceNumber(device), job.target2 ? 2 : 1);
    return true;
}

// Loads the image into the API's buffer; its size, or nothing when it cannot be loaded.
std::optional<uint32_t> loadImage(const std::filesystem::path& file)
{
    uint32_t checksum = 0, size = 0;
    CliLoadFileToDLLBuffer(file.wstring().c_str(), &checksum, &size, 0, true);
    const std::string error = CliGetLastImageError();
    if (!error.empty()) {
        std::printf("image  %s\n", error.c_str());
        return std::nullopt;
    }
    std::printf("image  %s: %u bytes, checksum 0x%08X\n", narrow(file).c_str(), size, checksum);
    if (size == 0) {
        std::printf("image  %s: holds no data\n", narrow(file).c_str());
        return std::nullopt;
    }
    return size;
}

// The job on the emulator at API index `device`, inside an API session.
int transfer(const DownloadJob& job, int device)
{
    if (CliIsZelmorProUSBOpened(device) != 1) {
        std::printf("device %d: no opened emulator\n", session::deviceNumber(device));
        return kDeviceFailed;
    }
    if (!applyChip(job, device))
        return kDeviceFailed;
    const auto size = loadImage(job.image);
    if (!size)
        return kImageFailed;
    const bool g2 = isG2(device);
    const uint32_t address = (job.target2 ? kTargetBit : 0) | job.offset;

    uint8_t result = 0;
    if (job.download) {
        CliDownloadDLLBufferToZelmorPro(!job.fillValue, job.fillValue.value_or(0xFF), address, *size, 0, false,
                                        &result, g2, static_cast<size_t>(device));
        if (job.fillValue)
            std::printf("download at 0x%08X (rest of the chip filled with 0x%02X): %s\n", job.offset, *job.fillValue,
                        resultText(result));
        else
            std::printf("download at 0x%08X (rest of the memory kept): %s\n", job.offset, resultText(result));
        if (result != 1)
            return kDeviceFailed;
    }
    if (job.verify) {
        CliZelmorProVerify(address, *size, 0, &result, g2, static_cast<size_t>(device));
        std::printf("verify: %s\n", result == 1 ? "pass" : result == 2 ? "the start lies beyond the chip" : "FAIL");
        if (result != 1)
            return kVerifyFailed;
    }
    const auto* back = CliReadFromZelmorProvector(address, *size, &result, g2, static_cast<size_t>(device));
    if (result != 1 || back == nullptr) {
        std::printf("read-back: %s\n", resultText(result));
        return kDeviceFailed;
    }
    std::printf("device checksum of 0x%08X..0x%08X: 0x%08X\n", job.offset, job.offset + *size - 1, checksumOf(*back));
    return kDone;
}

}  // namespace

int makeImage(const std::filesystem::path& file, uint32_t size, uint32_t seed)
{
    std::vector<uint8_t> bytes(size);
    uint32_t state = seed * 2654435761u + 0x9E3779B9u;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(state >> 24);
    }
    if (!image::writeImage(bytes, file, image::formatFromName(file))) {
        std::printf("image  %s: cannot write the file\n", narrow(file).c_str());
        return kImageFailed;
    }
    std::printf("image  %s: %u bytes written, checksum 0x%08X\n", narrow(file).c_str(), size, checksumOf(bytes));
    return kDone;
}

int describeImage(const std::filesystem::path& file)
{
    ApiSession api;
    uint32_t checksum = 0, size = 0;
    if (!CliFileCheckSum(file.wstring().c_str(), &checksum, &size)) {
        std::printf("image  %s\n", CliGetLastImageError());
        return kImageFailed;
    }
    std::printf("image  %s: %u bytes, checksum 0x%08X\n", narrow(file).c_str(), size, checksum);
    return kDone;
}

int runDownload(const DownloadJob& job)
{
    ApiSession api;
    const auto device = tools::findChosenEmulator(job.device);
    if (!device)
        return tools::usageError("zelimage", device.problem().detail, kUsage);
    return transfer(job, *device);
}

}  // namespace zel::tool
