// Reading the chip catalogue text: one chip per line in whitespace-separated columns, "#" starts
// a comment line. Every problem is reported with its line, and reading goes on past it, so one
// run of the builder lists them all.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ChipEntry.h"

namespace zel::catalogue {

struct Problem {
    int line = 0;  // 0: the catalogue as a whole
    std::string message;
};

struct Catalogue {
    std::vector<ChipEntry> chips;
    std::vector<Problem> problems;
};

inline constexpr std::size_t kColumnCount = 13;

Catalogue parseCatalogue(std::string_view text);

// The file's catalogue; nullopt when the file cannot be read.
std::optional<Catalogue> loadCatalogue(const std::filesystem::path& file);

std::string describe(const Problem& problem, const std::string& source);

}  // namespace zel::catalogue
