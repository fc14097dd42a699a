// zelapi: the emulator API shared by the desktop program and the command-line tool.
//
// Call CliInitialZelmorProDLL once before anything else and CliCloseZelmorProDLL once at exit
// (after CliCloseUSBDevice when the devices must be released). Until then every export is inert
// and returns 0, false or null, except those marked "works also when not initialised".
// Failures are reported by return values only; nothing throws across this interface.
//
// `index` is the device index: the position of an emulator in the last enumeration.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Export.h"
#include "vm_mgr.h"

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
// 1 emulating, 0 stopped, -1 when the state cannot be read (the device does not answer or is
// not opened). Works also when not initialised.
ZEL_EXPORT int CliGetEmulationState(int index);
// Closes and enumerates the emulators again; the number of opened emulators.
ZEL_EXPORT int CliCheckUSBDeviceNum();
// Every emulator the last enumeration found, opened or not (held by another process, no
// access to the device): indices 0..count-1. An index whose emulator is not opened fails every
// operation.
ZEL_EXPORT int CliGetFoundDeviceCount();
// Why device `index` cannot be used, as far as known: for an emulator found but not opened, why
// not; for an opened one, how its most recent failed transfer failed; ZEL_REASON_NONE otherwise.
// index -1: why the last enumeration found no emulator (ZEL_REASON_NO_DEVICE), or NONE when it
// found one. `text` (may be null) receives one line of UTF-8 a user can act on ("… is held by
// another process", "permission denied on /dev/bus/usb/001/004: install the udev rule …", "no
// simulated emulator is served at ZELMOR_SIM=…"), cut to `capacity` and NUL-terminated.
#define ZEL_REASON_NONE 0
#define ZEL_REASON_NO_DEVICE 1
#define ZEL_REASON_BUSY 2
#define ZEL_REASON_PERMISSION 3
#define ZEL_REASON_TIMEOUT 4
#define ZEL_REASON_DISCONNECTED 5
#define ZEL_REASON_DEVICE_ERROR 6
ZEL_EXPORT int CliGetDeviceProblem(int index, char* text, size_t capacity);
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
// The same; 1 when the firmware version was read, 0 when not initialised or the device did not
// answer (the firmware word is then 0, which must not be taken for a version).
ZEL_EXPORT int CliTryGetProductInfo(uint32_t* firmware, uint8_t* hardware, wchar_t* name, int index);
// Serial number from the identity page of device `index`; 0xFFFFFFFF when it cannot be read.
ZEL_EXPORT uint32_t CliGetSerailNumber(int index);
// Register 2 of the earlier-design emulator; 0 when it cannot be read. Works also when not
// initialised.
ZEL_EXPORT uint8_t CliGetRegister02();

// ---- Firmware, FPGA and identity maintenance -------------------------------------------------

// Writes the serial number into the identity page of the current device; true when it read back
// as written (the page is not erased first, so a number that needs a cleared bit set fails).
ZEL_EXPORT bool CliWriteSerailNumber(uint32_t serial);
// Firmware update of device `index` from a firmware folder (first generation) or a container
// file (*.vkfw, G2; .hex and .s19 names are read as Intel HEX and S-record). 1 when both images
// were written, verified and the boot marker set; 0 otherwise. Emulation is neither stopped nor
// restarted here.
ZEL_EXPORT int CliUpdateFirmware(const wchar_t* path, int index);
// Loads the FPGA of device `index` from the bitstream at this on-board flash address (0x000000 or
// 0x078000 for the 1.8 V image). 1 when the command went out.
ZEL_EXPORT int CliSwitchFPGAVersion(uint32_t version, int index);
// Reconfigures the FPGA of device `index`.
ZEL_EXPORT void CliDoReconfigFPGA(int index);

// The in-process image buffer: 0x4000000 bytes, or 0x10000000 after CliDoSetZelmorProType(1).
ZEL_EXPORT uint8_t* CliGetDLLBuffer();
// With `large` set, the image buffer becomes 0x10000000 bytes, every byte 0xFF (fetch its
// address again with CliGetDLLBuffer); without it nothing changes. `index` is not used.
ZEL_EXPORT void CliDoSetZelmorProType(bool large, int index);

// ---- Chip configuration ---------------------------------------------------------------------
// A .cfg file is used only when it is a regular file that can be read, holds at least its 32-byte
// header, its chip size is 1 byte to 256 MiB and, with the "Vcfg" magic, its voltage is 1800, 2500
// or 3300 mV and its name, voltage and option offsets lie inside it; otherwise these exports
// change no output and send nothing.

