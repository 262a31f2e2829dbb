// The volume plane and the channel mixer's grid dots.
#include "params/volume_mixer_mapping.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "images/image32.h"
#include "params/dot_grid.h"
#include "params/envelope_math.h"
#include "platform/message_sink.h"
#include "platform/raw_bitmap.h"

namespace kromel {

namespace {

constexpr float PiF = std::numbers::pi_v<float>;
constexpr float Log11 = 0.0953101798f;  // ln 1.1
// Mixer dots: positions in thousandths, gain exponents in 25ths.
constexpr float PositionScale = 1000.0f;
constexpr float ExponentScale = 25.0f;

// The factor that moves a disc point onto the hexagon of the same direction.
float HexagonFactor(float X, float Y) {
  const float Theta = std::atan2(X, -Y);
  const float K = std::trunc(Theta * 3 / PiF);
  const float H = K / 2 - std::trunc(K / 2);
  return 0.5f / std::cos(H * 2 * PiF / 3 - Theta + K * PiF / 3);
}

template <class T>
void PlaneToWeights(T& R, T& G, T& B, bool Circular, bool Normalize, bool Compensate, float X,
                    float Y, float E) {
  const float D = std::sqrt(X * X + Y * Y);
  if (D > 1) {
    X *= D;
    Y *= D;
  }
  if (!Circular) {
    const float F = HexagonFactor(X, Y);
    X *= F;
    Y *= F;
  }
  const float RY = (Y + 0.5f) * 1.5f;
  const float GBY = (Y - 0.25f) * -0.75f;
  R = T(RY) / T(2.25);
  G = ((T(X) - T(0.4330127)) * T(-1.2990381) + T(GBY)) / T(2.25);
  B = ((T(X) + T(0.4330127)) * T(1.2990381) + T(GBY)) / T(2.25);
  float S = float(R + G + B);
  if (S == 0) {
    R = G = B = T(1) / T(3);
  } else {
    if (Compensate) {
      S = float((R / S - T(1) / T(3)) * T(0.125) + S);
      if (S == 0) S = 1;
      S = float((G / S - T(1) / T(3)) / T(12) + S);
      if (S == 0) S = 1;
    }
    if (Normalize) {
      R /= S;
      G /= S;
      B /= S;
    }
  }
  const T Gain = std::pow(T(1.1), T(E));
  R *= Gain;
  G *= Gain;
  B *= Gain;
}

int32_t Nearest(float V) { return RoundToInt32(V); }

}  // namespace

void VolumeXYToRGB(float& R, float& G, float& B, bool Circular, bool Normalize, bool Compensate,
                   float X, float Y, float E) {
  PlaneToWeights(R, G, B, Circular, Normalize, Compensate, X, Y, E);
}

void VolumeXYToRGBDouble(double& R, double& G, double& B, bool Circular, bool Normalize,
                         bool Compensate, float X, float Y, float E) {
  PlaneToWeights(R, G, B, Circular, Normalize, Compensate, X, Y, E);
}

void RGBToVolumeXY(float& X, float& Y, float& E, bool Circular, bool, bool, float R, float G,
                   float B) {
  float S = R + G + B;
  if (!(S >= 0.00001f)) S = 0.00001f;
  E = std::log(S) / Log11;
  R /= S;
  G /= S;
  B /= S;
  X = 0.8660254f * B - 0.8660254f * G;
  Y = R - G / 2 - B / 2;
  if (!Circular) {
    const float F = HexagonFactor(X, Y);
    X /= F;
    Y /= F;
  }
  const float D = std::sqrt(X * X + Y * Y);
  if (D > 1) {
    X /= std::sqrt(D);
    Y /= std::sqrt(D);
  }
}

void ChannelMixerToGridBox(const TChannelMixerParams& P, T2DEnvelopeDots* Grid, bool Circular,
                           bool Columns) {
  if (Grid == nullptr) return;
  if (Grid->Cols() < 3) {
    PlatformShowMessage("ChannelMixerToGridBox error: colcount=" + std::to_string(Grid->ColCount));
    return;
  }
  if (Grid->Rows() < 1) {
    PlatformShowMessage("ChannelMixerToGridBox error: rowcount=" + std::to_string(Grid->RowCount));
    return;
  }
  TChannelMixerParams M = P;
  const auto At = [&M](int32_t Row, int32_t Col) { return float(M.Matrix[3 * Row + Col]); };
  float Exponents[3] = {};
  if (Columns) {
    for (int32_t Row = 0; Row < 3; ++Row) {
      const float Sum = float(M.Matrix[3 * Row] + M.Matrix[3 * Row + 1] + M.Matrix[3 * Row + 2]);
      Exponents[Row] = Sum > 0.01f ? std::log(Sum) / Log11 : 1.0f;
    }
    ChannelMixerBalanceColumns(M);
  }
  for (int32_t K = 0; K < 3; ++K) {
    float X, Y, E;
    if (Columns)
      RGBToVolumeXY(X, Y, E, Circular, false, false, At(0, K), At(1, K), At(2, K));
    else
      RGBToVolumeXY(X, Y, E, Circular, false, false, At(K, 0), At(K, 1), At(K, 2));
    if (Columns) E = Exponents[K];
    TDotPoint& D = Grid->Dots[size_t(K)][0];
    D.X = Nearest(PositionScale * X);
    D.Y = Nearest(PositionScale * Y);
    D.Z = Nearest(ExponentScale * E);
  }
  Grid->DoChange();
}

void GridBoxToChannelMixer(T2DEnvelopeDots* Grid, TChannelMixerParams& P, bool Exponent,
                           bool Circular, bool Columns) {
  if (Grid == nullptr) {
    PlatformShowMessage("GridBoxToChannelMixer error: gridbox=nil");
    return;
  }
  // The three dots are columns 0..2 of row 0.
  if (Grid->Cols() < 3) {
    PlatformShowMessage("GridBoxToChannelMixer error: colcount=" + std::to_string(Grid->ColCount));
    return;
  }
  if (Grid->Rows() < 1) {
    PlatformShowMessage("GridBoxToChannelMixer error: rowcount=" + std::to_string(Grid->RowCount));
    return;
  }
  TChannelMixerParams M = P;
  const auto Dot = [Grid](int32_t K) -> const TDotPoint& { return Grid->Dots[size_t(K)][0]; };
  const auto Position = [](int32_t V) { return float(V) / PositionScale; };
  const auto Gain = [](const TDotPoint& D) { return float(D.Z) / ExponentScale; };
  for (int32_t K = 0; K < 3; ++K) {
    double R, G, B;
    const TDotPoint& D = Dot(K);
    if (Columns) {
      VolumeXYToRGBDouble(R, G, B, Circular, true, false, Position(D.X), Position(D.Y), 0);
      M.Matrix[K] = R;
      M.Matrix[3 + K] = G;
      M.Matrix[6 + K] = B;
    } else {
      VolumeXYToRGBDouble(R, G, B, Circular, true, false, Position(D.X), Position(D.Y),
                          Exponent ? Gain(D) : 0.0f);
      M.Matrix[3 * K] = R;
      M.Matrix[3 * K + 1] = G;
      M.Matrix[3 * K + 2] = B;
    }
  }
  if (Columns) {
    ChannelMixerNormalizeRows(M);
    if (Exponent)
      for (int32_t Row = 0; Row < 3; ++Row) {
        const double F = std::pow(1.1, double(Gain(Dot(Row))));
        for (int32_t C = 0; C < 3; ++C) M.Matrix[3 * Row + C] *= F;
      }
  }
  P = M;
}

void DrawVolumePlaneBackground(TRawBitmap& Bitmap, bool Circular) {
  const int32_t W = Bitmap.Width();
  const int32_t H = Bitmap.Height();
  if (W < 1 || H < 1) return;
  TImage32 Image;
  if (!Image.Alloc(W, H)) return;
  const float Span = Circular ? 3.732f : 4.0f;
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      const float PX = float(X) / float(W) * 4 - 2;
      const float PY = 2 - float(Y) / float(H) * Span;
      double C[3];
      VolumeXYToRGBDouble(C[0], C[1], C[2], Circular, true, false, PX, PY, 0);
      bool Visible = true;
      for (double& V : C) {
        if (V > 1) V = 1;
        if (!(std::fabs(V) >= 0.003) || V < -1) Visible = false;
      }
      TBGRAPixel32& P = Image.Pixels[int64_t(Y) * W + X].BGRA;
      P.A = 255;
      if (Visible) {
        uint8_t Out[3];
        for (int I = 0; I < 3; ++I) Out[I] = static_cast<uint8_t>(RoundToInt32(200 * std::max(C[I], 0.0)));
        P.R = Out[0];
        P.G = Out[1];
        P.B = Out[2];
      } else {
        P.R = P.G = P.B = 64;
      }
    }
  Image.CopyTo(Bitmap);
  Image.Dispose();
}

