// The geometry of the zoomable preview: a view zoom says which part of an
// image is visible and at what scale, a viewport is the rectangle of the
// control that shows one view zoom. Plain values linked by pointers; their
// owner embeds them and must not copy them once linked.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "images/image_header.h"

namespace kromel {

struct TImage64;
struct TViewZoom;

struct TViewPort {
  TViewZoom* Zoom = nullptr;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Left = 0;
  int32_t Top = 0;
  TRect ClipRect;
  bool Visible = false;

  void Init(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);
  // Links both ways; a null zoom only clears this viewport's pointer.
  void AttachZoom(TViewZoom* AZoom);
  bool Contains(int32_t X, int32_t Y) const;
  // Client pixel to image pixel through the attached view (0 without one).
  int32_t ViewToImageX(int32_t X) const;
  int32_t ViewToImageY(int32_t Y) const;
};

struct TViewZoom {
  TRect Rect;
  int32_t ImageWidth = 0;
  int32_t ImageHeight = 0;
  bool Fitted = false;
  float Zoom = 1.0f;  // image pixels per viewport pixel
  TViewPort* ViewPort = nullptr;
  std::string Caption;
  std::function<void(TViewZoom&)> OnChange;
  // The working image attached to the view (pixel readouts); not owned.
  TImage64* Image = nullptr;
  bool Rendered = false;
  std::function<void(TViewZoom&)> OnRender;

  void Reset();
  // Copies the geometry only (rectangle, image size, fitted flag, zoom).
  void Assign(const TViewZoom& Source);
  bool IsEmpty() const;
  float GetZoom() const;
  // Where the whole image lands in viewport pixels; (0, 0, 10, 10) without
  // a viewport.
  TRect GetImageOrigin() const;
  void Fit(bool KeepAspect, bool Center);
  void Refit();
  void SetRect(TPoint TopLeft, TPoint BottomRight);
  // Factor > 1 magnifies about image point (X, Y); -1 is the centre.
  void ZoomBy(int32_t X, int32_t Y, float Factor);
  void Zoom100();
  void Render();
  void ClearRendered() { Rendered = false; }

private:
  void Changed();
};

}  // namespace kromel