// From a file with the magic: vendor name (kZelVendorNameChars characters with the terminator),
// chip name (kZelChipNameChars), chip size in bytes, supply voltage in millivolts and the
// address-mode flag (1 = the chip keeps one addressing mode). Initialised, it also becomes the
// chip information the option exports use. Works also when not initialised, then filling only
// vendor, chip and chipSize. A file without the magic changes nothing. Null outputs are skipped.
ZEL_EXPORT void CliGetConfigFileInfo(const wchar_t* cfgPath, wchar_t* vendor, wchar_t* chip, uint32_t* chipSize,
                                     uint32_t* voltage, uint8_t* addrModeFlag);
// 1 when the file carries an SFDP table (the "SFDP" marker at offset 180), else 0.
ZEL_EXPORT uint8_t CliGetConfigFileSFDP(const wchar_t* cfgPath);
// Makes target 1 (target2 false) or target 2 of device `index` impersonate the file's chip:
// updates the chip information, has the device link apply the file, records the chip size of that
// target and empties the read-back vector. A chip whose name holds a path separator or ".." is
// refused as unsupported.
ZEL_EXPORT void CliSetChipType(const wchar_t* cfgPath, bool target2, int index);
// The same; 1 when the emulator took the whole configuration, 0 when not initialised, the file
// is refused (nothing is sent) or a transfer failed (nothing is sent after it).
ZEL_EXPORT int CliTrySetChipType(const wchar_t* cfgPath, bool target2, int index);
// Register 0x4F: 0x10 for a chip with the address-mode flag, else 0 (threeByte) or 1 (4-byte).
ZEL_EXPORT void CliSetAddrLen(bool threeByte, int index);
// Register 0x4D: 1 when the last file read has the QE flag, else 0.
ZEL_EXPORT void CliSetSetQEbit(int index);
// Register 0x3B: 1 when the last file read has the die-erase flag, else 0.
ZEL_EXPORT void CliSetDieEraseSize(int index);

// ---- Image files and buffers ------------------------------------------------------------------
// Raw binary, Intel HEX (*.hex) or Motorola S-record (*.s19), chosen by the file name's extension
// (any case). The image of a text file starts at the lowest address the file fills; gaps read
// 0xFF. The checksum is the 32-bit sum of the image's bytes. Record checksums are verified: a bad
// or malformed record fails the load. A load that fails (unreadable, empty, malformed, too large)
// copies nothing and changes no output except as stated; CliGetLastImageError says why.

// Loads the file into the in-process buffer at bufferOffset and stores its size and checksum.
// An image of more than 0x4000000 bytes (0x10000000 with `large`), or more than the buffer holds
// from bufferOffset, stores only its size. Returns the in-process buffer's address in every
// case (null when not initialised).
ZEL_EXPORT uint8_t* CliLoadFileToDLLBuffer(const wchar_t* path, uint32_t* checksum, uint32_t* size,
                                           uint32_t bufferOffset, bool large);
// Loads at most `capacity` bytes of the file into a host buffer. *size is the whole image's size
// (a raw file's size even when it is larger than capacity); the checksum of a raw file covers the
// bytes stored, that of a text file the whole image. A raw file always gets a fresh buffer whose
// handle replaces *host (the old buffer is freed); a text file is written into *host when it is
// not 0. The two middle arguments are not used. 1 when loaded.
ZEL_EXPORT bool CliLoadFileToDLLBuffer_ptr(const wchar_t* path, vm_ptr_t* host, uint32_t* checksum,
                                           uint32_t* size, uint32_t unused1, bool unused2, uint32_t capacity);
// Empties the byte vector and loads the file into it; returns the byte vector (left empty, with
// the outputs unchanged, when the load fails).
ZEL_EXPORT const std::vector<uint8_t>* CliOpenFile(const wchar_t* path, uint32_t* checksum, uint32_t* size);
// As CliLoadFileToDLLBuffer_ptr, but every format gets a fresh host buffer.
ZEL_EXPORT bool CliOpenFile_ptr(const wchar_t* path, vm_ptr_t* host, uint32_t* checksum, uint32_t* size,
                                uint32_t capacity);
