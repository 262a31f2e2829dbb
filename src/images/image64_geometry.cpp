// TImage64 geometry (turns, flips, crops, averaged stretch, Hald identity),
// raw import and in-place expanders, single-pixel conversions and analysis.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/debug_log.h"
#include "images/image64.h"

namespace kromel {

namespace {

uint16_t SaturateWord(long double V) {
  if (!(V > 0)) return 0;
  if (V >= 65535.0L) return 65535;
  return uint16_t(std::nearbyint(V));
}

bool HasArea(const TImage64& I) {
  return I.Pixels != nullptr && I.Width > 0 && I.Height > 0 && I.Size > 0;
}

// Puts back the header saved before a failed re-allocation.
void Restore(TImage64& Image, const TImage64& Old) {
  Image.Width = Old.Width;
  Image.Height = Old.Height;
  Image.Size = Old.Size;
  Image.Pixels = Old.Pixels;
}

void FreePixels(TPixel64* P) {
  TImage64 Old;
  Old.Init();
  Old.Pixels = P;
  Old.Dispose();
}

// Turns Image a quarter: the source pixel (X, Y) goes to Target(X, Y) of the
// re-allocated image. A failed allocation keeps the image.
template <class TTarget>
void TurnQuarter(TImage64& Image, TTarget Target) {
  if (!HasArea(Image)) return;
  const TImage64 Old = Image;
  Image.Pixels = nullptr;
  if (!Image.Alloc(Old.Height, Old.Width)) {
    Restore(Image, Old);
    return;
  }
  for (int32_t Y = 0; Y < Old.Height; ++Y) {
    const TPixel64* Src = Old.Row(Y);
    for (int32_t X = 0; X < Old.Width; ++X) Target(X, Y) = Src[X];
  }
  FreePixels(Old.Pixels);
}

// Fills Image (allocated W x H) from interleaved channels Stride values
// apart; Word gives a channel's 16-bit value. Alpha is opaque.
template <class TValue, class TWord>
bool FillFromInterleaved(TImage64& Image, const TValue* Data, int32_t W, int32_t H,
                         int64_t Stride, TWord Word) {
  if (!Image.Alloc(W, H)) return false;
  for (int64_t I = 0; I < Image.Size; ++I) {
    const TValue* S = Data + I * Stride;
    Image.Pixels[I] = {Word(S[0]), Word(S[1]), Word(S[2]), 65535};
  }
  return true;
}

// The corners of a crop clamped into a W x H image; Right, Bottom exclusive.
TRect ClampCrop(TPoint TopLeft, TPoint BottomRight, int32_t W, int32_t H) {
  return {std::max(TopLeft.X, 0), std::max(TopLeft.Y, 0), std::min(BottomRight.X, W),
          std::min(BottomRight.Y, H)};
}

std::string Num(int64_t V) { return std::to_string(V); }

template <bool Opaque>
void StretchAveraged(TImage64& Image, TPoint TL, TPoint BR, const TImage64& Src,
                     const TPixel64& Background) {
  if (Src.Pixels == nullptr) return;
  Image.CopyMarginsFrom(TL.X > 0 ? TL.X : 0, Image.Width > BR.X ? Image.Width - BR.X : 0,
                        TL.Y > 0 ? TL.Y : 0, Image.Height > BR.Y ? Image.Height - BR.Y : 0);
  if (!HasArea(Image)) return;
  const int64_t SW = Src.Width, SH = Src.Height;
  const int64_t SpanX = int64_t(BR.X) - TL.X;
  const int64_t SpanY = int64_t(BR.Y) - TL.Y;
  for (int64_t Y = 0; Y < Image.Height; ++Y) {
    TPixel64* Dst = Image.Row(int32_t(Y));
    for (int64_t X = 0; X < Image.Width; ++X) {
      if (X < TL.X || X >= BR.X || Y < TL.Y || Y >= BR.Y) {
        Dst[X] = Background;
        continue;
      }
      const int64_t K0 = (X - TL.X) * SW / SpanX;
      const int64_t K1 = std::max((X + 1 - TL.X) * SW / SpanX - 1, K0);
      const int64_t T0 = (Y - TL.Y) * SH / SpanY;
      const int64_t T1 = std::max((Y + 1 - TL.Y) * SH / SpanY - 1, T0);
      if (T1 >= SH || K1 >= SW) continue;
      int64_t R = 0, G = 0, B = 0, A = 0;
      for (int64_t T = T0; T <= T1; ++T) {
        const TPixel64* S = Src.Row(int32_t(T));
        for (int64_t K = K0; K <= K1; ++K) {
          R += S[K].R;
          G += S[K].G;
          B += S[K].B;
          A += S[K].A;
        }
      }
      const int64_t N = (T1 - T0 + 1) * (K1 - K0 + 1);
      Dst[X] = {uint16_t(R / N), uint16_t(G / N), uint16_t(B / N),
                Opaque ? uint16_t(65535) : uint16_t(A / N)};
    }
  }
}

// The bounded sorted list of GetDarkestAverage / GetBrightestAverage.
template <bool Darkest>
void ExtremeAverage(const TImage64& Image, TPixel64& Avg, int32_t Count) {
  Count = std::max(Count, 1);
  if (HasArea(Image)) Count = std::min(Count, Image.Size);
  struct TSlot {
    int32_t Key;
    TPixel64 P;
  };
  std::vector<TSlot> List;
  List.reserve(size_t(Count));
  for (int32_t I = 0; HasArea(Image) && I < Image.Size; ++I) {
    const TPixel64& P = Image.Pixels[I];
    if (P.A < 0x8000) continue;
    const int32_t Key = P.R + P.G + P.B;
    const bool Full = int32_t(List.size()) == Count;
    if (Full && (Darkest ? Key >= List.back().Key : Key <= List.back().Key)) continue;
    // After the last slot of an equal key, so the earlier pixel stays first.
    const auto Slot = std::find_if(List.begin(), List.end(), [&](const TSlot& S) {
                        return Darkest ? S.Key > Key : S.Key < Key;
                      }) - List.begin();
    if (Full) List.pop_back();
    List.insert(List.begin() + Slot, {Key, P});
  }
  int64_t R = 0, G = 0, B = 0;
  for (const TSlot& S : List) {
    R += S.P.R;
    G += S.P.G;
    B += S.P.B;
  }
  const int64_t N = int64_t(List.size());
  Avg.R = N > 0 ? uint16_t(R / N) : 0;
  Avg.G = N > 0 ? uint16_t(G / N) : 0;
  Avg.B = N > 0 ? uint16_t(B / N) : 0;
}

}  // namespace

// ---- geometry ---------------------------------------------------------------

void TImage64::RotateRight() {
  TurnQuarter(*this, [this](int32_t X, int32_t Y) -> TPixel64& { return Row(X)[Width - 1 - Y]; });
}

void TImage64::RotateLeft() {
  TurnQuarter(*this, [this](int32_t X, int32_t Y) -> TPixel64& { return Row(Height - 1 - X)[Y]; });
}

void TImage64::FlipVertical() {
  if (!HasArea(*this)) return;
  for (int32_t Y = 0; Y < Height / 2; ++Y)
    std::swap_ranges(Row(Y), Row(Y) + Width, Row(Height - 1 - Y));
}

void TImage64::FlipHorizontal() {
  if (!HasArea(*this)) return;
  for (int32_t Y = 0; Y < Height; ++Y) std::reverse(Row(Y), Row(Y) + Width);
}

void TImage64::MirrorLeftToRight() {
  if (!HasArea(*this)) return;
  for (int32_t Y = 0; Y < Height; ++Y) {
    TPixel64* P = Row(Y);
    for (int32_t X = 0; X <= Width / 2; ++X) P[Width - 1 - X] = P[X];
  }
}

// An empty rectangle empties Dst; a failed allocation leaves Dst as it was.
void TImage64::CropTo(TImage64& Dst, TPoint TopLeft, TPoint BottomRight) const {
  const TRect R = ClampCrop(TopLeft, BottomRight, Width, Height);
  TImage64 New;
  New.Init();
  New.CopyMarginsFrom(0, 0, 0, 0);
  if (HasArea(*this) && R.Right > R.Left && R.Bottom > R.Top) {
    if (!New.Alloc(R.Right - R.Left, R.Bottom - R.Top)) return;
    for (int32_t Y = R.Top; Y < R.Bottom; ++Y)
      std::memcpy(New.Row(Y - R.Top), Row(Y) + R.Left, size_t(New.Width) * sizeof(TPixel64));
  }
  Dst.Dispose();
  Dst = New;
}

void TImage64::CropToImage32(TImage32& Dst, TPoint TopLeft, TPoint BottomRight) const {
  Dst.Dispose();
  const TRect R = ClampCrop(TopLeft, BottomRight, Width, Height);
  if (!HasArea(*this) || R.Right <= R.Left || R.Bottom <= R.Top) return;
  if (!Dst.Alloc(R.Right - R.Left, R.Bottom - R.Top)) return;
  for (int32_t Y = R.Top; Y < R.Bottom; ++Y) {
    const TPixel64* Src = Row(Y) + R.Left;
    TVPixel32* Out = Dst.Row(Y - R.Top);
    for (int32_t X = 0; X < Dst.Width; ++X)
      Out[X].BGRA = {uint8_t(Src[X].B >> 8), uint8_t(Src[X].G >> 8), uint8_t(Src[X].R >> 8),
                     uint8_t(Src[X].A >> 8)};
  }
}

TRect TImage64::GetContentRect() const {
  TRect R{-1, -1, -1, -1};
  if (!HasArea(*this)) return R;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const TPixel64* P = Row(Y);
    for (int32_t X = 0; X < Width; ++X) {
      if (P[X].A == 0) continue;
      if (R.Left < 0 || X < R.Left) R.Left = X;
      if (X > R.Right) R.Right = X;
      if (R.Top < 0) R.Top = Y;
      R.Bottom = Y;
    }
  }
  return R;
}

