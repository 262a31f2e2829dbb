#include "controls/multi_value_controls.h"

#include <algorithm>
#include <cmath>

#include "foundation/number_format.h"

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
  if (!PlateIsolate) ApplyColor(C);
}

void TColorPlateControl::ColorChosen(int32_t C) { ApplyColor(C); }

TColorPlateControl::TPlateRects TColorPlateControl::Rects(int32_t W, int32_t H, int32_t Bevel) {
  TPlateRects R;
  R.Fill = {Bevel, Bevel, W - Bevel, H - Bevel};
  if (Bevel > 0)
    R.Frame = {TRect{0, 0, W, Bevel}, TRect{0, 0, Bevel, H}, TRect{W - Bevel, 0, W, H},
               TRect{0, H - Bevel, W, H}};
  return R;
}

void TColorPlateControl::ApplyColor(int32_t C) {
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
    if (OnInvalidate) OnInvalidate(this);
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
  if (OnInvalidate) OnInvalidate(this);
  if (OnChange) OnChange(this);
  if (OnChangeEnd) OnChangeEnd(this);
}

void TColorWheelControl::ResetDot() {
  Dot->X = Dot->Y = Dot->Brightness = 0;
  if (OnInvalidate) OnInvalidate(this);
  if (OnChange) OnChange(this);
  if (OnChangeEnd) OnChangeEnd(this);
}

void TColorWheelControl::SetMinX(int32_t V) {
  MinX = V;
  ZoomX = MaxX - MinX;
  CalcZero();
}

void TColorWheelControl::SetMaxX(int32_t V) {
  MaxX = V;
  ZoomX = MaxX - MinX;
  CalcZero();
}

void TColorWheelControl::SetMinY(int32_t V) {
  MinY = V;
  ZoomY = MaxY - MinY;
  CalcZero();
}

void TColorWheelControl::SetMaxY(int32_t V) {
  MaxY = V;
  ZoomY = MaxY - MinY;
  CalcZero();
}

void TColorWheelControl::SetMargin(int32_t V) {
  Margin = V;
  CalcZero();
}

void TColorWheelControl::SetBounds(int32_t W, int32_t H) {
  Width = W;
  Height = H;
  CalcZero();
}

void TColorWheelControl::CalcZero() {
  const bool HasCaption = !Caption.empty();
  DrawWidth = Width - 2 * Margin;
  DrawHeight = Height - 2 * Margin - (HasCaption ? 15 : 0);
  const int64_t RX = static_cast<int64_t>(MaxX) - MinX;
  ZeroX = RX > 0 ? static_cast<int32_t>(static_cast<int64_t>(Width) * -static_cast<int64_t>(MinX) / RX) : 0;
  const int64_t RY = static_cast<int64_t>(MaxY) - MinY;
  ZeroY = RY != 0 ? static_cast<int32_t>(static_cast<int64_t>(DrawHeight) * -static_cast<int64_t>(MinY) / RY +
                                         Margin)
                  : 0;
  if (HasCaption) ZeroY += 15;
  if (OnInvalidate) OnInvalidate(this);
}

TPoint TColorWheelControl::Calibrate(int32_t X, int32_t Y, bool ToPixels) const {
  if (ZoomX <= 0 || ZoomY <= 0 || Width <= 0 || Height <= 0) return {0, 0};
  auto Narrow = [](int64_t V) {
    return static_cast<int32_t>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX));
  };
  if (ToPixels)
    return {Narrow(static_cast<int64_t>(DrawWidth) * X / ZoomX + ZeroX),
            Narrow(static_cast<int64_t>(DrawHeight) * -static_cast<int64_t>(Y) / ZoomY + Height - 1 - ZeroY)};
  // A drawing area used up by margins and caption maps every pixel to 0.
  const int64_t VX =
      DrawWidth != 0 ? (static_cast<int64_t>(X) - ZeroX) * ZoomX / DrawWidth + 1 : 0;
  const int64_t VY =
      DrawHeight != 0 ? (static_cast<int64_t>(Height) - Y - 1 - ZeroY) * ZoomY / DrawHeight : 0;
  return {Narrow(VX), Narrow(VY)};
}

