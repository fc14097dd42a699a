#include "ImageLoading.h"

#include "HostBuffer.h"
#include "Log.h"
#include "device/DeviceFacts.h"
#include "image/Checksum.h"
#include "image/ImageFormat.h"
#include "image/ImageReader.h"
#include "image/ImageWriter.h"
#include "text/TextCodec.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace zel::api {
namespace {

constexpr uint64_t kStandardLimit = zel::device::kStandardBufferSize;
constexpr uint64_t kLargeLimit = zel::device::kLargeBufferSize;

std::string displayName(const wchar_t* path)
{
    return image::displayName(text::widePath(path));
}

bool fail(CProject& project, std::string message)
{
    log_level_add_ascii(0, "%s", message.c_str());
    project.setImageError(std::move(message));
    return false;
}

bool succeed(CProject& project)
{
    project.setImageError({});
    return true;
}

void report(LoadOutputs outputs, uint64_t size, uint32_t checksum)
{
    if (outputs.size != nullptr)
        *outputs.size = static_cast<uint32_t>(std::min<uint64_t>(size, std::numeric_limits<uint32_t>::max()));
    if (outputs.checksum != nullptr)
        *outputs.checksum = checksum;
}

std::optional<image::Image> readWhole(CProject& project, const wchar_t* path)
{
    if (path == nullptr) {
        fail(project, "no image file named");
        return std::nullopt;
    }
    auto read = image::readImage(std::wstring_view(path));
    if (!read) {
        fail(project, read.error().message);
        return std::nullopt;
    }
    return std::move(read).image();
}

struct BoundedImage {
    image::Image bytes;
    uint64_t size = 0;  // the whole image's, also when larger than the bytes read
};

// The image for a destination of `capacity` bytes. A raw file is read no further than the
// destination takes, so that one far too large is never loaded whole; a text image is bounded by
// its reader's address window.
std::optional<BoundedImage> readForCapacity(CProject& project, const wchar_t* path, uint64_t capacity)
{
    if (path == nullptr || image::formatFromName(std::wstring_view(path)) != image::Format::Binary) {
        auto image = readWhole(project, path);
        if (!image)
            return std::nullopt;
        const uint64_t size = image->size();
        return BoundedImage{std::move(*image), size};
    }
    const std::string name = displayName(path);
    auto prefix = image::readBinaryPrefix(text::widePath(path), static_cast<size_t>(capacity));
    if (!prefix) {
        fail(project, name + ": cannot open or read the file");
        return std::nullopt;
    }
    if (prefix->fileSize == 0) {
        fail(project, name + ": the file is empty");
        return std::nullopt;
    }
    return BoundedImage{std::move(prefix->bytes), prefix->fileSize};
}

// One vm_write up to 64 MiB; above, four quarters, the last taking what the division leaves.
bool writeQuarters(const HostBuffer& target, std::span<const uint8_t> bytes)
{
    if (bytes.size() <= kHostSlice)
        return target.write(0, bytes);
    const size_t quarter = bytes.size() / 4;
    for (size_t k = 0; k < 4; ++k) {
        const size_t length = k < 3 ? quarter : bytes.size() - 3 * quarter;
        if (!target.write(k * quarter, bytes.subspan(k * quarter, length)))
            return false;
    }
    return true;
}

// Into a fresh host buffer that replaces the caller's only once it holds the bytes, or into the
// caller's own buffer.
bool storeInHost(CProject& project, vm_ptr_t& host, std::span<const uint8_t> bytes, bool fresh,
                 const std::string& name)
{
    if (!fresh) {
        const HostBuffer target(host);
        if (!target.holds(0, bytes.size()))
            return fail(project, name + ": the image does not fit the host buffer");
        return writeQuarters(target, bytes) || fail(project, name + ": cannot write the host buffer");
    }
    const vm_ptr_t created = bytes.empty() ? 0 : vm_alloc(bytes.size());
    if (!bytes.empty() && created == 0)
        return fail(project, name + ": no host buffer of " + std::to_string(bytes.size()) + " bytes available");
    if (!bytes.empty() && !writeQuarters(HostBuffer(created), bytes)) {
        vm_free(created);
        return fail(project, name + ": cannot write the host buffer");
    }
    if (host != 0)
        vm_free(host);
    host = created;
    return true;
}

bool loadBinaryIntoHost(CProject& project, const wchar_t* path, vm_ptr_t& host, LoadOutputs outputs,
                        uint32_t capacity)
{
    const std::string name = displayName(path);
    log_level_add_ascii(0, "CFileIO::ReadBINFile_ptr(...)");
    log_level_add_ascii(0, "\t\tcsPath=%s", text::wideToWindows1252(path).c_str());
    auto prefix = image::readBinaryPrefix(text::widePath(path), capacity);
    if (!prefix) {
        log_level_add_ascii(0, "in == 0L");
        return fail(project, name + ": cannot open or read the file");
    }
    if (prefix->fileSize == 0)
        return fail(project, name + ": the file is empty");
    const auto& bytes = prefix->bytes;
    if (!storeInHost(project, host, bytes, true, name))
        return false;
    log_level_add_ascii(0, "\t\tFileSize=0x%x", static_cast<unsigned>(bytes.size()));
    report(outputs, prefix->fileSize, image::byteSum(bytes));
    return succeed(project);
}

bool loadTextIntoHost(CProject& project, const wchar_t* path, image::Format format, vm_ptr_t& host,
                      LoadOutputs outputs, uint32_t capacity, bool replace)
{
    if (format == image::Format::IntelHex)
        log_level_add_ascii(0, "\t\tCFileIO::ReadHEXFile_ptr(...)");
    auto image = readWhole(project, path);
    if (!image)
        return false;
    const auto stored = std::span<const uint8_t>(*image).first(std::min<size_t>(image->size(), capacity));
    if (!storeInHost(project, host, stored, replace || host == 0, displayName(path)))
        return false;
    log_level_add_ascii(0, "\t\tFileSize=0x%x", static_cast<unsigned>(image->size()));
    report(outputs, image->size(), image::byteSum(*image));
    return succeed(project);
}

const char* formatLogName(image::Format format)
{
    switch (format) {
    case image::Format::IntelHex:
        return "HEX";
    case image::Format::SRecord:
        return "S19";
    case image::Format::Binary:
        break;
    }
    return "BIN(bin)";
}

}  // namespace