void TImage64::StretchDrawAveraged(TPoint TopLeft, TPoint BottomRight, const TImage64& Src,
                                   const TPixel64& Background) {
  StretchAveraged<false>(*this, TopLeft, BottomRight, Src, Background);
}

void TImage64::StretchDrawAveragedOpaque(TPoint TopLeft, TPoint BottomRight, const TImage64& Src,
                                         const TPixel64& Background) {
  StretchAveraged<true>(*this, TopLeft, BottomRight, Src, Background);
}

bool TImage64::MakeHaldIdentity(int32_t Level) {
  // Level 35 is the largest whose Level^6 pixels fit the 32-bit Size.
  if (Level < 2 || Level > 35) {
    ErrorMessageProc("Exception in TImage64.MakeHaldIdentity, Level=" + Num(Level));
    return false;
  }
  const int32_t Side = Level * Level * Level;
  if (!Alloc(Side, Side)) return false;
  const int32_t N = Level * Level;
  TPixel64* P = Pixels;
  for (int32_t B = 0; B < N; ++B)
    for (int32_t G = 0; G < N; ++G)
      for (int32_t R = 0; R < N; ++R, ++P)
        *P = {uint16_t(R * 65535 / (N - 1)), uint16_t(G * 65535 / (N - 1)),
              uint16_t(B * 65535 / (N - 1)), 65535};
  return true;
}

