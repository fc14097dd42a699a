// The terminal's receive side: messages found in a stream with garbage in it, their texts, the
// rows they make and the check points, and the tables read from INI files.
#include "TempDir.h"
#include "terminal/CodeTable.h"
#include "terminal/OpcodeVeto.h"
#include "terminal/TerminalDecoder.h"

#include <gtest/gtest.h>

namespace zel::terminal {
namespace {

using test::TempDir;
using test::writeBytes;

using Bytes = std::vector<uint8_t>;

Bytes message(uint8_t type, const Bytes& payload) {
    Bytes bytes{0x40, 0x44, 0x36, 0x47, type, static_cast<uint8_t>(payload.size())};
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes text(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<std::string> rows(const TerminalLog& log) {
    std::vector<std::string> out;
    for (size_t i = 0; i < log.rowCount(); ++i) out.push_back(log.prefixedRow(i));
    return out;
}

TEST(TerminalParser, BrokenHeadersRestartAtTheByteThatBrokeThemAndMessagesSurviveAnySplit) {
    // A header cut short by the start of a real one, a lone first byte, a bare message of zero
    // bytes and a message split across calls.
    const Bytes stream = Bytes{0x40, 0x44, 0x36} + message(5, text("Hi")) + Bytes{0x40, 0x99} + message(4, {}) +
                         Bytes{0x47} + message(4, {1, 2, 3});
    for (size_t piece : {stream.size(), size_t{1}, size_t{4}}) {
        MessageParser parser;
        std::vector<Message> got;
        for (size_t at = 0; at < stream.size(); at += piece)
            parser.feed(std::span(stream).subspan(at, std::min(piece, stream.size() - at)),
                        [&](const Message& m) { got.push_back(m); });
        ASSERT_EQ(got.size(), 3u) << "pieces of " << piece;
        EXPECT_EQ(got[0].type, 5);
        EXPECT_EQ(got[0].payload, text("Hi"));
        EXPECT_TRUE(got[1].payload.empty());
        EXPECT_EQ(got[2].payload, (Bytes{1, 2, 3}));
        EXPECT_EQ(parser.skippedBytes(), 6u) << "40 44 36, 40 99, 47";
        EXPECT_FALSE(parser.insideMessage());
    }
}

TEST(TerminalText, EveryTypeReadsAsTheTerminalShowsIt) {
    TempDir dir;
    writeBytes(dir / "lookup.txt", "[Varnik]\r\n1234=Voltage is\r\n");
    writeBytes(dir / "ckp.txt", "[Varnik]\r\nA0b1=Memory ready\r\n");
    std::error_code error;
    Tables tables{*CodeTable::load(dir / "lookup.txt", error), *CodeTable::load(dir / "ckp.txt", error), false};

    auto render = [&](uint8_t type, const Bytes& payload) { return renderMessage({type, payload}, tables); };
    EXPECT_EQ(render(4, {0x01, 0xAB}).text, "01 ab ");
    EXPECT_EQ(render(5, text("Hi")).text, "Hi");
    EXPECT_EQ(render(6, {0x06, 0x42, 0x2C, 0x40}).text, "1.05000000 Seconds\n") << "105,000,000 units";
    EXPECT_EQ(render(6, {0x05}).text, "0.00000005 Seconds\n");
    EXPECT_EQ(render(7, {0x12, 0x34, '7'}).text, "Voltage is 7\n");
    EXPECT_EQ(render(7, {0x99, 0x99, '7'}).text, "Reading the SPI Hyper-Terminal Look Up Table Failed!. 7\n");
    EXPECT_EQ(render(9, {1}).kind, TextKind::Other);

    const auto plain = render(2, {0xA0, 0xB1});
    EXPECT_EQ(plain.kind, TextKind::CheckPoint);
    EXPECT_EQ(plain.text, "a0b1\n");
    tables.translateCheckPoints = true;
    EXPECT_EQ(render(1, {0xA0, 0xB1}).text, "a0b1 Memory ready\n") << "keys match in any case";
    EXPECT_EQ(render(1, {0x01}).text, "01  \n") << "a missing check point reads as a blank";
    EXPECT_EQ(*render(1, {0xA0, 0xB1}).checkPoint, "a0b1\n") << "the list keeps the untranslated code";
}

TEST(TerminalDecoder, RowsFollowLineBreaksAndTypeChangesAndCheckPointsKeepTheirType) {
    TerminalDecoder decoder;
    decoder.feed(message(5, text("Hel")) + message(5, text("lo\nwor")) + message(4, {0x0F}) + message(3, {0x7E}) +
                 message(6, {0x01}) + message(5, text("end")));
    EXPECT_EQ(rows(decoder.log()), (std::vector<std::string>{"#0  Hello\n", "#1  wor\n", "#2  0f \n", "#3  7e\n",
                                                              "#4  0.00000001 Seconds\n", "#5  end"}))
        << "a type change after a finished row makes no empty row";
    EXPECT_EQ(decoder.log().rowKind(2), TextKind::Hex);
    EXPECT_EQ(decoder.log().rowKind(3), TextKind::CheckPoint);
    EXPECT_EQ(decoder.log().rowKind(5), TextKind::Ascii);
    ASSERT_EQ(decoder.checkPoints().size(), 1u);
    EXPECT_EQ(decoder.checkPoints()[0].code, "7e\n");
    EXPECT_EQ(decoder.checkPoints()[0].type, 3);
    EXPECT_EQ(decoder.messages(), 6u);

    decoder.clear();
    EXPECT_EQ(decoder.log().rowCount(), 0u);
    decoder.feed(message(5, text("again\n")));
    EXPECT_EQ(rows(decoder.log()), (std::vector<std::string>{"#0  again\n"}));
}

TEST(TerminalLog, AnEndlessRowIsContinuedOnTheNextRowAndManyRowsStayCompact) {
    TerminalLog log;
    const std::string chunk(300 * 1024, 'x');
    for (int i = 0; i < 4; ++i) log.append(chunk, TextKind::Hex);
    ASSERT_EQ(log.rowCount(), 2u);  // 1.2 MB: a full row and the rest
    EXPECT_EQ(log.rowText(0).size(), 3u << 18);
    EXPECT_EQ(log.rowText(0).size() + log.rowText(1).size(), 4 * chunk.size());

    log.clear();
    for (int i = 0; i < 100000; ++i) log.append("row " + std::to_string(i) + "\n", TextKind::Ascii);
    EXPECT_EQ(log.prefixedRow(99999), "#99999  row 99999\n");
    EXPECT_LT(log.memoryBytes(), 100000u * 48) << "an index entry and the text, not an object a row";
}

TEST(TerminalTables, KeysAreCaseBlindTextsKeepTheirBufferAndAMissingFileIsAnError) {
    TempDir dir;
    writeBytes(dir / "t.txt", "[Other]\nab=no\n[varnik]\nAB=" + std::string(600, 'y') + "\n");
    std::error_code error;
    const auto table = CodeTable::load(dir / "t.txt", error);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->size(), 1u);
    EXPECT_EQ(table->find("ab")->size(), 499u) << "a 500-character buffer";
    EXPECT_FALSE(CodeTable::load(dir / "none.txt", error));
    EXPECT_TRUE(error);
}

}  // namespace
}  // namespace zel::terminal

namespace zel::terminal {
namespace {

TEST(TerminalOpcodeVeto, AMakersOwnOpcodesAreRefusedWholeNameAnyCase) {
    EXPECT_TRUE(opcodeUsedByMaker("Winbond", 0x9F));
    EXPECT_TRUE(opcodeUsedByMaker("winbond", 0x04));
    EXPECT_FALSE(opcodeUsedByMaker("winbond", 0x11));
    EXPECT_FALSE(opcodeUsedByMaker("Winbond Electronics", 0x9F)) << "compared whole";
    EXPECT_FALSE(opcodeUsedByMaker("NoSuchMaker", 0x9F));
    EXPECT_FALSE(opcodeUsedByMaker("sanyo", 0x01));
    EXPECT_TRUE(opcodeUsedByMaker("sanyo", 0xDB));
    EXPECT_TRUE(opcodeUsedByMaker("MACRONIX", 0xC1));
}

}  // namespace
}  // namespace zel::terminal
