#include "controls/dot_grid_editor.h"

#include <algorithm>
#include <cmath>

#include "engine/ab_grid_maths.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"
#include "images/image32.h"
#include "params/composite_parameters.h"
#include "platform/canvas.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr int32_t ZLimit = 128;
constexpr long double Diag = 0.7071L;

int32_t Sat(int64_t V) {
  return static_cast<int32_t>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX));
}
int32_t Div(int64_t A, int64_t B) { return B == 0 ? 0 : Sat(A / B); }
int32_t Rnd(long double V) {
  if (std::isnan(V)) return 0;
  return Sat(static_cast<int64_t>(std::clamp(std::nearbyintl(V), -9.0e18L, 9.0e18L)));
}
int32_t Limit(int64_t V, int32_t A, int32_t B) {
  return static_cast<int32_t>(std::clamp<int64_t>(V, std::min(A, B), std::max(A, B)));
}
// A float to an index in 0..Count-1 (NaN gives 0).
int32_t ToIndex(double V, int32_t Count) {
  if (std::isnan(V) || V < 0) return 0;
  if (V > Count - 1) return std::max(Count - 1, 0);
  return static_cast<int32_t>(V);
}

}  // namespace

TDotGridEditor::TDotGridEditor() : Grid(&OwnGrid) {
  OwnGrid.OnChange = [this](void*) { Repaint(); };
  OwnGrid.Circular = false;
  OwnGrid.SetRanges(-100, -100, 100, 100);
  SetGridSize(1, 1);
  CreateGrid();
}

// ---------------------------------------------------------------------------
// Properties

void TDotGridEditor::SetMargin(int32_t Value) {
  FMargin = Value;
  SetSize(FWidth, FHeight);
}

void TDotGridEditor::SetManualFocus(bool Value) {
  if (Value == FManualFocus) return;
  FManualFocus = Value;
  Fire(OnManualFocusChange);
  Repaint();
}

void TDotGridEditor::SetMinX(int32_t Value) {
  Grid->MinX = Value;
  ZoomX = Sat(int64_t(Grid->MaxX) - Grid->MinX);
  UpdateCalibration();
}

void TDotGridEditor::SetMaxX(int32_t Value) {
  Grid->MaxX = Value;
  ZoomX = Sat(int64_t(Grid->MaxX) - Grid->MinX);
  UpdateCalibration();
}

void TDotGridEditor::SetMinY(int32_t Value) {
  Grid->MinY = Value;
  ZoomY = Sat(int64_t(Grid->MaxY) - Grid->MinY);
  UpdateCalibration();
}

void TDotGridEditor::SetMaxY(int32_t Value) {
  Grid->MaxY = Value;
  ZoomY = Sat(int64_t(Grid->MaxY) - Grid->MinY);
  UpdateCalibration();
}

void TDotGridEditor::SetNumberOfDotsRow(int32_t Value) { Grid->SetRowCount(Value); }
void TDotGridEditor::SetNumberOfDotsCol(int32_t Value) { Grid->SetColCount(Value); }

void TDotGridEditor::SetGridSize(int32_t Cols, int32_t Rows) {
  SetNumberOfDotsRow(Rows);
  SetNumberOfDotsCol(Cols);
}

void TDotGridEditor::SetRotated(bool Value) {
  Grid->Rotated = Value;
  Repaint();
}

void TDotGridEditor::ResetZoom() {
  ZoomY = Sat(int64_t(Grid->MaxY) - Grid->MinY);
  ZoomX = Sat(int64_t(Grid->MaxX) - Grid->MinX);
}

void TDotGridEditor::Repaint() {
  if (OnInvalidate) OnInvalidate();
}

void TDotGridEditor::Fire(const TNotifyEvent& Event) {
  if (Event) Event(this);
}

bool TDotGridEditor::HasCurrent() const {
  return Grid->CurCol >= 0 && Grid->CurCol < Grid->Cols() && Grid->CurRow >= 0 &&
         Grid->CurRow < Grid->Rows();
}

TDotPoint& TDotGridEditor::Current() {
  return Grid->Dots[size_t(Grid->CurCol)][size_t(Grid->CurRow)];
}

void TDotGridEditor::CopyCentre(int32_t FromCol) {
  if (Grid->Rows() < 1 || FromCol < 0 || FromCol >= Grid->Cols()) return;
  const TDotPoint Source = Grid->Dots[size_t(FromCol)][0];
  for (auto& Column : Grid->Dots) {
    Column[0].X = Source.X;
    Column[0].Y = Source.Y;
    Column[0].Z = Source.Z;
  }
}

void TDotGridEditor::ClampDot(TDotPoint& D) const {
  D.X = Limit(D.X, Grid->MinX, Grid->MaxX);
  D.Y = Limit(D.Y, Grid->MinY, Grid->MaxY);
  D.Z = Limit(D.Z, -ZLimit, ZLimit);
}

// ---------------------------------------------------------------------------
// Mapping

void TDotGridEditor::SetSize(int32_t Width, int32_t Height) {
  FWidth = std::max(Width, 0);
  FHeight = std::max(Height, 0);
  UpdateCalibration();
  Repaint();
}