void TImage64::Show(TCanvas* Canvas) const {
  TImage32 Temp;
  Temp.Init();
  CopyToImage32(Temp);
  Temp.Show(Canvas);
  Temp.Dispose();
}

// ---- raw import -------------------------------------------------------------

bool TImage64::CopyFromRawBytes(const uint8_t* Data, int32_t NewWidth, int32_t NewHeight,
                                bool HasAlpha) {
  if (Data == nullptr) {
    ErrorMessageProc("Exception in TImage64.CopyFromRawBytes no data, Width=" + Num(NewWidth) +
                     " Height=" + Num(NewHeight) + " I=0");
    return false;
  }
  return FillFromInterleaved(*this, Data, NewWidth, NewHeight, HasAlpha ? 4 : 3,
                             [](uint8_t V) { return uint16_t(V * 257); });
}

bool TImage64::CopyFromRawWords(const uint16_t* Data, int32_t NewWidth, int32_t NewHeight,
                                bool HasAlpha) {
  if (Data == nullptr) {
    ErrorMessageProc("Exception in TImage64.CopyFromRawWords no data, Width=" + Num(NewWidth) +
                     " Height=" + Num(NewHeight) + " I=0");
    return false;
  }
  return FillFromInterleaved(*this, Data, NewWidth, NewHeight, HasAlpha ? 4 : 3,
                             [](uint16_t V) { return V; });
}

