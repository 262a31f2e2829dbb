#include "engine/lut_procedures.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

#include "colour/colour_models.h"
#include "colour/contrast_clip.h"
#include "colour/log_gamma.h"
#include "engine/curve_memo.h"
#include "foundation/messages.h"
#include "foundation/number_format.h"
#include "lut/lut_apply.h"
#include "lut/lut_edit.h"
#include "lut/node_workers.h"
#include "params/envelope_dots.h"

namespace kromel {

namespace {

using TCurve = float (*)(float);

float DoubleValue(float X) { return 2.0f * X; }
float SameValue(float X) { return X; }

// Decoder and encoder of each TLogProfile value 1..28 (entry 0 unused).
struct TLogPair {
  TCurve Decode;
  TCurve Encode;
};
constexpr TLogPair LogCurves[LogIndexCustom] = {
    {nullptr, nullptr},
    {LogCToLinear, LinearToLogC},
    {ACESccToLinear, LinearToACEScc},
    {ACEScctToLinear, LinearToACEScct},
    {BMDFilmToLinear, LinearToBMDFilm},
    {BMDFilm4KToLinear, LinearToBMDFilm4K},
    {BMDFilm46ToLinear, LinearToBMDFilm46},
    {VisionLogToLinear, LinearToVisionLog},
    {CinestyleToLinear, LinearToCinestyle},
    {SLogToLinear, LinearToSLog},
    {SLog2ToLinear, LinearToSLog2},
    {SLog3ToLinear, LinearToSLog3},
    {RedLogToLinear, LinearToRedLog},
    {RedLogFilmToLinear, LinearToRedLogFilm},
    {RedLog3G10ToLinear, LinearToRedLog3G10},
    {DJIInspireLogToLinear, LinearToDJIInspireLog},
    {DLogPhantom3ToLinear, LinearToDLogPhantom3},
    {DLogPhantom4ProToLinear, LinearToDLogPhantom4Pro},
    {CineonToLinear, LinearToCineon},
    {PanasonicVLogToLinear, LinearToPanasonicVLog},
    {CanonCLogToLinear, LinearToCanonCLog},
    {CanonCLog2ToLinear, LinearToCanonCLog2},
    {CanonCLog3ToLinear, LinearToCanonCLog3},
    {FujiFLogToLinear, LinearToFujiFLog},
    {ZCamZLogToLinear, LinearToZCamZLog},
    {Insta360ILogToLinear, LinearToInsta360ILog},
    {DoubleValue, SameValue},  // LogIndexLinear: decoded x2, encoded unchanged
    {GammaRec709ToLinear, LinearToGammaRec709},
    {GammaPQToLinear, LinearToGammaPQ},
};

std::string UnknownLogText(int32_t Log) {
  return "Exception in LogToLinear - Unknown log " + std::to_string(Log);
}

// The gamma curves of the LUT conversions: a few profiles of their own,
// sRGB for every other.
float DecodeForLut(TImageProfile Profile, float X, float Gamma) {
  switch (Profile) {
    case ipLinear: return X;
    case ipCustom: return ApplyGamma(X, Gamma);
    case ipAdobeRGB: return GammaAdobeRGBToLinear(X);
    case ipProphotoRGB: return GammaProPhotoToLinear(X);
    case ipRec709:
    case ipRec2020: return GammaRec709ToLinear(X);
    default: return GammaSRGBToLinear(X);
  }
}

float EncodeForLut(TImageProfile Profile, float X, float Gamma) {
  switch (Profile) {
    case ipLinear: return X;
    case ipCustom: return LinearToGammaCustom(X, Gamma);
    case ipAdobeRGB: return LinearToGammaAdobeRGB(X);
    case ipProphotoRGB: return LinearToGammaProPhoto(X);
    case ipRec709:
    case ipRec2020: return LinearToGammaRec709(X);
    default: return LinearToGammaSRGB(X);
  }
}

void CopyMaxima(const T3DLut& Src, T3DLut& Dst) {
  Dst.MaxR = Src.MaxR;
  Dst.MaxG = Src.MaxG;
  Dst.MaxB = Src.MaxB;
}

// Each plane value of Src through Curve into Dst, then Src's maxima.
template <class F>
void MapPlanes(const T3DLut& Src, T3DLut& Dst, const char* Routine, F Curve) {
  if (!LutShapesMatch(Src, Dst, Routine)) return;
  try {
    ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
      TCurveMemo<F> Memo(Curve);
      for (int32_t k = Begin; k < End; ++k) {
        Dst.R[k] = Memo(Src.R[k]);
        Dst.G[k] = Memo(Src.G[k]);
        Dst.B[k] = Memo(Src.B[k]);
      }
    });
    CopyMaxima(Src, Dst);
  } catch (const std::exception&) {
    DebugShowMessage(std::string("Exception in ") + Routine);
  }
}

