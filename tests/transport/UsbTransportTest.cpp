#include "FakeLibusb.h"
#include "transport/UsbTransport.h"

#include <gtest/gtest.h>

#include <numeric>

namespace zel::transport {
namespace {

using namespace std::chrono_literals;
using test::BulkCall;
using test::FakeLibusb;

constexpr uint16_t kVid = 0x04B4;
constexpr uint16_t kPid = 0x1235;
constexpr size_t kMiB = size_t{1} << 20;
constexpr int kChunk = 4 << 20;  // the largest chunk, as libusb sees it
constexpr int kMiBInt = 1 << 20;

libusb_endpoint_descriptor endpoint(uint8_t address, uint8_t attributes, uint16_t maxPacket) {
    libusb_endpoint_descriptor ep{};
    ep.bEndpointAddress = address;
    ep.bmAttributes = attributes;
    ep.wMaxPacketSize = maxPacket;
    return ep;
}

class UsbTransportTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeLibusb> fake = std::make_shared<FakeLibusb>();

    std::unique_ptr<DeviceHandle> openOne(Timeouts timeouts = {}) {
        fake->addDevice(kVid, kPid);
        transport = std::make_unique<UsbTransport>(fake, timeouts);
        auto entries = transport->enumerate(kVid, kPid);
        EXPECT_EQ(entries.size(), 1u);
        return entries.empty() ? nullptr : std::move(entries[0].handle);
    }

