// The glyph scroll bar: a rail picture with a thumb picture over it, both
// rendered by the skinner, the thumb placed by the model's layout. Its
// model is a TScrollBarControl, which does the drag maths.
#pragma once
#include "controls/scroll_bar_controls.h"
#include "widgets/control_widget.h"
#include "widgets/glyph_picture.h"

namespace kromel {

class TPopupEdit;

enum TScrollBarKind : int32_t { sbHorizontal = 0, sbVertical = 1 };

class TGlyphScrollBar : public TControlWidget {
public:
  explicit TGlyphScrollBar(QWidget* Parent = nullptr, TScrollBarKind Kind = sbHorizontal);
  // Over a model owned elsewhere (the bar of a captioned scroll bar, or one
  // of the window's bound bars).
  TGlyphScrollBar(TScrollBarControl& Model, QWidget* Parent, TScrollBarKind Kind = sbHorizontal);
  ~TGlyphScrollBar() override;

  TScrollBarControl& ScrollBar() const { return static_cast<TScrollBarControl&>(Controller()); }
  TScrollBarKind Kind = sbHorizontal;
  bool HasButtons = true;
  TColor ButtonColor = 0x888888;
  TColor GradientColor1 = 0x1FFFFFFF;  // clNone: no gradient line
  TColor GradientColor2 = 0x1FFFFFFF;
  TGlyphPicture PicRail;
  TGlyphPicture PicThumb;
  // The pop-up editor, made at the first double click and kept.
  TPopupEdit* PopupEdit = nullptr;

  // The thumb's leading edge in pixels along the bar.
  int32_t ThumbOffset() const;
  // Length of the thumb along the bar.
  int32_t ThumbLength() const;
  // The model's geometry from the widget's size, kind and thumb picture.
  TScrollBarLayout Layout() const;
  void CMEditClosed() override;

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
  void SyncModel() const;
};

}  // namespace kromel