// The model pair's forward (or inverse) step with the hue twist, in place.
void ToWorkingModel(T3DLut& Lut, const TColorModelPreferences& Context) {
  const TRGBToVariableSingleProc Forward = WorkingForward(Context);
  const float HueTwist = HueTwistOf(Context);
  ParallelForNodes(Lut.Count, [&](int32_t Begin, int32_t End) {
    for (int32_t k = Begin; k < End; ++k) {
      float R = Lut.R[k], G = Lut.G[k], B = Lut.B[k];
      if (HueTwist != 0) ContrastSigmoidRGBReverse(R, G, B, HueTwist * 5);
      Forward(R, G, B, Lut.R[k], Lut.G[k], Lut.B[k]);
    }
  });
}

void FromWorkingModel(T3DLut& Lut, const TColorModelPreferences& Context) {
  const TVariableToRGBSingleProc Inverse = WorkingInverse(Context);
  const float HueTwist = HueTwistOf(Context);
  ParallelForNodes(Lut.Count, [&](int32_t Begin, int32_t End) {
    for (int32_t k = Begin; k < End; ++k) {
      float R, G, B;
      Inverse(Lut.R[k], Lut.G[k], Lut.B[k], R, G, B);
      if (HueTwist != 0) ContrastSigmoidRGB(R, G, B, HueTwist * 5);
      Lut.R[k] = R;
      Lut.G[k] = G;
      Lut.B[k] = B;
    }
  });
}

float CurveAt(const TEnvelopeDots* Curve, float V) {
  if (Curve == nullptr) return 1.0f;
  return Curve->GetValueS(V * 16384) * (1.0f / 32768);
}

float PowerOf(float Base, float Exponent) {
  if (Exponent == 0) return 1;
  return static_cast<float>(std::pow(double(Base), double(Exponent)));
}

}  // namespace

void SetWorkingModel(TColorModelPreferences& Settings, int32_t Model) {
  const TColorModelRecord& Record = ColorModelRecord(Model);
  Settings.RGBToCustom = Record.Forward;
  Settings.CustomToRGB = Record.Inverse;
}

TRGBToVariableSingleProc WorkingForward(const TColorModelPreferences& Settings) {
  return Settings.RGBToCustom != nullptr ? Settings.RGBToCustom : CurrentRGBToModel.load();
}

TVariableToRGBSingleProc WorkingInverse(const TColorModelPreferences& Settings) {
  return Settings.CustomToRGB != nullptr ? Settings.CustomToRGB : CurrentModelToRGB.load();
}

bool LutShapesMatch(const T3DLut& Src, const T3DLut& Dst, const std::string& Routine) {
  const bool Match = Src.R != nullptr && Src.G != nullptr && Src.B != nullptr &&
                     Dst.R != nullptr && Dst.G != nullptr && Dst.B != nullptr &&
                     Src.NLRH == Dst.NLRH && Src.NLGS == Dst.NLGS && Src.NLBL == Dst.NLBL &&
                     Src.Count == Dst.Count;
  if (!Match) DebugShowMessage(Routine + ": LUT sizes differ");
  return Match;
}

bool CopyLutIfOther(const T3DLut& Src, T3DLut& Dst) {
  return &Src == &Dst || Dst.CopyFrom(Src);
}

// --- Log and gamma ---

