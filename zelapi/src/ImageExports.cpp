// Image-file exports: loading files into the in-process buffer, the byte vector or a host
// buffer, checksums, saving, and why the last of them failed.
#include "zelapi.h"

#include "ApiInstance.h"
#include "ImageLoading.h"

#include <exception>
#include <new>

using zel::api::CProject;
using zel::api::LoadOutputs;
using zel::api::project;

namespace {

// A failure to allocate is a failed load like any other: nothing crosses the interface.
template <class Load>
bool guarded(CProject& api, Load load)
{
    try {
        return load();
    } catch (const std::bad_alloc&) {
        api.setImageError("not enough memory for the image");
    } catch (const std::exception& e) {
        api.setImageError(e.what());
    }
    return false;
}

}  // namespace

extern "C" {

uint8_t* CliLoadFileToDLLBuffer(const wchar_t* path, uint32_t* checksum, uint32_t* size, uint32_t bufferOffset,
                                bool large)
{
    CProject* api = project();
    if (api == nullptr)
        return nullptr;
    guarded(*api, [&] { return zel::api::loadIntoImageBuffer(*api, path, {checksum, size}, bufferOffset, large); });
    return api->imageBuffer().data();
}

bool CliLoadFileToDLLBuffer_ptr(const wchar_t* path, vm_ptr_t* host, uint32_t* checksum, uint32_t* size,
                                uint32_t /*unused1*/, bool /*unused2*/, uint32_t capacity)
{
    CProject* api = project();
    if (api == nullptr)
        return false;
    return guarded(*api, [&] {
        return zel::api::loadIntoHostBuffer(*api, path, host, {checksum, size}, capacity, false);
    });
}

const std::vector<uint8_t>* CliOpenFile(const wchar_t* path, uint32_t* checksum, uint32_t* size)
{
    CProject* api = project();
    if (api == nullptr)
        return nullptr;
    guarded(*api, [&] { return zel::api::loadIntoByteVector(*api, path, {checksum, size}); });
    return &api->byteVector();
}

bool CliOpenFile_ptr(const wchar_t* path, vm_ptr_t* host, uint32_t* checksum, uint32_t* size, uint32_t capacity)
{
    CProject* api = project();
    if (api == nullptr)
        return false;
    return guarded(*api, [&] {
        return zel::api::loadIntoHostBuffer(*api, path, host, {checksum, size}, capacity, true);
    });
}

bool CliFileCheckSum(const wchar_t* path, uint32_t* checksum, uint32_t* size)
{
    CProject* api = project();
    if (api == nullptr)
        return false;
    return guarded(*api, [&] { return zel::api::checksumOfFile(*api, path, {checksum, size}); });
}

bool CliSaveBufferToFile(const std::vector<uint8_t>* data, const wchar_t* path)
{
    CProject* api = project();
    if (api == nullptr)
        return false;
    return guarded(*api, [&] { return zel::api::saveToFile(*api, data, path); });
}

void CliClearFileBuff()
{
    if (CProject* api = project())
        std::vector<uint8_t>().swap(api->byteVector());
}

const char* CliGetLastImageError()
{
    CProject* api = project();
    return api != nullptr ? api->imageError().c_str() : nullptr;
}

}  // extern "C"