// Values saturate to 0..1 (NaN gives 0); the caller's buffer is only read.
bool TImage64::CopyFromRawFloat(const float* Data, int32_t NewWidth, int32_t NewHeight,
                                uint8_t Extra) {
  const int64_t Stride = 3 + int64_t(Extra);
  if (Data == nullptr) {
    ErrorMessageProc("Exception in TImage64.CopyFromRawFloat, Width=" + Num(NewWidth) +
                     " Height=" + Num(NewHeight) + " x=0 y=0 K=" + Num(Stride));
    return false;
  }
  return FillFromInterleaved(*this, Data, NewWidth, NewHeight, Stride, [](float V) -> uint16_t {
    if (!(V > 0)) return 0;
    if (V >= 1.0f) return 65535;
    return uint16_t(std::nearbyint(V * 65535.0f));
  });
}

void ExpandGray16ToPixel64(void* Buffer, int64_t Count) {
  if (Buffer == nullptr || Count <= 0) return;
  uint16_t* W = static_cast<uint16_t*>(Buffer);
  for (int64_t I = Count - 1; I >= 0; --I) {
    const uint16_t G = W[I];
    W[4 * I] = W[4 * I + 1] = W[4 * I + 2] = G;
  }
  for (int64_t I = 0; I < Count; ++I) W[4 * I + 3] = 65535;
}

void ExpandRGB48ToPixel64(void* Buffer, int64_t Count) {
  if (Buffer == nullptr || Count <= 0) return;
  uint16_t* W = static_cast<uint16_t*>(Buffer);
  for (int64_t I = Count - 1; I >= 0; --I) {
    const uint16_t R = W[3 * I], G = W[3 * I + 1], B = W[3 * I + 2];
    W[4 * I] = R;
    W[4 * I + 1] = G;
    W[4 * I + 2] = B;
  }
  for (int64_t I = 0; I < Count; ++I) W[4 * I + 3] = 65535;
}

void ExpandLow5BitsToPixel64(void* Buffer, int64_t Count) {
  if (Buffer == nullptr || Count <= 0) return;
  uint16_t* W = static_cast<uint16_t*>(Buffer);
  for (int64_t I = Count - 1; I >= 0; --I) {
    const uint16_t R = uint16_t((W[I] & 31) * 8 * 257);
    W[4 * I] = R;
    W[4 * I + 1] = 0;
    W[4 * I + 2] = 0;
  }
  for (int64_t I = 0; I < Count; ++I) W[4 * I + 3] = 65535;
}

// ---- single pixels ----------------------------------------------------------

void ColorToPixel64(TPixel64& P, uint32_t Color) {
  P.R = uint16_t((Color & 0xFF) << 8);
  P.G = uint16_t(((Color >> 8) & 0xFF) << 8);
  P.B = uint16_t(((Color >> 16) & 0xFF) << 8);
  P.A = uint16_t((Color >> 24) << 8);
}

TColor Pixel64ToColor(const TPixel64& P) {
  return TColor(P.R >> 8) | TColor(P.G >> 8) << 8 | TColor(P.B >> 8) << 16;
}