void LogToLinear(float& R, float& G, float& B, int32_t Log, const T1DLut* CustomLut) {
  if (Log == LogIndexOff) return;
  if (Log == LogIndexCustom) {
    if (CustomLut != nullptr) CustomLut->ProcessColor1DSingle(R, G, B);
    return;
  }
  if (Log < 0 || Log > LogIndexCustom) {
    DebugShowMessage(UnknownLogText(Log));
    return;
  }
  const TCurve Decode = LogCurves[Log].Decode;
  R = Decode(R);
  G = Decode(G);
  B = Decode(B);
}

bool LinearToLogValue(float& X, int32_t Log) {
  if (Log <= LogIndexOff || Log >= LogIndexCustom) return false;
  X = LogCurves[Log].Encode(X);
  return true;
}

void SetChannelMaxima(T3DLut& Lut, float R, float G, float B, int32_t Log,
                      const T1DLut* CustomLut) {
  if (R == 1 && G == 1 && B == 1)
    R = G = B = UnlimitedChannelMax;
  else
    LogToLinear(R, G, B, Log, CustomLut);
  Lut.MaxR = R;
  Lut.MaxG = G;
  Lut.MaxB = B;
}

void LutLogToLinear(const T3DLut& Src, T3DLut& Dst, int32_t Log, const T1DLut* CustomLut) {
  if (Log == LogIndexOff) {
    CopyLutIfOther(Src, Dst);
    return;
  }
  if (!LutShapesMatch(Src, Dst, "LutLogToLinear")) return;
  if (Log < 0 || Log > LogIndexCustom) {
    DebugShowMessage(UnknownLogText(Log));
    return;
  }
  try {
    ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
      for (int32_t k = Begin; k < End; ++k) {
        Dst.R[k] = Src.R[k];
        Dst.G[k] = Src.G[k];
        Dst.B[k] = Src.B[k];
        LogToLinear(Dst.R[k], Dst.G[k], Dst.B[k], Log, CustomLut);
      }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception in LutLogToLinear");
  }
}

void ProcessGammaToLog(const T3DLut& Src, T3DLut& Dst, int32_t Log) {
  if (Log == LogIndexOff) {
    CopyLutIfOther(Src, Dst);
    return;
  }
  if (!LutShapesMatch(Src, Dst, "ProcessGammaToLog")) return;
  float Probe = 0;
  if (!LinearToLogValue(Probe, Log)) {
    DebugShowMessage(UnknownLogText(Log));
    return;
  }
  try {
    ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
      for (int32_t k = Begin; k < End; ++k) {
        LinearToLogValue(Dst.R[k], Log);
        LinearToLogValue(Dst.G[k], Log);
        LinearToLogValue(Dst.B[k], Log);
      }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ProcessGammaToLog");
  }
}

void LutLinearToLog(const T3DLut& Src, T3DLut& Dst, int32_t Log, TImageProfile Profile) {
  LutLinearToGamma(Src, Dst, Profile, 1.0f);
  ProcessGammaToLog(Src, Dst, Log);
}

void LutLinearToGamma(const T3DLut& Src, T3DLut& Dst, TImageProfile Profile, float Gamma) {
  MapPlanes(Src, Dst, "LutLinearToGamma",
            [Profile, Gamma](float X) { return DecodeForLut(Profile, X, Gamma); });
}

void LutGammaToLinear(const T3DLut& Src, T3DLut& Dst, TImageProfile Profile, float Gamma) {
  if (Profile == ipLinear && Src.R == Dst.R) {
    CopyMaxima(Src, Dst);
    return;
  }
  MapPlanes(Src, Dst, "LutGammaToLinear",
            [Profile, Gamma](float X) { return EncodeForLut(Profile, X, Gamma); });
}

