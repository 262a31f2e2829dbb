#include "matching/chart_compensation.h"

#include <atomic>
#include <cmath>
#include <exception>
#include <string>
#include <vector>

#include "colour/colour_models.h"
#include "engine/ab_grid_maths.h"
#include "engine/lut_procedures.h"
#include "foundation/error_sink.h"
#include "images/pixel128.h"
#include "platform/translate.h"

namespace kromel {

namespace {

constexpr const char* SupportAddress = "support@kromel.app";
std::atomic<bool> DeviationsMessageShown{false};

// Channel 0 red, 1 green, 2 blue.
float& Channel(TBGRAPixel128& P, int C) { return C == 0 ? P.R : C == 1 ? P.G : P.B; }
float Channel(const TBGRAPixel128& P, int C) { return C == 0 ? P.R : C == 1 ? P.G : P.B; }

bool NearNeutral(const TColorCheckerPixel128& P) {
  return std::fabs(P.LabA) + std::fabs(P.LabB) < 5 && !P.Empty;
}

// Cell k of the square ring at distance D around a patch.
void RingOffset(int32_t K, int32_t D, int32_t& DX, int32_t& DY) {
  const int32_t M = K % (2 * D);
  if (K < 2 * D) {
    DX = K - D;
    DY = -D;
  } else if (K < 4 * D) {
    DX = M - D + 1;
    DY = D;
  } else if (K < 6 * D) {
    DY = M - D;
    DX = D;
  } else {
    DY = M - D + 1;
    DX = -D;
  }
}

// Grows references from the reference patches ring by ring (at most 100
// rings, while a ring still assigned one).
void AssignReferences(TColorChartTable& T, const std::vector<bool>& IsRef, bool White) {
  const int32_t Cols = T.Columns, Rows = T.Rows;
  auto RowOf = [Cols](int32_t I) { return I / Cols; };
  auto ColOf = [Cols](int32_t I) { return I % Cols; };
  bool Assigned = true;
  for (int32_t D = 1; D <= 100 && Assigned; ++D) {
    Assigned = false;
    for (int32_t C = 0; C < Cols; ++C)
      for (int32_t R = 0; R < Rows; ++R) {
        const int32_t B = T.PatchIndex(R, C);
        if (!IsRef[size_t(B)]) continue;
        for (int32_t K = 0; K < 8 * D; ++K) {
          int32_t DX = 0, DY = 0;
          RingOffset(K, D, DX, DY);
          const int32_t TC = C + DX, TR = R + DY;
          if (TC < 0 || TC >= Cols || TR < 0 || TR >= Rows) continue;
          int32_t* Ref = White ? T.Patches[size_t(T.PatchIndex(TR, TC))].WhiteRef
                               : T.Patches[size_t(T.PatchIndex(TR, TC))].BlackRef;
          if (Ref[0] == -1) {
            Ref[0] = B;
            Assigned = true;
            continue;
          }
          if (White && (RowOf(Ref[0]) - TR) * DY < 0 && (ColOf(Ref[0]) - TC) * DX < 0) continue;
          if (Ref[1] == -1) {
            Ref[1] = B;
            Assigned = true;
          } else if (Ref[2] == -1) {
            if (RowOf(Ref[0]) == RowOf(Ref[1]) && RowOf(Ref[0]) == R) continue;
            if (ColOf(Ref[0]) == ColOf(Ref[1]) && ColOf(Ref[0]) == C) continue;
            if (RowOf(Ref[0]) >= TR || RowOf(Ref[1]) >= TR || R >= TR) {
              Ref[2] = B;
              Assigned = true;
            }
          }
        }
      }
  }
}

// Level of patch I from the samples of its three references.
void TriangleLevel(const TColorChartTable& T, const TImage128& Samples, int32_t I,
                   const int32_t* Ref, bool White, TBGRAPixel128& Out) {
  const int32_t Cols = T.Columns;
  float U = 0, V = 0, W = 0;
  TriangleBarycentric(U, V, W, float(I % Cols), float(I / Cols), float(Ref[0] % Cols),
                      float(Ref[0] / Cols), float(Ref[1] % Cols), float(Ref[1] / Cols),
                      float(Ref[2] % Cols), float(Ref[2] / Cols));
  if (V < 0 && U >= 1) {
    U = 1;
    V = 0;
    W = 0;
  }
  if (White) {
    if (V < 0) {
      U += V / 2;
      W += V / 2;
      V = 0;
    }
    if (W < 0 && U < 0) {
      V += U / 2 + W / 2;
      U /= 2;
      W /= 2;
    }
  }
  for (int Ch = 0; Ch < 3; ++Ch)
    Channel(Out, Ch) = U * Channel(Samples.Data[Ref[0]], Ch) +
                       V * Channel(Samples.Data[Ref[1]], Ch) +
                       W * Channel(Samples.Data[Ref[2]], Ch);
}

// Patches without a triangle take a neighbour's level; false when one
// could not.
bool FillFromNeighbours(const TColorChartTable& T, TImage128& Level, bool White,
                        int32_t& UnresolvedIndex) {
  const int32_t Cols = T.Columns, Rows = T.Rows;
  auto HasTriangle = [&](int32_t R, int32_t C) {
    const TColorCheckerPixel128& P = T.Patches[size_t(T.PatchIndex(R, C))];
    return (White ? P.WhiteRef[2] : P.BlackRef[2]) >= 0;
  };
  bool AllResolved = true;
  for (int32_t C = 0; C < Cols; ++C)
    for (int32_t R = 0; R < Rows; ++R) {
      if (HasTriangle(R, C) || C == 0) continue;
      TBGRAPixel128& P = Level.Data[T.PatchIndex(R, C)];
      if (HasTriangle(R, C - 1)) {
        P = Level.Data[T.PatchIndex(R, C - 1)];
      } else if (R != 0) {
        if (HasTriangle(R - 1, C)) {
          P = Level.Data[T.PatchIndex(R - 1, C)];
        } else if (C != Cols - 1) {
          if (HasTriangle(R, C + 1)) {
            P = Level.Data[T.PatchIndex(R, C + 1)];
          } else if (R != Rows - 1) {
            if (HasTriangle(R + 1, C)) {
              P = Level.Data[T.PatchIndex(R + 1, C)];
            } else {
              AllResolved = false;
              UnresolvedIndex = T.PatchIndex(R, C);
            }
          }
        }
      }
    }
  return AllResolved;
}

}  // namespace

void ResetCompensationMessage() { DeviationsMessageShown = false; }

void CompensateDeviations(TColorChartTable& Table, TImage128& Samples, float& MaxBlackDeviation,
                          float& MaxWhiteDeviation, int32_t& MaxBlackIndex,
                          int32_t& MaxWhiteIndex) {
  Table.CompensationValid = false;
  MaxBlackDeviation = 0;
  MaxWhiteDeviation = 0;
  MaxBlackIndex = -1;
  MaxWhiteIndex = -1;
  if (!Table.GridIsComplete() || int64_t(Table.Columns) * Table.Rows != Samples.Size ||
      Samples.Data == nullptr) {
    ErrorMessageProc("Error in CompensateDeviations: Sizes mismatch, SrcSize = " +
                     std::to_string(Samples.Size));
    return;
  }
  const int32_t Cols = Table.Columns, Rows = Table.Rows, N = Cols * Rows;
  TImage128& Black = Table.BlackCompensation;
  TImage128& White = Table.WhiteCompensation;
  if (Black.Data == nullptr || Black.Width != Cols || Black.Height != Rows ||
      White.Data == nullptr || White.Width != Cols || White.Height != Rows) {
    if (!Black.SetSize(Cols, Rows) || !White.SetSize(Cols, Rows)) return;
    Black.SetAlpha(0);
    White.SetAlpha(0);
  }
  for (int32_t I = 0; I < N; ++I) {
    Black.Data[I].R = Black.Data[I].G = Black.Data[I].B = 0;
    White.Data[I].R = White.Data[I].G = White.Data[I].B = 0;
    TColorCheckerPixel128& P = Table.Patches[size_t(I)];
    for (int K = 0; K < 3; ++K) P.BlackRef[K] = P.WhiteRef[K] = -1;
  }

  bool Found = false;
  float LMin = 0, LMax = 0;
  for (int32_t I = 0; I < N; ++I) {
    const TColorCheckerPixel128& P = Table.Patches[size_t(I)];
    if (!NearNeutral(P)) continue;
    if (!Found || P.LabL < LMin) LMin = P.LabL;
    if (!Found || P.LabL > LMax) LMax = P.LabL;
    Found = true;
  }

  std::vector<bool> IsBlack(size_t(N), false), IsWhite(size_t(N), false);
  int32_t BlackCount = 0, WhiteCount = 0;
  bool Left = false, Right = false, Top = false, Bottom = false;
  double BlackSum[3] = {}, WhiteSum[3] = {};
  for (int32_t C = 0; C < Cols; ++C)
    for (int32_t R = 0; R < Rows; ++R) {
      const int32_t I = Table.PatchIndex(R, C);
      TColorCheckerPixel128& P = Table.Patches[size_t(I)];
      if (!NearNeutral(P)) continue;
      if (std::fabs(P.LabL - LMin) < 3) {
        IsBlack[size_t(I)] = true;
        P.BlackRef[0] = I;
        ++BlackCount;
        for (int Ch = 0; Ch < 3; ++Ch) BlackSum[Ch] += Channel(Samples.Data[I], Ch);
        Left = Left || C == 0;
        Right = Right || C == Cols - 1;
        Top = Top || R == 0;
        Bottom = Bottom || R == Rows - 1;
      }
      if (std::fabs(P.LabL - LMax) < 3) {
        IsWhite[size_t(I)] = true;
        P.WhiteRef[0] = I;
        ++WhiteCount;
        for (int Ch = 0; Ch < 3; ++Ch) WhiteSum[Ch] += Channel(Samples.Data[I], Ch);
      }
    }
  for (int Ch = 0; Ch < 3; ++Ch) Table.BlackAverage[Ch] = Table.WhiteAverage[Ch] = 0;
  if (BlackCount <= 3 || WhiteCount <= 3 || !Left || !Right || !Top || !Bottom) return;
  for (int Ch = 0; Ch < 3; ++Ch) {
    Table.BlackAverage[Ch] = float(BlackSum[Ch] / BlackCount);
    Table.WhiteAverage[Ch] = float(WhiteSum[Ch] / WhiteCount);
  }

  AssignReferences(Table, IsBlack, false);
  AssignReferences(Table, IsWhite, true);
  for (int32_t I = 0; I < N; ++I) {
    const TColorCheckerPixel128& P = Table.Patches[size_t(I)];
    if (P.BlackRef[2] >= 0) TriangleLevel(Table, Samples, I, P.BlackRef, false, Black.Data[I]);
    if (P.WhiteRef[1] >= 0 && P.WhiteRef[2] >= 0)
      TriangleLevel(Table, Samples, I, P.WhiteRef, true, White.Data[I]);
  }
  int32_t Unresolved = -1;
  const bool BlackDone = FillFromNeighbours(Table, Black, false, Unresolved);
  const bool WhiteDone = FillFromNeighbours(Table, White, true, Unresolved);
  if ((!BlackDone || !WhiteDone) && !DeviationsMessageShown.exchange(true))
    ErrorMessageProc(_("Failed to calculate color chart deviations map. Please send your chart "
                       "reference data to ") +
                     SupportAddress + _(" to fix this problem.") + "(" +
                     ColorChartPatchName(Unresolved % Cols, Unresolved / Cols) + ")");

  try {
    Black.SmoothRecursive(0.4f);
    Black.SmoothRecursive(0.4f);
    White.SmoothRecursive(0.4f);
    White.SmoothRecursive(0.4f);
    Table.CompensationValid = true;
    for (int32_t I = 0; I < N; ++I)
      for (int Ch = 0; Ch < 3; ++Ch)
        if (Channel(White.Data[I], Ch) - Channel(Black.Data[I], Ch) < 0.01f)
          Table.CompensationValid = false;
    if (!Table.CompensationValid) return;
    for (int32_t I = 0; I < N; ++I) {
      const TBGRAPixel128 &Lo = Black.Data[I], &Hi = White.Data[I];
      for (int Ch = 0; Ch < 3; ++Ch) {
        const float Span = Channel(Hi, Ch) - Channel(Lo, Ch);
        // Every channel is guarded, NaN spans included.
        if (!(std::fabs(Span) >= 0.0001f)) continue;
        const float Scale = (Table.WhiteAverage[Ch] - Table.BlackAverage[Ch]) / Span;
        float& S = Channel(Samples.Data[I], Ch);
        S = (S - Channel(Lo, Ch)) * Scale + Table.BlackAverage[Ch];
      }
      if (std::fabs(Table.WhiteAverage[0] - Hi.R) > MaxWhiteDeviation) {
        MaxWhiteDeviation = std::fabs(Table.WhiteAverage[0] - Hi.R);
        MaxWhiteIndex = I;
      }
      if (std::fabs(Table.BlackAverage[0] - Lo.R) > MaxBlackDeviation) {
        MaxBlackDeviation = std::fabs(Table.BlackAverage[0] - Lo.R);
        MaxBlackIndex = I;
      }
    }
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in SG checker normalization");
  }
}

void ColorCheckerMakeLinearizeCurves(TImage128& Source, TImage128& Target,
                                     TBooleanArray& NeutralMask, TEnvelopeDots& CurveR,
                                     TEnvelopeDots& CurveG, TEnvelopeDots& CurveB, bool Smooth,
                                     bool AllowMonotonic) {
  TEnvelopeDots* Curves[3] = {&CurveR, &CurveG, &CurveB};
  bool Raised = false;
  try {
    const int32_t N = std::min(Source.Size, Target.Size);
    for (int32_t I = 0; I < Source.Size; ++I) Source.Data[I].A = 1;
    float Threshold = 0.06f;
    TBooleanArray Mask = NeutralMask;
    if (CountTrueValues(Mask) < 2) {
      float Average = 0;
      int32_t Neutrals = AverageNeutralSaturation(Target, Average, Threshold);
      if (Neutrals < 4 || (Neutrals < 6 && Target.Size >= 24) || Average > 0.75f * Threshold) {
        Threshold = 0.15f;
        Neutrals = AverageNeutralSaturation(Target, Average, Threshold);
        if (Neutrals < 3) {
          if (!AllowMonotonic) {
            ErrorMessageProc(_("Error: less than 3 neutral colors were found! Please check your "
                               "reference values"));
            return;
          }
          SortImage128PairsByMinimum(Source, Target);
          if (!CheckColorPairsMonotonous(Source, Target)) {
            ErrorMessageProc(_("Error: less than 3 neutral colors were found and color series "
                               "are not monotonous! Please check your reference values"));
            return;
          }
          FillBooleanArray(NeutralMask, true);
          Mask = NeutralMask;
        }
      }
    }
    if (CountTrueValues(Mask) < 2) {
      Mask.assign(size_t(std::max(Target.Size, 0)), false);
      for (int32_t I = 0; I < Target.Size; ++I)
        Mask[size_t(I)] = Pixel128Saturation(Target.Data[I]) < Threshold;
    }
    auto InMask = [&Mask](int32_t I) { return size_t(I) < Mask.size() && Mask[size_t(I)]; };
    for (TEnvelopeDots* C : Curves) {
      ++C->UpdateCount;
      C->Clear();
    }
    Raised = true;
    for (int32_t I = 0; I < N; ++I) {
      if (!InMask(I) || !(Source.Data[I].A > 0)) continue;
      double SumS[3] = {}, SumT[3] = {};
      int32_t Group = 0;
      const TBGRAPixel128& TI = Target.Data[I];
      for (int32_t J = 0; J < N; ++J) {
        const TBGRAPixel128& TJ = Target.Data[J];
        if (!(std::fabs(TJ.R - TI.R) < 0.01f && std::fabs(TJ.G - TI.G) < 0.01f &&
              std::fabs(TJ.B - TI.B) < 0.01f) ||
            !InMask(J) || !(TJ.A > 0))
          continue;
        for (int Ch = 0; Ch < 3; ++Ch) {
          SumT[Ch] += Channel(TJ, Ch);
          SumS[Ch] += Channel(Source.Data[J], Ch);
        }
        ++Group;
        Source.Data[J].A = 0;
      }
      if (Group == 0) continue;
      int32_t X[3], Y[3];
      bool Near = false;
      for (int Ch = 0; Ch < 3; ++Ch) {
        X[Ch] = int32_t(std::nearbyint(float(SumS[Ch] / Group) * 16384));
        Y[Ch] = int32_t(std::nearbyint(float(SumT[Ch] / Group) * 32768));
        Near = Near || Curves[Ch]->FindDot(X[Ch], 200) >= 0;
      }
      if (!Near)
        for (int Ch = 0; Ch < 3; ++Ch) Curves[Ch]->AddDot(X[Ch], Y[Ch], 200);
    }
    for (TEnvelopeDots* C : Curves)
      if (C->NumDots < 2) C->ResetDiagonal(2);
    if (Smooth) {
      for (TEnvelopeDots* C : Curves) C->RemoveNonMonotonicDots();
      for (TEnvelopeDots* C : Curves) C->SmoothXY();
      for (TEnvelopeDots* C : Curves)
        if (C->NumDots > 7) C->SmoothXY();
      for (TEnvelopeDots* C : Curves)
        if (C->NumDots > 15) {
          C->SmoothXY();
          C->SmoothXY();
        }
      for (TEnvelopeDots* C : Curves) C->ExtendToEnds(true, true, 0.9f);
    }
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in ColorCheckerMakeLinearizeCurves");
  }
  if (Raised)
    for (TEnvelopeDots* C : Curves) --C->UpdateCount;
}

std::unique_ptr<T3DLut> ColorCheckerMakeLinearizeLUT(TImage128& Source, TImage128& Target,
                                                     TBooleanArray NeutralMask, int32_t LUTSize,
                                                     bool Smooth) {
  TEnvelopeDots CurveR, CurveG, CurveB;
  ColorCheckerMakeLinearizeCurves(Source, Target, NeutralMask, CurveR, CurveG, CurveB, Smooth,
                                  true);
  auto Lut = std::make_unique<T3DLut>();
  if (!Lut->SetSize(LUTSize)) return Lut;
  Lut->SetDefault();
  ProcessLUTPerChannelCurves(*Lut, *Lut, &CurveR, &CurveG, &CurveB);
  return Lut;
}

void ColorPairsFitChannelCurves(const TImage128& Source, const TImage128& Target,
                                const TBooleanArray& Excluded, TEnvelopeDots& HueCurve,
                                TEnvelopeDots& ChromaCurve, TEnvelopeDots& LightnessCurve,
                                bool /*ShowCurve*/) {
  for (TEnvelopeDots* C : {&HueCurve, &ChromaCurve, &LightnessCurve}) {
    C->Clear();
    C->SetCircular(true);
  }
  HueCurve.AllowNegative = true;
  LightnessCurve.AllowNegative = true;
  const int32_t N = std::min(Source.Size, Target.Size);
  const TRGBToVariableSingleProc Forward = CurrentRGBToModel.load();
  auto Usable = [&](int32_t I) {
    return !(size_t(I) < Excluded.size() && Excluded[size_t(I)]) && Source.Data[I].A > 0 &&
           Target.Data[I].A > 0;
  };
  float MaxChroma = 0, MaxSat = 0;
  for (int32_t I = 0; I < N; ++I) {
    const float Sat = Pixel128Saturation(Target.Data[I]);
    if (!Usable(I) || !(Sat > 0.1f)) continue;
    float X = 0, Y = 0, Z = 0;
    const TBGRAPixel128& S = Source.Data[I];
    Forward(S.R, S.G, S.B, X, Y, Z);
    MaxChroma = std::max(MaxChroma, std::sqrt(Y * Y + Z * Z));
    MaxSat = std::max(MaxSat, Sat);
  }
  constexpr double TwoPi = 2 * 3.14159265358979323846;
  for (int32_t I = 0; I < N; ++I) {
    if (!Usable(I) || !(Pixel128Saturation(Target.Data[I]) > 0.3f * MaxSat)) continue;
    const TBGRAPixel128 &S = Source.Data[I], &T = Target.Data[I];
    float X1 = 0, Y1 = 0, Z1 = 0, X2 = 0, Y2 = 0, Z2 = 0;
    Forward(S.R, S.G, S.B, X1, Y1, Z1);
    Forward(T.R, T.G, T.B, X2, Y2, Z2);
    double H1 = std::atan2(Y1, Z1), H2 = std::atan2(Y2, Z2);
    if (H1 < 0) H1 += TwoPi;
    if (H2 < 0) H2 += TwoPi;
    if (H2 - H1 > TwoPi / 2) H2 -= TwoPi;
    if (H2 - H1 < -TwoPi / 2) H2 += TwoPi;
    const float C1 = std::sqrt(Y1 * Y1 + Z1 * Z1), C2 = std::sqrt(Y2 * Y2 + Z2 * Z2);
    if (!(C1 > 0.2f * MaxChroma && X1 > 8 && X2 < 85)) continue;
    auto Rounded = [](double V) { return int32_t(std::nearbyint(V)); };
    const int32_t X = Rounded(H1 / TwoPi * 16384);
    HueCurve.AddDot(X, -Rounded((H2 - H1) / TwoPi * 32768), 100);
    ChromaCurve.AddDot(X, Rounded(double(C2) / C1 * 0.125 * 32768), 100);
    LightnessCurve.AddDot(X, Rounded(LumaModeCalcBrightness(X1, X2) / (C1 / 100) * 32768), 100);
  }
  HueCurve.SmoothCircularMedian(1024, 0.7f);
  HueCurve.CalcSpline();
}

}  // namespace kromel
