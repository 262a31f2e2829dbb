// LUT objects: TLut, the base with a name and four Single planes, and
// T3DLut, the three-dimensional LUT every colour transform is held in.
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

struct TImage32;
struct TImage64;
struct TChannelMixerParams;

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

  // Cubic node helpers (indices outside the grid are ignored).
  void SetNodeCapped(int32_t b, int32_t g, int32_t r, float Red, float Green, float Blue);
  // (v, v, v, 0) with v = R[Index]; zeros for an index outside the planes.
  void GetGreyPixel(uint32_t Index, TRGBAPixel128& Pixel) const;
  // Every second (third) node of a cubic LUT, in place; nothing when the
  // result would have fewer than MinLutLevels levels.
  void DownsampleHalf();
  void DownsampleThird();

  // --- Lookup and interpolation (lut_lookup.cpp) ---

  // The LUT's output for a colour (tetrahedral, by level counts). Inputs are
  // clamped to 0..1 in place first; a NaN component is reported and read
  // as 0. No planes: the colour stays as it is.
  void ProcessColorTetrahedralSingle(float& R, float& G, float& B) const;
  // The same lookup without a report: a NaN component reads as 0 and the
  // result is true when there was one.
  bool ProcessColorTetrahedralQuiet(float& R, float& G, float& B) const;
  // One plane at (x blue, y green, z red) in level units of a cubic LUT,
  // clamped to 0..1; 0 for a null plane, a LUT without levels or NaN.
  float TetrahedralInterpolation(const float* Plane, float x, float y, float z) const;
  float GetValueTrilinear(const float* Plane, float x, float y, float z) const;
  // GetValueTrilinear of A at a colour 0..1.
  float GetAlphaTrilinear(float R, float G, float B) const;
  // Tricubic (Catmull-Rom) lookup of a cubic LUT, inputs clamped in place.
  void ProcessColorCubicSingle(float& R, float& G, float& B) const;
  // Node with each index clamped into the cubic grid.
  float GetValueClamped(const float* Plane, int32_t b, int32_t g, int32_t r) const;
  // Node read with hue wrap (non-cubic) and one-step linear extrapolation.
  float GetValExtrapolated(const float* Plane, int32_t XB, int32_t YG, int32_t ZR) const;
  // Stores Value at a node of a cubic LUT; indices outside are ignored.
  void SetPlaneValue(float* Plane, int32_t b, int32_t g, int32_t r, float Value);

  // --- Editing (lut_edit.cpp) ---

  // R, G, B limited to 0..1 over all nodes (NaN stays).
  void Clamp();
  void SaturationToAlpha();
  void MultiplyByAlpha();
  void ClearAlpha();
  // A divided by its largest value when that exceeds 1e-10.
  void NormalizeAlpha();
  // A = density of the image's colours over the grid, 1 at the fullest.
  void AccumulateColorsToAlpha(const TImage64& Image);
  // A 3x3 matrix (row-major, row = output channel) that approximates the
  // LUT in linear light. False, with the message "Matrix optimization
  // error: not enough colors found" and Matrix unchanged, when too few
  // colour triples are usable.
  bool FitChannelMixerMatrix(double (&Matrix)[9], TImageProfile Profile, float Gamma) const;
  // The same into a channel-mixer record, offsets 0 (lut_channel_mixer.cpp).
  bool FitChannelMixerMatrix(TChannelMixerParams& Params, TImageProfile Profile,
                             float Gamma) const;
  // A (2N - 1)-level mask from an N-level Source: rounded, then smoothed.
  bool UpsampleMaskFrom(const T3DLut& Source);
  float GetValueTricubicClamped(const float* Plane, float pb, float pg, float pr) const;
  // "hi, lo, " decimal byte pairs of every value * 65535, blue fastest.
  void SaveToByteList(std::string& Text) const;

  // --- Smoothing and the weight plane (lut_smooth.cpp) ---
  // Operations marked "cubic" walk Size^3 nodes and do nothing on a LUT
  // that is empty or non-cubic; the others walk the level counts. A Plane
  // argument must be this LUT's R, G, B or A (anything else: nothing). A
  // NaN amount changes nothing.

  // One pass of the 3x3x3 kernel: face neighbours weigh 1, edge neighbours
  // 2, corners 0, the centre (1 - Amount) * 10 (at least -10); neighbours
  // outside the grid are extrapolated.
  void SmoothChannel(float* Plane, float Amount);
  // SmoothChannel on R, then G, then B.
  void Smooth(float Amount);
  // Cubic: moves each node towards Other by a + (b - a) * 2h (h < 0.5) or
  // b + (c - b) * 2(h - 0.5), h its distance over the largest distance.
  // Other without R: nothing; another Size: "Error in
  // T3DLut.ScaleDifferences", nothing changes.
  void ScaleDifferences(const T3DLut& Other, float a, float b, float c);
  // The smoothing dialog's methods ("Only tensions" ... "Hue/Lum HSL").
  // Tensions, Noise, Midtones and Luminance are cubic; Noise and Midtones
  // leave their inverted weight in A.
  void SmoothTensions(float Amount);
  void SmoothNoise(float Amount);
  void SmoothMidtones(float Amount);
  void SmoothLuminance(float Amount);
  // Amount capped at 0.3; the result is clamped to 0..1.
  void SmoothNeutralToSaturated(float Amount);
  // Along the SXY lightness axis, averaged in SXY (HSL-Lab) values; Amount
  // capped at 1.
  void SmoothHueLumSXY(float Amount);
  void SmoothHueLumHSL(float Amount);
  // Smooth(1) blended back through A: A * smoothed + (1 - A) * unsmoothed.
  void SmoothMasked();
  // Weight-plane operations, all cubic.
  // A = sum of |second differences| of R, G, B along the three axes
  // (interior nodes; border nodes 0).
  void CurvatureToAlpha();
  // Divides the plane by its largest value when that exceeds 1e-10.
  void NormalizePlane(float* Plane);
  // A = clamp((A - Lo) / (Hi - Lo), 0, 1); with Hi = Lo a step at Lo.
  void RampAlpha(float Lo, float Hi);
  // A = 0 below a, rising to 1 at b, 1 up to c, falling to 0 at d.
  void TrapezoidAlpha(float a, float b, float c, float d);
  // Interior nodes: A = (max (min) of the 3x3x3 neighbourhood + A) / 2.
  void MaximumA();
  void MinimumA();
  // A = 0.3 R + 0.5 G + 0.2 B.
  void LumaToAlpha();
  void InvertAlpha();
  // Scales R, G, B (each capped at 1) so that the luma becomes Source's A;
  // nodes of luma <= 0 are kept. Another Size is reported, nothing changes.
  void SetLumaFromAlpha(const T3DLut& Source);
  void SetAlphaOne();
  // A = 2.25 |U| + 1.6 |V| of the node's output.
  void SetAlphaProtectNeutrals();
  // A scaled by 0.5 - 0.5 cos(2 pi y) where y = (3R + 5G + B) / 9 < 0.5.
  void SetAlphaProtectBlacks();
  void AddAlpha(float Value);
  void ScaleAlpha(float Factor);
  void ClampAlpha();
  // R, G, B = A.
  void AlphaToRGB();

  // --- Mask sources, mask blending and 3D mask editing (lut_mask.cpp) ---
  // Mask sources are cubic (nothing on an empty or non-cubic LUT) and write
  // one grey measure of each node's output colour to R, G and B.

  // Channel 0 R, 1 G, 2 B; any other: nothing.
  void ChannelToGray(int32_t Channel);
  void BrightnessToGray();
  void SaturationToGray();
  void RedDominanceToGray();
  void OrangeToGray();
  void MinimumToGray();
  // 0 C, 1 M, 2 Y, 3 K; any other: nothing.
  void CMYKChannelToGray(int32_t Channel);
  void HSPHueToGray();
  // Distances from a reference colour (0..1 each).
  void LabChromaDistanceToGray(float RefR, float RefG, float RefB);
  void LabDistanceToGray(float RefR, float RefG, float RefB);
  void RGBDistanceToGray(float RefR, float RefG, float RefB);
  void HSPeDistanceToGray(float RefR, float RefG, float RefB);
  void ChromaAxisToGray(float RefR, float RefG, float RefB);
  void ChromaCrossAxisToGray(float RefR, float RefG, float RefB);
  // Differences of two LUTs; null or empty: nothing; sizes differ from
  // this LUT's: "T3DLut.ExtractDifference error - lut sizes differ".
  void ExtractDifference(const T3DLut* LutA, const T3DLut* LutB);
  void ExtractDifferenceSXY(const T3DLut* LutA, const T3DLut* LutB);
  // R, G, B = HSP2p hue, saturation, P / 100.
  void ConvertToHSP2p();
  // R, G, B = LCh hue (0..1), chroma / 128, L / 100.
  void ConvertToHueChromaLightness();
  // This LUT = Wet mixed with Dry's output (or the node's own colour when
  // Dry is null) through Mask's red output; Method 0 Fade, 1 Limit, 2 Fit,
  // any other: nothing. Wet may be this LUT. Cubic. An empty Mask, Wet or
  // Dry, or a Wet of another shape, is reported and nothing changes.
  void BlendByMask(const T3DLut& Wet, const T3DLut& Mask, const T3DLut* Dry, int32_t Method);
  // Destination = Source with alpha scaled by this mask LUT's red output
  // (1 - output for the inverted twins) at each qualifier pixel's colour;
  // pixels whose qualifier alpha is 0 become 0. Destination must hold
  // Source's number of pixels.
  void ProcessMaskAlpha(const TImage32& Qualifier, const TImage32& Source,
                        TImage32& Destination) const;
  void ProcessMaskAlphaInverted(const TImage32& Qualifier, const TImage32& Source,
                                TImage32& Destination) const;
  void ProcessMaskAlpha64(const TImage64& Qualifier, const TImage32& Source,
                          TImage32& Destination) const;
  void ProcessMaskAlphaInverted64(const TImage64& Qualifier, const TImage32& Source,
                                  TImage32& Destination) const;
  // 3D mask editing by level counts (red wraps on a NonCubic LUT; green
  // index 0 is kept). R = (neighbourhood max + R) / 2, or the
  // neighbourhood min; then OnChange.
  void MaximumR();
  void MinimumR();
  // The kernel with all 26 neighbours weighing 1, applied only where their
  // sum is below 16; divisor 30 + centre.
  void SmoothMaskChannel(float* Plane, float Amount);
  // R, G, B = 1 over Count nodes, then OnChange.
  void FillWhite();
  // R, G, B = 1 - value; R, G, B = value * a + b (level counts).
  void Invert();
  void MultiplyAdd(float a, float b);

  // --- Measuring and painting through colour models (lut_measure.cpp) ---

  // Mean Delta E 94 between Other and this LUT at this LUT's node colours,
  // each weighted by Other's A (divided by the node count); 0 for an empty
  // or non-cubic LUT. An empty Other is reported and gives 0.
  float AverageDeltaE94(const T3DLut& Other) const;
  // Mean |R - Other's R| + |G - ..| + |B - ..| over this LUT's nodes.
  float AverageRGBDifference(const T3DLut& Other) const;
  // Rates of change of the output hue, saturation and lightness around a
  // colour (1 each for an identity LUT).
  void GetHSLVariability(float Red, float Green, float Blue, float& dH, float& dS,
                         float& dL) const;
  // On a LUT whose axes are hue (red), saturation, lightness: paints the
  // box of levels around the colour's HSL (hue wrapping, the whole ring at
  // saturation 0), or the one nearest node; then OnChange. A untouched.
  void PaintHSLBox(float Red, float Green, float Blue, float PaintR, float PaintG, float PaintB,
                   int32_t HalfH, int32_t HalfS, int32_t HalfL);
  void SetHSLNode(float Red, float Green, float Blue, float PaintR, float PaintG, float PaintB);

  // --- Binary forms (lut_chunks.cpp) ---

  // The "3DLB" chunk (version 3) with the "LPRS" part; false on a write error.
  bool SaveToStream(TByteStream& Stream, bool IncludePreset) const;
  // Reads a "3DLB" chunk of any version. Another tag: "Error loading T3DLUT
  // from stream!", stream back where it was, no planes, false. A damaged or
  // short chunk: reported, stream back where it was, LUT unchanged, false.
  // Changed tells whether the planes differ afterwards (OnChange fires then).
  bool LoadFromStream(TByteStream& Stream, bool& Changed);
  // The "3DLA" chunk (version 4) with the R plane only.
  bool SaveToStreamSingleChannel(TByteStream& Stream) const;
  // Reads a "3DLA" chunk; on any failure the LUT and the stream position
  // are unchanged and the result is false.
  bool LoadFromStreamSingleChannel(TByteStream& Stream, bool& Changed);
  // A "KRBl" stream file of 8- or 16-bit nodes (values clamped to 0..1 in
  // the file only); the name is cut to 63 bytes.
  bool SaveToKrs(const std::string& FileName, const std::string& LutName, bool EightBit) const;
  bool LoadFromKrs(const std::string& FileName);
  // A "KRBl" stream at its position. False, LUT and position unchanged, on
  // any failure; a newer version is reported.
  bool LoadFromKrsStream(TByteStream& Stream);

 private:
  // Planes of the given shape (cubic when all three counts are equal and
  // Cubic is set); the LUT must hold no planes.
  bool AllocShape(int32_t NR, int32_t NG, int32_t NB, bool Cubic);
  void MakeEmpty();
  // Takes Other's planes and shape; Other is left empty.
  void AdoptShape(T3DLut& Other);
  // The chunk and stream-file readers inside their exception guards.
  bool ReadChunk3D(TByteStream& Stream, bool& Changed);
  bool ReadChunkSingleChannel(TByteStream& Stream, bool& Changed);
  bool ReadKrs(TByteStream& Stream);
  // Size^3 for a cubic LUT with planes, else 0.
  int64_t CubicNodeCount() const;
};

// The folder a diagnostic file of the DCP export goes to: home + "/DropBox/".
std::string LutDiagnosticFolder();

}  // namespace kromel