void TColorWheelControl::MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y) {
  (void)Button;
  (void)X;
  Pressed = true;
  if (OnChangeStart) OnChangeStart(this);
  Dragging = (Shift & modAlt) == 0;
  EditingBrightness = (Shift & modShift) != 0 && Dragging;
  BrightnessLastY = Y;
  if ((Shift & modDouble) == 0) return;
  if ((Shift & modShift) != 0) {
    Dot->Brightness = 0;
  } else {
    Dot->X = Dot->Y = Dot->Brightness = 0;
  }
  if (OnInvalidate) OnInvalidate(this);
  if (OnChange) OnChange(this);
  if (OnChangeEnd) OnChangeEnd(this);
  Dragging = EditingBrightness = false;
}

bool TColorWheelControl::MouseMove(TModifiers Shift, int32_t X, int32_t Y) {
  if (Pressed && AllowPointsMove) {
    Pressed = false;
    Dragging = (Shift & modAlt) == 0;
    EditingBrightness = (Shift & modShift) != 0 && Dragging;
    BrightnessLastY = Y;
  }
  if (EditingBrightness) {
    if (BrightnessLastY <= -10000) BrightnessLastY = Y;
    Dot->Brightness = static_cast<int32_t>(std::clamp<int64_t>(
        static_cast<int64_t>(Dot->Brightness) + BrightnessLastY - Y, -128, 128));
    BrightnessLastY = Y;
    if (OnChange) OnChange(this);
    return false;
  }
  if (!Dragging) return false;
  const TPoint V = Calibrate(X, Y, false);
  bool ShowHint = false;
  if (ShowValues) {
    Hint = FloatToStrD1(static_cast<float>(V.Y / 327.67));
    ShowHint = true;
  }
  Dot->X = std::min(std::max(V.X, MinX), MaxX);
  Dot->Y = std::clamp(V.Y, std::min(MinY, MaxY), std::max(MinY, MaxY));
  if (OnChange) OnChange(this);
  return ShowHint;
}

void TColorWheelControl::MouseUp() {
  Pressed = false;
  if (!Dragging && !EditingBrightness) return;
  if (OnChangeEnd) OnChangeEnd(this);
  Dragging = EditingBrightness = false;
  if (OnChange) OnChange(this);
}

bool TColorWheelControl::KeyDown(uint16_t Key, TModifiers Shift) {
  if ((Shift & modAlt) != 0) return false;
  const bool Ctrl = CtrlHeld(Shift);
  const int32_t Step = Ctrl || (Shift & modShift) != 0 ? 1 : 10;
  switch (Key) {
    case vkLeft: MoveDotBy(-Step, 0, 0); return true;
    case vkUp: MoveDotBy(0, Step, 0); return true;
    case vkRight: MoveDotBy(Step, 0, 0); return true;
    case vkDown: MoveDotBy(0, -Step, 0); return true;
    case vkAdd:
      if (Ctrl) return false;
      MoveDotBy(0, 0, Step);
      return true;
    case vkSubtract:
      if (Ctrl) return false;
      MoveDotBy(0, 0, -Step);
      return true;
    default: return false;
  }
}

void TColorWheelControl::MoveDotBy(int32_t DX, int32_t DY, int32_t DB) {
  if (MinY > MaxY) DY = -DY;
  auto Limit = [](int64_t V, int32_t Lo, int32_t Hi) {
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(V, Lo), Hi));
  };
  Dot->X = Limit(static_cast<int64_t>(Dot->X) + DX, MinX, MaxX);
  Dot->Y = Limit(static_cast<int64_t>(Dot->Y) + DY, MinY, MaxY);
  Dot->Brightness = Limit(static_cast<int64_t>(Dot->Brightness) + DB, -128, 128);
  if (OnInvalidate) OnInvalidate(this);
  if (OnChangeStep) OnChangeStep(this);
  if (OnChange) OnChange(this);
}

void TColorWheelControl::Randomize(const std::function<int32_t(int32_t)>& Random) {
  Dot->X = (Random(MaxX - MinX) + MinX) / 2;
  Dot->Y = (Random(MaxY - MinY) + MinY) / 2;
  if (OnInvalidate) OnInvalidate(this);
  if (OnChange) OnChange(this);
  if (OnChangeEnd) OnChangeEnd(this);
}

int32_t TColorWheelControl::DotFillColor() const {
  if (!AllowBrightnessEdit) return Dot->Color;
  const int32_t G = std::clamp(Dot->Brightness + 128, 0, 255);
  return G * 0x010101;
}

