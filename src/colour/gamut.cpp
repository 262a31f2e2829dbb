#include "colour/gamut.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numbers>

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"

namespace kromel {

namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;

// Index of V truncated toward zero and limited to 0..Hi; NaN gives 0.
inline int TruncIndex(float V, int Hi) {
  if (!(V >= 0)) return 0;
  if (V >= static_cast<float>(Hi)) return Hi;
  return static_cast<int>(V);
}

// The largest radius among the cell, its right neighbour (wrapping), the two
// cells of the next row, the two of the row below and the left neighbour
// (not wrapping at column 0).
float NeighbourhoodLimit(float L, float Hue, const TColorSpaceGamut& Gamut) {
  int I, J;
  GamutCellOf(L, Hue, I, J);
  const int JR = (J + 1) % 512;
  float M =
      std::max(std::max(Gamut[I][J], Gamut[I][JR]), std::max(Gamut[I + 1][J], Gamut[I + 1][JR]));
  if (I > 0) M = std::max(M, std::max(Gamut[I - 1][J], Gamut[I - 1][JR]));
  if (J > 0) M = std::max(M, Gamut[I][J - 1]);
  return M;
}

// Writes Data through a temporary file beside FileName; Error is the
// failure's error number.
bool WriteFileReplacing(const std::string& FileName, const std::string& Data, int& Error) {
  TSafeFileWriter Writer(FileName);
  const bool Ok = Writer.Opened() && Writer.Write(Data.data(), Data.size()) && Writer.Commit();
  Error = Writer.ErrorCode();
  return Ok;
}

}  // namespace

void GamutCellOf(float L, float Hue, int& Row, int& Column) {
  Row = TruncIndex(L * 511.0f / 100.0f, GamutRows - 2);
  Column = TruncIndex(Hue * 512.0f, GamutColumns - 2);
}

void ClampABToGamut(float& L, float& A, float& B, const TColorSpaceGamut& Gamut) {
  float H = static_cast<float>(std::atan2(static_cast<double>(A), static_cast<double>(B)) / TwoPi);
  if (H < 0) H += 1.0f;
  const float M = NeighbourhoodLimit(L, H, Gamut);
  const float R = std::sqrt(A * A + B * B);
  if (R > M) {
    A = A * M / R;
    B = B * M / R;
  }
}

void ClampChromaToGamut(float& Hue, float& Chroma, float L, const TColorSpaceGamut& Gamut) {
  if (Hue < 0) Hue += 1.0f;
  const float M = NeighbourhoodLimit(L, Hue, Gamut);
  if (Chroma > M) Chroma = M;
}

namespace {

struct TSingleProbe {
  TRGBToVariableSingleProc Forward;
  TVariableToRGBSingleProc Inverse;
  float Lightness;
  double SinT, CosT;

  // A NaN lightness back counts as a failure to keep it.
  bool Bad(double Radius) const {
    float R, G, B, L2, A2, B2;
    Inverse(Lightness, static_cast<float>(Radius * SinT), static_cast<float>(Radius * CosT), R, G,
            B);
    Forward(R, G, B, L2, A2, B2);
    return !(std::fabs(static_cast<double>(Lightness) - L2) < 0.001);
  }
};

struct TDoubleProbe {
  TRGBToVariableDoubleProc Forward;
  TVariableToRGBDoubleProc Inverse;
  double Lightness;
  double SinT, CosT;

  bool Bad(double Radius) const {
    double R = 0, G = 0, B = 0, L2 = 0, A2 = 0, B2 = 0;
    Inverse(Lightness, Radius * SinT, Radius * CosT, R, G, B);
    Forward(R, G, B, L2, A2, B2);
    return !(std::fabs(Lightness - L2) < 0.001);
  }
};

}  // namespace

float GamutBoundaryRadius(TRGBToVariableSingleProc Forward, TVariableToRGBSingleProc Inverse,
                          float Lightness, double Theta) {
  const TSingleProbe P{Forward, Inverse, Lightness, std::sin(Theta), std::cos(Theta)};
  double Result = 300.0;
  double C = 300.0;
  for (int K = 0; K <= 30; ++K)
    if (P.Bad(10.0 * K)) {
      C = 10.0 * K - 1.0;
      break;
    }
  int MStop = 30;
  for (int M = -30; M <= 30; ++M) {
    const double R = C + 0.5 * M;
    if (R < 0) continue;
    if (P.Bad(R)) {
      Result = R;
      MStop = M;
      break;
    }
  }
  for (int N = -30; N <= 30; ++N) {
    if (C + N / 20.0 < 0) continue;
    const double R = std::max(0.0, C + 0.5 * MStop + N / 20.0);
    if (P.Bad(R)) {
      Result = R;
      break;
    }
  }
  return static_cast<float>(Result);
}

