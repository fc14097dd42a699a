#include "dialogs/core/ImageLoadJob.h"

#include "dialogs/core/BufferLimits.h"
#include "fileio/RegularFile.h"
#include "image/Checksum.h"
#include "image/ImageReader.h"
#include "image/ReadErrors.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <new>
#include <span>
#include <vector>

namespace zel::gui {
namespace {

// Files stream into the host buffers through a piece this large; a 256 MiB image never sits in
// ordinary memory whole on the raw path.
constexpr size_t kPiece = 0x400000;  // 4 MiB
constexpr int kDone = 1000;
constexpr int kDecoded = 500;  // a text image is decoded before any byte is copied

ImageLoadResult failed(std::string_view reason)
{
    return {std::nullopt, "Error: " + std::string(reason), false};
}

ImageLoadResult cancelledLoad(const std::filesystem::path& path)
{
    return {std::nullopt, "Loading " + path.string() + " cancelled; no file is loaded.", true};
}

ImageLoadResult tooLarge(bool g2Device)
{
    return failed("File size is large than buffer size (" + std::string(bufferLimitText(g2Device)) +
                  "), the file loaded failed.");
}

std::string modifiedText(const std::filesystem::path& path)
{
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error)
        return {};
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

// Receives the image's bytes in order: all of them go to the file copy, the first
// min(chip size, image length) to the buffer.
class ImageSink {
public:
    ImageSink(LoadedImage& image, uint64_t buffered) : image_(image), buffered_(buffered) {}

    bool put(uint64_t offset, std::span<const uint8_t> bytes)
    {
        image_.checksum += image::byteSum(bytes);
        if (vm_write(image_.fileCopy.handle() + offset, bytes.data(), bytes.size()) == 0)
            return false;
        if (offset >= buffered_)
            return true;
        const uint64_t n = std::min<uint64_t>(bytes.size(), buffered_ - offset);
        return vm_write(image_.buffer.handle() + offset, bytes.data(), n) != 0;
    }

private:
    LoadedImage& image_;
    uint64_t buffered_;
};

std::optional<LoadedImage> allocateImage(const ImageLoadRequest& request, uint64_t imageLength)
{
    const uint64_t limit = bufferLimit(request.g2Device);
    LoadedImage image;
    image.path = request.path;
    image.buffer = HostImageBuffer::allocate(std::max<uint64_t>(request.chipSize, limit), request.fillValue);
    image.fileCopy = HostImageBuffer::allocate(imageLength, 0);
    image.imageLength = static_cast<uint32_t>(imageLength);
    if (!image.buffer || !image.fileCopy)
        return std::nullopt;
    return image;
}

uint64_t bufferedLength(const ImageLoadRequest& request, uint64_t imageLength)
{
    return request.chipSize == 0 ? imageLength : std::min<uint64_t>(request.chipSize, imageLength);
}

ImageLoadResult loaded(LoadedImage image)
{
    image.modifiedText = modifiedText(image.path);
    std::string line = image.path.string() + " is opened";
    return {std::move(image), std::move(line), false};
}

ImageLoadResult noRoom(const std::filesystem::path& path)
{
    return failed("Not enough memory for the host buffers of " + path.string() + ".");
}

int perMille(uint64_t done, uint64_t total, int from, int to)
{
    return from + static_cast<int>((to - from) * done / std::max<uint64_t>(total, 1));
}

ImageLoadResult loadRaw(const ImageLoadRequest& request, LoadProgress& progress, std::stop_token stop)
{
    const std::string name = image::displayName(request.path);
    auto file = fileio::RegularFile::openForReading(request.path);
    if (!file.isOpen())
        return failed(image::detail::openError(name, file.error()).message);
    const uint64_t length = file.size();
    if (length == 0)
        return failed(image::detail::fileError(image::ReadFailure::EmptyFile, name, "the file is empty").message);
    if (length > bufferLimit(request.g2Device))
        return tooLarge(request.g2Device);
    auto image = allocateImage(request, length);
    if (!image)
        return noRoom(request.path);
    ImageSink sink(*image, bufferedLength(request, length));
    std::vector<uint8_t> piece(static_cast<size_t>(std::min<uint64_t>(length, kPiece)));
    for (uint64_t done = 0; done < length;) {
        if (stop.stop_requested())
            return cancelledLoad(request.path);
        const auto got = file.read(piece.data(), static_cast<size_t>(std::min<uint64_t>(piece.size(), length - done)));
        if (!got || *got == 0)
            return failed(image::detail::fileError(image::ReadFailure::CannotRead, name, "read error").message);
        if (!sink.put(done, std::span(piece).first(*got)))
            return noRoom(request.path);
        done += *got;
        progress.store(perMille(done, length, 0, kDone), std::memory_order_relaxed);
    }
    return loaded(std::move(*image));
}

ImageLoadResult loadText(const ImageLoadRequest& request, LoadProgress& progress, std::stop_token stop)
{
    const auto decoded = image::readImage(request.path, readerFormat(request.format), [](std::string_view) {});
    if (!decoded)
        return failed(decoded.error().message);
    const auto& bytes = decoded.image();
    if (bytes.size() > bufferLimit(request.g2Device))
        return tooLarge(request.g2Device);
    progress.store(kDecoded, std::memory_order_relaxed);
    auto image = allocateImage(request, bytes.size());
    if (!image)
        return noRoom(request.path);
    ImageSink sink(*image, bufferedLength(request, bytes.size()));
    for (uint64_t done = 0; done < bytes.size();) {
        if (stop.stop_requested())
            return cancelledLoad(request.path);
        const auto n = static_cast<size_t>(std::min<uint64_t>(kPiece, bytes.size() - done));
        if (!sink.put(done, std::span(bytes).subspan(static_cast<size_t>(done), n)))
            return noRoom(request.path);
        done += n;
        progress.store(perMille(done, bytes.size(), kDecoded, kDone), std::memory_order_relaxed);
    }
    return loaded(std::move(*image));
}

}  // namespace

ImageLoadRequest loadRequest(const LoadFileChoice& choice, uint32_t chipSize, bool g2Device)
{
    return {std::filesystem::path(choice.path), choice.format, chipSize, g2Device, choice.fillValue};
}

std::string loadingLine(const std::filesystem::path& path)
{
    return "Loading " + path.string() + " ...";
}

ImageLoadResult loadImage(const ImageLoadRequest& request, LoadProgress& progress, std::stop_token stop)
{
    progress.store(0, std::memory_order_relaxed);
    if (request.path.empty())
        return {std::nullopt, "Error: File name missing, loading file aborted.", false};
    try {
        if (readerFormat(request.format) == image::Format::Binary)
            return loadRaw(request, progress, stop);
        return loadText(request, progress, stop);
    } catch (const std::bad_alloc&) {
        return noRoom(request.path);
    }
}

ImageLoadJob::ImageLoadJob(ImageLoadRequest request)
    : request_(std::move(request)), worker_([this](std::stop_token stop) {
          result_ = loadImage(request_, progress_, stop);
          finished_.store(true, std::memory_order_release);
      })
{
}

ImageLoadJob::~ImageLoadJob()
{
    worker_.request_stop();
}

ImageLoadResult ImageLoadJob::takeResult()
{
    if (worker_.joinable())
        worker_.join();
    return std::move(result_);
}

}  // namespace zel::gui
