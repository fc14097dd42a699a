// --download: loads the image once on the main thread, then downloads it to every selected
// emulator, one worker per device, with the fill, address, length and truncation options.
#include "CommandContext.h"
#include "DeviceHeader.h"
#include "HexValue.h"
#include "Messages.h"
#include "StepRules.h"
#include "WorkerPool.h"
#include "commands/Commands.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"
#include "text/TextCodec.h"

namespace zel::cmd {
namespace {

// Any G2 emulator among the selected ones takes images up to the large buffer's size.
bool anyGeneration2(CommandContext& context) {
    for (int index : context.selectedDevices()) {
        if (context.device(index).generation2) return true;
    }
    return false;
}

DownloadRequest requestFor(CommandContext& context, int index) {
    const auto& options = context.options();
    DownloadRequest request;
    request.keepContent = !options.fill.has_value();
    request.fillByte = options.fill ? static_cast<std::uint8_t>(parseHexValue(*options.fill)) : 0xFF;
    request.address = context.withTargetBit(options.addr ? parseHexValue(*options.addr) : 0);
    request.length = options.length ? parseHexValue(*options.length) : context.imageLength;
    request.truncate = options.truncate;
    request.generation2 = context.device(index).generation2;
    return request;
}

void downloadToDevice(CommandContext& context, int index, DownloadRequest request) {
    auto& device = context.device(index);
    if (!deviceIsUsable(context, index)) return;
    if (context.api().download(request, index) == 1) {
        device.downloadSucceeded = true;
        device.result = true;
    }
}

enum class ImageState { NotLoaded, Loaded, Failed };

// The image is loaded once, for the first device that reaches its worker; every device after a
// failed load fails too, and the stale buffer is never sent.
bool loadImageOnce(CommandContext& context, const std::filesystem::path& file, ImageState* state) {
    if (*state == ImageState::NotLoaded) {
        const auto& length = context.options().length;
        if (length && parseHexValue(*length) == 0) {
            // Nothing would be written, yet the download and its verify would report success.
            context.console().line("Error: " + *context.options().download + ": the length is 0, nothing to download");
            *state = ImageState::Failed;
            return false;
        }
        const auto image = context.api().loadImage(file, anyGeneration2(context));
        *state = image.loaded ? ImageState::Loaded : ImageState::Failed;
        if (image.loaded) {
            context.imageLength = image.size;
        } else {
            context.console().line("Error: " + image.error);
        }
    }
    return *state == ImageState::Loaded;
}

enum class MainThreadOutcome { Started, Skipped, StepFailed };

MainThreadOutcome startDevice(CommandContext& context, WorkerPool& workers, int index, ImageState* image) {
    const auto& path = *context.options().download;
    const auto file = userPath(path);
    if (!context.device(index).chipSet) {
        context.console().line(msg::kChipNotSelected);
        return MainThreadOutcome::StepFailed;
    }
    if (refuseNonRegularFile(context.console(), file, path)) return MainThreadOutcome::StepFailed;
    if (!isReadableFile(file)) {
        context.console().out(format("%s is not found.\n", path.c_str()));
        return MainThreadOutcome::StepFailed;
    }
    context.console().out(format("Device %d : \n", deviceNumber(index)));
    context.console().out(format("Download %s to emulator.\n", path.c_str()));
    context.console().line("Downloading, please wait ...\n");
    if (!loadImageOnce(context, file, image)) return MainThreadOutcome::Skipped;
    workers.start([&context, index, request = requestFor(context, index)] { downloadToDevice(context, index, request); });
    return MainThreadOutcome::Started;
}

void recordDownload(CommandContext& context) {
    namespace keys = settings::keys;
    const auto& options = context.options();
    const auto path = text::utf8ToWide(*options.download);
    if (path.empty()) return;
    const bool second = options.targetTwo();
    context.settings().set(second ? keys::kLastLoadedFile2 : keys::kLastLoadedFile, path);
    context.settings().set(second ? keys::kLastLoadedFileFormat2 : keys::kLastLoadedFileFormat,
                           settings::imageFormatName(path));
    context.settings().setBool(keys::kTruncateFile, options.truncate);
}

}  // namespace

bool runDownload(CommandContext& context) {
    const auto devices = context.selectedDevices();
    for (int index : devices) context.device(index).result = false;
    ImageState image = ImageState::NotLoaded;
    {
        WorkerPool workers(context.console(), context.options().noisy, static_cast<int>(devices.size()));
        for (int index : devices) {
            const auto outcome = startDevice(context, workers, index, &image);
            if (outcome == MainThreadOutcome::StepFailed) return false;  // the pool joins the started workers
            if (outcome == MainThreadOutcome::Skipped) workers.skip();
        }
        workers.wait();
    }
    for (int index : devices) {
        const bool done = context.device(index).result;
        context.console().out(summaryLine(index, done ? "Download Complete" : "Download Failed") + "\n");
        if (!done) context.explain(index);
    }
    if (anySucceeded(context, devices)) recordDownload(context);
    return stepSucceeded(context, devices);
}

}  // namespace zel::cmd
