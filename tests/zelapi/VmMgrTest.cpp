// vm_mgr: buffers read and write byte-exactly at handle + offset, and no access ever reaches
// memory outside the one buffer that holds it.
#include "vm_mgr.h"
#include "vm_view.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <thread>
#include <vector>

namespace {

class VmBuffer {
public:
    explicit VmBuffer(uint64_t size) : handle_(vm_alloc(size)) {}
    ~VmBuffer()
    {
        if (handle_ != 0)
            vm_free(handle_);
    }
    VmBuffer(const VmBuffer&) = delete;
    VmBuffer& operator=(const VmBuffer&) = delete;
    vm_ptr_t handle() const { return handle_; }

private:
    vm_ptr_t handle_;
};

TEST(VmMgrAllocation, HandsOutZeroedBuffersOfTheAskedSize)
{
    VmBuffer buffer(5000);
    ASSERT_NE(buffer.handle(), 0u);
    std::vector<uint8_t> content(5000, 0xAA);
    ASSERT_EQ(vm_read(content.data(), buffer.handle(), content.size()), 1);
    EXPECT_EQ(std::count(content.begin(), content.end(), 0), 5000);
}

TEST(VmMgrAllocation, RefusesZeroAndImpossibleSizes)
{
    EXPECT_EQ(vm_alloc(0), 0u);
    EXPECT_EQ(vm_alloc(UINT64_MAX), 0u);
    EXPECT_EQ(vm_alloc(uint64_t{1} << 62), 0u);
}

TEST(VmMgrAllocation, FreeReleasesOnlyHandedOutHandles)
{
    vm_ptr_t handle = vm_alloc(4096);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(vm_free(handle + 1), 0);  // inside, but not the handle
    EXPECT_EQ(vm_free(0), 0);
    EXPECT_EQ(vm_free(handle), 1);
    EXPECT_EQ(vm_free(handle), 0);  // already released
    uint8_t byte = 0;
    EXPECT_EQ(vm_read(&byte, handle, 1), 0);
    EXPECT_EQ(vm_write(handle, &byte, 1), 0);
}

TEST(VmMgrAccess, ReadsBackWhatWasWrittenAtAnyOffset)
{
    VmBuffer buffer(100000);
    std::vector<uint8_t> data(777);
    std::iota(data.begin(), data.end(), uint8_t{3});
    ASSERT_EQ(vm_write(buffer.handle() + 12345, data.data(), data.size()), 1);
    std::vector<uint8_t> back(data.size());
    ASSERT_EQ(vm_read(back.data(), buffer.handle() + 12345, back.size()), 1);
    EXPECT_EQ(back, data);
    uint8_t before = 0xEE;
    ASSERT_EQ(vm_read(&before, buffer.handle() + 12344, 1), 1);
    EXPECT_EQ(before, 0);
}

TEST(VmMgrAccess, WholeBufferAndLastByteAreReachable)
{
    VmBuffer buffer(4096 + 17);
    std::vector<uint8_t> whole(4096 + 17, 0x5C);
    EXPECT_EQ(vm_write(buffer.handle(), whole.data(), whole.size()), 1);
    uint8_t last = 0;
    EXPECT_EQ(vm_read(&last, buffer.handle() + whole.size() - 1, 1), 1);
    EXPECT_EQ(last, 0x5C);
    EXPECT_EQ(vm_read(&last, buffer.handle() + whole.size(), 0), 1);  // empty range at the end
}

TEST(VmMgrBounds, AccessStraddlingTheEndFailsAndTouchesNothing)
{
    // 4096 + 10 bytes: the mapping has 4086 more accessible bytes that are not the buffer's.
    VmBuffer buffer(4106);
    std::array<uint8_t, 20> data;
    data.fill(0x77);
    EXPECT_EQ(vm_write(buffer.handle() + 4096, data.data(), data.size()), 0);
    std::array<uint8_t, 20> out;
    out.fill(0x11);
    EXPECT_EQ(vm_read(out.data(), buffer.handle() + 4096, out.size()), 0);
    EXPECT_EQ(out[0], 0x11);  // destination untouched
    std::array<uint8_t, 10> tail{};
    ASSERT_EQ(vm_read(tail.data(), buffer.handle() + 4096, tail.size()), 1);
    EXPECT_EQ(std::count(tail.begin(), tail.end(), 0), 10);  // nothing was written
    EXPECT_EQ(vm_read(out.data(), buffer.handle() + 4106, 1), 0);
    EXPECT_EQ(vm_write(buffer.handle() + 4107, data.data(), 1), 0);
}

TEST(VmMgrBounds, AccessSpanningTwoAdjacentBuffersFails)
{
    // Page-sized buffers are often mapped back to back; find or force such a pair.
    const uint64_t page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    std::vector<vm_ptr_t> handles;
    vm_ptr_t lower = 0;
    vm_ptr_t upper = 0;
    for (int attempt = 0; attempt < 64 && lower == 0; ++attempt) {
        handles.push_back(vm_alloc(page));
        for (vm_ptr_t a : handles)
            for (vm_ptr_t b : handles)
                if (a + page == b) {
                    lower = a;
                    upper = b;
                }
    }
    if (lower == 0) {
        for (vm_ptr_t h : handles)
            vm_free(h);
        GTEST_SKIP() << "no two buffers were mapped back to back";
    }
    std::vector<uint8_t> data(32, 0x42);
    EXPECT_EQ(vm_write(lower + page - 16, data.data(), data.size()), 0);
    EXPECT_EQ(vm_read(data.data(), lower + page - 16, data.size()), 0);
    EXPECT_EQ(vm_write(lower + page - 16, data.data(), 16), 1);
    EXPECT_EQ(vm_write(upper, data.data(), 16), 1);
    for (vm_ptr_t h : handles)
        EXPECT_EQ(vm_free(h), 1);
}

TEST(VmMgrBounds, AddressAndLengthThatWrapPast64BitsFail)
{
    VmBuffer buffer(8192);
    uint8_t byte = 0;
    // offset 100 + length near 2^64 wraps to a small end address.
    EXPECT_EQ(vm_read(&byte, buffer.handle() + 100, UINT64_MAX - 50), 0);
    EXPECT_EQ(vm_write(buffer.handle() + 100, &byte, UINT64_MAX), 0);
    EXPECT_EQ(vm_read(&byte, UINT64_MAX, 2), 0);
    EXPECT_EQ(vm_write(UINT64_MAX - 1, &byte, 4), 0);
}

TEST(VmMgrBounds, AddressesOutsideEveryBufferFail)
{
    uint8_t byte = 0;
    uint64_t stackAddress = reinterpret_cast<uintptr_t>(&byte);
    EXPECT_EQ(vm_read(&byte, stackAddress, 1), 0);
    EXPECT_EQ(vm_write(stackAddress, &byte, 1), 0);
    EXPECT_EQ(vm_read(&byte, 0, 1), 0);
    EXPECT_EQ(vm_getPtrPath(stackAddress), nullptr);
}

TEST(VmMgrBounds, NullHostPointerFailsForNonEmptyCopies)
{
    VmBuffer buffer(64);
    EXPECT_EQ(vm_read(nullptr, buffer.handle(), 8), 0);
    EXPECT_EQ(vm_write(buffer.handle(), nullptr, 8), 0);
}

TEST(VmMgrPath, NamesTheBufferHoldingTheAddressUntilItIsFreed)
{
    vm_ptr_t handle = vm_alloc(1000);
    ASSERT_NE(handle, 0u);
    const char* path = vm_getPtrPath(handle);
    ASSERT_NE(path, nullptr);
    EXPECT_GT(std::strlen(path), 0u);
    EXPECT_STREQ(vm_getPtrPath(handle + 999), path);
    EXPECT_EQ(vm_getPtrPath(handle + 1000), nullptr);
    vm_free(handle);
    EXPECT_EQ(vm_getPtrPath(handle), nullptr);
}

// A view reads a buffer in place under the bounds vm_read keeps: one buffer, never past its end.
TEST(VmMgrView, ShowsExactlyTheRangeInsideOneBuffer)
{
    VmBuffer buffer(4096);
    std::vector<uint8_t> data(4096);
    std::iota(data.begin(), data.end(), uint8_t{7});
    ASSERT_EQ(vm_write(buffer.handle(), data.data(), data.size()), 1);

    const auto view = zel::vm::ReadView::of(buffer.handle() + 100, 200);
    ASSERT_TRUE(view);
    EXPECT_TRUE(std::equal(view.bytes().begin(), view.bytes().end(), data.begin() + 100));
    EXPECT_EQ(view.size(), 200u);
    const auto tail = zel::vm::ReadView::toEnd(buffer.handle() + 4000);
    ASSERT_TRUE(tail);
    EXPECT_EQ(tail.size(), 96u);
    EXPECT_EQ(tail.bytes().back(), data.back());
    EXPECT_TRUE(zel::vm::ReadView::of(buffer.handle() + 4096, 0));

    EXPECT_FALSE(zel::vm::ReadView::of(buffer.handle() + 4000, 97));
    EXPECT_FALSE(zel::vm::ReadView::of(buffer.handle() + 1, UINT64_MAX));
    EXPECT_FALSE(zel::vm::ReadView::of(0, 1));
    EXPECT_FALSE(zel::vm::ReadView::toEnd(buffer.handle() + 4096));
    EXPECT_FALSE(view.part(150, 51));
    EXPECT_FALSE(view.part(201, 0));
    const auto part = view.part(150, 50);
    ASSERT_TRUE(part);
    EXPECT_EQ(part.bytes().front(), data[250]);
}

TEST(VmMgrView, OutlivesTheBufferItsHandleNamed)
{
    vm_ptr_t handle = vm_alloc(8 << 20);
    ASSERT_NE(handle, 0u);
    const std::vector<uint8_t> data(8 << 20, 0x5A);
    ASSERT_EQ(vm_write(handle, data.data(), data.size()), 1);
    const auto view = zel::vm::ReadView::toEnd(handle);
    ASSERT_EQ(vm_free(handle), 1);

    // The handle is gone for every export, the viewed bytes are still there to read.
    uint8_t byte = 0;
    EXPECT_EQ(vm_read(&byte, handle, 1), 0);
    EXPECT_EQ(vm_getPtrPath(handle), nullptr);
    EXPECT_FALSE(zel::vm::ReadView::of(handle, 1));
    ASSERT_EQ(view.size(), data.size());
    EXPECT_TRUE(std::equal(view.bytes().begin(), view.bytes().end(), data.begin()));
}

TEST(VmMgrConcurrency, ParallelAllocationAndCopiesKeepTheirOwnData)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t, &failures] {
            for (int round = 0; round < 200; ++round) {
                const uint64_t size = 1000 + static_cast<uint64_t>(t * 37 + round);
                vm_ptr_t handle = vm_alloc(size);
                std::vector<uint8_t> data(size, static_cast<uint8_t>(t + round));
                std::vector<uint8_t> back(size);
                if (handle == 0 || vm_write(handle, data.data(), size) != 1 ||
                    vm_read(back.data(), handle, size) != 1 || back != data || vm_free(handle) != 1)
                    ++failures;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
