#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include "platform/message_sink.h"
#include "support/qt_test_support.h"
#include "widgets/control_widget.h"
#include "widgets/qt_dialogs.h"
#include "widgets/glyph_switch.h"
#include "widgets/style_gui.h"

namespace kromel {
namespace {

class Services : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    DefaultHeadlessSink().EchoToStderr = false;
    DefaultHeadlessSink().Clear();
  }
};

TEST_F(Services, FilterPairsBecomeQtNameFilters) {
  EXPECT_EQ(QtNameFilters("TIFF (*.tif;*.tiff)|*.tif;*.tiff|PNG|*.png"),
            (std::vector<std::string>{"TIFF (*.tif;*.tiff) (*.tif *.tiff)", "PNG (*.png)"}));
  // The filter ends at its first NUL; a lone description has no mask.
  EXPECT_EQ(QtNameFilters(std::string("All|*.*\0\0junk|*.x", 18)), (std::vector<std::string>{"All (*.*)"}));
  EXPECT_TRUE(QtNameFilters("Lonely").empty());
  EXPECT_EQ(NewQtFileDialog(TFileDialogKind::Save)->Kind, TFileDialogKind::Save);
}

// The visible top-level label other than the given windows.
QLabel* VisibleHint() {
  for (QWidget* W : QApplication::topLevelWidgets())
    if (auto* L = qobject_cast<QLabel*>(W); L && L->isVisible()) return L;
  return nullptr;
}

TEST_F(Services, ValueHintsSitRightBelowTheControlAndStayNarrow) {
  QWidget Form;
  Form.setGeometry(50, 60, 300, 200);
  auto* C = new TControlWidget(std::make_unique<TController>(), &Form);
  C->setGeometry(20, 30, 80, 20);
  Form.show();
  C->ShowValueHint("A long value hint that has to wrap because it is far wider than three hundred pixels");
  QLabel* Hint = VisibleHint();
  ASSERT_NE(Hint, nullptr);
  EXPECT_EQ(Hint->pos(), C->mapToGlobal(QPoint(0, 20)));
  EXPECT_LE(Hint->width(), 300);
  C->HideValueHint();
  EXPECT_EQ(VisibleHint(), nullptr);
  // A control's Hint shows while the pointer is over it.
  C->Hint = "0.50";
  QEnterEvent Enter(QPointF(5, 5), QPointF(5, 5), C->mapToGlobal(QPointF(5, 5)));
  QApplication::sendEvent(C, &Enter);
  ASSERT_NE(VisibleHint(), nullptr);
  EXPECT_EQ(VisibleHint()->text(), QString("0.50"));
  QEvent Leave(QEvent::Leave);
  QApplication::sendEvent(C, &Leave);
  EXPECT_EQ(VisibleHint(), nullptr);
}

// Records forwarded positions.
class TCaptureTarget : public TControlWidget {
public:
  TCaptureTarget() : TControlWidget(std::make_unique<TController>()) {}
  std::vector<QPoint> Moves, Ups;

protected:
  void MouseMove(TShiftState, int32_t X, int32_t Y) override { Moves.emplace_back(X, Y); }
  void MouseUp(TMouseButton B, TShiftState, int32_t X, int32_t Y) override {
    if (B == mbLeft) Ups.emplace_back(X, Y);
  }
};

TEST_F(Services, ForwardedCaptureMessagesArriveInClientCoordinates) {
  QWidget Form;
  Form.setGeometry(100, 100, 300, 200);
  auto* T = new TCaptureTarget;
  T->setParent(&Form);
  T->setGeometry(40, 50, 100, 100);
  Form.show();
  const QPoint Origin = T->mapToGlobal(QPoint(0, 0));
  T->ForwardMouseMove(Origin.x() + 7, Origin.y() + 9);
  T->ForwardLButtonUp(Origin.x() - 3, Origin.y() + 200);
  EXPECT_EQ(T->Moves, (std::vector<QPoint>{QPoint(7, 9)}));
  EXPECT_EQ(T->Ups, (std::vector<QPoint>{QPoint(-3, 200)}));
}

TEST_F(Services, ShiftCommandRightClickOnTheSkinnerRestylesTheForm) {
  QWidget Form;
  Form.resize(100, 100);
  auto* Skin = new TStyleGui(&Form);
  Skin->SetStyleType(stGray);
  Form.show();
  QTest::mouseClick(Skin, Qt::RightButton, Qt::ShiftModifier, QPoint(2, 2));
  EXPECT_TRUE(DefaultHeadlessSink().Messages().empty());
  QTest::mouseClick(Skin, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(2, 2));
  EXPECT_EQ(DefaultHeadlessSink().Messages(), std::vector<std::string>{"Caught!"});
  EXPECT_EQ(Form.palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
}

TEST_F(Services, AGlowingSwitchGlowsOnlyWhenActive) {
  TStyleGui Skin;
  Skin.SetStyleType(stBlack);
  TGlyphSwitch S(nullptr, skTumblerWithoutButton);
  S.resize(60, 24);
  S.SetColor(0x0B0B0B);
  S.SetCaption("Mask");
  Skin.DrawGlyphSwitch(S, false, false);
  // Far from the caption the idle picture is the switch's own colour; the
  // hover picture carries the blurred glow there.
  const int32_t X = 12, Y = 12;
  EXPECT_EQ(BGRAToColor(S.Glyphs[gsOn].Image.GetPixel(2, 2)), 0x0B0B0Bu);
  EXPECT_NE(S.Glyphs[gsHoverOn].Image.GetPixel(X, Y), S.Glyphs[gsOn].Image.GetPixel(X, Y));
  testing::SaveScreenshotImage(QImageOver(S.Glyphs[gsHoverOn].Image).copy(), "skinner", "glow_hover_on");
}

}  // namespace
}  // namespace kromel
