// Download, verify and read-back exports, in the in-process form and the host-buffer (_ptr)
// form.
#include "zelapi.h"

#include "ApiInstance.h"
#include "Log.h"
#include "MemoryTransfers.h"
#include "ReadBack.h"
#include "TransferFailure.h"
#include "ZelmorProDll.h"

#include <exception>

using zel::api::CProject;
using zel::api::DownloadRequest;
using zel::api::HostSource;
using zel::api::MemorySource;
using zel::api::project;
using zel::api::TransferResult;
using zel::api::VerifyRequest;

namespace {

static_assert(zel::api::kDeviceReadFailed == ZEL_DEVICE_READ_FAILED &&
              zel::api::kDeviceWriteFailed == ZEL_DEVICE_WRITE_FAILED);

constexpr uint64_t kHostReadChunk = 0x4000000;  // host-buffer verify reads the device 64 MiB at a time

// Runs the operation and stores its result byte; running out of memory for a work buffer is a
// failure like any other, and nothing crosses the interface.
template <class Operation>
void report(uint8_t* bResult, Operation operation)
{
    TransferResult result = TransferResult::Failed;
    zel::api::clearTransferFailure();
    try {
        result = operation();
    } catch (const std::exception&) {
        result = TransferResult::Failed;  // no memory for a work buffer, most likely
    }
    *bResult = static_cast<uint8_t>(result);
}

uint64_t chipSizeAt(CProject& api, uint32_t address)
{
    return api.chipSizes()[address >> 31];
}

// The host buffer a caller names; handle 0 (no buffer) holds nothing.
vm_ptr_t handleOf(const vm_ptr_t* ptr)
{
    return ptr != nullptr ? *ptr : 0;
}

}  // namespace

extern "C" {

void CliDownloadDLLBufferToZelmorPro(bool boNoChangeContent, uint8_t bFillMask, uint32_t dwAdr, uint32_t dwLdth,
                                     uint32_t dwBuffAddr, bool boTruncate, uint8_t* bResult, bool /*isZelmorProG2*/,
                                     size_t USBIndex)
{
    CProject* api = project();
    if (api == nullptr || bResult == nullptr)
        return;
    report(bResult, [&] {
        const DownloadRequest request{boNoChangeContent, bFillMask, dwAdr, dwLdth, dwBuffAddr, boTruncate, USBIndex};
        return zel::api::download(MemorySource(api->imageBuffer()), request, chipSizeAt(*api, dwAdr));
    });
}

void CliDownloadDLLBufferToZelmorPro_ptr(vm_ptr_t* ptr, bool boNoChangeContent, uint8_t bFillMask, uint32_t dwAdr,
                                         uint32_t dwLdth, uint32_t dwBuffAddr, bool boTruncate, uint8_t* bResult,
                                         bool /*isZelmorProG2*/, size_t USBIndex)
{
    CProject* api = project();
    if (api == nullptr || bResult == nullptr)
        return;
    log_level_add_ascii(0, "void CProject::DoDownloadBufferToZelmor_ptr(vm_ptr_t& ptr,bool boNoChangeContent,"
                           "BYTE bFillMask, DWORD dwAdr,DWORD dwLdth,DWORD dwBuffAddr, bool boTruncate, "
                           "BYTE &bResult,bool isZelmorProG2,size_t USBIndex)");
    report(bResult, [&] {
        const DownloadRequest request{boNoChangeContent, bFillMask, dwAdr,    dwLdth,
                                      dwBuffAddr,        boTruncate, USBIndex, true};
        return zel::api::download(HostSource(handleOf(ptr)), request, chipSizeAt(*api, dwAdr));
    });
}

void CliZelmorProVerify(uint32_t dwAdr, uint32_t dwLdth, uint32_t dwBuffAddr, uint8_t* bResult,
                        bool /*isZelmorProG2*/, size_t USBIndex)
{
    CProject* api = project();
    if (api == nullptr || bResult == nullptr)
        return;
    report(bResult, [&] {
        const VerifyRequest request{dwAdr, dwLdth, dwBuffAddr, USBIndex};
        return zel::api::verify(MemorySource(api->imageBuffer()), request, chipSizeAt(*api, dwAdr));
    });
}

void CliZelmorProVerify_ptr(vm_ptr_t* ptr, uint32_t dwAdr, uint32_t dwLdth, uint32_t dwBuffAddr, uint8_t* bResult,
                            bool /*isZelmorProG2*/, size_t USBIndex)
{
    CProject* api = project();
    if (api == nullptr || bResult == nullptr)
        return;
    report(bResult, [&] {
        const VerifyRequest request{dwAdr, dwLdth, dwBuffAddr, USBIndex, kHostReadChunk};
        return zel::api::verify(HostSource(handleOf(ptr)), request, chipSizeAt(*api, dwAdr));
    });
}

void CliReadFromZelmorPro(uint32_t dwAdr, uint32_t dwLdth, uint8_t* bResult)
{
    CProject* api = project();
    if (api == nullptr || bResult == nullptr)
        return;
    report(bResult, [&] { return zel::api::readIntoImageBuffer(*api, dwAdr, dwLdth, DoGetUSBDexIndex()); });
}

void CliReadFromZelmorPro_ptr(vm_ptr_t* ptr, uint32_t dwAdr, uint32_t dwLdth, uint32_t capacity, uint8_t* bResult)
{
    CProject* api = project();
    if (api == nullptr || bResult == nullptr)
        return;
    report(bResult,
           [&] { return zel::api::readIntoHostBuffer(*api, ptr, dwAdr, dwLdth, capacity, DoGetUSBDexIndex()); });
}

const std::vector<uint8_t>* CliReadFromZelmorProvector(uint32_t dwAdr, uint32_t dwLdth, uint8_t* bResult,
                                                       bool /*isZelmorProG2*/, size_t USBIndex)
{
    CProject* api = project();
    if (api == nullptr)
        return nullptr;
    if (bResult != nullptr)
        report(bResult, [&] { return zel::api::readIntoByteVector(*api, dwAdr, dwLdth, USBIndex); });
    return &api->byteVector();
}

int CliGetLastTransferFailure()
{
    return zel::api::lastTransferFailure();
}

}  // extern "C"
