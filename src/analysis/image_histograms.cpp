#include "analysis/image_histograms.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "colour/colour_models.h"
#include "colour/rgb_lab_xyz.h"
#include "engine/filters.h"
#include "foundation/messages.h"
#include "foundation/numeric.h"
#include "platform/canvas.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr int64_t ByteKeys = 256;

bool Holds(const TSample32& S, int64_t N) { return S.Data != nullptr && S.Count >= N; }

// Calls F(pixel) for every pixel with alpha above 0.
template <class TFn>
int64_t ForOpaque(const TImage32& Image, TFn F) {
  int64_t N = 0;
  if (!HasArea(Image)) return 0;
  for (int32_t I = 0; I < Image.Size; ++I) {
    const TBGRAPixel32& P = Image.Pixels[I].BGRA;
    if (P.A == 0) continue;
    if (F(P)) ++N;
  }
  return N;
}

void ClipTo(TSample32& S, double Limit) {
  if (S.Data == nullptr) return;
  for (int64_t I = 0; I < S.Count; ++I)
    if (S.Data[I] > Limit) S.Data[I] = float(Limit);
}

int64_t BinOf(double V, int64_t Count) {
  return std::clamp<int64_t>(RoundToInt64Saturated(V), 0, Count - 1);
}

bool ColorRowReady(const TImageHeader64& Row) { return HasArea(Row) && Row.Size >= ByteKeys; }

void AddToColorRow(TImage64& Row, int64_t Bin, const TBGRAPixel32& P) {
  TPixel64& C = Row.Pixels[Bin];
  C.R = uint16_t(C.R + P.R);
  C.G = uint16_t(C.G + P.G);
  C.B = uint16_t(C.B + P.B);
  C.A = uint16_t(C.A + 1);
}

// Mean colour per bin; a mean whose R + G + B lies below Lift is raised by
// the difference in each channel (Lift 0: none). Divides Histogram by the
// counts when given.
void FinishColorRow(TImage64& Row, int32_t Lift, TSample32* Histogram) {
  for (int64_t I = 0; I < ByteKeys; ++I) {
    TPixel64& C = Row.Pixels[I];
    if (C.A == 0) continue;
    C.R = uint16_t(C.R / C.A);
    C.G = uint16_t(C.G / C.A);
    C.B = uint16_t(C.B / C.A);
    if (Histogram != nullptr) Histogram->Data[I] /= float(C.A);
    const int32_t F = C.R + C.G + C.B;
    if (F < Lift) {
      C.R = uint16_t(C.R + Lift - F);
      C.G = uint16_t(C.G + Lift - F);
      C.B = uint16_t(C.B + Lift - F);
    }
  }
}

// Shared start of the byte-keyed counters: false when nothing is to be done.
bool StartByteHistogram(const TImage32& Image, TSample32& H) {
  if (!HasArea(Image) || !Holds(H, ByteKeys)) return false;
  H.Clear();
  return true;
}

bool StartColored(const TImage32& Image, TImage64& Row, TSample32& H) {
  if (!ColorRowReady(Row) || !StartByteHistogram(Image, H)) return false;
  Row.Clear();
  return true;
}

// The current model's L, a, b of the pixel's bytes.
void ModelOf(const TBGRAPixel32& P, float& L, float& A, float& B) {
  CurrentRGBToModel.load()(P.R / 255.0f, P.G / 255.0f, P.B / 255.0f, L, A, B);
}

// c / (h + 1) / 128 over the lightness histogram's bins.
void ChromaMean(const TSample32& Lightness, TSample32& ChromaByL) {
  for (int64_t I = 0; I < Lightness.Count; ++I)
    ChromaByL.Data[I] = ChromaByL.Data[I] / (Lightness.Data[I] + 1) / 128;
}

int32_t Max3(const TBGRAPixel32& P) { return std::max({P.R, P.G, P.B}); }
int32_t Min3(const TBGRAPixel32& P) { return std::min({P.R, P.G, P.B}); }

