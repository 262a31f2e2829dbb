// T2DEnvelopeDots: the dot-grid model behind every colour grid. ColCount x
// RowCount movable dots, each with a current and a default (rest) position,
// laid out in columns and rows (rectangular) or in angle sectors and rings
// from the centre to the rim (circular). Angles are measured from the +Y axis
// towards +X: the angle of (x, y) is atan2(x, y).
//
// The dot arrays are indexed [column][row]. Every routine indexes them only
// within their real extent, so a grid whose counts were written directly is
// still safe to use; the sizing routines keep counts and arrays equal.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "params/notify_event.h"

namespace kromel {

class TByteStream;
class TCanvas;

// Size of a dot record in the "DGRD" chunk.
constexpr int32_t DotPointRecordSize = 50;
// Columns and rows a "DGRD" chunk may hold.
constexpr int32_t DotGridMaxCount = 256;
// TDotPoint::State of a pinned dot during spreading.
constexpr int16_t DotStatePinned = 100;

// One grid dot. Its file form is the 50-byte record written by ToRecord:
// little-endian fields packed in declaration order.
struct TDotPoint {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Spare1 = 0;
  int32_t Color = 0;
  int32_t Z = 0;       // brightness offset
  int16_t Count = 0;   // spreading: contributions summed into the dot
  int16_t State = 0;   // spreading: how the dot got its value (100 pinned)
  int32_t Spare2 = 0;
  int32_t Spare3 = 0;
  bool Pinned = false;  // placed; a source for the spreading
  bool Spare4 = false;
  bool Selected = false;
  bool Active = false;
  float U = 0;  // col / (ColCount - 1)
  float V = 0;  // row / (RowCount - 1)
  bool Excluded = false;
  bool Empty = false;  // pattern mode: never an anchor, stops the spreading
  int32_t MarkColor = 0;

  // sqrt(X^2 + Y^2), rounded.
  int32_t GetDistance() const;
  // Turns the dot about the origin; its angle decreases by Angle.
  void Rotate(float Angle);
  // Same direction, distance D; nothing for a dot at the origin.
  void SetDistance(int32_t D);
  void Scale(float Factor);
  float GetAngle() const;
  void SetAngle(float Angle);
  // X, Y, Z and Color.
  void AssignValues(const TDotPoint& Source);
  // X, Y, Z, Pinned and Color.
  void AssignValuesAndPin(const TDotPoint& Source);

  void ToRecord(uint8_t (&Record)[DotPointRecordSize]) const;
  // Booleans read as "byte is not 0".
  void FromRecord(const uint8_t (&Record)[DotPointRecordSize]);
};

using TDotColumns = std::vector<std::vector<TDotPoint>>;

class T2DEnvelopeDots {
public:
  T2DEnvelopeDots() = default;

  std::string Name;
  TDotColumns Dots;         // [col][row]
  TDotColumns DefaultDots;  // [col][row]
  std::vector<std::vector<std::string>> Labels;
  int32_t MaxY = 0;
  int32_t MinY = 0;
  int32_t MinX = 0;
  int32_t MaxX = 0;
  int32_t RowCount = 0;
  int32_t ColCount = 0;
  bool Circular = false;
  bool Rotated = false;  // the editor shows the axes turned by 45 degrees
  TNotifyEvent OnChange;  // sender: the grid
  bool PatternMode = false;
  bool AllPinned = false;
  bool ClickOption = true;
  bool NeedsInterpolation = false;
  int32_t CurCol = -1;
  int32_t CurRow = -1;
  int32_t HotCol = -1;
  int32_t HotRow = -1;
  std::vector<std::vector<bool>> SavedSelection;

  // ---- size and copying
  // Negative counts count as 0. The same size changes nothing; another
  // keeps the overlapping dots, zero-fills the new ones, marks every dot
  // active and sets U, V.
  void SetSize(int32_t Cols, int32_t Rows);
  void SetRowCount(int32_t N);
  void SetColCount(int32_t N);
  void SetRanges(int32_t NewMinX, int32_t NewMinY, int32_t NewMaxX, int32_t NewMaxY);
  // Ranges, Circular, size and both dot arrays; nothing else.
  void Assign(const T2DEnvelopeDots& Source);
  void FreeDots();
  // Resamples to a new size through the interpolation, keeping the
  // displacement; Margin other than 0 sets the ranges to -Margin..Margin.
  void Resize(int32_t Cols, int32_t Rows, bool NewCircular, int32_t Margin);

  // ---- layouts and defaults
  void InitializeRectangular(bool ActivateAll);
  // One row lays every dot at the centre. Sets only X and Y of the defaults.
  void InitializeCircular(bool ActivateAll);
  void StoreAsDefault();
  // X, Y, Color, U and V of every dot into its default.
  void StoreDefaultPositions();
  bool IsDefault() const;

