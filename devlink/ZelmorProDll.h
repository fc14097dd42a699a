// ZelmorProDll: the device link to ZelmorPro emulators. Finds emulators, opens and closes
// them and carries every device command. Exports are plain (unmangled) functions; the last
// argument is, as a rule, the device slot index of the last enumeration (0..127).
//
// Before InitZelmorPro (and after ExitZelmorPro) every export returns its "not initialised"
// value and touches no hardware. A slot index outside 0..127, or a slot that is not open,
// sends nothing and fails.
#pragma once

#include "Export.h"

#include <cstdint>
#include <cwchar>

// Command numbers of SendCommandToZelmorPro.
enum _COMMAND : int {
    ZELMOR_CMD_FIRMWARE_UPDATE = 0x02,       // arg: wchar_t* folder or container path
    ZELMOR_CMD_CHIP_CONFIG = 0x04,           // arg: wchar_t* .cfg path; value1: chip slot
    // Emulation memory (bit 31 of the address: chip slot 1, sent as given): one frame and one
    // bulk transfer. Writes give 1 when both went out (no data follows a failed frame); reads
    // give 1 only when the whole block came back.
    ZELMOR_CMD_MEMORY_WRITE = 0x55,          // arg: data; value1: address; value2: length
    ZELMOR_CMD_MEMORY_READ = 0xAA,           // arg: buffer; value1: address; value2: length
    ZELMOR_CMD_FLASH_ERASE = 0xB1,           // on-board flash
    ZELMOR_CMD_FLASH_READ_PAGE = 0xB2,       // arg: 256-byte buffer; value1: on-board flash address
    ZELMOR_CMD_FLASH_WRITE_PAGE = 0xB3,      // arg: 256 bytes; value1: on-board flash address
    ZELMOR_CMD_ACCEPTED_B8 = 0xB8,           // accepted, nothing is sent
    ZELMOR_CMD_ACCEPTED_B9 = 0xB9,           // accepted, nothing is sent
    ZELMOR_CMD_MEMORY_READ_AT_ZERO = 0xC1,   // arg: buffer; value1: length
    ZELMOR_CMD_MEMORY_WRITE_AT_ZERO = 0xC2,  // arg: data; value1: length
};

extern "C" {

// --- Discovery and device slots ---
// Creates the library instance, enumerates and opens every emulator, reads the current
// device's name. A second call does nothing.
ZEL_EXPORT void InitZelmorPro();
// Drops the library instance; open slots stay open (close first).
ZEL_EXPORT void ExitZelmorPro();
// Closes every slot, enumerates again; returns the open device count (0 when not initialised).
ZEL_EXPORT int RenumerateZelmorPro();
ZEL_EXPORT void CloseUSBZelmorPro();
ZEL_EXPORT void CloseZelmorProUSB();
ZEL_EXPORT int IsZelmorProOpened(int index);
// The current (default) device index; 0 before initialisation.
ZEL_EXPORT unsigned char DoGetUSBDexIndex();
// Reads the device name of slot index into name (256 wide characters with terminator) and
// returns name. Not initialised: returns " " and leaves name alone.
ZEL_EXPORT wchar_t* GetUSBZelmorProName(wchar_t* name, int index);

// --- FPGA registers and run control ---
ZEL_EXPORT unsigned short ReadZelmorProRegister(unsigned char reg, unsigned short& value, int index);
ZEL_EXPORT void WriteZelmorProRegister(unsigned char reg, unsigned short value, int index);
ZEL_EXPORT void RunZelmorPro(int index);
ZEL_EXPORT void StopZelmorPro(int index);
ZEL_EXPORT int IsZelmorProRunning(int index);
ZEL_EXPORT int IsZelmorProG2(int index);
ZEL_EXPORT void SetOperationLog(int index);

// --- Command dispatcher ---
ZEL_EXPORT long SendCommandToZelmorPro(_COMMAND cmd, uintptr_t arg, uint32_t value1, uint32_t value2, int index);

// --- Identity ---
// version: 4 bytes, FPGA minor, FPGA major, MCU minor, MCU major. Not initialised: unchanged.
ZEL_EXPORT void GetZelmorProFirmwareVersion(unsigned char* version, int index);
// Hardware version byte of the identity page; 0 when not initialised.
ZEL_EXPORT unsigned char GetZelmorProHWVersion(int index);
// Serial number of the identity page; 0xFFFFFFFF when it cannot be read, 0xFFFFFF when not
// initialised.
ZEL_EXPORT unsigned int GetZelmorProSerialNumber(int index);

}  // extern "C"

// The same as GetZelmorProHWVersion(index), storing the byte in version (unchanged when not
// initialised).
ZEL_EXPORT void GetZelmorProHWVersion(unsigned char& version, unsigned int index);
