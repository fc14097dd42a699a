#include "FirmwareSource.h"

#include "image/ImageReader.h"

#include <optional>
#include <system_error>

namespace zel::devlink {
namespace {

constexpr size_t kFpgaOffsetWord = 14;
constexpr size_t kFpgaLengthWord = 15;
constexpr size_t kMcuOffsetWord = 16;
constexpr size_t kMcuLengthWord = 17;

// Size of a regular file; 0 for a missing, unreadable or non-regular one.
uint64_t nonEmptyFileSize(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return 0;
    auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

bool bothPresent(const std::filesystem::path& folder, const char* fpga, const char* mcu) {
    return nonEmptyFileSize(folder / fpga) > 0 && nonEmptyFileSize(folder / mcu) > 0;
}

// Reads at most limit + 1 bytes, so an oversize file is told apart without loading it whole.
std::variant<std::vector<uint8_t>, FirmwareProblem> readImageFile(const std::filesystem::path& path, uint64_t limit,
                                                                  FirmwareProblem tooLarge) {
    auto read = image::readBinaryPrefix(path, limit + 1);
    if (!read) return FirmwareProblem::Unreadable;
    if (read->fileSize == 0 || read->bytes.empty()) return FirmwareProblem::EmptyImage;
    if (read->fileSize > limit) return tooLarge;
    return std::move(read->bytes);
}

uint32_t headerWord(std::span<const uint8_t> container, size_t word) {
    const size_t at = word * 4;
    return uint32_t{container[at]} | uint32_t{container[at + 1]} << 8 | uint32_t{container[at + 2]} << 16 |
           uint32_t{container[at + 3]} << 24;
}

struct ImageSlice {
    uint64_t offset;
    uint64_t length;
};

std::optional<FirmwareProblem> checkSlice(ImageSlice slice, uint64_t containerSize, uint64_t limit,
                                          FirmwareProblem tooLarge) {
    if (slice.length == 0) return FirmwareProblem::EmptyImage;
    if (slice.offset > containerSize || slice.length > containerSize - slice.offset)
        return FirmwareProblem::ImageOutsideContainer;
    if (slice.length > limit) return tooLarge;
    return std::nullopt;
}

FirmwareSource loadRawContainer(const std::filesystem::path& file) {
    auto read = image::readBinaryPrefix(file, kMaxContainerSize);
    if (!read || read->bytes.empty()) return FirmwareProblem::Unreadable;
    if (read->fileSize > kMaxContainerSize) return FirmwareProblem::ContainerTooLarge;
    return splitFirmwareContainer(read->bytes);
}

std::vector<uint8_t> copySlice(std::span<const uint8_t> container, ImageSlice slice) {
    auto bytes = container.subspan(static_cast<size_t>(slice.offset), static_cast<size_t>(slice.length));
    return {bytes.begin(), bytes.end()};
}

}  // namespace

FirmwareSource loadFirmwareFolder(const std::filesystem::path& folder) {
    const char* fpgaName = "1.bin";
    const char* mcuName = "2.bin";
    if (!bothPresent(folder, fpgaName, mcuName)) {
        fpgaName = "fpga.bin";
        mcuName = "mcu.bin";
        if (!bothPresent(folder, fpgaName, mcuName)) return FirmwareProblem::NoImagePair;
    }
    auto fpga = readImageFile(folder / fpgaName, kMaxFpgaImageSize, FirmwareProblem::FpgaImageTooLarge);
    if (auto* problem = std::get_if<FirmwareProblem>(&fpga)) return *problem;
    auto mcu = readImageFile(folder / mcuName, kMaxMcuImageSize, FirmwareProblem::McuImageTooLarge);
    if (auto* problem = std::get_if<FirmwareProblem>(&mcu)) return *problem;
    return FirmwareImages{std::get<std::vector<uint8_t>>(std::move(fpga)), std::get<std::vector<uint8_t>>(std::move(mcu))};
}

FirmwareSource loadFirmwareContainer(const std::filesystem::path& file) {
    const auto format = image::formatFromName(file);
    if (format == image::Format::Binary) return loadRawContainer(file);
    // Record notices of the text readers would only reach a console the caller may not have.
    auto loaded = image::readImage(file, format, [](std::string_view) {});
    if (!loaded) return FirmwareProblem::Unreadable;
    return splitFirmwareContainer(loaded.image());
}

FirmwareSource splitFirmwareContainer(std::span<const uint8_t> container) {
    if (container.size() < kContainerHeaderSize) return FirmwareProblem::ShortContainer;
    const ImageSlice fpga{headerWord(container, kFpgaOffsetWord), headerWord(container, kFpgaLengthWord)};
    const ImageSlice mcu{headerWord(container, kMcuOffsetWord), headerWord(container, kMcuLengthWord)};
    const uint64_t size = container.size();
    if (auto problem = checkSlice(fpga, size, kMaxFpgaImageSize, FirmwareProblem::FpgaImageTooLarge)) return *problem;
    if (auto problem = checkSlice(mcu, size, kMaxMcuImageSize, FirmwareProblem::McuImageTooLarge)) return *problem;
    return FirmwareImages{copySlice(container, fpga), copySlice(container, mcu)};
}

}  // namespace zel::devlink
