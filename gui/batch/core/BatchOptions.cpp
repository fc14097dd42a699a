#include "BatchOptions.h"

#include <cstdio>

#include "settings/SettingsKeys.h"
#include "settings/SettingsValues.h"
#include "text/TextCodec.h"

namespace zel::gui::batch {
namespace {

namespace keys = settings::keys;
constexpr std::uint8_t kOperationMask = (1u << kOperationCount) - 1u;

std::vector<std::uint32_t> parseSerials(const std::wstring& text) {
    std::vector<std::uint32_t> serials;
    std::size_t from = 0;
    while (from < text.size()) {
        const std::size_t comma = std::min(text.find(L',', from), text.size());
        if (const auto serial = settings::parseHex(std::wstring_view(text).substr(from, comma - from)))
            serials.push_back(*serial);
        from = comma + 1;
    }
    return serials;
}

}  // namespace

const char* operationName(BatchOperation operation) { return kOperationNames[std::size_t(operation)]; }

BatchOptions BatchOptions::read(const GuiSettings& settings) {
    BatchOptions options;
    options.operations = std::uint8_t(settings::parseHex(settings.get(keys::kBatchOptions)).value_or(0) & kOperationMask);
    options.fill = settings.getBool(keys::kRequireFillValue);
    options.fillByte = std::uint8_t(settings::parseHex(settings.get(keys::kFillBufferValue)).value_or(0xFF));
    options.upTo = settings.getBool(keys::kNeedUpToAddr);
    options.start = settings::parseHex(settings.get(keys::kDownloadStartAddress)).value_or(0);
    options.splitFile = settings.getBool(keys::kEnableSplitFile);
    options.emulators = parseSerials(settings.get(kBatchEmulatorsKey));
    return options;
}

settings::SettingsUpdate BatchOptions::changes() const {
    settings::SettingsUpdate update;
    update.set(keys::kBatchOptions, settings::formatHex(operations));
    update.setBool(keys::kRequireFillValue, fill);
    update.set(keys::kFillBufferValue, settings::formatUpperHex(fillByte));
    update.setBool(keys::kNeedUpToAddr, upTo);
    update.set(keys::kDownloadStartAddress, settings::formatHex(start));
    update.setBool(keys::kEnableSplitFile, splitFile);
    std::wstring serials;
    for (const std::uint32_t serial : emulators) serials += (serials.empty() ? L"" : L",") + settings::formatHex(serial);
    update.set(kBatchEmulatorsKey, serials);
    return update;
}

void BatchOptions::add(int bit) {
    if (bit >= 0 && bit < kOperationCount) operations |= std::uint8_t(1u << bit);
}

void BatchOptions::remove(int bit) {
    if (bit >= 0 && bit < kOperationCount) operations &= std::uint8_t(~(1u << bit));
}

std::vector<BatchOperation> BatchOptions::chosen() const {
    std::vector<BatchOperation> list;
    for (int bit = 0; bit < kOperationCount; ++bit)
        if (has(BatchOperation(bit))) list.push_back(BatchOperation(bit));
    return list;
}

bool BatchOptions::needsFile() const {
    return has(BatchOperation::Reload) || has(BatchOperation::Download) || has(BatchOperation::Verify);
}

void BatchOptions::applyTo(DownloadOptions& download) const {
    download.fill = fill;
    download.fillByte = fillByte;
    download.upTo = upTo;
    download.start = start;
    download.end = end;
}

std::uint32_t parseHexField(std::string_view text) {
    return settings::parseHex(text::utf8ToWide(std::string(text))).value_or(0);
}

std::string hexField(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

std::string endAddressField(std::uint32_t end, std::uint32_t chipSize) {
    return hexField(end == 0 && chipSize > 0 ? chipSize - 1 : end);
}

}  // namespace zel::gui::batch
