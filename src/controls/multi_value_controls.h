// Value models of the colour plate (an integer colour), the colour wheel
// (three sub-values: X, Y, brightness) and the multi-range bar (one to five
// dot positions), the last two editing their parameter's storage in place.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "controls/control_input.h"
#include "controls/controller.h"
#include "images/image_header.h"
#include "params/composite_parameters.h"

namespace kromel {

class TColorPlateControl : public TController {
public:
  explicit TColorPlateControl(std::string Name = {}, int32_t Color = 0);

  int32_t Color = 0;
  // The plate's own flag: SetColor is ignored while it is set.
  bool PlateIsolate = false;
  bool Loading = false;
  TNotifyEvent OnChange;
  TNotifyEvent OnChangeEnd;

  std::string ClassName() const override { return "TVelColorPlate"; }
  void SetColor(int32_t C);
  // The colour picked in the double-click dialog: set as SetColor does, so
  // a bound parameter receives it, even on an isolated plate.
  void ColorChosen(int32_t C);
  int32_t GetControllerValue() override { return Color; }
  // Not while the plate writes its own parameter: one event pair per pick.
  void SetControllerValue(int32_t Value) override {
    if (ParameterLock == 0) SetColor(Value);
  }

  // The colour's rectangle and the four frame strips of a W x H plate.
  struct TPlateRects {
    TRect Fill;
    std::array<TRect, 4> Frame;  // empty when Bevel is 0
  };
  static TPlateRects Rects(int32_t W, int32_t H, int32_t Bevel);

private:
  void ApplyColor(int32_t C);
};

class TColorWheelControl : public TController {
public:
  explicit TColorWheelControl(std::string Name = {}, std::string Caption = {});
  ~TColorWheelControl() override;

  TCWDotPoint OwnDot;
  // The point edited: the own one, or the bound parameter's.
  TCWDotPoint* Dot = &OwnDot;
  int32_t MinX = -100, MaxX = 100, MinY = -100, MaxY = 100;
  TNotifyEvent OnChange;
  TNotifyEvent OnChangeEnd;

  std::string ClassName() const override { return "TColorWheelController"; }
  // Uses the parameter's point in place; nothing is pushed either way.
  void ConnectToParameter(TControlledParameterColorWheel* P);
  float GetSubControllerValueS(int32_t Index) override;
  void SetSubControllerValueS(int32_t Index, float Value) override;
  void ResetDot();
  bool IsZero() const { return Dot->X == 0 && Dot->Y == 0 && Dot->Brightness == 0; }

  // ---- geometry and gestures; Caption (non-empty) takes a 15-pixel strip
  int32_t Width = 0, Height = 0;
  int32_t Margin = 0;
  int32_t ZoomX = 200, ZoomY = 200;
  int32_t ZeroX = 0, ZeroY = 0;
  int32_t DrawWidth = 0, DrawHeight = 0;
  bool RulerShowCenter = true;
  bool RulerShowDiagonal = false;
  bool AllowBrightnessEdit = true;
  bool AllowPointsMove = true;
  bool ShowValues = false;
  int32_t CursorColor = 0xC0C0C0;
  bool Pressed = false;
  bool Dragging = false;
  bool EditingBrightness = false;
  int32_t BrightnessLastY = 0;
  // The value hint's text while dragging with ShowValues.
  std::string Hint;
  TNotifyEvent OnChangeStart;
  TNotifyEvent OnChangeStep;
  // The point changed from outside (a parameter change): repaint.
  TNotifyEvent OnInvalidate;

  // Each sets its range end and makes the zoom span the range.
  void SetMinX(int32_t V);
  void SetMaxX(int32_t V);
  void SetMinY(int32_t V);
  void SetMaxY(int32_t V);
  void SetMargin(int32_t V);
  void SetBounds(int32_t W, int32_t H);
  // Drawing size and the pixel of value 0.
  void CalcZero();
  // Value to pixel (ToPixels) or pixel to value; (0, 0) for an empty zoom
  // or size.
  TPoint Calibrate(int32_t X, int32_t Y, bool ToPixels) const;
  void MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y);
  // True when the widget is to show Hint.
  bool MouseMove(TModifiers Shift, int32_t X, int32_t Y);
  void MouseUp();
  // Arrows move the dot (by 1 with Ctrl or Shift, else 10), keypad + and -
  // the brightness; nothing with Alt. True when the key was used.
  bool KeyDown(uint16_t Key, TModifiers Shift);
  void MoveDotBy(int32_t DX, int32_t DY, int32_t DB);
  // Random(n) is uniform in 0..n-1.
  void Randomize(const std::function<int32_t(int32_t)>& Random);
  // The dot's fill: the brightness as grey, or the point's colour.
  int32_t DotFillColor() const;
  // The ruler lines in pixels (quarter grid, then the diagonals).
  std::vector<std::pair<TPoint, TPoint>> RulerLines() const;

private:
  TControlledParameterColorWheel* FWheelParameter = nullptr;
};

