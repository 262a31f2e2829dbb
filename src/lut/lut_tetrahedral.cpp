// The prepared lookup: the scalar kernel and its eight-pixel AVX2 form.
// The AVX2 form does the same single-precision operations in the same order
// (multiplies and adds kept apart, no fused operations), takes the weights
// as the largest, middle and smallest fraction, and picks the corners by
// compare-and-select, so it returns the bits of the scalar kernel.
#include "lut/lut_tetrahedral.h"

#include <algorithm>
#include <atomic>

#include "foundation/numeric.h"
#include "lut/lut.h"

#if defined(__x86_64__) || defined(__i386__)
#define KROMEL_LUT_AVX2 1
#include <immintrin.h>
#define KROMEL_AVX2 __attribute__((target("avx2")))
#endif

namespace kromel {

namespace {

std::atomic<bool> SimdAllowed{true};

bool CpuHasAvx2() {
#ifdef KROMEL_LUT_AVX2
  static const bool Has = __builtin_cpu_supports("avx2");
  return Has;
#else
  return false;
#endif
}

// One 16-bit pixel to 8 bits (see Apply64To32).
inline void Pixel64To32(const TPreparedLut& Look, const TPixel64& S, TVPixel32& D, bool UseAlpha) {
  float V[3] = {static_cast<float>(S.R) / 65535.0f, static_cast<float>(S.G) / 65535.0f,
                static_cast<float>(S.B) / 65535.0f};
  Look.Lookup(V[0], V[1], V[2]);
  const uint32_t In[3] = {S.R, S.G, S.B};
  const uint32_t A = S.A;
  uint8_t O[3];
  for (int c = 0; c < 3; ++c) {
    const uint32_t L = RoundClamp(V[c] * 255.0f, 255.0f);
    O[c] = static_cast<uint8_t>(UseAlpha ? (In[c] * (255 - (A >> 8)) + A * L) / 65535 : L);
  }
  D.BGRA = {O[2], O[1], O[0], static_cast<uint8_t>(A >> 8)};
}

// One 16-bit pixel's output from its looked-up colour V (see Apply64).
inline void Finish64(const TPixel64& S, const float V[3], TPixel64& D, bool UseAlpha) {
  const uint32_t O[3] = {RoundClamp(V[0] * 65535.0f, 65535.0f), RoundClamp(V[1] * 65535.0f, 65535.0f),
                         RoundClamp(V[2] * 65535.0f, 65535.0f)};
  if (UseAlpha) {
    const uint64_t A = S.A;
    const uint16_t In[3] = {S.R, S.G, S.B};
    uint16_t Out[3];
    for (int c = 0; c < 3; ++c)
      Out[c] = static_cast<uint16_t>((In[c] * (65535 - A) + A * O[c]) / 65535);
    D.R = Out[0];
    D.G = Out[1];
    D.B = Out[2];
  } else {
    D.R = static_cast<uint16_t>(O[0]);
    D.G = static_cast<uint16_t>(O[1]);
    D.B = static_cast<uint16_t>(O[2]);
  }
}

inline void Pixel64(const TPreparedLut& Look, const TPixel64& S, TPixel64& D, bool UseAlpha) {
  float V[3] = {static_cast<float>(S.R) / 65535.0f, static_cast<float>(S.G) / 65535.0f,
                static_cast<float>(S.B) / 65535.0f};
  Look.Lookup(V[0], V[1], V[2]);
  Finish64(S, V, D, UseAlpha);
}

// One 8-bit pixel (see Apply32).
inline void Pixel32(const TPreparedLut& Look, const TVPixel32& S, TVPixel32& D) {
  const TBGRAPixel32 P = S.BGRA;
  if (P.A == 0) {
    D = S;
    return;
  }
  const float V[3] = {static_cast<float>(P.R) / 255.0f, static_cast<float>(P.G) / 255.0f,
                      static_cast<float>(P.B) / 255.0f};
  float L[3] = {V[0], V[1], V[2]};
  Look.Lookup(L[0], L[1], L[2]);
  const float A = P.A, InvA = static_cast<float>(255 - P.A);
  uint8_t O[3];
  for (int c = 0; c < 3; ++c)
    O[c] = static_cast<uint8_t>(RoundClamp(InvA * V[c] + A * L[c], 255.0f));
  D.BGRA = {O[2], O[1], O[0], P.A};
}

}  // namespace

bool LutSimdActive() { return CpuHasAvx2() && SimdAllowed.load(std::memory_order_relaxed); }
void SetLutSimdAllowed(bool Allowed) { SimdAllowed.store(Allowed); }

bool TPreparedLut::Prepare(const T3DLut& Lut, bool Interleave) {
  FReady = false;
  FNodes.clear();
  const int32_t NR = Lut.NLRH, NG = Lut.NLGS, NB = Lut.NLBL;
  if (Lut.R == nullptr || Lut.G == nullptr || Lut.B == nullptr || !ValidLutLevels(NR) ||
      !ValidLutLevels(NG) || !ValidLutLevels(NB) ||
      int64_t(Lut.Count) < int64_t(NR) * NG * NB)
    return false;
  const int32_t Levels[3] = {NR, NG, NB};
  for (int a = 0; a < 3; ++a) {
    FLast[a] = Levels[a] - 2;
    FScale[a] = static_cast<float>(Levels[a] - 1);
  }
  FSG = NR;
  FSB = int64_t(NR) * NG;
  const int64_t Count = FSB * NB;
  if (Interleave) {
    FNodes.resize(static_cast<std::size_t>(4 * Count));
    float* D = FNodes.data();
    for (int64_t k = 0; k < Count; ++k) {
      D[4 * k] = Lut.R[k];
      D[4 * k + 1] = Lut.G[k];
      D[4 * k + 2] = Lut.B[k];
      D[4 * k + 3] = 0;
    }
    FR = D;
    FG = D + 1;
    FB = D + 2;
    FStride = 4;
  } else {
    FR = Lut.R;
    FG = Lut.G;
    FB = Lut.B;
    FStride = 1;
  }
  FReady = true;
  return true;
}

void TPreparedLut::Lookup(float& Red, float& Green, float& Blue) const {
  if (!FReady) return;
  Red = Clamp01(Red);
  Green = Clamp01(Green);
  Blue = Clamp01(Blue);
  int32_t I[3];
  float F[3];
  const float V[3] = {Red, Green, Blue};
  for (int a = 0; a < 3; ++a) {
    const float P = FScale[a] * V[a];
    I[a] = static_cast<int32_t>(P);
    if (I[a] > FLast[a]) I[a] = FLast[a];
    F[a] = P - static_cast<float>(I[a]);
  }
  const int64_t OffB[2] = {I[2] * FSB, (I[2] + 1) * FSB};
  const int64_t OffG[2] = {I[1] * FSG, (I[1] + 1) * FSG};
  const int64_t OffR[2] = {I[0], int64_t(I[0]) + 1};
  const TTetrahedron T = SelectTetrahedron(F[2], F[1], F[0], OffB, OffG, OffR);
  Red = BlendTetrahedron(T, FR, FStride);
  Green = BlendTetrahedron(T, FG, FStride);
  Blue = BlendTetrahedron(T, FB, FStride);
}

// The eight-pixel forms; each returns how many leading pixels it did (a
// multiple of eight), the caller does the rest one by one.
struct TPreparedRows {
#ifdef KROMEL_LUT_AVX2
  struct TCell {
    __m256i I;
    __m256 F;
  };
  KROMEL_AVX2 static inline TCell Cell(const TPreparedLut& L, int Axis, __m256 V) {
    const __m256 P = _mm256_mul_ps(_mm256_set1_ps(L.FScale[Axis]), V);
    const __m256i I = _mm256_min_epi32(_mm256_cvttps_epi32(P), _mm256_set1_epi32(L.FLast[Axis]));
    return {I, _mm256_sub_ps(P, _mm256_cvtepi32_ps(I))};
  }