double GamutBoundaryRadiusDouble(TRGBToVariableDoubleProc Forward, TVariableToRGBDoubleProc Inverse,
                                 double Lightness, double Theta) {
  const TDoubleProbe P{Forward, Inverse, Lightness, std::sin(Theta), std::cos(Theta)};
  double Result = 300.0;
  double C = 300.0;
  for (int K = 0; K <= 300; ++K)
    if (P.Bad(K)) {
      C = K - 1.0;
      break;
    }
  for (int N = -30; N <= 30; ++N) {
    const double R = C + N / 20.0;
    if (R < 0) continue;
    const double Rs = std::max(0.0, static_cast<double>(static_cast<float>(R)));
    if (P.Bad(Rs)) {
      Result = Rs;
      break;
    }
  }
  return Result;
}

void BuildColorSpaceGamutRows(TRGBToVariableSingleProc Forward, TVariableToRGBSingleProc Inverse,
                              TColorSpaceGamut& Gamut, int FirstRow, int LastRow) {
  FirstRow = std::max(FirstRow, 0);
  LastRow = std::min(LastRow, GamutRows - 1);
  for (int I = FirstRow; I <= LastRow; ++I) {
    float Li = static_cast<float>(I * 100.0 / 511.0);
    if (I == 0) Li = 0.19569471f;
    if (I == GamutRows - 1) Li = 99.804306f;
    for (int J = 0; J < GamutColumns; ++J) {
      float Cell = 0;
      for (int A = -2; A <= 2; ++A) {
        const float L = Li + static_cast<float>(A) * 0.03913894f * 0.4f;
        for (int B = -2; B <= 2; ++B) {
          const double Theta = (J + 0.4 * B) * TwoPi / 512.0;
          Cell = std::max(Cell, GamutBoundaryRadius(Forward, Inverse, L, Theta));
        }
      }
      Gamut[I][J] = Cell;
    }
  }
}

void BuildColorSpaceGamut(TRGBToVariableSingleProc Forward, TVariableToRGBSingleProc Inverse,
                          TColorSpaceGamut& Gamut) {
  BuildColorSpaceGamutRows(Forward, Inverse, Gamut, 0, GamutRows - 1);
}

void BuildColorSpaceGamutDoubleRows(TRGBToVariableDoubleProc Forward,
                                    TVariableToRGBDoubleProc Inverse, TColorSpaceGamut& Gamut,
                                    int FirstRow, int LastRow) {
  constexpr double Delta = 0.05870841487279843;  // 30/511
  FirstRow = std::max(FirstRow, 0);
  LastRow = std::min(LastRow, GamutRows - 1);
  for (int I = FirstRow; I <= LastRow; ++I) {
    double Li = I * 100.0 / 511.0;
    if (I == 0) Li = 0.19569471624266144;
    if (I == GamutRows - 1) Li = 99.80430528375734;
    for (int J = 0; J < GamutColumns; ++J) {
      float Cell = -1.0f;
      for (const double L : {Li - Delta, Li + Delta, Li})
        for (const double Shift : {0.3, -0.3, 0.0}) {
          const double Theta = (J + Shift) * TwoPi / 512.0;
          Cell = std::max(
              Cell, static_cast<float>(GamutBoundaryRadiusDouble(Forward, Inverse, L, Theta)));
        }
      Gamut[I][J] = Cell;
    }
  }
}

void RaiseColorSpaceGamutToSurface(TRGBToVariableDoubleProc Forward, TColorSpaceGamut& Gamut,
                                   int FirstRow, int LastRow) {
  constexpr int Steps = 512;
  FirstRow = std::max(FirstRow, 0);
  LastRow = std::min(LastRow, GamutRows - 2);
  auto Raise = [&](double R, double G, double B) {
    double V1 = 0, V2 = 0, V3 = 0;
    Forward(R, G, B, V1, V2, V3);
    const double Radius = std::sqrt(V2 * V2 + V3 * V3);
    if (!(Radius > 0) || !std::isfinite(V1)) return;
    double H = std::atan2(V2, V3) / TwoPi;
    if (H < 0) H += 1;
    int I, J;
    GamutCellOf(static_cast<float>(V1), static_cast<float>(H), I, J);
    if (I < FirstRow || I > LastRow) return;
    // One step above the radius, in the table's steps of 0.05.
    const auto Cell = static_cast<float>((std::ceil(Radius * 20) + 1) / 20);
    for (const int C : {J, (J + 1) % 512}) {
      Gamut[I][C] = std::max(Gamut[I][C], Cell);
      if (C == 0) Gamut[I][512] = Gamut[I][0];
    }
  };
  for (int U = 0; U <= Steps; ++U)
    for (int V = 0; V <= Steps; ++V) {
      const double A = static_cast<double>(U) / Steps, B = static_cast<double>(V) / Steps;
      for (const double Face : {0.0, 1.0}) {
        Raise(Face, A, B);
        Raise(A, Face, B);
        Raise(A, B, Face);
      }
    }
}

