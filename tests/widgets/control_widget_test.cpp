#include "widgets/control_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "foundation/byte_stream.h"
#include "widgets/draw_helpers.h"
#include "widgets/glyph_scroll_bar.h"
#include "widgets/glyph_switch.h"
#include "widgets/style_gui.h"
#include "support/qt_test_support.h"

namespace kromel {
namespace {

class ControlBase : public ::testing::Test {
protected:
  void SetUp() override { testing::EnsureQtApplication(); }
};

// Records the handler calls it receives, in order.
class TRecordingControl : public TControlWidget {
public:
  TRecordingControl() : TControlWidget(std::make_unique<TController>("Rec")) { resize(60, 40); }
  std::vector<std::string> Calls;

protected:
  static std::string Bits(TShiftState S) {
    std::string T;
    if (S & ssShift) T += "S";
    if (S & ssAlt) T += "A";
    if (S & ssMeta) T += "M";
    if (S & ssLeft) T += "L";
    if (S & ssRight) T += "R";
    if (S & ssDouble) T += "D";
    return T;
  }
  void MouseDown(TMouseButton B, TShiftState S, int32_t X, int32_t Y) override {
    Calls.push_back("down " + std::to_string(B) + " " + Bits(S) + " " + std::to_string(X) + "," +
                    std::to_string(Y));
  }
  void MouseMove(TShiftState S, int32_t X, int32_t Y) override {
    Calls.push_back("move " + Bits(S) + " " + std::to_string(X) + "," + std::to_string(Y));
  }
  void MouseUp(TMouseButton B, TShiftState S, int32_t X, int32_t Y) override {
    Calls.push_back("up " + std::to_string(B) + " " + Bits(S) + " " + std::to_string(X) + "," +
                    std::to_string(Y));
  }
  bool MouseWheel(TShiftState S, int32_t D, int32_t, int32_t) override {
    Calls.push_back("wheel " + Bits(S) + " " + std::to_string(D));
    return true;
  }
  void KeyDown(uint16_t& Key, TShiftState S) override {
    Calls.push_back("key " + std::to_string(Key) + " " + Bits(S));
    Key = 0;
  }
  void MouseEnter() override { Calls.push_back("enter"); }
  void MouseLeave() override { Calls.push_back("leave"); }
};

TEST_F(ControlBase, APaintedScrollBarShowsItsModelsPosition) {
  QWidget Form;
  Form.resize(220, 40);
  TStyleGui Skin(&Form);
  Skin.SetStyleType(stBlack);
  auto* Bar = new TGlyphScrollBar(&Form);
  Bar->setGeometry(10, 10, 200, 20);
  Bar->ScrollBar().SetMin(0);
  Bar->ScrollBar().SetMax(100);
  Skin.UpdateGui(&Form, false, SkinnerBackground);
  const QImage AtZero = testing::GrabWidget(*Bar);
  Bar->ScrollBar().SetPosition(80);
  const QImage AtEighty = testing::GrabWidget(*Bar);
  testing::SaveScreenshotImage(AtZero, "widgets", "scroll_bar_at_0");
  testing::SaveScreenshotImage(AtEighty, "widgets", "scroll_bar_at_80");
  // The 16-pixel thumb sits at 0 and then at (200 - 16) * 80 / 100 = 147.
  const int32_t T = Bar->ThumbLength();
  EXPECT_EQ(T, 16);
  EXPECT_EQ(Bar->ThumbOffset(), 147);
  auto ColumnDiffers = [&](int32_t X) {
    for (int32_t Y = 0; Y < 20; ++Y)
      if (AtZero.pixel(X, Y) != AtEighty.pixel(X, Y)) return true;
    return false;
  };
  EXPECT_TRUE(ColumnDiffers(T / 2));        // the thumb left
  EXPECT_TRUE(ColumnDiffers(147 + T / 2));  // and arrived
  for (int32_t X : {40, 100, 190}) EXPECT_FALSE(ColumnDiffers(X)) << X;
  // The thumb's centre is white-ish, the rail's ground the black style's.
  EXPECT_GT(qRed(AtEighty.pixel(147 + T / 2, 10)), 0xB0);
  EXPECT_EQ(AtEighty.pixel(100, 19) & 0xFFFFFF, 0x0B0B0Bu);
}

TEST_F(ControlBase, MouseEventsReachTheHandlersInOrderWithTheirModifiers) {
  TRecordingControl C;
  C.show();
  QTest::mousePress(&C, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
  QTest::mouseMove(&C, QPoint(20, 21));
  QTest::mouseRelease(&C, Qt::LeftButton, Qt::ShiftModifier, QPoint(30, 31));
  QTest::mousePress(&C, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier, QPoint(1, 2));
  QTest::mouseRelease(&C, Qt::RightButton, Qt::ControlModifier | Qt::AltModifier, QPoint(1, 2));
  QWheelEvent Wheel(QPointF(3, 4), C.mapToGlobal(QPointF(3, 4)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&C, &Wheel);
  QTest::keyClick(&C, Qt::Key_Left, Qt::ShiftModifier);
  const std::vector<std::string> Expected = {
      "down 0 SL 5,6",   // Command is Ctrl, Option is Alt
      "move L 20,21", "up 0 S 30,31", "down 1 AMR 1,2", "up 1 AM 1,2", "wheel S -120", "key 16 S", "key 37 S"};
  std::vector<std::string> Got;
  for (const std::string& S : C.Calls)
    if (S != "enter" && S != "leave" && S.rfind("move", 0) != 0) Got.push_back(S);
  std::vector<std::string> Moves;
  for (const std::string& S : C.Calls)
    if (S.rfind("move", 0) == 0) Moves.push_back(S);
  ASSERT_FALSE(Moves.empty());
  EXPECT_EQ(Moves.front(), Expected[1]);
  std::vector<std::string> ExpectedNoMove = Expected;
  ExpectedNoMove.erase(ExpectedNoMove.begin() + 1);
  EXPECT_EQ(Got, ExpectedNoMove);
  // The move came between the press and the release.
  const auto Down = std::find(C.Calls.begin(), C.Calls.end(), Expected[0]);
  const auto Move = std::find(C.Calls.begin(), C.Calls.end(), Expected[1]);
  const auto Up = std::find(C.Calls.begin(), C.Calls.end(), Expected[2]);
  EXPECT_TRUE(Down < Move && Move < Up);
}

TEST_F(ControlBase, ASwitchTogglesOnClickAndTheScrollBarTakesKeysAndTheWheel) {
  QWidget Form;
  auto* Switch = new TGlyphSwitch(&Form);
  Switch->setGeometry(0, 0, 60, 30);
  auto* Bar = new TGlyphScrollBar(&Form);
  Bar->setGeometry(0, 40, 100, 20);
  Bar->ScrollBar().SetPosition(50);
  Form.show();
  int Changes = 0;
  Switch->Switch().OnChange = [&](void*) { ++Changes; };
  QTest::mouseClick(Switch, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_TRUE(Switch->Switch().State);
  EXPECT_EQ(Changes, 1);
  // A release outside the switch does not click.
  QTest::mousePress(Switch, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QTest::mouseRelease(Switch, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
  EXPECT_TRUE(Switch->Switch().State);
  QTest::keyClick(Bar, Qt::Key_Right);
  EXPECT_EQ(Bar->ScrollBar().Position, 51);
  QWheelEvent Wheel(QPointF(3, 4), Bar->mapToGlobal(QPointF(3, 4)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(Bar, &Wheel);
  EXPECT_EQ(Bar->ScrollBar().Position, 50);
  // A press on the rail beside the thumb pages by LargeChange; a thumb
  // dragged to the end of the track reaches the maximum.
  QTest::mousePress(Bar, Qt::LeftButton, Qt::NoModifier, QPoint(70, 10));
  QTest::mouseRelease(Bar, Qt::LeftButton, Qt::NoModifier, QPoint(70, 10));
  EXPECT_EQ(Bar->ScrollBar().Position, 54);
  const int32_t Thumb = Bar->ThumbOffset() + Bar->ThumbLength() / 2;
  QTest::mousePress(Bar, Qt::LeftButton, Qt::NoModifier, QPoint(Thumb, 10));
  QTest::mouseMove(Bar, QPoint(99, 10));
  QTest::mouseRelease(Bar, Qt::LeftButton, Qt::NoModifier, QPoint(99, 10));
  EXPECT_EQ(Bar->ScrollBar().Position, 100);
}

TEST_F(ControlBase, ComponentMessagesAreMethodCalls) {
  QWidget Form;
  auto* Bar = new TGlyphScrollBar(&Form);
  Bar->resize(100, 20);
  auto* Other = new TGlyphScrollBar(&Form);
  Other->setGeometry(0, 30, 100, 20);
  Form.show();
  QApplication::setActiveWindow(&Form);
  // $401: WParam / 65535 as the normalised value.
  Bar->CMSetValueS(65535);
  EXPECT_EQ(Bar->ScrollBar().Position, 100);
  Bar->CMSetValueS(32768);
  EXPECT_EQ(Bar->ScrollBar().Position, 50);
  // $402: the focus goes back to the control.
  Other->setFocus();
  Bar->CMSetFocus();
  EXPECT_EQ(QApplication::focusWidget(), Bar);
  // A base control ignores values; $403 does nothing on the base.
  TControlWidget Base(std::make_unique<TController>());
  Base.CMSetValueS(65535);
  Base.CMEditClosed();
  EXPECT_EQ(Base.Controller().GetControllerValueS(), -1.0f);
}

TEST_F(ControlBase, TheWidgetTreeRegistersSavesAndIsolatesLikeTheNodeTree) {
  QWidget Form;
  auto* Panel = new QWidget(&Form);
  auto* A = new TGlyphScrollBar(Panel);
  A->Controller().SetControllerNumber(1);
  auto* Inner = new QWidget(Panel);
  auto* B = new TGlyphScrollBar(Inner);
  B->Controller().SetControllerNumber(2);
  auto* Unnumbered = new TGlyphSwitch(&Form);
  (void)Unnumbered;
  TControllersArray Registry;
  RegisterControls(Registry, Form);
  EXPECT_EQ(Registry.At(1), &A->Controller());
  EXPECT_EQ(Registry.At(2), &B->Controller());
  EXPECT_EQ(Registry.GetUsedCount(), 3);
  EXPECT_EQ(ControllerOf(Panel), nullptr);

  A->ScrollBar().SetPosition(30);
  B->ScrollBar().SetPosition(70);
  TMemoryStream Stream;
  Registry.SaveValuesToStream(Stream);
  A->ScrollBar().SetPosition(0);
  B->ScrollBar().SetPosition(0);
  // Isolation reaches the direct children only; deeper levels get False.
  SetControlsIsolate(*Panel, true);
  EXPECT_TRUE(A->Controller().Isolate);
  EXPECT_FALSE(B->Controller().Isolate);
  Stream.SetPosition(0);
  ASSERT_TRUE(Registry.LoadValuesFromStream(Stream));
  EXPECT_EQ(A->ScrollBar().Position, 0);
  EXPECT_EQ(B->ScrollBar().Position, 70);
  ClearControlsIsolate(Form);
  EXPECT_FALSE(A->Controller().Isolate);
  Stream.SetPosition(0);
  ASSERT_TRUE(Registry.LoadValuesFromStream(Stream));
  EXPECT_EQ(A->ScrollBar().Position, 30);
  // Destroying a control leaves the registry.
  delete A;
  EXPECT_EQ(Registry.At(1), nullptr);
}

TEST_F(ControlBase, ChildControlsAreDisabledOneLevelDeep) {
  QWidget Form;
  auto* Panel = new QWidget(&Form);
  auto* Deep = new QWidget(Panel);
  auto* Side = new TGlyphSwitch(&Form);
  DisableChildControls(Form);
  EXPECT_FALSE(Panel->isEnabled());
  EXPECT_FALSE(Side->isEnabled());
  // The grandchild keeps its own flag (only its parent's state hides it).
  EXPECT_FALSE(Deep->testAttribute(Qt::WA_ForceDisabled));
  EnableChildControls(Form);
  EXPECT_TRUE(Panel->isEnabled());
  EXPECT_TRUE(Deep->isEnabled());
}

TEST_F(ControlBase, Frame3DAndTiling) {
  // A 4 x 3 frame at (1, 1): top and left in A, bottom and right in B.
  TRawBitmap Bitmap(6, 5, pf32bit);
  TCanvas Canvas(Bitmap);
  Canvas.Brush.Color = 0xFFFFFF;
  Canvas.FillRect(0, 0, 6, 5);
  DrawFrame3D(Canvas, TRect{1, 1, 5, 4}, 0x0000AA, 0xBB0000);
  const char* Expected[5] = {"......", ".AAAA.", ".A..B.", ".ABBB.", "......"};
  TImage32 Image;
  Image.Alloc(6, 5);
  Image.Fill(0xFFFFFF);
  DrawFrame3D(Image, TRect{1, 1, 5, 4}, 0x0000AA, 0xBB0000);
  for (int32_t Y = 0; Y < 5; ++Y)
    for (int32_t X = 0; X < 6; ++X) {
      const TColor Want = Expected[Y][X] == 'A' ? 0x0000AA : Expected[Y][X] == 'B' ? 0xBB0000 : 0xFFFFFF;
      EXPECT_EQ(Canvas.Pixel(X, Y), Want) << X << "," << Y;
      EXPECT_EQ(BGRAToColor(Image.GetPixel(X, Y)), Want) << X << "," << Y;
    }
  // Tiling a 2 x 1 image gives it four times.
  TImage32 Tile;
  Tile.Alloc(2, 1);
  Tile.Row(0)[0].Value = ColorToBGRA(0x112233);
  Tile.Row(0)[1].Value = ColorToBGRA(0x445566);
  TRawBitmap Target(5, 3, pf32bit);
  TCanvas TC(Target);
  TileOnCanvas(Tile, TC);
  for (auto [X, Y, C] : {std::tuple{0, 0, 0x112233u}, {1, 0, 0x445566u}, {2, 0, 0x112233u},
                         {3, 0, 0x445566u}, {0, 1, 0x112233u}, {3, 1, 0x445566u}, {4, 0, 0u}, {0, 2, 0u}})
    EXPECT_EQ(TC.Pixel(X, Y), C) << X << "," << Y;
}

TEST_F(ControlBase, TheBlitSharesTheBufferAndShowsWhatPaintDrew) {
  TControlWidget C(std::make_unique<TController>());
  C.resize(7, 5);
  C.SetColor(0x3060C0);
  C.PaintToBuffer();
  const QImage View = QImageOver(C.Buffer());
  EXPECT_EQ(View.constBits(), reinterpret_cast<const uchar*>(C.Buffer().Pixels));
  const QImage Shot = testing::GrabWidget(C);
  ASSERT_EQ(Shot.size(), QSize(7, 5));
  EXPECT_EQ(Shot.pixel(3, 2), qRgb(0xC0, 0x60, 0x30));
}

}  // namespace
}  // namespace kromel
