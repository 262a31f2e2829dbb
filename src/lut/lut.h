// LUT objects: TLut, the base with a name and four Single planes, and
// T3DLut, the three-dimensional LUT every colour transform is held in.
// T3DLut holds the planes, level counts, colour space and preset stream;
// what works on them are free functions beside it: lookups (lut_lookup.h),
// editing (lut_edit.h), smoothing and the weight plane (lut_smooth.h),
// masks (lut_mask.h) and measures (lut_measure.h); its binary forms have
// a reader and a writer each (lut_chunks.h).
//
// Node (r, g, b) lies at plane index r + NLRH * (g + NLGS * b): red (or hue)
// fastest, blue (or lightness) slowest. The four planes are all present or
// all absent. A cubic LUT has Size = NLRH = NLGS = NLBL and Count = Size^3;
// a non-cubic one has Size 0, NonCubic set and Count = NLRH * NLGS * NLBL.
// Every axis of a LUT with planes holds MinLutLevels..MaxLutLevels levels.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "colour/colour_types.h"
#include "colour/lut_color_space.h"
#include "foundation/byte_stream.h"

namespace kromel {

constexpr int32_t MinLutLevels = 2;
constexpr int32_t MaxLutLevels = 256;

// True for a level count a LUT axis may have.
constexpr bool ValidLutLevels(int64_t N) { return N >= MinLutLevels && N <= MaxLutLevels; }

class TLut {
 public:
  TLut() = default;
  virtual ~TLut();
  TLut(const TLut&) = delete;
  TLut& operator=(const TLut&) = delete;

  std::string Name;  // UTF-8
  int32_t Size = 0;
  int32_t Count = 0;
  // Owned planes of Count Singles each, or null.
  float* R = nullptr;
  float* G = nullptr;
  float* B = nullptr;
  float* A = nullptr;
  float MaxR = 0;
  float MaxG = 0;
  float MaxB = 0;
  bool Valid = false;
  std::function<void(TLut* Sender)> OnChange;

  // Releases the planes; Size and Count become 0.
  void FreeData();
  // Forgets the planes without releasing them (for planes owned elsewhere).
  void SetNil();
  // As SetNil, reporting "TLUT.SetNil Error! T3DLut not created!" for null.
  static void SetNil(TLut* Lut);
  // R, G and B to 0 (A kept), then OnChange; nothing without planes.
  void ZeroData();

 protected:
  // Count Singles for each plane, all zero; false (and no planes) when the
  // memory can't be had.
  bool AllocPlanes(int64_t NewCount);
};

class T3DLut : public TLut {
 public:
  T3DLut();
  ~T3DLut() override;

  std::string ImageProfile;  // "#IMAGEPROFILE" header value
  std::string InputGamma;    // "#INPUTGAMMA" header value
  int32_t NLRH = 0;
  int32_t NLGS = 0;
  int32_t NLBL = 0;
  bool NonCubic = false;
  std::unique_ptr<TMemoryStream> Preset;  // the embedded preset stream
  TLUTColorSpace ColorSpace = lcsProfileRGB;
  TColorModelPreferences ColorModelPreferences;
  bool DisplayReferred = false;

  // --- Life cycle and copies (lut.cpp) ---

  // A cubic LUT of N levels, zero-filled, Valid cleared. N outside
  // MinLutLevels..MaxLutLevels is reported; on any failure the LUT is left
  // empty (no planes, Size, Count and level counts 0) and the result is false.
  bool SetSize(int32_t N);
  // A non-cubic LUT of the given level counts, zero-filled; each count must
  // be a valid level count. Failure leaves the LUT empty and returns false.
  bool SetLevels(int32_t NR, int32_t NG, int32_t NB);
  // Nothing when N is the current size and planes exist; otherwise Valid
  // cleared, planes freed and SetSize(N).
  bool EnsureSize(int32_t N);
  // The identity over the level counts. A LUT with valid level counts but
  // no planes gets its planes first; a zero level count is reported and
  // nothing is filled.
  void SetDefault();
  // This LUT becomes a copy of Source (planes by level counts, maxima,
  // DisplayReferred, colour space and preferences, A when both have one,
  // an independent copy of Preset). An empty Source empties this LUT.
  // Name, header texts and OnChange are kept. False when memory fails.
  bool CopyFrom(const T3DLut& Source);
  // R, G and B of a LUT of the same shape; otherwise reports
  // "Error in T3DLut.CopyRGBFrom - Sizes mismatch".
  void CopyRGBFrom(const T3DLut& Source);
  // X = (1 - A) * Source.X + X * A with this LUT's A.
  void CopyMaskedFrom(const T3DLut& Source);
  // False exactly when (Size > 1 or NLRH > 1) and R, G, B are present.
  bool IsEmpty() const;
  static bool IsEmpty(const T3DLut* Lut);
  bool HasPlanes() const { return R != nullptr && G != nullptr && B != nullptr && A != nullptr; }

  // Takes Other's planes and shape; Other is left empty.
  void AdoptShape(T3DLut& Other);

 private:
  // Planes of the given shape (cubic when all three counts are equal and
  // Cubic is set); the LUT must hold no planes.
  bool AllocShape(int32_t NR, int32_t NG, int32_t NB, bool Cubic);
  void MakeEmpty();
};

// The folder a diagnostic file of the DCP export goes to: home + "/DropBox/".
std::string LutDiagnosticFolder();

}  // namespace kromel
