// The zoomable preview: the processed image ("After"), the unprocessed one
// ("Before") and the reference in one or two panes, side by side, stacked or
// split. The geometry, hit tests, pan and zoom live in TPreviewLayout; this
// widget keeps the viewport-size buffers, paints them and routes the mouse.
//
// The visible part of the source is box-averaged to the viewport's size into
// VisiblePart; the main window hands that to rendering and gives the result
// back with SetResult. Main thread only.
#pragma once
#include <QImage>
#include <functional>

#include "controls/preview_layout.h"
#include "images/image32.h"
#include "images/image64.h"
#include "widgets/vel_widget.h"

namespace kromel {

class TImageWithZoom : public TVelWidget {
public:
  explicit TImageWithZoom(QWidget* Parent = nullptr);
  ~TImageWithZoom() override;

  std::string ClassName() const override { return "TImageWithZoom"; }

  TPreviewLayout Layout;

  // The full-size source and reference (not owned; null for none). Call
  // ImageChanged / ReferenceChanged after replacing their pixels.
  void SetSourceImage(const TImage64* Image);
  void ImageChanged();
  void SetReferenceImage(const TImage64* Image);
  void ReferenceChanged();

  // The display copy of a 16-bit picture into an 8-bit one of the same size
  // (the view's colour transform); the high bytes by default.
  std::function<void(const TImage64& Source, TImage32& Target)> ToDisplay;
  // The same for the rendered 8-bit picture, in place (none: as it is).
  std::function<void(TImage32& Image)> ResultToDisplay;

  // The visible part of the source at viewport size, rebuilt after every
  // view change; OnVisiblePartChanged tells the owner to render it.
  const TImage64& VisiblePart() const { return FVisiblePart; }
  std::function<void()> OnVisiblePartChanged;
  // The rendered visible part (copied); the After pane shows it.
  void SetResult(const TImage32& Rendered);
  // Fills the Before pane; by default the visible part through ToDisplay.
  std::function<void(TImage32& BeforePane)> OnRenderBefore;
  // The display mode (0..9) the default Before pane shows, as the renderer
  // applies it to the After pane.
  uint8_t DisplayMode = 0;
  void InvalidateBefore();
  // A view changed (zoom, zoom command, end of a pan).
  std::function<void()> OnChange;
  // A selection marquee was finished.
  std::function<void()> OnSelection;

  TColor BackgroundColor() const { return FBackground; }
  void SetBackgroundColor(TColor Value);
  TColor TextColor = 0xFFFFFF;
  bool UseAlphaChannel = false;
  bool SelectionEnabled = false;
  bool HasPopupMenu = false;
  std::function<void(int32_t X, int32_t Y)> OnPopup;

  // Layout switches (ArrangeViewports runs, the widget repaints).
  void SetCompare(bool Compare, bool Split, bool Vertical);
  void SetShowReference(bool Value);
  void SetShowBefore(bool Value);
  void SetCompareSwap(bool Value);

  // Zoom commands of the main window.
  void ZoomFit() { Layout.ZoomFit(); }
  void Zoom100() { Layout.Zoom100(); }
  void ZoomAt(int32_t X, int32_t Y, float Factor) { Layout.ZoomAt(X, Y, Factor); }

  uint32_t GetColorAt(int32_t X, int32_t Y, int32_t Radius, bool& IsReference) const {
    return Layout.GetColorAt(X, Y, Radius, IsReference);
  }

  // The pane pictures (tests and the main window's display modes).
  const TImage32& AfterPane() const { return FAfter; }
  const TImage32& BeforePane() const { return FBefore; }
  const TImage32& ReferencePane() const { return FReference; }

protected:
  void paintEvent(QPaintEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  bool MouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
  void Arrange();
  void MakeFullBefore();
  void MakeVisiblePartBitmaps();
  void MakeReferenceBitmaps();
  // Source at 8 bits into Target, through ToDisplay unless ViewColour is
  // false.
  void Display(const TImage64& Source, TImage32& Target, bool ViewColour = true);
  const TImage32* PaneOf(const TViewZoom* Zoom);

  const TImage64* FSource = nullptr;
  const TImage64* FReferenceSource = nullptr;
  TImage64 FVisiblePart;
  TImage64 FVisibleReference;
  TImage32 FAfter, FBefore, FReference;
  TImage32 FFullBefore;
  bool FFullBeforeReady = false;
  TColor FBackground = 0;
};

}  // namespace kromel
