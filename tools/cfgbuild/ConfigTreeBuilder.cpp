#include "ConfigTreeBuilder.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "ChipDescription.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"

namespace zel::catalogue {
namespace {

constexpr chipcfg::ProductLine kLines[] = {chipcfg::ProductLine::ZelmorPro, chipcfg::ProductLine::EarlierModel};

bool makeFolders(const std::filesystem::path& programFolder, std::vector<std::string>& failures) {
    for (auto line : kLines) {
        std::error_code ec;
        auto folder = chipcfg::configFolder(programFolder, line);
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            failures.push_back(folder.string() + ": " + ec.message());
            return false;
        }
    }
    return true;
}

void buildChip(const ChipEntry& chip, const std::filesystem::path& programFolder, TreeBuild& build) {
    const auto description = describeChip(chip);
    for (auto line : kLines) {
        auto path = chipcfg::configFilePath(programFolder, line, text::utf8ToWide(chip.chip));
        if (!path) {
            build.failures.push_back(chip.chip + ": " + path.error().message);
            return;
        }
        if (auto saved = chipcfg::saveChipConfig(*path, description); !saved) {
            build.failures.push_back(chip.chip + ": " + saved.error().message);
            return;
        }
        build.written.push_back(*path);
    }
}

}  // namespace

TreeBuild buildConfigTree(const std::vector<ChipEntry>& chips, const std::filesystem::path& programFolder) {
    TreeBuild build;
    if (!makeFolders(programFolder, build.failures)) return build;
    for (const auto& chip : chips) buildChip(chip, programFolder, build);
    return build;
}

std::vector<std::filesystem::path> staleFiles(const std::vector<std::filesystem::path>& previous,
                                              const std::vector<std::filesystem::path>& written) {
    std::vector<std::filesystem::path> stale;
    for (const auto& file : previous)
        if (std::find(written.begin(), written.end(), file) == written.end()) stale.push_back(file);
    return stale;
}

std::vector<std::filesystem::path> readManifest(const std::filesystem::path& manifest,
                                                const std::filesystem::path& programFolder) {
    std::vector<std::filesystem::path> files;
    std::ifstream in(manifest);
    for (std::string line; std::getline(in, line);) {
        const std::filesystem::path relative(line);
        const bool insideConfig = !relative.empty() && relative.is_relative() && *relative.begin() == "config" &&
                                  std::none_of(relative.begin(), relative.end(), [](const auto& part) { return part == ".."; });
        if (insideConfig) files.push_back(programFolder / relative);
    }
    return files;
}

bool writeManifest(const std::filesystem::path& manifest, const std::filesystem::path& programFolder,
                   const std::vector<std::filesystem::path>& files) {
    auto temporary = manifest;
    temporary += ".partial";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& file : files) out << file.lexically_relative(programFolder).generic_string() << '\n';
        out.flush();
        if (!out) return false;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, manifest, ec);
    return !ec;
}

}  // namespace zel::catalogue