class TMultiRangeControl : public TController {
public:
  static constexpr int32_t MaxDots = 5;

  explicit TMultiRangeControl(std::string Name = {}, int32_t DotCount = 2);
  ~TMultiRangeControl() override;

  int32_t Min = 0;
  int32_t Max = 100;
  bool Reverse = false;
  bool Loading = false;
  int32_t DotCount = 2;
  TNotifyEvent OnChange;

  std::string ClassName() const override { return "TMultiRangeScrollBar"; }

  // ---- geometry and gestures (the widget sets the size and thumb picture)
  bool Vertical = false;
  int32_t Width = 0, Height = 16;
  int32_t ThumbPictureWidth = 0, ThumbPictureHeight = 0;
  int32_t ThumbSize = 16;
  int32_t ThumbWidth = 32, ThumbHeight = 16;
  bool Stretched = false;
  int32_t ThumbArea = 0;
  int32_t ShadowSize = 0;
  int32_t TrackLength = 0;
  bool HintShowOnPress = false;
  // Outline colour of each thumb; -1 hides it (it stays pickable).
  std::array<int32_t, MaxDots> DotColors{};
  int32_t PickedDot = -1;
  bool Dragging = false;
  bool FineDrag = false;
  int32_t GrabOffset = 0;
  int32_t StartPosition = 0;
  TNotifyEvent OnChangeStart;
  TNotifyEvent OnChangeEnd;
  // The positions changed from outside (a parameter change): repaint.
  TNotifyEvent OnInvalidate;

  // Dots below Min are raised to it (above Max lowered); no events.
  void SetMin(int32_t Value);
  void SetMax(int32_t Value);
  // Dot Index's thumb and the rail.
  void UpdateThumbSize(int32_t Index, TRect& Thumb, TRect& Rail);
  // The dot whose thumb centre lies within ThumbSize / 2 + 1 pixels of X
  // (the last such), -1 for none.
  int32_t FindThumbAt(int32_t X);
  // True when the widget is to show the value hint.
  bool MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y);
  void MouseMove(int32_t X, int32_t Y);
  void MouseUp();
  // The dots the positions really hold: DotCount, or fewer when the bound
  // array is shorter.
  int32_t UsableDots() const;

  // Uses the parameter's values in place (at least DotCount of them);
  // nothing is pushed either way.
  void ConnectToParameter(TControlledParameterIntegerArray* P);
  int32_t GetDotPosition(int32_t Index) const;
  // The constrained write that pushes the neighbours along.
  void SetDotPosition(int32_t Index, int32_t Value);
  float GetDotPositionS(int32_t Index) const;
  void SetDotPositionS(int32_t Index, float Value);
  void SetDotPositionSSilent(int32_t Index, float Value);
  void SetDotCount(int32_t Value);

  int32_t GetControllerValue() override { return GetDotPosition(0); }
  void SetControllerValue(int32_t Value) override { SetDotPosition(0, Value); }
  float GetControllerValueS() override;
  void SetControllerValueS(float Value) override { SetDotPositionS(0, Value); }
  void SetControllerValueSSilent(float Value) override { SetDotPositionSSilent(0, Value); }
  float GetSubControllerValueS(int32_t Index) override;
  void SetSubControllerValueS(int32_t Index, float Value) override;

private:
  mutable std::array<int32_t, MaxDots> FOwn{};
  TControlledParameterIntegerArray* FArrayParameter = nullptr;
  // Dot Index (0..UsableDots() - 1) in the bound array or the own storage.
  int32_t& At(int32_t Index) const;
  // The position of a normalised value, or false for a NaN.
  bool PositionOfS(float Value, int32_t& P) const;
};

}  // namespace kromel
