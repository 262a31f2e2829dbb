// TImage32 filters, blends and alpha operations, and the colour helpers on
// single pixel values.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "foundation/numeric.h"
#include "images/image32.h"
#include "images/image32_filters.h"

namespace kromel {

namespace {

uint8_t* Bytes(const TImage32& I) { return reinterpret_cast<uint8_t*>(I.Pixels); }

uint8_t ClampToByte(int64_t V) { return uint8_t(std::clamp<int64_t>(V, 0, 255)); }

// A float state as a byte: rounded, NaN and below 0 give 0, above 255 255.
uint8_t StateToByte(float V) {
  if (!(V > 0)) return 0;
  if (V >= 255.0f) return 255;
  return uint8_t(std::nearbyint(V));
}

uint32_t ByteOf(uint32_t P, int Shift) { return (P >> Shift) & 0xFF; }

// Calls Fn(Own, Other) with the four bytes of each pixel of the common area.
template <class TFn>
void OverCommonArea(TImage32& Self, const TImage32& Other, TFn&& Fn) {
  if (!HasArea(Self) || !HasArea(Other)) return;
  const int32_t W = std::min(Self.Width, Other.Width);
  const int32_t H = std::min(Self.Height, Other.Height);
  for (int32_t Y = 0; Y < H; ++Y) {
    uint8_t* A = reinterpret_cast<uint8_t*>(Self.Row(Y));
    const uint8_t* B = reinterpret_cast<const uint8_t*>(Other.Row(Y));
    for (int32_t X = 0; X < W; ++X) Fn(A + 4 * int64_t(X), B + 4 * int64_t(X));
  }
}

// Dest = the four recursive passes over Src; False (reported, nothing
// written) when Dest is not Src's size. Dest may be Src.
bool RecursiveBlurInto(const TImage32& Src, TImage32& Dest, float Decay) {
  if (!HasArea(Src)) return false;
  if (!HasArea(Dest) || Dest.Width != Src.Width || Dest.Height != Src.Height) {
    ErrorMessageProc("Exception in TImage32.RecursiveBlurTo, sizes differ: " +
                     std::to_string(Src.Width) + "x" + std::to_string(Src.Height) + " and " +
                     std::to_string(Dest.Width) + "x" + std::to_string(Dest.Height));
    return false;
  }
  const float Q = Decay, P = 1 - Decay;
  const int64_t W = Src.Width, H = Src.Height;
  // One line of N pixels Stride apart, read from In and written to Out.
  auto Pass = [&](const uint8_t* In, uint8_t* Out, int64_t Stride, int64_t N) {
    float S[4];
    for (int C = 0; C < 4; ++C) S[C] = In[C];
    for (int64_t I = 0; I < N; ++I) {
      for (int C = 0; C < 4; ++C) {
        S[C] = P * float(In[I * Stride + C]) + Q * S[C];
        if (S[C] > 255.0f) S[C] = 255.0f;
        Out[I * Stride + C] = StateToByte(S[C]);
      }
    }
  };
  uint8_t* D = Bytes(Dest);
  const uint8_t* In = Bytes(Src);
  for (int64_t Y = 0; Y < H; ++Y) Pass(In + Y * W * 4, D + Y * W * 4, 4, W);
  for (int64_t Y = 0; Y < H; ++Y) {
    uint8_t* Last = D + (Y * W + W - 1) * 4;
    Pass(Last, Last, -4, W);
  }
  for (int64_t X = 0; X < W; ++X) Pass(D + X * 4, D + X * 4, W * 4, H);
  for (int64_t X = 0; X < W; ++X) {
    uint8_t* Last = D + ((H - 1) * W + X) * 4;
    Pass(Last, Last, -W * 4, H);
  }
  return true;
}

}  // namespace

void TImage32::AddNoise(int32_t Amount) {
  if (Pixels == nullptr || Size <= 0) return;
  const int32_t Range = int32_t(std::clamp<int64_t>(int64_t(Amount) + 1, 1, INT32_MAX));
  for (int32_t I = 0; I < Size; ++I) {
    TBGRAPixel32& P = Pixels[I].BGRA;
    for (uint8_t* V : {&P.R, &P.G, &P.B}) *V = ClampToByte(int64_t(*V) + RandomInteger(Range));
  }
}

void TImage32::AdjustContrast(int32_t Factor, int32_t Pivot) {
  if (Pixels == nullptr || Size <= 0) return;
  uint8_t* B = Bytes(*this);
  for (int64_t I = 0; I < int64_t(Size) * 4; ++I)
    B[I] = ClampToByte((int64_t(B[I]) - Pivot) * Factor / 256 + Pivot);
}

void TImage32::MaxFilter4() {
  if (!HasArea(*this)) return;
  TImage32 Work;
  if (!Work.Alloc(Width, Height)) return;
  std::memcpy(Work.Pixels, Pixels, size_t(Width) * Height * 4);
  const int64_t W = Width, H = Height;
  const uint8_t* C = Bytes(Work);
  uint8_t* D = Bytes(*this);
  for (int64_t Y = 0; Y < H; ++Y)
    for (int64_t X = 0; X < W; ++X)
      for (int64_t K = 0; K < 4; ++K) {
        const int64_t I = (Y * W + X) * 4 + K;
        uint8_t V = D[I];
        if (X >= 1) V = std::max(V, C[I - 4]);
        if (X <= W - 2) V = std::max(V, C[I + 4]);
        if (Y >= 1) V = std::max(V, C[I - W * 4]);
        if (Y <= H - 2) V = std::max(V, C[I + W * 4]);
        D[I] = V;
      }
  Work.Dispose();
}

void TImage32::FilterMin() {
  if (!HasArea(*this)) return;
  TImage32 Lines[3];
  for (TImage32& L : Lines) L.Init();
  bool Ok = true;
  for (TImage32& L : Lines) Ok = L.Alloc(Width, 1) && Ok;
  if (!Ok) {
    for (TImage32& L : Lines) L.Dispose();
    AppendAndShowMessages("Exception in TImage32.FilterMin");
    return;
  }
  const size_t RowBytes = size_t(Width) * 4;
  uint8_t* Prev = Bytes(Lines[0]);
  uint8_t* Cur = Bytes(Lines[1]);
  uint8_t* Next = Bytes(Lines[2]);
  std::memcpy(Prev, Row(0), RowBytes);
  std::memcpy(Cur, Row(0), RowBytes);
  if (Height > 1) std::memcpy(Next, Row(1), RowBytes);
  const int64_t W = Width;
  for (int32_t Y = 0; Y < Height; ++Y) {
    uint8_t* D = reinterpret_cast<uint8_t*>(Row(Y));
    for (int64_t X = 0; X < W; ++X)
      for (int64_t K = 0; K < 4; ++K) {
        const int64_t I = X * 4 + K;
        uint8_t V = D[I];
        if (X >= 1) V = std::min(V, Cur[I - 4]);
        if (X <= W - 2) V = std::min(V, Cur[I + 4]);
        if (Y >= 1) V = std::min(V, Prev[I]);
        if (Y <= Height - 2) V = std::min(V, Next[I]);
        D[I] = V;
      }
    uint8_t* Freed = Prev;
    Prev = Cur;
    Cur = Next;
    Next = Freed;
    if (Y + 2 < Height) std::memcpy(Next, Row(Y + 2), RowBytes);
  }
  for (TImage32& L : Lines) L.Dispose();
}

void TImage32::ConeBlurTo(TImage32& Dest, int32_t Radius) const {
  if (!HasArea(*this)) return;
  if (!HasArea(Dest) || Dest.Width < Width || Dest.Height < Height || Radius < 1) {
    ErrorMessageProc("Exception in TImage32.ConeBlurTo, Width=" + std::to_string(Width) +
                     " Height=" + std::to_string(Height) + " Dest.Width=" +
                     std::to_string(Dest.Width) + " Dest.Height=" + std::to_string(Dest.Height) +
                     " Radius=" + std::to_string(Radius));
    return;
  }
  // Dest may share this image's pixels: then read from a copy.
  TImage32 Copy;
  const TImage32* Src = this;
  if (Dest.Pixels == Pixels) {
    if (!Copy.Alloc(Width, Height)) return;
    std::memcpy(Copy.Pixels, Pixels, size_t(Width) * Height * 4);
    Src = &Copy;
  }
  // Weights of the offsets that can reach inside the image.
  const int64_t Kx = std::min<int64_t>(Radius, Width - 1), Ky = std::min<int64_t>(Radius, Height - 1);
  const int64_t Tw = 2 * Kx + 1;
  std::vector<float> Weight(size_t(Tw * (2 * Ky + 1)));
  for (int64_t L = -Ky; L <= Ky; ++L)
    for (int64_t K = -Kx; K <= Kx; ++K)
      Weight[size_t((L + Ky) * Tw + K + Kx)] =
          float((long double)Radius - std::sqrt((long double)(K * K + L * L)));
  for (int64_t Y = 0; Y < Height; ++Y) {
    TVPixel32* Out = Dest.Row(int32_t(Y));
    for (int64_t X = 0; X < Width; ++X) {
      double Sum[4] = {0, 0, 0, 0};
      double Total = 0;
      for (int64_t L = std::max(-Ky, -Y); L <= std::min(Ky, Height - 1 - Y); ++L) {
        const uint8_t* Line = reinterpret_cast<const uint8_t*>(Src->Row(int32_t(Y + L)));
        for (int64_t K = std::max(-Kx, -X); K <= std::min(Kx, Width - 1 - X); ++K) {
          const float Wt = Weight[size_t((L + Ky) * Tw + K + Kx)];
          if (Wt < 0) continue;
          const uint8_t* P = Line + (X + K) * 4;
          for (int C = 0; C < 4; ++C) Sum[C] += Wt * double(P[C]);
          Total += Wt;
        }
      }
      uint8_t* O = reinterpret_cast<uint8_t*>(&Out[X]);
      for (int C = 0; C < 4; ++C) {
        const double V = std::min(Sum[C] / Total, 255.0);
        O[C] = uint8_t(std::nearbyint(V));
      }
    }
  }
  Copy.Dispose();
}

void TImage32::RecursiveBlurTo(TImage32& Dest, float Decay) const {
  RecursiveBlurInto(*this, Dest, Decay);
}

void TImage32::HighPassTo(TImage32& Dest, float Decay) const {
  if (!HasArea(*this)) return;
  // When Dest shares this image's pixels, blur into a work image first.
  TImage32 Work;
  TImage32* Blur = &Dest;
  if (Dest.Pixels == Pixels) {
    if (!Work.Alloc(Width, Height)) return;
    Blur = &Work;
  }
  if (RecursiveBlurInto(*this, *Blur, Decay)) {
    const uint8_t* Own = Bytes(*this);
    const uint8_t* Blurred = Bytes(*Blur);
    uint8_t* Out = Bytes(Dest);
    for (int64_t I = 0; I < int64_t(Width) * Height * 4; ++I)
      Out[I] = ClampToByte(int64_t(Own[I]) - Blurred[I] + 128);
  }
  Work.Dispose();
}

void Image32SaturationEqual(const TImage32& Src, TImage32& Dest, int32_t Amount) {
  if (Src.Size != Dest.Size) {
    DebugShowMessage("Image32SaturationEqual sizes differ");
    return;
  }
  if (Src.Pixels == nullptr || Dest.Pixels == nullptr || Src.Size <= 0) return;
  const int32_t A = std::clamp(Amount, 0, 255);
  for (int32_t I = 0; I < Src.Size; ++I) {
    const TBGRAPixel32 S = Src.Pixels[I].BGRA;
    const int32_t Grey = (S.R + S.G + S.B) * (255 - A) / 765;
    TBGRAPixel32& D = Dest.Pixels[I].BGRA;
    D.R = uint8_t(S.R * A / 255 + Grey);
    D.G = uint8_t(S.G * A / 255 + Grey);
    D.B = uint8_t(S.B * A / 255 + Grey);
  }
}

void TImage32::MapGrayToColors(uint32_t ColorA, uint32_t ColorB) {
  if (Pixels == nullptr) return;
  for (int32_t I = 0; I < Size; ++I) {
    const int32_t G = Pixels[I].BGRA.B;
    Pixels[I].Value = BlendPixels32(ColorA, ColorB, G, 255 - G);
  }
}

void TImage32::ColorizeDualCounts(uint32_t ColorA, uint32_t ColorB) {
  if (Pixels == nullptr || Size <= 0) return;
  uint32_t MaxLow = 1, MaxHigh = 1;
  for (int32_t I = 0; I < Size; ++I) {
    MaxLow = std::max(MaxLow, Pixels[I].Value & 0xFFFF);
    MaxHigh = std::max(MaxHigh, Pixels[I].Value >> 16);
  }
  for (int32_t I = 0; I < Size; ++I) {
    const uint32_t V = Pixels[I].Value;
    const int32_t WA = int32_t(std::nearbyint(256.0 * std::sqrt(double(V & 0xFFFF) / MaxLow)));
    const int32_t WB = int32_t(std::nearbyint(256.0 * std::sqrt(double(V >> 16) / MaxHigh)));
    Pixels[I].Value = BlendPixels32(ColorA, ColorB, WA, WB);
  }
}

void TImage32::BlendWith(const TImage32& Other, int32_t WSelf, int32_t WOther) {
  OverCommonArea(*this, Other, [&](uint8_t* A, const uint8_t* B) {
    for (int C = 0; C < 4; ++C)
      A[C] = ClampToByte((int64_t(WSelf) * A[C] + int64_t(WOther) * B[C]) / 256);
  });
}

void TImage32::AlphaBlend(const TImage32& Other) {
  OverCommonArea(*this, Other, [](uint8_t* A, const uint8_t* B) {
    const int32_t Alpha = B[3];
    for (int C = 0; C < 3; ++C) A[C] = ClampToByte(((255 - Alpha) * A[C] + Alpha * B[C]) / 255);
    A[3] = ClampToByte(((255 - Alpha) * A[3] + Alpha * Alpha) / 255);
  });
}

void TImage32::SubtractImage(const TImage32& Other, int32_t Offset) {
  OverCommonArea(*this, Other, [&](uint8_t* A, const uint8_t* B) {
    for (int C = 0; C < 4; ++C) A[C] = ClampToByte(int64_t(A[C]) - B[C] + Offset);
  });
}

void TImage32::AddImage(const TImage32& Other, int32_t Offset) {
  OverCommonArea(*this, Other, [&](uint8_t* A, const uint8_t* B) {
    for (int C = 0; C < 4; ++C) A[C] = ClampToByte(int64_t(A[C]) + B[C] + Offset);
  });
}

void TImage32::ClearEdges(int32_t Threshold) {
  if (!HasArea(*this)) return;
  for (int32_t I = 0; I < Size; ++I) Pixels[I].BGRA.A = 0;
  auto D = [](const TBGRAPixel32& P, const TBGRAPixel32& Q) {
    return std::abs(P.R - Q.R) + std::abs(P.G - Q.G) + std::abs(P.B - Q.B);
  };
  for (int32_t Y = 1; Y < Height; ++Y) {
    TVPixel32* Line = Row(Y);
    const TVPixel32* Up = Row(Y - 1);
    for (int32_t X = 1; X < Width; ++X) {
      const TBGRAPixel32& P = Line[X].BGRA;
      if (D(P, Up[X].BGRA) > Threshold || D(P, Line[X - 1].BGRA) > Threshold ||
          D(P, Up[X - 1].BGRA) > Threshold)
        Line[X].BGRA.A = 1;
    }
  }
  for (int32_t I = 0; I < Size; ++I)
    if (Pixels[I].BGRA.A == 1) Pixels[I].Value = 0;
}

void TImage32::SetAlpha(uint8_t Value) {
  if (Pixels == nullptr) return;
  for (int32_t I = 0; I < Size; ++I) Pixels[I].BGRA.A = Value;
}

void TImage32::FillAlphaRect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
                             uint8_t Value) {
  if (!HasArea(*this)) return;
  Left = std::max(Left, 0);
  Top = std::max(Top, 0);
  Right = std::min(Right, Width - 1);
  Bottom = std::min(Bottom, Height - 1);
  for (int32_t Y = Top; Y <= Bottom; ++Y)
    for (int32_t X = Left; X <= Right; ++X) Row(Y)[X].BGRA.A = Value;
}

