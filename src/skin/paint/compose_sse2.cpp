#include "skin/paint/compose_kernels.h"

#if defined(VELMAP_HAVE_SSE2)
#include <emmintrin.h>

namespace velmap::paint::kernels {

// Eight lanes: each product is below 65536 and so is their sum (at most
// 255 * 256), so 16-bit arithmetic is exact and the shift a logical one.
static inline __m128i Compose8(__m128i d16, __m128i s16, __m128i m16, __m128i k256) {
    const __m128i keep = _mm_mullo_epi16(d16, m16);
    const __m128i take = _mm_mullo_epi16(s16, _mm_sub_epi16(k256, m16));
    return _mm_srli_epi16(_mm_add_epi16(keep, take), 8);
}

void ComposeRowSse2(std::uint8_t* d, const std::uint8_t* s, const std::uint8_t* m, std::size_t n) noexcept {
    const __m128i zero = _mm_setzero_si128();
    const __m128i k256 = _mm_set1_epi16(256);
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i mv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m + i));
        const __m128i lo = Compose8(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero),
                                    _mm_unpacklo_epi8(mv, zero), k256);
        const __m128i hi = Compose8(_mm_unpackhi_epi8(dv, zero), _mm_unpackhi_epi8(sv, zero),
                                    _mm_unpackhi_epi8(mv, zero), k256);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(lo, hi));
    }
    if (i + 8 <= n) {
        const __m128i dv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + i));
        const __m128i sv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + i));
        const __m128i mv = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(m + i));
        const __m128i r = Compose8(_mm_unpacklo_epi8(dv, zero), _mm_unpacklo_epi8(sv, zero),
                                   _mm_unpacklo_epi8(mv, zero), k256);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(r, zero));
        i += 8;
    }
    for (; i < n; ++i) d[i] = static_cast<std::uint8_t>((d[i] * unsigned{m[i]} + s[i] * (256u - m[i])) >> 8);
}

}  // namespace velmap::paint::kernels
#endif
