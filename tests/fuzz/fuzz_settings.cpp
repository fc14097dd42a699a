// Any bytes as the settings document: loading never crashes, and a usable document takes a
// changed and a new attribute, saves to memory and reads back with both.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/SettingsDocument.h"

using namespace zel::settings;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

const std::wstring kValue = L"C:\\images\\a&b <\"x\">\t'y'.hex";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (auto lookup : {RootLookup::FirstElement, RootLookup::Preferences}) {
        auto document = SettingsDocument::parse(bytes, lookup);
        if (!document.isUsable()) {
            require(!document.set("LastLoadedFile", kValue) && !document.serialize());
            continue;
        }
        require(document.set("LastSetChipType", L"W25Q64"));
        require(document.set("FuzzAddedKey", kValue));
        auto saved = document.serialize();
        // A declared legacy encoding may not round-trip through every converter; the others must.
        if (document.encoding().kind == XmlEncodingKind::Declared && !saved) continue;
        require(saved.has_value());
        auto back = SettingsDocument::parse(*saved, lookup);
        if (document.encoding().kind == XmlEncodingKind::Declared) continue;
        require(back.isUsable());
        require(back.encoding() == document.encoding());
        require(back.get("LastSetChipType") == L"W25Q64");
        require(back.get("FuzzAddedKey") == kValue);
    }
    return 0;
}
