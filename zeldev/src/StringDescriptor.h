// Text of a USB string descriptor.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zel::zeldev {

// The UTF-16LE text after the 2-byte header, limited to what arrived and to the length the
// descriptor claims; stops at a NUL; an unpaired surrogate becomes U+FFFD.
std::wstring descriptorText(std::span<const uint8_t> descriptor);

}  // namespace zel::zeldev