void TImage32::AlphaToGray() {
  if (Pixels == nullptr) return;
  for (int32_t I = 0; I < Size; ++I) {
    TBGRAPixel32& P = Pixels[I].BGRA;
    P.B = P.G = P.R = P.A;
  }
}

void TImage32::ScaleAlpha(int32_t Factor) {
  if (Pixels == nullptr) return;
  for (int32_t I = 0; I < Size; ++I) {
    TBGRAPixel32& P = Pixels[I].BGRA;
    P.A = ClampToByte(int64_t(P.A) * Factor / 256);
  }
}

uint32_t RotateHue32(uint32_t P, int32_t Angle) {
  if (Angle == 0) return P;
  const long double A = (long double)Angle * std::numbers::pi_v<long double> / 180.0L;
  const double C = float(std::cos(A)), S = float(std::sin(A));
  const double C0 = ByteOf(P, 0), C1 = ByteOf(P, 8), C2 = ByteOf(P, 16);
  auto Out = [](double V) { return uint32_t(ClampToByte(int64_t(std::nearbyint(V)))); };
  const uint32_t O0 = Out(C0 * (0.299 + 0.701 * C + 0.168 * S) +
                          C1 * (0.587 - 0.587 * C + 0.330 * S) +
                          C2 * (0.114 - 0.114 * C - 0.497 * S));
  const uint32_t O1 = Out(C0 * (0.299 - 0.299 * C - 0.328 * S) +
                          C1 * (0.587 + 0.413 * C + 0.035 * S) +
                          C2 * (0.114 - 0.114 * C + 0.292 * S));
  const uint32_t O2 = Out(C0 * (0.299 - 0.300 * C + 1.25 * S) +
                          C1 * (0.587 - 0.588 * C - 1.05 * S) +
                          C2 * (0.114 + 0.886 * C - 0.203 * S));
  return (P & 0xFF000000u) | O0 | O1 << 8 | O2 << 16;
}

