#include "FirmwareBuild.h"

#include "image/ImageReader.h"
#include "image/ImageWriter.h"

#include <charconv>
#include <system_error>

namespace zel::fwbuild {
namespace {

using firmware::ImageKind;
using firmware::Version;

std::optional<uint8_t> parseByte(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFF) return std::nullopt;
    return static_cast<uint8_t>(value);
}

const char* formatName(image::Format format) {
    switch (format) {
    case image::Format::IntelHex: return "Intel HEX";
    case image::Format::SRecord: return "S-record";
    case image::Format::Binary: break;
    }
    return "raw";
}

std::string versionText(Version v) { return std::to_string(v.major) + "." + std::to_string(v.minor); }

// Empty when the size is acceptable, else why not.
std::string sizeProblem(const char* what, uint32_t size, uint32_t limit, bool allowOversize) {
    if (size < firmware::kHeaderSize)
        return std::string(what) + " image of " + std::to_string(size) + " bytes cannot hold its " +
               std::to_string(firmware::kHeaderSize) + "-byte header";
    if (size > kLargestImage)
        return std::string(what) + " image of " + std::to_string(size) + " bytes is beyond " +
               std::to_string(kLargestImage) + " bytes";
    if (size > limit && !allowOversize)
        return std::string(what) + " image of " + std::to_string(size) + " bytes does not fit the on-board flash (at most " +
               std::to_string(limit) + "; --allow-oversize writes it anyway)";
    return {};
}

std::string requestProblem(const BuildRequest& r) {
    auto problem = sizeProblem("FPGA", r.fpgaSize, firmware::kFpgaLimit, r.allowOversize);
    if (problem.empty()) problem = sizeProblem("MCU", r.mcuSize, firmware::kMcuLimit, r.allowOversize);
    return problem;
}

std::string describe(const BuildRequest& r) {
    return "FPGA " + versionText(r.fpga) + " (" + std::to_string(r.fpgaSize) + " bytes), MCU " + versionText(r.mcu) +
           " (" + std::to_string(r.mcuSize) + " bytes)";
}

// The reader that will load a text container takes images of at most kLargestTextSpan bytes.
std::string formatProblem(image::Format format, size_t size) {
    if (format != image::Format::Binary && size > image::kLargestTextSpan)
        return std::string("an ") + formatName(format) + " container holds at most " +
               std::to_string(image::kLargestTextSpan) + " bytes";
    return {};
}

}  // namespace

std::optional<Version> parseVersion(std::string_view text) {
    const auto dot = text.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    auto major = parseByte(text.substr(0, dot));
    auto minor = parseByte(text.substr(dot + 1));
    if (!major || !minor) return std::nullopt;
    return Version{*major, *minor};
}

int writeFolder(const BuildRequest& request, const std::filesystem::path& folder, FolderNames names,
                std::string& report) {
    if (report = requestProblem(request); !report.empty()) return kRefused;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        report = "cannot create " + folder.string() + ": " + error.message();
        return kWriteFailed;
    }
    const bool numbered = names == FolderNames::Numbered;
    const auto fpgaPath = folder / (numbered ? "1.bin" : "fpga.bin");
    const auto mcuPath = folder / (numbered ? "2.bin" : "mcu.bin");
    const auto fpga = firmware::makeSyntheticImage(ImageKind::Fpga, request.fpga, request.fpgaSize);
    const auto mcu = firmware::makeSyntheticImage(ImageKind::Mcu, request.mcu, request.mcuSize);
    for (const auto& [bytes, path] : {std::pair{&fpga, fpgaPath}, std::pair{&mcu, mcuPath}}) {
        if (!image::writeBinary(*bytes, path)) {
            report = "cannot write " + path.string();
            return kWriteFailed;
        }
    }
    report = "wrote " + fpgaPath.string() + " and " + mcuPath.string() + ": " + describe(request);
    return kDone;
}

int writeContainer(const BuildRequest& request, const std::filesystem::path& file, image::Format format,
                   std::string& report) {
    if (report = requestProblem(request); !report.empty()) return kRefused;
    const auto fpga = firmware::makeSyntheticImage(ImageKind::Fpga, request.fpga, request.fpgaSize);
    const auto mcu = firmware::makeSyntheticImage(ImageKind::Mcu, request.mcu, request.mcuSize);
    const auto container = firmware::makeContainer(fpga, request.fpga, mcu, request.mcu);
    if (report = formatProblem(format, container.size()); !report.empty()) return kRefused;
    if (!image::writeImage(container, file, format)) {
        report = "cannot write " + file.string();
        return kWriteFailed;
    }
    report = "wrote " + file.string() + " (" + formatName(format) + ", " + std::to_string(container.size()) +
             " bytes): " + describe(request);
    return kDone;
}

}  // namespace zel::fwbuild
