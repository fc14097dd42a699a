// The zelsim command line: starting as a daemon, control commands and their exit statuses,
// stopping, signals, and the on-board flash kept across restarts.
#include "SimTestHelpers.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zel::test {
namespace {

using namespace std::chrono_literals;

struct Run {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A scratch folder that a daemonised simulator may use; stopped and removed at the end.
class DaemonFolder {
public:
    DaemonFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelsim-cli-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
        dir_ = root_ / "sim";
    }
    ~DaemonFolder() {
        run({"--dir", dir_.string(), "stop"});
        std::filesystem::remove_all(root_);
    }
    const std::filesystem::path& dir() const { return dir_; }

    Run run(const std::vector<std::string>& args) const {
        std::string command = SimProcess::zelsimPath().string();
        for (const auto& a : args) command += " '" + a + "'";
        command += " > " + (root_ / "out").string() + " 2> " + (root_ / "err").string() + " < /dev/null";
        Run r;
        int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readFile(root_ / "out");
        r.err = readFile(root_ / "err");
        return r;
    }

private:
    std::filesystem::path root_;
    std::filesystem::path dir_;
};

TEST(CommandLine, StartReturnsOnceEverySocketAcceptsAndStopRemovesThem) {
    DaemonFolder folder;
    auto start = folder.run({"start", "--dir", folder.dir().string(), "--device", "gen=1,serial=42", "--device",
                             "gen=2", "--device", "pid=0x1234"});
    ASSERT_EQ(start.status, 0) << start.err;
    auto started = lines(start.out);
    ASSERT_EQ(started.size(), 3u);
    EXPECT_EQ(started[0].rfind("dev00 1235 ", 0), 0u);
    EXPECT_NE(started[0].find("serial=42"), std::string::npos);
    EXPECT_EQ(started[1].rfind("dev01 1235 ", 0), 0u);
    EXPECT_EQ(started[2].rfind("dev02 1234 ", 0), 0u);
    for (const char* name : {"dev00.usb", "dev01.usb", "dev02.usb", "control.sock"}) {
        int fd = simwire::connectUnix(folder.dir() / name);
        EXPECT_GE(fd, 0) << name;
        if (fd >= 0) ::close(fd);
    }

    auto status = folder.run({"--dir", folder.dir().string(), "status"});
    EXPECT_EQ(status.status, 0);
    EXPECT_EQ(lines(status.out).size(), 3u);

    auto stop = folder.run({"--dir", folder.dir().string(), "stop"});
    EXPECT_EQ(stop.status, 0);
    for (const char* name : {"dev00.usb", "dev01.usb", "dev02.usb", "control.sock", "zelsim.pid"})
        EXPECT_FALSE(std::filesystem::exists(folder.dir() / name)) << name;
    EXPECT_EQ(folder.run({"--dir", folder.dir().string(), "status"}).status, 2);
}

TEST(CommandLine, ExitStatusesOfControlCommands) {
    DaemonFolder folder;
    EXPECT_EQ(folder.run({"--dir", folder.dir().string(), "status"}).status, 2);  // nobody there yet
    ASSERT_EQ(folder.run({"start", "--dir", folder.dir().string(), "--device", "gen=1"}).status, 0);
    auto bad = folder.run({"--dir", folder.dir().string(), "reg", "0", "0x999"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err.rfind("error: ", 0), 0u) << bad.err;
    EXPECT_TRUE(bad.out.empty());
    auto empty = folder.run({"--dir", folder.dir().string(), "violations", "0"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_TRUE(empty.out.empty());
    auto help = folder.run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("unplug"), std::string::npos);
}

TEST(CommandLine, EnvironmentNamesTheFolder) {
    DaemonFolder folder;
    ASSERT_EQ(folder.run({"start", "--dir", folder.dir().string(), "--device", "gen=2"}).status, 0);
    ::setenv("ZELMOR_SIM", folder.dir().c_str(), 1);
    auto status = folder.run({"status"});
    ::unsetenv("ZELMOR_SIM");
    EXPECT_EQ(status.status, 0);
    EXPECT_NE(status.out.find("product=ZelmorPro-G2"), std::string::npos);
}

TEST(CommandLine, BadStartArgumentsAreRefused) {
    DaemonFolder folder;
    for (auto profile : {"gen=3", "pid=0x1111", "colour=red", "serial=x", "fw=0x1FFFFFFFF"}) {
        auto r = folder.run({"start", "--dir", folder.dir().string(), "--device", profile});
        EXPECT_NE(r.status, 0) << profile;
        EXPECT_FALSE(r.err.empty()) << profile;
    }
    EXPECT_NE(folder.run({"start", "--dir", folder.dir().string()}).status, 0);  // no device
    EXPECT_NE(folder.run({"start", "--dir", folder.dir().string(), "--device", "gen=1", "--time-scale", "0"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(folder.dir() / "control.sock"));
}

TEST(CommandLine, SecondSimulatorOnTheSameFolderIsRefused) {
    DaemonFolder folder;
    ASSERT_EQ(folder.run({"start", "--dir", folder.dir().string(), "--device", "gen=1"}).status, 0);
    auto second = folder.run({"start", "--dir", folder.dir().string(), "--device", "gen=2"});
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.err.find("already"), std::string::npos);
    EXPECT_NE(folder.run({"--dir", folder.dir().string(), "status"}).out.find("product=ZelmorPro\n"), std::string::npos);
}

TEST(CommandLine, TerminationSignalRemovesTheSockets) {
    DaemonFolder folder;
    ASSERT_EQ(folder.run({"start", "--dir", folder.dir().string(), "--device", "gen=1"}).status, 0);
    long pid = 0;
    std::ifstream(folder.dir() / "zelsim.pid") >> pid;
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(static_cast<pid_t>(pid), SIGTERM), 0);
    bool gone = false;
    for (int i = 0; i < 500 && !gone; ++i) {
        gone = !std::filesystem::exists(folder.dir() / "control.sock") &&
               !std::filesystem::exists(folder.dir() / "dev00.usb");
        if (!gone) std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(gone);
}

TEST(CommandLine, OnBoardFlashIsKeptAcrossRestarts) {
    DaemonFolder folder;
    const auto dir = folder.dir().string();
    ASSERT_EQ(folder.run({"start", "--dir", dir, "--device", "gen=1,serial=1234"}).status, 0);
    {
        RawSimClient c(folder.dir() / "dev00.usb");
        ASSERT_EQ(c.open().status, simwire::Status::Ok);
        auto frame = makeFrame({0x34, 0x1F, 0xFF, 0x00});
        std::fill(frame.begin() + 4, frame.end(), 0xFF);
        c.bulkOut(0x01, frame);
        std::vector<uint8_t> page(256, 0xFF);
        page[2] = 0x00;  // clears bits of the serial number's low byte
        c.bulkOut(0x01, page);
    }
    ASSERT_EQ(folder.run({"--dir", dir, "stop"}).status, 0);
    auto again = folder.run({"start", "--dir", dir, "--device", "gen=1"});
    ASSERT_EQ(again.status, 0);
    EXPECT_NE(again.out.find("serial=1024 "), std::string::npos) << again.out;  // 1234 & ~0xFF
    // An identity given on the command line is set afresh on the kept flash.
    ASSERT_EQ(folder.run({"--dir", dir, "stop"}).status, 0);
    auto renamed = folder.run({"start", "--dir", dir, "--device", "gen=1,serial=77"});
    ASSERT_EQ(renamed.status, 0);
    EXPECT_NE(renamed.out.find("serial=77 "), std::string::npos) << renamed.out;
}

TEST(CommandLine, OverlongSocketPathIsNamedInTheError) {
    DaemonFolder folder;
    auto deep = folder.dir() / std::string(120, 'd');
    auto r = folder.run({"start", "--dir", deep.string(), "--device", "gen=1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("socket path too long"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace zel::test
