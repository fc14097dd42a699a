// Attribute names of the settings element, shared by both front ends.
#pragma once

#include <array>
#include <string_view>

namespace zel::settings::keys {

// Chip and image choices (written by the console tool too).
inline constexpr std::string_view kLastSetManufacturer = "LastSetManufacturer";
inline constexpr std::string_view kLastSetChipType = "LastSetChipType";
inline constexpr std::string_view kLastSetManufacturer2 = "LastSetManufacturer_2";
inline constexpr std::string_view kLastSetChipType2 = "LastSetChipType_2";
inline constexpr std::string_view kLastLoadedFile = "LastLoadedFile";
inline constexpr std::string_view kLastLoadedFileFormat = "LastLoadedFileFormat";
inline constexpr std::string_view kLastLoadedFile2 = "LastLoadedFile_2";
inline constexpr std::string_view kLastLoadedFileFormat2 = "LastLoadedFileFormat_2";
inline constexpr std::string_view kTruncateFile = "Truncate_File";
inline constexpr std::string_view kSavedPaths = "SavedPaths";

// Pins and download options.
inline constexpr std::string_view kEnableResetPin = "EnableResetPin";
inline constexpr std::string_view kHoldPinSetting = "HoldPinSetting";
inline constexpr std::string_view kMisoDrivenSetting = "MISODrivenSetting";
inline constexpr std::string_view kBatchOptions = "BatchOptions";
inline constexpr std::string_view kDownloadStartAddress = "DownloadStartAddress";
inline constexpr std::string_view kRequireFillValue = "RequireFillValue";
inline constexpr std::string_view kFillBufferValue = "FillBufferValue";
inline constexpr std::string_view kNeedUpToAddr = "NeedUpToAddr";
inline constexpr std::string_view kEnableSplitFile = "Enable_SliptFile";

// RPMC: counter n (1..4) is element n - 1.
inline constexpr std::string_view kEnableRpmc = "EnableRPMC";
inline constexpr std::array<std::string_view, 4> kRpmcCounterInit = {
    "RPMCCounter1Init", "RPMCCounter2Init", "RPMCCounter3Init", "RPMCCounter4Init"};
inline constexpr std::array<std::string_view, 4> kRpmcKey = {"RPMCKey1", "RPMCKey2", "RPMCKey3", "RPMCKey4"};
inline constexpr std::array<std::string_view, 4> kRpmcCounterValue = {
    "RPMCCounterValue1", "RPMCCounterValue2", "RPMCCounterValue3", "RPMCCounterValue4"};

// Hyper terminal.
inline constexpr std::string_view kSpiHyperOption = "SPIHyperOption";
inline constexpr std::string_view kSpiHyperOptionCheckPP = "SPIHyperOption_CheckPP";
inline constexpr std::string_view kSpiHyperByUsb = "SPIHyperByUSB";
inline constexpr std::string_view kSpiHyperDedicateCommand = "SPIHyperDedicateCommand";
inline constexpr std::string_view kRequireCheckPointTranslation = "RequireCheckPointTranslation";
inline constexpr std::string_view kSpiHyperTerminalCkpRgb = "SPIHyperTerminalCKPrgb";
inline constexpr std::string_view kSpiHyperTerminalHexRgb = "SPIHyperTerminalHEXrgb";
inline constexpr std::string_view kSpiHyperTerminalAsciiRgb = "SPIHyperTerminalASCIIrgb";
inline constexpr std::string_view kSpiHyperTerminalTimeRgb = "SPIHyperTerminalTimergb";
inline constexpr std::string_view kSpiHyperTerminalLookupRgb = "SPIHyperTerminalLookuprgb";
inline constexpr std::string_view kLastLoadedLookUpFile = "LastLoadedLookUpFile";
inline constexpr std::string_view kLastLoadedCkpFile = "LastLoadedCKPFile";
inline constexpr std::string_view kSavedLookUpPaths = "SavedLookUpPaths";
inline constexpr std::string_view kSavedCkpPaths = "SavedCKPPaths";

// SPI trace.
inline constexpr std::string_view kEnableSaveTrace2File = "EnableSaveTrace2File";
inline constexpr std::string_view kSpiTraceFile = "SPITraceFile";
inline constexpr std::string_view kSaveTracePaths = "SaveTracePaths";
inline constexpr std::string_view kSpiFilterConditions = "SPIFilterConditions";
inline constexpr std::string_view kSpiFilterSpecialCommand = "SPIFilterSpecialCommand";
inline constexpr std::string_view kSpiFilterStartAddr = "SPIFilterStartAddr";
inline constexpr std::string_view kSpiFilterEndAddr = "SPIFilterEndAddr";
inline constexpr std::string_view kSpiFilterMaskAddr = "SPIFilterMaskAddr";
inline constexpr std::string_view kSpiCommandTranslation = "SPICommandTranslation";

}  // namespace zel::settings::keys
