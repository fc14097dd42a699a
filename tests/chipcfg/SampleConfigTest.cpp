// The sample chip configuration in data/samples/: it is exactly what the writer makes of its
// description (set ZEL_WRITE_SAMPLES=1 to write it again after changing the description), it
// reads back as its chip, and its SFDP table describes a chip of its size.
#include <gtest/gtest.h>

#include <cstdlib>

#include "SampleChip.h"
#include "WalkOps.h"
#include "chipcfg/ChipConfigFile.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"

namespace zel::chipcfg {
namespace {

using namespace test;

const std::filesystem::path kSample = std::filesystem::path(ZEL_SAMPLES_DIR) / kSampleFileName;

std::vector<std::uint8_t> sampleBytes() {
    auto bytes = loadChipConfigBytes(kSample);
    EXPECT_TRUE(bytes.ok()) << (bytes.ok() ? "" : bytes.error().message);
    return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

TEST(SampleConfig, CommittedFileIsTheWritersOutput) {
    if (std::getenv("ZEL_WRITE_SAMPLES") != nullptr) {
        auto saved = saveChipConfig(kSample, sampleChipDescription());
        ASSERT_TRUE(saved.ok()) << saved.error().message;
    }
    auto written = writeChipConfig(sampleChipDescription());
    ASSERT_TRUE(written.ok()) << written.error().message;
    EXPECT_EQ(sampleBytes(), written.value()) << "regenerate with ZEL_WRITE_SAMPLES=1";
}

TEST(SampleConfig, ReadsBackAsItsChip) {
    auto file = readChipConfigFile(kSample);
    ASSERT_TRUE(file.ok()) << file.error().message;
    ASSERT_TRUE(file->info.has_value());
    EXPECT_EQ(file->info->vendor(), L"Winbond");
    EXPECT_EQ(file->info->chipName(), L"W25Q16JV");
    EXPECT_EQ(file->info->voltageMillivolts, 3300);
    EXPECT_EQ(file->info->options, (ChipOptions{true, false, false}));
    EXPECT_EQ(file->chipSize(), 2u << 20);
    EXPECT_TRUE(file->hasSfdp);
    EXPECT_TRUE(checkChipName(file->info->chipName()).ok());
    EXPECT_EQ(std::string(kSampleFileName), zel::text::wideToUtf8(file->info->chipName()) + ".cfg") << "named after its chip";
}

// The SFDP table as the device receives it, word by word, back into bytes.
std::vector<std::uint8_t> sfdpTableOf(std::span<const std::uint8_t> file) {
    std::vector<std::uint8_t> table;
    for (const auto& op : walkOf(file)) {
        const auto* write = std::get_if<RegisterWrite>(&op);
        if (write == nullptr || write->kind != WriteKind::SfdpData) continue;
        table.push_back(static_cast<std::uint8_t>(write->value));
        table.push_back(static_cast<std::uint8_t>(write->value >> 8));
    }
    return table;
}

TEST(SampleConfig, SfdpTableParsesAndGivesTheChipSize) {
    const auto file = sampleBytes();
    const auto table = sfdpTableOf(file);
    ASSERT_GE(table.size(), 16u);
    EXPECT_EQ(readLe32(table, 0), kSfdpSignature);
    EXPECT_EQ(table[6], 0) << "one parameter header";
    // The basic flash parameter table: ID 0x00/0xFF, its words inside the table.
    EXPECT_EQ(table[8], 0x00);
    EXPECT_EQ(table[15], 0xFF);
    const std::size_t words = table[11];
    const std::size_t pointer = table[12] | table[13] << 8 | table[14] << 16;
    ASSERT_GE(words, 9u);
    ASSERT_LE(pointer + 4 * words, table.size());
    const std::uint32_t density = readLe32(table, pointer + 4);
    ASSERT_EQ(density & 0x80000000u, 0u) << "density given in bits, minus one";
    EXPECT_EQ((std::uint64_t{density} + 1) / 8, readChipConfig(file)->chipSize());
}

}  // namespace
}  // namespace zel::chipcfg
