#include "widgets/vel_color_controls.h"

#include <QAction>
#include <QActionGroup>

#include "analysis/colour_readouts.h"
#include "widgets/draw_helpers.h"
#include "widgets/qt_dialogs.h"
#include "widgets/stroke_draw.h"

namespace kromel {

TChooseColor& ColorDialogHook() {
  static TChooseColor Hook = [](TColor& C) { return ExecuteColorDialog(C); };
  return Hook;
}

// ---------------------------------------------------------------------------
// TVelColorPlate

TVelColorPlate::TVelColorPlate(QWidget* Parent)
    : TControlWidget(std::make_unique<TColorPlateControl>(), Parent) {}

TVelColorPlate::TVelColorPlate(TColorPlateControl& Model, QWidget* Parent)
    : TControlWidget(Model, Parent) {}

void TVelColorPlate::Paint(TImage32& Canvas) {
  const auto R = TColorPlateControl::Rects(Canvas.Width, Canvas.Height, Bevel);
  FillBox(Canvas, R.Fill.Left, R.Fill.Top, R.Fill.Right, R.Fill.Bottom, static_cast<TColor>(Plate().Color));
  if (Bevel > 0)
    for (const TRect& F : R.Frame) FillBox(Canvas, F.Left, F.Top, F.Right, F.Bottom, BevelColor);
}

void TVelColorPlate::DblClick() {
  TControlWidget::DblClick();
  TColor C = static_cast<TColor>(Plate().Color);
  if (!ColorDialogHook() || !ColorDialogHook()(C)) return;
  // Through the plate's setter: the bound parameter receives the colour.
  Plate().ColorChosen(static_cast<int32_t>(C));
  update();
}

// ---------------------------------------------------------------------------
// TVelColorWatch

TVelColorWatch::TVelColorWatch(QWidget* Parent) : TVelWidget(Parent) {
  SetColor(0x303030);
  Watch.OnChanged = [this](void*) { update(); };
  Watch.SetBounds(width(), height());
}

void TVelColorWatch::resizeEvent(QResizeEvent*) { Watch.SetBounds(width(), height()); }

int32_t TVelColorWatch::PlateAt(int32_t X, int32_t Y) const {
  const TColorWatchLayout L = Watch.ArrangeControls();
  auto In = [&](const TBounds& B) {
    return X >= B.Left && X < B.Left + B.Width && Y >= B.Top && Y < B.Top + B.Height;
  };
  if (L.Plate2Visible && In(L.Plate2)) return 2;
  if (In(L.Plate1)) return 1;
  return 0;
}

void TVelColorWatch::Paint(TImage32& Canvas) {
  Canvas.Fill(Color());
  const TColorWatchLayout L = Watch.ArrangeControls();
  TFont Font;
  Font.Size = 11;
  Font.Color = 0xC0C0C0;
  auto Text = [&](const std::string& S, const TBounds& B, TColor Back) {
    DrawTextBox(Canvas, S, Font, Back, B.Left, std::max(B.Top, 0), B.Width, B.Height, 0);
  };
  if (L.TextVisible) {
    Text(Watch.TitlesText, L.TitleBox, Color());
    Text(Watch.NumbersText, L.NumbersBox, Color());
    Text("x", L.CloseBox, Color());
    Text(Watch.Status, L.StatusBox, Color());
  }
  // The plates over the text boxes, so a long readout never hides one.
  auto Plate = [&](const TBounds& B, int32_t Which) {
    const TColor C = static_cast<TColor>(Watch.PlateColor(Which));
    FillBox(Canvas, B.Left, B.Top, B.Left + B.Width, B.Top + B.Height, C);
    if (L.PlateOutline) FrameBox(Canvas, B.Left, B.Top, B.Left + B.Width, B.Top + B.Height, 0x808080);
  };
  Plate(L.Plate1, 1);
  if (L.Plate2Visible) Plate(L.Plate2, 2);
  if (!L.Plate1LabelText.empty())
    Text(L.Plate1LabelText, TBounds{L.Plate1.Left + 2, L.Plate1.Top + 2, 12, 14},
         static_cast<TColor>(Watch.PlateColor(1)));
  if (L.Plate2Visible && !L.Plate2LabelText.empty())
    Text(L.Plate2LabelText, TBounds{L.Plate2.Left + 2, L.Plate2.Top + 2, 12, 14},
         static_cast<TColor>(Watch.PlateColor(2)));
}

void TVelColorWatch::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  const TColorWatchLayout L = Watch.ArrangeControls();
  const int32_t P = PlateAt(X, Y);
  if (P != 0) {
    if ((Shift & ssDouble) != 0) {
      if (!Watch.Editable) return;
      // Each plate edits its own colour.
      TColor C = static_cast<TColor>(Watch.EditedColor(P));
      if (ColorDialogHook() && ColorDialogHook()(C)) Watch.PlateColorChosen(P, static_cast<int32_t>(C));
      update();
      return;
    }
    TVelWidget::MouseDown(Button, Shift, X, Y);
    return;
  }
  auto In = [&](const TBounds& B) {
    return X >= B.Left && X < B.Left + B.Width && Y >= B.Top && Y < B.Top + B.Height;
  };
  if (L.TextVisible && (In(L.NumbersBox) || In(L.TitleBox))) {
    if (Watch.TextMouseDown(static_cast<TPressButton>(Button), Shift)) PopUpFormatMenu(X, Y);
    update();
  }
}

void TVelColorWatch::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TVelWidget::MouseMove(Shift, X, Y);
  if (CaptureControl != nullptr && PlateAt(X, Y) != 0) {
    const QPoint G = mapToGlobal(QPoint(X, Y));
    CaptureControl->ForwardMouseMove(G.x(), G.y());
  }
}

void TVelColorWatch::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  const TColorWatchLayout L = Watch.ArrangeControls();
  auto In = [&](const TBounds& B) {
    return X >= B.Left && X < B.Left + B.Width && Y >= B.Top && Y < B.Top + B.Height;
  };
  if (CaptureControl != nullptr) {
    const QPoint G = mapToGlobal(QPoint(X, Y));
    TVelWidget* C = CaptureControl;
    CaptureControl = nullptr;
    C->ForwardLButtonUp(G.x(), G.y());
  }
  if (L.TextVisible && In(L.CloseBox)) {
    if (OnDeleteColorWatch) OnDeleteColorWatch(this);
    hide();
    return;
  }
  if (L.TextVisible && In(L.StatusBox)) {
    Watch.ToggleStatus();
    return;
  }
  TVelWidget::MouseUp(Button, Shift, X, Y);
}

void TVelColorWatch::PopUpFormatMenu(int32_t X, int32_t Y) {
  QMenu Menu(this);
  QActionGroup Group(&Menu);
  for (int32_t I = 0; I < TColorWatchModel::FormatCount; ++I) {
    QAction* A = Menu.addAction(PickerModeName(I));
    A->setCheckable(true);
    A->setChecked(I == std::clamp(Watch.TextMode, 0, TColorWatchModel::FormatCount - 1));
    A->setData(I);
    Group.addAction(A);
  }
  Menu.addSeparator();
  QAction* Deltas = Menu.addAction("Show Deltas");
  Deltas->setCheckable(true);
  Deltas->setChecked(Watch.ShowDeltas);
  Deltas->setData(16);
  if (QAction* Chosen = Menu.exec(mapToGlobal(QPoint(X, Y)))) Watch.MenuClick(Chosen->data().toInt());
}

}  // namespace kromel
