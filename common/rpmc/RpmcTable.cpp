#include "rpmc/RpmcTable.h"

#include <algorithm>
#include <string>

namespace zel::rpmc {
namespace {

int hexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

std::uint8_t pairValue(wchar_t high, wchar_t low) {
    int h = hexDigitValue(high), l = hexDigitValue(low);
    return h < 0 || l < 0 ? 0 : static_cast<std::uint8_t>(h * 16 + l);
}

void writeRecord(const RpmcCounterSettings& counter, std::span<std::uint8_t> record) {
    auto value = record.subspan(1, kCounterValueBytes);
    auto key = record.subspan(1 + kCounterValueBytes, kKeyBytes);
    if (!counter.isInitialized()) {
        record[0] = 0;
        std::fill(value.begin(), value.end(), 0);
        std::fill(key.begin(), key.end(), 0xFF);
        return;
    }
    record[0] = 1;
    hexTextToBytes(counter.countValue, value);
    hexTextToBytes(counter.key, key);
}

}  // namespace

void hexTextToBytes(std::wstring_view text, std::span<std::uint8_t> out) {
    std::fill(out.begin(), out.end(), 0);
    std::wstring digits;
    if (text.size() % 2 != 0) digits = L"0";
    digits += text;
    std::wstring_view rest = digits;
    for (std::size_t i = out.size(); i > 0 && !rest.empty(); --i) {
        out[i - 1] = pairValue(rest[rest.size() - 2], rest[rest.size() - 1]);
        rest.remove_suffix(2);
    }
}

RpmcTable buildRpmcTable(const RpmcSettings& settings) {
    RpmcTable table{};
    table[0] = kRpmcOpcode;
    for (std::size_t n = 0; n < kCounterCount; ++n)
        writeRecord(settings[n], std::span(table).subspan(kFirstRecordOffset + n * kRecordSize, kRecordSize));
    return table;
}

}  // namespace zel::rpmc