void TDotGridEditor::UpdateCalibration() {
  const T2DEnvelopeDots& G = *Grid;
  if (G.MaxX == G.MinX) return;
  const int64_t W = FWidth, H = FHeight, M = FMargin;
  const int64_t SpanX = int64_t(G.MaxX) - G.MinX, SpanY = int64_t(G.MaxY) - G.MinY;
  if (!G.Rotated) {
    GridWidth = Sat(W - 2 * M);
    GridHeight = Sat(H - 2 * M);
    OriginX = Div(W * -int64_t(G.MinX), SpanX);
    OriginY = SpanY == 0 ? 0 : Sat(int64_t(Div(int64_t(GridHeight) * -int64_t(G.MinY), SpanY)) + M);
  } else {
    GridWidth = GridHeight = Sat(std::min(W - 2, H - 2));
    OriginX = Sat(int64_t(Div(W * -int64_t(G.MinX), SpanX)) - 1);
    OriginY = Sat(int64_t(Div(H * -int64_t(G.MinY), SpanY)) - 1);
  }
  Repaint();
}

TPoint TDotGridEditor::Calibrate(int32_t X, int32_t Y, bool ToPixels) const {
  if (ZoomX == 0 || ZoomY == 0 || FWidth <= 0 || FHeight <= 0) return {0, 0};
  const int64_t H = FHeight;
  if (ToPixels) {
    int64_t PX = int64_t(Div(int64_t(GridWidth) * X, ZoomX)) + OriginX;
    int64_t PY = int64_t(Div(int64_t(GridHeight) * -int64_t(Y), ZoomY)) + H - 1 - OriginY;
    if (Grid->Rotated) {
      PX -= GridWidth / 2;
      PY -= GridHeight / 2;
      const long double A = static_cast<long double>(PX), B = static_cast<long double>(PY);
      return {Sat(int64_t(Rnd((A * Diag + B * Diag) * Diag)) + GridWidth / 2),
              Sat(int64_t(Rnd((-A * Diag + B * Diag) * Diag)) + GridHeight / 2)};
    }
    return {Sat(PX), Sat(PY)};
  }
  int64_t PX = X, PY = Y;
  if (Grid->Rotated) {
    const long double TX = static_cast<long double>(PX - GridWidth / 2);
    const long double TY = static_cast<long double>(PY - GridHeight / 2);
    PX = int64_t(Rnd((TX * Diag - TY * Diag) / Diag)) + GridWidth / 2;
    PY = int64_t(Rnd((TX * Diag + TY * Diag) / Diag)) + GridHeight / 2;
  }
  // A grid area of no pixels maps every pixel to 0.
  return {GridWidth == 0 ? 0 : Sat(int64_t(Div((PX - OriginX) * ZoomX, GridWidth)) + 1),
          Div((H - 1 - PY - OriginY) * ZoomY, GridHeight)};
}

TPoint TDotGridEditor::CalibrateDot(const TDotPoint& Dot, bool ToPixels) const {
  return Calibrate(Dot.X, Dot.Y, ToPixels);
}

float TDotGridEditor::ColumnToX(int32_t Index) const {
  return static_cast<float>(Grid->MinX) + static_cast<float>(Index) /
                                              static_cast<float>(Grid->ColCount - 1) *
                                              static_cast<float>(Grid->MaxX - Grid->MinX);
}

float TDotGridEditor::ColumnToY(int32_t Index) const {
  return static_cast<float>(Grid->MinY) + static_cast<float>(Index) /
                                              static_cast<float>(Grid->RowCount - 1) *
                                              static_cast<float>(Grid->MaxY - Grid->MinY);
}

int32_t TDotGridEditor::DotToGridX(int32_t Col, int32_t Row) const {
  if (Col < 0 || Col >= Grid->Cols() || Row < 0 || Row >= Grid->Rows()) return 0;
  const TDotPoint& D = Grid->Dots[size_t(Col)][size_t(Row)];
  return Calibrate(D.X, D.Y, false).X;
}

int32_t TDotGridEditor::DotToGridY(int32_t Col, int32_t Row) const {
  if (Col < 0 || Col >= Grid->Cols() || Row < 0 || Row >= Grid->Rows()) return 0;
  const TDotPoint& D = Grid->Dots[size_t(Col)][size_t(Row)];
  return Calibrate(D.X, D.Y, false).Y;
}

// ---------------------------------------------------------------------------
// Mouse

void TDotGridEditor::FindDotAt(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const {
  int64_t Best = 111;
  Col = Row = -1;
  const int32_t N = Grid->Cols(), M = Grid->Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      const TDotPoint& D = Grid->Dots[size_t(C)][size_t(R)];
      const TPoint S = Calibrate(D.X, D.Y, true);
      const int64_t Dist = std::abs(int64_t(S.X) - X) + std::abs(int64_t(S.Y) - Y);
      const int64_t Score = D.Pinned ? Dist : Dist + 100;
      if (Score <= Best && Dist <= 10 && D.Active) {
        Best = Score;
        const bool Corner = (C == 0 || C == N - 1) && (R == 0 || R == M - 1);
        if (StopMoveangle && Corner) continue;
        Col = C;
        Row = R;
      }
    }
}

