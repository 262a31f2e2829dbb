// Whole-LUT procedures shared by the processing units: log and gamma
// re-encoding, the conversions between the states a LUT's values can be in
// (gamma RGB, linear RGB, the working colour model), LUTs on float images,
// white-balance gains, and the tonal operations of the units (lift/gamma/
// gain, ranges, recovery, contrast, mask and channel curves).
//
// Source and destination may be the same LUT. Nodes are walked with blue
// outermost and red innermost. A destination whose shape differs from the
// source's is reported and left alone (not in the routines that make it a
// copy of the source). Reports go through DebugShowMessage.
#pragma once
#include <cstdint>
#include <string>

#include "colour/colour_wheels.h"
#include "colour/log_curves.h"
#include "colour/lut_color_space.h"
#include "images/image128.h"
#include "lut/lut.h"
#include "lut/lut1d.h"

namespace kromel {

class TEnvelopeDots;

// The hue twist of a calculation: the settings record's first Single.
inline float HueTwistOf(const TColorModelPreferences& Settings) { return Settings.Gamma; }

// The working colour model of a calculation is the context's pair: the
// calculator sets it from the preset at the start of each run, and every
// stage reads it there. A record without a pair (made outside a run) falls
// back to the process-wide selection.
void SetWorkingModel(TColorModelPreferences& Settings, int32_t Model);
TRGBToVariableSingleProc WorkingForward(const TColorModelPreferences& Settings);
TVariableToRGBSingleProc WorkingInverse(const TColorModelPreferences& Settings);

// True when both LUTs have planes of the same level counts; otherwise
// reports Routine + ": LUT sizes differ" and gives false.
bool LutShapesMatch(const T3DLut& Src, const T3DLut& Dst, const std::string& Routine);

// Dst = Src (planes, maxima, flags, colour space, preferences) unless they
// are one LUT; false when memory fails.
bool CopyLutIfOther(const T3DLut& Src, T3DLut& Dst);

// --- Log and gamma ---

// Channel maxima meaning "no limit".
constexpr float UnlimitedChannelMax = 1000;

// Lut's channel maxima: (1000, 1000, 1000) for (1, 1, 1), else the three
// values decoded through Log.
void SetChannelMaxima(T3DLut& Lut, float R, float G, float B, int32_t Log,
                      const T1DLut* CustomLut);

// Decodes one colour by the log profile (LogIndexCustom: through CustomLut,
// nothing without one). An unknown value reports "Exception in LogToLinear
// - Unknown log " + value and leaves the colour.
void LogToLinear(float& R, float& G, float& B, int32_t Log, const T1DLut* CustomLut);
// Encodes one value by the log profile; false (value kept) for a value
// without an encoder (0, 29, unknown).
bool LinearToLogValue(float& X, int32_t Log);
// Log 0: Dst = copy of Src. Otherwise every node of Src decoded into Dst;
// nothing else of Dst changes.
void LutLogToLinear(const T3DLut& Src, T3DLut& Dst, int32_t Log, const T1DLut* CustomLut);
// Log 0: Dst = copy of Src. Otherwise Dst's own values are encoded in place
// (Src gives only the shape); a value without an encoder is reported once
// and leaves the nodes. Maxima, colour space and flags are the caller's.
void ProcessGammaToLog(const T3DLut& Src, T3DLut& Dst, int32_t Log);
// LutLinearToGamma (Gamma 1) then ProcessGammaToLog.
void LutLinearToLog(const T3DLut& Src, T3DLut& Dst, int32_t Log, TImageProfile Profile);
// Gamma-encoded to linear by the profile (ipCustom: x^Gamma); then Src's
// maxima to Dst. Colour space and preferences of Dst are kept.
void LutLinearToGamma(const T3DLut& Src, T3DLut& Dst, TImageProfile Profile, float Gamma);
// Linear to gamma-encoded by the profile (ipCustom: x^(1/Gamma)); then Src's
// maxima to Dst.
void LutGammaToLinear(const T3DLut& Src, T3DLut& Dst, TImageProfile Profile, float Gamma);

// Brings Src into Target (a TLUTColorSpace) in Dst and marks Dst with it;
// Prefs (Src's own record when null) gives the profile and the hue twist and
// is copied into Dst. The working model is that record's pair. State 3
// to linear goes through gamma RGB. Conversions from or to LAB are not
// supported: reported, Dst = copy of Src with Src's mark.
void ProcessColorModelConversion(const T3DLut& Src, T3DLut* Dst, int32_t Target,
                                 const TColorModelPreferences* Prefs);

// Every pixel of Src through the LUT in gamma RGB, blended by Amount into
// Dst (alpha copied). Pixel counts must match.
void LUTProcessImage128InGammaProfile(const T3DLut& Lut, const TImage128& Src, TImage128& Dst,
                                      float Amount);

// Gains from a temperature factor A and a tint factor B, scaled down
// together once their weighted excess over 1 grows too large.
void CalcWhiteBalanceGains(float A, float B, float& GainR, float& GainG, float& GainB);

// --- Tonal operations ---

// The geometry switch of the volume and mixer grids (every caller: on).
constexpr bool MixerGridGeometry = true;

// A dot brightness Z as a curve on v (0..1): Z <= 0 gives v^(2^(-Z/100)),
// Z > 0 gives atan(4 Z v / 100) / atan(4 Z / 100); the constants of Z are
// taken once.
class TDotBrightnessCurve {
 public:
  explicit TDotBrightnessCurve(float Z);
  float operator()(float v) const;

