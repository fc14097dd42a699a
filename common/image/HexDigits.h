// Table-driven hex decoding and encoding for the text formats' hot loops.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zel::image::detail {

// Digit value of a character, or kNotHex. kNotHex shifted by four still lies above 0xFF, so
// OR-ing every decoded pair into one word and testing it once tells whether all were digits.
inline constexpr uint16_t kNotHex = 0x100;

inline constexpr std::array<uint16_t, 256> kDigitValue = [] {
    std::array<uint16_t, 256> table{};
    for (auto& entry : table) entry = kNotHex;
    for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<uint16_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) table[c] = static_cast<uint16_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c) table[c] = static_cast<uint16_t>(c - 'a' + 10);
    return table;
}();

// The digit value of the first character of a pair, already shifted into the high nibble.
inline constexpr std::array<uint16_t, 256> kHighDigitValue = [] {
    std::array<uint16_t, 256> table{};
    for (size_t c = 0; c < 256; ++c) table[c] = static_cast<uint16_t>(kDigitValue[c] << 4);
    return table;
}();

#if defined(__SSE2__)
// Sixteen bytes from 32 characters at once. A character is a digit when c - '0' <= 9 or a
// letter when (c | 0x20) - 'a' <= 5 (unsigned); anything else marks bad.
inline __m128i decodeSixteen(const char* text, __m128i& bad) {
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i five = _mm_set1_epi8(5);
    auto nibbles = [&](__m128i c) {
        __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
        __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
        __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, nine), digit);
        __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, five), letter);
        bad = _mm_or_si128(bad, _mm_cmpeq_epi8(_mm_or_si128(isDigit, isLetter), _mm_setzero_si128()));
        return _mm_or_si128(_mm_and_si128(isDigit, digit),
                            _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
    };
    // Each 16-bit lane holds a pair: the high nibble in its low byte, the low nibble above.
    auto pairs = [](__m128i n) {
        return _mm_or_si128(_mm_slli_epi16(_mm_and_si128(n, _mm_set1_epi16(0x00FF)), 4), _mm_srli_epi16(n, 8));
    };
    __m128i first = pairs(nibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text))));
    __m128i second = pairs(nibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 16))));
    return _mm_packus_epi16(first, second);
}
#endif

// Decodes count bytes from 2 * count characters. Returns false when any character is not a
// hex digit; out is then partly written. sum receives the plain sum of the decoded bytes.
inline bool decodeHexBytes(const char* text, size_t count, uint8_t* out, unsigned& sum) {
    auto digits = reinterpret_cast<const unsigned char*>(text);
    unsigned seen = 0;
    unsigned total = 0;
    size_t i = 0;
#if defined(__SSE2__)
    if (count >= 16) {
        __m128i bad = _mm_setzero_si128();
        __m128i sums = _mm_setzero_si128();
        for (; i + 16 <= count; i += 16) {
            __m128i bytes = decodeSixteen(text + 2 * i, bad);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
            sums = _mm_add_epi64(sums, _mm_sad_epu8(bytes, _mm_setzero_si128()));
        }
        if (_mm_movemask_epi8(bad) != 0) return false;
        sums = _mm_add_epi64(sums, _mm_unpackhi_epi64(sums, sums));
        total = static_cast<unsigned>(_mm_cvtsi128_si32(sums));
    }
#endif
    for (; i < count; ++i) {
        unsigned value = kHighDigitValue[digits[2 * i]] | kDigitValue[digits[2 * i + 1]];
        seen |= value;
        out[i] = static_cast<uint8_t>(value);
        total += value;
    }
    sum = total;
    return seen <= 0xFF;
}

// Upper-case two-character hex text of every byte value.
inline constexpr std::array<std::array<char, 2>, 256> kHexPair = [] {
    std::array<std::array<char, 2>, 256> table{};
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int v = 0; v < 256; ++v) table[v] = {kDigits[v >> 4], kDigits[v & 0xF]};
    return table;
}();

inline char* encodeHexByte(char* out, uint8_t value) {
    out[0] = kHexPair[value][0];
    out[1] = kHexPair[value][1];
    return out + 2;
}

}  // namespace zel::image::detail
