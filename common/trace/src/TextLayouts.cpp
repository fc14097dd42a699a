// The one table of the writers' fixed strings. Entries marked "given" are the documented layouts
// of the result writer and the full-trace writer; the others ("ours") follow the same scheme on
// the columns of their writer's header: the opcode at column 26, then
//
//                      translation off                       translation on
//   result             address 33, data 50, indent 38        address 61, data 75, indent 70
//   full trace         address 34 (3-byte) / 33 (4-byte),    as the result writer (its name pads)
//                      data 51, indent 51                    indent 80
//   continuous         address 29, data 40 (41 after a       address 61, data 72 (73 after a
//                      4-byte address), indent 40           4-byte address), indent 72
//
// Undecoded opcodes (ours): the opcode, padded to the data column, then every byte the I/O
// decoder makes, "%02x " each (dummy bytes left out).
#include "trace/TextLayouts.h"

#include <initializer_list>
#include <iterator>
#include <utility>

namespace zel::trace {
namespace {

using S = CommandShape;

struct Entry {
    S shape;
    CommandFieldLayout layout;
};

std::array<CommandFieldLayout, kCommandShapeCount> byShape(std::initializer_list<Entry> entries) {
    std::array<CommandFieldLayout, kCommandShapeCount> table{};
    for (const auto& e : entries) table[static_cast<std::size_t>(e.shape)] = e.layout;
    return table;
}

// Translated fields of the result writer; the full-trace writer pads its names the same way.
constexpr CommandFieldLayout kResultOn[] = {
    /* OpcodeOnly */ {{}, 49, "", 0},  // given
    /* Bytes1 */ {{}, 49, "%02X", 1},  // given
    /* Bytes2 */ {{}, 49, "%02X %02X", 2},  // given
    /* Bytes3 */ {{}, 49, "%02X %02X %02X", 3},  // given
    /* Addr3 */ {{}, 49, "%02X %02X %02X", 3},  // given (4 bytes)
    /* Bytes4 */ {{}, 46, "%02X %02X %02X %02X", 1},  // given
    /* Bytes5 */ {{}, 46, "%02X %02X %02X %02X %02X ", 2},  // ours
    /* Addr3Data1 */ {{}, 35, "%02X %02X %02X      %02X", 1},  // given
    /* Addr3Dummy */ {{}, 35, "%02X %02X %02X      ", 0},  // given
    /* Addr4 */ {{}, 35, "%02X %02X %02X %02X", 0},  // given
    /* Addr3Data2 */ {{}, 35, "%02X %02X %02X      %02X %02X ", 2},  // given
    /* Addr3Dummy1Data1 */ {{}, 35, "%02X %02X %02X      %02X ", 1},  // given
    /* Addr3DummyOnly */ {{}, 35, "%02X %02X %02X      ", 0},  // given
    /* Addr4Data1 */ {{}, 35, "%02X %02X %02X %02X   %02X ", 1},  // given
    /* Addr4Dummy */ {{}, 35, "%02X %02X %02X %02X   ", 0},  // given
    /* Undecoded */ {{}, 49, "", 0},  // ours
};

static_assert(std::size(kResultOn) == kCommandShapeCount);

CommandFieldLayout withPlain(const CommandFieldLayout& translated, std::string_view plain) {
    return {plain, translated.namePad, translated.translated, translated.dataBytes};
}

std::array<CommandFieldLayout, kCommandShapeCount> resultFields() {
    auto t = [](S s) { return kResultOn[static_cast<std::size_t>(s)]; };
    return byShape({
        {S::OpcodeOnly, withPlain(t(S::OpcodeOnly), "%02X")},
        {S::Bytes1, withPlain(t(S::Bytes1), "%02X                      %02X")},
        {S::Bytes2, withPlain(t(S::Bytes2), "%02X                      %02X %02X")},
        {S::Bytes3, withPlain(t(S::Bytes3), "%02X                      %02X %02X %02X")},
        {S::Addr3, withPlain(t(S::Addr3), "%02X                      %02X %02X %02X")},
        {S::Bytes4, withPlain(t(S::Bytes4), "%02X     %02X %02X %02X         %02X")},
        {S::Bytes5, withPlain(t(S::Bytes5), "%02X     %02X %02X %02X         %02X %02X ")},
        {S::Addr3Data1, withPlain(t(S::Addr3Data1), "%02X     %02X %02X %02X         %02X")},
        {S::Addr3Dummy, withPlain(t(S::Addr3Dummy), "%02X     %02X %02X %02X         ")},
        {S::Addr4, withPlain(t(S::Addr4), "%02X     %02X %02X %02X %02X")},
        {S::Addr3Data2, withPlain(t(S::Addr3Data2), "%02X     %02X %02X %02X         %02X %02X ")},
        {S::Addr3Dummy1Data1, withPlain(t(S::Addr3Dummy1Data1), "%02X     %02X %02X %02X         %02X ")},
        {S::Addr3DummyOnly, withPlain(t(S::Addr3DummyOnly), "%02X     %02X %02X %02X         ")},
        {S::Addr4Data1, withPlain(t(S::Addr4Data1), "%02X     %02X %02X %02X %02X      %02X ")},
        {S::Addr4Dummy, withPlain(t(S::Addr4Dummy), "%02X     %02X %02X %02X %02X      ")},
        {S::Undecoded, withPlain(t(S::Undecoded), "%02X                      ")},
    });
}

std::array<CommandFieldLayout, kCommandShapeCount> fullTraceFields() {
    auto t = [](S s) { return kResultOn[static_cast<std::size_t>(s)]; };
    // Bytes shapes put the opcode's bytes in the data column, as the documented 2- to 4-byte
    // rows and the Read ID row do.
    auto bytes = [&](S s, std::string_view plain, std::uint8_t count) {
        auto layout = withPlain(t(s), plain);
        layout.dataBytes = count;
        return Entry{s, layout};
    };
    return byShape({
        {S::OpcodeOnly, withPlain(t(S::OpcodeOnly), "%02X")},                                 // given
        bytes(S::Bytes1, "%02X                       %02X", 1),                                 // given
        bytes(S::Bytes2, "%02X                       %02X %02X", 2),                            // given
        bytes(S::Bytes3, "%02X                       %02X %02X %02X", 3),                       // given
        bytes(S::Addr3, "%02X                       %02X %02X %02X", 3),                        // given
        bytes(S::Bytes4, "%02X                       %02X %02X %02X %02X", 4),                  // given (Read ID)
        bytes(S::Bytes5, "%02X                       %02X %02X %02X %02X %02X", 5),             // ours
        {S::Addr3Data1, withPlain(t(S::Addr3Data1), "%02X      %02X %02X %02X         %02X")},  // given
        {S::Addr3Dummy, withPlain(t(S::Addr3Dummy), "%02X      %02X %02X %02X         ")},      // given
        {S::Addr4, withPlain(t(S::Addr4), "%02X     %02X %02X %02X %02X")},                     // given
        {S::Addr3Data2, withPlain(t(S::Addr3Data2), "%02X      %02X %02X %02X         %02X %02X")},      // ours
        {S::Addr3Dummy1Data1, withPlain(t(S::Addr3Dummy1Data1), "%02X      %02X %02X %02X         %02X")},  // ours
        {S::Addr3DummyOnly, withPlain(t(S::Addr3DummyOnly), "%02X      %02X %02X %02X         ")},         // ours
        {S::Addr4Data1, withPlain(t(S::Addr4Data1), "%02X     %02X %02X %02X %02X       %02X")},           // ours
        {S::Addr4Dummy, withPlain(t(S::Addr4Dummy), "%02X     %02X %02X %02X %02X       ")},               // ours
        {S::Undecoded, withPlain(t(S::Undecoded), "%02X                       ")},                         // ours
    });
}

// All ours: the continuous writer's strings are left open by the documents.
std::array<CommandFieldLayout, kCommandShapeCount> continuousFields() {
    return byShape({
        {S::OpcodeOnly, {"%02X", 46, "", 0}},
        {S::Bytes1, {"%02X            %02X", 46, "%02X", 1}},
        {S::Bytes2, {"%02X            %02X %02X", 46, "%02X %02X", 2}},
        {S::Bytes3, {"%02X            %02X %02X %02X", 46, "%02X %02X %02X", 3}},
        {S::Addr3, {"%02X %02X %02X %02X", 35, "%02X %02X %02X", 0}},
        {S::Bytes4, {"%02X            %02X %02X %02X %02X", 46, "%02X %02X %02X %02X", 4}},
        {S::Bytes5, {"%02X            %02X %02X %02X %02X %02X", 46, "%02X %02X %02X %02X %02X", 5}},
        {S::Addr3Data1, {"%02X %02X %02X %02X   %02X", 35, "%02X %02X %02X   %02X", 1}},
        {S::Addr3Dummy, {"%02X %02X %02X %02X   ", 35, "%02X %02X %02X   ", 0}},
        {S::Addr4, {"%02X %02X %02X %02X %02X", 35, "%02X %02X %02X %02X", 0}},
        {S::Addr3Data2, {"%02X %02X %02X %02X   %02X %02X", 35, "%02X %02X %02X   %02X %02X", 2}},
        {S::Addr3Dummy1Data1, {"%02X %02X %02X %02X   %02X", 35, "%02X %02X %02X   %02X", 1}},
        {S::Addr3DummyOnly, {"%02X %02X %02X %02X   ", 35, "%02X %02X %02X   ", 0}},
        {S::Addr4Data1, {"%02X %02X %02X %02X %02X %02X", 35, "%02X %02X %02X %02X %02X", 1}},
        {S::Addr4Dummy, {"%02X %02X %02X %02X %02X ", 35, "%02X %02X %02X %02X ", 0}},
        {S::Undecoded, {"%02X            ", 46, "", 0}},
    });
}

const WriterLayout kFullTrace{
    {"TIMESTAMP(s)    CNT      CMD     ADDRESS        DATA\n",
     "TIMESTAMP(s)    CNT       CMD                                ADDRESS        DATA\n"},
    {87, 119},
    {51, 80},
    fullTraceFields()};

const WriterLayout kResult{
    {"\nTIMESTAMP(s)    CNT       CMD    ADDRESS          DATA\n",
     "\nTIMESTAMP(s)    CNT      CMD                                 ADDRESS      DATA\n"},
    {87, 119},
    {38, 70},
    resultFields()};

const WriterLayout kContinuous{
    {"TIMESTAMP(s)    CNT      CMD ADDRESS    DATA\n",
     "TIMESTAMP(s)    CNT      CMD                                 ADDRESS    DATA\n"},
    {87, 119},
    {40, 72},
    continuousFields()};

}  // namespace

const WriterLayout& writerLayout(WriterKind kind) {
    switch (kind) {
    case WriterKind::Result: return kResult;
    case WriterKind::Continuous: return kContinuous;
    case WriterKind::FullTrace: break;
    }
    return kFullTrace;
}

}  // namespace zel::trace