uint32_t BoostSaturation32(uint32_t P) {
  const int32_t C[3] = {int32_t(ByteOf(P, 0)), int32_t(ByteOf(P, 8)), int32_t(ByteOf(P, 16))};
  const int32_t M = (C[0] + C[1] + C[2]) / 3;
  const int32_t Mx = MaxInteger3(C[0], C[1], C[2]);
  const int32_t Mn = MinInteger3(C[0], C[1], C[2]);
  if (Mx == Mn || M == 0 || M == Mn || M == Mx) return P;
  const int32_t K1 = 255 * M / (M - Mn);
  const int32_t K2 = std::max(0, 255 * (255 - M) / (Mx - M));
  const int32_t K = std::min(K1, K2);
  uint32_t Result = P & 0xFF000000u;
  for (int I = 0; I < 3; ++I)
    Result |= uint32_t(ClampToByte(M + (C[I] - M) * K / 255)) << (8 * I);
  return Result;
}

uint32_t InvertAroundGray32(uint32_t P) {
  const int32_t C[3] = {int32_t(ByteOf(P, 0)), int32_t(ByteOf(P, 8)), int32_t(ByteOf(P, 16))};
  const int32_t M = (C[0] + C[1] + C[2]) / 3;
  uint32_t Result = P & 0xFF000000u;
  for (int I = 0; I < 3; ++I) Result |= uint32_t(ClampToByte(2 * M - C[I])) << (8 * I);
  return Result;
}

