#include "image/ImageReader.h"
#include "image/RecordReading.h"

namespace zel::image {
namespace detail {

ReadResult readIntelHexBlocks(const std::filesystem::path& path, size_t blockSize) {
    return assembleFile(path, blockSize, [](std::string_view name, size_t size) { return IntelHexAssembler(name, size); });
}

ReadResult readSRecordBlocks(const std::filesystem::path& path, size_t blockSize) {
    return assembleFile(path, blockSize, [](std::string_view name, size_t size) { return SRecordAssembler(name, size); });
}

}  // namespace detail

ReadResult readIntelHex(const std::filesystem::path& path, const WarningSink&) {
    return detail::readIntelHexBlocks(path, detail::FileLines::kDefaultBlockSize);
}

ReadResult readSRecord(const std::filesystem::path& path) {
    return detail::readSRecordBlocks(path, detail::FileLines::kDefaultBlockSize);
}

ReadResult parseIntelHex(std::string_view text, std::string_view name, const WarningSink&) {
    detail::IntelHexAssembler assembler(name, text.size());
    detail::MemoryLines lines(text);
    return detail::assembleLines(lines, assembler, name);
}

ReadResult parseSRecord(std::string_view text, std::string_view name) {
    detail::SRecordAssembler assembler(name, text.size());
    detail::MemoryLines lines(text);
    return detail::assembleLines(lines, assembler, name);
}

}  // namespace zel::image
