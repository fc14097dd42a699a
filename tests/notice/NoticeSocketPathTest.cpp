// Where the notice socket lives and which folders the channel trusts.
#include "notice/DesktopNotice.h"
#include "notice/DesktopNoticeListener.h"
#include "notice/NoticeSocketPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zel::notice {
namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "zel-notice-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

TEST(NoticeSocketPath, RuntimeFolderWhenSetAndAbsolute) {
    EXPECT_EQ(noticeSocketPathFrom("/run/user/1000", "/tmp"), fs::path("/run/user/1000/zelmor-notice.sock"));
}

TEST(NoticeSocketPath, FallsBackToAUserFolderUnderTmp) {
    const fs::path fallback = fs::path("/tmp") / ("zelmor-" + std::to_string(::geteuid())) / "notice.sock";
    EXPECT_EQ(noticeSocketPathFrom(nullptr, "/tmp"), fallback);
    EXPECT_EQ(noticeSocketPathFrom("", "/tmp"), fallback);
    EXPECT_EQ(noticeSocketPathFrom("run/user/1000", "/tmp"), fallback);
}

TEST(NoticeSocketPath, EnvironmentDecides) {
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(desktopNoticeSocketPath(), fs::path("/run/user/4242/zelmor-notice.sock"));
    ::setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ(desktopNoticeSocketPath().parent_path().parent_path(), fs::path("/tmp"));
}

TEST(NoticeFolder, CreatedPrivateWhenMissing) {
    TempFolder temp;
    const fs::path folder = temp.path() / "zelmor-1";
    ASSERT_TRUE(preparePrivateFolder(folder));
    struct stat info {};
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(NoticeFolder, OpenFolderRefusedByBothSides) {
    TempFolder temp;
    const fs::path folder = temp.path() / "shared";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const fs::path socket = folder / "notice.sock";
    {
        DesktopNoticeListener listener({}, socket);
        // Someone opened the folder to the group after the desktop program started.
        ASSERT_EQ(::chmod(folder.c_str(), 0770), 0);
        EXPECT_FALSE(sendDesktopNoticeTo(socket, kDevicesTaken, std::chrono::seconds(5)));
        ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
        EXPECT_TRUE(sendDesktopNoticeTo(socket, kDevicesTaken, std::chrono::seconds(5)));
    }
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    EXPECT_THROW(DesktopNoticeListener({}, socket), std::runtime_error);
}

TEST(NoticeFolder, SymbolicLinkIsNotAPrivateFolder) {
    TempFolder temp;
    const fs::path target = temp.path() / "real";
    ASSERT_TRUE(preparePrivateFolder(target));
    const fs::path link = temp.path() / "link";
    fs::create_directory_symlink(target, link);
    EXPECT_FALSE(isPrivateFolder(link));
    EXPECT_THROW(DesktopNoticeListener({}, link / "notice.sock"), std::runtime_error);
}

}  // namespace
}  // namespace zel::notice
