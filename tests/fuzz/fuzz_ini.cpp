// Any bytes as an INI file: parsing never fails, an unchanged document is written back byte for
// byte in the 8-bit encodings, lookups respect the buffer size, and a key set is found again
// after a write and a re-read.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ini/IniDocument.h"

using namespace zel::ini;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto document = IniDocument::parse(bytes);
    if (document.encoding() == IniEncoding::Utf8 || document.encoding() == IniEncoding::Windows1252)
        require(document.serialize() == bytes);

    for (const auto& section : document.sectionNames()) {
        for (const auto& key : document.keyNames(section)) {
            require(document.hasKey(section, key));
            require(document.getString(section, key, L"", BufferUnits{65}).size() <= 64);
            document.getInt(section, key, -1);
        }
    }

    require(document.setString(L"Varnik RPMC", L"Key1", L"00112233"));
    require(document.setString(L"Fuzz Section", L"new key", L"  'quoted'  "));
    auto again = IniDocument::parse(document.serialize());
    require(again.getString(L"varnik rpmc", L"KEY1", L"") == L"00112233");
    require(again.getString(L"fuzz section", L"NEW KEY", L"") == L"quoted");
    return 0;
}
