// zelcfgbuild and the tree builder behind it: both product lines written, a chip the .cfg
// writer refuses written nowhere, dropped chips' files removed through the manifest, and the
// program's exit statuses and messages.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sys/wait.h>

#include "CatalogueReader.h"
#include "ConfigTreeBuilder.h"
#include "chipcfg/ChipConfigFile.h"

namespace zel::catalogue {
namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "catalogue-build-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::vector<ChipEntry> chipsOf(const std::string& text) {
    auto catalogue = parseCatalogue(text);
    EXPECT_TRUE(catalogue.problems.empty());
    return catalogue.chips;
}

const std::string kTwoChips =
    "Acme AC25Q16 - 2M 3300 EF4015 3 no 4K,64K 112 no 1.0 fixed-addr\n"
    "Acme AC25U256 - 32M 1800 EF6019 3/4 yes 4K,64K 112 no 1.6 -\n";

TEST(ConfigTreeBuilder, WritesEveryChipForBothProductLines) {
    TempFolder folder;
    auto build = buildConfigTree(chipsOf(kTwoChips), folder.path());
    EXPECT_TRUE(build.failures.empty());
    ASSERT_EQ(build.written.size(), 4u);
    for (auto name : {"AC25Q16.cfg", "AC25U256.cfg"}) {
        auto current = chipcfg::readChipConfigFile(folder.path() / "config" / "ZelmorPro" / name);
        ASSERT_TRUE(current) << name;
        EXPECT_TRUE(current->hasSfdp) << name;
        EXPECT_TRUE(fs::exists(folder.path() / "config" / name)) << name;
    }
}

// Names so long that the header, names and records before the SFDP marker pass offset 180.
TEST(ConfigTreeBuilder, ChipWhoseSfdpMarkerCannotSitAt180IsWrittenNowhere) {
    const std::string maker(60, 'M');
    const std::string chip(50, 'C');
    TempFolder folder;
    auto build = buildConfigTree(
        chipsOf(maker + " " + chip + " - 2M 3300 EF4015 3 no 4K 112 no 1.0 fixed-addr\n" + kTwoChips), folder.path());
    ASSERT_EQ(build.failures.size(), 1u);
    EXPECT_EQ(build.failures[0].rfind(chip + ": ", 0), 0u) << build.failures[0];
    EXPECT_NE(build.failures[0].find("offset 180"), std::string::npos) << build.failures[0];
    EXPECT_EQ(build.written.size(), 4u) << "the other chips are still written";
    EXPECT_FALSE(fs::exists(folder.path() / "config" / "ZelmorPro" / (chip + ".cfg")));
    EXPECT_FALSE(fs::exists(folder.path() / "config" / (chip + ".cfg")));
}

TEST(ConfigTreeBuilder, ManifestNamesOnlyFilesTheLastBuildDidNotWriteAgain) {
    TempFolder folder;
    const auto manifest = folder.path() / "manifest.txt";
    const fs::path p = folder.path() / "bin";
    const std::vector<fs::path> before = {p / "config/A.cfg", p / "config/B.cfg", p / "config/ZelmorPro/B.cfg"};
    ASSERT_TRUE(writeManifest(manifest, p, before));
    EXPECT_EQ(readManifest(manifest, p), before);
    EXPECT_EQ(readManifest(manifest, "/moved"), (std::vector<fs::path>{"/moved/config/A.cfg", "/moved/config/B.cfg",
                                                                        "/moved/config/ZelmorPro/B.cfg"}));
    EXPECT_EQ(staleFiles(readManifest(manifest, p), {p / "config/A.cfg"}),
              (std::vector<fs::path>{p / "config/B.cfg", p / "config/ZelmorPro/B.cfg"}));
    EXPECT_TRUE(readManifest(folder.path() / "none.txt", p).empty());
}

// A manifest is only ever a list of the builder's own files: lines that would reach outside the
// config tree are not taken, so no build removes anything else.
TEST(ConfigTreeBuilder, ManifestLinesOutsideTheConfigTreeAreIgnored) {
    TempFolder folder;
    const auto manifest = folder.path() / "manifest.txt";
    std::ofstream(manifest) << "/etc/passwd\n../x/config/A.cfg\nconfig/../../A.cfg\nbin/zelcmd\n\nconfig/Z.cfg\n";
    EXPECT_EQ(readManifest(manifest, "/p"), (std::vector<fs::path>{"/p/config/Z.cfg"}));
}