std::vector<std::pair<TPoint, TPoint>> TColorWheelControl::RulerLines() const {
  std::vector<std::pair<TPoint, TPoint>> L;
  auto Line = [&](int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
    L.emplace_back(Calibrate(X1, Y1, true), Calibrate(X2, Y2, true));
  };
  const int32_t RX = MaxX - MinX, RY = MaxY - MinY;
  if (RulerShowCenter) {
    Line(MinX, MinY + RY / 2, MaxX, MinY + RY / 2);
    Line(MinX + RX / 2, MinY, MinX + RX / 2, MaxY);
    Line(MinX, MinY + RY / 4, MaxX, MinY + RY / 4);
    Line(MinX + RX / 4, MinY, MinX + RX / 4, MaxY);
    Line(MinX, MinY + (3 * MaxY - 3 * MinY) / 4, MaxX, MinY + (3 * MaxY - 3 * MinY) / 4);
    Line(MinX + (3 * MaxX - 3 * MinX) / 4, MinY, MinX + (3 * MaxX - 3 * MinX) / 4, MaxY);
  }
  if (RulerShowDiagonal) {
    Line(MinX, MinY, MaxX, MaxY);
    Line(MaxX, MinY, MinX, MaxY);
  }
  return L;
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
    if (OnInvalidate) OnInvalidate(this);
    if (OnChange) OnChange(this);
  };
}

int32_t TMultiRangeControl::UsableDots() const {
  if (FArrayParameter == nullptr) return DotCount;
  return std::min(DotCount, static_cast<int32_t>(std::min<size_t>(FArrayParameter->Values.size(), MaxDots)));
}

int32_t& TMultiRangeControl::At(int32_t Index) const {
  if (FArrayParameter != nullptr) return FArrayParameter->Values[static_cast<size_t>(Index)];
  return FOwn[static_cast<size_t>(Index)];
}

int32_t TMultiRangeControl::GetDotPosition(int32_t Index) const {
  const int32_t N = UsableDots();
  return N > 0 ? At(std::clamp(Index, 0, N - 1)) : Min;
}

void TMultiRangeControl::SetDotPosition(int32_t Index, int32_t Value) {
  // Never past the end of a bound array that a load made shorter.
  const int32_t N = UsableDots();
  if (N <= 0) return;
  Index = std::clamp(Index, 0, N - 1);
  int64_t V = std::max<int64_t>(Value, static_cast<int64_t>(Min) + Index);
  V = std::min<int64_t>(V, static_cast<int64_t>(Max) - N + Index + 1);
  Value = static_cast<int32_t>(V);
  if (At(Index) == Value) return;
  At(Index) = Value;
  for (int32_t I = Index - 1; I >= 0; --I)
    if (At(I) >= Value) At(I) = Value - 1;
  for (int32_t I = Index + 1; I < N; ++I)
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
  const int32_t N = UsableDots();
  if (N <= 0 || GetIsolate() || !PositionOfS(Value, P)) return;
  At(std::clamp(Index, 0, N - 1)) = std::clamp(P, Min, std::max(Min, Max));
  if (OnInvalidate) OnInvalidate(this);
}

void TMultiRangeControl::SetDotCount(int32_t Value) {
  DotCount = std::clamp(Value, 1, MaxDots);
  ControllersCount = DotCount;
}

float TMultiRangeControl::GetControllerValueS() {
  if (Max == Min) return 0;
  const float V = static_cast<float>(static_cast<double>(GetDotPosition(0) - Min) / (Max - Min));
  return Reverse ? 1.0f - V : V;
}

float TMultiRangeControl::GetSubControllerValueS(int32_t Index) {
  return GetDotPositionS(std::clamp(Index, 0, ControllersCount - 1));
}

void TMultiRangeControl::SetSubControllerValueS(int32_t Index, float Value) {
  SetDotPositionS(std::clamp(Index, 0, ControllersCount - 1), Value);
}

void TMultiRangeControl::SetMin(int32_t Value) {
  Min = Value;
  if (Max < Min) SetMax(Min);
  for (int32_t I = 0; I < UsableDots(); ++I) At(I) = std::max(At(I), Min);
}

void TMultiRangeControl::SetMax(int32_t Value) {
  Max = Value;
  if (Max < Min) SetMin(Max);
  for (int32_t I = 0; I < UsableDots(); ++I) At(I) = std::min(At(I), Max);
}

