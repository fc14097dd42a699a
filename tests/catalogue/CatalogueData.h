// The shipped catalogue and the files the build made from it, for every catalogue test.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "CatalogueReader.h"

namespace zel::catalogue::test {

inline const std::filesystem::path kCatalogueFile = ZEL_CATALOGUE_FILE;
inline const std::filesystem::path kProgramFolder = ZEL_PROGRAM_FOLDER;

// The catalogue as the builder reads it; an unreadable file gives a catalogue with one problem.
inline const Catalogue& shippedCatalogue() {
    static const Catalogue catalogue = [] {
        auto loaded = loadCatalogue(kCatalogueFile);
        if (!loaded) return Catalogue{{}, {{0, "cannot read " + kCatalogueFile.string()}}};
        return *loaded;
    }();
    return catalogue;
}

inline const std::vector<ChipEntry>& shippedChips() { return shippedCatalogue().chips; }

}  // namespace zel::catalogue::test