  KROMEL_AVX2 static inline __m256 Blend(const float* Plane, const __m256i K[4], const __m256 W[4]) {
    __m256 S = _mm256_add_ps(_mm256_mul_ps(W[0], _mm256_i32gather_ps(Plane, K[0], 4)),
                             _mm256_mul_ps(W[1], _mm256_i32gather_ps(Plane, K[1], 4)));
    S = _mm256_add_ps(S, _mm256_mul_ps(W[2], _mm256_i32gather_ps(Plane, K[2], 4)));
    return _mm256_add_ps(S, _mm256_mul_ps(W[3], _mm256_i32gather_ps(Plane, K[3], 4)));
  }

  // Eight colours in 0..1 through the kernel.
  KROMEL_AVX2 static inline void Lookup8(const TPreparedLut& L, __m256& R, __m256& G, __m256& B) {
    const TCell CR = Cell(L, 0, R), CG = Cell(L, 1, G), CB = Cell(L, 2, B);
    const __m256 fr = CR.F, fg = CG.F, fb = CB.F;
    const __m256i SB = _mm256_set1_epi32(static_cast<int32_t>(L.FSB));
    const __m256i SG = _mm256_set1_epi32(static_cast<int32_t>(L.FSG));
    const __m256i S1 = _mm256_set1_epi32(1);
    const __m256i Base =
        _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(CB.I, SB), _mm256_mullo_epi32(CG.I, SG)), CR.I);
    const __m256 bg = _mm256_cmp_ps(fb, fg, _CMP_GT_OQ), gr = _mm256_cmp_ps(fg, fr, _CMP_GT_OQ);
    const __m256 br = _mm256_cmp_ps(fb, fr, _CMP_GT_OQ), rg = _mm256_cmp_ps(fr, fg, _CMP_GT_OQ);
    const __m256 rb = _mm256_cmp_ps(fr, fb, _CMP_GT_OQ);
    // The axis of the largest fraction and of the smallest, as the scalar
    // kernel's branches choose them (ties included).
    const __m256 XB = _mm256_and_ps(bg, br);
    const __m256 XR = _mm256_or_ps(_mm256_andnot_ps(br, bg), _mm256_andnot_ps(bg, rg));
    const __m256 ZG = _mm256_andnot_ps(gr, bg);
    const __m256 ZB = _mm256_andnot_ps(bg, _mm256_or_ps(rg, rb));
    __m256i DX = _mm256_blendv_epi8(SG, S1, _mm256_castps_si256(XR));
    DX = _mm256_blendv_epi8(DX, SB, _mm256_castps_si256(XB));
    __m256i DZ = _mm256_blendv_epi8(S1, SB, _mm256_castps_si256(ZB));
    DZ = _mm256_blendv_epi8(DZ, SG, _mm256_castps_si256(ZG));
    const __m256i All = _mm256_add_epi32(_mm256_add_epi32(SB, SG), S1);
    __m256i K[4] = {Base, _mm256_add_epi32(Base, DX),
                    _mm256_sub_epi32(_mm256_add_epi32(Base, All), DZ), _mm256_add_epi32(Base, All)};
    if (L.FStride == 4)
      for (__m256i& k : K) k = _mm256_slli_epi32(k, 2);
    const __m256 Hi = _mm256_max_ps(_mm256_max_ps(fb, fg), fr);
    const __m256 Lo = _mm256_min_ps(_mm256_min_ps(fb, fg), fr);
    const __m256 Mid = _mm256_max_ps(_mm256_min_ps(fb, fg), _mm256_min_ps(_mm256_max_ps(fb, fg), fr));
    const __m256 W[4] = {_mm256_sub_ps(_mm256_set1_ps(1.0f), Hi), _mm256_sub_ps(Hi, Mid),
                         _mm256_sub_ps(Mid, Lo), Lo};
    if (L.FStride == 4) {
      BlendNodes(L.FR, K, W, R, G, B);
      return;
    }
    R = Blend(L.FR, K, W);
    G = Blend(L.FG, K, W);
    B = Blend(L.FB, K, W);
  }

  // The blend over interleaved nodes: each corner's R, G, B (and pad) come
  // in one 16-byte load and are blended together, pixel by pixel, in the
  // kernel's order of operations; cheaper than twelve gathers.
  KROMEL_AVX2 static inline void BlendNodes(const float* Nodes, const __m256i K[4],
                                            const __m256 W[4], __m256& R, __m256& G, __m256& B) {
    alignas(32) int32_t Ks[4][8];
    alignas(32) float Ws[4][8];
    for (int c = 0; c < 4; ++c) {
      _mm256_store_si256(reinterpret_cast<__m256i*>(Ks[c]), K[c]);
      _mm256_store_ps(Ws[c], W[c]);
    }
    __m128 P[8];
    for (int j = 0; j < 8; ++j) {
      __m128 S = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(Ws[0][j]), _mm_loadu_ps(Nodes + Ks[0][j])),
                            _mm_mul_ps(_mm_set1_ps(Ws[1][j]), _mm_loadu_ps(Nodes + Ks[1][j])));
      S = _mm_add_ps(S, _mm_mul_ps(_mm_set1_ps(Ws[2][j]), _mm_loadu_ps(Nodes + Ks[2][j])));
      P[j] = _mm_add_ps(S, _mm_mul_ps(_mm_set1_ps(Ws[3][j]), _mm_loadu_ps(Nodes + Ks[3][j])));
    }
    _MM_TRANSPOSE4_PS(P[0], P[1], P[2], P[3]);
    _MM_TRANSPOSE4_PS(P[4], P[5], P[6], P[7]);
    R = _mm256_set_m128(P[4], P[0]);
    G = _mm256_set_m128(P[5], P[1]);
    B = _mm256_set_m128(P[6], P[2]);
  }

  // rnd(255 * V) limited to 0..255 (NaN gives 0), as RoundClamp.
  KROMEL_AVX2 static inline __m256i ToByte(__m256 V) {
    const __m256 X = _mm256_mul_ps(V, _mm256_set1_ps(255.0f));
    return _mm256_cvtps_epi32(
        _mm256_min_ps(_mm256_max_ps(X, _mm256_setzero_ps()), _mm256_set1_ps(255.0f)));
  }
  // rnd(65535 * V) limited to 0..65535 (NaN gives 0), as RoundClamp.
  KROMEL_AVX2 static inline __m256i ToWord(__m256 V) {
    const __m256 X = _mm256_mul_ps(V, _mm256_set1_ps(65535.0f));
    return _mm256_cvtps_epi32(
        _mm256_min_ps(_mm256_max_ps(X, _mm256_setzero_ps()), _mm256_set1_ps(65535.0f)));
  }
  KROMEL_AVX2 static inline __m256i Pack(__m256i B, __m256i G, __m256i R, __m256i A) {
    return _mm256_or_si256(_mm256_or_si256(B, _mm256_slli_epi32(G, 8)),
                           _mm256_or_si256(_mm256_slli_epi32(R, 16), _mm256_slli_epi32(A, 24)));
  }

  // (In * Keep + A * Lc) / 65535 for sums below 2^26, where
  // (x + 1 + x / 65536) / 65536 equals x / 65535.
  KROMEL_AVX2 static inline __m256i MixWord(__m256i In, __m256i Lc, __m256i Keep, __m256i A) {
    const __m256i X = _mm256_add_epi32(_mm256_mullo_epi32(In, Keep), _mm256_mullo_epi32(A, Lc));
    return _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_add_epi32(X, _mm256_set1_epi32(1)), _mm256_srli_epi32(X, 16)), 16);
  }
  // rnd(Keep * V + A * Lc) limited to 0..255.
  KROMEL_AVX2 static inline __m256i MixByte(__m256 V, __m256 Lc, __m256 Keep, __m256 A) {
    const __m256 X = _mm256_add_ps(_mm256_mul_ps(Keep, V), _mm256_mul_ps(A, Lc));
    return _mm256_cvtps_epi32(
        _mm256_min_ps(_mm256_max_ps(X, _mm256_setzero_ps()), _mm256_set1_ps(255.0f)));
  }

  KROMEL_AVX2 static int64_t Rows64To32(const TPreparedLut& L, const TPixel64* Src, TVPixel32* Dst,
                                        int64_t Count, bool UseAlpha) {
    const __m256 WordMax = _mm256_set1_ps(65535.0f);
    const __m256i B255 = _mm256_set1_epi32(255);
    int64_t i = 0;
    for (; i + 8 <= Count; i += 8) {
      __m256i Ri, Gi, Bi, Ai;
      LoadWords(Src + i, Ri, Gi, Bi, Ai);
      const __m256i A8 = _mm256_srli_epi32(Ai, 8);
      if (UseAlpha && _mm256_testz_si256(Ai, Ai)) {
        // Eight transparent pixels (a view's margins): the mix keeps only
        // In * 255 / 65535, no lookup needed.
        const __m256i Zero = _mm256_setzero_si256();
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i),
                            Pack(MixWord(Bi, Zero, B255, Zero), MixWord(Gi, Zero, B255, Zero),
                                 MixWord(Ri, Zero, B255, Zero), Zero));
        continue;
      }
      __m256 R = Unit(Ri, WordMax), G = Unit(Gi, WordMax), B = Unit(Bi, WordMax);
      Lookup8(L, R, G, B);
      __m256i OR = ToByte(R), OG = ToByte(G), OB = ToByte(B);
      if (UseAlpha) {
        // (In * (255 - A8) + A * L) / 65535; the sum stays below 2^26, where
        // (x + 1 + x / 65536) / 65536 is x / 65535 exactly.
        const __m256i Keep = _mm256_sub_epi32(B255, A8);
        OR = MixWord(Ri, OR, Keep, Ai);
        OG = MixWord(Gi, OG, Keep, Ai);
        OB = MixWord(Bi, OB, Keep, Ai);
      }
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i), Pack(OB, OG, OR, A8));
    }
    return i;
  }

  // Whole numbers to units: I / Max (exactly word / 65535 or byte / 255
  // as the plain loop computes it).
  KROMEL_AVX2 static inline __m256 Unit(__m256i I, __m256 Max) {
    return _mm256_div_ps(_mm256_cvtepi32_ps(I), Max);
  }

  // Eight 16-bit pixels' channels, one vector each.
  KROMEL_AVX2 static inline void LoadWords(const TPixel64* Src, __m256i& Ri, __m256i& Gi,
                                           __m256i& Bi, __m256i& Ai) {
    const __m256i Order = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    const __m256i Low16 = _mm256_set1_epi32(0xFFFF);
    const __m256i P0 = _mm256_permutevar8x32_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src)), Order);
    const __m256i P1 = _mm256_permutevar8x32_epi32(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + 4)), Order);
    const __m256i RG = _mm256_permute2x128_si256(P0, P1, 0x20);
    const __m256i BA = _mm256_permute2x128_si256(P0, P1, 0x31);
    Ri = _mm256_and_si256(RG, Low16);
    Gi = _mm256_srli_epi32(RG, 16);
    Bi = _mm256_and_si256(BA, Low16);
    Ai = _mm256_srli_epi32(BA, 16);
  }

  // (In * (65535 - A) + A * Lc) / 65535: the sum is at most 65535^2, below
  // 2^32, where (x + 1 + x / 65536) / 65536 equals x / 65535 exactly.
  KROMEL_AVX2 static inline __m256i MixWord16(__m256i In, __m256i Lc, __m256i Keep, __m256i A) {
    const __m256i X = _mm256_add_epi32(_mm256_mullo_epi32(In, Keep), _mm256_mullo_epi32(A, Lc));
    return _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_add_epi32(X, _mm256_set1_epi32(1)), _mm256_srli_epi32(X, 16)), 16);
  }

  KROMEL_AVX2 static int64_t Rows64(const TPreparedLut& L, const TPixel64* Src, TPixel64* Dst,
                                    int64_t Count, bool UseAlpha) {
    const __m256 WordMax = _mm256_set1_ps(65535.0f);
    const __m256i W65535 = _mm256_set1_epi32(65535);
    // In place the destination's alpha is the source's: no second read.
    const bool InPlace = Src == Dst;
    int64_t i = 0;
    for (; i + 8 <= Count; i += 8) {
      __m256i Ri, Gi, Bi, Ai;
      LoadWords(Src + i, Ri, Gi, Bi, Ai);
      __m256 R = Unit(Ri, WordMax), G = Unit(Gi, WordMax), B = Unit(Bi, WordMax);
      Lookup8(L, R, G, B);
      __m256i OR = ToWord(R), OG = ToWord(G), OB = ToWord(B);
      if (UseAlpha) {
        const __m256i Keep = _mm256_sub_epi32(W65535, Ai);
        OR = MixWord16(Ri, OR, Keep, Ai);
        OG = MixWord16(Gi, OG, Keep, Ai);
        OB = MixWord16(Bi, OB, Keep, Ai);
      }
      // The output words beside the destination's own alpha, back in pixel order.
      __m256i DA = Ai;
      if (!InPlace) {
        __m256i DR, DG, DB;
        LoadWords(Dst + i, DR, DG, DB, DA);
      }
      const __m256i RG = _mm256_or_si256(OR, _mm256_slli_epi32(OG, 16));
      const __m256i BA = _mm256_or_si256(OB, _mm256_slli_epi32(DA, 16));
      const __m256i Lo = _mm256_unpacklo_epi32(RG, BA), Hi = _mm256_unpackhi_epi32(RG, BA);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i), _mm256_permute2x128_si256(Lo, Hi, 0x20));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i + 4),
                          _mm256_permute2x128_si256(Lo, Hi, 0x31));
    }
    return i;
  }

  KROMEL_AVX2 static int64_t Rows32(const TPreparedLut& L, const TVPixel32* Src, TVPixel32* Dst,
                                    int64_t Count) {
    const __m256i Byte = _mm256_set1_epi32(0xFF);
    const __m256 ByteMax = _mm256_set1_ps(255.0f);
    int64_t i = 0;
    for (; i + 8 <= Count; i += 8) {
      const __m256i P = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Src + i));
      const __m256i Bi = _mm256_and_si256(P, Byte);
      const __m256i Gi = _mm256_and_si256(_mm256_srli_epi32(P, 8), Byte);
      const __m256i Ri = _mm256_and_si256(_mm256_srli_epi32(P, 16), Byte);
      const __m256i Ai = _mm256_srli_epi32(P, 24);
      const __m256 VR = Unit(Ri, ByteMax), VG = Unit(Gi, ByteMax), VB = Unit(Bi, ByteMax);
      __m256 R = VR, G = VG, B = VB;
      Lookup8(L, R, G, B);
      const __m256 A = _mm256_cvtepi32_ps(Ai);
      const __m256 Keep = _mm256_cvtepi32_ps(_mm256_sub_epi32(_mm256_set1_epi32(255), Ai));
      const __m256i Out =
          Pack(MixByte(VB, B, Keep, A), MixByte(VG, G, Keep, A), MixByte(VR, R, Keep, A), Ai);
      const __m256i Clear = _mm256_cmpeq_epi32(Ai, _mm256_setzero_si256());
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(Dst + i), _mm256_blendv_epi8(Out, P, Clear));
    }
    return i;
  }