    std::unique_ptr<UsbTransport> transport;
};

// ---- enumeration ----

TEST_F(UsbTransportTest, ListsMatchingDevicesInLibusbOrderAndOpensThoseItCan) {
    auto& other = fake->addDevice(kVid, 0x1234);
    auto& first = fake->addDevice(kVid, kPid);
    auto& busy = fake->addDevice(kVid, kPid);
    busy.openError = LIBUSB_ERROR_BUSY;
    auto& denied = fake->addDevice(kVid, kPid);
    denied.openError = LIBUSB_ERROR_ACCESS;
    auto& claimedElsewhere = fake->addDevice(kVid, kPid);
    claimedElsewhere.claimError = LIBUSB_ERROR_BUSY;
    auto& foreignVendor = fake->addDevice(0x1234, kPid);
    auto& last = fake->addDevice(kVid, kPid);

    UsbTransport usb(fake);
    auto entries = usb.enumerate(kVid, kPid);

    ASSERT_EQ(entries.size(), 5u);
    EXPECT_NE(entries[0].handle, nullptr);
    EXPECT_EQ(entries[1].handle, nullptr);
    EXPECT_EQ(entries[2].handle, nullptr);
    EXPECT_EQ(entries[3].handle, nullptr);
    EXPECT_NE(entries[4].handle, nullptr);
    for (const auto& entry : entries) {
        EXPECT_EQ(entry.vendorId, kVid);
        EXPECT_EQ(entry.productId, kPid);
    }
    EXPECT_EQ(other.opens + foreignVendor.opens, 0) << "devices of another identity are never opened";
    EXPECT_EQ(first.claims, 1);
    EXPECT_EQ(first.autoDetachCalls, 1);
    EXPECT_EQ(last.claims, 1);
    EXPECT_EQ(claimedElsewhere.opens, 1);
    EXPECT_EQ(claimedElsewhere.closes, 1) << "a device whose claim failed is closed again";
    EXPECT_EQ(fake->listsFreed, 1);
    EXPECT_EQ(fake->lastUnrefFlag, 1);
    // Why each unopened one is unopened, for the user.
    EXPECT_EQ(entries[0].openProblem, Problem::None);
    EXPECT_EQ(entries[1].openProblem, Problem::Busy);
    EXPECT_EQ(entries[2].openProblem, Problem::Permission);
    EXPECT_EQ(entries[3].openProblem, Problem::Busy);
    EXPECT_EQ(usb.nothingFoundReason(), "");
}

TEST_F(UsbTransportTest, FailedTransfersTellTimeOutFromDisconnectionAndTheReasonStays) {
    auto device = openOne();
    ASSERT_NE(device, nullptr);
    std::vector<uint8_t> data(64);
    EXPECT_EQ(device->lastProblem(), Problem::None);
    fake->bulkBehaviour = [](size_t, const BulkCall&, int* moved) { return *moved = 0, LIBUSB_ERROR_TIMEOUT; };
    EXPECT_FALSE(device->bulkOut(0x01, data).ok);
    EXPECT_EQ(device->lastProblem(), Problem::Timeout);
    fake->bulkBehaviour = nullptr;
    EXPECT_TRUE(device->bulkOut(0x01, data).ok);
    EXPECT_EQ(device->lastProblem(), Problem::Timeout) << "the last failure is kept for the caller to explain";
    fake->bulkBehaviour = [](size_t, const BulkCall&, int* moved) { return *moved = 0, LIBUSB_ERROR_NO_DEVICE; };
    EXPECT_FALSE(device->bulkIn(0x82, data).ok);
    EXPECT_EQ(device->lastProblem(), Problem::Disconnected);
    fake->bulkBehaviour = [](size_t, const BulkCall&, int* moved) { return *moved = 8, LIBUSB_SUCCESS; };
    EXPECT_FALSE(device->bulkOut(0x01, data).ok);
    EXPECT_EQ(device->lastProblem(), Problem::DeviceError) << "a short OUT transfer";
}

TEST_F(UsbTransportTest, NothingAttachedIsExplained) {
    UsbTransport usb(fake);
    EXPECT_TRUE(usb.enumerate(kVid, kPid).empty());
    EXPECT_EQ(usb.nothingFoundReason().rfind("no USB device 04b4:1235 is attached", 0), 0u) << usb.nothingFoundReason();
}

TEST_F(UsbTransportTest, ClosingAHandleReleasesTheInterfaceAndTheContextEndsLast) {
    auto& device = fake->addDevice(kVid, kPid);
    {
        auto usb = std::make_unique<UsbTransport>(fake);
        auto entries = usb->enumerate(kVid, kPid);
        usb.reset();
        EXPECT_EQ(fake->exits, 0) << "an open handle keeps the libusb context alive";
        entries.clear();
    }
    EXPECT_EQ(device.releases, 1);
    EXPECT_EQ(device.closes, 1);
    EXPECT_EQ(fake->exits, 1);
}

TEST_F(UsbTransportTest, FailedInitListsNothingAndIsTriedAgain) {
    fake->addDevice(kVid, kPid);
    fake->initError = LIBUSB_ERROR_OTHER;
    UsbTransport usb(fake);
    EXPECT_TRUE(usb.enumerate(kVid, kPid).empty());
    fake->initError = LIBUSB_SUCCESS;
    EXPECT_EQ(usb.enumerate(kVid, kPid).size(), 1u);
    EXPECT_EQ(fake->inits, 2);
}

TEST_F(UsbTransportTest, EndpointsComeFromInterfaceZeroAlternateZero) {
    auto& device = fake->addDevice(kVid, kPid);
    device.settings = {
        {0, 0, {endpoint(0x01, LIBUSB_TRANSFER_TYPE_BULK, 512), endpoint(0x82, LIBUSB_TRANSFER_TYPE_BULK, 512)}},
        {0, 1, {endpoint(0x03, LIBUSB_TRANSFER_TYPE_INTERRUPT, 64)}},
        {1, 0, {endpoint(0x84, LIBUSB_TRANSFER_TYPE_ISOCHRONOUS, 1024)}},
    };
    UsbTransport usb(fake);
    auto entries = usb.enumerate(kVid, kPid);
    ASSERT_EQ(entries.size(), 1u);
    auto endpoints = entries[0].handle->interfaceEndpoints();
    ASSERT_EQ(endpoints.size(), 2u);
    EXPECT_EQ(endpoints[0].address, 0x01);
    EXPECT_EQ(endpoints[0].type, EndpointType::Bulk);
    EXPECT_EQ(endpoints[0].maxPacketSize, 512);
    EXPECT_EQ(endpoints[1].address, 0x82);
    EXPECT_EQ(fake->configsFreed, 1);
}

// ---- long bulk transfers ----

std::vector<int> chunkLengths(const std::vector<BulkCall>& calls) {
    std::vector<int> lengths;
    for (const auto& call : calls) lengths.push_back(call.length);
    return lengths;
}

TEST_F(UsbTransportTest, LongOutTransferMovesInChunksOfAtMostFourMiBOnPacketBoundaries) {
    auto device = openOne();
    std::vector<uint8_t> data(9 * kMiB + 100);
    auto result = device->bulkOut(0x01, data);

    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.transferred, data.size());
    const std::vector<int> expected{kChunk, kChunk, kMiBInt + 100};
    EXPECT_EQ(chunkLengths(fake->bulkCalls), expected);
    size_t offset = 0;
    for (const auto& call : fake->bulkCalls) {
        EXPECT_EQ(call.endpoint, 0x01);
        EXPECT_EQ(call.data, data.data() + offset) << "chunks follow each other without gaps";
        offset += static_cast<size_t>(call.length);
    }
    for (size_t i = 0; i + 1 < fake->bulkCalls.size(); ++i) EXPECT_EQ(fake->bulkCalls[i].length % 512, 0);
}

