#include "FirmwareSourceCheck.h"

#include <system_error>

namespace zel::gui::help {
namespace {

// The container's header of eighteen 32-bit words locates both images.
constexpr std::uint32_t kContainerHeaderBytes = 72;

}  // namespace

std::optional<std::string> firmwarePathProblem(const std::filesystem::path& path) {
    const std::string text = path.string();
    if (text.empty()) return "Error: no firmware file or folder was given.";
    if (text.find('\0') != std::string::npos) return "Error: the firmware path holds a NUL character.";
    if (text.size() > kMaxPathBytes)
        return "Error: the firmware path is " + std::to_string(text.size()) + " bytes long; the longest path that can be opened is " +
               std::to_string(kMaxPathBytes) + " bytes. Move the firmware to a shorter path.";
    for (const auto& part : path) {
        if (part.string().size() > kMaxNameBytes)
            return "Error: the name \"" + part.string().substr(0, 40) + "...\" in the firmware path is longer than " +
                   std::to_string(kMaxNameBytes) + " bytes.";
    }
    return std::nullopt;
}

std::optional<std::string> firmwareSourceProblem(session::DeviceApi& api, const std::filesystem::path& source,
                                                 bool generation2) {
    if (auto problem = firmwarePathProblem(source)) return problem;
    std::error_code error;
    if (!generation2) {
        if (std::filesystem::is_directory(source, error)) return std::nullopt;
        return "Error: " + source.string() + " is not a firmware folder.";
    }
    if (!std::filesystem::is_regular_file(source, error)) return "Error: " + source.string() + " is not a firmware file.";
    const auto size = api.loadableFileSize(source);
    if (!size) return "Error: the firmware file " + source.string() + " cannot be read.";
    if (*size < kContainerHeaderBytes)
        return "Error: the firmware file " + source.string() + " is too short to be a ZelmorPro-G2 firmware container.";
    return std::nullopt;
}

}  // namespace zel::gui::help
