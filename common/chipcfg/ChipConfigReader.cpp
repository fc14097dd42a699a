#include <fstream>
#include <string_view>
#include <system_error>

#include "chipcfg/ChipConfigFile.h"
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
    return file;
}

Result<std::vector<std::uint8_t>> loadChipConfigBytes(const std::filesystem::path& path) {
    std::error_code ec;
    auto status = std::filesystem::status(path, ec);
    if (ec) return unreadable(path, ec.message());
    if (!std::filesystem::is_regular_file(status)) return unreadable(path, "not a regular file");
    auto size = std::filesystem::file_size(path, ec);
    if (ec) return unreadable(path, ec.message());
    if (size > kMaxFileSize)
        return Error{ErrorCode::TooLarge, "chip configuration \"" + path.string() + "\" is " + std::to_string(size) +
                                              " bytes, more than a chip configuration can be"};

    std::ifstream in(path, std::ios::binary);
    if (!in) return unreadable(path, "cannot open");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return unreadable(path, "short read");
    // A file that grew since its size was taken is read as it was then.
    return bytes;
}

Result<ChipConfigFile> readChipConfigFile(const std::filesystem::path& path) {
    auto bytes = loadChipConfigBytes(path);
    if (!bytes) return bytes.error();
    return readChipConfig(bytes.value());
}

bool fileHasSfdp(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::uint8_t head[kSfdpPresenceMinimumSize];
    in.read(reinterpret_cast<char*>(head), sizeof head);
    return hasSfdpMarker(Bytes(head, static_cast<std::size_t>(in.gcount())));
}

}  // namespace zel::chipcfg