// Size and checksum of the file's image; 0 and 0 (and false) when it cannot be loaded.
ZEL_EXPORT bool CliFileCheckSum(const wchar_t* path, uint32_t* checksum, uint32_t* size);
// Writes the bytes in the format the path's extension selects; false when the file cannot be
// written.
ZEL_EXPORT bool CliSaveBufferToFile(const std::vector<uint8_t>* data, const wchar_t* path);
// Empties the byte vector and releases its storage.
ZEL_EXPORT void CliClearFileBuff();
// Why the last image-file export failed, as UTF-8 text naming the file (and the line of a bad
// record); empty when it succeeded. Valid until the next image-file export. Null when not
// initialised.
ZEL_EXPORT const char* CliGetLastImageError();

// ---- Download, read-back and verify ------------------------------------------------------------
// dwAdr: bit 31 selects target 2, the rest is the offset inside the target; it goes to the device
// as given on both generations (isZelmorProG2 is accepted and not needed). The target's chip size
// is the one CliSetChipType recorded. Result byte: 1 done; 0 a transfer failed, the source or
// destination buffer cannot hold the range, or verify found a difference; 2 the start (for a
// read-back: the range) lies beyond the chip; 3 the data would run past the chip end without
// truncation. Nothing is sent when the result is 2, 3, or 0 for a buffer that cannot hold the
// range. A null bResult does nothing.

// Downloads dwLdth bytes of the in-process buffer from dwBuffAddr to the target at dwAdr.
// boNoChangeContent: the rest of the memory is kept (the 1 MiB blocks the image touches are read
// where it covers them partly and written back whole; a block read that fails writes nothing);
// otherwise the whole chip is written, bFillMask outside the image. boTruncate: data past the
// chip end are dropped instead of giving 3.
ZEL_EXPORT void CliDownloadDLLBufferToZelmorPro(bool boNoChangeContent, uint8_t bFillMask, uint32_t dwAdr,
                                                uint32_t dwLdth, uint32_t dwBuffAddr, bool boTruncate,
                                                uint8_t* bResult, bool isZelmorProG2, size_t USBIndex);
// The same from the host buffer *ptr (which must hold dwBuffAddr + the bytes sent).
ZEL_EXPORT void CliDownloadDLLBufferToZelmorPro_ptr(vm_ptr_t* ptr, bool boNoChangeContent, uint8_t bFillMask,
                                                    uint32_t dwAdr, uint32_t dwLdth, uint32_t dwBuffAddr,
                                                    bool boTruncate, uint8_t* bResult, bool isZelmorProG2,
                                                    size_t USBIndex);
// Compares min(dwLdth, chip end - start) bytes of the target at dwAdr with the in-process buffer
// from dwBuffAddr; every byte compared is read from the device. Never gives 3.
ZEL_EXPORT void CliZelmorProVerify(uint32_t dwAdr, uint32_t dwLdth, uint32_t dwBuffAddr, uint8_t* bResult,
                                   bool isZelmorProG2, size_t USBIndex);
// The same against the host buffer *ptr, reading the device in transfers of at most 64 MiB.
ZEL_EXPORT void CliZelmorProVerify_ptr(vm_ptr_t* ptr, uint32_t dwAdr, uint32_t dwLdth, uint32_t dwBuffAddr,
                                       uint8_t* bResult, bool isZelmorProG2, size_t USBIndex);
// Reads dwLdth bytes of the current device's target at dwAdr into the in-process buffer from
// offset 0.
ZEL_EXPORT void CliReadFromZelmorPro(uint32_t dwAdr, uint32_t dwLdth, uint8_t* bResult);
// Reads min(dwLdth, capacity) bytes of the current device's target into the host buffer *ptr
// from offset 0 (the caller allocates it).
ZEL_EXPORT void CliReadFromZelmorPro_ptr(vm_ptr_t* ptr, uint32_t dwAdr, uint32_t dwLdth, uint32_t capacity,
                                         uint8_t* bResult);
// Reads dwLdth bytes of the target at dwAdr into the byte vector, which then holds exactly them
// (it is empty when the read fails); returns the byte vector (null when not initialised).
ZEL_EXPORT const std::vector<uint8_t>* CliReadFromZelmorProvector(uint32_t dwAdr, uint32_t dwLdth, uint8_t* bResult,
                                                                 bool isZelmorProG2, size_t USBIndex);

