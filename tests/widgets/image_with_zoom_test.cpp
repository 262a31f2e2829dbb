#include "widgets/image_with_zoom.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <chrono>
#include <thread>

#include "foundation/platform_helpers.h"
#include "lut/lut_renderer.h"
#include "platform/main_thread.h"
#include "support/qt_test_support.h"

namespace kromel {
namespace {

class Preview : public ::testing::Test {
protected:
  void SetUp() override { testing::EnsureQtApplication(); }
};

// A photograph-like 16-bit picture: smooth gradients, a disc and fine bars.
void MakePicture(TImage64& I, int32_t W, int32_t H) {
  I.Init();
  ASSERT_TRUE(I.Alloc(W, H));
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      const int32_t Dx = X - W / 3, Dy = Y - H / 2;
      const bool Disc = Dx * Dx + Dy * Dy < (H / 4) * (H / 4);
      const bool Bar = X > W * 3 / 4 && (X / 4) % 2 == 0;
      I.Pixels[Y * W + X].Init(uint16_t(Disc ? 60000 : X * 65535 / W),
                               uint16_t(Bar ? 50000 : Y * 65535 / H),
                               uint16_t(Disc ? 8000 : 30000), 65535);
    }
}

QRgb PixelAt(const QImage& I, int X, int Y) { return I.pixel(X, Y) & 0xFFFFFF; }

TEST_F(Preview, SideBySideCompareDrawsTheDividerBetweenItsPanes) {
  TImage64 Picture;
  MakePicture(Picture, 1200, 800);
  TImageWithZoom W;
  W.resize(600, 400);
  W.show();
  QCoreApplication::processEvents();
  W.SetSourceImage(&Picture);
  W.SetCompare(true, false, false);
  W.Layout.MainZoom.Refit();
  TImage32 Result;
  W.VisiblePart().CopyToImage32(Result);
  W.SetResult(Result);
  const QImage Shot = testing::GrabWidget(W);
  testing::SaveScreenshotImage(Shot, "preview", "compare_side_by_side");
  EXPECT_EQ(W.Layout.ViewPort1.Left, 301);
  EXPECT_EQ(PixelAt(Shot, 299, 200), 0x808080u);
  EXPECT_EQ(PixelAt(Shot, 300, 200), 0x808080u);
  EXPECT_NE(PixelAt(Shot, 298, 200), 0x808080u);
  EXPECT_NE(PixelAt(Shot, 301, 200), 0x808080u);
  // Both panes show the same part of the picture (After left of Before).
  EXPECT_EQ(PixelAt(Shot, 320, 200), PixelAt(Shot, 19, 200));
}

// A renderer over the preview's visible part, as the main window runs it.
class TPreviewRenderHost : public TRendererHost {
public:
  explicit TPreviewRenderHost(const TImage64& Visible) {
    Work.Realloc(Visible.Width, Visible.Height, true);
    Work.Image64.Copy(Visible);
    Out.Init();
    Out.Alloc(Visible.Width, Visible.Height);
    // A look that swaps red and blue and darkens green.
    Main.Write([](T3DLut& Lut) {
      Lut.SetSize(17);
      for (int32_t B = 0; B < 17; ++B)
        for (int32_t G = 0; G < 17; ++G)
          for (int32_t R = 0; R < 17; ++R) {
            const int32_t I = R + 17 * (G + 17 * B);
            Lut.R[I] = B / 16.0f;
            Lut.G[I] = G / 32.0f;
            Lut.B[I] = R / 16.0f;
          }
    });
  }
  ~TPreviewRenderHost() override { Out.Dispose(); }
  bool MainFormReady() const override { return true; }
  bool CopyMainLut(T3DLut& Lut) override { return Main.CopyTo(Lut); }
  TImageVBPP& WorkingImage() override { return Work; }
  TImage32& ProcessedImage() override { return Out; }
  uint8_t DisplayMode() const override { return 0; }
  int32_t PreviewBitmapWidth() const override { return Out.Width; }
  bool CalcAnalyzer(bool) override { return true; }
  void SetPreviewImageChanged() override {}
  void ShowProcessedImage() override { Shown = true; }
  void UpdateAnalyzerWindow() override {}
  void UpdatePicker() override {}
  TGuardedLut Main;
  TImageVBPP Work;
  TImage32 Out;
  bool Shown = false;
};

TEST_F(Preview, ARenderedPictureAppearsInThePreview) {
  TImage64 Picture;
  MakePicture(Picture, 1800, 1200);
  TImageWithZoom W;
  W.resize(480, 320);
  W.SetSourceImage(&Picture);
  W.show();
  W.Layout.MainZoom.Refit();
  ASSERT_EQ(W.VisiblePart().Width, 480);
  TPreviewRenderHost Host(W.VisiblePart());
  {
    TLutRenderer Renderer(Host, false);
    Renderer.UseOpenCL = false;
    Renderer.RequestRender();
    for (int I = 0; I < 5000 && !Host.Shown; ++I) {
      DrainMainThreadCalls();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Renderer.StopAndWait();
  }
  ASSERT_TRUE(Host.Shown);
  W.SetResult(Host.Out);
  const QImage Shot = testing::GrabWidget(W);
  testing::SaveScreenshotImage(Shot, "preview", "rendered_photograph");
  // Every pixel outside the caption is the renderer's own.
  int32_t Differ = 0;
  for (int32_t Y = 20; Y < 320; ++Y)
    for (int32_t X = 0; X < 480; ++X) {
      const TBGRAPixel32 P = Host.Out.Pixels[Y * 480 + X].BGRA;
      if (PixelAt(Shot, X, Y) != (qRgb(P.R, P.G, P.B) & 0xFFFFFF)) ++Differ;
    }
  EXPECT_EQ(Differ, 0);
  // The look is visible: the disc (red in the picture) shows blue.
  const TBGRAPixel32 Disc = Host.Out.Pixels[160 * 480 + 160].BGRA;
  EXPECT_GT(Disc.B, 200);
  EXPECT_LT(Disc.R, 60);
}

TEST_F(Preview, WheelZoomKeepsThePixelUnderTheCursor) {
  TImage64 Picture;
  MakePicture(Picture, 1200, 800);
  TImageWithZoom W;
  W.resize(600, 400);
  W.SetSourceImage(&Picture);
  W.show();
  W.Layout.MainZoom.Refit();
  int Changes = 0;
  W.OnChange = [&] { ++Changes; };
  int32_t X0, Y0, X1, Y1;
  W.Layout.ViewPortAt(450, 100, X0, Y0);
  QWheelEvent In(QPointF(450, 100), W.mapToGlobal(QPointF(450, 100)), QPoint(), QPoint(0, 120),
                 Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&W, &In);
  EXPECT_LT(W.Layout.MainZoom.Zoom, 2.0f * 0.76f);
  W.Layout.ViewPortAt(450, 100, X1, Y1);
  EXPECT_NEAR(X1, X0, 2);
  EXPECT_NEAR(Y1, Y0, 2);
  EXPECT_GE(Changes, 1);
  testing::SaveScreenshot(W, "preview", "wheel_zoomed_in");
}

TEST_F(Preview, SpaceDragPansAndTheReleaseRefitsWithTwoChanges) {
  TImage64 Picture;
  MakePicture(Picture, 400, 200);
  TImageWithZoom W;
  W.resize(200, 200);
  W.SetSourceImage(&Picture);
  W.show();
  W.Layout.MainZoom.Refit();
  const TRect Fitted = W.Layout.MainZoom.Rect;
  int Changes = 0;
  W.OnChange = [&] { ++Changes; };
  int Forwarded = 0;
  W.OnMouseDown = [&](QWidget*, TMouseButton, TShiftState, int32_t, int32_t) { ++Forwarded; };
  SetSpaceKeyDown(true);
  QTest::mousePress(&W, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  QMouseEvent Move(QEvent::MouseMove, QPointF(140, 100), W.mapToGlobal(QPointF(140, 100)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&W, &Move);
  EXPECT_EQ(W.Layout.MainZoom.Rect.Left, Fitted.Left - 80);  // 40 pixels at zoom 2
  EXPECT_EQ(W.Layout.BeforeZoom.Rect.Left, W.Layout.MainZoom.Rect.Left);
  const QImage Panning = testing::GrabWidget(W);
  testing::SaveScreenshotImage(Panning, "preview", "panning");
  QTest::mouseRelease(&W, Qt::LeftButton, Qt::NoModifier, QPoint(140, 100));
  SetSpaceKeyDown(false);
  EXPECT_EQ(W.Layout.MainZoom.Rect.Left, Fitted.Left);
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Forwarded, 0);
  QTest::mousePress(&W, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(Forwarded, 1);
  QTest::mouseRelease(&W, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
}

TEST_F(Preview, MissingReferenceShowsTheBackgroundAndEmptyPreviewIsPlain) {
  TImageWithZoom W;
  W.resize(300, 200);
  W.SetBackgroundColor(0x202020);
  W.SetShowReference(true);
  W.SetReferenceImage(nullptr);
  const QImage Shot = testing::GrabWidget(W);
  testing::SaveScreenshotImage(Shot, "preview", "no_reference");
  EXPECT_EQ(PixelAt(Shot, 150, 150), 0x202020u);
  TImageWithZoom Empty;
  Empty.resize(100, 80);
  const QImage Plain = testing::GrabWidget(Empty);
  EXPECT_EQ(PixelAt(Plain, 50, 40), 0u);
}

}  // namespace
}  // namespace kromel
