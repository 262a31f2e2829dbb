// Value models of the colour plate (an integer colour), the colour wheel
// (three sub-values: X, Y, brightness) and the multi-range bar (one to five
// dot positions), the last two editing their parameter's storage in place.
#pragma once
#include <array>
#include <string>

#include "controls/controller.h"
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
  int32_t GetControllerValue() override { return Color; }
  void SetControllerValue(int32_t Value) override { SetColor(Value); }
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
  // Dot Index (0..DotCount - 1) in the bound array, or in the own storage
  // when the array has no such entry (a load may resize it).
  int32_t& At(int32_t Index) const;
  // The position of a normalised value, or false for a NaN.
  bool PositionOfS(float Value, int32_t& P) const;
};

}  // namespace kromel
