#include <gtest/gtest.h>

#include "controls/preview_layout.h"
#include "controls/view_zoom.h"
#include "images/image64.h"

namespace kromel {
namespace {

void ExpectRect(const TRect& R, int32_t L, int32_t T, int32_t Ri, int32_t B) {
  EXPECT_EQ(R.Left, L);
  EXPECT_EQ(R.Top, T);
  EXPECT_EQ(R.Right, Ri);
  EXPECT_EQ(R.Bottom, B);
}

struct TView {
  TViewPort Port;
  TViewZoom Zoom;
  int Changes = 0;
  TView(int32_t VW, int32_t VH, int32_t IW, int32_t IH) {
    Port.Init(0, 0, VW, VH);
    Port.AttachZoom(&Zoom);
    Zoom.ImageWidth = IW;
    Zoom.ImageHeight = IH;
    Zoom.OnChange = [this](TViewZoom&) { ++Changes; };
  }
};

TEST(ViewZoom, RefitThenZoomByAboutTheCentre) {
  TView V(200, 200, 100, 50);
  V.Zoom.Refit();
  ExpectRect(V.Zoom.Rect, 0, -25, 100, 75);
  EXPECT_FLOAT_EQ(V.Zoom.Zoom, 0.5f);
  ExpectRect(V.Zoom.GetImageOrigin(), 0, 50, 200, 150);
  EXPECT_EQ(V.Changes, 1);
  EXPECT_TRUE(V.Zoom.Fitted);

  V.Zoom.ZoomBy(-1, -1, 2.0f);
  ExpectRect(V.Zoom.Rect, 25, 0, 75, 50);
  EXPECT_FLOAT_EQ(V.Zoom.Zoom, 0.25f);
  EXPECT_FALSE(V.Zoom.Fitted);
  EXPECT_EQ(V.Changes, 2);
}

TEST(ViewZoom, Zoom100KeepsTheCentreAndLeavesZoomForTheNextFit) {
  TView V(200, 100, 400, 400);
  V.Zoom.Rect = {0, 0, 100, 100};
  V.Zoom.Zoom = 0.7f;
  V.Zoom.Zoom100();
  ExpectRect(V.Zoom.Rect, -50, 0, 150, 100);
  EXPECT_FLOAT_EQ(V.Zoom.Zoom, 0.7f);
  EXPECT_EQ(V.Changes, 1);
}

TEST(ViewZoom, DegenerateViewportsAndSizesReset) {
  TView Low(200, 1, 100, 50);
  Low.Zoom.Rect = {5, 5, 50, 50};
  Low.Zoom.Refit();
  ExpectRect(Low.Zoom.Rect, 0, 0, 1, 1);
  EXPECT_FLOAT_EQ(Low.Zoom.Zoom, 1.0f);

  TView NoImage(200, 200, 0, 50);
  NoImage.Zoom.Refit();
  ExpectRect(NoImage.Zoom.Rect, 0, 0, 1, 1);
  EXPECT_EQ(NoImage.Changes, 0);

  TViewZoom Loose;
  Loose.Refit();
  EXPECT_TRUE(Loose.Fitted);
  ExpectRect(Loose.GetImageOrigin(), 0, 0, 10, 10);
}

TEST(ViewZoom, FitPullsAPannedViewBackOntoTheImage) {
  TView V(200, 100, 1000, 100);
  V.Zoom.Rect = {950, 0, 1150, 100};
  V.Zoom.Zoom = 1.0f;
  V.Zoom.Fit(false, false);
  ExpectRect(V.Zoom.Rect, 800, 0, 1000, 100);
  V.Zoom.Rect = {-70, 0, 130, 100};
  V.Zoom.Fit(false, false);
  ExpectRect(V.Zoom.Rect, 0, 0, 200, 100);
  V.Zoom.Fitted = true;
  V.Zoom.Rect = {950, 0, 1150, 100};
  V.Zoom.Fit(false, false);
  ExpectRect(V.Zoom.Rect, 0, -200, 1000, 300);
}

TEST(ViewZoom, ViewToImageAtTheViewportEdges) {
  TView V(200, 100, 1000, 500);
  V.Port.Init(10, 20, 200, 100);
  V.Zoom.Rect = {100, 50, 300, 150};
  EXPECT_EQ(V.Port.ViewToImageX(10), 100);
  EXPECT_EQ(V.Port.ViewToImageX(210), 300);
  EXPECT_EQ(V.Port.ViewToImageY(20), 50);
  EXPECT_EQ(V.Port.ViewToImageY(120), 150);
}

TEST(ViewZoom, RepeatedZoomingStaysInRange) {
  TView V(200, 200, 100, 100);
  V.Zoom.Refit();
  for (int I = 0; I < 200; ++I) V.Zoom.ZoomBy(-1, -1, 0.1f);
  EXPECT_LT(V.Zoom.Rect.Left, V.Zoom.Rect.Right);
  EXPECT_GT(V.Zoom.Rect.Right - V.Zoom.Rect.Left, 0);
  for (int I = 0; I < 400; ++I) V.Zoom.ZoomBy(-1, -1, 10.0f);
  EXPECT_GE(V.Zoom.Rect.Right - V.Zoom.Rect.Left, 0);
  const TRect Before = V.Zoom.Rect;
  V.Zoom.ZoomBy(-1, -1, std::nanf(""));
  V.Zoom.ZoomBy(-1, -1, 0.0f);
  ExpectRect(V.Zoom.Rect, Before.Left, Before.Top, Before.Right, Before.Bottom);
}

struct TLayoutFixture {
  TPreviewLayout L;
  int Changes = 0;
  int VisibleRebuilds = 0;
  TLayoutFixture(int32_t IW, int32_t IH) {
    L.OnChange = [this] { ++Changes; };
    L.OnVisiblePartNeeded = [this] { ++VisibleRebuilds; };
    L.MainZoom.ImageWidth = IW;
    L.MainZoom.ImageHeight = IH;
    L.ReferenceZoom.ImageWidth = IW;
    L.ReferenceZoom.ImageHeight = IH;
  }
};

void ExpectPort(const TViewPort& P, int32_t L, int32_t T, int32_t W, int32_t H) {
  EXPECT_EQ(P.Left, L);
  EXPECT_EQ(P.Top, T);
  EXPECT_EQ(P.Width, W);
  EXPECT_EQ(P.Height, H);
}

TEST(PreviewLayout, ViewportsOfEveryMode) {
  TLayoutFixture F(300, 200);
  TPreviewLayout& L = F.L;
  L.Compare = true;
  L.ArrangeViewports(600, 400);
  ExpectPort(L.ViewPort1, 301, 0, 301, 400);
  ExpectPort(L.ViewPort2, 0, 0, 301, 400);
  ExpectRect(L.Divider, 300, 0, 300, 400);
  EXPECT_EQ(L.ViewPort1.Zoom, &L.MainZoom);
  EXPECT_EQ(L.ViewPort2.Zoom, &L.BeforeZoom);

  L.CompareSplit = true;
  L.CompareVertical = true;
  L.ArrangeViewports(600, 400);
  ExpectPort(L.ViewPort1, 0, 0, 600, 400);
  ExpectPort(L.ViewPort2, 0, 0, 600, 400);
  ExpectRect(L.ViewPort1.ClipRect, 0, 200, 600, 400);
  ExpectRect(L.ViewPort2.ClipRect, 0, 0, 600, 200);

  L.CompareSplit = false;
  L.ShowReference = true;
  L.CompareSwap = true;
  L.ArrangeViewports(600, 400);
  ExpectPort(L.ViewPort1, 0, 201, 600, 199);
  ExpectPort(L.ViewPort2, 0, 0, 600, 199);
  EXPECT_EQ(L.ViewPort2.Zoom, &L.MainZoom);
  EXPECT_EQ(L.ViewPort1.Zoom, &L.ReferenceZoom);

  L.Compare = false;
  L.CompareSwap = false;
  L.ArrangeViewports(5, 400);
  EXPECT_EQ(L.ViewPort1.Width, 10);
  EXPECT_FALSE(L.ViewPort1.Visible);
  EXPECT_TRUE(L.ViewPort2.Visible);
  EXPECT_EQ(L.ViewPort2.Zoom, &L.ReferenceZoom);
  ExpectRect(L.Divider, 0, 0, 0, 0);

  L.ShowReference = false;
  L.ShowBefore = true;
  L.ArrangeViewports(600, 400);
  EXPECT_TRUE(L.ViewPort1.Visible);
  EXPECT_FALSE(L.ViewPort2.Visible);
  EXPECT_EQ(L.ViewPort1.Zoom, &L.BeforeZoom);
}

TEST(PreviewLayout, PaneAndViewportLookup) {
  TLayoutFixture F(600, 400);
  TPreviewLayout& L = F.L;
  L.Compare = true;
  L.CompareVertical = true;
  L.ArrangeViewports(600, 400);
  int32_t IX, IY;
  // Rows 199 and 200 belong to neither pane.
  EXPECT_EQ(L.ViewPortAt(10, 199, IX, IY), nullptr);
  EXPECT_EQ(L.ViewPortAt(10, 200, IX, IY), nullptr);
  EXPECT_EQ(L.ViewPortAt(10, 201, IX, IY), &L.ViewPort1);
  EXPECT_EQ(L.ViewPortAt(10, 198, IX, IY), &L.ViewPort2);
  EXPECT_EQ(L.PaneAt(10, 199, IX, IY), IWZViewport::vpResult);
  EXPECT_EQ(IX, -1);
  EXPECT_EQ(L.PaneAt(10, 50, IX, IY), IWZViewport::vpBefore);
  int32_t BX, BY;
  L.PaneAt(10, 50 + 201, BX, BY);
  EXPECT_EQ(IX, BX);
  EXPECT_EQ(IY, BY);
  const TRect Before = L.MainZoom.Rect;
  L.ZoomAt(10, 200, 2.0f);  // in the gap: nothing happens
  ExpectRect(L.MainZoom.Rect, Before.Left, Before.Top, Before.Right, Before.Bottom);

  L.Compare = false;
  L.ShowReference = true;
  L.ArrangeViewports(600, 400);
  EXPECT_EQ(L.PaneAt(-1, 0, IX, IY), IWZViewport::vpReference);
  EXPECT_EQ(L.PaneAt(50, 50, IX, IY), IWZViewport::vpReference);
}

TEST(PreviewLayout, SpacePanMovesBothViewsAndRefitsOnRelease) {
  TLayoutFixture F(400, 200);
  TPreviewLayout& L = F.L;
  L.ArrangeViewports(200, 200);
  L.MainZoom.Refit();
  ASSERT_FLOAT_EQ(L.MainZoom.Zoom, 2.0f);
  const TRect Fitted = L.MainZoom.Rect;
  L.MainZoom.Zoom = 0.5f;  // the pan scale the user sees
  F.Changes = 0;
  EXPECT_EQ(L.MouseDown(false, false, true, false, 100, 100), TPreviewPress::Pan);
  L.MouseMove(140, 100);
  EXPECT_EQ(L.MainZoom.Rect.Left, Fitted.Left - 20);
  EXPECT_EQ(L.BeforeZoom.Rect.Left, L.MainZoom.Rect.Left);
  L.MouseUp(140, 100);
  ExpectRect(L.MainZoom.Rect, Fitted.Left, Fitted.Top, Fitted.Right, Fitted.Bottom);
  EXPECT_EQ(F.Changes, 2);
  EXPECT_FALSE(L.Panning());
  EXPECT_FALSE(L.ResultReady);
}

TEST(PreviewLayout, MarqueeAndPressRouting) {
  TLayoutFixture F(400, 200);
  TPreviewLayout& L = F.L;
  L.ShowBefore = true;
  L.ArrangeViewports(200, 200);
  EXPECT_EQ(L.MouseDown(true, true, false, false, 5, 5), TPreviewPress::Popup);
  EXPECT_FALSE(L.ShowBefore);
  EXPECT_EQ(L.ViewPort1.Zoom, &L.MainZoom);
  EXPECT_EQ(L.MouseDown(false, false, false, false, 5, 5), TPreviewPress::Forward);
  EXPECT_EQ(L.MouseDown(false, false, false, true, 50, 60), TPreviewPress::Select);
  EXPECT_TRUE(L.MouseMove(70, 20));
  EXPECT_TRUE(L.MouseUp(30, 10));
  ExpectRect(L.SelectionRect(), 50, 60, 30, 10);
  EXPECT_FALSE(L.Selecting());
  EXPECT_FALSE(L.MouseUp(30, 10));
}

TEST(PreviewLayout, ReadoutPacksHighBytes) {
  TLayoutFixture F(2, 2);
  TPreviewLayout& L = F.L;
  L.ArrangeViewports(20, 20);
  TImage64 Img;
  ASSERT_TRUE(Img.Alloc(20, 20));
  for (int32_t I = 0; I < Img.Size; ++I) Img.Pixels[I] = {0, 0, 0, 0};
  Img.Pixels[3 * 20 + 4] = {0x1234, 0x5678, 0x9ABC, 0xFFFF};
  L.MainZoom.Image = &Img;
  bool IsReference = true;
  EXPECT_EQ(L.GetColorAt(4, 3, 0, IsReference), 0xFF12569Au);
  EXPECT_FALSE(IsReference);
  EXPECT_EQ(L.GetColorAt(400, 3, 0, IsReference), 0u);
}

}  // namespace
}  // namespace kromel
