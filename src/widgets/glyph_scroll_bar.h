// The glyph scroll bar: a rail picture with a thumb picture over it, both
// rendered by the skinner, the thumb placed by the model's shown position.
// Its model is a TScrollBarControl.
#pragma once
#include "controls/scroll_bar_controls.h"
#include "widgets/control_widget.h"
#include "widgets/glyph_picture.h"

namespace kromel {

enum TScrollBarKind : int32_t { sbHorizontal = 0, sbVertical = 1 };

class TGlyphScrollBar : public TControlWidget {
public:
  explicit TGlyphScrollBar(QWidget* Parent = nullptr, TScrollBarKind Kind = sbHorizontal);

  TScrollBarControl& ScrollBar() const { return static_cast<TScrollBarControl&>(Controller()); }
  TScrollBarKind Kind = sbHorizontal;
  bool HasButtons = true;
  TColor GradientColor1 = 0x1FFFFFFF;  // clNone: no gradient line
  TColor GradientColor2 = 0x1FFFFFFF;
  TGlyphPicture PicRail;
  TGlyphPicture PicThumb;

  // The thumb's leading edge in pixels along the bar.
  int32_t ThumbOffset() const;
  // Length of the thumb along the bar.
  int32_t ThumbLength() const;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  bool MouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
  void MoveThumbTo(int32_t X, int32_t Y);
  bool FDragging = false;
};

}  // namespace kromel
