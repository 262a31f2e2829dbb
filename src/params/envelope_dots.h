// TEnvelopeDots: the curve model. Up to 131 integer dots, X on 0..16384 (the
// full input range), Y on 0..32767 (or -32767..32767 when AllowNegative),
// joined by straight lines, an Akima spline or a natural cubic spline.
//
// Every operation that changes dots recalculates the spline or clears
// SplineValid; code that writes Dots or NumDots directly does the same. The
// first evaluation (GetValueS, GetValue) after a change recalculates once,
// under a lock: several threads may evaluate one curve at once as long as
// nobody edits it meanwhile.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "params/notify_event.h"

namespace kromel {

class TByteStream;
class TCanvas;

constexpr int32_t EnvelopeMaxX = 16384;
constexpr int32_t EnvelopeMaxY = 32767;
constexpr int32_t EnvelopeMaxDots = 131;
// Dots plus two lead-in and up to four trailing extension records.
constexpr int32_t EnvelopeDotRecords = 137;

struct TCurveDotPoint {
  int32_t X = 0;
  int32_t Y = 0;
  // Bit 0: the segment from this dot to the next is straight (Akima only).
  int32_t Flags = 0;
};
static_assert(sizeof(TCurveDotPoint) == 12);

// Curve dot i is element i + 2; elements 0 and 1 are the lead-in extension
// dots -2 and -1, the elements after the last dot the trailing ones.
using TDotsArray = std::array<TCurveDotPoint, EnvelopeDotRecords>;

enum TSplineType : uint8_t { stAkima = 0, stPhotoshopSpline = 1 };

enum TCurveDefaultType : int32_t {
  cdtDiagonal = 0,
  cdtHorizontalZero = 1,
  cdtHorizontalMiddle = 2,
  cdtMaximum = 3
};

// What the curve asks of the editor control that shows it.
class TEnvelopeGraphControl {
public:
  virtual ~TEnvelopeGraphControl() = default;
  virtual void Invalidate() = 0;
};

class TEnvelopeDots {
public:
  TEnvelopeDots();
  TEnvelopeDots(const TEnvelopeDots&) = delete;
  TEnvelopeDots& operator=(const TEnvelopeDots&) = delete;

  TDotsArray Dots{};
  std::string Name;  // used in messages only
  int32_t NumDots = 0;
  // Straight-line results are scaled by (256 - Attenuation)/256.
  int32_t Attenuation = 0;
  // Nonzero: spline evaluation; 0: straight lines between the dots.
  int32_t Smooth = 1;
  // Entry d + 1 belongs to dot d (slope) or the segment from dot d.
  std::array<float, 134> AkimaSlope{};
  std::array<float, 134> AkimaQuad{};
  std::array<float, 134> AkimaCubic{};
  std::array<float, 132> SecondDerivs{};
  bool AllowNegative = false;
  bool Isolate = false;  // an isolated curve keeps its dots when a chunk loads
  int32_t Color = 0;     // $00BBGGRR
  int32_t SelectedDot = 0;
  TNotifyEvent OnChange;
  TEnvelopeGraphControl* GraphControl = nullptr;  // not owned
  int32_t PickerPosition = 0;
  bool Circular = false;  // periodic with period 16384 on X
  int32_t UpdateCount = 0;
  TSplineType SplineType = stAkima;
  // Cleared by edits, set by CalcSpline (released after the coefficients).
  std::atomic<bool> SplineValid{false};

  // Curve dot I (-2 .. NumDots + 4), the extension dots included.
  TCurveDotPoint& Dot(int32_t I) { return Dots[static_cast<size_t>(I + 2)]; }
  const TCurveDotPoint& Dot(int32_t I) const { return Dots[static_cast<size_t>(I + 2)]; }

  // ---- construction and state
  void SetDefault(TCurveDefaultType Kind);
  void ResetDiagonal(int32_t Count);
  void ResetHorizontal(int32_t Value, int32_t Count);
  void ResetMaximum(int32_t Count);
  void Clear();
  // Copies dots, count, circular flag, spline kind and coefficients; keeps
  // this curve's name, settings, selection and links.
  bool CopyFrom(const TEnvelopeDots* Source);
  void SetCircular(bool Value);
  void SetPickerPosition(int32_t Value);
  int32_t GetSelectedDotX() const;

  // ---- evaluation (read-only)
  float GetValueS(float X) const;
  // GetValueS rounded, halves to even; 0 for NaN, limited to the Int32 range.
  int32_t GetValue(int32_t X) const;

  // ---- spline calculation
  void CalcSpline();
  void CalcSplineAkima();
  void CalcSplinePhotoshop();
  void DotsToText(std::string& Text) const;

  // ---- flat normalised access
  float GetNormalizedValue(int32_t Index) const;
  void SetNormalizedValue(int32_t Index, float Value);

  // ---- dot editing
  int32_t AddDot(int32_t X, int32_t Y, int32_t MinDistance);
  void AddDotAndSelect(int32_t X, int32_t Y);
  void MoveSelectedDot(int32_t X, int32_t Y);
  void DeleteDot(int32_t Index);
  int32_t FindDot(int32_t X, int32_t Tolerance) const;
  void AddEndDots();
  void AddIntermediateDots(int32_t MaxStep);

  // ---- whole-curve reshaping
  void Transpose();
  void Invert();
  void BlendWithDiagonal(float Amount);
  void BlendToDiagonal(float Amount);
  void ApplyCurve(const TEnvelopeDots* Curve);
  void SetAverageOf(const TEnvelopeDots* A, const TEnvelopeDots* B, const TEnvelopeDots* C);
  void MakeBandCurve(int32_t Low, int32_t High, int32_t Falloff);
  void Randomize(int32_t Count);
  void StretchFrom(const TEnvelopeDots* Source, int32_t Index);
  void ExtendToEnds(bool ToZeroY, bool ToFullY, float Factor);

  // ---- clean-up
  void RepairDots();
  void SmoothXY();
  void SmoothCircularMedian(int32_t MaxWidth, float Amount);
  void ThinOut();
  void ThinOutCount(int32_t Count);
  void RemoveCloseDots(int32_t MinDistance);
  void ReduceDots(int32_t MaxCount);
  void TrimClippedEnds();
  bool RemoveShelfAreas();
  void RemoveNonMonotonicDots();
  void MakeMonotonous();

  // ---- drawing and the "EnvG" chunk
  void Draw(TCanvas* Canvas, int32_t Left, int32_t Top, int32_t Width, int32_t Height,
            int32_t Range, int32_t BaseOffset, bool ShowSelection, bool Inactive, bool Bold);
  bool SaveToStream(TByteStream& Stream) const;
  // False when no valid chunk was read; the curve is then unchanged.
  bool LoadFromStream(TByteStream& Stream);

private:
  // Serialises the recalculation a stale curve's evaluation makes.
  mutable std::mutex FSplineLock;
  // NumDots limited to 0..131, for indexing.
  int32_t Count() const;
  void Repaint();
  // The dot edits without the closing spline calculation.
  int32_t AddDotRaw(int32_t X, int32_t Y, int32_t MinDistance);
  void DeleteDotRaw(int32_t Index);
  void InsertDotRaw(int32_t Index, const TCurveDotPoint& P);
  // Recalculates when the spline is not valid, then evaluates: the lazy
  // step of the editing operations, which run on the editing thread.
  int32_t EditValue(int32_t X);
  void RemoveCloseDotsRaw(int32_t MinDistance);
  int32_t ThinOutCountRaw(int32_t Count);
};

}  // namespace kromel
