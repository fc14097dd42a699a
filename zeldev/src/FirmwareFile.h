// The firmware file of the earlier design: "Vrnk" magic, the offset of the first record in
// the word at 12, then records (32-bit type, 32-bit length L, L bytes) to the end of the file.
// The whole file is checked before anything is written: a record that runs past the end of
// the file, or one the device cannot take, makes the file unusable.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zel::zeldev {

inline constexpr uint32_t kFirmwareMagic = 0x6B6E7256;  // "Vrnk"

enum class FirmwareRecordType : uint32_t { BootImage = 1, SerialFlashImage = 2 };

struct FirmwareRecord {
    FirmwareRecordType type;
    std::span<const uint8_t> data;  // inside the file's bytes
};

struct FirmwareFile {
    enum class Status { Ok, NotFirmware, Malformed } status = Status::NotFirmware;
    std::vector<FirmwareRecord> records;  // boot and serial-flash images, in file order
};

// Records of other types are skipped. Boot images must hold 1 byte to 16 KiB, serial-flash
// images 1 byte to 2 MiB.
FirmwareFile parseFirmwareFile(std::span<const uint8_t> file);

}  // namespace zel::zeldev
