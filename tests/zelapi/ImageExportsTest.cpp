// Image-file exports: what lands in the in-process buffer, the byte vector and host buffers,
// the size and checksum they report, what a failed load leaves behind (nothing) and says, and
// the log lines of the host-buffer loads.
#include "DataPathSupport.h"
#include "Log.h"
#include "image/Checksum.h"
#include "image/ImageWriter.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

using namespace zel::test;

uint32_t sumOf(const Bytes& bytes)
{
    return zel::image::byteSum(bytes);
}

// One Intel HEX record with its checksum.
std::string hexRecord(uint8_t type, uint16_t offset, const Bytes& data)
{
    std::ostringstream line;
    char field[16];
    unsigned sum = static_cast<unsigned>(data.size()) + (offset >> 8) + (offset & 0xFF) + type;
    std::snprintf(field, sizeof field, ":%02X%04X%02X", static_cast<unsigned>(data.size()), offset, type);
    line << field;
    for (uint8_t byte : data) {
        std::snprintf(field, sizeof field, "%02X", byte);
        line << field;
        sum += byte;
    }
    std::snprintf(field, sizeof field, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    line << field;
    return line.str();
}

class ImageExports : public DataPathTest {
protected:
    void SetUp() override { start({"gen=1"}); }

    std::wstring path(const std::string& name) { return (folder / name).wstring(); }

    std::string lastError() { return CliGetLastImageError(); }

    // The host buffer's size as vm_mgr names it ("vm:0x<handle>+0x<size>").
    static std::string hostSize(vm_ptr_t handle)
    {
        const char* name = vm_getPtrPath(handle);
        if (name == nullptr)
            return "freed";
        const std::string text = name;
        return text.substr(text.find('+') + 1);
    }
};

TEST_F(ImageExports, HexFileLandsInTheBufferAtTheOffsetWithSizeAndChecksum)
{
    const Bytes data = patternBytes(0x300, 1);
    // Data at 0x10000..0x102FF: the image starts at the lowest address the file fills.
    std::string text = hexRecord(4, 0, {0x00, 0x01});
    for (size_t at = 0; at < data.size(); at += 16)
        text += hexRecord(0, static_cast<uint16_t>(at), Bytes(data.begin() + at, data.begin() + at + 16));
    text += hexRecord(1, 0, {});
    writeText(folder / "image.HEX", text);

    uint32_t checksum = 0, size = 0;
    uint8_t* buffer = CliLoadFileToDLLBuffer(path("image.HEX").c_str(), &checksum, &size, 0x1000, false);
    EXPECT_EQ(buffer, CliGetDLLBuffer());
    EXPECT_EQ(size, 0x300u);
    EXPECT_EQ(checksum, sumOf(data));
    EXPECT_EQ(Bytes(buffer + 0x1000, buffer + 0x1300), data);
    EXPECT_EQ(buffer[0xFFF], 0xFF);
    EXPECT_EQ(buffer[0x1300], 0xFF);
    EXPECT_EQ(lastError(), "");
}

TEST_F(ImageExports, FailedLoadChangesNothingAndSaysWhy)
{
    const Bytes good = patternBytes(0x40, 2);
    writeFile(folder / "good.bin", good);
    uint32_t checksum = 0, size = 0;
    CliLoadFileToDLLBuffer(path("good.bin").c_str(), &checksum, &size, 0, false);
    ASSERT_EQ(size, 0x40u);

    std::string text = hexRecord(0, 0, Bytes(16, 0x11));
    std::string bad = hexRecord(0, 0x10, Bytes(16, 0x22));
    bad[bad.size() - 3] ^= 1;  // its checksum no longer matches
    writeText(folder / "bad.hex", text + bad + hexRecord(1, 0, {}));
    writeText(folder / "blank.s19", "");  // no records, no data: a failed load
    writeFile(folder / "empty.bin", {});

    for (const char* name : {"bad.hex", "missing.bin", "empty.bin", "blank.s19"}) {
        uint32_t c = 0xC0FFEE, s = 0x5EED;
        CliLoadFileToDLLBuffer(path(name).c_str(), &c, &s, 0, false);
        EXPECT_EQ(c, 0xC0FFEEu) << name;
        EXPECT_EQ(s, 0x5EEDu) << name;
        EXPECT_NE(lastError().find(name), std::string::npos) << lastError();
        EXPECT_EQ(Bytes(CliGetDLLBuffer(), CliGetDLLBuffer() + 0x40), good) << "nothing copied for " << name;
    }
    CliLoadFileToDLLBuffer(path("bad.hex").c_str(), &checksum, &size, 0, false);
    EXPECT_NE(lastError().find("line 2"), std::string::npos) << lastError();

    const auto* vector = CliOpenFile(path("good.bin").c_str(), &checksum, &size);
    ASSERT_EQ(vector->size(), 0x40u);
    vector = CliOpenFile(path("bad.hex").c_str(), &checksum, &size);
    EXPECT_TRUE(vector->empty()) << "no earlier image is left in the vector";
    EXPECT_EQ(size, 0x40u);

    uint32_t c = 7, s = 7;
    EXPECT_FALSE(CliFileCheckSum(path("bad.hex").c_str(), &c, &s));
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(s, 0u);
    EXPECT_FALSE(CliFileCheckSum(path("blank.s19").c_str(), &c, &s));
    EXPECT_EQ(s, 0u);
    EXPECT_NE(lastError().find("blank.s19: the file holds no data"), std::string::npos) << lastError();
}

TEST_F(ImageExports, ImageLargerThanTheBufferReportsItsSizeAndCopiesNothing)
{
    CliCloseZelmorProDLL();
    CliInitialZelmorProDLL();  // the 64 MiB buffer
    const uint64_t fileSize = 70ull << 20;
    Bytes big(fileSize, 0x01);
    writeFile(folder / "big.bin", big);
    uint32_t checksum = 0x1234, size = 0;
    CliLoadFileToDLLBuffer(path("big.bin").c_str(), &checksum, &size, 0, false);
    EXPECT_EQ(size, 73400320u);
    EXPECT_EQ(checksum, 0x1234u);
    EXPECT_EQ(CliGetDLLBuffer()[0], 0xFF);
    EXPECT_NE(lastError().find("big.bin"), std::string::npos);

    // `large` without the large buffer: the image still has to fit the buffer there is.
    size = 0;
    CliLoadFileToDLLBuffer(path("big.bin").c_str(), &checksum, &size, 0, true);
    EXPECT_EQ(size, 73400320u);
    EXPECT_EQ(CliGetDLLBuffer()[0], 0xFF);

    // Nor may the offset push a fitting image past the buffer's end.
    writeFile(folder / "small.bin", Bytes(0x100, 0x02));
    CliLoadFileToDLLBuffer(path("small.bin").c_str(), &checksum, &size, 0x4000000 - 0x80, false);
    EXPECT_EQ(size, 0x100u);
    EXPECT_EQ(CliGetDLLBuffer()[0x4000000 - 0x80], 0xFF);
    EXPECT_NE(lastError(), "");
}

TEST_F(ImageExports, RawFileIntoAHostBufferKeepsAtMostTheCapacity)
{
    char pattern[] = "/tmp/zel-log-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    setenv("XDG_STATE_HOME", pattern, 1);
    log_init_c("----ZelmorPro----");

    Bytes big = patternBytes(70u << 20, 3);
    writeFile(folder / "big.bin", big);
    const vm_ptr_t old = vm_alloc(16);
    vm_ptr_t host = old;
    uint32_t checksum = 0, size = 0;
    ASSERT_TRUE(CliLoadFileToDLLBuffer_ptr(path("big.bin").c_str(), &host, &checksum, &size, 0, false, 0x4000000));
    EXPECT_EQ(size, 73400320u);
    EXPECT_NE(host, old);
    EXPECT_EQ(hostSize(old), "freed");
    EXPECT_EQ(hostSize(host), "0x4000000");
    big.resize(0x4000000);
    EXPECT_EQ(checksum, sumOf(big));
    Bytes stored(0x4000000);
    ASSERT_EQ(vm_read(stored.data(), host, stored.size()), 1);
    EXPECT_TRUE(stored == big);

    // A missing file: the caller's buffer and outputs stay.
    vm_ptr_t kept = host;
    EXPECT_FALSE(CliOpenFile_ptr(path("none.bin").c_str(), &kept, &checksum, &size, 0x4000000));
    EXPECT_EQ(kept, host);
    EXPECT_EQ(size, 73400320u);
    vm_free(host);

    log_exit_c();
    std::ifstream in(std::string(pattern) + "/Varnik/Zelmor/zelmor.log");
    std::stringstream log;
    log << in.rdbuf();
    const std::string text = log.str();
    for (const std::string& line : std::vector<std::string>{
             "CFileIO::ReadToVMptr", "\t\tGetFileFormatFromExt(" + (folder / "big.bin").string() + ") is BIN(bin)",
          "CFileIO::ReadBINFile_ptr(...)", "\t\tcsPath=" + (folder / "big.bin").string(), "\t\tFileSize=0x4000000",
          "in == 0L"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    std::filesystem::remove_all(pattern);
}

TEST_F(ImageExports, HostBufferWritesAboveSixtyFourMiBLoseNoTrailingBytes)
{
    const Bytes data = patternBytes(0x4000003, 4);
    writeFile(folder / "odd.bin", data);
    vm_ptr_t host = 0;
    uint32_t checksum = 0, size = 0;
    ASSERT_TRUE(CliOpenFile_ptr(path("odd.bin").c_str(), &host, &checksum, &size, 0xFFFFFFFF));
    EXPECT_EQ(size, 0x4000003u);
    EXPECT_EQ(checksum, sumOf(data));
    Bytes stored(data.size());
    ASSERT_EQ(vm_read(stored.data(), host, stored.size()), 1);
    EXPECT_TRUE(stored == data);
    vm_free(host);
}

TEST_F(ImageExports, TextFileGoesIntoTheCallersHostBufferUnlessReplaced)
{
    const Bytes data = patternBytes(0x100, 5);
    ASSERT_TRUE(zel::image::writeIntelHex(data, folder / "image.hex"));
    const vm_ptr_t mine = vm_alloc(0x200);
    vm_ptr_t host = mine;
    uint32_t checksum = 0, size = 0;
    ASSERT_TRUE(CliLoadFileToDLLBuffer_ptr(path("image.hex").c_str(), &host, &checksum, &size, 0, false, 0x1000));
    EXPECT_EQ(host, mine);
    Bytes stored(0x100);
    ASSERT_EQ(vm_read(stored.data(), host, stored.size()), 1);
    EXPECT_EQ(stored, data);
    EXPECT_EQ(size, 0x100u);
    EXPECT_EQ(checksum, sumOf(data));

    // Capacity cuts what is stored, not the size and checksum reported.
    ASSERT_TRUE(CliOpenFile_ptr(path("image.hex").c_str(), &host, &checksum, &size, 0x80));
    EXPECT_NE(host, mine);
    EXPECT_EQ(hostSize(mine), "freed");
    EXPECT_EQ(hostSize(host), "0x80");
    EXPECT_EQ(size, 0x100u);
    EXPECT_EQ(checksum, sumOf(data));

    // An image larger than the caller's buffer is refused, the buffer untouched.
    const vm_ptr_t small = vm_alloc(0x10);
    vm_ptr_t target = small;
    EXPECT_FALSE(CliLoadFileToDLLBuffer_ptr(path("image.hex").c_str(), &target, &checksum, &size, 0, false, 0x1000));
    EXPECT_EQ(target, small);
    EXPECT_NE(lastError(), "");
    vm_free(small);
    vm_free(host);
}

TEST_F(ImageExports, SavedImagesLoadBackInEveryFormat)
{
    const Bytes data = patternBytes(0x20005, 6);
    const std::vector<uint8_t>* vector = nullptr;
    for (const char* name : {"out.bin", "out.hex", "OUT.S19"}) {
        ASSERT_TRUE(CliSaveBufferToFile(&data, path(name).c_str())) << name;
        uint32_t checksum = 0, size = 0;
        vector = CliOpenFile(path(name).c_str(), &checksum, &size);
        EXPECT_TRUE(*vector == data) << name;
        EXPECT_EQ(size, data.size());
        EXPECT_EQ(checksum, sumOf(data));
    }
    EXPECT_FALSE(CliSaveBufferToFile(&data, path("no/such/folder/out.hex").c_str()));
    EXPECT_NE(lastError(), "");
    CliClearFileBuff();
    EXPECT_TRUE(vector->empty());
    EXPECT_EQ(vector->capacity(), 0u);
}

TEST_F(ImageExports, HexRecordsKeepTheirAddressAcrossSixteenMiBAndFailPastTheLastAddress)
{
    std::string text = hexRecord(4, 0, {0x00, 0xFF});
    text += hexRecord(0, 0xFFF0, Bytes(32, 0x33));
    text += hexRecord(0, 0x0000, Bytes(4, 0x44));
    text += hexRecord(1, 0, {});
    writeText(folder / "top.hex", text);
    uint32_t checksum = 0, size = 0;
    testing::internal::CaptureStderr();
    const auto* vector = CliOpenFile(path("top.hex").c_str(), &checksum, &size);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    Bytes expected(0x10010, 0xFF);
    std::fill_n(expected.begin(), 4, 0x44);
    std::fill_n(expected.begin() + 0xFFF0, 32, 0x33);
    EXPECT_EQ(*vector, expected);

    writeText(folder / "past.hex", hexRecord(4, 0, {0xFF, 0xFF}) + hexRecord(0, 0xFFF0, Bytes(32, 0x33)));
    vector = CliOpenFile(path("past.hex").c_str(), &checksum, &size);
    EXPECT_TRUE(vector->empty());
    EXPECT_NE(lastError().find("past.hex: line 2: data record runs past address FFFFFFFF"), std::string::npos)
        << lastError();
}

TEST(ImageExportsBeforeInit, EveryExportIsInert)
{
    uint32_t checksum = 1, size = 1;
    vm_ptr_t host = 0;
    const Bytes data(4, 0);
    EXPECT_EQ(CliLoadFileToDLLBuffer(L"/nonexistent", &checksum, &size, 0, false), nullptr);
    EXPECT_FALSE(CliLoadFileToDLLBuffer_ptr(L"/nonexistent", &host, &checksum, &size, 0, false, 16));
    EXPECT_EQ(CliOpenFile(L"/nonexistent", &checksum, &size), nullptr);
    EXPECT_FALSE(CliFileCheckSum(L"/nonexistent", &checksum, &size));
    EXPECT_FALSE(CliSaveBufferToFile(&data, L"/tmp/never-written.bin"));
    EXPECT_EQ(CliGetLastImageError(), nullptr);
    CliClearFileBuff();
    uint8_t result = 0xEE;
    CliDownloadDLLBufferToZelmorPro(true, 0xFF, 0, 16, 0, false, &result, false, 0);
    CliZelmorProVerify(0, 16, 0, &result, false, 0);
    CliReadFromZelmorPro(0, 16, &result);
    EXPECT_EQ(result, 0xEE);
    EXPECT_EQ(CliReadFromZelmorProvector(0, 16, &result, false, 0), nullptr);
    EXPECT_EQ(checksum, 1u);
    EXPECT_EQ(size, 1u);
    EXPECT_FALSE(std::filesystem::exists("/tmp/never-written.bin"));
}

}  // namespace