void ProcessColorModelConversion(const T3DLut& Src, T3DLut* Dst, int32_t Target,
                                 const TColorModelPreferences* Prefs) {
  if (Dst == nullptr) {
    DebugShowMessage("ProcessColorModelConversion error - Dest=nil");
    return;
  }
  if (Src.NLRH != Dst->NLRH || Src.NLGS != Dst->NLGS || Src.NLBL != Dst->NLBL) {
    DebugShowMessage("ProcessColorModelConversion error - sizes differ");
    return;
  }
  if (Target < lcsProfileRGB || Target > lcsCustomColorspace) {
    DebugShowMessage("ProcessColorModelConversion error - invalid target " +
                     std::to_string(Target));
    return;
  }
  // Src may be Dst: read what is needed of it before Dst changes.
  TColorModelPreferences Context = Prefs != nullptr ? *Prefs : Src.ColorModelPreferences;
  if (Context.RGBToCustom == nullptr || Context.CustomToRGB == nullptr) {
    // A record without a model: the one Src was made with, if it has one.
    Context.RGBToCustom = Src.ColorModelPreferences.RGBToCustom;
    Context.CustomToRGB = Src.ColorModelPreferences.CustomToRGB;
  }
  const int32_t From = Src.ColorSpace;
  if (!CopyLutIfOther(Src, *Dst)) return;
  if (From != Target) {
    if (From == lcsLAB || Target == lcsLAB) {
      DebugShowMessage("ProcessColorModelConversion error - no conversion from " +
                       LUTColorSpaceName(From) + " to " + LUTColorSpaceName(Target));
      return;
    }
    switch (Target) {
      case lcsCustomColorspace:
        if (From == lcsLinearRGB) LutGammaToLinear(*Dst, *Dst, Context.Profile, 2.4f);
        ToWorkingModel(*Dst, Context);
        break;
      case lcsProfileRGB:
        if (From == lcsCustomColorspace)
          FromWorkingModel(*Dst, Context);
        else
          LutGammaToLinear(*Dst, *Dst, Context.Profile, 2.4f);
        break;
      default:  // lcsLinearRGB
        if (From == lcsCustomColorspace) FromWorkingModel(*Dst, Context);
        LutLinearToGamma(*Dst, *Dst, Context.Profile, 2.4f);
        break;
    }
    Dst->ColorSpace = static_cast<TLUTColorSpace>(Target);
  }
  Dst->ColorModelPreferences = Context;
}

void LUTProcessImage128InGammaProfile(const T3DLut& Lut, const TImage128& Src, TImage128& Dst,
                                      float Amount) {
  if (Src.Size != Dst.Size) {
    DebugShowMessage("Error LUTProcessImage128InGammaProfile - different image sizes!");
    return;
  }
  if (Lut.Size <= 0 || Lut.IsEmpty()) {
    DebugShowMessage("LUTProcessImage128InGammaProfile: LUT not initialized! Processing canceled!");
    return;
  }
  if (Lut.ColorSpace == lcsProfileRGB) {
    ProcessImage128(Lut, Src, Dst, Amount);
    return;
  }
  T3DLut Gamma;
  if (!Gamma.SetSize(Lut.Size)) return;
  ProcessColorModelConversion(Lut, &Gamma, lcsProfileRGB, &Lut.ColorModelPreferences);
  if (Gamma.ColorSpace != lcsProfileRGB) return;  // reported by the conversion
  ProcessImage128(Gamma, Src, Dst, Amount);
}

void CalcWhiteBalanceGains(float A, float B, float& GainR, float& GainG, float& GainB) {
  GainR = A * B;
  GainG = 1 / B;
  GainB = B / A;
  const float E =
      (0.5f * std::max(GainR, 1.0f) + std::max(GainG, 1.0f) + 0.5f * std::max(GainB, 1.0f)) /
          6 +
      0.5f;
  if (E > 1) {
    GainR /= E;
    GainG /= E;
    GainB /= E;
  }
}

// --- Tonal operations ---

TDotBrightnessCurve::TDotBrightnessCurve(float Z)
    : FZ(Z), FExponent(Z <= 0 ? std::exp2(-Z / 100) : 1), FScale(std::atan(4.0 * Z / 100)) {}

float TDotBrightnessCurve::operator()(float v) const {
  if (FZ <= 0) {
    // v^1 is v: the power is left out.
    if (FExponent == 1) return v;
    return PowerOf(v, FExponent);
  }
  return static_cast<float>(std::atan(4.0 * FZ * v / 100) / FScale);
}

