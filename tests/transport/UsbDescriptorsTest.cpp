#include "FakeSimDevice.h"
#include "transport/UsbDescriptors.h"

#include <gtest/gtest.h>

namespace zel::transport {
namespace {

TEST(UsbDescriptors, DeviceIdentityNeedsAWholeDeviceDescriptor) {
    auto descriptor = test::deviceDescriptor(0x04B4, 0x1235);
    auto identity = parseDeviceIdentity(descriptor);
    ASSERT_TRUE(identity);
    EXPECT_EQ(identity->vendorId, 0x04B4);
    EXPECT_EQ(identity->productId, 0x1235);

    EXPECT_FALSE(parseDeviceIdentity(std::span(descriptor).first(11)));
    descriptor[1] = 2;  // a configuration descriptor is not a device descriptor
    EXPECT_FALSE(parseDeviceIdentity(descriptor));
}

TEST(UsbDescriptors, EndpointsOfInterfaceZeroAlternateZeroOnly) {
    auto endpoints = parseInterfaceEndpoints(test::configDescriptor());
    ASSERT_EQ(endpoints.size(), 2u);
    EXPECT_EQ(endpoints[0].address, 0x01);
    EXPECT_EQ(endpoints[0].type, EndpointType::Bulk);
    EXPECT_EQ(endpoints[0].maxPacketSize, 512);
    EXPECT_EQ(endpoints[1].address, 0x82);
}

TEST(UsbDescriptors, MalformedConfigurationStopsWithoutReadingPastTheEnd) {
    auto config = test::configDescriptor();
    config.resize(9 + 9 + 7 + 3);  // the second endpoint descriptor is cut short
    auto endpoints = parseInterfaceEndpoints(config);
    ASSERT_EQ(endpoints.size(), 1u);

    std::vector<uint8_t> zeroLength{9, 2, 0, 0, 1, 1, 0, 0x80, 50, 0, 4};
    EXPECT_TRUE(parseInterfaceEndpoints(zeroLength).empty()) << "a zero bLength must not loop forever";
    EXPECT_TRUE(parseInterfaceEndpoints({}).empty());
}

}  // namespace
}  // namespace zel::transport