// The columns of a histogram picture: F(column, top row, bin) for columns
// 1 .. W - 2; the bar runs from top to H - 1 (none when top >= H).
template <class TFn>
void ForBars(const TSample32& Histogram, int32_t W, int32_t H, TFn F) {
  if (W < 4 || Histogram.Data == nullptr || Histogram.Count <= 0) return;
  for (int32_t I = 0; I <= W - 3; ++I) {
    const int64_t Bin = (Histogram.Count - 1) * I / (W - 3);
    const double V = Histogram.Data[Bin];
    const int64_t Top = std::max<int64_t>(0, RoundToInt64Saturated((1.0 - V) * H));
    F(I + 1, Top, Bin);
  }
}

// A fading bar into byte Channel (0 blue .. 2 red) of each column.
void DrawFadingBars(const TSample32& Histogram, TImage32& Image, int32_t Channel,
                    uint32_t Multiplier) {
  int32_t Y = 0;
  try {
    ForBars(Histogram, Image.Width, Image.Height, [&](int32_t X, int64_t Top, int64_t) {
      int32_t V = 192;
      for (Y = int32_t(std::min<int64_t>(Top, Image.Height)); Y < Image.Height; ++Y) {
        TVPixel32& P = Image.Row(Y)[X];
        if (Multiplier != 0)
          P.Value = uint32_t(V) * Multiplier;
        else
          reinterpret_cast<uint8_t*>(&P)[Channel] = uint8_t(V);
        V = V * 4 / 5 + 16;
      }
    });
  } catch (...) {
    DebugShowMessage(std::string(Multiplier != 0 ? "Exception in DrawLHistogram: Y="
                                                 : "Exception in DrawRGBHistogram: Y=") +
                     std::to_string(Y));
  }
}

void DrawGrid(TImage32& Image, int32_t Lines) {
  for (int32_t K = 0; K <= Lines; ++K) {
    const int32_t X = (Image.Width - 1) * K / Lines;
    for (int32_t J = 0; J < Image.Height / 3; ++J) Image.Row(3 * J)[X].Value ^= 0x3F3F3F;
  }
}

// Dotted column at the marker level on rows 2j, j < Dots. Mask selects the
// bits written (a channel byte or the whole colour).
void DrawMarker(TImage32& Image, int32_t Level, int32_t Dots, uint32_t Value, uint32_t Mask) {
  if (Level < 0) return;
  const int32_t X = std::min<int64_t>(Image.Width - 1, int64_t(Image.Width - 1) * Level / 255);
  for (int32_t J = 0; J < Dots; ++J) {
    TVPixel32& P = Image.Row(2 * J)[X];
    P.Value = (P.Value & ~Mask) | (Value & Mask);
  }
}

bool PictureReady(const TImage32& Image) {
  return HasArea(Image) && Image.Width >= 4 && Image.Height >= 1;
}

// The walk shared by the average colours: pixel i and its 2 x 2 block, for
// i = 0 .. Size - Width - 2, when pixels i and i + Width + 1 are opaque.
template <class TFn>
void ForBlocks(const TImage32& Image, TFn F) {
  if (!HasArea(Image)) return;
  const int64_t W = Image.Width;
  for (int64_t I = 0; I <= int64_t(Image.Size) - W - 2; ++I) {
    const TVPixel32* P = Image.Pixels;
    if (P[I].BGRA.A == 0 || P[I + W + 1].BGRA.A == 0) continue;
    F(P[I].BGRA, P[I + 1].BGRA, P[I + W].BGRA, P[I + W + 1].BGRA);
  }
}

struct TColorSums {
  int64_t R = 0, G = 0, B = 0, N = 0;
  void Add(const TBGRAPixel32& P) {
    R += P.R;
    G += P.G;
    B += P.B;
    ++N;
  }
  TColor Mean() const {
    if (N == 0) return 0;
    return TColor(R / N) + 256 * TColor(G / N) + 65536 * TColor(B / N);
  }
};

TColor ColorOf(int32_t R, int32_t G, int32_t B) { return TColor(R) | TColor(G) << 8 | TColor(B) << 16; }

}  // namespace

