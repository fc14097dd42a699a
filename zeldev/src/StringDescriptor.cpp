#include "StringDescriptor.h"

#include <algorithm>

namespace zel::zeldev {

namespace {

char32_t unitAt(std::span<const uint8_t> bytes, size_t offset)
{
    return static_cast<char32_t>(bytes[offset] | bytes[offset + 1] << 8);
}

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::wstring descriptorText(std::span<const uint8_t> descriptor)
{
    if (descriptor.size() < 2)
        return {};
    const size_t end = std::min<size_t>(descriptor.size(), descriptor[0]);
    std::wstring text;
    for (size_t i = 2; i + 2 <= end; i += 2) {
        const char32_t unit = unitAt(descriptor, i);
        if (unit == 0)
            break;
        if (isHighSurrogate(unit) && i + 4 <= end && isLowSurrogate(unitAt(descriptor, i + 2))) {
            text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) +
                                         (unitAt(descriptor, i + 2) - 0xDC00));
            i += 2;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            text += static_cast<wchar_t>(0xFFFD);
        } else {
            text += static_cast<wchar_t>(unit);
        }
    }
    return text;
}

}  // namespace zel::zeldev