  // ---- lookup; both give indices inside the grid (-1 for an empty axis)
  void GetDotAt(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const;
  void GetCellAt(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const;

  // ---- the "DGRD" chunk
  bool SaveToStream(TByteStream& Stream, const std::string& ChunkName) const;
  // True when a chunk was read. Anything else leaves the grid and the
  // stream position as they were.
  bool LoadFromStream(TByteStream& Stream, bool ShowErrors);

  // ---- mapping through the displaced dots (in grid units, in-out)
  // A grid of fewer than 2 columns or rows, zero ranges or a NaN point
  // leave the point unchanged.
  void Interpolation(float& X, float& Y, float& Z) const;
  // The same for a walk over many points: N = Cols(), M = Rows(), taken
  // once while the grid does not change.
  void Interpolation(float& X, float& Y, float& Z, int32_t N, int32_t M) const;
  // Sel: how strongly the point belongs to the selection (0..1).
  void InterpolationSelection(float& X, float& Y, float& Z, float& Sel) const;
  // W: the weight of dot (Col, Row) at the point (0..1).
  void InterpolationSelectionDot(float& X, float& Y, float& Z, float& W, int32_t Col,
                                 int32_t Row) const;
  static float PointDistance(float X1, float Y1, float X2, float Y2);
  void BakeInterpolation();

  // ---- spreading to the unpinned dots (no OnChange)
  void InterpolateUntouchedDots();
  void InterpolateUntouchedDotsPattern();

  // ---- selection
  void SelectAll();
  void DeselectAll();
  void InvertSelection();
  void GrowSelection();
  void SelectInRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);
  int32_t GetSelectedCount() const;
  void FindFarthestSelected(int32_t& Col, int32_t& Row) const;
  void FindNearestActiveDot(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const;
  void ToggleSelectedFlag();

  // ---- pins
  void PinAll();
  void PinSelected();
  void UnPinSelected();
  // Removes every pin the spreading reproduces (corners stay pinned).
  void UnPinAll();

  // ---- moves, resets and blends (A in 0..1)
  void MoveSelected(int32_t DX, int32_t DY, int32_t DZ);
  void AddZ(int32_t D);
  void ClampZ();
  void ResetZ(bool OnlySelected);
  void ResetX();
  void BlendYToDefault(float A);
  void ResetCentreDots();
  void ResetToDefault();
  void ResetSelected(bool KeepPosition, bool Pin);
  void BlendToDefault(bool AllDots, bool KeepXY, float A);
  void BlendWith(const T2DEnvelopeDots& Other, float A);
  void ResetAngle(bool OnlySelected);
  void BlendAngleToDefault(bool OnlySelected, float A);
  void ResetDistance(bool OnlySelected);
  void RotateAround(int32_t CX, int32_t CY, float Angle);
  void SetSectorScale(int32_t Sector, float Factor);
  void SetSectorSaturation(int32_t Sector, int32_t Luma, float Factor);

  // ---- queries and events
  int32_t GetMeanActiveX() const;
  int32_t GetMeanActiveY() const;
  void DoChange();

  // ---- range fixing, smoothing, tensions
  void FixGrid();
  void FixGridSavingAngle();
  void Smooth(bool DoX, bool DoY, bool DoZ, bool SkipMiddle, bool KeepSum, bool OnlySelected);
  void SmoothNinePoint(bool ZOnly);
  int32_t GetMaxTension() const;
  int32_t GetMinTension() const;
  void SmoothTensions(int32_t Threshold);
  void RemoveOverlappings();
  void PullInPushOut(float X, float Y, float Strength, bool FromDefaults, bool AllDots, bool DoX,
                     bool DoY, bool TurnOnly);

  // ---- random shapes
  void RandomizeCorners(int32_t Amount, bool KeepLast);
  void RandomizeEdges(int32_t Amount, bool KeepLast);
  void RandomizeCurveCorners();
  void RandomizeDots(int32_t Count, int32_t Amount);
  void RandomizeRimAngles();

  // Column and row counts that index both dot arrays safely.
  int32_t Cols() const;
  int32_t Rows() const;

private:
  // Steps 4 to 10 of the spreading, on this grid.
  void SpreadDots(bool Pattern);
  void SmoothBorder(bool DoX, bool DoY, bool DoZ, bool OnlySelected);
  void SmoothDot(int32_t C, int32_t R);
  void SectorScale(int32_t Sector, float Factor, bool SetLuma, int32_t Luma);
  // Corner 0: (0, M-1), 1: (N-1, 0), 2: (N-1, M-1), 3: (0, 0).
  void SlideCorner(int32_t Corner, int32_t D);
  bool IsCorner(int32_t C, int32_t R) const;
  void CopyCentreToAllColumns(int32_t FromCol);
};

// A white cross of two diagonals with a black shadow one pixel below it.
void DrawDotCross(TCanvas* Canvas, int32_t X, int32_t Y, int32_t Size);

}  // namespace kromel