void TDotGridEditor::Pick(uint32_t Shift, bool FromMove) {
  Fire(OnChangeStart);
  T2DEnvelopeDots& G = *Grid;
  const int32_t C = G.CurCol, R = G.CurRow;
  if (!Current().Selected) {
    G.DeselectAll();
    MoveSelection = false;
    Current().Selected = true;
    if (!FromMove && IsCentre(R))
      for (auto& Column : G.Dots) Column[0].Selected = true;
  } else {
    SaveDotsSnapshot();
    MoveSelection = true;
  }
  if (!(Shift & EditShift::Alt)) Dragging = true;
  BrightnessDrag = (Shift & EditShift::Shift) && Dragging;
  LastDragY = DownY;
  if (Shift & EditShift::Double) {
    if (FromMove) {
      if ((Shift & EditShift::Shift) && MoveSelection) {
        G.ResetSelected(true, true);
      } else {
        TDotPoint& D = Current();
        if (!(Shift & EditShift::Shift)) {
          D.X = G.DefaultDots[size_t(C)][size_t(R)].X;
          D.Y = G.DefaultDots[size_t(C)][size_t(R)].Y;
        }
        D.Z = 0;
      }
    } else {
      if (IsCentre(R)) G.CurCol = 0;
      TDotPoint& D = Current();
      const TDotPoint& E = G.DefaultDots[size_t(G.CurCol)][size_t(G.CurRow)];
      if (!(Shift & EditShift::Shift)) {
        D.X = E.X;
        D.Y = E.Y;
      }
      D.Z = 0;
      if (IsCentre(G.CurRow)) CopyCentre(G.CurCol);
    }
    G.InterpolateUntouchedDots();
    Repaint();
    Fire(OnChange);
    Fire(OnChangeEnd);
    if (!FromMove) Fire(OnSelectDots);
    Dragging = BrightnessDrag = false;
  } else if (Dragging) {
    Current().Pinned = true;
    if (!FromMove) Fire(OnSelectDots);
  }
}

void TDotGridEditor::MouseDown(TEditButton Button, uint32_t Shift, int32_t X, int32_t Y) {
  Focused = true;
  SetManualFocus(true);
  Repaint();
  DragOffsetX = DragOffsetY = 0;
  DownX = X;
  DownY = Y;
  PendingPick = true;
  T2DEnvelopeDots& G = *Grid;
  if (!AllowPointsMove) {
    G.CurCol = G.CurRow = -1;
  } else {
    FindDotAt(X, Y, G.CurCol, G.CurRow);
    if (!HasCurrent()) {
      if (AllowMultiSelect) {
        MarqueeActive = true;
        MarqueeLeft = MarqueeRight = X;
        MarqueeTop = MarqueeBottom = Y;
      }
    } else if ((Shift & EditShift::Shift) && (Shift & EditShift::Alt) &&
               (Shift & EditShift::Ctrl)) {
      G.PinSelected();
      G.InterpolateUntouchedDots();
      Fire(OnChange);
      Fire(OnChangeEnd);
      return;
    } else if (Shift & EditShift::Ctrl) {
      Current().Selected = !Current().Selected;
      PendingPick = false;
    } else if (Button == TEditButton::Right || (Shift & EditShift::Meta)) {
      const int32_t C = G.CurCol, R = G.CurRow;
      TDotPoint& D = Current();
      const TDotPoint& E = G.DefaultDots[size_t(C)][size_t(R)];
      if (D.Selected)
        G.ResetSelected((Shift & EditShift::Shift) != 0, G.AllPinned);
      else
        D.Pinned = E.Pinned;
      if (!(Shift & EditShift::Shift)) {
        if (IsCentre(R))
          G.ResetCentreDots();
        else
          D.AssignValues(E);
      }
      G.InterpolateUntouchedDots();
      Fire(OnChange);
      if (Dragging || BrightnessDrag || (Shift & EditShift::Ctrl) || Button == TEditButton::Right)
        Fire(OnChangeEnd);
      Dragging = BrightnessDrag = false;
      Repaint();
      Fire(OnSelectDots);
      PendingPick = false;
      return;
    } else {
      Pick(Shift, false);
    }
  }
  if (OnMouseDown) OnMouseDown(Button, Shift, X, Y);
}

void TDotGridEditor::MouseMove(uint32_t Shift, int32_t X, int32_t Y) {
  if (Dragging) {
    X = Sat(int64_t(X) + DragOffsetX);
    Y = Sat(int64_t(Y) + DragOffsetY);
  }
  T2DEnvelopeDots& G = *Grid;
  if (PendingPick && AllowPointsMove) {
    PendingPick = false;
    FindDotAt(DownX, DownY, G.CurCol, G.CurRow);
    if (HasCurrent()) {
      Pick(Shift, true);
    } else if (AllowMultiSelect && !G.Rotated) {
      MarqueeActive = true;
      MarqueeLeft = DownX;
      MarqueeTop = DownY;
    }
  }
  if (!Active) return;
  if (MarqueeActive) {
    MarqueeRight = X;
    MarqueeBottom = Y;
    Repaint();
  }
  if (!HasCurrent() || !(Dragging || BrightnessDrag)) {
    FindDotAt(X, Y, G.HotCol, G.HotRow);
    if (OnMouseMove) OnMouseMove(Shift, X, Y);
    return;
  }
  TDotPoint& D = Current();
  if (BrightnessDrag) {
    if (LastDragY <= -10000) LastDragY = Y;
    D.Z = Limit(int64_t(D.Z) + LastDragY - Y, -ZLimit, ZLimit);
    if (MoveSelection) MoveSelectedDots();
    G.NeedsInterpolation = true;
    LastDragY = Y;
    Repaint();
    if (OnMouseMove) OnMouseMove(Shift, X, Y);
    Fire(OnChange);
    return;
  }
  const TPoint P = Calibrate(X, Y, false);
  const int32_t EventX = P.X < 0 ? P.X : X;
  if (ShowValues) {
    Hint = FloatToStrD1(static_cast<float>(P.Y) / 327.67f);
    if (OnShowHint) OnShowHint(Hint);
  }
  D.X = Limit(P.X, G.MinX, G.MaxX);
  D.Y = Limit(P.Y, G.MinY, G.MaxY);
  if (IsCentre(G.CurRow))
    for (auto& Column : G.Dots) {
      Column[0].X = D.X;
      Column[0].Y = D.Y;
    }
  G.NeedsInterpolation = true;
  if (MoveSelection) MoveSelectedDots();
  Repaint();
  if (OnMouseMove) OnMouseMove(Shift, EventX, Y);
  Fire(OnChange);
}