// Which device transfers failed in the last download, verify or read-back export called on this
// thread: ZEL_DEVICE_READ_FAILED and/or ZEL_DEVICE_WRITE_FAILED, and ZEL_TRANSFER_CANCELLED when
// the progress callback stopped it (also the only bit a firmware update notes); 0 when none did
// (a result of 0 then means a difference, or a buffer that cannot hold the range).
#define ZEL_DEVICE_READ_FAILED 1
#define ZEL_DEVICE_WRITE_FAILED 2
#define ZEL_TRANSFER_CANCELLED 4
ZEL_EXPORT int CliGetLastTransferFailure();

// ---- Progress and cancel ------------------------------------------------------------------------
// Download, verify, read-back (the vector read too, which blank check and checksums use) and the
// firmware update report their progress to one callback per process. `index` is the device index,
// done and total count bytes (a firmware update counts every page written and read back). The
// first call of an operation has done == 0, the last done == total; in between a call comes at
// least every 4 MiB or 100 ms. While a callback is installed, long memory transfers go to the
// device as commands of at most 4 MiB each, so that they can stop between two of them.
#define ZEL_OP_DOWNLOAD 1
#define ZEL_OP_VERIFY 2
#define ZEL_OP_READ 3      /* read-back, vector read: also what blank check and checksums use */
#define ZEL_OP_FIRMWARE 4
/* Return non-zero to cancel the operation at its next block boundary. Called on the thread
   doing the work (zelcmd runs one worker per device: the callback must be thread-safe). */
typedef int (*ZelProgressCallback)(void* context, int operation, int index, uint64_t done, uint64_t total);
// Installs the callback (null removes it). When this returns, the callback it replaced is not
// running and is never called again. The callback must not call this itself. A cancelled
// operation gives its failure result and ZEL_TRANSFER_CANCELLED; the device stays usable. A
// firmware update stops only before the on-board flash is touched: once erasing has begun, the
// old firmware is gone and only the finished update leaves a bootable device, so a cancel
// answered later is not followed and the update completes. Works also when not initialised.
ZEL_EXPORT void CliSetProgressCallback(ZelProgressCallback callback, void* context); /* per process; null removes */

// ---- Emulation control and pins -------------------------------------------------------------
// Pin settings are register writes; a read-modify-write writes nothing when its read failed.
// None of these reports a transfer failure, except CliWriteRPMC and the Try forms.

// Starts emulation unless device `index` already emulates (then nothing is written).
ZEL_EXPORT void CliStartEmulation(int index);
// Stops emulation if device `index` emulates, then pauses 10 ms.
ZEL_EXPORT void CliStopEmulation(int index);
// The same two, telling a failure apart: 1 when the emulator is emulating (stopped) afterwards,
// its state read and, where it had to change, written; 0 when not initialised or a transfer failed.
ZEL_EXPORT int CliTryStartEmulation(int index);
ZEL_EXPORT int CliTryStopEmulation(int index);
// A fixed host pause that the front ends make around device `index` (2,000 ms after an FPGA
// image switch): real time on hardware, shortened only by a simulator's reported time scale.
ZEL_EXPORT void CliPauseForZelmorPro(unsigned int milliseconds, int index);
// One entry point under two names: nothing is switched (the boot source is the target's).
ZEL_EXPORT void CliSystemBootFromZelmorPro(int unused);
ZEL_EXPORT void CliSystemBootFromSPIFlash(int unused);
// Hold-pin mode, bits 0-1 of register 0x2A: 0 default low, 1 restored after an FPGA switch,
// 2 floating, 3 input. Only bits 0-1 of mode are used; the register's other bits are kept.
ZEL_EXPORT void CliSetHoldPin(uint8_t mode, int index);
// Hold-pin mode 0 (flag set) or 2.
ZEL_EXPORT void CliSetHoldPinLow(bool flag, int index);
// On the current device: bit 2 of register 0x2A from bit 2 of value (0 not driven, 4 driven);
// the register's other bits are kept.
ZEL_EXPORT void CliSetMISODriven(uint8_t value);
// Register 0x10: 0x0C when on, else 0.
ZEL_EXPORT void CliSetRSTPin(bool on, int index);
// On the current device: register 0x12 := value (the reset-pin level).
ZEL_EXPORT void CliSetResetPin(uint8_t value);
// True when register 0x10 reads exactly 1 (reset pin asserted). Works also when not initialised.
ZEL_EXPORT bool CliCheckResetPin(int index);
// Register 0xE0: 0 when flag is set, else 1.
ZEL_EXPORT void CliSetCS(bool flag, int index);
// Register 0xE1 := value (chip-select timing).
ZEL_EXPORT void CliSetCSwith40ns(uint16_t value, int index);
// True, and *idle = 1, when the current device's target SPI bus is idle (pin status bits 14-15
// both set); a status that cannot be read counts as not idle. A null idle is skipped.
ZEL_EXPORT bool CliCheckSPIbus(int* idle);
// Sends a 164-byte RPMC block (its 16-byte 0x68 frame, then 148 bytes of settings) to device
// `index`. 1 when sent; 0 when not initialised, length < 164 (nothing is sent), the device is not
// opened or a transfer failed.
ZEL_EXPORT int CliWriteRPMC(uint8_t* data, int length, int index);
// Target supply of device `index`: 3.3 V, 2.5 V or 1.8 V.
ZEL_EXPORT void CliSetVccTo33V(int index);
ZEL_EXPORT void CliSetVccTo25V(int index);
ZEL_EXPORT void CliSetVccTo18V(int index);

