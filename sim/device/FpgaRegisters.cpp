#include "device/FpgaRegisters.h"

#include "core/Transfer.h"

namespace zel::sim {

void FpgaRegisters::write(uint8_t reg, uint16_t value) {
    values_[reg] = filters_[reg] ? filters_[reg](value) : value;
    for (const auto& observer : observers_) observer(reg, value);
}

void FpgaRegisters::reset() {
    values_.fill(0);
    values_[kSpiStatus] = kSpiBusIdle;
}

void FpgaRegisters::install(CommandTable& table) {
    table.onFrame(0x22, [this](const Frame& f, CommandContext& context) {
        const uint16_t value = read(f.byte(1));
        context.reply({kFiller, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
    });
    table.onFrame(0x23, [this](const Frame& f, CommandContext&) {
        write(f.byte(1), static_cast<uint16_t>(f.number(2, 2)));
    });
}

}  // namespace zel::sim