void TDotGridEditor::MouseUp(TEditButton Button, uint32_t Shift, int32_t X, int32_t Y) {
  if (MarqueeActive && !PendingPick) {
    MarqueeRight = X;
    MarqueeBottom = Y;
    MarqueeActive = false;
    if (MarqueeLeft > MarqueeRight) std::swap(MarqueeLeft, MarqueeRight);
    if (MarqueeTop < MarqueeBottom) std::swap(MarqueeTop, MarqueeBottom);
    if (!(Shift & (EditShift::Shift | EditShift::Ctrl))) Grid->DeselectAll();
    SelectDotsInRect(MarqueeLeft, MarqueeTop, MarqueeRight, MarqueeBottom);
    Fire(OnSelectDots);
    Repaint();
    return;
  }
  MarqueeActive = PendingPick = false;
  if (HasCurrent() && (Dragging || BrightnessDrag)) {
    Repaint();
    LastDragWasBrightness = BrightnessDrag;
    Dragging = BrightnessDrag = false;
    Fire(OnChange);
    Fire(OnChangeEnd);
  }
  if (OnHideHint) OnHideHint();
  if (OnMouseUp) OnMouseUp(Button, Shift, X, Y);
  DragOffsetX = DragOffsetY = 0;
}

void TDotGridEditor::SelectDotsInRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
  if (Y2 < Y1) std::swap(Y1, Y2);
  for (auto& Column : Grid->Dots)
    for (TDotPoint& D : Column) {
      const TPoint S = Calibrate(D.X, D.Y, true);
      if (X1 <= S.X && S.X <= X2 && Y1 <= S.Y && S.Y <= Y2) D.Selected = true;
    }
}

void TDotGridEditor::MoveSelectedDots() {
  if (!HasCurrent()) return;
  T2DEnvelopeDots& G = *Grid;
  const T2DEnvelopeDots& S = SnapshotGrid;
  const int32_t PC = G.CurCol, PR = G.CurRow;
  // Moves relative to a snapshot of another grid would index past it.
  if (S.Cols() != G.Cols() || S.Rows() != G.Rows()) return;
  const TDotPoint P = Current();
  const TDotPoint& SP = S.Dots[size_t(PC)][size_t(PR)];
  const int32_t N = G.Cols(), M = G.Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      if (C == PC && R == PR) continue;
      TDotPoint& D = G.Dots[size_t(C)][size_t(R)];
      if (!D.Selected && !(G.Circular && PR == 0 && R == 0)) continue;
      const TDotPoint& SD = S.Dots[size_t(C)][size_t(R)];
      D.Pinned = true;
      D.X = Sat(int64_t(P.X) + SD.X - SP.X);
      D.Y = Sat(int64_t(P.Y) + SD.Y - SP.Y);
      D.Z = Sat(int64_t(P.Z) + SD.Z - SP.Z);
      ClampDot(D);
    }
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      if (C == PC && R == PR) continue;
      TDotPoint& D = G.Dots[size_t(C)][size_t(R)];
      if (!D.Selected || S.Dots[size_t(C)][size_t(R)].Pinned) continue;
      const int32_t X = D.X, Y = D.Y, Z = D.Z;
      D.Pinned = false;
      G.InterpolateUntouchedDots();
      TDotPoint& E = G.Dots[size_t(C)][size_t(R)];
      if (std::abs(int64_t(E.X) - X) + std::abs(int64_t(E.Y) - Y) + std::abs(int64_t(E.Z) - Z) >
          4) {
        E.X = X;
        E.Y = Y;
        E.Z = Z;
        E.Pinned = true;
      }
    }
}

// ---------------------------------------------------------------------------
// Keyboard

bool TDotGridEditor::KeyDown(uint16_t& Key, uint32_t Shift) {
  T2DEnvelopeDots& G = *Grid;
  const bool Arrow =
      Key == EditKey::Left || Key == EditKey::Right || Key == EditKey::Up || Key == EditKey::Down;
  if (Shift & (EditShift::Alt | EditShift::Shift)) {
    if (!Arrow || G.Cols() < 1 || G.Rows() < 1) return true;
    if (!HasCurrent()) G.CurCol = G.CurRow = 0;
    const int32_t N = G.Cols(), M = G.Rows();
    int32_t C = G.CurCol, R = G.CurRow;
    if (Key == EditKey::Right)
      ++C;
    else if (Key == EditKey::Left)
      --C;
    else if (Key == EditKey::Up)
      ++R;
    else
      --R;
    if (C > N - 1) C = G.Circular ? 0 : N - 1;
    if (C < 0) C = G.Circular ? N - 1 : 0;
    G.CurCol = C;
    G.CurRow = std::clamp(R, 0, M - 1);
    if (!(Shift & EditShift::Ctrl)) G.DeselectAll();
    Current().Selected = true;
    Fire(OnSelectDots);
    Repaint();
    return true;
  }
  const int32_t Step = (Shift & EditShift::Ctrl) ? 1 : 10;
  switch (Key) {
    case EditKey::Back: G.ToggleSelectedFlag(); break;
    case EditKey::PageUp: MoveCurrentDotBy(0, 0, Step); break;
    case EditKey::PageDown: MoveCurrentDotBy(0, 0, -Step); break;
    case EditKey::Left: MoveCurrentDotBy(-Step, 0, 0); break;
    case EditKey::Right: MoveCurrentDotBy(Step, 0, 0); break;
    case EditKey::Up: MoveCurrentDotBy(0, Step, 0); break;
    case EditKey::Down: MoveCurrentDotBy(0, -Step, 0); break;
    case EditKey::Delete:
      G.UnPinSelected();
      Fire(OnChange);
      Fire(OnChangeEnd);
      break;
    case EditKey::Add:
      if (!(Shift & EditShift::Ctrl)) MoveCurrentDotBy(0, 0, 10);
      break;
    case EditKey::Subtract:
      if (!(Shift & EditShift::Ctrl)) MoveCurrentDotBy(0, 0, -10);
      break;
    default: break;
  }
  Repaint();
  return true;
}

