// Any bytes as a chip-configuration file: the reader must not crash or read outside the input,
// its answers must agree with the bytes, and whatever chip information it returns must survive a
// trip through the writer.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "chipcfg/ChipConfigFile.h"
#include "chipcfg/ChipConfigWriter.h"

using namespace zel::chipcfg;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void checkInfo(Bytes bytes, const ChipConfigFile& file) {
    const auto& h = file.header;
    const auto& info = *file.info;
    require(h.vendorOffset < bytes.size() && h.chipNameOffset < bytes.size());
    require(info.vendorAnsi.size() <= kMaxVendorBytes && info.chipNameAnsi.size() <= kMaxChipNameBytes);
    require(info.vendorAnsi.find('\0') == std::string::npos && info.chipNameAnsi.find('\0') == std::string::npos);
    require(std::memcmp(bytes.data() + h.vendorOffset, info.vendorAnsi.data(), info.vendorAnsi.size()) == 0);
    require(std::memcmp(bytes.data() + h.chipNameOffset, info.chipNameAnsi.data(), info.chipNameAnsi.size()) == 0);
    require(info.voltageMillivolts == readLe16(bytes, h.voltageOffset));
    require(info.options.fixedAddressMode == (bytes[h.optionsOffset] == 1));
    require(info.options.dieErase == (bytes[h.optionsOffset + 2] == 1));
}

void checkWriterRoundTrip(const ChipConfigFile& file) {
    ChipConfigDescription d;
    d.vendor = file.info->vendor();
    d.chipName = file.info->chipName();
    d.chipSize = file.chipSize();
    d.voltageMillivolts = file.info->voltageMillivolts;
    d.options = file.info->options;
    d.reserved = file.header.reserved;
    auto written = writeChipConfig(d);
    if (!written) return;  // names the writer refuses (empty, path characters, "SFDP" at 180)
    auto back = readChipConfig(written.value());
    require(back.ok() && back->info.has_value());
    require(back->info->vendorAnsi == file.info->vendorAnsi);
    require(back->info->chipNameAnsi == file.info->chipNameAnsi);
    require(back->info->voltageMillivolts == file.info->voltageMillivolts);
    require(back->info->options == file.info->options);
    require(back->chipSize() == file.chipSize() && back->header.reserved == file.header.reserved);
    require(!back->hasSfdp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes bytes(data, size);
    auto read = readChipConfig(bytes);
    const bool sfdp = hasSfdpMarker(bytes);
    require(!sfdp || (size >= 184 && std::memcmp(data + 180, "SFDP", 4) == 0));
    if (!read) {
        require(size >= kHeaderSize || read.error().code == ErrorCode::TooShort);
        require(read.error().code != ErrorCode::FieldOutOfRange || std::memcmp(data, "Vcfg", 4) == 0);
        return 0;
    }
    require(size >= kHeaderSize && read->fileSize == size && read->hasSfdp == sfdp);
    require(read->hasMagic() == (std::memcmp(data, "Vcfg", 4) == 0));
    require(read->info.has_value() == read->hasMagic());
    if (read->info) {
        checkInfo(bytes, read.value());
        checkWriterRoundTrip(read.value());
    }
    return 0;
}
