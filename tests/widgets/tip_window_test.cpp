#include "widgets/tip_window.h"

#include <gtest/gtest.h>

#include <QLabel>

#include "support/qt_test_support.h"
#include "widgets/glyph_switch.h"

namespace kromel {
namespace {

class TipWindow : public ::testing::Test {
protected:
  void SetUp() override { testing::EnsureQtApplication(); }
};

TEST_F(TipWindow, PlacementStaysOnTheDesktopAtEveryEdge) {
  const QRect Desktop(0, 0, 1000, 700);
  const QRect Window(0, 0, 300, 65);
  struct TCase {
    const char* Name;
    QRect Target;
    int32_t X, Y;
    TTriangleDirection Direction;
  };
  const TCase Cases[] = {
      // Room below: under the target, centred, pointing up from the top.
      {"middle", QRect(450, 300, 100, 20), 350, 320, tdUp},
      // Near the bottom: above the target, pointing down from the bottom.
      {"bottom", QRect(450, 660, 100, 20), 350, 595, tdDown},
      // Left and right edges: held inside.
      {"left", QRect(0, 300, 40, 20), 0, 320, tdUp},
      {"right", QRect(960, 300, 40, 20), 700, 320, tdUp},
      {"bottom right", QRect(990, 690, 10, 10), 700, 625, tdDown},
      {"top left", QRect(0, 0, 10, 10), 0, 10, tdUp},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const TTipPlacement P = PlaceTip(C.Target, Window, Desktop);
    EXPECT_EQ(P.X, C.X);
    EXPECT_EQ(P.Y, C.Y);
    EXPECT_EQ(P.Direction, C.Direction);
    EXPECT_TRUE(P.PointerShown);
    // The pointer stays inside the window, at its top or its bottom.
    EXPECT_GE(P.PointerTop, 2);
    EXPECT_LE(P.PointerTop, 65 - TipTriangleHeight - 2);
    EXPECT_EQ(P.PointerLeft, C.Target.x() + C.Target.width() / 2 - P.X - TipTriangleWidth / 2);
  }
  // A sweep of targets all over a desktop that starts left of and above 0.
  const QRect Wide(-800, -100, 2000, 900);
  for (int32_t X = -800; X < 1200; X += 97)
    for (int32_t Y = -100; Y < 800; Y += 41) {
      const TTipPlacement P = PlaceTip(QRect(X, Y, 30, 12), Window, Wide);
      EXPECT_GE(P.X, Wide.left());
      EXPECT_GE(P.Y, Wide.top());
      EXPECT_LE(P.X + Window.width(), Wide.left() + Wide.width());
      EXPECT_LE(P.Y + Window.height(), Wide.top() + Wide.height());
    }
  // Without a target the window stays and no pointer shows.
  const TTipPlacement None = PlaceTip(QRect(), QRect(40, 50, 300, 65), Desktop);
  EXPECT_FALSE(None.PointerShown);
  EXPECT_EQ(None.X, 40);
  EXPECT_EQ(None.Y, 50);
}

TEST_F(TipWindow, NotifierWidthIsClamped) {
  for (auto [Label, Width] : {std::pair{100, 200}, {700, 600}, {300, 350}, {150, 200}, {550, 600}})
    EXPECT_EQ(NotifierWidth(Label, 200, 600), Width) << Label;
}

TEST_F(TipWindow, HeightFollowsTheLinesAndTheFadeRunsOut) {
  TQuickStartTipWindow Tip;
  EXPECT_EQ(Tip.width(), 500);
  Tip.SetCaption("one\ntwo\nthree");
  Tip.ShowTip(0);
  EXPECT_EQ(Tip.height(), 95);
  EXPECT_FALSE(Tip.FadeRunning());
  EXPECT_TRUE(Tip.isVisible());
  EXPECT_FALSE(Tip.Triangle()->isVisible());
  EXPECT_EQ(Tip.CloseSwitch()->geometry(), QRect(470, 10, 20, 20));
  EXPECT_EQ(Tip.Label()->width(), 500 - 15 - 30);

  Tip.SetCaption("fading");
  Tip.ShowTip(2000);
  EXPECT_EQ(Tip.height(), 65);
  EXPECT_TRUE(Tip.FadeRunning());
  // Opaque for the first second, then fading; hovering restarts it.
  for (int K = 0; K < 20; ++K) Tip.TimerTick();
  EXPECT_DOUBLE_EQ(Tip.windowOpacity(), 1.0);
  for (int K = 0; K < 10; ++K) Tip.TimerTick();
  EXPECT_LT(Tip.windowOpacity(), 0.6);
  Tip.RestartFade();
  EXPECT_EQ(Tip.FadeRemaining, 2000);
  for (int K = 0; K < 40; ++K) Tip.TimerTick();
  EXPECT_FALSE(Tip.isVisible());
  EXPECT_FALSE(Tip.FadeRunning());
}

TEST_F(TipWindow, ATipPointsAtItsControl) {
  QWidget Form;
  Form.setGeometry(100, 100, 400, 300);
  auto* Target = new QWidget(&Form);
  Target->setGeometry(150, 40, 100, 24);
  Form.show();
  TQuickStartTipWindow Tip;
  Tip.resize(300, 65);
  Tip.SetCaption("Drag the curve to brighten the mid-tones");
  Tip.TargetControl = Target;
  Tip.ShowTip(0);
  const QPoint TargetOnScreen = Target->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(Tip.y(), TargetOnScreen.y() + 24);
  EXPECT_EQ(Tip.x(), TargetOnScreen.x() + 50 - 150);
  EXPECT_TRUE(Tip.Triangle()->isVisible());
  EXPECT_EQ(Tip.Triangle()->Direction, tdUp);
  const QImage Shot = testing::GrabWidget(Tip);
  testing::SaveScreenshotImage(Shot, "widgets", "tip_window");
  // The pointer's fill colour just under its apex; the black form elsewhere.
  const QPoint Apex = Tip.Triangle()->geometry().topLeft() + QPoint(TipTriangleWidth / 2, 3);
  EXPECT_EQ(Shot.pixel(Apex) & 0xFFFFFF, 0x404040u);
  EXPECT_EQ(Shot.pixel(5, 40) & 0xFFFFFF, 0x0B0B0Bu);
}

TEST_F(TipWindow, NotifierPopsUpAndReusesItsWindow) {
  QWidget Owner;
  TPopupNotifier N(&Owner);
  EXPECT_EQ(N.TipWindow(), nullptr);
  N.Popup(20, 30, 260, "Saved");
  TQuickStartTipWindow* Tip = N.TipWindow();
  ASSERT_NE(Tip, nullptr);
  EXPECT_EQ(Tip->geometry(), QRect(20, 30, 260, 65));
  EXPECT_TRUE(Tip->FadeRunning());
  EXPECT_EQ(Tip->FadeTime, 2000);
  testing::SaveScreenshot(*Tip, "widgets", "popup_notifier");
  N.PopupAutoWidth(400, 30, 200, 600, "LUT exported");
  EXPECT_EQ(N.TipWindow(), Tip);
  const int32_t W = NotifierWidth(Tip->Label()->sizeHint().width(), 200, 600);
  EXPECT_EQ(Tip->width(), W);
  EXPECT_EQ(Tip->x(), 400 - W / 2);
  // A long text is held to the maximum width.
  N.PopupAutoWidth(400, 30, 200, 300, std::string(80, 'W'));
  EXPECT_EQ(Tip->width(), 300);
}

}  // namespace
}  // namespace kromel
