// Feeds the lines of a text image file to a record assembler. The block size is a parameter
// so that tests can make lines straddle block boundaries.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "fileio/RegularFile.h"
#include "image/ImageReader.h"
#include "image/IntelHexAssembler.h"
#include "image/ReadErrors.h"
#include "image/SRecordAssembler.h"
#include "image/TextLines.h"

namespace zel::image::detail {

template <class Lines, class Assembler>
ReadResult assembleLines(Lines& lines, Assembler& assembler, std::string_view fileName) {
    std::string_view line;
    for (;;) {
        switch (lines.next(line)) {
        case LineStatus::Line:
            if (!assembler.addLine(line, lines.lineNumber())) return assembler.error();
            break;
        case LineStatus::End:
            return assembler.finish();
        case LineStatus::ReadError:
            return fileError(ReadFailure::CannotRead, fileName, "read error");
        }
    }
}

// make(fileName, fileSize) builds the assembler once the file is open.
template <class MakeAssembler>
ReadResult assembleFile(const std::filesystem::path& path, size_t blockSize, MakeAssembler make) {
    std::string name = displayName(path);
    auto file = fileio::RegularFile::openForReading(path);
    if (!file.isOpen()) return openError(name, file.error());
    auto assembler = make(name, static_cast<size_t>(file.size()));
    // A small file needs no large block; a longer line than expected still grows the buffer.
    constexpr uint64_t kSmallestBlock = 4096;
    blockSize = static_cast<size_t>(std::min<uint64_t>(blockSize, std::max(file.size() + 1, kSmallestBlock)));
    FileLines lines(file, blockSize);
    return assembleLines(lines, assembler, name);
}

ReadResult readIntelHexBlocks(const std::filesystem::path& path, size_t blockSize);
ReadResult readSRecordBlocks(const std::filesystem::path& path, size_t blockSize);

}  // namespace zel::image::detail
