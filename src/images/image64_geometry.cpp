// TImage64 geometry (turns, flips, crops, averaged stretch, Hald identity),
// raw import and in-place expanders, single-pixel conversions and analysis.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "foundation/error_sink.h"
#include "images/image16_ops.h"
#include "images/image64.h"

namespace kromel {

namespace {

using image16::ClampCrop;
using image16::HasArea;

uint16_t SaturateWord(long double V) {
  if (!(V > 0)) return 0;
  if (V >= 65535.0L) return 65535;
  return uint16_t(std::nearbyint(V));
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

std::string Num(int64_t V) { return std::to_string(V); }

}  // namespace

// ---- geometry ---------------------------------------------------------------

void TImage64::RotateRight() {
  image16::RotateRight(*this);
}

void TImage64::RotateLeft() {
  image16::RotateLeft(*this);
}

void TImage64::FlipVertical() {
  image16::FlipVertical(*this);
}

void TImage64::FlipHorizontal() {
  image16::FlipHorizontal(*this);
}

void TImage64::MirrorLeftToRight() {
  image16::MirrorLeftToRight(*this);
}

void TImage64::CropTo(TImage64& Dst, TPoint TopLeft, TPoint BottomRight) const {
  image16::CropTo(*this, Dst, TopLeft, BottomRight);
}

void TImage64::CropToImage32(TImage32& Dst, TPoint TopLeft, TPoint BottomRight) const {
  image16::CropToImage32(*this, Dst, TopLeft, BottomRight);
}

TRect TImage64::GetContentRect() const {
  return image16::GetContentRect(*this);
}

void TImage64::StretchDrawAveraged(TPoint TopLeft, TPoint BottomRight, const TImage64& Src,
                                   const TPixel64& Background) {
  image16::StretchAveraged<false>(*this, TopLeft, BottomRight, Src, Background);
}

void TImage64::StretchDrawAveragedOpaque(TPoint TopLeft, TPoint BottomRight, const TImage64& Src,
                                         const TPixel64& Background) {
  image16::StretchAveraged<true>(*this, TopLeft, BottomRight, Src, Background);
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
  image16::GetAverageColor(*this, X, Y, Radius, Avg, Spread);
}

void TImage64::GetDarkestAverage(TPixel64& Avg, int32_t Count) const {
  image16::ExtremeAverage<true>(*this, Avg, Count);
}

void TImage64::GetBrightestAverage(TPixel64& Avg, int32_t Count) const {
  image16::ExtremeAverage<false>(*this, Avg, Count);
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