struct RunResult {
    int status = -1;
    std::string output;
};

RunResult runBuilder(const std::string& arguments) {
    const std::string command = std::string("timeout 60 '") + ZELCFGBUILD_PATH + "' " + arguments + " 2>&1";
    RunResult result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 512> chunk;
    while (auto n = std::fread(chunk.data(), 1, chunk.size(), pipe)) result.output.append(chunk.data(), n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

void writeText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

TEST(ZelcfgbuildProgram, BuildsRemovesDroppedChipsAndReportsProblemsByLine) {
    TempFolder folder;
    const auto catalogue = folder.path() / "chips.txt";
    const auto out = folder.path() / "bin";
    const auto manifest = folder.path() / "manifest.txt";
    const std::string args = "'" + catalogue.string() + "' '" + out.string() + "' --manifest '" + manifest.string() + "'";

    writeText(catalogue, kTwoChips);
    auto first = runBuilder(args);
    EXPECT_EQ(first.status, 0) << first.output;
    EXPECT_NE(first.output.find("2 chips (1 makers)"), std::string::npos) << first.output;
    EXPECT_TRUE(fs::exists(out / "config" / "AC25U256.cfg"));

    writeText(catalogue, kTwoChips.substr(0, kTwoChips.find('\n') + 1));  // AC25U256 dropped
    EXPECT_EQ(runBuilder(args).status, 0);
    EXPECT_FALSE(fs::exists(out / "config" / "AC25U256.cfg"));
    EXPECT_FALSE(fs::exists(out / "config" / "ZelmorPro" / "AC25U256.cfg"));
    EXPECT_TRUE(fs::exists(out / "config" / "ZelmorPro" / "AC25Q16.cfg"));

    // A chip the .cfg writer refuses fails the run; nothing is removed, and the files written
    // stay in the manifest for later runs to remove.
    const std::string crowded = std::string(60, 'M') + " " + std::string(50, 'C') +
                                " - 2M 3300 EF4015 3 no 4K 112 no 1.0 fixed-addr\n";
    writeText(catalogue, crowded + kTwoChips.substr(kTwoChips.find('\n') + 1));
    auto failed = runBuilder(args);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.output.find("offset 180"), std::string::npos) << failed.output;
    EXPECT_TRUE(fs::exists(out / "config" / "AC25Q16.cfg"));
    EXPECT_TRUE(fs::exists(out / "config" / "AC25U256.cfg"));
    writeText(catalogue, kTwoChips.substr(kTwoChips.find('\n') + 1));
    EXPECT_EQ(runBuilder(args).status, 0);
    EXPECT_FALSE(fs::exists(out / "config" / "AC25Q16.cfg"));
    EXPECT_TRUE(fs::exists(out / "config" / "AC25U256.cfg"));

    writeText(catalogue, kTwoChips + "Acme AC25Q32 - 4M 3000 EF4016 3 no 4K - no - fixed-addr\n");
    auto refused = runBuilder(args);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("chips.txt:3: AC25Q32: voltage 3000"), std::string::npos) << refused.output;
    EXPECT_FALSE(fs::exists(out / "config" / "AC25Q32.cfg")) << "a refused catalogue writes nothing";
}

TEST(ZelcfgbuildProgram, CheckOnlyAndUsage) {
    TempFolder folder;
    const auto catalogue = folder.path() / "chips.txt";
    writeText(catalogue, kTwoChips);
    EXPECT_EQ(runBuilder("--check '" + catalogue.string() + "'").status, 0);
    EXPECT_FALSE(fs::exists(folder.path() / "config")) << "--check writes nothing";
    EXPECT_EQ(runBuilder("--check '" + (folder.path() / "missing.txt").string() + "'").status, 1);
    EXPECT_EQ(runBuilder("").status, 2);
    EXPECT_EQ(runBuilder("--bogus '" + catalogue.string() + "' out").status, 2);
}

}  // namespace
}  // namespace zel::catalogue
