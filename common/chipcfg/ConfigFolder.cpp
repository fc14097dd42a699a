#include "chipcfg/ConfigFolder.h"

#include <algorithm>
#include <optional>
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

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldAscii(x) == foldAscii(y);
           });
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

Result<std::filesystem::path> findConfigFile(const std::filesystem::path& programFolder, ProductLine line,
                                             std::wstring_view chipName) {
    auto exact = configFilePath(programFolder, line, chipName);
    if (!exact) return exact;
    std::error_code ec;
    if (std::filesystem::is_regular_file(exact.value(), ec)) return exact;
    const std::string wanted = exact.value().filename().string();
    std::optional<std::filesystem::path> match;
    std::filesystem::directory_iterator it(exact.value().parent_path(), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !equalIgnoringCase(it->path().filename().string(), wanted)) continue;
        if (match)
            return Error{ErrorCode::InvalidChipName, "unsupported chip \"" + text::wideToUtf8(chipName) +
                                                         "\": several configuration files match it without regard to case"};
        match = it->path();
    }
    return match ? *match : exact.value();
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
