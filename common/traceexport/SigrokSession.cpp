#include "SigrokSession.h"

#include <zip.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace zel::traceexport {
namespace {

// One logic-1-N entry: libzip pulls it through this callback while it writes the archive.
struct Chunk {
    SampleStream* stream = nullptr;
    uint64_t size = 0;
    uint64_t given = 0;
};

zip_int64_t chunkCallback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& chunk = *static_cast<Chunk*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        chunk.given = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const auto want = static_cast<size_t>(std::min<uint64_t>(length, chunk.size - chunk.given));
        auto* out = static_cast<uint8_t*>(data);
        const size_t got = chunk.stream->read({out, want});
        std::fill(out + got, out + want, kIdleSample);  // never short of the size announced
        chunk.given += want;
        return static_cast<zip_int64_t>(want);
    }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = chunk.size;
        stat->mtime = std::time(nullptr);
        stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(nullptr, data, length);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        return -1;
    }
}

struct ArchiveCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

ExportResult failed(const std::filesystem::path& file, const std::string& why) {
    return {false, 0, "Error: cannot write " + file.string() + ": " + why};
}

bool addText(zip_t* archive, const char* name, const std::string& text) {
    // libzip reads the text only when the archive is closed: it gets a copy of its own to free.
    void* copy = std::malloc(text.size());
    if (!copy) return false;
    std::memcpy(copy, text.data(), text.size());
    zip_source_t* source = zip_source_buffer(archive, copy, text.size(), 1);
    if (!source) {
        std::free(copy);
        return false;
    }
    if (zip_file_add(archive, name, source, ZIP_FL_OVERWRITE) < 0) {
        zip_source_free(source);
        return false;
    }
    return true;
}

}  // namespace

std::string sessionMetadata(uint32_t gapCap) {
    std::string text =
        "[global]\n"
        "sigrok version=0.5.2\n"
        "\n"
        "[device 1]\n"
        "capturefile=logic-1\n"
        "total probes=" + std::to_string(kChannelNames.size()) + "\n"
        "samplerate=100 MHz\n"
        "total analog=0\n";
    for (size_t i = 0; i < kChannelNames.size(); ++i)
        text += "probe" + std::to_string(i + 1) + "=" + std::string(kChannelNames[i]) + "\n";
    text += "unitsize=1\n";
    text += "\n[zeltrace]\n"
            "clock=synthesised, SPI mode 0 at 50 MHz\n"
            "timestamps=10 ns per sample from the capture's records\n"
            "gap cap=" + std::to_string(gapCap) + " samples (" + std::to_string(gapCap * 10) +
            " ns): longer pauses between transactions are shortened to it\n";
    return text;
}

ExportResult writeSigrokSession(const std::filesystem::path& file, SampleStream& stream, uint64_t samples,
                                uint32_t gapCap) {
    int error = 0;
    Archive archive(zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, error);
        const std::string why = zip_error_strerror(&reason);
        zip_error_fini(&reason);
        return failed(file, why);
    }
    if (!addText(archive.get(), "version", "2") || !addText(archive.get(), "metadata", sessionMetadata(gapCap)))
        return failed(file, zip_strerror(archive.get()));

    const uint64_t count = std::max<uint64_t>(1, (samples + kSessionChunkBytes - 1) / kSessionChunkBytes);
    std::vector<std::unique_ptr<Chunk>> chunks;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t size = std::min(kSessionChunkBytes, samples - std::min(samples, i * kSessionChunkBytes));
        chunks.push_back(std::make_unique<Chunk>(Chunk{&stream, size, 0}));
        zip_source_t* source = zip_source_function(archive.get(), chunkCallback, chunks.back().get());
        const std::string name = "logic-1-" + std::to_string(i + 1);
        const zip_int64_t index = source ? zip_file_add(archive.get(), name.c_str(), source, ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            if (source) zip_source_free(source);
            return failed(file, zip_strerror(archive.get()));
        }
        zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(archive.get()) != 0) return failed(file, zip_strerror(archive.get()));
    archive.release();  // closed: nothing left to discard
    return {true, samples, {}};
}

}  // namespace zel::traceexport
