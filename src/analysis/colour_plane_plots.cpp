#include "analysis/colour_plane_plots.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "analysis/analysis_rounding.h"
#include "colour/colour_models.h"
#include "colour/contrast_clip.h"
#include "colour/hsp_models.h"
#include "foundation/messages.h"
#include "foundation/numeric.h"
#include "lut/lut.h"
#include "lut/lut_apply.h"

namespace kromel {

namespace {

constexpr uint32_t PlaneGrey32 = 0x606060;
constexpr uint16_t PlaneGrey16 = 0x6000;

uint16_t RoundWord(float V) {
  return uint16_t(std::clamp<int32_t>(RoundInt(double(V) * 65535.0), 0, 65535));
}

bool IsGrey(int32_t X, int32_t Y, int32_t W, int32_t H, bool FrameOnly) {
  if (X < 2 || Y < 2 || X > W - 3 || Y > H - 3) return true;
  return FrameOnly && X > 15 && X < W - 15 && Y > 15 && Y < H - 15;
}

// Walks the plane: Put(pixel, R, G, B) for colour, Grey(pixel) for frame.
template <class TImage, class TPut, class TGrey>
void FillPlane(TImage& Image, float Lightness, bool FrameOnly, TPut Put, TGrey Grey) {
  if (!HasArea(Image)) return;
  const TColorModelRecord& Model = CurrentColorModel();
  const bool Itten = Model.Inverse == &HSPIttentoRGBSingle;
  const int32_t W = Image.Width, H = Image.Height;
  for (int32_t Y = 0; Y < H; ++Y) {
    const float L = Itten ? 70.0f - float(Y) / float(H) * 50.0f : Lightness;
    const float B = (1.0f - float(Y) / float(H)) * 200.0f - 100.0f;
    auto* Row = Image.Pixels + int64_t(Y) * W;
    for (int32_t X = 0; X < W; ++X) {
      if (IsGrey(X, Y, W, H, FrameOnly)) {
        Grey(Row[X]);
        continue;
      }
      float R = 0, G = 0, Bl = 0;
      Model.Inverse(L, float(X) / float(W) * 200.0f - 100.0f, B, R, G, Bl);
      Put(Row[X], R, G, Bl);
    }
  }
}

template <class TImage>
void FillPlaneWords(TImage& Image, float Lightness, bool FrameOnly) {
  FillPlane(
      Image, Lightness, FrameOnly,
      [](auto& P, float R, float G, float B) {
        P.R = RoundWord(R);
        P.G = RoundWord(G);
        P.B = RoundWord(B);
      },
      [](auto& P) { P.R = P.G = P.B = PlaneGrey16; });
}

template <class TImage>
void CrossWords(TImage& Image) {
  if (!HasArea(Image)) return;
  auto Lighten = [&](int32_t X, int32_t Y) {
    auto& P = Image.Pixels[int64_t(Y) * Image.Width + X];
    for (uint16_t* V : {&P.R, &P.G, &P.B}) *V = uint16_t(((3u * *V) >> 2) + 0x3FFF);
  };
  for (int32_t J = 0; J < Image.Height / 2; ++J) Lighten(Image.Width / 2, 2 * J);
  for (int32_t I = 0; I < Image.Width / 2; ++I) Lighten(2 * I, Image.Height / 2);
}

// The jittered colour of a 32-bit pixel, red then green then blue.
void JitteredRGB(const TBGRAPixel32& P, float& R, float& G, float& B) {
  R = (RandomFloat01() + P.R) / 256.0f;
  G = (RandomFloat01() + P.G) / 256.0f;
  B = (RandomFloat01() + P.B) / 256.0f;
}

struct TPlaneMap {
  float CenterX, CenterY, ScaleX, ScaleY;
  int32_t Width, Height;
  // Index of the cell of (a, b).
  int64_t Cell(float A, float B) const {
    const int32_t X = std::clamp(RoundInt(double(A) * ScaleX + CenterX), 0, std::max(Width - 2, 0));
    const int32_t Y = std::clamp(RoundInt(-double(B) * ScaleY + CenterY), 0, Height - 1);
    return int64_t(Y) * Width + X;
  }
};

bool Chromatic(float A, float B) { return std::fabs(A) + std::fabs(B) >= 2; }

// Visits the opaque source pixels column by column.
template <class TVisit>
void ForOpaquePixels(const TImage32& Source, TVisit Visit) {
  if (!HasArea(Source)) return;
  for (int32_t X = 0; X < Source.Width; ++X)
    for (int32_t Y = 0; Y < Source.Height; ++Y) {
      const TBGRAPixel32 P = Source.Pixels[int64_t(Y) * Source.Width + X].BGRA;
      if (P.A != 0) Visit(P);
    }
}

// Visit(L, a, b) of the jittered colour of every opaque source pixel.
template <class TVisit>
void ForJitteredModelColours(const TImage32& Source, TVisit Visit) {
  const TRGBToVariableSingleProc Forward = CurrentRGBToModel.load();
  ForOpaquePixels(Source, [&](const TBGRAPixel32& P) {
    float R, G, B, L, A, Bb;
    JitteredRGB(P, R, G, B);
    Forward(R, G, B, L, A, Bb);
    Visit(L, A, Bb);
  });
}

// (R + G + B + ((G + B) >> 8)) % 256 of the low three bytes.
bool NearZeroSum(uint32_t C) { return ((C * 0x10101u) >> 16 & 0xFF) <= 2; }

template <class TImage>
void StretchWords(TImage& Image, int32_t Low, int32_t High) {
  if (!HasArea(Image)) return;
  const int64_t N = int64_t(Image.Width) * Image.Height;
  uint16_t Largest = 0;
  for (int64_t I = 0; I < N; ++I) Largest = std::max(Largest, Image.Pixels[I].A);
  const int64_t M = Largest >> 8;
  const int64_t Lo = uint32_t(Low) >> 8, Hi = uint32_t(High) >> 8;
  if (M <= 0 || M >= 255) return;
  for (int64_t I = 0; I < N; ++I) {
    uint16_t& A = Image.Pixels[I].A;
    if (A != 0) A = uint16_t(std::clamp<int64_t>(A * (Lo + 255 + Hi) / M - Lo, 0, 65535));
  }
}

}  // namespace

void FillColorPlaneBackground(TImage32& Image, float Lightness, bool FrameOnly) {
  FillPlane(
      Image, Lightness, FrameOnly,
      [](TVPixel32& P, float R, float G, float B) {
        P.Value = (RoundByte(R, 255) * 65536 + RoundByte(G, 255) * 256 + RoundByte(B, 255)) &
                  0xFEFEFEu;
      },
      [](TVPixel32& P) { P.Value = PlaneGrey32; });
}

void FillColorPlaneBackgroundImage64(TImage64& Image, float Lightness, bool FrameOnly) {
  FillPlaneWords(Image, Lightness, FrameOnly);
}

void FillColorPlaneBackground64(TImage96& Image, float Lightness, bool FrameOnly) {
  FillPlaneWords(Image, Lightness, FrameOnly);
}

void DrawCenterCross(TImage64& Image) { CrossWords(Image); }

void DrawCenterCross64(TImage96& Image) { CrossWords(Image); }

void DrawABLDistribution(TImage32& ImageAL, TImage32& ImageBL, float Angle, float Scale,
                         bool FrameOnly) {
  if (ImageAL.Width != ImageBL.Width) {
    DebugShowMessage("Error in DrawABLDistribution: ImgAL and ImgBL width differ");
    return;
  }
  if (ImageAL.Height != ImageBL.Height) {
    DebugShowMessage("Error in DrawABLDistribution: ImgAL and ImgBL Height differ");
    return;
  }
  const double S = std::sin(Angle), C = std::cos(Angle);
  const TVariableToRGBSingleProc Inverse = CurrentModelToRGB.load();
  auto Chroma = [&](double V) { return std::isfinite(V) ? float(V) : 0.0f; };
  for (const bool AL : {true, false}) {
    TImage32& Image = AL ? ImageAL : ImageBL;
    if (!HasArea(Image)) continue;
    const int32_t W = Image.Width, H = Image.Height;
    for (int32_t Y = 0; Y < H; ++Y)
      for (int32_t X = 0; X < W; ++X) {
        TVPixel32& P = Image.Pixels[int64_t(Y) * W + X];
        if (IsGrey(X, Y, W, H, FrameOnly)) {
          P.Value = PlaneGrey32;
          continue;
        }
        const float L = (1.0f - float(Y) / float(H)) * 100.0f;
        const double U = double(float(X) / float(W) * 200.0f - 100.0f);
        const float A = AL ? Chroma(U * C / Scale) : Chroma(U * S / Scale);
        const float B = AL ? Chroma(-U * S / Scale) : Chroma(U * C / Scale);
        float R = 0, G = 0, Bl = 0;
        Inverse(L, A, B, R, G, Bl);
        P.Value = ((RoundByte(R, 128) * 65536 + RoundByte(G, 128) * 256 + RoundByte(Bl, 128)) &
                   0xFEFEFEu) +
                  0x404040u;
      }
  }
}

void PlotColorDistribution(const TImage32& Source, TImage32& Plane, float CenterX, float CenterY,
                           float ScaleX, float ScaleY, float Contrast) {
  if (!HasArea(Plane)) return;
  const TPlaneMap Map{CenterX, CenterY, ScaleX, ScaleY, Plane.Width, Plane.Height};
  const TRGBToVariableSingleProc Forward = CurrentRGBToModel.load();
  ForOpaquePixels(Source, [&](const TBGRAPixel32& P) {
    const uint32_t C = P.B + 256u * P.G + 65536u * P.R;
    if (NearZeroSum(C) || NearZeroSum(0xFFFFFFu - C)) return;
    float R, G, B, L, A, Bb;
    JitteredRGB(P, R, G, B);
    if (Contrast != 0) ContrastSigmoidRGBReverse(R, G, B, 5 * Contrast);
    Forward(R, G, B, L, A, Bb);
    uint8_t& D = Plane.Pixels[Map.Cell(A, Bb)].BGRA.A;
    if (D < 255) ++D;
  });
}

void PlotColorDistributionPair(const TImage32& Source, TImage32& Highlights, TImage32& Shadows,
                               float CenterX, float CenterY, float ScaleX, float ScaleY,
                               float Split) {
  if (!HasArea(Highlights) || !HasArea(Shadows) || Highlights.Width != Shadows.Width ||
      Highlights.Height != Shadows.Height)
    return;
  const TPlaneMap Map{CenterX, CenterY, ScaleX, ScaleY, Highlights.Width, Highlights.Height};
  ForJitteredModelColours(Source, [&](float L, float A, float Bb) {
    if (!Chromatic(A, Bb)) return;
    uint8_t& D = (L > Split ? Highlights : Shadows).Pixels[Map.Cell(A, Bb)].BGRA.A;
    if (D < 255) ++D;
  });
}

void PlotHueDistribution(const TImage32& Source, TImage64& Plane, float LMin, float LMax,
                         float CenterX, float CenterY, float ScaleX, float ScaleY) {
  if (!HasArea(Plane)) return;
  const TPlaneMap Map{CenterX, CenterY, ScaleX, ScaleY, Plane.Width, Plane.Height};
  ForJitteredModelColours(Source, [&](float L, float A, float Bb) {
    if (!(L >= LMin && L <= LMax) || !Chromatic(A, Bb)) return;
    uint16_t& D = Plane.Pixels[Map.Cell(A, Bb)].A;
    if (D < 65535) ++D;
  });
}

void PlotColorDistributionLUT(const TImage32& Source, TImage96& Plane, const TLABRec* Table,
                              float LMin, float LMax, float CenterX, float CenterY, float ScaleX,
                              float ScaleY) {
  if (!HasArea(Plane)) return;
  const TPlaneMap Map{CenterX, CenterY, ScaleX, ScaleY, Plane.Width, Plane.Height};
  const TRGBToVariableSingleProc Forward = CurrentRGBToModel.load();
  ForOpaquePixels(Source, [&](const TBGRAPixel32& P) {
    float L, A, Bb;
    if (Table != nullptr) {
      const TLABRec& T = Table[P.B + 256u * P.G + 65536u * P.R];
      L = T.L;
      A = T.A;
      Bb = T.B;
    } else {
      Forward(P.R / 255.0f, P.G / 255.0f, P.B / 255.0f, L, A, Bb);
    }
    if (!(L >= LMin && L <= LMax) || !Chromatic(A, Bb)) return;
    TPixel96& Cell = Plane.Pixels[Map.Cell(A, Bb)];
    // A full cell takes no more lightness, so its mean stays true.
    if (Cell.A == 65535) return;
    ++Cell.A;
    Cell.Extra += uint32_t(std::max(RoundInt(L), 0));
  });
  for (int64_t I = 0, N = int64_t(Plane.Width) * Plane.Height; I < N; ++I)
    if (Plane.Pixels[I].A != 0) Plane.Pixels[I].Extra /= Plane.Pixels[I].A;
}

void NormalizeImage32Alpha(TImage32& Image) {
  if (!HasArea(Image)) return;
  const int64_t N = int64_t(Image.Width) * Image.Height;
  int32_t M = 0;
  for (int64_t I = 0; I < N; ++I) M = std::max<int32_t>(M, Image.Pixels[I].BGRA.A);
  if (M <= 0 || M >= 255) return;
  for (int64_t I = 0; I < N; ++I) {
    uint8_t& A = Image.Pixels[I].BGRA.A;
    if (A != 0) A = uint8_t(A * 255 / M);
  }
}

void StretchImage64Alpha(TImage64& Image, int32_t Low, int32_t High) {
  StretchWords(Image, Low, High);
}

void StretchImage64Alpha2(TImage96& Image, int32_t Low, int32_t High) {
  StretchWords(Image, Low, High);
}

void ShadeImage32ByAlpha(TImage32& Image, int32_t Base, int32_t Add, int32_t Offset) {
  if (!HasArea(Image) || Base <= 0) return;
  const int64_t N = int64_t(Image.Width) * Image.Height;
  int64_t M = 0;
  for (int64_t I = 0; I < N; ++I) M = std::max<int64_t>(M, Image.Pixels[I].BGRA.A);
  if (M == 0) return;
  for (int64_t I = 0; I < N; ++I) {
    TBGRAPixel32& P = Image.Pixels[I].BGRA;
    if (P.A == 0) continue;
    const int64_t G = P.A * int64_t(Add) / M + Offset;
    const int64_t F = std::min<int64_t>((255 - int64_t(Base)) * P.A * 8 / M + Base, 256);
    for (uint8_t* C : {&P.R, &P.G, &P.B})
      *C = uint8_t(std::clamp<int64_t>(*C * F / Base + G, 0, 255));
    P.A = 255;
  }
}

void Draw2DCurvesDistributionImage(TImage32& Image, TRawBitmap& Bitmap1, TRawBitmap& Bitmap2,
                                   TRawBitmap& Bitmap3, TColor Background, const T3DLut& Lut1,
                                   const T3DLut& Lut2) {
  TImage32 Work[3];
  TRawBitmap* Bitmaps[3] = {&Bitmap1, &Bitmap2, &Bitmap3};
  for (int K = 0; K < 3; ++K) {
    Work[K].Init();
    if (Work[K].Alloc(Bitmaps[K]->Width(), Bitmaps[K]->Height())) Work[K].Fill(Background);
  }
  const int32_t Size = std::max(std::min(Bitmap2.Width() - 2, Bitmap2.Height() - 2), 0);
  const int32_t HalfSize = Size / 2;
  // The pair (U, V) on the diamond of work image K, or null outside it.
  auto At = [&](int K, int32_t U, int32_t V) -> TVPixel32* {
    TImage32& W = Work[K];
    if (!W.HoldsPixels()) return nullptr;
    const double Px = U * Size / 255 - HalfSize, Py = V * Size / 255 - HalfSize;
    const int32_t X = std::clamp(RoundInt((Px * 0.7071 - Py * 0.7071) * 0.7071) + HalfSize, 0,
                                 W.Width - 1);
    const int32_t Y = std::clamp(HalfSize - RoundInt((Px * 0.7071 + Py * 0.7071) * 0.7071), 0,
                                 W.Height - 1);
    return &W.Pixels[int64_t(Y) * W.Width + X];
  };
  for (int32_t U = 0; U < 256; ++U)
    for (int32_t V = 0; V < 256; ++V) {
      const uint32_t Lo = uint32_t(std::min(U, V) / 4 + 32), Cu = uint32_t(U / 4 + 32),
                     Cv = uint32_t(V / 4 + 32);
      // Values are BGRA: blue lowest, red in bits 16..23.
      const uint32_t Colours[3] = {Cu | Lo << 8 | Cv << 16, Lo | Cv << 8 | Cu << 16,
                                   Cu | Cv << 8 | Lo << 16};
      for (int K = 0; K < 3; ++K) {
        TVPixel32* P = At(K, U, V);
        if (P == nullptr) continue;
        P->Value = Colours[K];
        const int64_t Index = P - Work[K].Pixels;
        if ((Index % Work[K].Width) + 1 < Work[K].Width) P[1].Value = Colours[K];
      }
    }
  if (HasArea(Image)) {
    auto Count = [&](int K, bool BlueRed, bool RedGreen) {
      ForOpaquePixels(Image, [&](const TBGRAPixel32& P) {
        const int32_t U = RedGreen ? P.R : P.B;
        const int32_t V = BlueRed ? P.R : P.G;
        if (TVPixel32* D = At(K, U, V)) ++D->BGRA.A;  // counts on and wraps
      });
    };
    Count(0, true, false);
    ProcessImage(Lut1, Image, Image, true);
    Count(1, false, true);
    ProcessImage(Lut2, Image, Image, true);
    Count(2, false, false);
    for (int K : {1, 0, 2}) ShadeImage32ByAlpha(Work[K], 96, 0, 20);
  }
  for (int K = 0; K < 3; ++K) {
    Work[K].CopyTo(*Bitmaps[K]);
    Work[K].Dispose();
  }
}

}  // namespace kromel
