// The large in-process buffer when its first user is not CliGetDLLBuffer: a load, download and
// verify must find it erased exactly as a caller reading it would.
#include "DataPathSupport.h"

#include <algorithm>

namespace {

using namespace zel::test;

constexpr uint32_t kChip = 0x100000;            // 1 MiB
constexpr uint32_t kBeyondStandard = 0x8000000;  // past the end of the 64 MiB buffer

class ImageBufferUse : public DataPathTest {};

TEST_F(ImageBufferUse, ALoadBeyondSixtyFourMiBIsDownloadedAndVerifiedWithErasedBytesAroundIt)
{
    start({"gen=1"});  // the large buffer in place, never handed out
    setChip(kChip);
    fill(0, 0, kChip, 0x5A);
    const Bytes image = patternBytes(0x400, 21);
    writeFile(folder / "image.bin", image);
    uint32_t checksum = 0, size = 0;
    ASSERT_NE(CliLoadFileToDLLBuffer((folder / "image.bin").wstring().c_str(), &checksum, &size,
                                     kBeyondStandard + 0x800, true),
              nullptr);
    ASSERT_EQ(size, 0x400u);

    uint8_t result = 0xEE;
    CliDownloadDLLBufferToZelmorPro(true, 0x00, 0x1000, 0x1000, kBeyondStandard, false, &result, false, 0);
    EXPECT_EQ(result, 1);
    Bytes model(kChip, 0x5A);
    std::fill_n(model.begin() + 0x1000, 0x1000, 0xFF);
    std::ranges::copy(image, model.begin() + 0x1800);
    expectMemory(0, 0, model);

    CliZelmorProVerify(0x1000, 0x1000, kBeyondStandard, &result, false, 0);
    EXPECT_EQ(result, 1);
}

}  // namespace
