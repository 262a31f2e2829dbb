#include "engine/model_saturation.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "colour/colour_models.h"
#include "colour/hsp_models.h"
#include "colour/log_gamma.h"
#include "engine/lut_procedures.h"
#include "foundation/messages.h"
#include "lut/node_workers.h"

namespace kromel {

namespace {

constexpr float WR = 0.2126f, WG = 0.7152f, WB = 0.0722f;
// Distance from the cube's surface (in encoded RGB) from which on the
// model's own result has its full weight.
constexpr float ModelBand = 0.5f;

struct TModelPair {
  TRGBToVariableSingleProc Forward;
  TVariableToRGBSingleProc Inverse;
};

// Near the surface of the RGB cube a model's scaled chroma leaves its gamut
// and comes back limited at constant lightness (gamut tables, clamping),
// which near the cusps moves neighbouring nodes far apart. So the model's
// result (L, s A, s B) is blended with the same colour scaled by s in
// encoded RGB away from the model's grey of lightness L (each channel then
// clamped), the model's weight growing smoothly with the distance of that
// encoded result from the cube's surface.
void ScaleChroma(const TModelPair& M, float s, float& L, float& A, float& B) {
  float C[3], Grey[3], Encoded[3], Own[3];
  M.Inverse(L, A, B, C[0], C[1], C[2]);
  M.Inverse(L, 0, 0, Grey[0], Grey[1], Grey[2]);
  float Margin = 1;
  for (int32_t I = 0; I < 3; ++I) {
    Encoded[I] = Grey[I] + s * (C[I] - Grey[I]);
    Margin = std::min({Margin, Encoded[I], 1 - Encoded[I]});
  }
  float W = std::clamp(Margin / ModelBand, 0.0f, 1.0f);
  W = W * W * (3 - 2 * W);
  M.Inverse(L, s * A, s * B, Own[0], Own[1], Own[2]);
  for (int32_t I = 0; I < 3; ++I)
    C[I] = W * Own[I] + (1 - W) * std::clamp(Encoded[I], 0.0f, 1.0f);
  M.Forward(C[0], C[1], C[2], L, A, B);
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
  const float s = 2 * Saturation->Limited();
  if (s == 1) return;
  const TModelPair M{WorkingForward(Dst->ColorModelPreferences),
                     WorkingInverse(Dst->ColorModelPreferences)};
  const bool HSPModel = M.Forward == &RGBtoHSPeXYSingle || M.Forward == &RGBtoHSPneXYSingle ||
                        M.Forward == &RGBtoHSPnXYSingle || M.Forward == &RGBtoHSP2XYSingle ||
                        M.Forward == &RGBtoHSP3ModelSingle || M.Forward == &RGBtoHSPIttenSingle;
  // These clamp each channel on the way back and stay smooth as they are.
  const bool Unlimited = M.Forward == &RGBtoCMYKModel || M.Forward == &RGBtoRGBWModel;
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
