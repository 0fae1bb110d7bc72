#include "skin/paint/blend_kernels.h"

#if defined(VELMAP_HAVE_SSE2)
#include <emmintrin.h>

namespace velmap::paint::kernels {

// d * a + s * (255 - a) + 127 is at most 255 * 255 + 127 = 65152, so the
// whole sum fits an unsigned 16-bit lane and the shift is a logical one.
static inline __m128i Blend8(__m128i d16, __m128i s16, __m128i keep, __m128i take, __m128i bias) {
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(d16, keep), _mm_mullo_epi16(s16, take));
    return _mm_srli_epi16(_mm_add_epi16(sum, bias), 8);
}

void BlendRowSse2(std::uint8_t* d, const std::uint8_t* s, std::size_t n, std::uint8_t a) noexcept {
    const __m128i keep = _mm_set1_epi16(static_cast<short>(a));
    const __m128i take = _mm_set1_epi16(static_cast<short>(255 - a));
    const __m128i bias = _mm_set1_epi16(127);
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i lo = Blend8(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero), keep, take, bias);
        const __m128i hi = Blend8(_mm_unpackhi_epi8(dv, zero), _mm_unpackhi_epi8(sv, zero), keep, take, bias);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(lo, hi));
    }
    // A short tail: 8 bytes through the low half of a register, the rest one by one.
    if (i + 8 <= n) {
        const __m128i dv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + i));
        const __m128i sv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + i));
        const __m128i r = Blend8(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero), keep, take, bias);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(r, zero));
        i += 8;
    }
    const unsigned k = a, t = 255u - a;
    for (; i < n; ++i) d[i] = static_cast<std::uint8_t>((d[i] * k + s[i] * t + 127u) >> 8);
}

}  // namespace velmap::paint::kernels
#endif
