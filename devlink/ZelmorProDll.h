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
    // Firmware update: a folder (first generation) or a container file (G2). 1 when both images
    // were written and verified and the boot marker was written; 0 otherwise. Everything is
    // checked (version read, images, their sizes, the flash ID) before the flash is touched.
    ZELMOR_CMD_FIRMWARE_UPDATE = 0x02,       // arg: wchar_t* folder or container path
    // Chip configuration: 1 when the file was walked and every transfer succeeded; 0 when it cannot
    // be read or a transfer (a version read included) failed, after which nothing more is sent.
    ZELMOR_CMD_CHIP_CONFIG = 0x04,           // arg: wchar_t* .cfg path; value1: chip slot
    // Emulation memory (bit 31 of the address: chip slot 1, sent as given): one frame and one
    // bulk transfer. Writes give 1 when both went out (no data follows a failed frame); reads
    // give 1 only when the whole block came back.
    ZELMOR_CMD_MEMORY_WRITE = 0x55,          // arg: data; value1: address; value2: length
    ZELMOR_CMD_MEMORY_READ = 0xAA,           // arg: buffer; value1: address; value2: length
    // On-board flash erase: the whole chip (then a wait and a bounded status poll) on MCU firmware
    // up to 2.8, else the 30 sectors below 0x1E0000. 0 when the version cannot be read (nothing
    // is erased) or an erase frame failed.
    ZELMOR_CMD_FLASH_ERASE = 0xB1,
    ZELMOR_CMD_FLASH_READ_PAGE = 0xB2,       // arg: 256-byte buffer; value1: on-board flash address
    ZELMOR_CMD_FLASH_WRITE_PAGE = 0xB3,      // arg: 256 bytes; value1: on-board flash address; 1 when sent
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

// --- Firmware and FPGA maintenance, identity writes ---
// Progress of a firmware update: done and total count the bytes of every on-board flash page
// written and read back. Non-zero asks the update to stop; it stops only at the first report
// (done == 0), before the flash is touched: once the erase has begun only the finished update
// leaves firmware the device can boot, so a later answer is not followed.
typedef int (*ZelmorProProgress)(void* context, uint64_t done, uint64_t total);
// The firmware update of SendCommandToZelmorPro(ZELMOR_CMD_FIRMWARE_UPDATE, path, 0, 0, index),
// reporting to `progress` (null: none) at least every 50 ms once the flash is being erased:
// 1 updated, 0 failed or not initialised, 2 stopped at the first report (nothing was erased).
ZEL_EXPORT int UpdateZelmorProFirmware(const wchar_t* path, ZelmorProProgress progress, void* context, int index);
// Erases the 64 KiB on-board flash sector holding address (its low 24 bits).
ZEL_EXPORT void SectorEraseZelmorProOnBoardFlash(int address, int index);
// Loads the FPGA from the bitstream stored at this on-board flash address. 1 when the frame
// went out; 0 when not initialised, the slot is not open or the transfer failed.
ZEL_EXPORT int SwitchFPGAVersion(uint32_t address, int index);
// Reconfigures the FPGA (its registers return to their power-up values).
ZEL_EXPORT void DoReconfigFPGA(int index);
// Write a field of the identity page without erasing it: programming only clears bits, so a
// value that needs a bit set again fails its read-back. False when not initialised, the slot
// is not open, the on-board flash is not one of the two known parts or a transfer failed.
// Serial number at bytes 2..5 (little-endian): true when bytes 2..7 read back as sent.
ZEL_EXPORT bool WriteZelmorProSerailNumber(unsigned int serial, int index);
// Hardware version at byte 1: true when it reads back as sent.
ZEL_EXPORT bool WriteZelmorProHWVersion(unsigned char version, int index);

// --- Target SPI state (current device) ---
// Both read registers 0x2C (A) and 0x90 (B) of the current device; value is left unchanged when
// the library is not initialised, the current slot is not open or either read fails.
// Last command: ((A & 0xFF) << 16) | (A & 0xFF00) | (B & 0xFF).
ZEL_EXPORT void GetZelmorProSPILastCommand(uint32_t& value);
// Pin status: bits 0-7 from B, bits 8-15 from A (bits 14-15 both set: target SPI bus idle),
// bits 16-19 from bits 0-3 of A, bits 20-31 zero.
ZEL_EXPORT void GetZelmorProSPIPinStatus(uint32_t& value);

// --- SPI trace (8-byte records, passed through unchanged) ---
// Reads length / 8,192 trace blocks (frame 0xBC: bytes 2-4 the block count, byte 9 mode) and
// appends each block's valid records (its big-endian count, at most 1,023) to buffer at filled,
// advancing filled. filled above 0x7FEFFFF: 1 at once, nothing sent (the 128 MiB capture buffer
// has no room for 64 KiB more). 1 when the frame and every block read succeeded; after a failed
// read nothing more is appended (what came before stays counted) and a device that answers
// nothing is not asked for the rest. No record passes 128 MiB from buffer. 0 when not initialised.
ZEL_EXPORT int BurstReadZelmorProLogData(unsigned char* buffer, uint32_t length, unsigned int& filled,
                                         unsigned char mode, int index);