TEST_F(UsbTransportTest, OutTransferStopsAtTheFirstFailedOrShortChunk) {
    auto device = openOne();
    std::vector<uint8_t> data(9 * kMiB);

    fake->bulkBehaviour = [](size_t call, const BulkCall&, int* transferred) {
        if (call == 1) {
            *transferred = 1000;
            return int{LIBUSB_ERROR_TIMEOUT};
        }
        return int{LIBUSB_SUCCESS};
    };
    auto failed = device->bulkOut(0x01, data);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.transferred, 4 * kMiB + 1000);
    EXPECT_EQ(fake->bulkCalls.size(), 2u);

    fake->bulkCalls.clear();
    fake->bulkBehaviour = [](size_t call, const BulkCall& c, int* transferred) {
        if (call == 0) *transferred = c.length - 512;  // accepted without error, but not all
        return int{LIBUSB_SUCCESS};
    };
    auto shortChunk = device->bulkOut(0x01, data);
    EXPECT_FALSE(shortChunk.ok);
    EXPECT_EQ(shortChunk.transferred, 4 * kMiB - 512);
    EXPECT_EQ(fake->bulkCalls.size(), 1u);
}

TEST_F(UsbTransportTest, InTransferEndsAtAShortChunkAndFailsAtAFailedOne) {
    auto device = openOne();
    std::vector<uint8_t> buffer(9 * kMiB + 100);

    fake->bulkBehaviour = [](size_t call, const BulkCall&, int* transferred) {
        if (call == 1) *transferred = 100;  // the device had no more
        return int{LIBUSB_SUCCESS};
    };
    auto shortRead = device->bulkIn(0x82, buffer);
    EXPECT_TRUE(shortRead.ok);
    EXPECT_EQ(shortRead.transferred, 4 * kMiB + 100);
    EXPECT_FALSE(shortRead.complete(buffer.size()));
    ASSERT_EQ(fake->bulkCalls.size(), 2u);
    EXPECT_EQ(fake->bulkCalls[1].data, buffer.data() + 4 * kMiB);
    EXPECT_EQ(fake->bulkCalls[0].endpoint, 0x82);

    fake->bulkCalls.clear();
    fake->bulkBehaviour = [](size_t call, const BulkCall&, int* transferred) {
        if (call == 1) {
            *transferred = 0;
            return int{LIBUSB_ERROR_PIPE};
        }
        return int{LIBUSB_SUCCESS};
    };
    auto failed = device->bulkIn(0x82, buffer);
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.transferred, 4 * kMiB);
    EXPECT_EQ(fake->bulkCalls.size(), 2u);

    fake->bulkCalls.clear();
    fake->bulkBehaviour = nullptr;
    auto whole = device->bulkIn(0x82, buffer);
    EXPECT_TRUE(whole.complete(buffer.size()));
    EXPECT_EQ(chunkLengths(fake->bulkCalls), (std::vector<int>{kChunk, kChunk, kMiBInt + 100}));
}

TEST_F(UsbTransportTest, ZeroLengthOutIsOneExplicitPacketAndZeroLengthInIssuesNothing) {
    auto device = openOne();
    auto out = device->bulkOut(0x01, {});
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(out.transferred, 0u);
    ASSERT_EQ(fake->bulkCalls.size(), 1u);
    EXPECT_EQ(fake->bulkCalls[0].length, 0);
    EXPECT_EQ(fake->bulkCalls[0].endpoint, 0x01);

    fake->bulkCalls.clear();
    auto in = device->bulkIn(0x82, {});
    EXPECT_TRUE(in.ok);
    EXPECT_TRUE(fake->bulkCalls.empty());

    fake->bulkBehaviour = [](size_t, const BulkCall&, int*) { return int{LIBUSB_ERROR_NO_DEVICE}; };
    EXPECT_FALSE(device->bulkOut(0x01, {}).ok) << "a zero-length packet that fails is reported";
}