uint32_t Pixel64ToPixel32(const TPixel64& P) {
  return uint32_t(P.B >> 8) | uint32_t(P.G >> 8) << 8 | uint32_t(P.R >> 8) << 16 |
         uint32_t(P.A >> 8) << 24;
}

void SwapPixels64(TPixel64& P1, TPixel64& P2) { std::swap(P1, P2); }

int32_t Pixel64LumaLevel(const TPixel64& P) { return (5 * P.R + 9 * P.G + 2 * P.B) >> 16; }

std::string Pixel64ToRGBText(const TPixel64& P) {
  return "R:" + Num(P.R) + " G:" + Num(P.G) + " B:" + Num(P.B);
}

void RGBtoHSV64(uint16_t R, uint16_t G, uint16_t B, uint16_t& H, uint16_t& S, uint16_t& V) {
  const float Rf = float(R / 65535.0), Gf = float(G / 65535.0), Bf = float(B / 65535.0);
  const float Mx = std::max({Rf, Gf, Bf});
  const float Mn = std::min({Rf, Gf, Bf});
  const float D = Mx - Mn;
  const float Sf = Mx == 0 ? 0.0f : D / Mx;
  float Hf = 0;
  if (Sf != 0) {
    if (Rf == Mx)
      Hf = (Gf - Bf) * 60.0f / D;
    else if (Gf == Mx)
      Hf = (Bf - Rf) * 60.0f / D + 120.0f;
    else
      Hf = (Rf - Gf) * 60.0f / D + 240.0f;
    if (Hf < 0) Hf += 360.0f;
  }
  H = SaturateWord((long double)(Hf * 65535.0f / 360.0f));
  S = SaturateWord((long double)(Sf * 65535.0f));
  V = SaturateWord((long double)(Mx * 65535.0f));
}

void HSVtoRGB64(uint16_t H, uint16_t S, uint16_t V, uint16_t& R, uint16_t& G, uint16_t& B) {
  const float Sf = float(S / 65535.0);
  const float Vf = float(V / 65535.0);
  float Hf = float(H / 65535.0 * 360.0);
  float Rf = Vf, Gf = Vf, Bf = Vf;
  if (Sf != 0) {
    if (Hf == 360.0f) Hf = 0;
    Hf /= 60.0f;
    const int32_t I = std::clamp(int32_t(Hf), 0, 5);
    const float F = Hf - float(I);
    const float P = (1.0f - Sf) * Vf;
    const float Q = (1.0f - Sf * F) * Vf;
    const float T = (1.0f - (1.0f - F) * Sf) * Vf;
    switch (I) {
      case 0: Rf = Vf; Gf = T; Bf = P; break;
      case 1: Rf = Q; Gf = Vf; Bf = P; break;
      case 2: Rf = P; Gf = Vf; Bf = T; break;
      case 3: Rf = P; Gf = Q; Bf = Vf; break;
      case 4: Rf = T; Gf = P; Bf = Vf; break;
      default: Rf = Vf; Gf = P; Bf = Q; break;
    }
  }
  R = SaturateWord((long double)(Rf * 65535.0f));
  G = SaturateWord((long double)(Gf * 65535.0f));
  B = SaturateWord((long double)(Bf * 65535.0f));
}

void Pixel64Gamma(TPixel64& Dst, const TPixel64& Src, float Gamma) {
  auto Apply = [Gamma](uint16_t C) {
    return SaturateWord(std::pow((long double)C / 65535.0L, (long double)Gamma) * 65535.0L);
  };
  const uint16_t A = Src.A;
  Dst = {Apply(Src.R), Apply(Src.G), Apply(Src.B), A};
}

void Pixel64OffsetGamma(TPixel64& Dst, const TPixel64& Src, int32_t Offset, float Gamma) {
  auto Shift = [Offset](uint16_t C) -> uint16_t {
    const int64_t V = int64_t(C) + Offset;
    return uint16_t(std::clamp<int64_t>(V, 0, 65535));
  };
  const TPixel64 Shifted = {Shift(Src.R), Shift(Src.G), Shift(Src.B), Src.A};
  Pixel64Gamma(Dst, Shifted, Gamma);
}

