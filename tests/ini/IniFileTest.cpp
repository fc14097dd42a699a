// INI files on disk: one-call reads and writes, atomic saves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "ini/FileBytes.h"
#include "ini/IniFile.h"

using namespace zel::ini;
using zel::test::readBytes;
using zel::test::TempDir;
using zel::test::writeBytes;

TEST(IniFile, AMissingFileReadsAsEmptyButLoadingItIsAnError) {
    TempDir dir;
    auto path = dir / "missing.ini";
    EXPECT_EQ(readProfileString(path, L"S", L"k", L"fallback", BufferUnits{65}), L"fallback");
    EXPECT_EQ(readProfileInt(path, L"S", L"k", 3), 3u);
    std::error_code error;
    EXPECT_FALSE(loadIniFile(path, error).has_value());
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_FALSE(loadIniFile(dir.path(), error).has_value());  // a folder is not a file
    EXPECT_TRUE(error);
}

TEST(IniFile, WritingCreatesTheFileAndUpdatesItInPlace) {
    TempDir dir;
    auto path = dir / "new.rpmc";
    ASSERT_TRUE(writeProfileString(path, L"Varnik RPMC", L"Initialized1", L"1"));
    ASSERT_TRUE(writeProfileString(path, L"Varnik RPMC", L"Key1", L"AB"));
    ASSERT_TRUE(writeProfileString(path, L"varnik rpmc", L"initialized1", L"0"));
    EXPECT_EQ(readBytes(path), "[Varnik RPMC]\r\nInitialized1=0\r\nKey1=AB\r\n");
    EXPECT_EQ(readProfileInt(path, L"Varnik RPMC", L"Initialized1", 9), 0u);
}

TEST(IniFile, ASaveReplacesTheFileWholeAndKeepsItsPermissions) {
    TempDir dir;
    auto path = dir / "table.ini";
    writeBytes(path, "[S]\nk=1\n");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(writeProfileString(path, L"S", L"k", L"2"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(readBytes(path), "[S]\nk=2\n");
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(IniFile, ASymbolicLinkIsFollowedAndKept) {
    TempDir dir;
    auto target = dir / "real.ini";
    auto link = dir / "link.ini";
    writeBytes(target, "[S]\nk=1\n");
    std::filesystem::create_symlink(target, link);
    ASSERT_TRUE(writeProfileString(link, L"S", L"k", L"2"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readBytes(target), "[S]\nk=2\n");
}

TEST(IniFile, AWriteIntoAMissingFolderFailsWithoutCreatingAnything) {
    TempDir dir;
    EXPECT_FALSE(writeProfileString(dir / "no" / "such.ini", L"S", L"k", L"v"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

TEST(FileBytes, ExclusiveCreationNeverReplacesAFile) {
    TempDir dir;
    auto path = dir / "kept.ini";
    EXPECT_FALSE(createFileExclusively(path, "first"));
    EXPECT_EQ(createFileExclusively(path, "second"), std::errc::file_exists);
    EXPECT_EQ(readBytes(path), "first");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(FileBytes, OverlargeFilesAreRefused) {
    TempDir dir;
    auto path = dir / "big.ini";
    std::filesystem::resize_file((writeBytes(path, ""), path), kMaxTextFileBytes + 1);
    std::error_code error;
    EXPECT_FALSE(readFileBytes(path, error).has_value());
    EXPECT_EQ(error, std::errc::file_too_large);
}

namespace {

// A process id that no process has any more.
pid_t endedProcess() {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

}  // namespace

TEST(FileBytes, ASaveRemovesOnlyTheTemporariesThatEndedWritersLeft) {
    TempDir dir;
    auto path = dir / "table.ini";
    writeBytes(path, "[S]\nk=1\n");
    const auto ended = std::to_string(endedProcess());
    const auto live = std::to_string(::getpid());
    const std::vector<std::string> stale = {".table.ini.tmp." + ended + ".0", ".table.ini.tmp." + ended + ".17"};
    const std::vector<std::string> kept = {
        ".table.ini.tmp." + live + ".0",  // a writer still at work
        ".other.ini.tmp." + ended + ".0",  "table.ini.tmp." + ended + ".0",  ".table.ini.tmp." + ended + ".0.bak",
        ".table.ini.tmp.0" + ended + ".0", ".table.ini.tmp." + ended + ".",  ".table.ini.tmp." + ended,
    };
    for (const auto& name : stale) writeBytes(dir / name, "partial");
    for (const auto& name : kept) writeBytes(dir / name, "other");
    std::filesystem::create_directory(dir / (".table.ini.tmp." + ended + ".1"));  // not a file

    ASSERT_TRUE(writeProfileString(path, L"S", L"k", L"2"));
    for (const auto& name : stale) EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(std::filesystem::exists(dir / name)) << name;
    EXPECT_TRUE(std::filesystem::is_directory(dir / (".table.ini.tmp." + ended + ".1")));
}