void SpreadOverflowRGB(float& R, float& G, float& B) {
  float Excess = 0;
  for (float* V : {&R, &G, &B})
    if (*V > 1) {
      Excess += *V - 1;
      *V = 1;
    }
  for (float* V : {&R, &G, &B}) {
    *V += Excess * 0.5f;
    if (*V > 1) *V = 1;
    if (*V < 0) *V = 0;
  }
}

void CompressRGBToRange(float& R, float& G, float& B) {
  const float Mn = std::min(R, std::min(G, B));
  const float Mx = std::max(R, std::max(G, B));
  const float M = (R + G + B) / 3;
  if (Mn == Mx) {
    // A grey: nothing to scale about its mean, so it is clamped.
    for (float* V : {&R, &G, &B}) *V = std::clamp(*V, 0.0f, 1.0f);
    return;
  }
  if (Mn < 0 && Mn != M)
    for (float* V : {&R, &G, &B}) *V = (*V - M) * M / (M - Mn) + M;
  if (Mx > 1 && Mx != M)
    for (float* V : {&R, &G, &B}) *V = (1 - M) * (*V - M) / (Mx - M) + M;
}

void SaturationEqualRGB(float& R, float& G, float& B, float Factor) {
  const float M = (R + G + B) / 3;
  for (float* V : {&R, &G, &B}) *V = (*V - M) * Factor + M;
}

uint32_t BlendPixel24(uint32_t A, uint32_t B, int32_t W) {
  const int64_t Wa = std::clamp(W, 0, 256);
  uint32_t Result = 0;
  for (int Shift = 0; Shift < 24; Shift += 8)
    Result |= uint32_t((Wa * ByteOf(A, Shift) + (256 - Wa) * ByteOf(B, Shift)) / 256) << Shift;
  return Result;
}

uint32_t BlendPixels32(uint32_t A, uint32_t B, int32_t WA, int32_t WB) {
  uint32_t Result = 0;
  for (int Shift = 0; Shift < 32; Shift += 8)
    Result |= uint32_t(ClampToByte((int64_t(WA) * ByteOf(A, Shift) +
                                    int64_t(WB) * ByteOf(B, Shift)) / 256))
              << Shift;
  return Result;
}

}  // namespace kromel