#endif

  // Whether the eight-pixel forms may run: AVX2 on, and every node offset
  // (times the stride) fits a 32-bit gather index.
  static bool Usable(const TPreparedLut& L) {
    if (!L.FReady || !LutSimdActive()) return false;
    const int64_t Nodes = L.FSB * (static_cast<int64_t>(L.FScale[2]) + 1);
    return Nodes * L.FStride < (int64_t(1) << 31);
  }
};

void TPreparedLut::Apply64To32(const TPixel64* Src, TVPixel32* Dst, int64_t Count,
                               bool UseAlpha) const {
  int64_t i = 0;
#ifdef KROMEL_LUT_AVX2
  if (TPreparedRows::Usable(*this)) i = TPreparedRows::Rows64To32(*this, Src, Dst, Count, UseAlpha);
#endif
  for (; i < Count; ++i) Pixel64To32(*this, Src[i], Dst[i], UseAlpha);
}

void TPreparedLut::Apply64(const TPixel64* Src, TPixel64* Dst, int64_t Count,
                           bool UseAlpha) const {
  int64_t i = 0;
#ifdef KROMEL_LUT_AVX2
  if (TPreparedRows::Usable(*this)) i = TPreparedRows::Rows64(*this, Src, Dst, Count, UseAlpha);
#endif
  for (; i < Count; ++i) Pixel64(*this, Src[i], Dst[i], UseAlpha);
}

void TPreparedLut::Apply32(const TVPixel32* Src, TVPixel32* Dst, int64_t Count) const {
  int64_t i = 0;
#ifdef KROMEL_LUT_AVX2
  if (TPreparedRows::Usable(*this)) i = TPreparedRows::Rows32(*this, Src, Dst, Count);
#endif
  for (; i < Count; ++i) Pixel32(*this, Src[i], Dst[i]);
}

}  // namespace kromel
