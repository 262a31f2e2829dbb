#include "controls/multi_value_controls.h"

#include <algorithm>
#include <cmath>

namespace kromel {

namespace {

// Lo + round((Hi - Lo) * V) in single precision, halves to even; false for
// a value that gives no finite integer.
bool ScaledInteger(int32_t Lo, int32_t Hi, float V, int32_t& Out) {
  const float T = std::nearbyint(static_cast<float>(Lo) + static_cast<float>(Hi - Lo) * V);
  if (!(std::fabs(T) < 2.0e9f)) return false;
  Out = static_cast<int32_t>(T);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// TColorPlateControl

TColorPlateControl::TColorPlateControl(std::string Name, int32_t Color)
    : TController(std::move(Name)), Color(Color) {}

void TColorPlateControl::SetColor(int32_t C) {
  if (PlateIsolate) return;
  Color = C;
  WriteParameterInteger(C);
  if (Loading) return;
  if (OnChange) OnChange(this);
  if (OnChangeEnd) OnChangeEnd(this);
}

// ---------------------------------------------------------------------------
// TColorWheelControl

TColorWheelControl::TColorWheelControl(std::string Name, std::string Caption)
    : TController(std::move(Name), std::move(Caption)) {
  ControllersCount = 3;
}

TColorWheelControl::~TColorWheelControl() {
  if (FWheelParameter != nullptr) FWheelParameter->OnChange = nullptr;
}

void TColorWheelControl::ConnectToParameter(TControlledParameterColorWheel* P) {
  if (P == nullptr) return;
  FWheelParameter = P;
  Dot = &P->Point;
  P->OnChange = [this](void*) {
    if (OnChange) OnChange(this);
  };
}

float TColorWheelControl::GetSubControllerValueS(int32_t Index) {
  if (MinX == MaxX || MinY == MaxY) return 0;
  double V;
  if (Index == 2)
    V = (Dot->Brightness + 128) / 256.0;
  else if (Index == 1)
    V = static_cast<double>(Dot->Y - MinY) / (MaxY - MinY);
  else
    V = static_cast<double>(Dot->X - MinX) / (MaxX - MinX);
  return static_cast<float>(V);
}

void TColorWheelControl::SetSubControllerValueS(int32_t Index, float Value) {
  int32_t* Field = Index == 2 ? &Dot->Brightness : Index == 1 ? &Dot->Y : &Dot->X;
  int32_t V = 0;
  bool Ok;
  if (Index == 2)
    Ok = ScaledInteger(-128, 128, Value, V);
  else if (Index == 1)
    Ok = ScaledInteger(MinY, MaxY, Value, V);
  else
    Ok = ScaledInteger(MinX, MaxX, Value, V);
  if (!Ok || V == *Field) return;
  *Field = V;
  if (OnChange) OnChange(this);
  if (OnChangeEnd) OnChangeEnd(this);
}

void TColorWheelControl::ResetDot() {
  Dot->X = Dot->Y = Dot->Brightness = 0;
  if (OnChange) OnChange(this);
  if (OnChangeEnd) OnChangeEnd(this);
}

// ---------------------------------------------------------------------------
// TMultiRangeControl

TMultiRangeControl::TMultiRangeControl(std::string Name, int32_t Count)
    : TController(std::move(Name)) {
  SetDotCount(Count);
  SetDotPosition(0, 0);
  SetDotPosition(1, 100);
}

TMultiRangeControl::~TMultiRangeControl() {
  if (FArrayParameter != nullptr) FArrayParameter->OnChange = nullptr;
}

void TMultiRangeControl::ConnectToParameter(TControlledParameterIntegerArray* P) {
  if (P == nullptr || static_cast<int32_t>(P->Values.size()) < DotCount) return;
  FArrayParameter = P;
  P->OnChange = [this](void*) {
    if (OnChange) OnChange(this);
  };
}

int32_t& TMultiRangeControl::At(int32_t Index) const {
  if (FArrayParameter != nullptr && Index < static_cast<int32_t>(FArrayParameter->Values.size()))
    return FArrayParameter->Values[static_cast<size_t>(Index)];
  return FOwn[static_cast<size_t>(Index)];
}

int32_t TMultiRangeControl::GetDotPosition(int32_t Index) const {
  return At(std::clamp(Index, 0, DotCount - 1));
}

void TMultiRangeControl::SetDotPosition(int32_t Index, int32_t Value) {
  Index = std::clamp(Index, 0, DotCount - 1);
  Value = std::max(Value, Min + Index);
  Value = std::min(Value, Max - DotCount + Index + 1);
  if (At(Index) == Value) return;
  At(Index) = Value;
  for (int32_t I = Index - 1; I >= 0; --I)
    if (At(I) >= Value) At(I) = Value - 1;
  for (int32_t I = Index + 1; I < DotCount; ++I)
    if (At(I) <= Value) At(I) = Value + 1;
  if (!Loading && OnChange) OnChange(this);
}

float TMultiRangeControl::GetDotPositionS(int32_t Index) const {
  if (Max <= Min) return 0;
  return static_cast<float>(static_cast<double>(GetDotPosition(Index) - Min) / (Max - Min));
}

bool TMultiRangeControl::PositionOfS(float Value, int32_t& P) const {
  const float V = Reverse ? 1.0f - Value : Value;
  const float T = static_cast<float>(Max - Min) * V + 0.5f;
  if (std::isnan(T)) return false;
  P = Min + static_cast<int32_t>(std::clamp(T, -1.0f, static_cast<float>(Max - Min) + 1.0f));
  return true;
}

void TMultiRangeControl::SetDotPositionS(int32_t Index, float Value) {
  int32_t P = 0;
  if (!GetIsolate() && PositionOfS(Value, P)) SetDotPosition(Index, P);
}

void TMultiRangeControl::SetDotPositionSSilent(int32_t Index, float Value) {
  int32_t P = 0;
  if (GetIsolate() || !PositionOfS(Value, P)) return;
  At(std::clamp(Index, 0, DotCount - 1)) = std::clamp(P, Min, std::max(Min, Max));
}

void TMultiRangeControl::SetDotCount(int32_t Value) {
  DotCount = std::clamp(Value, 1, MaxDots);
  ControllersCount = DotCount;
}

float TMultiRangeControl::GetControllerValueS() {
  if (Max == Min) return 0;
  const float V = static_cast<float>(static_cast<double>(At(0) - Min) / (Max - Min));
  return Reverse ? 1.0f - V : V;
}

float TMultiRangeControl::GetSubControllerValueS(int32_t Index) {
  return GetDotPositionS(std::clamp(Index, 0, ControllersCount - 1));
}

void TMultiRangeControl::SetSubControllerValueS(int32_t Index, float Value) {
  SetDotPositionS(std::clamp(Index, 0, ControllersCount - 1), Value);
}

}  // namespace kromel
