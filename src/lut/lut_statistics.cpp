#include "lut/lut_statistics.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>
#include <vector>

#include "colour/hsv_hsl.h"
#include "foundation/error_sink.h"
#include "foundation/number_format.h"
#include "foundation/text_scan.h"
#include "platform/translate.h"

namespace kromel {

const std::array<const char*, 4> LUTSaturationTagTexts = {"Grayscale", "Low-Saturation",
                                                          "Normal-Saturation", "High-Saturation"};
const std::array<const char*, 4> LUTColorCastTagTexts = {"Neutral", "Warm", "Cool", "Other"};
const std::array<const char*, 4> LUTContrastTagTexts = {"Limited-range", "Low-Contrast",
                                                        "Normal-Contrast", "High-Contrast"};
const std::array<const char*, 3> LUTSkinToneSatTexts = {"SkinTonePreserve", "SkinToneWarmer",
                                                        "SkinToneCooler"};
const std::array<const char*, 3> LUTSkinToneLightnessTexts = {"SkinTonePreserveL",
                                                              "SkinToneLighter", "SkinToneDarker"};
const std::array<const char*, 4> LUTHueChangesTexts = {"NoHueChanges", "SlightHueChanges",
                                                       "MediumHueChanges", "ExtremeHueChanges"};
const std::array<const char*, 6> LUTColorTexts = {"Red", "Yellow", "Green",
                                                  "Cyan", "Blue", "Purple"};
const std::array<const char*, 4> LUTColorPresenseTexts = {"No", "Little", "Usual", "Much"};

namespace {

constexpr double ExpectedPresence[LUTColorCount] = {0.035, 0.055, 0.1, 0.083, 0.054, 0.165};

inline float Max3(float A, float B, float C) { return std::max(A, std::max(B, C)); }
inline float Min3(float A, float B, float C) { return std::min(A, std::min(B, C)); }

// Blank-separated tokens (any ASCII white space separates).
std::vector<std::string> SplitTokens(const std::string& Text) {
  std::vector<std::string> Tokens;
  std::string Current;
  for (char C : Text) {
    if (C == ' ' || C == '\t' || C == '\r' || C == '\n') {
      if (!Current.empty()) Tokens.push_back(std::move(Current));
      Current.clear();
    } else {
      Current += C;
    }
  }
  if (!Current.empty()) Tokens.push_back(std::move(Current));
  return Tokens;
}

bool HasToken(const std::vector<std::string>& Tokens, const std::string& Word) {
  return std::find(Tokens.begin(), Tokens.end(), Word) != Tokens.end();
}

template <typename TEnum, size_t N>
TEnum FirstTokenOf(const std::string& Text, const std::array<const char*, N>& Table,
                   TEnum Default) {
  const std::vector<std::string> Tokens = SplitTokens(Text);
  for (size_t I = 0; I < N; ++I)
    if (HasToken(Tokens, Table[I])) return static_cast<TEnum>(I);
  return Default;
}

// "%10s": right-aligned in ten characters, longer texts kept whole.
std::string RightAlign10(const std::string& S) {
  return S.size() >= 10 ? S : std::string(10 - S.size(), ' ') + S;
}

std::string D1(double X) { return FloatToStrD1(static_cast<float>(X)); }

// The colour band of an output hue (turns) and its factor; -1 for none.
int HueBand(double H, double& Factor) {
  int Band = -1;
  if (H >= 0 && H < 1.0 / 18) {
    Band = lcRed;
    Factor = 1 - 18 * H;
  } else if (H > 17.0 / 18 && H <= 1) {
    Band = lcRed;
    Factor = 1 - 18 * (1 - H);
  }
  if (H > 7.0 / 90 && H < 17.0 / 90) {
    Band = lcYellow;
    Factor = 1 - 18 * std::fabs(H - 2.0 / 15);
  }
  if (H > 13.0 / 60 && H < 25.0 / 60) {
    Band = lcGreen;
    Factor = 1 - 10 * std::fabs(H - 19.0 / 60);
  }
  if (H > 5.0 / 12 && H < 7.0 / 12) {
    Band = lcCyan;
    Factor = 1 - 12 * std::fabs(H - 0.5);
  }
  if (H > 17.0 / 30 && H < 11.0 / 15) {
    Band = lcBlue;
    Factor = 1 - 12 * std::fabs(H - 0.65);
  }
  if (H > 2.0 / 3 && H < 1) {
    Band = lcPurple;
    Factor = 1 - 6 * std::fabs(H - 5.0 / 6);
  }
  return Band;
}

}  // namespace

bool TLutStatistics::Calculate(T3DLUTWithStatistics& Lut) {
  *this = TLutStatistics{};
  const int32_t N = Lut.Size;
  if (!Lut.HasPlanes() || Lut.NonCubic || N < 2 ||
      static_cast<int64_t>(N) * N * N > Lut.Count)
    return false;
  const float* PR = Lut.R;
  const float* PG = Lut.G;
  const float* PB = Lut.B;
  const double s = 1.0 / (N - 1);
  const double N3 = static_cast<double>(N) * N * N;
  auto Index = [N](int32_t r, int32_t g, int32_t b) {
    return static_cast<size_t>(r) + static_cast<size_t>(N) * (g + static_cast<size_t>(N) * b);
  };
  auto Input = [s](int32_t i) { return static_cast<float>(i * s); };

  // 1. Amplification over the cells' diagonals.
  {
    double MaxD2 = 0, MinD2 = 100000, Sum = 0;
    int64_t Count = 0;
    for (int32_t b = 0; b < N - 1; ++b)
      for (int32_t g = 0; g < N - 1; ++g)
        for (int32_t r = 0; r < N - 1; ++r) {
          const size_t Ne = Index(r, g, b), Fa = Index(r + 1, g + 1, b + 1);
          const double dR = PR[Fa] - PR[Ne], dG = PG[Fa] - PG[Ne], dB = PB[Fa] - PB[Ne];
          const double D2 = dR * dR + dG * dG + dB * dB;
          MaxD2 = std::max(MaxD2, D2);
          MinD2 = std::min(MinD2, D2);
          const double Ratio = (0.3 * dR + 0.5 * dG + 0.2 * dB) / s;
          if (PR[Ne] > 0.03f && PG[Ne] > 0.03f && PB[Ne] > 0.03f && PR[Fa] < 0.97f &&
              PG[Fa] < 0.97f && PB[Fa] < 0.97f) {
            Sum += Ratio;
            ++Count;
          }
          if (std::fabs(Ratio) > LAmplificationMax) {
            LAmplificationMax = static_cast<float>(std::fabs(Ratio));
            auto Byte = [&](int32_t i) {
              return static_cast<uint32_t>(std::nearbyint(255.0 * i * s));
            };
            MaxAmplificationColor = Byte(r) + 256 * Byte(g) + 65536 * Byte(b);
          }
        }
    const double Unit = std::cbrt(3 * s * s);
    AmplificationMax = static_cast<float>(std::cbrt(MaxD2) / Unit);
    AmplificationMin = static_cast<float>(std::cbrt(MinD2) / Unit);
    LAmplificationAvg = Count >= 1 ? static_cast<float>(Sum / Count) : 0.0f;
  }

  // 2.-4. and 7. Per-node measures.
  {
    int64_t Dark = 0, Light = 0, Black = 0, White = 0, ClipSat = 0;
    double ChangeSum = 0, ChangeMx = 0, RatioSum = 0, ChromaSum = 0;
    int64_t RatioCount = 0;
    for (int32_t b = 0; b < N; ++b)
      for (int32_t g = 0; g < N; ++g)
        for (int32_t r = 0; r < N; ++r) {
          const size_t I = Index(r, g, b);
          const float R = PR[I], G = PG[I], B = PB[I];
          const float x = Input(r), y = Input(g), z = Input(b);
          const double W = 0.3 * R * R + 0.5 * G * G + 0.2 * B * B;
          const double V = 0.3 * x * x + 0.5 * y * y + 0.2 * z * z;
          if (W - V < -0.001) ++Dark;
          if (W - V > 0.001) ++Light;
          const bool First = r == 0 && g == 0 && b == 0;
          const bool Last = r == N - 1 && g == N - 1 && b == N - 1;
          if (!First && R < 0.005f && G < 0.005f && B < 0.005f) ++Black;
          if (!Last && R > 0.999f && G > 0.999f && B > 0.999f) ++White;
          if (r >= 1 && g >= 1 && b >= 1 && (R < 0.0001f || G < 0.0001f || B < 0.0001f) &&
              std::fabs(R) + std::fabs(G) + std::fabs(B) > 0.0001f)
            ++ClipSat;
          const double D = std::sqrt(double(R - x) * (R - x) + double(G - y) * (G - y) +
                                     double(B - z) * (B - z));
          ChangeSum += D;
          ChangeMx = std::max(ChangeMx, D);
          const float InMax = Max3(x, y, z), InMin = Min3(x, y, z);
          const float OutMax = Max3(R, G, B), OutMin = Min3(R, G, B);
          const double h = (InMax - InMin) / (InMax + 0.01);
          const double o = (OutMax - OutMin) / (OutMax + 0.01);
          if (h > 0.01) {
            RatioSum += o / h;
            ++RatioCount;
          }
          ChromaSum += OutMax - OutMin;
        }
    Darkened = static_cast<float>(Dark / N3);
    Lightened = static_cast<float>(Light / N3);
    ClippedBlack = static_cast<float>(Black / (N3 - 1));
    ClippedWhite = static_cast<float>(White / (N3 - 1));
    ClippedSaturation = static_cast<float>(ClipSat / (static_cast<double>(N) * (N * (N - 3.0) + 3)));
    ChangeMax = static_cast<float>(ChangeMx / std::sqrt(3.0));
    ChangeAvg = static_cast<float>(ChangeSum / (std::sqrt(3.0) * N3));
    const double RatioMean = RatioCount > 0 ? RatioSum / RatioCount : 0.0;
    OverallSaturation = static_cast<float>(
        0.3 * (2 * ChromaSum / (static_cast<double>(N) * N * (N + 1))) + 0.7 * RatioMean);
  }

  // 5., 6. and 9. The grey axis.
  {
    double SatSum = 0, SumR = 0, SumG = 0, SumB = 0;
    for (int32_t t = 0; t < N; ++t) {
      const size_t I = Index(t, t, t);
      SatSum += Max3(PR[I], PG[I], PB[I]) - Min3(PR[I], PG[I], PB[I]);
      SumR += PR[I];
      SumG += PG[I];
      SumB += PB[I];
    }
    NeutralsSat = static_cast<float>(SatSum / N);
    Cast.B = static_cast<float>(SumB / N);
    Cast.G = static_cast<float>(SumG / N);
    Cast.R = static_cast<float>(SumR / N);
    Cast.A = 0;

    double Weighted = 0, Weights = 0;
    auto Mean = [&](int32_t t) {
      const size_t I = Index(t, t, t);
      return std::clamp((double(PR[I]) + PG[I] + PB[I]) / 3, 0.0, 1.0);
    };
    for (int32_t t = 0; t < N - 1; ++t) {
      const double a = Mean(t), bb = Mean(t + 1);
      const double W = (0.5 - 0.5 * std::cos(2 * std::numbers::pi * a)) *
                       (0.5 - 0.5 * std::cos(2 * std::numbers::pi * bb));
      Weighted += W * (bb - a) / s;
      Weights += W;
    }
    Contrast = static_cast<float>(Weights > 0.00001 ? Weighted / Weights : Weighted);
  }

  // 8. Skin tones.
  {
    double SatSum = 0, WeightSum = 0, LumSum = 0;
    for (int32_t b = 0; b < N; ++b)
      for (int32_t g = b + 1; g < N; ++g)
        for (int32_t r = g + 1; r < N; ++r) {
          const double x = Input(r), y = Input(g), z = Input(b);
          const double SatIn = (x - z) / (x + 0.1);
          const double HueFitIn = 1 - std::fabs(0.1 * x + 0.9 * z - y) / (x + 0.01);
          const double LumIn = 0.3 * x + 0.6 * y + 0.1 * z;
          const size_t I = Index(r, g, b);
          const double R = PR[I], G = PG[I], B = PB[I];
          const double M = Max3(PR[I], PG[I], PB[I]);
          const double SatOut = std::max(0.0, (R - B) / (M + 0.1));
          const double HueFitOut = 1 - std::fabs(0.1 * R + 0.9 * B - G) / (M + 0.01);
          const double LumOut = 0.3 * R + 0.6 * G + 0.1 * B;
          const double Weight = std::min(SatIn, 0.5) * LumIn * HueFitIn;
          if (LumIn > 0.1 && LumIn < 0.7 && SatIn > 0.2 && HueFitIn > 0.8 && Weight > 0) {
            SatSum += (HueFitOut / HueFitIn) * (SatOut / SatIn) * Weight;
            WeightSum += Weight;
            LumSum += (LumOut + 0.01) * Weight / (LumIn + 0.01);
          }
        }
    const double Div = std::max(WeightSum, 1.0);
    SkinSat = static_cast<float>(SatSum / Div);
    SkinLum = static_cast<float>(LumSum / Div);
  }

  // 10. Hue change and colour presence.
  {
    double HueSum = 0, HueWeights = 0, Total = 0;
    double Sums[LUTColorCount] = {};
    for (int32_t b = 0; b < N; ++b)
      for (int32_t g = 0; g < N; ++g)
        for (int32_t r = 0; r < N; ++r) {
          const size_t I = Index(r, g, b);
          float Hin, Sin, Lin, Hout, Sout, Lout;
          RGBtoHSL(Hin, Sin, Lin, Input(r), Input(g), Input(b));
          RGBtoHSL(Hout, Sout, Lout, PR[I], PG[I], PB[I]);
          double dh = double(Hin) - Hout;
          if (dh < -0.5) dh += 1;
          else if (dh > 0.5) dh -= 1;
          dh = 2 * std::fabs(dh);
          if (Sin > 0.2f && Sout > 0.2f && dh > HueChangeMax) HueChangeMax = static_cast<float>(dh);
          HueSum += dh * Sin * Sout;
          HueWeights += double(Sin) * Sout;

          const double LF = Lout < 0.05f ? 0.0 : Lout < 0.1f ? (Lout - 0.05) / 0.05 : 1.0;
          const double SF = Sout < 0.1f ? 0.0 : Sout < 0.3f ? (Sout - 0.1) / 0.2 : 1.0;
          const double Weight = LF * SF;
          Total += Weight;
          double Factor = 0;
          const int Band = HueBand(Hout, Factor);
          if (Band >= 0 && Factor * Weight > 0) Sums[Band] += Factor * Weight;
        }
    HueChangeAvg = HueWeights != 0 ? static_cast<float>(HueSum / HueWeights) : 0.0f;
    for (int C = 0; C < LUTColorCount; ++C) {
      const double Share = Total != 0 ? Sums[C] / Total : Sums[C];
      const double Value = Share / ExpectedPresence[C];
      Lut.ColorsPresense[static_cast<size_t>(C)] = Value > 1.6   ? lcpMuch
                                                  : Value > 0.7 ? lcpUsual
                                                  : Value > 0.2 ? lcpLittle
                                                                : lcpAbsent;
    }
  }
  return true;
}

void TLutStatistics::AsString(std::string& Text) const {
  Text.clear();
  try {
    const char Tab = '\t';
    Text += _("L amplification - Avg: ") + D1(100.0 * LAmplificationAvg) + "%" +
            _("  Max: ") + D1(100.0 * LAmplificationMax) + "%\n";
    Text += _("Amplification - Max: ") + D1(100.0 * AmplificationMax) + "%" +
            _("  Min: ") + D1(100.0 * AmplificationMin) + "%\n";
    Text += _("Clipped - Black: ") + D1(10000.0 * ClippedBlack) + "%%" +
            _("  White: ") + D1(10000.0 * ClippedWhite) + "%%\n";
    Text += _("Clipped saturation: ") + D1(100.0 * ClippedSaturation) + "%\n";
    Text += _("Change Max: ") + RightAlign10(D1(100.0 * ChangeMax) + "%") + Tab +
            _("  Avg: ") + D1(100.0 * ChangeAvg) + "%\n";
    Text += _("Lightened:  ") + RightAlign10(D1(100.0 * Lightened) + "%") + Tab +
            _("Darkened: ") + D1(100.0 * Darkened) + "%\n";
    std::string CastText;
    Pixel128ToText2(CastText, Cast);
    Text += _("Neutrals Sat: ") + D1(100.0 * NeutralsSat) + "%" +
            _("  Cast: ") + CastText + "\n";
    Text += _("Overall saturation: ") + D1(100.0 * OverallSaturation) + "%" +
            _("  Skin sat.: ") + D1(100.0 * SkinSat) + "%\n";
    Text += _("Contrast: ") + D1(100.0 * Contrast) + "%" +
            _("  Skin lum.: ") + D1(100.0 * SkinLum) + "%\n";
    Text += _("Hue change - Avg: ") + D1(100.0 * HueChangeAvg) + "%" + Tab +
            _("Max: ") + D1(100.0 * HueChangeMax) + "%";
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TLutStatistics.AsString");
  }
}

void T3DLUTWithStatistics::CalcTags() {
  if (!HasPlanes() || Size < 2) return;
  try {
    TLutStatistics S;
    if (!S.Calculate(*this)) return;
    SaturationTag = S.OverallSaturation < 0.02f   ? lsGrayscale
                    : S.OverallSaturation < 0.7f  ? lsLow
                    : S.OverallSaturation < 1.03f ? lsNormal
                                                  : lsHigh;
    SkinToneSat = S.SkinSat < 0.97f ? lstCooler : S.SkinSat < 1.03f ? lstPreserve : lstWarmer;
    SkinToneLightness =
        S.SkinLum < 0.97f ? lstlDarker : S.SkinLum < 1.03f ? lstlPreserveL : lstlLighter;
    const float CR = S.Cast.R, CG = S.Cast.G, CB = S.Cast.B;
    if (S.NeutralsSat < 0.01f)
      ColorCastTag = ccNeutral;
    else if (CR > CG && CG > CB)
      ColorCastTag = ccWarm;
    else if (CB > CR && CG > CR)
      ColorCastTag = ccCool;
    else
      ColorCastTag = ccOther;
    const size_t First = 0;
    const size_t Last = static_cast<size_t>(Size - 1) * (1 + static_cast<size_t>(Size) +
                                                         static_cast<size_t>(Size) * Size);
    if (R[First] + G[First] + B[First] > 0.03f || R[Last] + G[Last] + B[Last] < 2.8f)
      ContrastTag = lcLimitedRange;
    else if (S.Contrast < 0.98f)
      ContrastTag = lcLowContrast;
    else if (S.Contrast <= 1.1f)
      ContrastTag = lcNormal;
    else
      ContrastTag = lcHighContrast;
    HueChanges = S.HueChangeAvg > 0.2f    ? lhcExtreme
                 : S.HueChangeAvg > 0.08f ? lhcMedium
                 : S.HueChangeAvg > 0.02f ? lhcSlight
                                          : lhcNone;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in 3DLUT.Calctags");
  }
}

void GetTagsText(const T3DLUTWithStatistics& Lut, std::string& Text) {
  Text.clear();
  Text += std::string(" ") + LUTSaturationTagTexts[Lut.SaturationTag];
  Text += std::string(" ") + LUTSkinToneSatTexts[Lut.SkinToneSat];
  Text += std::string(" ") + LUTSkinToneLightnessTexts[Lut.SkinToneLightness];
  Text += std::string(" ") + LUTColorCastTagTexts[Lut.ColorCastTag];
  Text += std::string(" ") + LUTContrastTagTexts[Lut.ContrastTag];
  Text += std::string(" ") + LUTHueChangesTexts[Lut.HueChanges];
  for (size_t C = 0; C < LUTColorCount; ++C)
    Text += std::string(" ") + LUTColorPresenseTexts[Lut.ColorsPresense[C]] + "-" +
            LUTColorTexts[C];
  Text.erase(0, 1);
}

TLUTSaturationTag TextToSaturationTag(const std::string& Text) {
  return FirstTokenOf(Text, LUTSaturationTagTexts, lsNormal);
}
TLUTColorCastTag TextToColorCastTag(const std::string& Text) {
  return FirstTokenOf(Text, LUTColorCastTagTexts, ccOther);
}
TLUTContrastTag TextToContrastTag(const std::string& Text) {
  return FirstTokenOf(Text, LUTContrastTagTexts, lcNormal);
}
TLUTSkinToneSat TextToSkinToneSat(const std::string& Text) {
  return FirstTokenOf(Text, LUTSkinToneSatTexts, lstPreserve);
}
TLUTSkinToneLightness TextToSkinToneLightness(const std::string& Text) {
  return FirstTokenOf(Text, LUTSkinToneLightnessTexts, lstlPreserveL);
}
TLUTHueChanges TextToHueChanges(const std::string& Text) {
  return FirstTokenOf(Text, LUTHueChangesTexts, lhcNone);
}

TLUTColorPresense TextToColorPresense(const std::string& Text, TLUTColor Color) {
  if (Color > lcPurple) return lcpUsual;
  const std::vector<std::string> Tokens = SplitTokens(Text);
  for (size_t P = 0; P < LUTColorPresenseTexts.size(); ++P)
    if (HasToken(Tokens, std::string(LUTColorPresenseTexts[P]) + "-" + LUTColorTexts[Color]))
      return static_cast<TLUTColorPresense>(P);
  return lcpUsual;
}

std::string GetInputCurveText(const std::string& Text) {
  return GetLineAfter(Text, "Input curve: ");
}

}  // namespace kromel
