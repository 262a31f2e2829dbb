#include "controls/preview_layout.h"

#include <algorithm>
#include <cmath>

#include "images/image64.h"

namespace kromel {

TPreviewLayout::TPreviewLayout() {
  MainZoom.Caption = "After";
  BeforeZoom.Caption = "Before";
  ReferenceZoom.Caption = "Reference";
  // After and Before move together; every view change ends in OnChange.
  MainZoom.OnChange = [this](TViewZoom&) {
    if (OnVisiblePartNeeded) OnVisiblePartNeeded();
    BeforeZoom.Assign(MainZoom);
    Changed();
  };
  BeforeZoom.OnChange = [this](TViewZoom&) {
    MainZoom.Assign(BeforeZoom);
    if (OnVisiblePartNeeded) OnVisiblePartNeeded();
    Changed();
  };
  ReferenceZoom.OnChange = [this](TViewZoom&) {
    if (OnReferencePartNeeded) OnReferencePartNeeded();
    Changed();
  };
}

void TPreviewLayout::Changed() {
  if (OnChange) OnChange();
}

void TPreviewLayout::ArrangeViewports(int32_t W, int32_t H) {
  FWidth = W;
  FHeight = H;
  if (Compare && !CompareSplit) {
    if (CompareVertical) {
      ViewPort1.Init(0, H / 2 + 1, std::max(10, W), H / 2 - 1);
      ViewPort2.Init(0, 0, std::max(10, W), H / 2 - 1);
    } else {
      ViewPort1.Init(W / 2 + 1, 0, std::max(10, W / 2) + 1, H);
      ViewPort2.Init(0, 0, std::max(10, W / 2) + 1, H);
    }
  } else {
    ViewPort1.Init(0, 0, std::max(10, W), H);
    ViewPort2.Init(0, 0, std::max(10, W), H);
  }
  if (Compare) {
    Divider = CompareVertical ? TRect{0, H / 2, W, H / 2} : TRect{W / 2, 0, W / 2, H};
    ViewPort1.Visible = true;
    ViewPort2.Visible = true;
    TViewPort& First = CompareSwap ? ViewPort2 : ViewPort1;
    TViewPort& Second = CompareSwap ? ViewPort1 : ViewPort2;
    First.AttachZoom(ShowBefore ? &BeforeZoom : &MainZoom);
    Second.AttachZoom(ShowReference ? &ReferenceZoom : &BeforeZoom);
    if (CompareSplit) {
      if (CompareVertical) {
        ViewPort1.ClipRect.Top = H / 2;
        ViewPort2.ClipRect.Bottom = H / 2;
      } else {
        ViewPort1.ClipRect.Left = W / 2;
        ViewPort2.ClipRect.Right = W / 2;
      }
    }
  } else {
    ViewPort2.AttachZoom(&ReferenceZoom);
    if (ShowReference) {
      ViewPort1.Visible = false;
      ViewPort2.Visible = true;
    } else {
      ViewPort1.AttachZoom(ShowBefore ? &BeforeZoom : &MainZoom);
      ViewPort1.Visible = true;
      ViewPort2.Visible = false;
    }
    Divider = {0, 0, 0, 0};
  }
  MainZoom.Fit(true, true);
  ReferenceZoom.Fit(true, true);
  BeforeZoom.Assign(MainZoom);
}

TViewPort* TPreviewLayout::ViewPortAt(int32_t X, int32_t Y, int32_t& ImageX, int32_t& ImageY) {
  ImageX = -1;
  ImageY = -1;
  for (TViewPort* P : {&ViewPort1, &ViewPort2}) {
    if (!P->Visible) continue;
    if (X < 0) return P;
    if (P->Contains(X, Y)) {
      ImageX = P->ViewToImageX(X);
      ImageY = P->ViewToImageY(Y);
      return P;
    }
  }
  return nullptr;
}

IWZViewport TPreviewLayout::PaneAt(int32_t X, int32_t Y, int32_t& ImageX, int32_t& ImageY) {
  ImageX = -1;
  ImageY = -1;
  if (X < 0) return !Compare && ShowReference ? IWZViewport::vpReference : IWZViewport::vpResult;
  if (Compare && CompareSplit) {
    // The split halves follow the viewports' clip rectangles.
    const bool Second = CompareVertical ? Y > ViewPort1.ClipRect.Top : X > ViewPort1.ClipRect.Left;
    return Second ? IWZViewport::vpReference : IWZViewport::vpResult;
  }
  if (ViewPort1.Visible && ViewPort1.Contains(X, Y)) {
    ImageX = ViewPort1.ViewToImageX(X);
    ImageY = ViewPort1.ViewToImageY(Y);
    return IWZViewport::vpResult;
  }
  if (ViewPort2.Contains(X, Y)) {
    if (ViewPort2.Zoom == &ReferenceZoom) {
      ImageX = ViewPort2.ViewToImageX(X);
      ImageY = ViewPort2.ViewToImageY(Y);
      return IWZViewport::vpReference;
    }
    ImageX = ViewPort1.ViewToImageX(X + ViewPort1.Left - ViewPort2.Left);
    ImageY = ViewPort1.ViewToImageY(Y + ViewPort1.Top - ViewPort2.Top);
    return IWZViewport::vpBefore;
  }
  return IWZViewport::vpResult;
}

TPreviewPress TPreviewLayout::MouseDown(bool RightButton, bool HasPopup, bool SpaceDown,
                                        bool SelectionEnabled, int32_t X, int32_t Y) {
  if (ShowBefore) {
    ShowBefore = false;
    ArrangeViewports(FWidth, FHeight);
  }
  if (RightButton) {
    (void)HasPopup;
    return TPreviewPress::Popup;
  }
  int32_t IX, IY;
  if (SpaceDown) {
    FPanStartPoint = {X, Y};
    FPanning = true;
    FActivePort = ViewPortAt(X, Y, IX, IY);
    if (FActivePort && FActivePort->Zoom) {
      FPanStartRect = FActivePort->Zoom->Rect;
      MouseMove(X, Y);
    }
    return TPreviewPress::Pan;
  }
  if (SelectionEnabled) {
    FSelecting = true;
    FActivePort = ViewPortAt(X, Y, IX, IY);
    FSelectionRect = {X, Y, X, Y};
    return TPreviewPress::Select;
  }
  return TPreviewPress::Forward;
}

bool TPreviewLayout::MouseMove(int32_t X, int32_t Y) {
  if (FSelecting) {
    FSelectionRect.Right = X;
    FSelectionRect.Bottom = Y;
    return true;
  }
  if (FPanning && FActivePort && FActivePort->Zoom) {
    TViewZoom& V = *FActivePort->Zoom;
    const float dx = float(X - FPanStartPoint.X);
    const float dy = float(Y - FPanStartPoint.Y);
    const int32_t mx = static_cast<int32_t>(std::clamp(std::nearbyint(dx * V.Zoom), -1e9f, 1e9f));
    const int32_t my = static_cast<int32_t>(std::clamp(std::nearbyint(dy * V.Zoom), -1e9f, 1e9f));
    V.Rect = {FPanStartRect.Left - mx, FPanStartRect.Top - my, FPanStartRect.Right - mx,
              FPanStartRect.Bottom - my};
    if (&V == &MainZoom) BeforeZoom.Assign(MainZoom);
    if (&V == &BeforeZoom) MainZoom.Assign(BeforeZoom);
  }
  return false;
}

bool TPreviewLayout::MouseUp(int32_t X, int32_t Y) {
  if (FSelecting) {
    FSelectionRect.Right = X;
    FSelectionRect.Bottom = Y;
    FSelecting = false;
    return true;
  }
  if (FPanning) {
    FPanning = false;
    if (FActivePort && FActivePort->Zoom) {
      TViewZoom& V = *FActivePort->Zoom;
      V.Fit(false, false);
      ResultReady = false;
      if (&V == &ReferenceZoom && OnReferencePartNeeded) OnReferencePartNeeded();
      if (V.OnChange) V.OnChange(V);
      Changed();
    }
  }
  return false;
}

void TPreviewLayout::ZoomFit() {
  int32_t IX, IY;
  if (TViewPort* P = ViewPortAt(-1, -1, IX, IY); P && P->Zoom) P->Zoom->Refit();
  Changed();
}

void TPreviewLayout::Zoom100() {
  if (Compare || !ShowReference) {
    MainZoom.Zoom100();
    BeforeZoom.Assign(MainZoom);
  } else {
    ReferenceZoom.Zoom100();
  }
  RefitViews(true, false);
  Changed();
}

void TPreviewLayout::ZoomAt(int32_t X, int32_t Y, float Factor) {
  int32_t IX, IY;
  TViewPort* P = ViewPortAt(X, Y, IX, IY);
  if (!P || !P->Zoom) return;
  if (X < 0)
    P->Zoom->ZoomBy(-1, -1, Factor);
  else
    P->Zoom->ZoomBy(IX, IY, Factor);
}

void TPreviewLayout::ZoomReferenceFit() {
  ReferenceZoom.Refit();
  if (OnReferencePartNeeded) OnReferencePartNeeded();
}

void TPreviewLayout::ZoomReferenceAt(int32_t X, int32_t Y, float Factor) {
  int32_t IX = -1, IY = -1;
  if (X >= 0 && ReferenceZoom.ViewPort) {
    IX = ReferenceZoom.ViewPort->ViewToImageX(X);
    IY = ReferenceZoom.ViewPort->ViewToImageY(Y);
  }
  ReferenceZoom.ZoomBy(IX, IY, Factor);
  if (OnReferencePartNeeded) OnReferencePartNeeded();
  RefitViews(true, false);
  Changed();
}

void TPreviewLayout::RefitViews(bool KeepAspect, bool Center) {
  MainZoom.Fit(KeepAspect, Center);
  BeforeZoom.Assign(MainZoom);
  ReferenceZoom.Fit(KeepAspect, Center);
}

void TPreviewLayout::RefitZoom(TViewPort* ViewPort) {
  if (!ViewPort || !ViewPort->Zoom) return;
  ViewPort->Zoom->Refit();
  Changed();
}

void TPreviewLayout::ZoomToRect(TPoint P1, TPoint P2) {
  TViewPort* P = MainZoom.ViewPort;
  if (!P) return;
  MainZoom.SetRect({P->ViewToImageX(P1.X), P->ViewToImageY(P1.Y)},
                   {P->ViewToImageX(P2.X), P->ViewToImageY(P2.Y)});
  Changed();
}

TPixel64 TPreviewLayout::GetResultPixel16(int32_t X, int32_t Y, int32_t Radius,
                                          bool& IsReference) const {
  TPixel64 Pixel{0, 0, 0, 0};
  auto Read = [&](const TViewPort& P) {
    if (P.Zoom && P.Zoom->Image && HasArea(*P.Zoom->Image)) {
      int32_t Spread = 0;
      P.Zoom->Image->GetAverageColor(X - P.Left, Y - P.Top, Radius, Pixel, Spread);
    }
    IsReference = P.Zoom == &ReferenceZoom;
  };
  if (ViewPort1.Visible && ViewPort1.Contains(X, Y))
    Read(ViewPort1);
  else if (ViewPort2.Contains(X, Y))
    Read(ViewPort2);
  return Pixel;
}

uint32_t TPreviewLayout::GetColorAt(int32_t X, int32_t Y, int32_t Radius, bool& IsReference) const {
  return PackPixel64(GetResultPixel16(X, Y, Radius, IsReference));
}

uint32_t PackPixel64(const TPixel64& P) {
  return uint32_t(P.B >> 8) | uint32_t(P.G >> 8) << 8 | uint32_t(P.R >> 8) << 16 |
         uint32_t(P.A >> 8) << 24;
}

}  // namespace kromel