void ProcessLGG(const T3DLut& Src, T3DLut& Dst, const TLiftGammaGain& LGG, float Amount,
                float Low, float High) {
  if (!LutShapesMatch(Src, Dst, "ProcessLGG")) return;
  try {
    const float* In[3] = {Src.R, Src.G, Src.B};
    float* Out[3] = {Dst.R, Dst.G, Dst.B};
    ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
      for (int32_t k = Begin; k < End; ++k)
        for (int Ch = 0; Ch < 3; ++Ch) {
          const float c = In[Ch][k];
          float v = c * LGG.Gain[Ch] + LGG.Lift[Ch];
          if (v < 0) v = 0;
          v = PowerOf(v, LGG.Gamma[Ch]);
          // Ranges at the ends of 0..1 blend nothing (and would divide by zero).
          if (Low > 0 && c < Low) v = (1 - c / Low) * c + v * c / Low;
          if (High < 1 && c > High) v = (1 - (1 - c) / (1 - High)) * c + (1 - c) * v / (1 - High);
          Out[Ch][k] = v * Amount + c * (1 - Amount);
        }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception In ProcessLGG, GammaR=" + FloatToStrD1(LGG.Gamma[0]));
  }
}

void ProcessLGGRanges(const T3DLut& Src, T3DLut& Dst, const TLGGRanges& Ranges, float Amount) {
  if (!LutShapesMatch(Src, Dst, "ProcessLGGRanges")) return;
  const TBGRAPixel128* S = Ranges.Shift;
  const float Shifts[3][3] = {{S[0].R, S[1].R, S[2].R}, {S[0].G, S[1].G, S[2].G},
                              {S[0].B, S[1].B, S[2].B}};
  try {
    const float* In[3] = {Src.R, Src.G, Src.B};
    float* Out[3] = {Dst.R, Dst.G, Dst.B};
    ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
      for (int32_t k = Begin; k < End; ++k)
        for (int Ch = 0; Ch < 3; ++Ch) {
          const float c = In[Ch][k];
          const float* Sh = Shifts[Ch];
          const float v = FiveKnotSpline(c, -0.00001f, Ranges.P1, Ranges.P2, Ranges.P3, 1.0001f, c,
                                         c + 0.2f * Sh[0], c + 0.2f * Sh[1], c + 0.2f * Sh[2], c);
          Out[Ch][k] = v * Amount + c * (1 - Amount);
        }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception In ProcessLGG, GammaR=" + FloatToStrD1(S[0].R));
  }
}

void ProcessLUTRecovery(const T3DLut& Src, T3DLut& Dst, const TColorModelPreferences& Prefs,
                        float HighlightAmount, float ColorAmount) {
  if (HighlightAmount == 0 && ColorAmount == 0) {
    if (CopyLutIfOther(Src, Dst)) Clamp(Dst);
    return;
  }
  ProcessColorModelConversion(Src, &Dst, lcsLinearRGB, &Prefs);
  if (Dst.ColorSpace != lcsLinearRGB || !(HighlightAmount > 0 || ColorAmount > 0)) return;
  ParallelForNodes(Dst.Count, [&](int32_t Begin, int32_t End) {
    for (int32_t k = Begin; k < End; ++k)
      SoftClip3(Dst.R[k], Dst.G[k], Dst.B[k], ColorAmount, HighlightAmount, 0.002f, Dst.MaxR,
                Dst.MaxG, Dst.MaxB);
  });
}

void ProcessRGBContrast(const T3DLut& Src, T3DLut& Dst, float Contrast, float Pivot) {
  if (!LutShapesMatch(Src, Dst, "ProcessRGBContrast")) return;
  try {
    const double p = 0.8 * double(Pivot) * Pivot + 0.1;
    const double k = std::fabs(6.0 * Contrast) + 1;
    const double a0 = std::atan(-p * k);
    const double Span = std::atan((1 - p) * k) - a0;
    auto Channel = [&](float c) {
      if (Contrast != 0) {
        const double s = (std::atan((c - p) * k) - a0) / Span;
        c = static_cast<float>((1 - double(Contrast)) * c + s * Contrast);
      }
      return std::clamp(c, 0.0f, 1.0f);
    };
    ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
      for (int32_t n = Begin; n < End; ++n) {
        Dst.R[n] = Channel(Src.R[n]);
        Dst.G[n] = Channel(Src.G[n]);
        Dst.B[n] = Channel(Src.B[n]);
      }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ProcessRGBContrast");
  }
}

