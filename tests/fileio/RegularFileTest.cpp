// Only regular files are opened, never blocking on a FIFO, and whole-file reads stop at their
// limit. Every call that a regression could block runs in a child bound by a time-out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempDir.h"
#include "fileio/FileErrors.h"
#include "fileio/RegularFile.h"
#include "fileio/WholeFile.h"

namespace zel::fileio {
namespace {

using namespace std::chrono_literals;
using test::readBytes;
using test::runInChild;
using test::TempDir;
using test::writeBytes;

void bindSocket(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);  // the socket file stays
}

// One of each kind that is not a regular file: a FIFO nobody holds, a device, a folder, a socket
// and a symbolic link to a device.
class NonRegularFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::mkfifo(fifo().c_str(), 0600), 0);
        std::filesystem::create_directory(dir / "folder");
        bindSocket(dir / "socket");
        std::filesystem::create_symlink("/dev/zero", dir / "zero-link");
    }
    std::filesystem::path fifo() const { return dir / "fifo"; }
    std::vector<std::filesystem::path> all() const {
        return {fifo(), "/dev/zero", "/dev/null", dir / "folder", dir / "socket", dir / "zero-link"};
    }

    TempDir dir;
};

TEST_F(NonRegularFiles, AreRefusedForReadingWithoutBlocking) {
    for (const auto& path : all()) {
        auto r = runInChild([&] { return RegularFile::openForReading(path).error() == FileError::NotRegularFile ? 0 : 1; },
                            20s);
        EXPECT_FALSE(r.timedOut) << path << " blocked the open";
        EXPECT_EQ(r.status, 0) << path;
    }
    EXPECT_EQ(RegularFile::openForReading(dir / "missing").error(), std::errc::no_such_file_or_directory);
}

TEST_F(NonRegularFiles, AreRefusedForWritingAndReceiveNothing) {
    for (const auto& path : all()) {
        auto r = runInChild(
            [&] {
                auto file = RegularFile::createForWriting(path);
                return !file.isOpen() && file.error() == FileError::NotRegularFile ? 0 : 1;
            },
            20s);
        EXPECT_FALSE(r.timedOut) << path << " blocked the open";
        EXPECT_EQ(r.status, 0) << path;
    }
    // With a reader on the FIFO an open for writing would succeed: the file is refused all the same.
    int reader = ::open(fifo().c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    auto file = RegularFile::createForWriting(fifo());
    EXPECT_EQ(file.error(), FileError::NotRegularFile);
    char byte = 0;
    EXPECT_EQ(::read(reader, &byte, 1), 0) << "no writer ever had the FIFO open";
    ::close(reader);
}

TEST(RegularFile, WritingEmptiesAnExistingFileFirst) {
    TempDir dir;
    writeBytes(dir / "old.bin", "a much longer old content");
    auto file = RegularFile::createForWriting(dir / "old.bin");
    ASSERT_TRUE(file.isOpen()) << file.error().message();
    EXPECT_TRUE(file.writeAll("new", 3));
    EXPECT_TRUE(file.close());
    EXPECT_EQ(readBytes(dir / "old.bin"), "new");
}

TEST(WholeFile, ReadsUpToItsLimitAndNoFurther) {
    TempDir dir;
    const std::string bytes(5000, 'x');
    writeBytes(dir / "f", bytes);
    std::error_code error;
    auto atLimit = readWholeFile(dir / "f", bytes.size(), error);
    ASSERT_TRUE(atLimit) << error.message();
    EXPECT_EQ(std::string(atLimit->begin(), atLimit->end()), bytes);
    EXPECT_FALSE(readWholeText(dir / "f", bytes.size() - 1, error));
    EXPECT_EQ(error, std::errc::file_too_large);

    writeBytes(dir / "empty", "");
    auto empty = readWholeText(dir / "empty", 0, error);
    ASSERT_TRUE(empty) << error.message();
    EXPECT_TRUE(empty->empty());
}

}  // namespace
}  // namespace zel::fileio
