// The 164-byte RPMC table sent to the emulator: a 16-byte command frame (0x68, then zeros) and
// four 37-byte counter records (initialised flag, counter value most significant byte first,
// 32-byte root key).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "rpmc/RpmcFile.h"

namespace zel::rpmc {

inline constexpr std::size_t kRpmcTableSize = 164;
inline constexpr std::uint8_t kRpmcOpcode = 0x68;
inline constexpr std::size_t kFirstRecordOffset = 16;
inline constexpr std::size_t kRecordSize = 37;
inline constexpr std::size_t kCounterValueBytes = 4;
inline constexpr std::size_t kKeyBytes = 32;

using RpmcTable = std::array<std::uint8_t, kRpmcTableSize>;

// A counter that is not initialised gets flag 0, value 0 and a key of all 0xFF, whatever its
// other keys say.
RpmcTable buildRpmcTable(const RpmcSettings& settings);

// Fills `out` from the hex text's last digit pair backwards: the bytes start at 0, an odd-length
// text gets a leading '0', a pair that is not two hex digits gives 0, a short text leaves the
// leading bytes 0 and extra leading digits of a long text are ignored.
void hexTextToBytes(std::wstring_view text, std::span<std::uint8_t> out);

}  // namespace zel::rpmc