void TImage64::SwapRedBlue() {
  if (!HasArea(*this)) return;
  for (int32_t I = 0; I < Size; ++I) std::swap(Pixels[I].R, Pixels[I].B);
}

// ---- analysis ---------------------------------------------------------------

void TImage64::GetAverageColor(int32_t X, int32_t Y, int32_t Radius, TPixel64& Avg,
                               int32_t& Spread) const {
  Avg = {0, 0, 0, 0};
  Spread = -1;
  if (!HasArea(*this)) return;
  const int64_t Rad = std::max(Radius, 0);
  const int64_t CX = std::clamp(X, 0, Width), CY = std::clamp(Y, 0, Height);
  const int64_t X0 = std::max<int64_t>(CX - Rad, 0), X1 = std::min<int64_t>(CX + Rad, Width - 1);
  const int64_t Y0 = std::max<int64_t>(CY - Rad, 0), Y1 = std::min<int64_t>(CY + Rad, Height - 1);
  int64_t Sum[4] = {0, 0, 0, 0}, N = 0;
  int32_t MinC[3] = {65535, 65535, 65535}, MaxC[3] = {0, 0, 0};
  for (int64_t I = X0; I <= X1; ++I)
    for (int64_t J = Y0; J <= Y1; ++J) {
      const TPixel64& P = Row(int32_t(J))[I];
      if (P.A <= 0x4000) continue;
      const int32_t C[4] = {P.R, P.G, P.B, P.A};
      for (int K = 0; K < 4; ++K) Sum[K] += C[K];
      for (int K = 0; K < 3; ++K) {
        MinC[K] = std::min(MinC[K], C[K]);
        MaxC[K] = std::max(MaxC[K], C[K]);
      }
      ++N;
    }
  const bool Opaque = N > 0;
  if (!Opaque) {
    for (int64_t I = X0; I <= X1; ++I)
      for (int64_t J = Y0; J <= Y1; ++J) {
        const TPixel64& P = Row(int32_t(J))[I];
        Sum[0] += P.R;
        Sum[1] += P.G;
        Sum[2] += P.B;
        Sum[3] += P.A;
        ++N;
      }
  }
  if (N == 0) return;
  Avg = {uint16_t(Sum[0] / N), uint16_t(Sum[1] / N), uint16_t(Sum[2] / N), uint16_t(Sum[3] / N)};
  const int32_t Total = Avg.R + Avg.G + Avg.B;
  if (Opaque && Total > 0)
    Spread = ((MaxC[0] - MinC[0]) + (MaxC[1] - MinC[1]) + (MaxC[2] - MinC[2])) * 1000 / Total;
}

void TImage64::GetDarkestAverage(TPixel64& Avg, int32_t Count) const {
  ExtremeAverage<true>(*this, Avg, Count);
}

void TImage64::GetBrightestAverage(TPixel64& Avg, int32_t Count) const {
  ExtremeAverage<false>(*this, Avg, Count);
}

int32_t TImage64::CountDistinctLevels() const {
  if (Pixels == nullptr || Size <= 0) return 0;
  std::vector<bool> Seen(65536, false);
  for (int32_t I = 0; I < Size; ++I) {
    Seen[Pixels[I].R] = true;
    Seen[Pixels[I].G] = true;
    Seen[Pixels[I].B] = true;
  }
  return int32_t(std::count(Seen.begin(), Seen.end(), true));
}

std::string TImage64::GetCentralPixelText() const {
  if (Width == 0) return "Image64.GCPAS W=0";
  if (Height == 0) return "Image64.GCPAS H=0";
  if (!HasArea(*this)) return "Image64.GCPAS Pixels=nil";
  return Pixel64ToRGBText(Row(Height / 2)[Width / 2]);
}

}  // namespace kromel