void BuildColorSpaceGamutDouble(TRGBToVariableDoubleProc Forward, TVariableToRGBDoubleProc Inverse,
                                TColorSpaceGamut& Gamut) {
  BuildColorSpaceGamutDoubleRows(Forward, Inverse, Gamut, 0, GamutRows - 1);
}

void SmoothColorSpaceGamut(TColorSpaceGamut& Gamut) {
  const auto Copy = std::make_unique<TColorSpaceGamut>(Gamut);
  const TColorSpaceGamut& C = *Copy;
  for (int I = 1; I < GamutRows; ++I)
    for (int J = 0; J < GamutColumns; ++J) {
      const int JL = (J + 511) % 512;
      const float M = std::max(std::max(C[I][J], C[I][JL]), C[I - 1][JL]);
      Gamut[I][J] = 0.99f * M + 0.01f * Gamut[I][J];
    }
}

bool SaveColorSpaceGamut(const TColorSpaceGamut& Gamut, const std::string& FileName,
                         const std::string& Name) {
  std::string Text;
  Text.reserve(3'000'000);
  Text += "Var " + Name + " : TColorSpaceGamut = (\n";
  for (int I = 0; I < GamutRows; ++I) {
    Text += "(";
    for (int J = 0; J < GamutColumns; ++J) {
      Text += FloatToStrD2(Gamut[I][J]);
      if (J != GamutColumns - 1) Text += ",";
      if (J % 16 == 15) Text += "\n";
    }
    Text += I < GamutRows - 1 ? "),\n" : "));\n";
  }
  int Error = 0;
  if (WriteFileReplacing(FileName, Text, Error)) return true;
  ErrorMessageProc("Exception in SaveColorSpaceGamut: cannot write " + FileName + " (" +
                   std::strerror(Error) + ")");
  return false;
}

std::string EncodeGamutData(const TColorSpaceGamut& Gamut) {
  std::string Data(GamutDataSize, '\0');
  auto Put32 = [&Data](std::size_t At, uint32_t V) {
    for (int K = 0; K < 4; ++K) Data[At + K] = static_cast<char>((V >> (8 * K)) & 0xFF);
  };
  std::memcpy(Data.data(), "KGAM", 4);
  Put32(4, 1);
  Put32(8, GamutRows);
  Put32(12, GamutColumns);
  std::size_t At = GamutDataHeaderSize;
  for (const auto& Row : Gamut)
    for (const float V : Row) {
      const float H = V * 100.0f;
      if (!(H >= 0 && H <= 65535.0f)) return {};
      const auto N = static_cast<uint16_t>(std::nearbyint(H));
      Data[At++] = static_cast<char>(N & 0xFF);
      Data[At++] = static_cast<char>(N >> 8);
    }
  return Data;
}

bool DecodeGamutData(const uint8_t* Data, std::size_t Size, TColorSpaceGamut& Gamut) {
  if (Data == nullptr || Size != GamutDataSize) return false;
  auto Get32 = [Data](std::size_t At) {
    return static_cast<uint32_t>(Data[At]) | static_cast<uint32_t>(Data[At + 1]) << 8 |
           static_cast<uint32_t>(Data[At + 2]) << 16 | static_cast<uint32_t>(Data[At + 3]) << 24;
  };
  if (std::memcmp(Data, "KGAM", 4) != 0 || Get32(4) != 1 || Get32(8) != GamutRows ||
      Get32(12) != GamutColumns)
    return false;
  const uint8_t* P = Data + GamutDataHeaderSize;
  for (auto& Row : Gamut)
    for (float& V : Row) {
      const unsigned N = static_cast<unsigned>(P[0]) | static_cast<unsigned>(P[1]) << 8;
      V = static_cast<float>(N) / 100.0f;
      P += 2;
    }
  return true;
}

bool SaveGamutData(const TColorSpaceGamut& Gamut, const std::string& FileName) {
  const std::string Data = EncodeGamutData(Gamut);
  if (Data.empty()) {
    ErrorMessageProc("Exception in SaveGamutData: a cell is outside 0..655.35 " + FileName);
    return false;
  }
  int Error = 0;
  if (WriteFileReplacing(FileName, Data, Error)) return true;
  ErrorMessageProc("Exception in SaveGamutData: cannot write " + FileName + " (" +
                   std::strerror(Error) + ")");
  return false;
}

}  // namespace kromel