 private:
  float FZ;
  float FExponent;  // Z <= 0
  double FScale;    // Z > 0: atan(4 Z / 100)
};

// Three colour shifts (alpha ignored) at the range positions P1 < P2 < P3.
struct TLGGRanges {
  TBGRAPixel128 Shift[3]{};
  float P1 = 0.25f;
  float P2 = 0.5f;
  float P3 = 0.75f;
};
static_assert(sizeof(TLGGRanges) == 15 * sizeof(float));

// Per channel v = (c*gain + lift)^gamma, faded out below Low and above High,
// blended by Amount.
void ProcessLGG(const T3DLut& Src, T3DLut& Dst, const TLiftGammaGain& LGG, float Amount,
                float Low, float High);
void ProcessLGGRanges(const T3DLut& Src, T3DLut& Dst, const TLGGRanges& Ranges, float Amount);
// Both amounts 0: copy clamped to 0..1. Otherwise linear RGB, soft-clipped
// against Dst's maxima.
void ProcessLUTRecovery(const T3DLut& Src, T3DLut& Dst, const TColorModelPreferences& Prefs,
                        float HighlightAmount, float ColorAmount);
// Arctangent S-curve about a pivot, then clamped to 0..1.
void ProcessRGBContrast(const T3DLut& Src, T3DLut& Dst, float Contrast, float Pivot);
// The curve's value (of 32768) at each node's red, into R, G and B.
void ProcessLUTMaskApplyCurve(const T3DLut& Src, T3DLut& Dst, const TEnvelopeDots* Curve);
// Product of the three curves at their channels (null curve: 1).
void ProcessLUTMaskCurves(const T3DLut& Src, T3DLut& Dst, const TEnvelopeDots* CurveR,
                          const TEnvelopeDots* CurveG, const TEnvelopeDots* CurveB);
// Each channel through its curve (null curve: 1).
void ProcessLUTPerChannelCurves(const T3DLut& Src, T3DLut& Dst, const TEnvelopeDots* CurveR,
                                const TEnvelopeDots* CurveG, const TEnvelopeDots* CurveB);
// Src shifted by the chroma difference of B against A (read at lightness 50
// in the working model), strongest at mid values.
void ProcessLUTTransferChroma(const T3DLut& Src, const T3DLut& A, const T3DLut& B, T3DLut& Dst);

}  // namespace kromel
