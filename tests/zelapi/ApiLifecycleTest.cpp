// The API object's lifetime and its image buffer.
#include "SimulatedApi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace {

using zel::test::SimulatedApi;

constexpr size_t kStandardSize = 0x4000000;
constexpr size_t kLargeSize = 0x10000000;

bool allBytesAre(const uint8_t* data, size_t size, uint8_t value)
{
    std::span bytes(data, size);
    return std::ranges::all_of(bytes, [value](uint8_t byte) { return byte == value; });
}

void writeMarker(uint8_t* buffer)
{
    std::memcpy(buffer, "MARK", 4);
    std::memcpy(buffer + kStandardSize - 4, "LAST", 4);
}

bool hasMarker(const uint8_t* buffer)
{
    return std::memcmp(buffer, "MARK", 4) == 0 && std::memcmp(buffer + kStandardSize - 4, "LAST", 4) == 0;
}

class ApiLifecycle : public SimulatedApi {
protected:
    void SetUp() override { startSimulator({"gen=1"}); }
};

TEST_F(ApiLifecycle, ImageBufferIsNullBeforeInitThen64MiBOfFF)
{
    EXPECT_EQ(CliGetDLLBuffer(), nullptr);
    CliInitialZelmorProDLL();
    uint8_t* buffer = CliGetDLLBuffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_TRUE(allBytesAre(buffer, kStandardSize, 0xFF));
    EXPECT_EQ(CliIsZelmorProUSBOpened(0), 1);
}

TEST_F(ApiLifecycle, SecondInitKeepsTheObjectAndTouchesNoDevice)
{
    CliInitialZelmorProDLL();
    uint8_t* buffer = CliGetDLLBuffer();
    ASSERT_NE(buffer, nullptr);
    writeMarker(buffer);
    const size_t trafficBefore = sim().log(0).size();

    CliInitialZelmorProDLL();

    EXPECT_EQ(CliGetDLLBuffer(), buffer);
    EXPECT_TRUE(hasMarker(buffer));
    EXPECT_EQ(sim().log(0).size(), trafficBefore);  // no second enumeration
    EXPECT_EQ(CliIsZelmorProUSBOpened(0), 1);
}

TEST_F(ApiLifecycle, LargeTypeReplacesTheBufferWith256MiBOfFF)
{
    CliInitialZelmorProDLL();
    uint8_t* standard = CliGetDLLBuffer();
    ASSERT_NE(standard, nullptr);
    writeMarker(standard);

    CliDoSetZelmorProType(true, 0);

    uint8_t* large = CliGetDLLBuffer();
    ASSERT_NE(large, nullptr);
    EXPECT_NE(large, standard);
    EXPECT_TRUE(allBytesAre(large, kLargeSize, 0xFF));
}

TEST_F(ApiLifecycle, LargeTypeAgainPresetsTheLargeBufferAfresh)
{
    CliInitialZelmorProDLL();
    CliDoSetZelmorProType(true, 0);
    uint8_t* large = CliGetDLLBuffer();
    ASSERT_NE(large, nullptr);
    writeMarker(large);
    large[kLargeSize - 1] = 0;

    CliDoSetZelmorProType(true, 1);

    uint8_t* again = CliGetDLLBuffer();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(allBytesAre(again, kLargeSize, 0xFF));
}

TEST_F(ApiLifecycle, StandardTypeKeepsThe64MiBBufferAndItsContents)
{
    CliInitialZelmorProDLL();
    uint8_t* buffer = CliGetDLLBuffer();
    ASSERT_NE(buffer, nullptr);
    writeMarker(buffer);

    CliDoSetZelmorProType(false, 0);

    EXPECT_EQ(CliGetDLLBuffer(), buffer);
    EXPECT_TRUE(hasMarker(buffer));
}

TEST_F(ApiLifecycle, CloseTwiceThenInitAgainStartsAfresh)
{
    CliInitialZelmorProDLL();
    writeMarker(CliGetDLLBuffer());

    CliCloseZelmorProDLL();
    EXPECT_EQ(CliGetDLLBuffer(), nullptr);
    EXPECT_EQ(CliCheckUSBDeviceNum(), 0);
    CliCloseZelmorProDLL();
    EXPECT_EQ(CliGetDLLBuffer(), nullptr);

    // Closing the API without CliCloseUSBDevice leaves the emulator held by this process; a new
    // API enumerates afresh and opens it again.
    CliInitialZelmorProDLL();
    uint8_t* buffer = CliGetDLLBuffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_TRUE(allBytesAre(buffer, kStandardSize, 0xFF));
    EXPECT_EQ(CliIsZelmorProUSBOpened(0), 1);
    EXPECT_EQ(CliCheckUSBDeviceNum(), 1);
}

}  // namespace