void ProcessLUTMaskApplyCurve(const T3DLut& Src, T3DLut& Dst, const TEnvelopeDots* Curve) {
  if (Src.Size != Dst.Size || Src.Count != Dst.Count) {
    DebugShowMessage("ProcessLUTMaskApplyCurve error: Sizes differ: " + std::to_string(Src.Size) +
                     " and " + std::to_string(Dst.Size));
    return;
  }
  if (!LutShapesMatch(Src, Dst, "ProcessLUTMaskApplyCurve")) return;
  try {
    ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
      for (int32_t k = Begin; k < End; ++k) {
        const float m = CurveAt(Curve, Src.R[k]);
        Dst.R[k] = m;
        Dst.G[k] = m;
        Dst.B[k] = m;
      }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ProcessLUTMaskApplyCurve");
  }
}

void ProcessLUTMaskCurves(const T3DLut& Src, T3DLut& Dst, const TEnvelopeDots* CurveR,
                          const TEnvelopeDots* CurveG, const TEnvelopeDots* CurveB) {
  if (!LutShapesMatch(Src, Dst, "ProcessLUTMaskCurves")) return;
  ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
    float m = 0;
    try {
      for (int32_t k = Begin; k < End; ++k) {
        m = CurveAt(CurveR, Src.R[k]) * CurveAt(CurveG, Src.G[k]) * CurveAt(CurveB, Src.B[k]);
        Dst.R[k] = m;
        Dst.G[k] = m;
        Dst.B[k] = m;
      }
    } catch (const std::exception&) {
      DebugShowMessage("Exception in Process2DCurves, ResR=" + FloatToStrD1(m));
    }
  });
}

void ProcessLUTPerChannelCurves(const T3DLut& Src, T3DLut& Dst, const TEnvelopeDots* CurveR,
                                const TEnvelopeDots* CurveG, const TEnvelopeDots* CurveB) {
  if (!LutShapesMatch(Src, Dst, "ProcessLUTPerChannelCurves")) return;
  try {
    ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
      for (int32_t k = Begin; k < End; ++k) {
        Dst.R[k] = CurveAt(CurveR, Src.R[k]);
        Dst.G[k] = CurveAt(CurveG, Src.G[k]);
        Dst.B[k] = CurveAt(CurveB, Src.B[k]);
      }
    });
  } catch (const std::exception&) {
    DebugShowMessage("Exception in Process2DCurves");
  }
}

void ProcessLUTTransferChroma(const T3DLut& Src, const T3DLut& A, const T3DLut& B, T3DLut& Dst) {
  if (!LutShapesMatch(Src, Dst, "ProcessLUTTransferChroma") ||
      !LutShapesMatch(Src, A, "ProcessLUTTransferChroma") ||
      !LutShapesMatch(Src, B, "ProcessLUTTransferChroma"))
    return;
  const TVariableToRGBSingleProc Inverse = CurrentModelToRGB.load();
  const float Pi = std::numbers::pi_v<float>;
  ParallelForNodes(Src.Count, [&](int32_t Begin, int32_t End) {
    for (int32_t k = Begin; k < End; ++k) {
      float r1, g1, b1, r2, g2, b2;
      Inverse(50, A.G[k], A.B[k], r1, g1, b1);
      Inverse(50, B.G[k], B.B[k], r2, g2, b2);
      const float dR = std::clamp(r2 - r1, -0.5f, 0.5f);
      const float dG = std::clamp(g2 - g1, -0.5f, 0.5f);
      const float dB = std::clamp(b2 - b1, -0.5f, 0.5f);
      const float R = Src.R[k], G = Src.G[k], Bv = Src.B[k];
      Dst.R[k] = R + std::sin(Pi * R) * dR;
      Dst.G[k] = G + std::sin(Pi * G) * dG;
      Dst.B[k] = Bv + std::sin(Pi * Bv) * dB;
    }
  });
}

}  // namespace kromel
