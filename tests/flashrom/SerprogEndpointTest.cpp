// A running zelsim's target side through its control commands and its serprog endpoints, with
// a raw serprog client: ports, chip slot selection, transactions, the bus-state register and the
// trace. The chip identity and supply come from a catalogue file applied through the API.
#include "SimProcess.h"
#include "zelapi.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A serprog master reduced to what these tests send; every wait is bounded.
class SerprogClient {
public:
    explicit SerprogClient(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            throw std::runtime_error("cannot connect to serprog port " + std::to_string(port));
    }
    ~SerprogClient() { ::close(fd_); }

    Bytes exchange(const Bytes& request, size_t answerLength) {
        if (::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
            throw std::runtime_error("send failed");
        Bytes answer(answerLength);
        for (size_t done = 0; done < answerLength;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) throw std::runtime_error("no answer within 5 s");
            auto n = ::recv(fd_, answer.data() + done, answerLength - done, 0);
            if (n <= 0) throw std::runtime_error("connection closed");
            done += static_cast<size_t>(n);
        }
        return answer;
    }
    // O_SPIOP: ACK and the bytes read.
    Bytes spi(const Bytes& mosi, size_t readLength) {
        Bytes request{0x13, static_cast<uint8_t>(mosi.size()), 0, 0, static_cast<uint8_t>(readLength), 0, 0};
        request.insert(request.end(), mosi.begin(), mosi.end());
        return exchange(request, 1 + readLength);
    }

private:
    int fd_ = -1;
};

int freePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

std::wstring configPath(const std::string& chip) {
    const std::string path = std::string(ZEL_PROGRAM_FOLDER) + "/config/ZelmorPro/" + chip + ".cfg";
    return std::wstring(path.begin(), path.end());
}

constexpr uint8_t ACK = 0x06;

class SimTargetSide : public ::testing::Test {
protected:
    void start(std::vector<std::string> devices, std::vector<std::string> options = {}) {
        sim_.emplace(std::move(devices), std::move(options));
        sim_->exportEnvironment();
        CliInitialZelmorProDLL();
    }
    void TearDown() override {
        CliCloseUSBDevice();
        CliCloseZelmorProDLL();
        sim_.reset();
    }
    std::string control(const std::string& command) { return sim_->control(command); }
    int port(int device) { return std::stoi(control("serprog " + std::to_string(device))); }

    std::optional<zel::test::SimProcess> sim_;
};

TEST_F(SimTargetSide, ControlCommandsDriveTheTargetBus) {
    start({"gen=2"});
    EXPECT_EQ(control("target 0 9f 3"), "ffffff\n") << "no chip yet";
    CliSetChipType(configPath("W25Q128JV-IQ").c_str(), false, 0);
    EXPECT_EQ(control("target 0 9f 3"), "ffffff\n") << "emulation stopped";
    control("set-reg 0 0x28 1");
    EXPECT_EQ(control("target 0 9f 3"), "ef4018\n");
    EXPECT_EQ(control("target 0 9f 3 1"), "ffffff\n") << "target 2 has no chip";
    EXPECT_EQ(control("reg 0 0x2c"), "0xc09f\n") << "idle, last opcode 0x9f";

    control("bus 0 busy");
    EXPECT_EQ(sim_->reg(0, 0x2C) & 0xC000, 0);
    control("target 0 05 1");
    EXPECT_EQ(sim_->reg(0, 0x2C), 0x0005);
    control("bus 0 idle");
    EXPECT_EQ(sim_->reg(0, 0x2C), 0xC005);

    const auto trace = control("trace 0 2");
    ASSERT_EQ(trace.size(), 2 * 17u);
    EXPECT_EQ(trace.substr(0, 4), "ffff") << "timestamp record";
    EXPECT_EQ(trace.substr(17), "0510050000000000\n") << "5th transaction: 0x05 and the status byte read";

    EXPECT_THROW(control("target 0 9 1"), std::runtime_error) << "odd hex digits";
    EXPECT_THROW(control("target 0 9f 3 2"), std::runtime_error) << "chip slot 2";
    EXPECT_THROW(control("bus 0 maybe"), std::runtime_error);
}

TEST_F(SimTargetSide, SerprogEndpointsServeTheChosenChipSlotOverSeveralConnections) {
    const int fixed = freePort();
    start({"gen=2", "gen=1,serprog-slot=1,serprog=" + std::to_string(fixed), "pid=0x1234"});
    EXPECT_EQ(port(1), fixed);
    EXPECT_NE(port(0), fixed);
    EXPECT_THROW(control("serprog 2"), std::runtime_error) << "the earlier design has no target bus";

    CliSetChipType(configPath("MX25L12835F").c_str(), false, 0);
    CliSetChipType(configPath("GD25Q64C").c_str(), true, 1);
    control("set-reg 0 0x28 1");
    control("set-reg 1 0x28 1");
    {
        SerprogClient device0(port(0));
        EXPECT_EQ(device0.exchange({0x10}, 2), (Bytes{0x15, ACK})) << "SYNCNOP";
        EXPECT_EQ(device0.spi({0x9F}, 3), (Bytes{ACK, 0xC2, 0x20, 0x18}));
    }
    {
        SerprogClient device1(port(1));  // serprog-slot=1: target 2
        EXPECT_EQ(device1.spi({0x9F}, 3), (Bytes{ACK, 0xC8, 0x40, 0x17}));
    }
    // Another connection after the first closed; then switch device 0 to its empty target 2.
    SerprogClient again(port(0));
    EXPECT_EQ(again.spi({0x9F}, 3), (Bytes{ACK, 0xC2, 0x20, 0x18}));
    control("serprog-slot 0 1");
    EXPECT_EQ(again.spi({0x9F}, 3), (Bytes{ACK, 0xFF, 0xFF, 0xFF}));
    EXPECT_THROW(control("serprog-slot 0 2"), std::runtime_error);

    // A write through serprog lands in the emulation memory the API reads back.
    control("serprog-slot 0 0");
    again.spi({0x06}, 0);
    again.spi({0x20, 0x00, 0x00, 0x00}, 0);
    again.spi({0x06}, 0);
    again.spi({0x02, 0x00, 0x00, 0x10, 0x12, 0x34}, 0);
    EXPECT_EQ(control("mem 0 0x10 2"), "1234\n");
    EXPECT_EQ(again.spi({0x03, 0x00, 0x00, 0x10}, 2), (Bytes{ACK, 0x12, 0x34}));

    // Unplugged, the emulator powers no chip.
    control("unplug 0");
    EXPECT_EQ(again.spi({0x9F}, 3), (Bytes{ACK, 0xFF, 0xFF, 0xFF}));
}

TEST_F(SimTargetSide, SerprogBaseGivesConsecutivePorts) {
    const int base = freePort();
    start({"gen=2", "gen=2"}, {"--serprog-base", std::to_string(base)});
    EXPECT_EQ(port(0), base);
    EXPECT_EQ(port(1), base + 1);
}

}  // namespace
