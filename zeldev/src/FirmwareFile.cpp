#include "FirmwareFile.h"

#include "FileBytes.h"
#include "Limits.h"

namespace zel::zeldev {

namespace {

constexpr uint64_t kHeaderSize = 16;
constexpr uint64_t kRecordHeaderSize = 8;

FirmwareFile malformed() { return {FirmwareFile::Status::Malformed, {}}; }

bool lengthFits(uint32_t type, uint64_t length)
{
    switch (static_cast<FirmwareRecordType>(type)) {
    case FirmwareRecordType::BootImage:
        return length > 0 && length <= kMaxBootImage;
    case FirmwareRecordType::SerialFlashImage:
        return length > 0 && length <= kMaxSerialFlashImage;
    }
    return true;
}

bool writable(uint32_t type)
{
    return type == static_cast<uint32_t>(FirmwareRecordType::BootImage) ||
           type == static_cast<uint32_t>(FirmwareRecordType::SerialFlashImage);
}

}  // namespace

FirmwareFile parseFirmwareFile(std::span<const uint8_t> file)
{
    if (wordAt(file, 0) != kFirmwareMagic)
        return {};
    const auto first = wordAt(file, 12);
    if (!first || *first < kHeaderSize || *first > file.size())
        return malformed();

    FirmwareFile parsed{FirmwareFile::Status::Ok, {}};
    for (uint64_t offset = *first; offset < file.size();) {
        const auto type = wordAt(file, offset);
        const auto length = wordAt(file, offset + 4);
        if (!type || !length)
            return malformed();
        const uint64_t body = offset + kRecordHeaderSize;
        if (*length > file.size() - body || !lengthFits(*type, *length))
            return malformed();
        if (writable(*type))
            parsed.records.push_back({static_cast<FirmwareRecordType>(*type), file.subspan(body, *length)});
        offset = body + *length;
    }
    return parsed;
}

}  // namespace zel::zeldev
