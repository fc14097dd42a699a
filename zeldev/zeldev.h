// zeldev: device library for the emulator's earlier USB design (vendor ID 0x04B4, product
// ID 0x1234), driven by vendor control requests on the default pipe and bulk pipes for
// memory and log data. The library serves one device: every operation uses slot 0.
//
// Failures are reported by return values only (0, null, or an output left unchanged).
// Without InitZeldev every read returns 0 and every write sends nothing.
#pragma once

#include <cstdint>

#include "Export.h"

extern "C" {

// Creates the library instance (enumerates and reads the device name); a second call does
// nothing.
ZEL_EXPORT void InitZeldev();
// Destroys the library instance; opened slots stay open until CloseUSBDevice.
ZEL_EXPORT void ExitZeldev();
// Closes and enumerates again; 1 when the device in slot 0 was opened, else 0.
ZEL_EXPORT int RenumerateDevice();
// Releases every opened slot.
ZEL_EXPORT void CloseUSBDevice();

ZEL_EXPORT int IsDeviceOpened();
// Opened and FPGA register 0x28 (run) reads non-zero.
ZEL_EXPORT int IsDeviceRunning();
ZEL_EXPORT void RunDevice();
ZEL_EXPORT void StopDevice();

// Stores the register byte in `value` and returns it; 0 (value unchanged) on failure.
ZEL_EXPORT uint8_t ReadRegister(uint16_t reg, uint8_t& value);
ZEL_EXPORT void WriteRegister(uint16_t reg, uint8_t value);

// The following reads leave their output unchanged when the transfer fails or is short.
ZEL_EXPORT void GetDeviceFirmwareVersion(uint8_t* version);  // 4 bytes
ZEL_EXPORT void GetSPILastCommand(uint32_t& value);           // 3 bytes into the low bytes
ZEL_EXPORT void GetuFIFOControlPipe(uint8_t* data);           // 16 bytes
ZEL_EXPORT void GetDeviceHWVersion(uint8_t& version);

// Serial number: bytes 50..53 (little-endian) of the identity block at 0x1FFFC0, for both the
// read and the write. Read: 0 on failure. Write: returns `serial`, or 0 when it failed.
ZEL_EXPORT uint32_t GetZelmorSN();
ZEL_EXPORT uint32_t WriteZelmorSerailNumber(uint32_t serial);

// Copies the product name (string descriptor 2, at most 15 characters plus terminator) into
// `name` and returns it; null when not initialised.
ZEL_EXPORT wchar_t* GetUSBDeviceName(wchar_t* name);

ZEL_EXPORT void TrigerDeviceLogCounter(int flag);
// One bulk read of `length` bytes; 1 only when exactly `length` bytes arrived (the buffer is
// left unchanged otherwise).
ZEL_EXPORT int ReadDeviceLogData(uint8_t* buffer, int length);

// Command numbers of SendCommandToDevice.
enum ZeldevCommand : int {
    kZeldevFirmwareUpdate = 2,     // arg: firmware file path
    kZeldevChipConfig = 4,         // arg: chip configuration file path
    kZeldevWriteMemory = 0x55,     // arg: data, value1: address, value2: length
    kZeldevReadMemory = 0xAA,      // arg: buffer, value1: address, value2: length
    kZeldevEraseFlash = 0xB1,
    kZeldevReadFlash = 0xB2,       // arg: 64-byte buffer, value1: address
    kZeldevWriteFlashImage = 0xB3, // arg: image, value1: length (at most 2 MiB)
    kZeldevReadBootMemory = 0xB8,  // arg: buffer, value1: length << 16 | offset
    kZeldevWriteBootImage = 0xB9,  // arg: image, value1: length (at most 16 KiB)
    kZeldevReadMemoryAt0 = 0xC1,   // arg: buffer, value1: length
    kZeldevWriteMemoryAt0 = 0xC2,  // arg: data, value1: length
};

// Returns 1 on success, 0 on failure, when not initialised, when no device is usable or when
// `cmd` is unknown. `arg` is a zero-terminated path for commands 2 and 4, else a data buffer.
ZEL_EXPORT int SendCommandToDevice(int cmd, wchar_t* arg, int value1, int value2);

}  // extern "C"
