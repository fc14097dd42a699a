#include "chipcfg/ConfigFolder.h"

#include <algorithm>
#include <system_error>

#include "text/TextCodec.h"

namespace zel::chipcfg {
namespace {

bool endsInCfg(const std::string& name) {
    if (name.size() < 3) return false;
    auto tail = name.substr(name.size() - 3);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return tail == "cfg";
}

}  // namespace

std::filesystem::path configFolder(const std::filesystem::path& programFolder, ProductLine line) {
    auto folder = programFolder / "config";
    return line == ProductLine::ZelmorPro ? folder / "ZelmorPro" : folder;
}

Result<void> checkChipName(std::wstring_view chipName) {
    auto refuse = [&](const char* why) {
        return Error{ErrorCode::InvalidChipName,
                     "unsupported chip \"" + text::wideToUtf8(chipName) + "\": " + std::string(why)};
    };
    if (chipName.empty()) return refuse("empty name");
    if (chipName.find(L'\0') != std::wstring_view::npos) return refuse("name holds a NUL");
    if (chipName.find_first_of(L"/\\") != std::wstring_view::npos) return refuse("name holds a path separator");
    if (chipName.find(L"..") != std::wstring_view::npos) return refuse("name holds \"..\"");
    return {};
}

Result<std::filesystem::path> configFilePath(const std::filesystem::path& programFolder, ProductLine line,
                                             std::wstring_view chipName) {
    auto checked = checkChipName(chipName);
    if (!checked) return checked.error();
    return configFolder(programFolder, line) / (text::wideToUtf8(chipName) + ".cfg");
}

std::vector<std::filesystem::path> listConfigFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || typeError) continue;
        if (endsInCfg(it->path().filename().string())) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace zel::chipcfg