void TDotGridEditor::MoveCurrentDotBy(int32_t DX, int32_t DY, int32_t DZ) {
  T2DEnvelopeDots& G = *Grid;
  int64_t X = DX, Y = DY;
  if (G.Rotated) {
    X = int64_t(DX) + DY;
    Y = int64_t(DY) - DX;
  }
  if (G.MinY > G.MaxY) Y = -Y;
  bool Any = false;
  for (auto& Column : G.Dots)
    for (TDotPoint& D : Column) {
      if (!D.Selected) continue;
      Any = true;
      D.Pinned = true;
      D.X = Sat(D.X + X);
      D.Y = Sat(D.Y + Y);
      D.Z = Sat(int64_t(D.Z) + DZ);
      ClampDot(D);
    }
  if (G.Circular && G.Rows() > 0)
    for (int32_t C = 0; C < G.Cols(); ++C)
      if (G.Dots[size_t(C)][0].Selected) CopyCentre(C);
  if (!Any && HasCurrent()) {
    // The current dot stays inside the ranges like a selected one.
    TDotPoint& D = Current();
    D.Pinned = true;
    D.X = Sat(D.X + X);
    D.Y = Sat(D.Y + Y);
    D.Z = Sat(int64_t(D.Z) + DZ);
    ClampDot(D);
    if (IsCentre(G.CurRow)) CopyCentre(G.CurCol);
  }
  G.InterpolateUntouchedDots();
  Repaint();
  Fire(OnChangeStep);
  Fire(OnChange);
}

// ---------------------------------------------------------------------------
// Grid building, binding, selection storage

void TDotGridEditor::CreateGrid() {
  if (Grid->Circular)
    Grid->InitializeCircular(true);
  else
    Grid->InitializeRectangular(true);
  Grid->SavedSelection.assign(size_t(Grid->Cols()), std::vector<bool>(size_t(Grid->Rows()), false));
  Repaint();
  Fire(OnChange);
}

void TDotGridEditor::ConnectToParameter(TControlledParameterGrid* Parameter) {
  if (Parameter == nullptr) return;
  Grid = &Parameter->Grid;
  ZoomX = Sat(int64_t(Grid->MaxX) - Grid->MinX);
  ZoomY = Sat(int64_t(Grid->MaxY) - Grid->MinY);
  UpdateCalibration();
  Parameter->OnChange = [this](void* Sender) { ParameterChange(Sender); };
  Grid->OnChange = [this](void* Sender) { ParameterChange(Sender); };
}

void TDotGridEditor::ParameterChange(void*) {
  Repaint();
  Fire(OnChange);
}

void TDotGridEditor::SaveSelection() {
  T2DEnvelopeDots& G = *Grid;
  G.SavedSelection.assign(size_t(G.Cols()), std::vector<bool>(size_t(G.Rows()), false));
  for (int32_t C = 0; C < G.Cols(); ++C)
    for (int32_t R = 0; R < G.Rows(); ++R)
      G.SavedSelection[size_t(C)][size_t(R)] = G.Dots[size_t(C)][size_t(R)].Selected;
}

bool TDotGridEditor::LoadSelection() {
  T2DEnvelopeDots& G = *Grid;
  const auto& S = G.SavedSelection;
  bool Fits = S.size() == size_t(G.Cols()) && !S.empty() && S[0].size() == size_t(G.Rows());
  for (size_t C = 0; Fits && C < S.size(); ++C) Fits = S[C].size() == size_t(G.Rows());
  if (!Fits) {
    PlatformShowMessage("Can not restore selection: size is different");
    return false;
  }
  for (int32_t C = 0; C < G.Cols(); ++C)
    for (int32_t R = 0; R < G.Rows(); ++R)
      G.Dots[size_t(C)][size_t(R)].Selected = S[size_t(C)][size_t(R)];
  Repaint();
  return true;
}

void TDotGridEditor::SelectAllMovedDots() {
  T2DEnvelopeDots& G = *Grid;
  G.DeselectAll();
  for (int32_t C = 0; C < G.Cols(); ++C)
    for (int32_t R = 0; R < G.Rows(); ++R) {
      TDotPoint& D = G.Dots[size_t(C)][size_t(R)];
      const TDotPoint& E = G.DefaultDots[size_t(C)][size_t(R)];
      const bool Moved =
          std::abs(int64_t(D.X) - E.X) > 1 || std::abs(int64_t(D.Y) - E.Y) > 1 || D.Z != E.Z;
      if (D.Pinned && Moved) D.Selected = true;
    }
  Repaint();
}

void TDotGridEditor::SelectAllPinnedDots() {
  Grid->DeselectAll();
  for (auto& Column : Grid->Dots)
    for (TDotPoint& D : Column) D.Selected = D.Pinned;
  Repaint();
}

void TDotGridEditor::ExpandSelection() {
  Grid->GrowSelection();
  Repaint();
}

void TDotGridEditor::SaveDotsSnapshot() { SnapshotGrid.Assign(*Grid); }

void TDotGridEditor::RestoreDotsSnapshot() {
  if (SnapshotGrid.RowCount <= 2) return;
  Grid->Assign(SnapshotGrid);
  Repaint();
  Fire(OnChange);
}

