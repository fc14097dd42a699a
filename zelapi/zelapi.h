// zelapi: the emulator API shared by the desktop program and the command-line tool.
//
// Call CliInitialZelmorProDLL once before anything else and CliCloseZelmorProDLL once at exit
// (after CliCloseUSBDevice when the devices must be released). Until then every export is inert
// and returns 0, false or null, except those marked "works also when not initialised".
// Failures are reported by return values only; nothing throws across this interface.
//
// `index` is the device index: the position of an emulator in the last enumeration.
#pragma once

#include <cstdint>

#include "Export.h"

extern "C" {

// ---- Session and identity -------------------------------------------------------------------

// Creates the API object: starts both device libraries (which enumerate and open the attached
// emulators) and allocates the 64 MiB image buffer, every byte 0xFF. A second call does nothing.
ZEL_EXPORT void CliInitialZelmorProDLL();
// Destroys the API object and its buffers. The devices stay opened unless CliCloseUSBDevice was
// called first.
ZEL_EXPORT void CliCloseZelmorProDLL();

// 1 when device `index` is opened. Works also when not initialised.
ZEL_EXPORT int CliIsZelmorProUSBOpened(int index);
// 1 when device `index` is emulating. Works also when not initialised.
ZEL_EXPORT int CliIsMemoryEmulationRunning(int index);
// Closes and enumerates the emulators again; the number of opened emulators.
ZEL_EXPORT int CliCheckUSBDeviceNum();
// As CliCheckUSBDeviceNum; when no emulator was opened, the earlier-design library's
// re-enumeration result instead.
ZEL_EXPORT int CliRenumerateUSBDevice();
// The current (default) device index chosen by the last enumeration.
ZEL_EXPORT uint8_t CliGetUSBDevIndex();
// Releases every opened emulator of both device libraries. Works also when not initialised.
ZEL_EXPORT void CliCloseUSBDevice();

// Firmware word (byte 0 FPGA minor, byte 1 FPGA major, byte 2 MCU minor, byte 3 MCU major; 0
// when the device does not answer), hardware version and product name of device `index`.
// `name` must hold kZelProductNameChars characters. Null outputs are skipped.
ZEL_EXPORT void CliGetProductInfo(uint32_t* firmware, uint8_t* hardware, wchar_t* name, int index);
// Serial number from the identity page of device `index`; 0xFFFFFFFF when it cannot be read.
ZEL_EXPORT uint32_t CliGetSerailNumber(int index);
// Register 2 of the earlier-design emulator; 0 when it cannot be read. Works also when not
// initialised.
ZEL_EXPORT uint8_t CliGetRegister02();

// The in-process image buffer: 0x4000000 bytes, or 0x10000000 after CliDoSetZelmorProType(1).
ZEL_EXPORT uint8_t* CliGetDLLBuffer();
// With `large` set, the image buffer becomes 0x10000000 bytes, every byte 0xFF (fetch its
// address again with CliGetDLLBuffer); without it nothing changes. `index` is not used.
ZEL_EXPORT void CliDoSetZelmorProType(bool large, int index);

}  // extern "C"

// Size, in characters with the terminator, of the product-name buffer of CliGetProductInfo.
inline constexpr int kZelProductNameChars = 256;
