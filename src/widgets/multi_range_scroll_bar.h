// The multi-range scroll bar: one to five thumbs in order on one rail
// (model: TMultiRangeControl, which pushes the neighbours a dot overruns).
#pragma once
#include "controls/multi_value_controls.h"
#include "widgets/control_widget.h"
#include "widgets/glyph_picture.h"

namespace kromel {

class TMultiRangeScrollBar : public TControlWidget {
public:
  explicit TMultiRangeScrollBar(QWidget* Parent = nullptr);
  explicit TMultiRangeScrollBar(TMultiRangeControl& Model, QWidget* Parent = nullptr);
  ~TMultiRangeScrollBar() override;

  TMultiRangeControl& Bar() const { return static_cast<TMultiRangeControl&>(Controller()); }
  std::string ClassName() const override { return "TMultiRangeScrollBar"; }
  TColor BackgroundColor = 0;
  TGlyphPicture PicRail;
  TGlyphPicture PicThumb;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  bool MouseWheel(TShiftState, int32_t, int32_t, int32_t) override { return false; }

private:
  void Init();
  void SyncModel();
};

}  // namespace kromel