// ---- Sharing the emulators with another process ---------------------------------------------
// Every process joins the share channel of its user when it initialises the API. A requester asks
// the process holding the emulators to let them go (pause) and to take them back (regain); the
// holder polls for requests, does what they ask and answers. A requester then renumerates
// (CliRenumerateUSBDevice) to open the released emulators, and closes them (CliCloseUSBDevice)
// before it asks for the regain. Without the channel (see CliGetUSBShareError) requests give 4 and
// polls 0; not initialised, all of these give 0 and do nothing.

// Request results: 0 the holder answered; 1 no answer within 500 ms (the request stays for the
// holder's next poll); 2 the wait for the answer failed; 4 another request kept the channel busy
// beyond this request's wait (500 ms for pause, 250 ms for regain), or there is no channel.
ZEL_EXPORT int CliPauseZelmorPro();
ZEL_EXPORT int CliRegainZelmorPro();
// Holder side, made for a 100 ms timer: waits at most 10 ms for a request and gives its code (1
// pause, 2 regain), which is then taken; 0 when none came.
ZEL_EXPORT int CliGetUSBShareEvent();
// Answers the request the last CliGetUSBShareEvent took, once the holder has done what it asked
// (closed, or renumerated the emulators). Without a request taken it does nothing.
ZEL_EXPORT void CliReleaseUSBShareEvent();
// Why this process has no share channel, as UTF-8 text naming the shared-memory object; empty
// when it has one. Null when not initialised.
ZEL_EXPORT const char* CliGetUSBShareError();

// ---- SPI trace --------------------------------------------------------------------------------
// Trace records (8 bytes each) are appended to the caller's buffer unchanged; *length is the
// caller's fill level in bytes. All work on the current device.

// *result := 1 when up to 64 KiB of records were read and appended at buffer + *length
// (*length advances); 0 when a transfer failed (what came before stays counted). A fill level
// above 0x7FEFFFF reads nothing and gives 1.
ZEL_EXPORT void CliGetSPITraceData(int* result, uint8_t* buffer, uint32_t* length);
// As CliGetSPITraceData for a buffer of `limit` bytes that is reused as a ring: a fill level
// leaving less than 64 KiB of room starts again at 0 before the read, and after it the level
// falls back to 0 unless *length < limit and *length <= limit - 0x10000 (modulo 2^32). A limit
// below 64 KiB reads nothing and gives *result = 0. Never writes past buffer + limit.
ZEL_EXPORT void CliGetSPITrace(int* result, uint8_t* buffer, uint32_t* length, uint32_t limit);
// Empties the device's trace store (register 0x60 is read through zeldev first, as before).
ZEL_EXPORT void CliResetLogCounter();
// The same two on device `index` rather than the current device, for a tool that captures the
// emulator the user chose.
ZEL_EXPORT void CliGetSPITraceDataOf(int* result, uint8_t* buffer, uint32_t* length, int index);
ZEL_EXPORT void CliResetLogCounterOf(int index);
// ((reg 0x2C & 0xFF) << 16) | (reg 0x2C & 0xFF00) | (reg 0x90 & 0xFF); unchanged when unread.
ZEL_EXPORT void CliGetSPILastCommand(uint32_t* value);
// The same on device `index`: the API has no way to make another device the current one, and a
// holder of several emulators shows the bus of the one the user chose.
ZEL_EXPORT void CliGetSPILastCommandOf(uint32_t* value, int index);
// Through zeldev: register 0x60 bit 4 := bits bit 0, then bit 5 := bits bit 1, each a
// read-modify-write that writes nothing when its read failed.
ZEL_EXPORT void CliEnableZelmorProSPITrace(uint8_t bits);
// on = 0: register 0x60 := 0x15 on device 0 (device link); otherwise register 0x60 := 0 (zeldev).
ZEL_EXPORT void CliSetOperationLog(int on);