TEST_F(UsbTransportTest, BulkTransfersAreNeverRetried) {
    auto device = openOne();
    fake->bulkBehaviour = [](size_t, const BulkCall&, int* transferred) {
        *transferred = 0;
        return int{LIBUSB_ERROR_TIMEOUT};
    };
    std::array<uint8_t, 16> frame{};
    EXPECT_FALSE(device->bulkOut(0x01, frame).ok);
    EXPECT_FALSE(device->bulkIn(0x82, frame).ok);
    EXPECT_EQ(fake->bulkCalls.size(), 2u);
}

// ---- control transfers and time-outs ----

TEST_F(UsbTransportTest, ControlRequestPassesTheSetupAndReportsBytesMoved) {
    auto device = openOne();
    fake->controlBehaviour = [](const test::ControlCall&, unsigned char* data) {
        data[0] = 18;
        return 12;
    };
    std::array<uint8_t, 18> descriptor{};
    auto result = device->control({0x80, 6, 0x0100, 0, 18}, descriptor);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.transferred, 12u);
    EXPECT_EQ(descriptor[0], 18);
    ASSERT_EQ(fake->controlCalls.size(), 1u);
    const auto& call = fake->controlCalls[0];
    EXPECT_EQ(call.requestType, 0x80);
    EXPECT_EQ(call.request, 6);
    EXPECT_EQ(call.value, 0x0100);
    EXPECT_EQ(call.index, 0);
    EXPECT_EQ(call.length, 18);

    fake->controlBehaviour = [](const test::ControlCall&, unsigned char*) { return int{LIBUSB_ERROR_PIPE}; };
    EXPECT_FALSE(device->control({0x80, 6, 0x0100, 0, 18}, descriptor).ok);

    std::array<uint8_t, 4> tooSmall{};
    EXPECT_FALSE(device->control({0x80, 6, 0x0100, 0, 18}, tooSmall).ok);
    EXPECT_EQ(fake->controlCalls.size(), 2u) << "a buffer smaller than wLength is refused before the wire";
}

TEST_F(UsbTransportTest, EveryTransferCarriesTheDeviceTimeOutsByDefault) {
    auto device = openOne();
    std::vector<uint8_t> data(5 * kMiB);
    std::array<uint8_t, 18> descriptor{};
    device->bulkOut(0x01, data);
    device->bulkIn(0x82, data);
    device->bulkOut(0x01, {});
    device->control({0x80, 6, 0x0100, 0, 18}, descriptor);

    ASSERT_EQ(fake->bulkCalls.size(), 5u);
    for (const auto& call : fake->bulkCalls) EXPECT_EQ(call.timeoutMs, 65536u);
    ASSERT_EQ(fake->controlCalls.size(), 1u);
    EXPECT_EQ(fake->controlCalls[0].timeoutMs, 100000u);
}

TEST_F(UsbTransportTest, ShortenedTimeOutsReachEveryCall) {
    auto device = openOne({250ms, 300ms});
    std::vector<uint8_t> data(5 * kMiB);
    std::array<uint8_t, 18> descriptor{};
    device->bulkOut(0x01, data);
    device->bulkIn(0x82, data);
    device->control({0x80, 6, 0x0100, 0, 18}, descriptor);

    ASSERT_EQ(fake->bulkCalls.size(), 4u);
    for (const auto& call : fake->bulkCalls) EXPECT_EQ(call.timeoutMs, 250u);
    ASSERT_EQ(fake->controlCalls.size(), 1u);
    EXPECT_EQ(fake->controlCalls[0].timeoutMs, 300u);
}

TEST_F(UsbTransportTest, RealHardwareDoesNotScaleHostWaits) {
    auto device = openOne();
    EXPECT_EQ(device->timeScale(), 1.0);
}

}  // namespace
}  // namespace zel::transport