void Curves2DBlendLuma(T2DEnvelopeDots& Grid, float Amount) {
  const int32_t N = Grid.Cols();
  const int32_t M = Grid.Rows();
  // The rest positions need two columns and two rows.
  if (N < 2 || M < 2) return;
  const double A = Amount;
  for (int32_t I = 0; I < N; ++I)
    for (int32_t J = 0; J < M; ++J) {
      TDotPoint& D = Grid.Dots[size_t(I)][size_t(J)];
      const int64_t DX = Grid.MinX + (int64_t(Grid.MaxX) - Grid.MinX) * I / (N - 1);
      const int64_t DY = Grid.MinY + (int64_t(Grid.MaxY) - Grid.MinY) * J / (M - 1);
      const int64_t Sum = int64_t(D.X) + D.Y;
      if (Sum != 0) {
        const double Target = double(DX + DY);
        const double X = D.X, Y = D.Y;
        D.X = RoundToInt32((1 - A) * X + A * Target * X / double(Sum));
        D.Y = RoundToInt32((1 - A) * Y + A * Target * Y / double(Sum));
      } else {
        D.X = RoundToInt32((1 - A) * D.X + A * double(DX));
        D.Y = RoundToInt32((1 - A) * D.Y + A * double(DY));
      }
    }
  Grid.FixGrid();
}

}  // namespace kromel
