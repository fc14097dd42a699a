#include "ini/IniFile.h"

#include "ini/FileBytes.h"

namespace zel::ini {
namespace {

IniDocument loadOrEmpty(const std::filesystem::path& path) {
    std::error_code ignored;
    auto document = loadIniFile(path, ignored);
    return document ? std::move(*document) : IniDocument{};
}

}  // namespace

std::optional<IniDocument> loadIniFile(const std::filesystem::path& path, std::error_code& error) {
    auto bytes = readFileBytes(path, error);
    if (!bytes) return std::nullopt;
    return IniDocument::parse(*bytes);
}

std::error_code saveIniFile(const IniDocument& document, const std::filesystem::path& path) {
    return writeFileAtomically(path, document.serialize());
}

std::wstring readProfileString(const std::filesystem::path& path, std::wstring_view section, std::wstring_view key,
                               std::wstring_view fallback, BufferUnits buffer) {
    return loadOrEmpty(path).getString(section, key, fallback, buffer);
}

std::uint32_t readProfileInt(const std::filesystem::path& path, std::wstring_view section, std::wstring_view key,
                             std::int32_t fallback) {
    return loadOrEmpty(path).getInt(section, key, fallback);
}

bool writeProfileString(const std::filesystem::path& path, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value) {
    std::error_code error;
    auto document = loadIniFile(path, error);
    if (!document) {
        if (error != std::errc::no_such_file_or_directory) return false;
        document.emplace();
    }
    return document->setString(section, key, value) && !saveIniFile(*document, path);
}

}  // namespace zel::ini
