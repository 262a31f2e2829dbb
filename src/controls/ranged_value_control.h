// An integer value between Min and Max with its normalised form, the
// controller interface over it (0..32768) and the change events: the common
// model of the knob and the label box.
#pragma once
#include <cstdint>
#include <string>

#include "controls/controller.h"

namespace kromel {

class TRangedValueControl : public TController {
public:
  using TController::TController;

  int32_t Value = 0;
  int32_t Min = 0;
  int32_t Max = 200;
  bool ValueChanged = false;
  TNotifyEvent OnChange;
  TNotifyEvent OnChangeEnd;
  // A change that needs a repaint (silent ones included).
  TNotifyEvent OnInvalidate;

  // Clamped into the range; nothing for an empty range or the same value.
  void SetValue(int32_t V);
  void SetMin(int32_t V);
  // Keeps the value's relative position in the range.
  void SetMax(int32_t V);
  float GetNormalizedValue() const;
  void SetNormalizedValue(float X);
  void SetNormalizedValueSilent(float X);

  int32_t GetControllerValue() override;
  void SetControllerValue(int32_t V) override;
  float GetControllerValueS() override { return GetNormalizedValue(); }
  void SetControllerValueS(float X) override;
  void SetControllerValueSSilent(float X) override;

protected:
  // Tells the controller registry the current value.
  void ReportValue();
  virtual void Invalidated() {
    if (OnInvalidate) OnInvalidate(this);
  }
};

}  // namespace kromel