// ---- SPI hyper terminal -------------------------------------------------------------------------
// Bytes the target sends arrive in the uFIFO; CliUploadFIFO moves one block of them into the
// process-wide receive queue (131,071 bytes; when full the newest bytes are dropped), which a
// reader drains. Threads: one thread may run CliUploadFIFO while another drains the queue; device
// calls are not serialised, so only one thread may talk to the device at a time.

// Reads up to 512 uFIFO bytes of the current device into the queue; *result := 1 when the
// transfer succeeded, else 0 (nothing queued).
ZEL_EXPORT void CliUploadFIFO(int* result);
// Takes the oldest queued byte into *value and returns it; 0 when the queue is empty.
ZEL_EXPORT uint8_t CliReadSPIHTFromQueue(uint8_t* value);
// Takes up to `size` queued bytes, oldest first, into `buffer` under one lock; returns how many.
ZEL_EXPORT int CliReadSPIHTQueueBlock(uint8_t* buffer, int size);
ZEL_EXPORT int CliGetSPIHTQueueCounter();
ZEL_EXPORT int CliCheckSPIHyperTerminalQueueIsFull();
ZEL_EXPORT int CliCheckSPIHyperTerminalQueueIsEmpty();
// Writes `length` bytes to the current device's dFIFO (512 bytes); returns how many the device
// stored: fewer when it was nearly full, 0 when a transfer failed.
ZEL_EXPORT uint8_t CliWriteToSPIHTdFIFO(uint8_t* data, uint8_t length);
// Reads one packet of at most *length data bytes from the uFIFO, bypassing the queue: its first
// byte is the header (bit 7: more follows -> *more = 1; bits 0-6: the packet's length with the
// header). Copies min(packet length - 1, bytes received - 1, *length) data bytes to data and
// stores that count in *length; nothing received (or *length 0): *length = 0, *more = 0.
ZEL_EXPORT void CliReadFromSPIHTuFIFO(uint8_t* data, uint8_t* length, uint8_t* more);
// Terminal register reg & 7 of the current device; the value is stored and returned (0 failed).
ZEL_EXPORT uint8_t CliReadSPIHTReg(int reg, uint8_t* value);
ZEL_EXPORT void CliWriteSPIHTReg(int reg, uint8_t value);
// Register 0x82: the op-code the target uses for the terminal (0: none).
ZEL_EXPORT void CliSetSPIHTCommand(uint8_t opcode);
// Register 0x83 := 1 / 0: the target reaches the terminal through reads and Page Program.
ZEL_EXPORT void CliEnableSPIHT02Command(int on);
// Register 0x81 := 0 (USB) / 1 (serial port).
ZEL_EXPORT void CliSetHTPort(bool fromUSB);
// Starts emulation on device `index` unless it is opened and already emulating.
ZEL_EXPORT void CliStartSPIHT(int index);
// Stops emulation on device `index`, waits 10 ms; 1 when the current device is opened.
ZEL_EXPORT int CliStopSPIHT(int index);
// Kept for callers of the earlier interface; they do nothing.
ZEL_EXPORT void CliEnableSPIHyperTerminal(int on = 0, int port = 0);
ZEL_EXPORT void CliEnableSPIHTUSBBulkTransfer(int on = 0);
// The upload, the dFIFO write and the two op-code settings on device `index` rather than the
// current device, for a tool that works on the emulator the user chose.
ZEL_EXPORT void CliUploadFIFOOf(int* result, int index);
ZEL_EXPORT uint8_t CliWriteToSPIHTdFIFOOf(uint8_t* data, uint8_t length, int index);
ZEL_EXPORT void CliSetSPIHTCommandOf(uint8_t opcode, int index);
ZEL_EXPORT void CliEnableSPIHT02CommandOf(int on, int index);

}  // extern "C"

// Size, in characters with the terminator, of the product-name buffer of CliGetProductInfo.
inline constexpr int kZelProductNameChars = 256;
// Sizes, in characters with the terminator, of the name buffers of CliGetConfigFileInfo.
inline constexpr int kZelVendorNameChars = 256;
inline constexpr int kZelChipNameChars = 100;
