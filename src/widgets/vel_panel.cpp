#include "widgets/vel_panel.h"

#include <QKeyEvent>
#include <QScrollBar>

#include "widgets/canvas_paint.h"
#include "widgets/draw_helpers.h"

namespace kromel {

// ---------------------------------------------------------------------------
// TVelPanel

TVelPanel::TVelPanel(QWidget* Parent) : TVelWidget(Parent) { SetColor(0x282828); }

void TVelPanel::SetBevelColors(TColor Outer, TColor Inner) {
  BevelColor1 = Outer;
  BevelColor2 = Inner;
  update();
}

void TVelPanel::SetBackground(const TImage32& Picture) {
  TImage32 Copy;
  if (HasArea(Picture) && Copy.Alloc(Picture.Width, Picture.Height)) Copy.DrawImage(Picture, 0, 0);
  Background.Take(Copy);
}

void TVelPanel::Paint(TImage32& Image) {
  const int32_t W = Image.Width, H = Image.Height;
  PaintOnCanvas(Image, [&](TCanvas& C) {
    C.Pen.Color = BevelColor1;
    CanvasLine(C, -1, 0, W, 0);
    CanvasLine(C, W - 1, -1, W - 1, H);
    CanvasLine(C, W - 1, H - 1, -1, H - 1);
    CanvasLine(C, 0, H - 1, 0, 0);
    C.Pen.Color = BevelColor2;
    CanvasLine(C, -1, 1, W - 1, 1);
    CanvasLine(C, W - 2, 0, W - 2, H - 1);
    CanvasLine(C, W - 2, H - 2, 0, H - 2);
    CanvasLine(C, 1, H - 2, 1, 1);
    C.Brush.Color = Color();
    C.Brush.Style = bsSolid;
    if (W > 4 && H > 4) C.FillRect(2, 2, W - 2, H - 2);
  });
}

// ---------------------------------------------------------------------------
// TVelBevel

TVelBevel::TVelBevel(QWidget* Parent) : TVelWidget(Parent) {
  resize(50, 50);
  if (Parent) SetColor(ColorOfQColor(Parent->palette().color(QPalette::Window)));
}

void TVelBevel::SetStyle(TBevelStyle V) {
  if (V == FStyle) return;
  FStyle = V;
  update();
}

void TVelBevel::SetShape(TBevelShape V) {
  if (V == FShape) return;
  FShape = V;
  update();
}

void TVelBevel::SetFlat(bool V) {
  FFlat = V;
  update();
}

void TVelBevel::Paint(TImage32& Image) {
  Image.Fill(Color());
  const int32_t W = Image.Width, H = Image.Height;
  const TColor First = FStyle == bsRaised ? clBtnHighlightColor : clBtnShadowColor;
  const TColor Second = FStyle == bsRaised ? clBtnShadowColor : clBtnHighlightColor;
  PaintOnCanvas(Image, [&](TCanvas& C) {
    C.Pen.Width = 1;
    auto Frame = [&](int32_t L, int32_t T, int32_t R, int32_t B, TColor C1, TColor C2) {
      C.Pen.Color = C1;
      C.MoveTo(L, B);
      C.LineTo(L, T);
      C.LineTo(R, T);
      C.Pen.Color = C2;
      C.LineTo(R, B);
      C.LineTo(L, B);
    };
    auto Line = [&](int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, TColor Col) {
      C.Pen.Color = Col;
      CanvasLine(C, X1, Y1, X2, Y2);
    };
    switch (FShape) {
      case bsBox: Frame(0, 0, W - 1, H - 1, First, FFlat ? First : Second); break;
      case bsFrame:
        Frame(1, 1, W - 1, H - 1, Second, Second);
        Frame(0, 0, W - 2, H - 2, First, First);
        break;
      case bsTopLine:
        Line(0, 0, W, 0, First);
        Line(0, 1, W, 1, Second);
        break;
      case bsBottomLine:
        Line(0, H - 2, W, H - 2, First);
        Line(0, H - 1, W, H - 1, Second);
        break;
      case bsLeftLine:
        Line(0, 0, 0, H, First);
        Line(1, 0, 1, H, Second);
        break;
      case bsRightLine:
        Line(W - 2, 0, W - 2, H, First);
        Line(W - 1, 0, W - 1, H, Second);
        break;
      case bsSpacer: break;
    }
  });
}

// ---------------------------------------------------------------------------
// TVelScrollBox

TVelScrollBox::TVelScrollBox(QWidget* Parent) : QScrollArea(Parent) {
  setFocusPolicy(Qt::StrongFocus);
  QObject::connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int) {
    if (OnScrollHorz) OnScrollHorz(this);
  });
  QObject::connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int) {
    if (OnScrollVert) OnScrollVert(this);
  });
}

