// The zoomable preview without widgets: its three views (After, Before,
// Reference), the two panes and the divider, hit tests, panning, the
// selection marquee, zoom commands and pixel readouts. The Qt control owns
// one, feeds it its size and mouse, and rebuilds its pane buffers when told.
#pragma once
#include <cstdint>
#include <functional>

#include "controls/view_zoom.h"
#include "images/image_header.h"

namespace kromel {

struct TImage64;

enum class IWZViewport { vpResult, vpReference, vpBefore };

// What a press does in the preview.
enum class TPreviewPress { Popup, Pan, Select, Forward };

class TPreviewLayout {
public:
  TPreviewLayout();
  TPreviewLayout(const TPreviewLayout&) = delete;
  TPreviewLayout& operator=(const TPreviewLayout&) = delete;

  TViewZoom MainZoom, BeforeZoom, ReferenceZoom;
  TViewPort ViewPort1, ViewPort2;
  bool Compare = false;
  bool CompareSplit = false;
  bool CompareVertical = false;
  bool ShowReference = false;
  bool ShowBefore = false;
  bool CompareSwap = false;
  // The bar between compare panes; Right = 0 means none.
  TRect Divider;
  // Cleared when a pan ends: the After pane is stale until the next render.
  bool ResultReady = false;

  // Rebuild the visible part of the source at viewport size.
  std::function<void()> OnVisiblePartNeeded;
  // Rebuild the reference pane.
  std::function<void()> OnReferencePartNeeded;
  // A view changed (zoom, zoom command, end of a pan).
  std::function<void()> OnChange;

  void ArrangeViewports(int32_t ClientWidth, int32_t ClientHeight);

  // The visible pane containing the client point (the first visible one for
  // X < 0) and the image point under it (-1 when none).
  TViewPort* ViewPortAt(int32_t X, int32_t Y, int32_t& ImageX, int32_t& ImageY);
  IWZViewport PaneAt(int32_t X, int32_t Y, int32_t& ImageX, int32_t& ImageY);

  // Mouse: what a press starts. A press always ends a look at Before.
  TPreviewPress MouseDown(bool RightButton, bool HasPopup, bool SpaceDown, bool SelectionEnabled,
                          int32_t X, int32_t Y);
  // True when the move was taken by a pan or marquee (no OnMouseMove then
  // for a marquee; a pan still passes the move on).
  bool MouseMove(int32_t X, int32_t Y);
  // True when the release ended a marquee (the caller fires OnSelection).
  bool MouseUp(int32_t X, int32_t Y);
  bool Panning() const { return FPanning; }
  bool Selecting() const { return FSelecting; }
  TRect SelectionRect() const { return FSelectionRect; }
  TViewPort* ActivePort() const { return FActivePort; }

  // Zoom commands.
  void ZoomFit();
  void Zoom100();
  void ZoomAt(int32_t X, int32_t Y, float Factor);
  void ZoomReferenceFit();
  void ZoomReferenceAt(int32_t X, int32_t Y, float Factor);
  void RefitViews(bool KeepAspect, bool Center);
  void RefitZoom(TViewPort* ViewPort);
  void ZoomToRect(TPoint P1, TPoint P2);

  // Readouts: the averaged 16-bit pixel of the pane under the client point
  // (0 outside every pane), and the same packed as an 8-bit BGRA value.
  TPixel64 GetResultPixel16(int32_t X, int32_t Y, int32_t Radius, bool& IsReference) const;
  uint32_t GetColorAt(int32_t X, int32_t Y, int32_t Radius, bool& IsReference) const;

private:
  void Changed();
  bool FPanning = false;
  bool FSelecting = false;
  TPoint FPanStartPoint;
  TRect FPanStartRect;
  TRect FSelectionRect;
  TViewPort* FActivePort = nullptr;
  int32_t FWidth = 0;
  int32_t FHeight = 0;
};

// A 16-bit pixel as a TImage32 pixel value: the high byte of each word,
// blue in bits 0-7, green 8-15, red 16-23, alpha 24-31.
uint32_t PackPixel64(const TPixel64& P);

}  // namespace kromel
