#include "session/session_picker.h"

#include <cmath>

#include "colour/colour_models.h"
#include "colour/contrast_clip.h"
#include "colour/hsp_models.h"
#include "colour/rgb_lab_xyz.h"
#include "lut/lut.h"
#include "lut/lut_apply.h"
#include "session/session_tools.h"

namespace kromel {

namespace {

int32_t RoundMarker(double V) {
  if (!std::isfinite(V)) return -1;
  return static_cast<int32_t>(std::nearbyint(V));
}

}  // namespace

int32_t LightnessMarker(float L) { return RoundMarker(static_cast<double>(L) * 16384.0 / 100.0); }

int32_t ChromaMarker(float A, float B) {
  return RoundMarker(std::sqrt(double(A) * A + double(B) * B) * 16384.0 / 130.0);
}

void TPickerState::UpdateAfter(const T3DLut& MainLut) {
  if (PickerUnprocessed) {
    PickerColorAfter = PickerColor;
    return;
  }
  PickerColorAfter =
      (ProcessColorBGRA32InGammaProfile(MainLut, PickerColor) & 0x00FFFFFFu) |
      (PickerColor & 0xFF000000u);
}

void TPickerState::SetGridPosition(uint32_t StageColour) {
  const uint32_t C = PickerUnprocessed ? PickerColor : StageColour;
  ModelOfBGRA(C, GridL, GridA, GridB);
}

TCurvesPickerMarkers CurvesPickerMarkers(const TCurvesPickerInput& In) {
  TCurvesPickerMarkers M;
  if (!In.PointerOverPreview) return M;
  float L, A, B;
  ModelOfBGRA(In.Stage2Colour, L, A, B);
  for (int32_t K = 0; K < 4; ++K)
    if (In.SatLumIndex == K && !In.ImageDragActive)
      M.SatLum[size_t(K)] = K < 2 ? LightnessMarker(L) : ChromaMarker(A, B);
  float R, G, Bl, Rm, Gm, Bm, Lm;
  ChannelsOfBGRA(In.Stage3Colour, R, G, Bl);
  RGBLightnessByMode(R, G, Bl, In.CurveMode, Rm, Gm, Bm, Lm);
  M.MRGB[0] = (In.TatActive || In.MRGBIndex > 0) ? -1 : RoundMarker(double(Lm) * 16384.0);
  M.MRGB[1] = RoundMarker(double(Rm) * 16384.0);
  M.MRGB[2] = RoundMarker(double(Gm) * 16384.0);
  M.MRGB[3] = RoundMarker(double(Bm) * 16384.0);
  return M;
}

std::array<int32_t, 3> MaskPickerMarkers(int32_t Selector, uint32_t PickerColor,
                                         uint32_t MaskKeyColour) {
  float R, G, B;
  ChannelsOfBGRA(PickerColor, R, G, B);
  if (Selector == 20) {
    float H, S, P;
    RGBtoHSP2pSingle(R, G, B, H, S, P);
    return {RoundMarker(H * 16384.0), RoundMarker(S * 16384.0),
            RoundMarker(P / 100.0 * 16384.0)};
  }
  if (Selector == 21) {
    float L, C, H;
    RGBtoLChSingle(R, G, B, L, C, H);
    C *= 0.0078125f;
    return {RoundMarker(H * 16384.0), RoundMarker(C * 16384.0),
            RoundMarker(L / 100.0 * 16384.0)};
  }
  return {int32_t(((MaskKeyColour >> 16) & 255) * 16384 / 255),
          int32_t(((MaskKeyColour >> 8) & 255) * 16384 / 255),
          int32_t((MaskKeyColour & 255) * 16384 / 255)};
}

}  // namespace kromel
