// The three image-file formats and how a file name selects one.
#pragma once

#include <filesystem>
#include <string_view>

namespace zel::image {

// The numeric values are the format codes the API reports.
enum class Format : int { Binary = 0, IntelHex = 1, SRecord = 2 };

// The extension is taken from the last element of the name (after the last '/' or '\') and
// runs from its last '.'; upper-cased ASCII-wise, ".HEX" selects Intel HEX and ".S19"
// S-record. Everything else, a missing extension included, is raw binary.
Format formatFromName(std::wstring_view path);
Format formatFromName(std::string_view path);
Format formatFromName(const std::filesystem::path& path);

const char* formatLabel(Format format);

}  // namespace zel::image
