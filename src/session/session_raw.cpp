#include "session/session_raw.h"

#include <algorithm>
#include <cmath>

#include "colour/channel_mixer.h"
#include "colour/log_curves.h"
#include "controls/switch_controls.h"
#include "engine/lut_procedures.h"
#include "fileio/raw_files.h"
#include "images/image32.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"

namespace kromel {

namespace {

uint8_t LogCByte(uint16_t Clip) {
  const float V = std::nearbyint(LinearToLogC(Clip / 65535.0f * 8.0f) * 255.0f);
  return static_cast<uint8_t>(std::clamp(V, 0.0f, 255.0f));
}

// A x B of two row-major 3 x 3 matrices.
std::array<double, 9> MatrixProduct(const std::array<double, 9>& A, const std::array<double, 9>& B) {
  std::array<double, 9> P{};
  for (int I = 0; I < 3; ++I)
    for (int J = 0; J < 3; ++J)
      for (int K = 0; K < 3; ++K) P[I * 3 + J] += A[I * 3 + K] * B[K * 3 + J];
  return P;
}

}  // namespace

int32_t RawOutputColor(int32_t Item) {
  switch (Item) {
    case 1: return 2;
    case 2: return 4;
    case 3:
    case 4:
    case 5: return 0;
    default: return 1;
  }
}

int32_t RawLogMaximumColor(const std::array<uint16_t, 3>& Clip, const TImage64& LogImage) {
  std::array<uint8_t, 3> Max{LogCByte(Clip[0]), LogCByte(Clip[1]), LogCByte(Clip[2])};
  if (LogImage.Width >= 2 && LogImage.Height >= 2) {
    TImage32 Small;
    LogImage.CopyToImage32(Small);
    Small.FilterMin();
    // The brightest 2 x 2 block by 29 R + 58 G + 11 B.
    int32_t Best = -1;
    std::array<int32_t, 3> BestColor{};
    for (int32_t Y = 0; Y + 1 < Small.Height; ++Y)
      for (int32_t X = 0; X + 1 < Small.Width; ++X) {
        std::array<int32_t, 3> Sum{};
        for (int32_t DY = 0; DY < 2; ++DY)
          for (int32_t DX = 0; DX < 2; ++DX) {
            const auto& P = Small.Pixels[int64_t(Y + DY) * Small.Width + X + DX].BGRA;
            Sum[0] += P.R;
            Sum[1] += P.G;
            Sum[2] += P.B;
          }
        const int32_t Weight = 29 * Sum[0] + 58 * Sum[1] + 11 * Sum[2];
        if (Weight > Best) {
          Best = Weight;
          BestColor = {Sum[0] / 4, Sum[1] / 4, Sum[2] / 4};
        }
      }
    Small.Dispose();
    for (int C = 0; C < 3; ++C) Max[C] = std::max<int32_t>(Max[C], BestColor[C]);
  }
  return Max[0] | (Max[1] << 8) | (Max[2] << 16);
}

void TKromelSession::SetWhiteBalanceFromRGB(bool Inverse, bool AdjustExposure, float R, float G,
                                            float B, float Exposure) {
  float T = 1, Tint = 1;
  if (R >= 1e-5f) {
    T = std::sqrt(B / R);
    Tint = std::sqrt(G / R / T);
  }
  if (Inverse) {
    T = 1 / T;
    if (std::fabs(Tint) > 1e-4f)
      Tint = 1 / Tint;
    else
      PlatformShowMessage(_("Failed to set tint!"));
  }
  if (!std::isfinite(T) || !std::isfinite(Tint) || T <= 0 || Tint <= 0) return;
  float GainR = 1, GainG = 1, GainB = 1;
  CalcWhiteBalanceGains(T, Tint, GainR, GainG, GainB);
  TController* Temperature = Controls.Find("TransformWhiteBalanceKnob");
  TController* TintKnob = Controls.Find("TransformTintKnob");
  TController* ExposureKnob = Controls.Find("TransformExposureKnob");
  if (Temperature == nullptr || TintKnob == nullptr || ExposureKnob == nullptr) return;
  TUpdateLock Lock(*this);
  EditPreset([&](TKromelPreset&) {
    Temperature->SetControllerValueS(std::log2(T) / 4.6f + 0.5f);
    TintKnob->SetControllerValueS(std::log2(Tint) / 2.4f + 0.5f);
    if (Exposure >= 0 && AdjustExposure) {
      if (Exposure == 0) Exposure = std::exp2(ExposureKnob->GetControllerValueS() * 10 - 5);
      Exposure = Exposure / GainR * R;
      if (Exposure > 1e-6f) ExposureKnob->SetControllerValueS(std::log2(Exposure) / 10 + 0.5f);
    }
    return true;
  });
}

void ApplyRawSettings(TKromelSession& S, const TRawDecodeResult* Raw, int32_t LogMaximumColor) {
  TKromelSession::TUpdateLock Lock(S);
  if (Raw != nullptr && S.Preferences().LoadWhiteBalanceFromRaw) {
    S.SetWhiteBalanceFromRGB(true, true, Raw->R, Raw->G, Raw->B, -1.0f);
    S.EditPreset([&](TKromelPreset&) {
      for (const char* Name : {"TransformWhiteBalanceKnob", "TransformTintKnob"})
        if (TController* C = S.Controls.Find(Name)) C->SetDefaultValue2(C->GetControllerValue());
      TController* Exposure = S.Controls.Find("TransformExposureKnob");
      if (Exposure != nullptr && Exposure->GetControllerValueS() == 0.5f)
        Exposure->SetControllerValueS(0.395f);
      return true;
    });
  }
  if (Raw != nullptr && S.Preferences().LoadColorMatrixFromRaw && Raw->OutputColor == 0) {
    std::array<double, 9> M = Raw->CameraMatrix;
    if (S.Preferences().LibRawColor == 4)
      M = MatrixProduct(M, RawAdobeRGBMatrix);
    else if (S.Preferences().LibRawColor == 5)
      M = MatrixProduct(M, RawProPhotoMatrix);
    TChannelMixerParams Params;
    std::copy(M.begin(), M.end(), Params.Matrix);
    S.EditPreset([&](TKromelPreset& P) {
      P.ChannelMixer->SetMatrix(Params);
      if (TRadioGroupControl* Pages = S.Controls.FindGroup("PagesRadioGroup"))
        Pages->SetButtonSwitchState(0, true);
      return true;
    });
  }
  S.EditPreset([&](TKromelPreset& P) {
    P.LogDecoder->InputLog->SetValue(LogIndexLogC);
    P.LogDecoder->MaxColor->SetValue(LogMaximumColor);
    return true;
  });
}

}  // namespace kromel
