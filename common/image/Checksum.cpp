#include "image/Checksum.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define ZEL_IMAGE_X86_SUM 1
#include <immintrin.h>
#endif

namespace zel::image {
namespace {

uint64_t plainSum(const uint8_t* bytes, size_t size) {
    uint64_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum += bytes[i];
    return sum;
}

#if ZEL_IMAGE_X86_SUM
// PSADBW against zero adds 8 bytes at a time into 64-bit lanes, which cannot overflow for any
// buffer that fits in memory. Four independent accumulators keep the adds from waiting on each
// other. SSE2 is part of every x86-64 processor.
uint64_t sse2Sum(const uint8_t* bytes, size_t size) {
    const __m128i zero = _mm_setzero_si128();
    __m128i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
    size_t i = 0;
    for (; i + 64 <= size; i += 64) {
        auto p = reinterpret_cast<const __m128i*>(bytes + i);
        acc0 = _mm_add_epi64(acc0, _mm_sad_epu8(_mm_loadu_si128(p + 0), zero));
        acc1 = _mm_add_epi64(acc1, _mm_sad_epu8(_mm_loadu_si128(p + 1), zero));
        acc2 = _mm_add_epi64(acc2, _mm_sad_epu8(_mm_loadu_si128(p + 2), zero));
        acc3 = _mm_add_epi64(acc3, _mm_sad_epu8(_mm_loadu_si128(p + 3), zero));
    }
    __m128i total = _mm_add_epi64(_mm_add_epi64(acc0, acc1), _mm_add_epi64(acc2, acc3));
    total = _mm_add_epi64(total, _mm_unpackhi_epi64(total, total));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(total)) + plainSum(bytes + i, size - i);
}

// The same with 32-byte vectors, for processors that have AVX2 (chosen at run time, so the
// library needs no machine-specific build flags).
__attribute__((target("avx2"))) uint64_t avx2Sum(const uint8_t* bytes, size_t size) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
    size_t i = 0;
    for (; i + 128 <= size; i += 128) {
        auto p = reinterpret_cast<const __m256i*>(bytes + i);
        acc0 = _mm256_add_epi64(acc0, _mm256_sad_epu8(_mm256_loadu_si256(p + 0), zero));
        acc1 = _mm256_add_epi64(acc1, _mm256_sad_epu8(_mm256_loadu_si256(p + 1), zero));
        acc2 = _mm256_add_epi64(acc2, _mm256_sad_epu8(_mm256_loadu_si256(p + 2), zero));
        acc3 = _mm256_add_epi64(acc3, _mm256_sad_epu8(_mm256_loadu_si256(p + 3), zero));
    }
    __m256i total = _mm256_add_epi64(_mm256_add_epi64(acc0, acc1), _mm256_add_epi64(acc2, acc3));
    __m128i half = _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
    half = _mm_add_epi64(half, _mm_unpackhi_epi64(half, half));
    return static_cast<uint64_t>(_mm_cvtsi128_si64(half)) + sse2Sum(bytes + i, size - i);
}

uint64_t vectorSum(const uint8_t* bytes, size_t size) {
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    return hasAvx2 ? avx2Sum(bytes, size) : sse2Sum(bytes, size);
}
#else
uint64_t vectorSum(const uint8_t* bytes, size_t size) { return plainSum(bytes, size); }
#endif

}  // namespace

uint32_t byteSum(std::span<const uint8_t> bytes) {
    return static_cast<uint32_t>(vectorSum(bytes.data(), bytes.size()));
}

}  // namespace zel::image