int32_t HueByte(int32_t R, int32_t G, int32_t B) {
  const int32_t Mx = std::max({R, G, B});
  const int32_t D = Mx - std::min({R, G, B});
  if (D <= 0) return -1;
  int32_t H;
  if (Mx == R)
    H = 43 + (43 * G - 43 * B) / D;
  else if (Mx == G)
    H = 128 + (43 * B - 43 * R) / D;
  else
    H = 213 + (43 * R - 43 * G) / D;
  if (H > 255) H -= 256;
  if (H < 0) H += 256;
  return std::min(H, 255);
}

void CalcImageHistograms(const TImage32& Image, TSample32* Luma, TSample32& R, TSample32& G,
                         TSample32& B, uint8_t LumaMode) {
  if (!HasArea(Image) || !Holds(R, ByteKeys) || !Holds(G, ByteKeys) || !Holds(B, ByteKeys)) return;
  if (Luma != nullptr && !Holds(*Luma, ByteKeys)) Luma = nullptr;
  if (Luma != nullptr) Luma->Clear();
  R.Clear();
  G.Clear();
  B.Clear();
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    int32_t C[3] = {P.R, P.G, P.B};
    int32_t Key;
    if (LumaMode == 3 || LumaMode == 4) {
      int32_t M = Max3(P);
      if (LumaMode == 4) M = 255 - (255 - M) * (255 - M) / 255;
      Key = M;
      for (int32_t& V : C) V = M > 0 ? std::clamp(255 - (M - V) * 255 / M, 0, 255) : 255;
    } else if (LumaMode == 5 || LumaMode == 6) {
      int32_t M = Min3(P);
      if (LumaMode == 6) M = M * M / 255;
      Key = M;
      for (int32_t& V : C) V = std::clamp(V - M, 0, 255);
    } else {
      Key = (35 * P.R + 50 * P.G + 15 * P.B) / 100;
    }
    if (Luma != nullptr) Luma->Data[Key] += 1;
    R.Data[C[0]] += 1;
    G.Data[C[1]] += 1;
    B.Data[C[2]] += 1;
    return true;
  });
  if (Luma != nullptr) {
    ClipTo(*Luma, double(N) / 16);
    Luma->Normalize();
  }
  TSample32* Channels[3] = {&R, &G, &B};
  float S = 1;
  for (TSample32* C : Channels) {
    ClipTo(*C, double(N) / 8);
    S = std::max(S, C->Max());
  }
  for (TSample32* C : Channels) {
    C->Scale(1 / S);
    for (int64_t I = 0; I < C->Count; ++I) C->Data[I] = 1 - (1 - C->Data[I]) * (1 - C->Data[I]);
  }
}

void CalcChromaRangeHistogram(const TImage32& Image, TSample32& Histogram) {
  if (!StartByteHistogram(Image, Histogram)) return;
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    Histogram.Data[Max3(P) - Min3(P)] += 1;
    return true;
  });
  ClipTo(Histogram, double(N) / 16);
  Histogram.Normalize();
}

void CalcRedHistogram(const TImage32& Image, TSample32& Histogram) {
  if (!StartByteHistogram(Image, Histogram)) return;
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    Histogram.Data[P.R] += 1;
    return true;
  });
  ClipTo(Histogram, double(N) / 16);
  Histogram.Normalize();
}

void CalcHueHistogramColored(const TImage32& Image, TImage64& ColorRow, TSample32& Histogram) {
  if (!StartColored(Image, ColorRow, Histogram)) return;
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    const int32_t H = HueByte(P.R, P.G, P.B);
    if (H < 0) return false;
    Histogram.Data[H] += 1;
    if (ColorRow.Pixels[H].A < 255) AddToColorRow(ColorRow, H, P);
    return true;
  });
  ClipTo(Histogram, double(N) / 16);
  FinishColorRow(ColorRow, 0, nullptr);
  FilterBox3Loop(Histogram);
  Histogram.Normalize();
}

