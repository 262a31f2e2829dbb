// Small framed controls: the framed panel of the tool areas, the bevel
// line or frame, the scroll box with scroll events, and the check box made
// of a selector switch and a caption.
#pragma once
#include <QScrollArea>

#include "widgets/glyph_picture.h"
#include "widgets/glyph_switch.h"

namespace kromel {

// The button shadow and highlight colours of the system palette.
constexpr TColor clBtnShadowColor = 0x808080;
constexpr TColor clBtnHighlightColor = 0xFFFFFF;

// A panel with a two-pixel frame in two colours, filled with its colour;
// no caption is drawn.
class TVelPanel : public TVelWidget {
public:
  explicit TVelPanel(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TVelPanel"; }
  TColor BevelColor1 = 0x484848;
  TColor BevelColor2 = 0x202020;
  void SetBevelColors(TColor Outer, TColor Inner) override;
  // Held but not painted.
  TGlyphPicture Background;
  void SetBackground(const TImage32& Picture);

protected:
  void Paint(TImage32& Canvas) override;
};

enum TBevelStyle : int32_t { bsLowered = 0, bsRaised = 1 };
enum TBevelShape : int32_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

// A bevel line or frame; Flat draws a frame in one colour. It paints over
// the pixels of its parent it lies on (Ground stands for them here).
class TVelBevel : public TVelWidget {
public:
  explicit TVelBevel(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TVelBevel"; }
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);
  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);

protected:
  void Paint(TImage32& Canvas) override;

private:
  TBevelStyle FStyle = bsLowered;
  TBevelShape FShape = bsBox;
  bool FFlat = true;
};

// A scroll box that reports scrolling and takes every key.
class TVelScrollBox : public QScrollArea {
public:
  explicit TVelScrollBox(QWidget* Parent = nullptr);
  TNotifyHandler OnScrollHorz;
  TNotifyHandler OnScrollVert;
  std::function<void(QWidget* Sender, uint16_t& Key, TShiftState Shift)> OnKeyDown;

protected:
  void keyPressEvent(QKeyEvent* Event) override;
  bool focusNextPrevChild(bool) override { return false; }
};

// The caption part of a check box: text on the control's colour, left
// aligned and centred vertically.
class TCheckBoxCaption : public TVelWidget {
public:
  explicit TCheckBoxCaption(QWidget* Parent) : TVelWidget(Parent) {}
  std::string Text;
  TNotifyHandler OnClick;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
};

// A check box: a selector switch with the frames " " and "X" and a caption
// to its right. Clicking either toggles it.
class TVelCheckBox : public TControlWidget {
public:
  explicit TVelCheckBox(QWidget* Parent = nullptr, std::string Name = {});
  std::string ClassName() const override { return "TVelCheckBox"; }
  TGlyphSwitch& Box() const { return *FSwitch; }
  TCheckBoxCaption& Label() const { return *FLabel; }
  std::string Caption() const { return FLabel->Text; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return FSwitch->Switch().SelectorPosition > 0; }
  void SetChecked(bool Value);
  void SetColor(TColor Value) override;
  void SetFontColor(TColor Value) override;

  TNotifyHandler OnClick;
  TNotifyHandler OnChange;

protected:
  void resizeEvent(QResizeEvent* Event) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
  TGlyphSwitch* FSwitch;
  TCheckBoxCaption* FLabel;
};

}  // namespace kromel