// ---------------------------------------------------------------------------
// Tool operations

void TDotGridEditor::SelectDotNear(int32_t X, int32_t Y, bool AddToSelection) {
  int32_t C = -1, R = -1;
  Grid->GetDotAt(X, Y, C, R);
  if (C < 0 || R < 0) return;
  if (AddToSelection)
    Grid->Dots[size_t(C)][size_t(R)].Selected = true;
  else {
    Grid->CurCol = C;
    Grid->CurRow = R;
  }
}

TPoint TDotGridEditor::StartDragDotNear(int32_t X, int32_t Y, int32_t CursorX, int32_t CursorY) {
  Dragging = true;
  MoveSelection = false;
  Grid->DeselectAll();
  Grid->GetDotAt(X, Y, Grid->CurCol, Grid->CurRow);
  if (!HasCurrent()) return {0, 0};
  TDotPoint& D = Current();
  D.Selected = true;
  const TPoint Q = Calibrate(D.X, D.Y, true);
  D.Pinned = true;
  DragOffsetX = Sat(int64_t(Q.X) - CursorX);
  DragOffsetY = Sat(int64_t(Q.Y) - CursorY);
  Fire(OnSelectDots);
  return Q;
}

void TDotGridEditor::BeginDotDrag(int32_t X, int32_t Y, int32_t CursorX, int32_t CursorY) {
  Fire(OnChangeStart);
  Dragging = true;
  MoveSelection = true;
  T2DEnvelopeDots& G = *Grid;
  int32_t C = 0, R = 0;
  CellAt(X, Y, C, R);
  G.CurCol = C;
  G.CurRow = R;
  G.DeselectAll();
  const int32_t N = G.Cols(), M = G.Rows();
  if (N < 1 || M < 1) return;
  const auto Select = [&](int32_t SC, int32_t SR) {
    if (SC >= 0 && SC < N && SR >= 0 && SR < M) G.Dots[size_t(SC)][size_t(SR)].Selected = true;
  };
  Select(C, R);
  if (R + 1 <= M - 1) Select(C, R + 1);
  if (G.Circular) {
    Select((C + 1) % N, R);
    if (R + 1 <= M - 1) Select((C + 1) % N, R + 1);
  } else if (C + 1 <= N - 1) {
    Select(C + 1, R);
    if (R + 1 <= M - 1) Select(C + 1, R + 1);
  }
  TDotPoint& D = Current();
  const TPoint Q = Calibrate(D.X, D.Y, true);
  D.Pinned = true;
  DragOffsetX = Sat(int64_t(Q.X) - CursorX);
  DragOffsetY = Sat(int64_t(Q.Y) - CursorY);
}