void CalcChromaByLumaColored(const TImage32& Image, TImage64& ColorRow, TSample32& Histogram) {
  if (!StartColored(Image, ColorRow, Histogram)) return;
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    const int32_t D = Max3(P) - Min3(P);
    if (D <= 0) return false;
    const int32_t Bin = HistogramLuma(P.R, P.G, P.B);
    if (ColorRow.Pixels[Bin].A < 255) {
      Histogram.Data[Bin] += float(D) / 255;
      AddToColorRow(ColorRow, Bin, P);
    }
    return true;
  });
  FinishColorRow(ColorRow, 50, &Histogram);
  ClipTo(Histogram, double(N) / 16);
  FilterBox3Loop(Histogram);
  Histogram.Normalize();
}

void CalcLumaHistogramColored(const TImage32& Image, TImage64& ColorRow, TSample32& Histogram) {
  if (!StartColored(Image, ColorRow, Histogram)) return;
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    const int32_t Bin = HistogramLuma(P.R, P.G, P.B);
    Histogram.Data[Bin] += 1;
    if (ColorRow.Pixels[Bin].A < 255) AddToColorRow(ColorRow, Bin, P);
    return true;
  });
  ClipTo(Histogram, double(N) / 16);
  FinishColorRow(ColorRow, 60, nullptr);
  FilterBox3Loop(Histogram);
  Histogram.Normalize();
}

void CalcLightnessChromaDistribution(const TImage32& Image, TSample32& Lightness,
                                     TSample32& ChromaByL, const float* ColorTable) {
  if (!HasArea(Image) || !Holds(Lightness, 1) || !Holds(ChromaByL, Lightness.Count)) return;
  Lightness.Clear();
  ChromaByL.Clear();
  const int64_t Count = Lightness.Count;
  ForOpaque(Image, [&](const TBGRAPixel32& P) {
    float L, A, B;
    if (ColorTable != nullptr) {
      const float* T = ColorTable + 3 * (int64_t(P.B) + 256 * P.G + 65536 * P.R);
      L = T[0];
      A = T[1];
      B = T[2];
    } else {
      ModelOf(P, L, A, B);
    }
    const int64_t Bin = BinOf(double(Count - 1) * L / 100, Count);
    Lightness.Data[Bin] += 1;
    ChromaByL.Data[Bin] += std::sqrt(A * A + B * B);
    return true;
  });
  ChromaMean(Lightness, ChromaByL);
  Lightness.Normalize();
  ChromaByL.Normalize();
}

void CalcLightnessChromaHistograms(const TImage32& Image, TSample32& Lightness,
                                   TSample32& ChromaByL, TSample32& Chroma, bool Clip) {
  if (!HasArea(Image) || !Holds(Lightness, 1) || !Holds(ChromaByL, Lightness.Count) ||
      !Holds(Chroma, 1))
    return;
  Lightness.Clear();
  ChromaByL.Clear();
  Chroma.Clear();
  const int64_t Count = Lightness.Count;
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    float L, A, B;
    ModelOf(P, L, A, B);
    const int64_t Bin = BinOf(double(Count - 1) * L / 100, Count);
    const double C = std::sqrt(double(A) * A + double(B) * B);
    Lightness.Data[Bin] += 1;
    ChromaByL.Data[Bin] += float(C);
    Chroma.Data[BinOf(double(Chroma.Count - 1) * C / 130, Chroma.Count)] += 1;
    return true;
  });
  ChromaMean(Lightness, ChromaByL);
  if (Clip) {
    ClipTo(Lightness, double(N) / 64);
    ClipTo(ChromaByL, double(N) / 64);
  }
  Lightness.Normalize();
  ChromaByL.Normalize();
  Chroma.Normalize();
}

