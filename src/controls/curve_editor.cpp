#include "controls/curve_editor.h"

#include <algorithm>

#include "foundation/number_format.h"
#include "images/image32.h"
#include "params/composite_parameters.h"
#include "platform/canvas.h"

namespace kromel {

namespace {

constexpr int32_t KeyStep = 50;
constexpr int32_t KeyGap = 10;

int32_t Div64(int64_t A, int64_t B) { return B == 0 ? 0 : static_cast<int32_t>(A / B); }

int32_t ClampInt(int64_t V, int64_t Lo, int64_t Hi) {
  return static_cast<int32_t>(std::clamp(V, Lo, Hi));
}

}  // namespace

void KeepDotsAscending(TEnvelopeDots& Curve) {
  const int32_t N = std::clamp(Curve.NumDots, 0, EnvelopeMaxDots);
  if (N == 0) return;
  Curve.Dot(0).X = std::clamp(Curve.Dot(0).X, 0, EnvelopeMaxX);
  for (int32_t I = 1; I < N; ++I)
    Curve.Dot(I).X = ClampInt(std::max<int64_t>(Curve.Dot(I).X, int64_t(Curve.Dot(I - 1).X) + 1), 0,
                              EnvelopeMaxX + int64_t(N));
  Curve.Dot(N - 1).X = std::min(Curve.Dot(N - 1).X, EnvelopeMaxX);
  for (int32_t I = N - 2; I >= 0; --I)
    Curve.Dot(I).X = std::min(Curve.Dot(I).X, Curve.Dot(I + 1).X - 1);
  Curve.SplineValid = false;
}

// ---------------------------------------------------------------------------
// Construction and properties

TCurveEditor::TCurveEditor() {
  for (int32_t I = 0; I < Slots; ++I) {
    FOwn[size_t(I)] = std::make_unique<TEnvelopeDots>();
    FBackup[size_t(I)] = std::make_unique<TEnvelopeDots>();
    TEnvelopeDots& E = *FOwn[size_t(I)];
    E.OnChange = [this, I](void*) {
      Invalidate();
      if (FOwn[size_t(I)]->UpdateCount == 0 && OnChange) OnChange(this);
    };
    E.GraphControl = this;
    E.NumDots = 2;
    E.Dot(0) = {0, 0, 0};
    E.Dot(1) = {EnvelopeMaxX, 0, 0};
    E.AllowNegative = true;
    E.SelectedDot = -1;
    E.SetPickerPosition(-1);
    E.CalcSpline();
  }
  CurrentDots = FOwn[0].get();
  SetLineColor(0);
  SetNumberOfButtons(6);
  Layout();
  FDragging = false;
}

TCurveEditor::~TCurveEditor() {
  // Bound parameters outlive the editor; they must not call back into it.
  for (TControlledParameterCurve* P : FLinks) {
    if (P == nullptr) continue;
    if (P->Curve.GraphControl == this) P->Curve.GraphControl = nullptr;
    P->OnChange = nullptr;
  }
}

void TCurveEditor::SetMargin(int32_t Value) {
  FMargin = Value;
  Layout();
}

void TCurveEditor::SetNumberOfButtons(int32_t Value) {
  FNumberOfButtons = Value;
  RebuildButtons();
}

bool TCurveEditor::Bipolar() const { return CurrentDots->AllowNegative; }

void TCurveEditor::SetBipolar(bool Value) {
  for (int32_t I = 0; I < Slots; ++I) GetEnvelope(I)->AllowNegative = Value;
  CurrentDots->AllowNegative = Value;
  Operate(TCurveOperation::Reset);
  RebuildButtons();
}

void TCurveEditor::SetCurrentEnvelope(int32_t Value) {
  FCurrentEnvelope = ClampSlot(std::clamp(Value, 0, std::max(NumberOfEnvelopes - 1, 0)));
  CurrentDots = GetEnvelope(FCurrentEnvelope);
  Invalidate();
}

TColor TCurveEditor::LineColor() { return static_cast<TColor>(GetEnvelope(0)->Color); }

void TCurveEditor::SetLineColor(TColor Value) {
  GetEnvelope(0)->Color = static_cast<int32_t>(Value);
  Invalidate();
}

void TCurveEditor::SetIsolate(bool Value) {
  FIsolate = Value;
  CurrentDots->Isolate = Value;
}

void TCurveEditor::RebuildButtons() {
  FButtons.clear();
  struct TKind {
    TCurveOperation Operation;
    const char* Caption;
    bool Shown;
  };
  const TKind Kinds[] = {
      {TCurveOperation::Reset, "Reset", FNumberOfButtons >= 1},
      {TCurveOperation::Invert, "Invert", FNumberOfButtons >= 2 && Bipolar()},
      {TCurveOperation::Reverse, "Reverse", FNumberOfButtons >= 3},
      {TCurveOperation::FadeIn, "FadeIn", FNumberOfButtons >= 4},
      {TCurveOperation::FadeOut, "FadeOut", FNumberOfButtons >= 5},
      {TCurveOperation::Double, "Double!", FNumberOfButtons >= 6},
  };
  int32_t Top = 8;
  for (const TKind& K : Kinds) {
    if (!K.Shown) continue;
    FButtons.push_back({K.Operation, K.Caption, 7, Top, 52, 20});
    Top += 24;
  }
}

// ---------------------------------------------------------------------------
// Layout and mapping

void TCurveEditor::SetSize(int32_t Width, int32_t Height) {
  FWidth = std::max(Width, 0);
  FHeight = std::max(Height, 0);
  Layout();
}

void TCurveEditor::Layout() {
  const int32_t B = FNumberOfButtons >= 1 ? ButtonColumn : 0;
  GraphWidth = std::max<int32_t>(
      1, ClampInt(int64_t(FWidth) - 2 * int64_t(FMargin) - B, INT32_MIN, INT32_MAX));
  GraphHeight =
      std::max<int32_t>(1, ClampInt(int64_t(FHeight) - 2 * int64_t(FMargin), INT32_MIN, INT32_MAX));
  GraphLeft = ClampInt(int64_t(B) + FMargin, INT32_MIN, INT32_MAX);
  GraphTop = FMargin;
  Invalidate();
}

int32_t TCurveEditor::Scale() const { return Bipolar() ? 65536 : 32768; }
int32_t TCurveEditor::Base() const { return Bipolar() ? GraphHeight / 2 : GraphHeight; }

int32_t TCurveEditor::CurveToPixelX(int32_t X) const {
  return ClampInt(GraphLeft + int64_t(X) * GraphWidth / EnvelopeMaxX, INT32_MIN, INT32_MAX);
}

int32_t TCurveEditor::CurveToPixelY(int32_t Y) const {
  return ClampInt(int64_t(GraphTop) + Base() - int64_t(Y) * GraphHeight / Scale(), INT32_MIN,
                  INT32_MAX);
}

int32_t TCurveEditor::PixelToCurveX(int32_t X) const {
  return Div64((int64_t(X) - GraphLeft) * EnvelopeMaxX, GraphWidth);
}

int32_t TCurveEditor::PixelToCurveY(int32_t Y) const {
  return Div64((int64_t(GraphTop) + Base() - Y) * Scale(), GraphHeight);
}

// ---------------------------------------------------------------------------
// Curves and binding

TEnvelopeDots* TCurveEditor::GetEnvelope(int32_t Index) {
  const size_t I = size_t(ClampSlot(Index));
  return FLinks[I] != nullptr ? &FLinks[I]->Curve : FOwn[I].get();
}

void TCurveEditor::ConnectToParameter(int32_t Index, TControlledParameterCurve* Parameter) {
  if (Parameter == nullptr) return;
  FLinks[size_t(ClampSlot(Index))] = Parameter;
  Parameter->Curve.GraphControl = this;
  Parameter->OnChange = [this](void* Sender) { ParameterChange(Sender); };
  SetCurrentEnvelope(FCurrentEnvelope);
}

void TCurveEditor::ParameterChange(void*) { Invalidate(); }

void TCurveEditor::Invalidate() {
  if (OnInvalidate) OnInvalidate();
}

int32_t TCurveEditor::Count() const { return std::clamp(CurrentDots->NumDots, 0, EnvelopeMaxDots); }

bool TCurveEditor::HasSelection() const {
  return CurrentDots->SelectedDot >= 0 && CurrentDots->SelectedDot < Count();
}

void TCurveEditor::Changed() {
  if (OnChange) OnChange(this);
}

void TCurveEditor::ChangeEnded() {
  if (OnChangeEnd) OnChangeEnd(this);
}

int32_t TCurveEditor::MinY() const { return CurrentDots->AllowNegative ? -EnvelopeMaxY : 0; }

int32_t TCurveEditor::LimitX(int32_t Index, int32_t X) const {
  const TEnvelopeDots& C = *CurrentDots;
  if (Index + 1 < Count() && X >= C.Dot(Index + 1).X) X = C.Dot(Index + 1).X - 1;
  if (Index > 0 && X <= C.Dot(Index - 1).X) X = C.Dot(Index - 1).X + 1;
  return std::clamp(X, 0, EnvelopeMaxX);
}

// ---------------------------------------------------------------------------
// Mouse

int32_t TCurveEditor::FindDotAt(int32_t X, int32_t Y) const {
  int64_t Best = 11;
  int32_t Result = -1;
  for (int32_t I = 0; I < Count(); ++I) {
    const int64_t D = std::abs(int64_t(CurveToPixelX(CurrentDots->Dot(I).X)) - X) +
                      std::abs(int64_t(CurveToPixelY(CurrentDots->Dot(I).Y)) - Y);
    if (D <= Best) {
      Best = D;
      Result = I;
    }
  }
  return Result;
}

void TCurveEditor::MouseDown(TEditButton Button, uint32_t Shift, int32_t X, int32_t Y) {
  if (GraphWidth <= 0) return;
  FDragOffsetX = 0;
  FDragOffsetY = 0;
  Focused = true;
  TEnvelopeDots& C = *CurrentDots;
  if (Shift & EditShift::Shift) {
    if (Shift & EditShift::Ctrl) {
      C.SplineType = C.SplineType == stAkima ? stPhotoshopSpline : stAkima;
      C.CalcSpline();
      Invalidate();
      Changed();
      ChangeEnded();
      return;
    }
    for (int32_t I = 1; I < Count(); ++I)
      if (CurveToPixelX(C.Dot(I).X) > X) {
        C.Dot(I - 1).Flags ^= 1;
        C.CalcSpline();
        Invalidate();
        Changed();
        ChangeEnded();
        return;
      }
  }
  if (Button == TEditButton::Right) {
    C.SelectedDot = FindDotAt(X, Y);
    if (C.SelectedDot >= 0 && Count() > 2) {
      C.DeleteDot(C.SelectedDot);
      C.SelectedDot = -1;
      Invalidate();
      Changed();
      ChangeEnded();
    }
    UpdateValueEdits();
    return;
  }
  C.SelectedDot = FindDotAt(X, Y);
  if (C.SelectedDot >= 0) {
    FBackup[size_t(FCurrentEnvelope)]->CopyFrom(&C);
    FDragging = true;
    MouseMove(Shift, X, Y);
    if (OnMouseDown) OnMouseDown(Button, Shift, X, Y);
    return;
  }
  if (Count() >= EnvelopeMaxDots) return;
  const int32_t CX = PixelToCurveX(X);
  C.SelectedDot = C.AddDot(CX, C.GetValue(CX), 100);
  FBackup[size_t(FCurrentEnvelope)]->CopyFrom(&C);
  if (HasSelection() && FindDotAt(X, Y) == C.SelectedDot)
    FDragging = true;
  else
    ChangeEnded();
  UpdateValueEdits();
  if (OnMouseDown) OnMouseDown(Button, Shift, X, Y);
  Invalidate();
}

void TCurveEditor::MouseMove(uint32_t Shift, int32_t X, int32_t Y) {
  if (!Active) return;
  X = ClampInt(int64_t(X) + FDragOffsetX, INT32_MIN, INT32_MAX);
  Y = ClampInt(int64_t(Y) + FDragOffsetY, INT32_MIN, INT32_MAX);
  if (!HasSelection() || !FDragging) return;
  TEnvelopeDots& C = *CurrentDots;
  const int32_t Index = C.SelectedDot;
  int32_t CX = PixelToCurveX(X);
  int32_t CY = PixelToCurveY(Y);
  if (CY > 50000 || CY < -50000 || CX > 24576 || CX < -8192) {
    if (Index > 0 && Index < Count() - 1) {
      C.DeleteDot(Index);
      C.SelectedDot = -1;
      Invalidate();
      Changed();
      ChangeEnded();
      return;
    }
  }
  CX = LimitX(Index, CX);
  CY = std::clamp(CY, MinY(), EnvelopeMaxY);
  if (ShowValues) {
    Hint = FloatToStrD1(static_cast<float>(CY) / 327.67f);
    if (OnShowHint) OnShowHint(Hint);
  }
  C.Dot(Index).X = CX;
  C.Dot(Index).Y = CY;
  if (Shift & EditShift::Alt) {
    C.StretchFrom(FBackup[size_t(FCurrentEnvelope)].get(), Index);
    // The stretch may squeeze dots onto one X or past the value range.
    KeepDotsAscending(C);
    for (int32_t I = 0; I < Count(); ++I) C.Dot(I).Y = std::clamp(C.Dot(I).Y, MinY(), EnvelopeMaxY);
  }
  C.CalcSpline();
  Invalidate();
  UpdateValueEdits();
  if (OnMouseMove) OnMouseMove(Shift, X, Y);
  Changed();
}

void TCurveEditor::MouseUp(TEditButton Button, uint32_t Shift, int32_t X, int32_t Y) {
  if (HasSelection() && FDragging) {
    TCurveDotPoint& D = CurrentDots->Dot(CurrentDots->SelectedDot);
    const int32_t Snap = 131072 / std::max(GraphHeight, 1);
    if (D.Y > -Snap && D.Y < Snap) D.Y = 0;
    CurrentDots->CalcSpline();
    Invalidate();
    FDragging = false;
    Changed();
    ChangeEnded();
  }
  FDragging = false;
  if (OnHideHint) OnHideHint();
  if (OnMouseUp) OnMouseUp(Button, Shift, X, Y);
}

bool TCurveEditor::MouseWheel(uint32_t, int32_t WheelDelta, int32_t X, int32_t Y) {
  const int32_t I = FindDotAt(X, Y);
  if (I >= 0) {
    TCurveDotPoint& D = CurrentDots->Dot(I);
    D.Y = ClampInt(int64_t(D.Y) + WheelDelta, MinY(), EnvelopeMaxY);
    CurrentDots->CalcSpline();
    Invalidate();
    Changed();
  }
  return true;
}

void TCurveEditor::StartDragDot(int32_t Index, int32_t CursorX, int32_t CursorY) {
  if (GraphWidth < 1 || GraphHeight < 1 || Count() == 0) return;
  FDragging = true;
  Index = std::clamp(Index, 0, Count() - 1);
  CurrentDots->SelectedDot = Index;
  FDragOffsetX =
      ClampInt(int64_t(CurveToPixelX(CurrentDots->Dot(Index).X)) - CursorX, INT32_MIN, INT32_MAX);
  FDragOffsetY =
      ClampInt(int64_t(CurveToPixelY(CurrentDots->Dot(Index).Y)) - CursorY, INT32_MIN, INT32_MAX);
}

// ---------------------------------------------------------------------------
// Keyboard

bool TCurveEditor::KeyDown(uint16_t& Key, uint32_t) {
  TEnvelopeDots& C = *CurrentDots;
  switch (Key) {
    case EditKey::Down: MoveActiveDot(0, -KeyStep); break;
    case EditKey::Up: MoveActiveDot(0, KeyStep); break;
    case EditKey::Left: MoveActiveDot(-KeyStep, 0); break;
    case EditKey::Right: MoveActiveDot(KeyStep, 0); break;
    case EditKey::Add:
      C.SelectedDot = std::min(C.SelectedDot + 1, Count() - 1);
      Invalidate();
      break;
    case EditKey::Subtract:
      C.SelectedDot = std::max(C.SelectedDot - 1, 0);
      Invalidate();
      break;
    case EditKey::Return: {
      if (C.SelectedDot < 0) C.SelectedDot = 0;
      UpdateValueEdits();
      PositionEdit.Visible = !PositionEdit.Visible;
      ValueEdit.Visible = PositionEdit.Visible;
      PositionEdit.Enabled = ValueEdit.Enabled = PositionEdit.Visible;
      if (PositionEdit.Visible) {
        ++EditLock;
        if (OnFocusEdit) OnFocusEdit();
        --EditLock;
      }
      break;
    }
    default: return false;
  }
  Key = 0;
  return true;
}

void TCurveEditor::MoveActiveDot(int32_t DX, int32_t DY) {
  if (!HasSelection()) return;
  TEnvelopeDots& C = *CurrentDots;
  const int32_t I = C.SelectedDot;
  int64_t X = int64_t(C.Dot(I).X) + DX;
  const int64_t Y = int64_t(C.Dot(I).Y) + DY;
  if (I + 1 < Count() && X > int64_t(C.Dot(I + 1).X) - KeyGap) X = int64_t(C.Dot(I + 1).X) - KeyGap;
  if (I > 0 && X < int64_t(C.Dot(I - 1).X) + KeyGap) X = int64_t(C.Dot(I - 1).X) + KeyGap;
  // Close neighbours leave less than the gap: the dot still stays between them.
  C.Dot(I).X = LimitX(I, ClampInt(X, INT32_MIN, INT32_MAX));
  C.Dot(I).Y = ClampInt(Y, MinY(), EnvelopeMaxY);
  C.CalcSpline();
  Invalidate();
  Changed();
}

// ---------------------------------------------------------------------------
// Value edits

void TCurveEditor::UpdateValueEdits() {
  ++EditLock;
  if (!HasSelection()) {
    PositionEdit.Text.clear();
    ValueEdit.Text.clear();
    PositionEdit.Enabled = ValueEdit.Enabled = false;
  } else {
    const TCurveDotPoint& D = CurrentDots->Dot(CurrentDots->SelectedDot);
    PositionEdit.Text = std::to_string((int64_t(D.X) * 255 + 8192) / 16384);
    ValueEdit.Text = std::to_string((int64_t(D.Y) * 255 + 16383) / 32767);
    PositionEdit.Enabled = ValueEdit.Enabled = true;
  }
  --EditLock;
}

void TCurveEditor::EditChange(bool Position) {
  if (EditLock > 0 || !HasSelection()) return;
  const int32_t V = std::clamp(StrToIntLeading((Position ? PositionEdit : ValueEdit).Text), 0, 255);
  const int32_t I = CurrentDots->SelectedDot;
  if (Position)
    CurrentDots->Dot(I).X = LimitX(I, (V * 16384 + 127) / 255);
  else
    CurrentDots->Dot(I).Y = (V * 32767 + 127) / 255;
  CurrentDots->CalcSpline();
  Invalidate();
  Changed();
}

void TCurveEditor::SetEditText(bool Position, const std::string& Text) {
  (Position ? PositionEdit : ValueEdit).Text = Text;
  EditChange(Position);
}

void TCurveEditor::EditKeyDown(bool Position, uint16_t& Key) {
  TCurveValueEdit& E = Position ? PositionEdit : ValueEdit;
  TEnvelopeDots& C = *CurrentDots;
  switch (Key) {
    case EditKey::Up:
    case EditKey::Down: {
      const int32_t V = std::clamp(StrToIntLeading(E.Text) + (Key == EditKey::Up ? 1 : -1), 0, 255);
      SetEditText(Position, std::to_string(V));
      break;
    }
    case EditKey::Add:
    case EditKey::Subtract:
      C.SelectedDot = Key == EditKey::Add ? std::min(C.SelectedDot + 1, Count() - 1)
                                          : std::max(C.SelectedDot - 1, 0);
      UpdateValueEdits();
      Invalidate();
      break;
    case EditKey::Return:
      PositionEdit.Visible = ValueEdit.Visible = false;
      PositionEdit.Enabled = ValueEdit.Enabled = false;
      if (OnFocusBox) OnFocusBox();
      break;
    default: return;
  }
  Key = 0;
}

void TCurveEditor::EditExit() {
  PositionEdit.Visible = ValueEdit.Visible = false;
  if (OnFocusBox) OnFocusBox();
}

void TCurveEditor::FocusLost() {
  Focused = false;
  Invalidate();
  if (EditLock <= 0) PositionEdit.Visible = ValueEdit.Visible = false;
}

// ---------------------------------------------------------------------------
// Operations

void TCurveEditor::Operate(TCurveOperation Operation) {
  TEnvelopeDots& C = *CurrentDots;
  const int32_t N = Count();
  switch (Operation) {
    case TCurveOperation::Reset:
      C.NumDots = 2;
      C.Dot(0).X = 0;
      C.Dot(0).Y = 0;
      C.Dot(1).X = EnvelopeMaxX;
      C.Dot(1).Y = 0;
      if (C.SelectedDot >= 2) C.SelectedDot = -1;
      break;
    case TCurveOperation::Invert:
      // A unipolar curve keeps its values at 0 or above.
      for (int32_t I = 0; I < N; ++I)
        C.Dot(I).Y = ClampInt(-int64_t(C.Dot(I).Y), MinY(), EnvelopeMaxY);
      break;
    case TCurveOperation::Reverse:
      for (int32_t I = 0; I <= (N - 1) / 2; ++I) std::swap(C.Dot(I), C.Dot(N - 1 - I));
      for (int32_t I = 0; I < N; ++I)
        C.Dot(I).X = ClampInt(int64_t(EnvelopeMaxX) - C.Dot(I).X, INT32_MIN, INT32_MAX);
      break;
    case TCurveOperation::FadeIn:
      for (int32_t I = 0; I < N; ++I)
        C.Dot(I).Y =
            ClampInt(int64_t(C.Dot(I).Y) * C.Dot(I).X / EnvelopeMaxX, INT32_MIN, INT32_MAX);
      break;
    case TCurveOperation::FadeOut:
      for (int32_t I = 0; I < N; ++I)
        C.Dot(I).Y =
            ClampInt(int64_t(C.Dot(I).Y) * (EnvelopeMaxX - int64_t(C.Dot(I).X)) / EnvelopeMaxX,
                     INT32_MIN, INT32_MAX);
      break;
    case TCurveOperation::Double:
      if (2 * N > EnvelopeMaxDots) return;
      for (int32_t I = 0; I < N; ++I) {
        C.Dot(I + N) = C.Dot(I);
        C.Dot(I).X = C.Dot(I).X / 2;
        C.Dot(I + N).X = C.Dot(I + N).X / 2 + EnvelopeMaxX / 2;
      }
      C.NumDots = 2 * N;
      // Halving merges neighbours and the halves meet at 8192.
      KeepDotsAscending(C);
      break;
  }
  C.CalcSpline();
  Invalidate();
  Changed();
}

void TCurveEditor::PopupMenuClick(int32_t Tag) {
  if (Tag >= 0 && Tag <= 5) {
    Operate(static_cast<TCurveOperation>(Tag));
    return;
  }
  Invalidate();
  Changed();
}

void TCurveEditor::SetAmplitude(int32_t Position) {
  CurrentDots->Attenuation = std::clamp(Position, 0, 256);
  Changed();
}

// ---------------------------------------------------------------------------
// Drawing

void TCurveEditor::DrawGraph(TCanvas& Canvas) {
  const int32_t L = GraphLeft, T = GraphTop, W = GraphWidth, H = GraphHeight;
  if (W < 1 || H < 1) return;
  const int32_t BW = Canvas.Bitmap().Width(), BH = Canvas.Bitmap().Height();
  Canvas.Pen = {Color, 1, psSolid};
  Canvas.Brush = {Color, bsSolid};
  Canvas.FillRect(0, 0, BW, BH);
  if (Focused) {
    Canvas.Pen = {0x707070, 1, psSolid};
    Canvas.Brush.Style = bsClear;
    Canvas.Rectangle(2, 2, FWidth - 2, FHeight - 2);
  }
  if (Background.Width() == 0 || Background.Height() == 0) {
    Canvas.Pen = {0x393939, 1, psSolid};
    Canvas.Brush = {Color, bsSolid};
    Canvas.Rectangle(L, T, L + W, T + H);
  } else {
    TCanvas Source(Background);
    for (int32_t Y = 0; Y < Background.Height(); ++Y)
      for (int32_t X = 0; X < Background.Width(); ++X)
        Canvas.SetPixel(L + X, T + Y, Source.Pixel(X, Y));
    Canvas.Pen = {FrameColor, 1, psSolid};
    Canvas.Brush.Style = bsClear;
    Canvas.Rectangle(L, T, L + W, T + H);
  }

  Canvas.Pen = {RulerColor, 1, psSolid};
  if (ShowDiagonal) {
    Canvas.MoveTo(L + 1, T + H);
    Canvas.LineTo(L + W - 1, T + 1);
  }
  for (int32_t Row : {T + H / 2 + 1, T + H / 4 + 1, T + (3 * H) / 4 + 1}) {
    Canvas.MoveTo(L + 1, Row);
    Canvas.LineTo(L + W - 1, Row);
  }
  Canvas.MoveTo(L + W / 2, T + 1);
  Canvas.LineTo(L + W / 2, T + H + 1);
  for (int32_t K = 1; K <= 7; ++K) {
    const int32_t X = L + Div64(int64_t(K) * W, 8);
    Canvas.MoveTo(X, T + 1);
    Canvas.LineTo(X, T + H + 1);
  }

  if (Focused && HasSelection() && ShowCurveValues && !PositionEdit.Visible) {
    const TCurveDotPoint& D = CurrentDots->Dot(CurrentDots->SelectedDot);
    const std::string Text = std::to_string((int64_t(D.X) * 255 + 8192) / 16384) + " / " +
                             std::to_string((int64_t(D.Y) * 255 + 16383) / 32767);
    Canvas.Brush.Style = bsClear;
    Canvas.Font.Color = 0xD0D0D0;
    int32_t TW = 0, TH = 0;
    MeasureTextLines(Canvas, Text, TW, TH);
    DrawTextLines(Canvas, Text, L + 2, T + 2, TW, TH, 0);
  }

  const int32_t N = std::clamp(NumberOfEnvelopes, 1, Slots);
  for (int32_t J = 0; J < N; ++J) {
    const int32_t I = J == N - 1 ? FCurrentEnvelope : J < FCurrentEnvelope ? J : J + 1;
    if (I >= Slots) continue;
    const bool Current = I == FCurrentEnvelope;
    TEnvelopeDots* E = Current ? CurrentDots : GetEnvelope(I);
    E->Draw(&Canvas, L, T, W, H, Scale(), Base(), Focused && Current, !Current, BoldLines);
  }

  for (int32_t J = 0; J < N; ++J) {
    TEnvelopeDots* E = J == FCurrentEnvelope ? CurrentDots : GetEnvelope(J);
    const int32_t P = E->PickerPosition;
    if (P < 0) continue;
    const bool Current = J == FCurrentEnvelope;
    const TColor C = static_cast<TColor>(E->Color);
    Canvas.Pen = {((C & 0xFCFCFC) >> 2) + 0x545454, Current ? 2 : 1, Current ? psSolid : psDot};
    Canvas.Brush.Style = bsClear;
    const int32_t X = CurveToPixelX(P);
    Canvas.MoveTo(X, T + 1);
    Canvas.LineTo(X, T + H);
    const int32_t Y = ClampInt(int64_t(T) + 1 + Base() - int64_t(E->GetValue(P)) * H / Scale(),
                               INT32_MIN, INT32_MAX);
    Canvas.MoveTo(L, Y);
    Canvas.LineTo(L + W, Y);
  }
}

}  // namespace kromel
