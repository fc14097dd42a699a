// Any bytes as a check-point table and as the target's terminal stream: parsing never fails,
// every finished row ends with its line break and only the last row may be open, the parser
// accounts for every byte it skips, and a split anywhere decodes exactly as the whole.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "ini/IniDocument.h"
#include "terminal/TerminalDecoder.h"

using namespace zel;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    terminal::Tables tables;
    tables.checkPoints = terminal::CodeTable::fromIni(ini::IniDocument::parse(text));
    tables.lookUp = tables.checkPoints;
    tables.translateCheckPoints = size % 2 == 0;

    const std::span<const uint8_t> bytes(data, size);
    terminal::TerminalDecoder whole(tables), split(tables);
    whole.feed(bytes);
    const size_t at = size == 0 ? 0 : data[0] % size;
    split.feed(bytes.first(at));
    split.feed(bytes.subspan(at));

    const auto& log = whole.log();
    require(log.rowCount() == split.log().rowCount());
    require(whole.skippedBytes() == split.skippedBytes() && whole.skippedBytes() <= size);
    for (size_t row = 0; row < log.rowCount(); ++row) {
        require(log.rowText(row) == split.log().rowText(row));
        require(!log.rowText(row).empty());
        if (row + 1 < log.rowCount()) require(log.rowText(row).back() == '\n' || log.rowText(row).size() == (3u << 18));
    }
    return 0;
}