void CalcLABHistograms(const TImage32& Image, TSample32& L, TSample32& A, TSample32& B,
                       int32_t Margin, bool Clip) {
  if (!HasArea(Image) || !Holds(L, 1) || !Holds(A, 1) || !Holds(B, 1)) return;
  L.Clear();
  A.Clear();
  B.Clear();
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    float Lv, Av, Bv;
    ModelOf(P, Lv, Av, Bv);
    if (!(Lv >= Margin && Lv <= 100 - Margin)) return false;
    L.Data[BinOf(double(L.Count - 1) * Lv / 100, L.Count)] += 1;
    A.Data[BinOf(double(A.Count - 1) * (Av / 200.0 + 0.5), A.Count)] += 1;
    B.Data[BinOf(double(B.Count - 1) * (Bv / 200.0 + 0.5), B.Count)] += 1;
    return true;
  });
  for (TSample32* S : {&L, &A, &B}) {
    if (Clip) ClipTo(*S, double(N) / 64);
    S->Normalize();
  }
}

void CalcHueDistribution(const TImage32& Image, TSample32& Lightness, TSample32& ChromaByL) {
  if (!HasArea(Image) || !Holds(Lightness, ByteKeys) || !Holds(ChromaByL, Lightness.Count))
    return;
  Lightness.Clear();
  ChromaByL.Clear();
  const int64_t N = ForOpaque(Image, [&](const TBGRAPixel32& P) {
    const uint32_t Lab = RGBtoLABColor(ColorOf(P.R, P.G, P.B));
    const int32_t Bin = int32_t(Lab & 0xFF);
    const int32_t Da = int32_t((Lab >> 8) & 0xFF) - 128;
    const int32_t Db = int32_t((Lab >> 16) & 0xFF) - 128;
    Lightness.Data[Bin] += 1;
    ChromaByL.Data[Bin] += std::sqrt(float(Da * Da + Db * Db));
    return true;
  });
  ChromaMean(Lightness, ChromaByL);
  ClipTo(Lightness, double(N) / 32);
  ClipTo(ChromaByL, double(N) / 32);
  Lightness.Normalize();
  ChromaByL.Normalize();
}

void BuildLABHistogram(const TImage32&, TSample32& L, TSample32& A, TSample32& B) {
  L.Clear();
  A.Clear();
  B.Clear();
  PlatformShowMessage("BuildLABHistogram not implemented");
}

void DrawDistributionCurve(const TSample32& Histogram, TRawBitmap& Bitmap, bool KeepBackground) {
  if (Histogram.Data == nullptr || Histogram.Count <= 0) return;
  TCanvas Canvas(Bitmap);
  const int32_t W = Bitmap.Width(), H = Bitmap.Height();
  if (!KeepBackground) {
    Canvas.Brush.Color = 0x282828;
    Canvas.Brush.Style = bsSolid;
    Canvas.FillRect(0, 0, W, H);
  }
  Canvas.Pen.Color = 0x505050;
  ForBars(Histogram, W, H, [&](int32_t X, int64_t, int64_t Bin) {
    const double V = Histogram.Data[Bin];
    Canvas.MoveTo(X, H);
    Canvas.LineTo(X, int32_t(std::clamp<int64_t>(RoundToInt64Saturated((1.0 - V) * H),
                                                 INT32_MIN, INT32_MAX)));
  });
}

void DrawRGBHistogram(const TSample32& R, const TSample32& G, const TSample32& B, TImage32& Image,
                      bool Grid, int32_t MarkerR, int32_t MarkerG, int32_t MarkerB) {
  if (R.Data == nullptr || R.Count <= 0 || !PictureReady(Image)) return;
  Image.Clear();
  DrawFadingBars(R, Image, 2, 0);
  DrawFadingBars(G, Image, 1, 0);
  DrawFadingBars(B, Image, 0, 0);
  try {
    if (Grid) DrawGrid(Image, 4);
    const int32_t H = Image.Height;
    DrawMarker(Image, MarkerR, (H - 1) / 2, 0xFF0000, 0xFF0000);
    DrawMarker(Image, MarkerG, (H - 1) / 2, 0x00FF00, 0x00FF00);
    DrawMarker(Image, MarkerB, H / 2, 0x0000FF, 0x0000FF);
  } catch (...) {
    DebugShowMessage("Exception in DrawRGBHistogram 2: Y=0");
  }
}