bool loadIntoImageBuffer(CProject& project, const wchar_t* path, LoadOutputs outputs, uint32_t offset, bool large)
{
    const auto buffer = project.imageBuffer();
    const uint64_t limit = large ? kLargeLimit : kStandardLimit;
    const uint64_t room = offset < buffer.size() ? buffer.size() - offset : 0;
    const uint64_t capacity = std::min(limit, room);
    auto image = readForCapacity(project, path, capacity);
    if (!image)
        return false;
    if (image->size > capacity) {
        report({nullptr, outputs.size}, image->size, 0);
        return fail(project, displayName(path) + ": the image holds " + std::to_string(image->size) +
                                 " bytes, more than the buffer takes (" + std::to_string(capacity) + " bytes)");
    }
    const auto& bytes = image->bytes;
    std::memcpy(buffer.data() + offset, bytes.data(), bytes.size());
    report(outputs, bytes.size(), image::byteSum(bytes));
    return succeed(project);
}

bool loadIntoByteVector(CProject& project, const wchar_t* path, LoadOutputs outputs)
{
    auto& vector = project.byteVector();
    vector.clear();
    auto image = readWhole(project, path);
    if (!image)
        return false;
    vector = std::move(*image);
    report(outputs, vector.size(), image::byteSum(vector));
    return succeed(project);
}

bool loadIntoHostBuffer(CProject& project, const wchar_t* path, vm_ptr_t* host, LoadOutputs outputs,
                        uint32_t capacity, bool replace)
{
    log_level_add_ascii(0, "CFileIO::ReadToVMptr");
    if (path == nullptr || host == nullptr)
        return fail(project, path == nullptr ? "no image file named" : "no host buffer given");
    const auto format = image::formatFromName(std::wstring_view(path));
    log_level_add_ascii(0, "\t\tGetFileFormatFromExt(%s) is %s", text::wideToWindows1252(path).c_str(),
                        formatLogName(format));
    if (format == image::Format::Binary)
        return loadBinaryIntoHost(project, path, *host, outputs, capacity);
    return loadTextIntoHost(project, path, format, *host, outputs, capacity, replace);
}

bool checksumOfFile(CProject& project, const wchar_t* path, LoadOutputs outputs)
{
    auto image = readWhole(project, path);
    if (!image) {
        report(outputs, 0, 0);
        return false;
    }
    report(outputs, image->size(), image::byteSum(*image));
    return succeed(project);
}

bool saveToFile(CProject& project, const std::vector<uint8_t>* data, const wchar_t* path)
{
    if (data == nullptr || path == nullptr)
        return fail(project, data == nullptr ? "no bytes to save" : "no image file named");
    if (!image::writeImage(*data, std::wstring_view(path)))
        return fail(project, displayName(path) + ": cannot write the file");
    return succeed(project);
}

}  // namespace zel::api
