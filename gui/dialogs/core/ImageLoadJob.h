// Loading an image file into the host buffers on a worker thread, with progress and cancel.
//
// Threads: the job owns its worker. Any thread may read progress(), call cancel() and poll
// finished(); takeResult() waits for the worker and may be called once. The destructor cancels
// and joins. The job touches no API state (it uses the image readers and vm_mgr only), so it may
// run while the user-interface thread stays responsive; the caller keeps the commands that use the
// buffer disabled until it has taken the result.
//
// Use: log loadingLine(path); start a job; let a timer show progressPerMille() until finished();
// then take the result, log its logLine and replace the current image with result.image whatever
// it holds: on failure that is nothing, so no earlier file can be downloaded under the new name.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "dialogs/core/LoadFileChoice.h"
#include "dialogs/core/LoadedImage.h"

namespace zel::gui {

struct ImageLoadRequest {
    std::filesystem::path path;
    ImageFileFormat format = ImageFileFormat::RawBin;
    uint32_t chipSize = 0;  // 0 when no chip is selected
    bool g2Device = false;  // selects the buffer limit
    uint8_t fillValue = kDefaultFillValue;
};

// The load a Load File choice asks for; chipSize 0 when no chip is selected.
ImageLoadRequest loadRequest(const LoadFileChoice& choice, uint32_t chipSize, bool g2Device);

struct ImageLoadResult {
    std::optional<LoadedImage> image;  // none when the load failed or was cancelled
    // For the operation log: path + " is opened", or "Error: " + the reason (the reader's text,
    // naming the file and, for a bad record, the line).
    std::string logLine;
    bool cancelled = false;

    bool ok() const { return image.has_value(); }
};

// "Loading " + path + " ...": what the log shows when a load starts.
std::string loadingLine(const std::filesystem::path& path);

// Progress in per mille (0..1000), written by the loader, read by anyone.
using LoadProgress = std::atomic<int>;

// The load itself, on the calling thread. Stops early, with a cancelled result, once `stop` is
// requested.
ImageLoadResult loadImage(const ImageLoadRequest& request, LoadProgress& progress, std::stop_token stop);

class ImageLoadJob {
public:
    explicit ImageLoadJob(ImageLoadRequest request);
    ~ImageLoadJob();
    ImageLoadJob(const ImageLoadJob&) = delete;
    ImageLoadJob& operator=(const ImageLoadJob&) = delete;

    const ImageLoadRequest& request() const { return request_; }
    int progressPerMille() const { return progress_.load(std::memory_order_relaxed); }
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    void cancel() { worker_.request_stop(); }
    // Waits for the worker. Call once.
    ImageLoadResult takeResult();

private:
    ImageLoadRequest request_;
    LoadProgress progress_{0};
    std::atomic<bool> finished_{false};
    ImageLoadResult result_;
    std::jthread worker_;  // last: starts after the members it uses exist
};

}  // namespace zel::gui
