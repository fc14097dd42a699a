// zelcfgbuild: compiles the chip catalogue into the chip-configuration files the programs load.
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "CatalogueReader.h"
#include "CatalogueRules.h"
#include "ConfigTreeBuilder.h"

namespace {

namespace fs = std::filesystem;
using namespace zel::catalogue;

constexpr const char* kUsage =
    "Usage: zelcfgbuild CATALOGUE PROGRAM_FOLDER [--manifest FILE]\n"
    "       zelcfgbuild --check CATALOGUE\n"
    "Reads the chip catalogue and writes PROGRAM_FOLDER/config/ZelmorPro/<chip>.cfg and\n"
    "PROGRAM_FOLDER/config/<chip>.cfg for every chip. With --manifest, the files written are\n"
    "listed in FILE, and files an earlier run listed there but this run did not write (chips\n"
    "dropped from the catalogue) are removed. --check only reads and checks the catalogue.\n"
    "Exit status: 0 done, 1 the catalogue has problems or a file could not be written, 2 usage.\n";

struct Arguments {
    fs::path catalogue;
    std::optional<fs::path> programFolder;  // none: check only
    std::optional<fs::path> manifest;
};

void printError(const std::string& text) { std::fprintf(stderr, "zelcfgbuild: %s\n", text.c_str()); }

std::optional<Arguments> parseArguments(int argc, char** argv) {
    std::vector<std::string> positional;
    Arguments arguments;
    bool checkOnly = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--check") {
            checkOnly = true;
        } else if (arg == "--manifest" && i + 1 < argc) {
            arguments.manifest = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return std::nullopt;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != (checkOnly ? 1u : 2u) || (checkOnly && arguments.manifest)) return std::nullopt;
    arguments.catalogue = positional[0];
    if (!checkOnly) arguments.programFolder = positional[1];
    return arguments;
}

std::optional<Catalogue> readCheckedCatalogue(const fs::path& file) {
    auto catalogue = loadCatalogue(file);
    if (!catalogue) {
        printError("cannot read " + file.string());
        return std::nullopt;
    }
    auto problems = catalogue->problems;
    auto ruleProblems = checkCatalogue(catalogue->chips);
    problems.insert(problems.end(), ruleProblems.begin(), ruleProblems.end());
    for (const auto& problem : problems) printError(describe(problem, file.string()));
    if (!problems.empty()) return std::nullopt;
    return catalogue;
}

// After a clean build the manifest lists what was written and the files of dropped chips go;
// after a failed one nothing is removed and the manifest keeps every file either run wrote.
bool updateManifest(const fs::path& manifest, const fs::path& programFolder, const TreeBuild& tree) {
    auto previous = readManifest(manifest, programFolder);
    if (!tree.failures.empty()) {
        auto kept = staleFiles(previous, tree.written);
        kept.insert(kept.end(), tree.written.begin(), tree.written.end());
        return writeManifest(manifest, programFolder, kept);
    }
    for (const auto& file : staleFiles(previous, tree.written)) {
        std::error_code ec;
        fs::remove(file, ec);
    }
    return writeManifest(manifest, programFolder, tree.written);
}

int build(const Arguments& arguments, const Catalogue& catalogue) {
    auto tree = buildConfigTree(catalogue.chips, *arguments.programFolder);
    for (const auto& failure : tree.failures) printError(failure);
    if (arguments.manifest && !updateManifest(*arguments.manifest, *arguments.programFolder, tree)) {
        printError("cannot write " + arguments.manifest->string());
        return 1;
    }
    if (!tree.failures.empty()) return 1;
    std::map<std::string, int> makers;
    for (const auto& chip : catalogue.chips) ++makers[chip.maker];
    std::printf("zelcfgbuild: %zu chips (%zu makers) written to %s\n", catalogue.chips.size(), makers.size(),
                (*arguments.programFolder / "config").string().c_str());
    return 0;
}

bool asksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (asksForHelp(argc, argv)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    auto arguments = parseArguments(argc, argv);
    if (!arguments) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    auto catalogue = readCheckedCatalogue(arguments->catalogue);
    if (!catalogue) return 1;
    if (!arguments->programFolder) return 0;
    return build(*arguments, *catalogue);
}