// Frame 0xBB (bytes 1-4 length, 5-8 address, 9 mode), then length bytes into buffer. 1 when both
// transfers succeeded. The simulator answers the retained records from the address-th oldest on.
ZEL_EXPORT int ReadZelmorProLogData(unsigned char* buffer, uint32_t length, uint32_t address, unsigned char mode,
                                    int index);
// Frame 0xBD: the device empties its trace store. No reply.
ZEL_EXPORT void ResetZelmorProSPITrace(int index);
// As ResetZelmorProSPITrace; 1 when the frame went out.
ZEL_EXPORT int TryResetZelmorProSPITrace(int index);

// --- Hyper terminal: registers, uFIFO (target to host), dFIFO (host to target), port ---
// Frame 0x50 (byte 1 reg), 3-byte reply, value = reply byte 1, stored and returned; a failed
// transfer gives 0. Not initialised: 0, value unchanged.
ZEL_EXPORT unsigned char ReadZelmorProHTRegister(unsigned char reg, unsigned char& value, int index);
// Frame 0x51 (byte 1 reg, bytes 2-3 value). No reply.
ZEL_EXPORT void WriteZelmorProHTRegister(unsigned char reg, unsigned short value, int index);
// Frame 0x53 (bytes 1-2 low 16 bits of length, 3-4 low 16 bits of param), then length + 2 bytes
// into buffer (which must hold them): a big-endian count, then the data. 1 when both transfers
// succeeded; a failed read leaves buffer as it was.
ZEL_EXPORT int ReadZelmorProHTuFIFO(unsigned char* buffer, uint32_t length, uint32_t param, int index);
// The same request with 16-bit arguments and no result.
ZEL_EXPORT void GetZelmorProuFIFO(unsigned char* buffer, unsigned short length, unsigned short param, int index);
// n = min(length, 512): frame 0x52 (bytes 1-2 n, 3-4 param), n data bytes, 2-byte reply; status =
// reply byte 1 (the device's count of bytes stored, for n up to 255). A failed transfer stores 0.
// Longer data is not sent: the caller splits it.
ZEL_EXPORT void WriteZelmorProdFIFO(unsigned char* data, unsigned short length, unsigned short param,
                                    unsigned char& status, int index);
// FPGA register 0x81 := 0 (USB) when fromUsb, else 1.
ZEL_EXPORT void SetZelmorProHTPortFromUSB(bool fromUsb, int index);

// --- Supply voltage and RPMC ---
// Level frames of the voltage (channels 2, 3, 4) to slot index; nothing when not initialised.
ZEL_EXPORT void SetZelmorProVccTo33V(int index);
ZEL_EXPORT void SetZelmorProVccTo25V(int index);
ZEL_EXPORT void SetZelmorProVccTo18V(int index);
// Sends the first 16 bytes of block (its 0x68 command frame) and then the next 148 to slot
// index. 1 when both went out; 0 when not initialised, block is null, size < 164 (nothing is
// sent), the slot is not open or a transfer failed (no payload follows a failed frame).
ZEL_EXPORT int WriteZelmorProRPMC(unsigned char* const block, int size, unsigned int index);

// --- Helpers for the emulator API ---
// As ReadZelmorProRegister, but tells a failed read apart from a register that reads 0:
// 1 with the value stored; 0 (value unchanged) when not initialised or the read failed.
ZEL_EXPORT int TryReadZelmorProRegister(unsigned char reg, unsigned short* value, int index);
// Run control that tells a failure apart: 1 when the emulator is running (stopped) afterwards,
// the run register read and, where the state had to change, written; 0 when not initialised,
// the slot is not open or a transfer failed.
ZEL_EXPORT int TryRunZelmorPro(int index);
ZEL_EXPORT int TryStopZelmorPro(int index);
// 1 with *running set to 1 (emulating) or 0; 0 (running unchanged) when the state cannot be read.
ZEL_EXPORT int TryIsZelmorProRunning(int* running, int index);
// 1 with the four version bytes stored (as GetZelmorProFirmwareVersion); 0 (version unchanged)
// when not initialised or the read failed.
ZEL_EXPORT int TryGetZelmorProFirmwareVersion(unsigned char* version, int index);
// Every emulator the last enumeration found, opened or not (held by another process, no
// access): slots 0..count-1. 0 when not initialised.
ZEL_EXPORT int GetZelmorProFoundCount();
// Why slot index cannot be used, as a ZEL_REASON_ code (0 none): for an emulator found but not
// opened, why not (held elsewhere, no permission); for an opened one, how its most recent failed
// transfer failed. index -1: why the last enumeration found no emulator (1, or 0 when it found
// one). text, when capacity > 0, receives one line of UTF-8 saying so, cut to fit, always ended
// by a NUL.
ZEL_EXPORT int GetZelmorProProblem(int index, char* text, size_t capacity);
// Sleeps for a fixed host wait on behalf of slot index: scaled by the device's time scale (the
// simulator's factor; 1 on hardware), unscaled when the slot is not open.
ZEL_EXPORT void SleepForZelmorPro(unsigned int milliseconds, int index);

}  // extern "C"

// The same as GetZelmorProHWVersion(index), storing the byte in version (unchanged when not
// initialised).
ZEL_EXPORT void GetZelmorProHWVersion(unsigned char& version, unsigned int index);
