#include <algorithm>
#include <string_view>
#include <system_error>

#include "chipcfg/ChipConfigFile.h"
#include "fileio/RegularFile.h"
#include "fileio/WholeFile.h"
#include "text/TextCodec.h"

namespace zel::chipcfg {
namespace {

Error unreadable(const std::filesystem::path& path, std::string_view why) {
    return {ErrorCode::Unreadable, "cannot read chip configuration \"" + path.string() + "\": " + std::string(why)};
}

Error outOfRange(std::string_view field, std::uint32_t offset, std::size_t needed, std::size_t fileSize) {
    return {ErrorCode::FieldOutOfRange, std::string(field) + " offset " + std::to_string(offset) + " (" +
                                            std::to_string(needed) + " byte(s)) lies outside the file of " +
                                            std::to_string(fileSize) + " bytes"};
}

Error unsupported(std::string what) {
    return {ErrorCode::UnsupportedChip, std::move(what) + ": no emulator can impersonate such a chip"};
}

// Refuses what no emulator can impersonate. Every reader of a header passes here, so the API
// neither reports nor applies such a file; a chip size beyond the emulation memory would have a
// read-back of the whole chip allocate and read gigabytes.
std::optional<Error> checkChip(const ChipConfigHeader& h, const std::optional<ChipInfo>& info) {
    if (h.chipSize == 0 || h.chipSize > kMaxChipSize)
        return unsupported("chip size of " + std::to_string(h.chipSize) + " bytes");
    if (info && std::ranges::find(kSupplyMillivolts, info->voltageMillivolts) == std::end(kSupplyMillivolts))
        return unsupported("supply voltage of " + std::to_string(info->voltageMillivolts) + " mV");
    return std::nullopt;
}

bool fits(Bytes bytes, std::uint32_t offset, std::size_t length) {
    return offset <= bytes.size() && bytes.size() - offset >= length;
}

ChipConfigHeader decodeHeader(Bytes bytes) {
    ChipConfigHeader h;
    h.magic = readLe32(bytes, kMagicField);
    h.reserved = readLe32(bytes, kReservedField);
    h.recordOffset = readLe32(bytes, kRecordOffsetField);
    h.chipSize = readLe32(bytes, kChipSizeField);
    h.vendorOffset = readLe32(bytes, kVendorOffsetField);
    h.chipNameOffset = readLe32(bytes, kChipNameOffsetField);
    h.voltageOffset = readLe32(bytes, kVoltageOffsetField);
    h.optionsOffset = readLe32(bytes, kOptionsOffsetField);
    return h;
}

struct BoundedString {
    std::string text;
    bool truncated = false;
};

// The string at offset (inside the file) up to its NUL or the end of the file, cut to limit bytes.
BoundedString stringAt(Bytes bytes, std::uint32_t offset, std::size_t limit) {
    auto rest = bytes.subspan(offset);
    std::size_t length = 0;
    while (length < rest.size() && rest[length] != 0) ++length;
    BoundedString s;
    s.truncated = length > limit;
    s.text.assign(reinterpret_cast<const char*>(rest.data()), s.truncated ? limit : length);
    return s;
}

Result<ChipInfo> decodeInfo(Bytes bytes, const ChipConfigHeader& h) {
    if (!fits(bytes, h.vendorOffset, 1)) return outOfRange("vendor name", h.vendorOffset, 1, bytes.size());
    if (!fits(bytes, h.chipNameOffset, 1)) return outOfRange("chip name", h.chipNameOffset, 1, bytes.size());
    if (!fits(bytes, h.voltageOffset, 2)) return outOfRange("voltage", h.voltageOffset, 2, bytes.size());
    if (!fits(bytes, h.optionsOffset, kOptionByteCount))
        return outOfRange("options", h.optionsOffset, kOptionByteCount, bytes.size());

    ChipInfo info;
    auto vendor = stringAt(bytes, h.vendorOffset, kMaxVendorBytes);
    auto chip = stringAt(bytes, h.chipNameOffset, kMaxChipNameBytes);
    info.vendorAnsi = std::move(vendor.text);
    info.vendorTruncated = vendor.truncated;
    info.chipNameAnsi = std::move(chip.text);
    info.chipNameTruncated = chip.truncated;
    info.voltageMillivolts = readLe16(bytes, h.voltageOffset);
    info.options.fixedAddressMode = bytes[h.optionsOffset] == 1;
    info.options.quadEnable = bytes[h.optionsOffset + 1] == 1;
    info.options.dieErase = bytes[h.optionsOffset + 2] == 1;
    return info;
}

}  // namespace

std::wstring ChipInfo::vendor() const { return text::windows1252ToWide(vendorAnsi); }
std::wstring ChipInfo::chipName() const { return text::windows1252ToWide(chipNameAnsi); }

bool hasSfdpMarker(Bytes bytes) {
    return bytes.size() >= kSfdpPresenceMinimumSize && readLe32(bytes, kSfdpPresenceOffset) == kSfdpSignature;
}

Result<ChipConfigFile> readChipConfig(Bytes bytes) {
    if (bytes.size() < kHeaderSize)
        return Error{ErrorCode::TooShort, "chip configuration of " + std::to_string(bytes.size()) +
                                              " bytes is shorter than its 32-byte header"};
    ChipConfigFile file;
    file.header = decodeHeader(bytes);
    file.fileSize = bytes.size();
    file.hasSfdp = hasSfdpMarker(bytes);
    if (file.header.hasMagic()) {
        auto info = decodeInfo(bytes, file.header);
        if (!info) return info.error();
        file.info = std::move(info).value();
    }
    if (auto refused = checkChip(file.header, file.info)) return *refused;
    return file;
}

Result<std::vector<std::uint8_t>> loadChipConfigBytes(const std::filesystem::path& path) {
    std::error_code ec;
    auto bytes = fileio::readWholeFile(path, kMaxFileSize, ec);
    if (ec == std::errc::file_too_large)
        return Error{ErrorCode::TooLarge, "chip configuration \"" + path.string() + "\" is larger than " +
                                              std::to_string(kMaxFileSize) + " bytes, which no chip configuration is"};
    if (!bytes) return unreadable(path, ec.message());
    return std::move(*bytes);
}

Result<ChipConfigFile> readChipConfigFile(const std::filesystem::path& path) {
    auto bytes = loadChipConfigBytes(path);
    if (!bytes) return bytes.error();
    return readChipConfig(bytes.value());
}

bool fileHasSfdp(const std::filesystem::path& path) {
    auto file = fileio::RegularFile::openForReading(path);
    std::uint8_t head[kSfdpPresenceMinimumSize];
    auto got = file.isOpen() ? file.read(head, sizeof head) : std::nullopt;
    return got && hasSfdpMarker(Bytes(head, *got));
}

}  // namespace zel::chipcfg
