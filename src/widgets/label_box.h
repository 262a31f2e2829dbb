// The label box: a caption over a glyph or its colour that also holds a
// value changed by dragging, the wheel and the Up and Down keys (model:
// TLabelBoxControl); and the pop-up value edit a control opens over itself.
#pragma once
#include <QLineEdit>
#include <string>

#include "controls/label_box.h"
#include "platform/canvas.h"
#include "widgets/control_widget.h"
#include "widgets/glyph_picture.h"

namespace kromel {

class TLabelBox : public TControlWidget {
public:
  explicit TLabelBox(QWidget* Parent = nullptr);
  // Over a model owned elsewhere (the caption of a captioned scroll bar).
  explicit TLabelBox(TLabelBoxControl& Model, QWidget* Parent = nullptr);
  ~TLabelBox() override;

  TLabelBoxControl& Box() const { return static_cast<TLabelBoxControl&>(Controller()); }
  std::string ClassName() const override { return "TLabelBox"; }
  bool PublishesColor() const override { return true; }
  bool PublishesFontLight() const override { return true; }

  // Caption lines separated by carriage returns or line feeds.
  std::string Caption;
  int32_t Alignment = 2;  // 0 left, 1 right, 2 centred
  TFont Font;
  TGlyphPicture Glyph;
  void SetCaption(const std::string& Text);

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void DblClick() override;
  bool MouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
  void Init();
};

// The pop-up value edit: typed numbers reach Target as normalised values
// ($401), Enter and Escape hand the focus back ($402), leaving it tells the
// target it closed ($403).
class TPopupEdit : public QLineEdit {
public:
  TPopupEdit(TControlWidget* Target, QWidget* Parent);
  TControlWidget* Target;
  TPopupEditModel Model;

protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;

private:
  void TextChanged(const QString& Text);
  bool FClosing = false;
};

// Creates the edit as a child of Parent at (X, Y), 50 x 25, with Value as
// its text, and focuses it.
TPopupEdit* ShowPopupEdit(QWidget* Parent, int32_t X, int32_t Y, TControlWidget* Target,
                          float MinValue, float MaxValue, float Value);

}  // namespace kromel
