// The two command tables: the shipped files cover every opcode of the catalogue's chips, the
// readers keep the documented defaults, and our own bus-phase keys come through.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "TraceFixture.h"
#include "ini/IniDocument.h"

namespace zel::trace::test {
namespace {

// The opcodes a catalogue line says the chip answers (data/catalogue/chips.txt's columns).
std::set<int> catalogueOpcodes(const std::string& line) {
    std::istringstream in(line);
    std::string maker, chip, flashrom, size, mv, jedec, addr, fourOps, erase, reads, quad, sfdp;
    in >> maker >> chip >> flashrom >> size >> mv >> jedec >> addr >> fourOps >> erase >> reads >> quad >> sfdp;
    std::set<int> ops = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x0B, 0x60, 0x9F, 0xC7};
    if (addr != "3") ops.insert({0xB7, 0xE9});
    if (fourOps == "yes") ops.insert({0x13, 0x0C, 0x12, 0x21, 0xDC});
    if (fourOps == "yes" && erase.find("32K") != std::string::npos) ops.insert(0x5C);
    if (erase.find("4K") != std::string::npos) ops.insert(0x20);
    if (erase.find("32K") != std::string::npos) ops.insert(0x52);
    if (erase.find("64K") != std::string::npos) ops.insert(0xD8);
    const std::pair<const char*, int> fastReads[] = {{"112", 0x3B}, {"122", 0xBB}, {"114", 0x6B}, {"144", 0xEB}};
    for (auto [name, op] : fastReads)
        if (reads.find(name) != std::string::npos) ops.insert(op);
    if (quad == "sr2.1") ops.insert({0x35, 0x31});
    if (sfdp != "-") ops.insert(0x5A);
    return ops;
}

TEST(CommandTables, ShippedIoTableNamesEveryOpcodeOfTheCatalogueWithItsAddressWidth) {
    const auto& io = shippedTables().io;
    std::ifstream catalogue(ZEL_CATALOGUE);
    ASSERT_TRUE(catalogue);
    std::set<int> all;
    for (std::string line; std::getline(catalogue, line);)
        if (!line.empty() && line[0] != '#') all.merge(catalogueOpcodes(line));
    ASSERT_GT(all.size(), 25u);
    for (int op : all) {
        SCOPED_TRACE(op);
        EXPECT_TRUE(io.at(static_cast<std::uint8_t>(op)).description.has_value());
    }
    for (int op : {0x13, 0x0C, 0x12, 0x21, 0xDC, 0x5C, 0x3C, 0xBC, 0x6C, 0xEC}) {
        EXPECT_EQ(io.addressWidth(static_cast<std::uint8_t>(op), false), 4u) << op;
    }
    for (int op : {0x03, 0x02, 0x0B, 0x20, 0xD8, 0x3B, 0xEB}) {
        EXPECT_EQ(io.addressWidth(static_cast<std::uint8_t>(op), false), 3u) << op;
        EXPECT_EQ(io.addressWidth(static_cast<std::uint8_t>(op), true), 4u) << op;
    }
    EXPECT_EQ(io.addressWidth(0x5A, true), 3u);  // SFDP keeps 3 address bytes in 4-byte mode
    EXPECT_EQ(io.addressWidth(0x9F, true), 0u);
}

TEST(CommandTables, ShippedTablesSendDualAndQuadOpcodesThroughTheIoDecoderWithTheirLanes) {
    const auto& t = shippedTables();
    for (int op : {0x03, 0x0B, 0x02, 0x13, 0x9F, 0xB7})
        EXPECT_TRUE(t.commands.decodes(static_cast<std::uint8_t>(op), EmulatorModel::FirstGeneration)) << op;
    for (int op : {0x3B, 0xBB, 0x6B, 0xEB, 0x3C, 0xEC})
        EXPECT_FALSE(t.commands.decodes(static_cast<std::uint8_t>(op), EmulatorModel::G2)) << op;

    const BusPhases quadIo = t.io.phases(0xEB);
    EXPECT_EQ(quadIo.opcodeLanes, 1);
    EXPECT_EQ(quadIo.addressLanes, 4);
    EXPECT_EQ(quadIo.dummyLanes, 4);
    EXPECT_EQ(quadIo.dataLanes, 4);
    EXPECT_EQ(quadIo.data, DataDirection::In);
    EXPECT_EQ(t.io.ioMode(0xEB), 4u);
    EXPECT_EQ(t.io.phases(0x3B).dataLanes, 2);
    EXPECT_EQ(t.io.phases(0x3B).addressLanes, 1);
    EXPECT_EQ(t.io.phases(0x02).data, DataDirection::Out);
    EXPECT_EQ(t.io.phases(0x06).data, DataDirection::None);
}

TEST(CommandTables, ReadersKeepTheDocumentedDefaultsAndKeyRules) {
    const auto document = ini::IniDocument::parse(
        "[ZelmorPro command]\r\n03=Read\r\n3=too short\r\nzz=not hex\r\n0b=lower case\r\n"
        "[ZelmorProG2 command]\r\nEB=quad\r\n"
        "[7e]\r\nAddress=1\r\nDummy=2\r\nIO_Mode=3\r\nDataLanes=3\r\nDataDirection=sideways\r\n"
        "[41]\r\nDescription=" + std::string(600, 'x') + "\r\n");
    const auto commands = CommandTable::fromIni(document);
    EXPECT_TRUE(commands.decodes(0x03, EmulatorModel::FirstGeneration));
    EXPECT_TRUE(commands.decodes(0x0B, EmulatorModel::FirstGeneration));
    EXPECT_FALSE(commands.decodes(0x30, EmulatorModel::FirstGeneration));
    EXPECT_FALSE(commands.decodes(0xEB, EmulatorModel::FirstGeneration));
    EXPECT_TRUE(commands.decodes(0xEB, EmulatorModel::G2));

    const auto io = CommandIoTable::fromIni(document);
    EXPECT_EQ(io.name(0x7E), "Unknow Command(0x7e)");
    EXPECT_TRUE(io.hasAddress(0x7E));
    EXPECT_EQ(io.dummy(0x7E), 2u);
    EXPECT_EQ(io.ioMode(0x7E), 3u);
    EXPECT_EQ(io.phases(0x7E).dataLanes, 1);  // only 1, 2 and 4 lanes exist
    EXPECT_EQ(io.phases(0x7E).data, DataDirection::None);
    EXPECT_EQ(io.name(0x41), std::string(511, 'x'));  // read into a 512-character buffer
    EXPECT_EQ(io.name(0x00), "Unknow Command(0x00)");
    EXPECT_EQ(io.addressWidth(0x00, true), 0u);
}

}  // namespace
}  // namespace zel::trace::test