void TVelScrollBox::keyPressEvent(QKeyEvent* E) {
  uint16_t Key = VirtualKeyOf(E->key());
  if (OnKeyDown && Key != 0) OnKeyDown(this, Key, ShiftStateOf(E->modifiers(), Qt::NoButton));
  if (Key == 0 && VirtualKeyOf(E->key()) != 0)
    E->accept();
  else
    QScrollArea::keyPressEvent(E);
}

// ---------------------------------------------------------------------------
// TVelCheckBox

void TCheckBoxCaption::Paint(TImage32& Image) {
  Image.Fill(Color());
  TFont F;
  F.Size = std::clamp(height() * 3 / 5, 8, 12);
  F.Color = FontColor();
  DrawTextBox(Image, Text, F, Color(), 3, 0, std::max(width() - 3, 1), height(), 0);
}

void TCheckBoxCaption::MouseUp(TMouseButton B, TShiftState S, int32_t X, int32_t Y) {
  TVelWidget::MouseUp(B, S, X, Y);
  if (B == mbLeft && rect().contains(X, Y) && OnClick) OnClick(this);
}

TVelCheckBox::TVelCheckBox(QWidget* Parent, std::string Name)
    : TControlWidget(std::make_unique<TController>(std::move(Name)), Parent),
      FSwitch(new TGlyphSwitch(this, skSelector)),
      FLabel(new TCheckBoxCaption(this)) {
  FSwitch->SetCaption(" ;X");
  FSwitch->OnClick = [this](QWidget*) {
    if (OnClick) OnClick(this);
  };
  FSwitch->OnChange = [this](QWidget*) {
    if (OnChange) OnChange(this);
  };
  FLabel->OnClick = [this](QWidget*) {
    FSwitch->Switch().SetSelectorPosition(FSwitch->Switch().SelectorPosition ^ 1);
    if (OnClick) OnClick(this);
  };
  FSwitch->setFocusPolicy(Qt::NoFocus);
}

void TVelCheckBox::SetCaption(const std::string& Value) {
  FLabel->Text = Value;
  FLabel->update();
}

void TVelCheckBox::SetChecked(bool Value) {
  FSwitch->Switch().SetSelectorPosition(Value ? 1 : 0);
  FSwitch->update();
}

void TVelCheckBox::SetColor(TColor Value) {
  TControlWidget::SetColor(Value);
  FLabel->SetColor(Value);
  FSwitch->SetColor(Value);
}

void TVelCheckBox::SetFontColor(TColor Value) {
  TControlWidget::SetFontColor(Value);
  FLabel->SetFontColor(Value);
}

void TVelCheckBox::resizeEvent(QResizeEvent* E) {
  const int32_t W = width(), H = height();
  FSwitch->setGeometry(0, 0, H, H);
  FLabel->setGeometry(H, 0, std::max(1, W - H), H);
  TControlWidget::resizeEvent(E);
}

void TVelCheckBox::KeyDown(uint16_t& Key, TShiftState) {
  if (Key == 32) {
    FSwitch->Click();
    Key = 0;
  }
}

}  // namespace kromel
