// Short names for the operations a walk produces, so expectations read like the wire.
#pragma once

#include <functional>
#include <vector>

#include "chipcfg/WalkRecorder.h"

namespace zel::chipcfg::test {

inline WalkOperation setting(std::uint8_t reg, std::uint16_t value) {
    return RegisterWrite{WriteKind::Setting, reg, value};
}
inline WalkOperation level(std::uint8_t channel, std::uint16_t value) { return LevelSet{channel, value, false}; }
inline WalkOperation sfdpSelect(std::uint16_t value) { return RegisterWrite{WriteKind::SfdpSelect, 0xC9, value}; }
inline WalkOperation sfdpData(std::uint8_t port, std::uint16_t word) {
    return RegisterWrite{WriteKind::SfdpData, port, word};
}
inline WalkOperation statusDefault(std::uint8_t reg, std::uint16_t value) {
    return RegisterWrite{WriteKind::StatusDefault, reg, value};
}
inline WalkOperation protectionSelect(std::uint16_t value) {
    return RegisterWrite{WriteKind::ProtectionSelect, 0xC4, value};
}
inline WalkOperation protectionData(std::uint8_t port, std::uint16_t word) {
    return RegisterWrite{WriteKind::ProtectionData, port, word};
}
inline WalkOperation finished() { return WalkFinished{}; }

inline std::vector<WalkOperation> defaultLevels() {
    return {LevelSet{2, 3000, true}, LevelSet{3, 1000, true}, LevelSet{4, 3300, true}};
}

// Joins groups of operations into one expected sequence.
inline std::vector<WalkOperation> ops(std::initializer_list<std::vector<WalkOperation>> groups) {
    std::vector<WalkOperation> all;
    for (const auto& g : groups) all.insert(all.end(), g.begin(), g.end());
    return all;
}

inline const std::function<bool()> kFirstGeneration = [] { return false; };
inline const std::function<bool()> kG2 = [] { return true; };

inline std::vector<WalkOperation> walkOf(std::span<const std::uint8_t> file, ChipSlot slot = ChipSlot::First,
                                         const std::function<bool()>& isG2 = kFirstGeneration) {
    auto walked = recordWalk(file, slot, isG2);
    return walked.ok() ? walked.value() : std::vector<WalkOperation>{};
}

}  // namespace zel::chipcfg::test
