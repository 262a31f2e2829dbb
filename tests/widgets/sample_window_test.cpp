#include <gtest/gtest.h>

#include <QTest>
#include <thread>

#include "foundation/platform_helpers.h"
#include "platform/main_thread.h"
#include "support/qt_test_support.h"
#include "widgets/cursors.h"
#include "widgets/sample_form.h"
#include "widgets/widgets_init.h"

namespace kromel {
namespace {

TEST(SampleWindow, OpensDrawsAndTakesMouseAndKeys) {
  testing::EnsureQtApplication();
  InstallWidgetServices();
  testing::TSampleForm F(stBlack);
  F.Style();
  F.Form.setWindowTitle("Sample controls");
  F.Form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&F.Form));
  SetCursorIndex(*F.Image, 5);
  EXPECT_EQ(F.Image->cursor().hotSpot(), QPoint(1, 30));

  const QImage Before = testing::GrabWidget(F.Form);
  QTest::mouseClick(F.Tumbler, Qt::LeftButton, Qt::NoModifier, QPoint(20, 15));
  EXPECT_FALSE(F.Tumbler->Switch().State);
  QTest::mouseClick(F.Selector, Qt::LeftButton, Qt::NoModifier, QPoint(20, 15));
  EXPECT_EQ(F.Selector->Switch().SelectorPosition, 2);
  F.HBar->setFocus();
  QTest::keyClick(F.HBar, Qt::Key_Right);
  EXPECT_EQ(F.HBar->ScrollBar().Position, 31);
  // Below the thumb (Min is at the top): one page of LargeChange.
  QTest::mousePress(F.VBar, Qt::LeftButton, Qt::NoModifier, QPoint(10, 95));
  QTest::mouseRelease(F.VBar, Qt::LeftButton, Qt::NoModifier, QPoint(10, 95));
  EXPECT_EQ(F.VBar->ScrollBar().Position, 74);
  // The space bar sets the program's flag while held.
  QTest::keyPress(F.HBar, Qt::Key_Space);
  EXPECT_TRUE(IsSpaceKeyDown());
  QTest::keyRelease(F.HBar, Qt::Key_Space);
  EXPECT_FALSE(IsSpaceKeyDown());
  const QImage After = testing::GrabWidget(F.Form);
  EXPECT_NE(Before, After);
  testing::SaveScreenshotImage(Before, "widgets", "sample_window");
  testing::SaveScreenshotImage(After, "widgets", "sample_window_after_input");

  // A call queued by a worker while the window is up runs from the loop.
  bool Ran = false;
  std::thread Worker([&] { RunOnMainThreadBlocking([&] { Ran = true; }); });
  for (int K = 0; K < 1000 && !Ran; ++K) QTest::qWait(10);
  Worker.join();
  EXPECT_TRUE(Ran);
  UninstallWidgetServices();
}

}  // namespace
}  // namespace kromel
