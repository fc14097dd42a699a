// Any bytes as a .rpmc file: the table is always 164 bytes with its header, each record is
// either initialised (flag 1) or blank (flag 0, value 0, key 0xFF), and the settings texts have
// their fixed lengths.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "rpmc/RpmcTable.h"

using namespace zel::rpmc;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto settings = readRpmcSettings(zel::ini::IniDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size)));
    auto table = buildRpmcTable(settings);
    static_assert(sizeof(table) == 164);
    require(table[0] == kRpmcOpcode);
    for (std::size_t i = 1; i < kFirstRecordOffset; ++i) require(table[i] == 0);
    for (std::size_t n = 0; n < kCounterCount; ++n) {
        const auto* record = table.data() + kFirstRecordOffset + n * kRecordSize;
        require(record[0] == (settings[n].isInitialized() ? 1 : 0));
        if (record[0] == 0) {
            for (std::size_t i = 1; i <= kCounterValueBytes; ++i) require(record[i] == 0);
            for (std::size_t i = 1 + kCounterValueBytes; i < kRecordSize; ++i) require(record[i] == 0xFF);
        }
        require(settings[n].initialized.size() <= 64);
    }
    auto changes = rpmcSettingChanges(settings);
    require(changes.size() == 1 + 3 * kCounterCount);
    for (std::size_t n = 0; n < kCounterCount; ++n) {
        require(changes[2 + 3 * n].value.size() == kCountValueDigits);
        require(changes[3 + 3 * n].value.size() == kKeyDigits);
    }
    return 0;
}
