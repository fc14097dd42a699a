#include "IdentityRegisters.h"

#include <bit>

#include "chipcfg/ChipConfigLayout.h"

namespace zel::catalogue {
namespace {

std::uint16_t addressingBits(const ChipEntry& chip) {
    using namespace identity;
    std::uint16_t bits = 0;
    if (chip.hasFourByteAddressing()) bits |= kFourByteAddressing;
    if (chip.addressMode == AddressMode::FourByte) bits |= kFourBytePowerUp;
    if (chip.fourByteOpcodes) bits |= kFourByteOpcodes;
    if (chip.fixedAddressMode) bits |= kFixedAddressMode;
    if (chip.qeAsShipped) bits |= kQeAsShipped;
    if (chip.dieErase) bits |= kDieErase;
    return bits;
}

std::uint16_t qeLocation(QuadEnable quad) {
    switch (quad) {
        case QuadEnable::StatusBit6: return identity::kQeStatusBit6;
        case QuadEnable::Status2Bit1: return identity::kQeStatus2Bit1;
        case QuadEnable::None:
        case QuadEnable::Always: break;
    }
    return identity::kQeNone;
}

}  // namespace

std::vector<chipcfg::RegisterSetting> identitySettings(const ChipEntry& chip) {
    using namespace identity;
    return {
        {kManufacturerRegister, chip.manufacturerId()},
        {kDeviceRegister, chip.deviceId()},
        {kSizeRegister, static_cast<std::uint16_t>(std::countr_zero(chip.size))},
        {kAddressingRegister, addressingBits(chip)},
        {kEraseRegister, chip.eraseSizes},
        {kReadRegister, static_cast<std::uint16_t>(chip.fastReads | (qeLocation(chip.quad) << kQeLocationShift))},
    };
}

std::vector<chipcfg::LevelSetting> supplyLevels(std::uint16_t millivolts) {
    switch (millivolts) {
        case 3300: return {{2, 2879}, {3, 1800}, {4, 3300}};
        case 2500: return {{2, 2160}, {3, 1533}, {4, 2500}};
        case 1800: return {{2, 1679}, {3, 1066}, {4, 1800}};
        default: return {};
    }
}

bool isReservedRecordWord(std::uint16_t word) {
    using namespace chipcfg;
    for (auto marker : {kSfdpMarker, kSrstMarker, kProtMarker})
        if (word == marker.first || word == marker.second) return true;
    return word == kFirstGenerationTerminator || word == kG2Terminator || word == kSection1EndTag;
}

}  // namespace zel::catalogue
