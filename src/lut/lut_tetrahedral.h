// The tetrahedral kernel of every T3DLut lookup, and the prepared lookup the
// colour forms and the image loops share. The kernel picks the tetrahedron
// by the order of the fractions (largest first, strict comparisons) and
// blends its four corners in single precision, in one fixed order of
// operations, so every path gives the same bits.
#pragma once
#include <cstdint>
#include <vector>

#include "images/image_header.h"

namespace kromel {

class T3DLut;

// The four corners (node offsets) and weights of the tetrahedron that holds
// a point with fractions (fb, fg, fr); a corner is OffB[b'] + OffG[g'] + OffR[r'].
struct TTetrahedron {
  int64_t K[4];
  float W[4];
};

inline TTetrahedron SelectTetrahedron(float fb, float fg, float fr, const int64_t OffB[2],
                                      const int64_t OffG[2], const int64_t OffR[2]) {
  auto C = [&](int b, int g, int r) { return OffB[b] + OffG[g] + OffR[r]; };
  if (fb > fg) {
    if (fg > fr)
      return {{C(0, 0, 0), C(1, 0, 0), C(1, 1, 0), C(1, 1, 1)}, {1 - fb, fb - fg, fg - fr, fr}};
    if (fb > fr)
      return {{C(0, 0, 0), C(1, 0, 0), C(1, 0, 1), C(1, 1, 1)}, {1 - fb, fb - fr, fr - fg, fg}};
    return {{C(0, 0, 0), C(0, 0, 1), C(1, 0, 1), C(1, 1, 1)}, {1 - fr, fr - fb, fb - fg, fg}};
  }
  if (fr > fg)
    return {{C(0, 0, 0), C(0, 0, 1), C(0, 1, 1), C(1, 1, 1)}, {1 - fr, fr - fg, fg - fb, fb}};
  if (fr > fb)
    return {{C(0, 0, 0), C(0, 1, 0), C(0, 1, 1), C(1, 1, 1)}, {1 - fg, fg - fr, fr - fb, fb}};
  return {{C(0, 0, 0), C(0, 1, 0), C(1, 1, 0), C(1, 1, 1)}, {1 - fg, fg - fb, fb - fr, fr}};
}

// The blend of the four corners of plane P, whose nodes lie Stride floats apart.
inline float BlendTetrahedron(const TTetrahedron& T, const float* P, int64_t Stride = 1) {
  return ((T.W[0] * P[Stride * T.K[0]] + T.W[1] * P[Stride * T.K[1]]) +
          T.W[2] * P[Stride * T.K[2]]) +
         T.W[3] * P[Stride * T.K[3]];
}

// rnd(V) limited to 0..Max; NaN gives 0. Adding and taking away 1.5 * 2^23
// rounds a float below 2^22 to a whole number, halves to even, under the
// default rounding mode: the value std::nearbyint gives, without a call.
inline uint32_t RoundClamp(float V, float Max) {
  if (!(V > 0)) return 0;
  if (V >= Max) return static_cast<uint32_t>(Max);
  volatile float Magic = 12582912.0f;  // kept from being folded away
  const float M = Magic;
  return static_cast<uint32_t>((V + M) - M);
}

// A LUT's grid made ready for many lookups: built once from a LUT that does
// not change while it is used, then read by any number of threads. It reads
// the LUT's planes in place, or an interleaved copy (R, G, B, pad per node)
// of its own that keeps the four corners of a lookup in four cache lines.
// Image rows run eight pixels at a time on AVX2 when the processor has it,
// else one at a time; both give the same bits.
class TPreparedLut {
 public:
  // False (and no lookup) for a LUT without planes or with an axis outside
  // MinLutLevels..MaxLutLevels. The LUT's planes must outlive this object
  // unless Interleave copied them.
  bool Prepare(const T3DLut& Lut, bool Interleave);
  bool Ready() const { return FReady; }

  // Inputs are clamped to 0..1 and must not be NaN; no lookup leaves them.
  void Lookup(float& Red, float& Green, float& Blue) const;

  // 16-bit RGBA in, 8-bit BGRA out; alpha byte = high byte of the word;
  // with UseAlpha each channel is (In * (255 - A/256) + A * LUT) / 65535.
  void Apply64To32(const TPixel64* Src, TVPixel32* Dst, int64_t Count, bool UseAlpha) const;
  // 16-bit RGBA in and out; Dst's alpha is not written. With UseAlpha each
  // channel is (In * (65535 - A) + A * LUT) / 65535.
  void Apply64(const TPixel64* Src, TPixel64* Dst, int64_t Count, bool UseAlpha) const;
  // 8-bit BGRA, no dither: each pixel mixed by its alpha between the input
  // and the LUT's output; alpha-0 pixels copied. Src may be Dst.
  void Apply32(const TVPixel32* Src, TVPixel32* Dst, int64_t Count) const;

 private:
  friend struct TPreparedRows;
  bool FReady = false;
  int32_t FLast[3] = {0, 0, 0};   // levels - 2 per axis (red, green, blue)
  float FScale[3] = {0, 0, 0};    // levels - 1 per axis
  int64_t FSG = 0, FSB = 0;       // node strides of green and blue
  int64_t FStride = 1;            // floats between two nodes of one plane
  const float *FR = nullptr, *FG = nullptr, *FB = nullptr;
  std::vector<float> FNodes;      // the interleaved copy, when made
};

// Whether the image rows run on AVX2: the processor has it and tests have
// not switched it off. SetLutSimdAllowed(false) forces the plain loop.
bool LutSimdActive();
void SetLutSimdAllowed(bool Allowed);

}  // namespace kromel
