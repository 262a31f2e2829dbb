// The captioned scroll bar: a caption that drags the value sideways, a
// glyph scroll bar, and a value label that gives way to a text edit when
// clicked, in one row (model: TCaptionedScrollBarControl, whose caption box
// and bar the two child controls show).
#pragma once
#include <QLineEdit>

#include "controls/scroll_bar_controls.h"
#include "widgets/control_widget.h"

namespace kromel {

class TGlyphScrollBar;
class TLabelBox;

class TGlyphScrollBarWithCaption : public TControlWidget {
public:
  explicit TGlyphScrollBarWithCaption(QWidget* Parent = nullptr);
  explicit TGlyphScrollBarWithCaption(TCaptionedScrollBarControl& Model, QWidget* Parent = nullptr);
  ~TGlyphScrollBarWithCaption() override;

  TCaptionedScrollBarControl& Bar() const {
    return static_cast<TCaptionedScrollBarControl&>(Controller());
  }
  std::string ClassName() const override { return "TGlyphScrollBarWithCaption"; }
  bool PublishesColor() const override { return true; }
  TVelWidget* CaptionLabel() override;
  TVelWidget* InnerScrollBar() override;

  void SetCaption(const std::string& Text);
  TLabelBox* CaptionBox = nullptr;
  TGlyphScrollBar* ScrollBar = nullptr;
  QLineEdit* ValueEdit = nullptr;
  TLabelBox* ValueLabel = nullptr;

  // Places the four parts for the current size.
  void Arrange();

protected:
  void Paint(TImage32& Canvas) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  void Init();
  void StartEditing();
  void FinishEditing();
};

}  // namespace kromel
