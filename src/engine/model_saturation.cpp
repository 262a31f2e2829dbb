#include "engine/model_saturation.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "colour/hsv_hsl.h"
#include "colour/log_gamma.h"
#include "engine/lut_procedures.h"
#include "foundation/debug_log.h"
#include "lut/node_workers.h"

namespace kromel {

namespace {

constexpr float WR = 0.2126f, WG = 0.7152f, WB = 0.0722f;
// The anchor sits this far below the cusp, so that the way back crosses the
// gamut's top rather than grazing it.
constexpr float AnchorBelowCusp = 0.6f;

struct TModelPair {
  TRGBToVariableSingleProc Forward;
  TVariableToRGBSingleProc Inverse;
};

// True when the model's inverse reaches (L, A, B) without limiting it: the
// round trip comes back within the models' own precision.
bool Representable(const TModelPair& M, float L, float A, float B) {
  float R, G, Bl, L2, A2, B2;
  M.Inverse(L, A, B, R, G, Bl);
  M.Forward(R, G, Bl, L2, A2, B2);
  return std::fabs(L2 - L) <= 0.1f &&
         std::hypot(A2 - A, B2 - B) <= 1.0f + 0.01f * std::hypot(A, B);
}

// The most saturated colour of RGB's hue (largest channel 1, smallest 0),
// or false for a grey.
bool FullColour(float R, float G, float B, float Full[3]) {
  const float Mx = std::max({R, G, B}), Mn = std::min({R, G, B});
  if (!(Mx - Mn > 1e-6f)) return false;
  Full[0] = (R - Mn) / (Mx - Mn);
  Full[1] = (G - Mn) / (Mx - Mn);
  Full[2] = (B - Mn) / (Mx - Mn);
  return true;
}

// The lightness towards which an out-of-gamut target is brought back: its
// own in the shadows, at most a fraction of its hue's cusp lightness above.
// Keeping the lightness of a highlight would slide it along the nearly flat
// top of the gamut (yellow, cyan) and tear the map there.
float AnchorLightness(const TModelPair& M, float L, float A, float B) {
  float R, G, Bl, Full[3], Lc, Ac, Bc;
  M.Inverse(L, A, B, R, G, Bl);
  if (!FullColour(R, G, Bl, Full)) return L;
  M.Forward(Full[0], Full[1], Full[2], Lc, Ac, Bc);
  return std::min(L, AnchorBelowCusp * Lc);
}

// (L, s A, s B), or, when the model cannot reach it, the last reachable
// point on the way to it from the grey at the anchor lightness.
void ScaleChroma(const TModelPair& M, float s, float& L, float& A, float& B) {
  const float At = s * A, Bt = s * B;
  if (s <= 1 || Representable(M, L, At, Bt)) {
    A = At;
    B = Bt;
    return;
  }
  const float L0 = AnchorLightness(M, L, A, B);
  float Lo = 0, Hi = 1;
  for (int32_t I = 0; I < 10; ++I) {
    const float U = 0.5f * (Lo + Hi);
    (Representable(M, L0 + U * (L - L0), U * At, U * Bt) ? Lo : Hi) = U;
  }
  L = L0 + Lo * (L - L0);
  A = Lo * At;
  B = Lo * Bt;
}

// The HSP models solve for the requested luminance, so their saturation
// near 1 crowds very different colours together where the gamut is thin in
// luminance: below the yellow and cyan cusps (the extended measure), and
// about dark blue. Scaling that measure pulls neighbouring nodes far apart.
// There the chroma is scaled by the measure's factor Gain in encoded RGB,
// away from the grey of the same luminance, each channel then clamped.
void ScaleEncodedChroma(const TModelPair& M, float Gain, float& L, float& A, float& B) {
  float C[3];
  M.Inverse(L, A, B, C[0], C[1], C[2]);
  const float Grey = LinearToGammaSRGB(WR * GammaSRGBToLinear(C[0]) +
                                       WG * GammaSRGBToLinear(C[1]) +
                                       WB * GammaSRGBToLinear(C[2]));
  for (float& V : C) V = std::clamp(Grey + Gain * (V - Grey), 0.0f, 1.0f);
  M.Forward(C[0], C[1], C[2], L, A, B);
}

}  // namespace

TModelSaturationAdjustments::TModelSaturationAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "ModelSaturation"), Saturation(AddSingle("Saturation", 0.5f)) {}

void TModelSaturationAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                          const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TModelSaturationAdjustments.Process")) return;
  ProcessColorModelConversion(*Src, Dst, lcsCustomColorspace, &Settings);
  if (Dst->ColorSpace != lcsCustomColorspace) return;
  const float s = 2 * Saturation->Value;
  if (s == 1) return;
  const TModelPair M{WorkingForward(Dst->ColorModelPreferences),
                     WorkingInverse(Dst->ColorModelPreferences)};
  const bool HSPModel = M.Forward == &RGBtoHSPeXYSingle || M.Forward == &RGBtoHSPneXYSingle ||
                        M.Forward == &RGBtoHSPnXYSingle || M.Forward == &RGBtoHSP2XYSingle ||
                        M.Forward == &RGBtoHSP3ModelSingle || M.Forward == &RGBtoHSPIttenSingle;
  // These clamp each channel on the way back, with no gamut table: scaling
  // their chroma as it stands is smoother than bringing it back.
  const bool Unlimited = M.Forward == &RGBtoCMYKModel || M.Forward == &RGBtoRGBWModel ||
                         M.Forward == &RGBtoYUVSingle || M.Forward == &RGBtoSXYSingle;
  // The radius of HSPn and HSPne is the saturation, of the others its square.
  const bool Plain = M.Forward == &RGBtoHSPneXYSingle || M.Forward == &RGBtoHSPnXYSingle;
  const float Gain = Plain ? s : std::sqrt(std::max(s, 0.0f));
  ParallelForNodes(Dst->Count, [&](int32_t Begin, int32_t End) {
    int32_t k = Begin;
    try {
      for (; k < End; ++k) {
        if (Unlimited) {
          Dst->G[k] *= s;
          Dst->B[k] *= s;
        } else if (HSPModel) {
          ScaleEncodedChroma(M, Gain, Dst->R[k], Dst->G[k], Dst->B[k]);
        } else {
          ScaleChroma(M, s, Dst->R[k], Dst->G[k], Dst->B[k]);
        }
      }
    } catch (const std::exception&) {
      const int32_t NR = Dst->NLRH > 0 ? Dst->NLRH : 1;
      const int32_t NG = Dst->NLGS > 0 ? Dst->NLGS : 1;
      DebugShowMessage("Exception in ProcessModelSaturation R=" + std::to_string(k % NR) +
                       " G=" + std::to_string(k / NR % NG) + " B=" + std::to_string(k / NR / NG));
    }
  });
}

}  // namespace kromel
