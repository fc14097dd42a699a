// The exported functions: check the instance and slot 0, call the operation, turn every
// failure (an exception included) into the export's failure value.
#include <algorithm>
#include <exception>

#include "CommandDispatch.h"
#include "device/DeviceFacts.h"
#include "FlashProgramming.h"
#include "Identity.h"
#include "LibraryState.h"
#include "VendorRequests.h"
#include "zeldev.h"

using namespace zel::zeldev;

namespace {

constexpr uint16_t kRunRegister = zel::device::reg::kRunState;

CEmuDevice* instance() { return libraryState().instance.get(); }

std::optional<DeviceLink> usableDevice()
{
    auto* device = instance();
    return device ? device->link() : std::nullopt;
}

// Runs `operation` on the device in slot 0; `failure` when there is none or it throws.
template <typename Result, typename Operation>
Result onDevice(Result failure, Operation&& operation)
{
    try {
        auto device = usableDevice();
        if (!device)
            return failure;
        return operation(*device);
    } catch (const std::exception&) {
        return failure;
    }
}

template <typename Operation>
void onDevice(Operation&& operation)
{
    onDevice(0, [&](DeviceLink& device) {
        operation(device);
        return 0;
    });
}

template <size_t N>
void copyOut(const std::optional<std::array<uint8_t, N>>& data, uint8_t* out)
{
    if (data && out != nullptr)
        std::copy(data->begin(), data->end(), out);
}

}  // namespace

extern "C" {

void InitZeldev()
{
    try {
        auto& state = libraryState();
        if (!state.instance)
            state.instance = std::make_unique<CEmuDevice>(state.slots);
    } catch (const std::exception&) {
    }
}

void ExitZeldev()
{
    libraryState().instance.reset();
}

int RenumerateDevice()
{
    try {
        auto* device = instance();
        if (!device)
            return 0;
        device->enumerate();
        if (device->link()) {
            device->readName();
            return 1;
        }
        device->enumerate();
        return 0;
    } catch (const std::exception&) {
        return 0;
    }
}

void CloseUSBDevice()
{
    // Releasing needs no device traffic, so it also works after ExitZeldev, which leaves the
    // slots open.
    libraryState().slots.release();
}

int IsDeviceOpened()
{
    return usableDevice() ? 1 : 0;
}

int IsDeviceRunning()
{
    return onDevice(0, [](DeviceLink& device) {
        const auto run = requests::readRegister(device, kRunRegister);
        return run && *run != 0 ? 1 : 0;
    });
}

void RunDevice()
{
    if (!IsDeviceRunning())
        onDevice([](DeviceLink& device) { requests::writeRegister(device, kRunRegister, 1); });
}

void StopDevice()
{
    if (IsDeviceRunning())
        onDevice([](DeviceLink& device) { requests::writeRegister(device, kRunRegister, 0); });
}

uint8_t ReadRegister(uint16_t reg, uint8_t& value)
{
    return onDevice<uint8_t>(0, [&](DeviceLink& device) -> uint8_t {
        const auto read = requests::readRegister(device, reg);
        if (!read)
            return 0;
        value = *read;
        return *read;
    });
}

void WriteRegister(uint16_t reg, uint8_t value)
{
    onDevice([&](DeviceLink& device) { requests::writeRegister(device, reg, value); });
}

void GetDeviceFirmwareVersion(uint8_t* version)
{
    if (version != nullptr)
        onDevice([&](DeviceLink& device) { copyOut(requests::firmwareVersion(device), version); });
}

void GetSPILastCommand(uint32_t& value)
{
    onDevice([&](DeviceLink& device) {
        const auto command = requests::lastSpiCommand(device);
        if (command)
            value = (value & 0xFF000000u) | (*command)[0] | (*command)[1] << 8 | (*command)[2] << 16;
    });
}

void GetuFIFOControlPipe(uint8_t* data)
{
    if (data != nullptr)
        onDevice([&](DeviceLink& device) { copyOut(requests::uFifoControlBlock(device), data); });
}

void GetDeviceHWVersion(uint8_t& version)
{
    onDevice([&](DeviceLink& device) {
        if (const auto read = readHardwareVersion(device))
            version = *read;
    });
}

uint32_t GetZelmorSN()
{
    return onDevice<uint32_t>(0, [](DeviceLink& device) {
        return readSerialNumber(device).value_or(0);
    });
}

uint32_t WriteZelmorSerailNumber(uint32_t serial)
{
    return onDevice<uint32_t>(0, [&](DeviceLink& device) {
        return writeSerialNumber(device, serial) ? serial : 0;
    });
}

wchar_t* GetUSBDeviceName(wchar_t* name)
{
    auto* device = instance();
    if (device == nullptr || name == nullptr)
        return nullptr;
    const auto& text = device->name();
    std::copy(text.begin(), text.end(), name);
    name[text.size()] = L'\0';
    return name;
}

void TrigerDeviceLogCounter(int flag)
{
    onDevice([&](DeviceLink& device) { requests::triggerLogCounter(device, flag != 0); });
}

int ReadDeviceLogData(uint8_t* buffer, int length)
{
    if (buffer == nullptr || length <= 0)
        return 0;
    return onDevice(0, [&](DeviceLink& device) {
        std::vector<uint8_t> data(static_cast<size_t>(length));
        if (!device.bulkRead(data))
            return 0;
        std::copy(data.begin(), data.end(), buffer);
        return 1;
    });
}

int SendCommandToDevice(int cmd, wchar_t* arg, int value1, int value2)
{
    if (!isKnownCommand(cmd))
        return 0;
    return onDevice(0, [&](DeviceLink& device) {
        return dispatchCommand(device, cmd, arg, static_cast<uint32_t>(value1),
                               static_cast<uint32_t>(value2));
    });
}

}  // extern "C"
