// The generated SFDP tables read back with an independent JESD216 reader: header, parameter
// headers, density, erase types, fast reads, addressing, the 4-byte address and status register
// methods, the typical times and the 4-byte instruction table.
#include <gtest/gtest.h>

#include "CatalogueData.h"
#include "SfdpReader.h"
#include "SfdpTable.h"

namespace zel::catalogue {
namespace {

using test::basicFields;
using test::readSfdp;
using test::SfdpEraseType;
using test::shippedChips;

std::vector<SfdpEraseType> expectedEraseTypes(const ChipEntry& chip) {
    std::vector<SfdpEraseType> types;
    if (chip.eraseSizes & erase::k4K) types.push_back({4096, 0x20});
    if (chip.eraseSizes & erase::k32K) types.push_back({32768, 0x52});
    if (chip.eraseSizes & erase::k64K) types.push_back({65536, 0xD8});
    return types;
}

unsigned expectedMinor(SfdpRevision revision) {
    return revision == SfdpRevision::V1_6 ? 6 : revision == SfdpRevision::V1_5 ? 5 : 0;
}

void expectFastReads(const ChipEntry& chip, const test::BasicFields& f) {
    EXPECT_EQ(f.read112, (chip.fastReads & fastread::k112) != 0);
    EXPECT_EQ(f.read122, (chip.fastReads & fastread::k122) != 0);
    EXPECT_EQ(f.read114, (chip.fastReads & fastread::k114) != 0);
    EXPECT_EQ(f.read144, (chip.fastReads & fastread::k144) != 0);
    EXPECT_EQ(f.opcode112, f.read112 ? 0x3B : 0x00);
    EXPECT_EQ(f.opcode122, f.read122 ? 0xBB : 0x00);
    EXPECT_EQ(f.opcode114, f.read114 ? 0x6B : 0x00);
    EXPECT_EQ(f.opcode144, f.read144 ? 0xEB : 0x00);
}

void expectLongForm(const ChipEntry& chip, const test::LongFormFields& f) {
    EXPECT_EQ(f.pageBytes, 256u);
    const unsigned qer = chip.quad == QuadEnable::StatusBit6 ? 2 : chip.quad == QuadEnable::Status2Bit1 ? 5 : 0;
    EXPECT_EQ(f.quadEnableRequirement, qer);
    const bool switches = chip.addressMode == AddressMode::Switchable;
    EXPECT_EQ(f.enterFourByte, (test::EnterFourByteMethods{.b7 = switches,
                                                           .dedicatedInstructionSet = chip.fourByteOpcodes,
                                                           .always = chip.addressMode == AddressMode::FourByte}));
    EXPECT_EQ(f.exitFourByte, (test::ExitFourByteMethods{.e9 = switches}));
    // Status register 1 keeps what was last written, and 0x01 writes it after 0x06.
    EXPECT_EQ(f.status1Write, (test::Status1WriteMethods{.nonVolatileAfter06 = true}));
}

void expectFourByteTable(const ChipEntry& chip, const test::SfdpTableView& view) {
    const auto* table = view.find(0xFF84);
    ASSERT_EQ(table != nullptr, chip.sfdp == SfdpRevision::V1_6 && chip.fourByteOpcodes);
    if (!table) return;
    ASSERT_EQ(table->dwords.size(), 2u);
    const auto supported = table->dwords[0];
    EXPECT_EQ(supported & 0x43, 0x43u) << "0x13 read, 0x0C fast read, 0x12 page program";
    std::vector<std::uint8_t> opcodes;
    for (unsigned type = 0; type < 4; ++type)
        if (supported & (1u << (9 + type))) opcodes.push_back(static_cast<std::uint8_t>(table->dwords[1] >> (8 * type)));
    std::vector<std::uint8_t> expected;
    for (auto type : expectedEraseTypes(chip))
        expected.push_back(type.opcode == 0x20 ? 0x21 : type.opcode == 0x52 ? 0x5C : 0xDC);
    EXPECT_EQ(opcodes, expected);
}

TEST(SfdpTables, ReadBackAsTheCatalogueDescribesTheChip) {
    for (const auto& chip : shippedChips()) {
        if (!chip.hasSfdp()) continue;
        SCOPED_TRACE(chip.chip);
        const auto bytes = sfdp::buildTable(chip);
        std::string why;
        const auto view = readSfdp(bytes, why);
        ASSERT_TRUE(view) << why;
        EXPECT_EQ(view->major, 1);
        EXPECT_EQ(view->minor, expectedMinor(chip.sfdp));
        EXPECT_EQ(view->accessProtocol, 0xFF);
        ASSERT_FALSE(view->parameters.empty());
        const auto& basic = view->parameters.front();
        ASSERT_EQ(basic.id, 0xFF00) << "the basic table comes first";
        EXPECT_EQ(basic.dwords.size(), chip.sfdp == SfdpRevision::V1_0 ? 9u : 16u);
        EXPECT_EQ(basic.minor, view->minor);

        const auto f = basicFields(basic.dwords);
        EXPECT_EQ(f.densityBytes, chip.size);
        EXPECT_EQ(f.eraseTypes, expectedEraseTypes(chip));
        const bool has4K = chip.eraseSizes & erase::k4K;
        EXPECT_EQ(f.uniform4KErase, has4K);
        EXPECT_EQ(f.erase4KOpcode, has4K ? 0x20 : 0xFF);
        const unsigned addressBytes = chip.addressMode == AddressMode::ThreeByte ? 0
                                      : chip.addressMode == AddressMode::Switchable ? 1
                                                                                     : 2;
        EXPECT_EQ(f.addressBytes, addressBytes);
        expectFastReads(chip, f);
        EXPECT_EQ(f.longForm.has_value(), basic.dwords.size() == 16);
        if (f.longForm) expectLongForm(chip, *f.longForm);
        expectFourByteTable(chip, *view);
    }
}

// A typical time reads back as the intended one, rounded up by less than its unit.
void expectTypical(const test::SfdpTime& read, std::uint32_t intended, const char* what) {
    EXPECT_TRUE(read.value >= intended && read.value - intended < read.unit)
        << what << " reads as " << read << " for " << intended;
}

std::uint32_t intendedEraseMs(std::uint32_t bytes) { return bytes == 4096 ? 45 : bytes == 32768 ? 120 : 150; }

TEST(SfdpTables, TypicalTimesReadBackAsIntended) {
    for (const auto& chip : shippedChips()) {
        if (chip.sfdp != SfdpRevision::V1_5 && chip.sfdp != SfdpRevision::V1_6) continue;
        SCOPED_TRACE(chip.chip);
        std::string why;
        const auto view = readSfdp(sfdp::buildTable(chip), why);
        ASSERT_TRUE(view) << why;
        const auto f = basicFields(view->parameters.front().dwords);
        ASSERT_TRUE(f.longForm);
        expectTypical(f.longForm->pageProgramUs, 700, "page program, us");
        expectTypical(f.longForm->firstByteProgramUs, 30, "first byte program, us");
        expectTypical(f.longForm->additionalByteProgramUs, 3, "additional byte program, us");
        expectTypical(f.longForm->chipEraseMs, static_cast<std::uint32_t>(std::uint64_t{chip.size} * 2500 >> 20),
                      "chip erase (2.5 s per MiB), ms");
        for (std::size_t i = 0; i < f.eraseTypes.size(); ++i)
            expectTypical(f.longForm->eraseTypicalMs[i], intendedEraseMs(f.eraseTypes[i].bytes), "erase type, ms");
    }
}

TEST(SfdpTables, ChipsWithoutSfdpGetNoTable) {
    for (const auto& chip : shippedChips())
        if (!chip.hasSfdp()) {
            EXPECT_TRUE(sfdp::buildTable(chip).empty()) << chip.chip;
        }
}

// Sizes above what the catalogue ships use the other density form, which hosts read as 2^N bits.
TEST(SfdpTables, DensityAbove2GbitIsAPowerOfTwoOfBits) {
    ChipEntry chip;
    chip.size = 0x80000000u;  // 2 GiB = 16 Gbit
    chip.eraseSizes = erase::k64K;
    chip.sfdp = SfdpRevision::V1_0;
    std::string why;
    const auto view = readSfdp(sfdp::buildTable(chip), why);
    ASSERT_TRUE(view) << why;
    EXPECT_EQ(view->parameters.front().dwords[1], 0x80000022u);
    EXPECT_EQ(basicFields(view->parameters.front().dwords).densityBytes, 0x80000000u);
    chip.size = 256u << 20;  // 2 Gbit still fits the bits - 1 form
    EXPECT_EQ(readSfdp(sfdp::buildTable(chip), why)->parameters.front().dwords[1], 0x7FFFFFFFu);
}

}  // namespace
}  // namespace zel::catalogue
