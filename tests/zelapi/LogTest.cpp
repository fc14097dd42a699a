// Log: lines reach the per-user file only between log_init_c and log_exit_c, and no call ever
// fails the caller, whatever the environment.
#include "Log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zel-log-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        setenv("XDG_STATE_HOME", root_.c_str(), 1);
    }
    void TearDown() override
    {
        log_exit_c();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    fs::path logFile() const { return root_ / "Varnik" / "Zelmor" / "zelmor.log"; }

    std::string contents() const
    {
        std::ifstream in(logFile());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path root_;
};

TEST_F(LogTest, LinesBeforeInitAreDroppedAndLinesAfterInitLand)
{
    log_level_add_ascii(0, "early %d\n", 1);
    EXPECT_FALSE(fs::exists(logFile()));
    log_init_c("----ZelmorPro----");
    log_level_add_ascii(0, "Load file %s, size 0x%X\n", "image.bin", 0x1000u);
    const std::string text = contents();
    EXPECT_NE(text.find("----ZelmorPro----"), std::string::npos);
    EXPECT_NE(text.find("Load file image.bin, size 0x1000"), std::string::npos);
    EXPECT_EQ(text.find("early"), std::string::npos);
}

TEST_F(LogTest, LinesAfterExitAreDroppedAndReopeningAppends)
{
    log_init_c("first");
    log_level_add_ascii(0, "one");
    log_exit_c();
    log_level_add_ascii(0, "while closed");
    log_init_c("second");
    log_level_add_ascii(0, "two");
    const std::string text = contents();
    EXPECT_NE(text.find("one"), std::string::npos);
    EXPECT_NE(text.find("two"), std::string::npos);
    EXPECT_EQ(text.find("while closed"), std::string::npos);
    EXPECT_LT(text.find("one"), text.find("two"));
}

TEST_F(LogTest, LongLinesAreKeptWhole)
{
    log_init_c("long");
    const std::string payload(10000, 'x');
    log_level_add_ascii(0, "[%s]", payload.c_str());
    EXPECT_NE(contents().find("[" + payload + "]"), std::string::npos);
}

TEST_F(LogTest, UnusableInputsAndLevelsNeverFail)
{
    log_init_c(nullptr);
    log_level_add_ascii(0, nullptr);
    log_level_add_ascii(-3, "negative level");
    log_level_add_ascii(99, "high level");
    log_exit_c();
    log_exit_c();
    const std::string text = contents();
    EXPECT_NE(text.find("negative level"), std::string::npos);
    EXPECT_NE(text.find("high level"), std::string::npos);
}

TEST_F(LogTest, UnwritableFolderLeavesTheLogClosedWithoutFailing)
{
    // A regular file where the state folder should be: the log cannot be created.
    const fs::path blocker = root_ / "blocker";
    std::ofstream(blocker) << "not a folder";
    setenv("XDG_STATE_HOME", blocker.c_str(), 1);
    log_init_c("title");
    log_level_add_ascii(0, "dropped %s", "line");
    log_exit_c();
    EXPECT_TRUE(fs::is_regular_file(blocker));
}

TEST_F(LogTest, RelativeStateHomeIsIgnoredForTheHomeFolder)
{
    const fs::path home = root_ / "home";
    fs::create_directories(home);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_STATE_HOME", "relative/state", 1);
    log_init_c("relative");
    log_level_add_ascii(0, "in home");
    EXPECT_TRUE(fs::exists(home / ".local" / "state" / "Varnik" / "Zelmor" / "zelmor.log"));
    EXPECT_FALSE(fs::exists("relative/state"));
}

}  // namespace