void DrawLHistogram(const TSample32& Histogram, TImage32& Image, bool Grid, int32_t Marker) {
  if (Histogram.Data == nullptr || Histogram.Count <= 0 || !PictureReady(Image)) return;
  Image.Clear();
  DrawFadingBars(Histogram, Image, 0, 0x010101);
  if (Grid) DrawGrid(Image, 4);
  DrawMarker(Image, Marker, (Image.Height - 1) / 2, 0xFFFFFF, 0xFFFFFFFF);
}

void DrawLHistogram64(const TSample32& Histogram, TImage32& Image, const TImageHeader64& ColorRow,
                      bool Grid, int32_t Marker) {
  if (Histogram.Data == nullptr || Histogram.Count <= 0 || !PictureReady(Image) ||
      !ColorRowReady(ColorRow))
    return;
  Image.Clear();
  const int32_t W = Image.Width, H = Image.Height;
  for (int32_t I = 0; I <= W - 3; ++I) {
    const int64_t Bin = std::min<int64_t>(255, (Histogram.Count - 1) * I / (W - 3));
    const double V = Histogram.Data[Bin];
    const int64_t Top = std::max<int64_t>(0, RoundToInt64Saturated((1.0 - V) * H));
    const TPixel64& C = ColorRow.Pixels[Bin];
    const uint32_t Colour = uint32_t(C.R) * 65536 + uint32_t(C.G) * 256 + C.B;
    for (int64_t Y = std::min<int64_t>(Top, H); Y < H; ++Y) Image.Row(int32_t(Y))[I + 1].Value = Colour;
  }
  if (Grid) DrawGrid(Image, 6);
  DrawMarker(Image, Marker, (H - 1) / 2, 0xFFFFFF, 0xFFFFFFFF);
}

TColor CalcAverageColor(const TImage32& Image, TColor& Darkest, TColor& Brightest, bool ByLuma) {
  TColorSums Sums;
  int32_t MinY = 0xFFFF, MaxY = 0;
  int32_t Lo[3] = {255, 255, 255}, Hi[3] = {0, 0, 0};
  TColor Dark = 0xFFFFFF, Bright = 0;
  try {
    ForBlocks(Image, [&](const TBGRAPixel32& A, const TBGRAPixel32& B, const TBGRAPixel32& C,
                         const TBGRAPixel32& D) {
      const int32_t M[3] = {(A.R + B.R + C.R + D.R) >> 2, (A.G + B.G + C.G + D.G) >> 2,
                            (A.B + B.B + C.B + D.B) >> 2};
      if (ByLuma) {
        const int32_t Y = 29 * M[0] + 58 * M[1] + 11 * M[2];
        if (Y < MinY) {
          MinY = Y;
          Dark = ColorOf(M[0], M[1], M[2]);
        }
        if (Y > MaxY) {
          MaxY = Y;
          Bright = ColorOf(M[0], M[1], M[2]);
        }
      } else {
        for (int K = 0; K < 3; ++K) {
          Lo[K] = std::min(Lo[K], M[K]);
          Hi[K] = std::max(Hi[K], M[K]);
        }
      }
      Sums.Add(A);
    });
  } catch (...) {
    PlatformShowMessage("Exception in CalcAverageColor");
    return 0;
  }
  if (!ByLuma) {
    Dark = ColorOf(Lo[0], Lo[1], Lo[2]);
    Bright = ColorOf(Hi[0], Hi[1], Hi[2]);
  }
  Darkest = Dark;
  Brightest = Bright;
  return Sums.Mean();
}

TColor CalcNeutralAverageColor(const TImage32& Image, int32_t Limit) {
  TColorSums Sums;
  ForBlocks(Image, [&](const TBGRAPixel32& P, const TBGRAPixel32&, const TBGRAPixel32&,
                       const TBGRAPixel32&) {
    const int32_t Sum = P.R + P.G + P.B;
    if (Sum > 512 || Sum < 128) return;
    const int32_t Mx = Max3(P);
    if (Limit < 255 && (Mx - Min3(P)) * 255 > Mx * Limit) return;
    Sums.Add(P);
  });
  return Sums.Mean();
}

}  // namespace kromel