void TMultiRangeControl::UpdateThumbSize(int32_t Index, TRect& Thumb, TRect& Rail) {
  const int32_t Picture = Vertical ? ThumbPictureHeight : ThumbPictureWidth;
  if (ThumbPictureWidth > 0 && ThumbPictureHeight > 0) ThumbSize = Picture;
  const int64_t Range = static_cast<int64_t>(Max) - Min;
  const int64_t Pos = static_cast<int64_t>(GetDotPosition(Index)) - Min;
  int64_t X = 0, Y = 0;
  if (Vertical) {
    ThumbWidth = Width;
    ThumbHeight = ThumbSize;
    TrackLength = Height - ThumbHeight * DotCount - ShadowSize;
    Y = Range == 0 ? 0 : Pos * TrackLength / Range;
  } else {
    ThumbHeight = Height - 1;
    ThumbWidth = ThumbSize;
    if (Stretched && Range != 0)
      ThumbWidth = static_cast<int32_t>(
          std::max<int64_t>(ThumbWidth, static_cast<int64_t>(Width) * ThumbArea / Range));
    TrackLength = Width - 1 - ThumbWidth * DotCount;
    X = (Range == 0 ? 0 : Pos * TrackLength / Range) + static_cast<int64_t>(Index) * ThumbWidth;
  }
  Thumb = {static_cast<int32_t>(X), static_cast<int32_t>(Y), static_cast<int32_t>(X) + ThumbWidth,
           static_cast<int32_t>(Y) + ThumbHeight};
  Rail = {0, 0, Width, Height};
}

int32_t TMultiRangeControl::FindThumbAt(int32_t X) {
  int32_t Found = -1;
  TRect Thumb, Rail;
  for (int32_t I = 0; I < UsableDots(); ++I) {
    UpdateThumbSize(I, Thumb, Rail);
    const int64_t Centre = static_cast<int64_t>(Thumb.Left) + ThumbSize / 2;
    if (std::llabs(Centre - X) < ThumbSize / 2 + 2) Found = I;
  }
  return Found;
}

bool TMultiRangeControl::MouseDown(TPressButton Button, TModifiers Shift, int32_t X, int32_t Y) {
  if ((Shift & modDouble) != 0) return false;
  PickedDot = FindThumbAt(X);
  if (PickedDot < 0) return false;
  if (CtrlHeld(Shift)) {
    SetDotPosition(PickedDot, DotCount == 1 ? 0
                                            : static_cast<int32_t>(Min + (static_cast<int64_t>(Max) - Min) *
                                                                             PickedDot / (DotCount - 1)));
    return false;
  }
  if (Button != TPressButton::Left && Button != TPressButton::Middle) return false;
  FineDrag = (Shift & modShift) != 0;
  if (Max == Min) return false;
  TRect Thumb, Rail;
  UpdateThumbSize(PickedDot, Thumb, Rail);
  if (X >= Thumb.Left - 1 && X < Thumb.Right + 1 && Y >= Thumb.Top - 1 && Y < Thumb.Bottom + 1) {
    const int32_t M = Vertical ? Y : X;
    GrabOffset = FineDrag ? M : M - (Vertical ? Thumb.Top : Thumb.Left);
    Dragging = true;
    StartPosition = GetDotPosition(PickedDot);
  }
  const bool ShowHint = Dragging && HintShowOnPress;
  if (ShowHint && OnControllerChange)
    OnControllerChange(this, GetControllerNumber(), static_cast<float>(GetControllerValue()));
  if (OnChangeStart) OnChangeStart(nullptr);
  return ShowHint;
}

void TMultiRangeControl::MouseMove(int32_t X, int32_t Y) {
  if (!Dragging || PickedDot < 0) return;
  TRect Thumb, Rail;
  UpdateThumbSize(PickedDot, Thumb, Rail);
  if (TrackLength <= 0) return;
  const int64_t Range = static_cast<int64_t>(Max) - Min;
  int64_t P;
  if (Vertical)
    P = Min + (static_cast<int64_t>(Y) - GrabOffset - Rail.Top) * Range / TrackLength;
  else if (FineDrag)
    P = StartPosition + ((static_cast<int64_t>(X) - GrabOffset - Rail.Left) * Range / TrackLength) / 10;
  else
    P = Min + (static_cast<int64_t>(X) - static_cast<int64_t>(PickedDot) * ThumbWidth - GrabOffset -
               Rail.Left) *
                  Range / TrackLength;
  SetDotPosition(PickedDot, static_cast<int32_t>(std::clamp<int64_t>(P, INT32_MIN, INT32_MAX)));
}

void TMultiRangeControl::MouseUp() {
  if (OnChangeEnd) OnChangeEnd(this);
  Dragging = false;
}

}  // namespace kromel
