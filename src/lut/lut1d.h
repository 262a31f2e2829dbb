// T1DLut: three independent per-channel curves of N Singles sampled evenly
// over 0..1 (the custom log curve), its "1DLB" chunk and the 1D CUBE reader.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/byte_stream.h"
#include "lut/lut.h"

namespace kromel {

struct TImage32;

constexpr int32_t Min1DLutEntries = 2;
constexpr int32_t Max1DLutEntries = 65537;

class T1DLut : public TLut {
 public:
  // N entries per channel, R, G, B (and A) zero, Valid cleared. N outside
  // Min1DLutEntries..Max1DLutEntries is reported and leaves the LUT empty.
  bool SetSize(int32_t N);
  // Nothing when N is the current size; otherwise Valid cleared and SetSize.
  bool EnsureSize(int32_t N);
  // Identity curves i / (N - 1); Name emptied. Nothing without planes.
  void SetDefault();
  // Each channel through its own curve (input clamped to 0..1, NaN read as
  // 0 and reported). No planes: the values stay.
  void ProcessColor1DSingle(float& R, float& G, float& B) const;
  // The curves applied to an 8-bit image, weighted by the pixel alpha.
  // Src must hold at least Dst's pixels; Src and Dst may be one image.
  void ProcessImage(const TImage32& Src, TImage32& Dst, bool Dither) const;
  // The "1DLB" chunk; false on a write error.
  bool SaveToStream(TByteStream& Stream) const;
  // Another tag: "Error loading T1DLUT from stream!", stream back, LUT
  // emptied, false. A damaged or short chunk: reported, LUT and stream
  // position unchanged, false.
  bool LoadFromStream(TByteStream& Stream, bool& Changed);
  // A one-dimensional CUBE file; on failure the LUT is unchanged.
  bool LoadFromCube(const std::string& FileName, bool ShowErrors);
};

}  // namespace kromel