void TDotGridEditor::CellAt(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const {
  const T2DEnvelopeDots& G = *Grid;
  const int32_t N = G.Cols(), M = G.Rows();
  Col = Row = 0;
  if (N < 1 || M < 1) return;
  if (!G.Circular) {
    const double SX = double(G.MaxX) - G.MinX, SY = double(G.MaxY) - G.MinY;
    Col = SX == 0 ? 0 : ToIndex(std::trunc((X - double(G.MinX)) / SX * (N - 1)), N);
    Row = SY == 0 ? 0 : ToIndex(std::trunc((Y - double(G.MinY)) / SY * (M - 1)), M);
    return;
  }
  const float Pi = static_cast<float>(M_PI);
  const float Radius = static_cast<float>((double(G.MaxX) - G.MinX) * 0.5);
  const float A = std::atan2(static_cast<float>(X), static_cast<float>(Y)) + 4 * Pi;
  const float Sectors = std::trunc(static_cast<float>(N) * A / (2 * Pi));
  Col = ToIndex(std::fmod(Sectors, static_cast<float>(N)), N);
  const float Q = std::trunc(static_cast<float>(N) * A / Pi);
  const float Half = std::fmod(Q, 2.0f) != 0 ? Q + 1 : Q;
  const float H = Pi / static_cast<float>(N) * Half;
  if (Radius == 0) return;
  const float Distance = std::sqrt(static_cast<float>(X) * static_cast<float>(X) +
                                   static_cast<float>(Y) * static_cast<float>(Y));
  Row = ToIndex(std::trunc(static_cast<float>(M - 1) * Distance / Radius * std::cos(H - A) /
                           std::cos(Pi / static_cast<float>(N))),
                M);
}

void TDotGridEditor::ShiftCellDots(int32_t SourceLum, int32_t SourceX, int32_t SourceY,
                                   int32_t TargetLum, int32_t TargetX, int32_t TargetY, bool Move,
                                   bool Scale, bool Brightness) {
  T2DEnvelopeDots& G = *Grid;
  float DX0 = static_cast<float>(SourceX), DY0 = static_cast<float>(SourceY), DZ0 = 0;
  G.Interpolation(DX0, DY0, DZ0);
  int32_t C = 0, R = 0;
  CellAt(SourceX, SourceY, C, R);
  const int32_t N = G.Cols(), M = G.Rows();
  const auto Dot = [&](int32_t DC, int32_t DR) -> TDotPoint& {
    return G.Dots[size_t(DC)][size_t(DR)];
  };
  const auto Bright = [&] {
    return Rnd(LumaModeCalcBrightness(float(SourceLum), float(TargetLum)) * 100.0f);
  };
  if (!G.Circular) {
    if (C + 1 < N && R + 1 < M) {
      const int32_t SX = Rnd(static_cast<long double>(TargetX) - DX0);
      const int32_t SY = Rnd(static_cast<long double>(TargetY) - DY0);
      for (const auto& [DC, DR] : {std::pair{C, R}, {C + 1, R}, {C, R + 1}, {C + 1, R + 1}}) {
        TDotPoint& D = Dot(DC, DR);
        D.Pinned = true;
        if (Move) {
          D.X = Sat(int64_t(D.X) + SX);
          D.Y = Sat(int64_t(D.Y) + SY);
        }
        if (Brightness) D.Z = Bright();
      }
    }
  } else if (N > 0 && R + 1 < M) {
    int32_t C2 = (C + 1) % N, R2 = R + 1;
    const double SourceSq = double(SourceX) * SourceX + double(SourceY) * SourceY;
    if (SourceSq < 3) {
      C2 = C;
      R2 = R;
    }
    const float A1 = std::atan2(DX0, DY0), R1 = std::sqrt(DX0 * DX0 + DY0 * DY0);
    const float A2 = std::atan2(float(TargetX), float(TargetY));
    const float Rad2 = std::sqrt(float(TargetX) * float(TargetX) + float(TargetY) * float(TargetY));
    const std::pair<int32_t, int32_t> Corners[] = {{C, R}, {C2, R}, {C, R2}, {C2, R2}};
    for (const auto& [DC, DR] : Corners) Dot(DC, DR).Pinned = true;
    if (Move)
      for (const auto& [DC, DR] : Corners) Dot(DC, DR).Rotate(A1 - A2);
    if (Scale) {
      if (R1 <= 3 || SourceSq <= 3) {
        Dot(C, R).X = TargetX;
        Dot(C, R).Y = TargetY;
      } else {
        for (const auto& [DC, DR] : Corners) Dot(DC, DR).Scale(Rad2 / R1);
      }
    }
    if (Brightness) {
      Dot(C, R).Z = Dot(C2, R).Z = Bright();
      if (R1 > 3) Dot(C, R2).Z = Dot(C2, R2).Z = Bright();
    }
    if (R == 0 || R2 == 0) {
      const TDotPoint Centre = Dot(C, 0);
      for (auto& Column : G.Dots) Column[0] = Centre;
    }
  }
  G.FixGrid();
  G.InterpolateUntouchedDots();
}

// ---------------------------------------------------------------------------
// Drawing

void TDotGridEditor::Paint(TCanvas& Canvas) {
  T2DEnvelopeDots& G = *Grid;
  if (G.Dots.empty()) return;
  if (G.NeedsInterpolation) {
    G.InterpolateUntouchedDots();
    G.NeedsInterpolation = false;
  }
  const int32_t BW = Canvas.Bitmap().Width(), BH = Canvas.Bitmap().Height();
  const auto Map = [&](int64_t X, int64_t Y) { return Calibrate(Sat(X), Sat(Y), true); };
  const auto Line = [&](TPoint A, TPoint B) {
    Canvas.MoveTo(A.X, A.Y);
    Canvas.LineTo(B.X, B.Y);
  };
  const bool Lit = Focused || FManualFocus;

  Canvas.Brush = {0xFFF0E8, bsSolid};
  if (Background.Width() == 0 || Background.Height() == 0) {
    Canvas.FillRect(0, 0, BW, BH);
  } else {
    TCanvas Source(Background);
    for (int32_t Y = 0; Y < Background.Height(); ++Y)
      for (int32_t X = 0; X < Background.Width(); ++X) Canvas.SetPixel(X, Y, Source.Pixel(X, Y));
  }
  const int64_t X0 = G.MinX, X1 = G.MaxX, Y0 = G.MinY, Y1 = G.MaxY;
  Canvas.Pen = {0x606060, 1, psSolid};
  if (RulerShowCenter) {
    const int64_t HY[] = {Y0 + (Y1 - Y0) / 2, Y0 + (Y1 - Y0) / 4, Y0 + (3 * Y1 - 3 * Y0) / 4};
    const int64_t VX[] = {X0 + (X1 - X0) / 2, X0 + (X1 - X0) / 4, X0 + (3 * X1 - 3 * X0) / 4};
    for (int K = 0; K < 3; ++K) {
      Line(Map(X0, HY[K]), Map(X1, HY[K]));
      Line(Map(VX[K], Y0), Map(VX[K], Y1));
    }
  }
  if (RulerShowDiagonal) {
    Line(Map(X0, Y0), Map(X1, Y1));
    Line(Map(X1, Y0), Map(X0, Y1));
  }
  const TColor FrameColor = Lit ? 0xFFFFFF : 0;
  if (!G.Rotated) {
    Canvas.Pen = {FrameColor, 1, psSolid};
    Canvas.Brush.Style = bsClear;
    Canvas.Rectangle(0, 0, BW, BH);
  } else {
    Canvas.Pen = {FrameColor, 1, psSolid};
    TPoint A = Map(X0, Y0), B = Map(X1, Y0), C = Map(X1, Y1), D = Map(X0, Y1);
    A.Y += 2;
    B.X += 2;
    C.Y -= 2;
    D.X -= 2;
    Canvas.MoveTo(A.X, A.Y);
    Canvas.LineTo(B.X, B.Y);
    Canvas.LineTo(C.X, C.Y);
    Canvas.LineTo(D.X, D.Y);
    Canvas.LineTo(A.X, A.Y);
  }
  const int32_t N = G.Cols(), M = G.Rows();
  if (ShowStartDotsPos) {
    Canvas.Pen = {0x6060A0, 1, psSolid};
    for (int32_t C = 0; C < N; ++C)
      for (int32_t R = 0; R < M; ++R) {
        const TDotPoint& D = G.Dots[size_t(C)][size_t(R)];
        if (ShowStartDotsPosOnlyTouched && !D.Pinned) continue;
        Line(CalibrateDot(G.DefaultDots[size_t(C)][size_t(R)], true), CalibrateDot(D, true));
      }
  }
  Canvas.Brush.Style = bsClear;
  for (int32_t C = 0; C < N && size_t(C) < G.Labels.size(); ++C)
    for (int32_t R = 0; R < M && size_t(R) < G.Labels[size_t(C)].size(); ++R) {
      const std::string& Label = G.Labels[size_t(C)][size_t(R)];
      if (Label.empty()) continue;
      const TPoint P = CalibrateDot(G.Dots[size_t(C)][size_t(R)], true);
      int32_t TW = 0, TH = 0;
      MeasureTextLines(Canvas, Label, TW, TH);
      DrawTextLines(Canvas, Label, Sat(P.X - 3 * int64_t(Label.size())), Sat(int64_t(P.Y) + 6), TW,
                    TH, 0);
    }

  const bool Wrap = WrapColumns || G.Circular;
  const int32_t Last = N - 1 + (Wrap ? 1 : 0);
  for (int32_t C = 0; C <= Last && N > 0; ++C)
    for (int32_t R = 0; R < M; ++R) {
      const TDotPoint& A = G.Dots[size_t(C % N)][size_t(R)];
      if (!A.Active) continue;
      const TPoint P = CalibrateDot(A, true);
      Canvas.Pen = {0, 1, psSolid};
      const TDotPoint& Right = G.Dots[size_t((C + 1) % N)][size_t(R)];
      if (Right.Active) {
        Canvas.MoveTo(P.X, P.Y);
        if (C + 1 < N + (Wrap ? 1 : 0)) {
          const TPoint Q = CalibrateDot(Right, true);
          Canvas.LineTo(Q.X, Q.Y);
        }
      }
      if (R + 1 < M && G.Dots[size_t(C % N)][size_t(R + 1)].Active) {
        Line(P, CalibrateDot(G.Dots[size_t(C % N)][size_t(R + 1)], true));
      }
      const TColor Fill = AllowBrightnessEdit ? TColor(ClampByte(A.Z + 128)) * 0x010101
                                              : static_cast<TColor>(A.Color) & 0xFFFFFF;
      Canvas.Brush = {Fill, bsSolid};
      Canvas.Pen.Color = static_cast<TColor>(A.Color) & 0xFFFFFF;
      const int64_t S = A.Pinned ? int64_t(DotSize) + 2 : DotSize;
      const auto Box = [&](int64_t Grow) {
        Canvas.Rectangle(Sat(P.X - S - Grow), Sat(P.Y - S - Grow), Sat(P.X + S + Grow),
                         Sat(P.Y + S + Grow));
      };
      Box(0);
      Canvas.Brush.Style = bsClear;
      if (A.Selected) {
        Canvas.Pen.Color = Lit ? 0xFFFFFF : 0x808080;
        Box(4);
      }
      if (A.MarkColor != 0) {
        Canvas.Pen.Color = static_cast<TColor>(A.MarkColor) & 0xFFFFFF;
        Box(5);
      }
      if (A.Excluded && AllowDisabling) {
        Canvas.Pen.Color = 0x0000FF;
        Line({Sat(P.X - 7), Sat(P.Y - 7)}, {Sat(P.X + 7), Sat(P.Y + 7)});
        Line({Sat(P.X - 7), Sat(P.Y + 7)}, {Sat(P.X + 7), Sat(P.Y - 7)});
      }
    }

  if (BrightnessDrag && HasCurrent()) {
    const TPoint P = CalibrateDot(Current(), true);
    const std::string Text = std::to_string(Current().Z);
    Canvas.Font.Color = 0xFFFFFF;
    int32_t TW = 0, TH = 0;
    MeasureTextLines(Canvas, Text, TW, TH);
    const int64_t TY = int64_t(P.Y) + 10 > int64_t(BH) - 10 ? int64_t(P.Y) - 22 : int64_t(P.Y) + 10;
    DrawTextLines(Canvas, Text, Sat(P.X - 10), Sat(TY), TW, TH, 0);
  }
  if (MarqueeActive) {
    Canvas.Pen = {0x7F7F7F, 1, psDot};
    Canvas.MoveTo(MarqueeLeft, MarqueeTop);
    Canvas.LineTo(MarqueeRight, MarqueeTop);
    Canvas.LineTo(MarqueeRight, MarqueeBottom);
    Canvas.LineTo(MarqueeLeft, MarqueeBottom);
    Canvas.LineTo(MarqueeLeft, MarqueeTop);
  }
  if (PickerVisible) {
    // The picked colour: a cross and nested squares, dark and white, that
    // show on light and dark backgrounds alike.
    const TPoint P = Calibrate(PickerX, PickerY, true);
    const auto Square = [&](int64_t R, TColor Color) {
      Canvas.Pen = {Color, 1, psSolid};
      Canvas.Rectangle(Sat(int64_t(P.X) - R), Sat(int64_t(P.Y) - R), Sat(int64_t(P.X) + R + 1),
                       Sat(int64_t(P.Y) + R + 1));
    };
    Canvas.Brush.Style = bsClear;
    Canvas.Pen = {0x000000, 1, psSolid};
    Canvas.MoveTo(Sat(int64_t(P.X) - 11), P.Y);
    Canvas.LineTo(Sat(int64_t(P.X) + 12), P.Y);
    Canvas.MoveTo(P.X, Sat(int64_t(P.Y) - 11));
    Canvas.LineTo(P.X, Sat(int64_t(P.Y) + 12));
    Square(7, 0x000000);
    Square(6, 0xFFFFFF);
    Square(5, 0x000000);
  }
  Fire(OnPaint);
}

}  // namespace kromel
