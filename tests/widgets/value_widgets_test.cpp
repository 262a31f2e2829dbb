#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "controls/main_controls.h"
#include "session/session_presets.h"
#include "session/session_settings.h"
#include "support/qt_test_support.h"
#include "widgets/color_wheel_controller.h"
#include "widgets/glyph_scroll_bar.h"
#include "widgets/glyph_scroll_bar_with_caption.h"
#include "widgets/knob.h"
#include "widgets/label_box.h"
#include "widgets/multi_range_scroll_bar.h"
#include "widgets/style_gui.h"
#include "widgets/vel_color_controls.h"

namespace kromel {
namespace {

// The window's session with its bound controls and its undo list; a drag
// on a widget over one of those controls records a step at its end, as the
// page handlers do.
class ValueWidgets : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    P.Preferences = &Prefs;
    P.InitDefaultPreset();
  }
  int32_t Steps() { return P.CurrentUndoList().Count(); }
  void RecordStepsOf(TNotifyEvent& OnChangeEnd, const std::string& Name) {
    OnChangeEnd = [this, Name](void*) { P.AddUndoStep(Name); };
  }
  template <class T>
  T& Control(const char* Name) {
    T* C = S.Controls.Get<T>(Name);
    EXPECT_NE(C, nullptr) << Name;
    return *C;
  }
  TControlledParameter* Param(const char* Section, const char* Name) {
    return FindPresetParameter(*S.Preset, Section, Name);
  }
  void Skin(QWidget& Form) {
    TStyleGui Skinner(&Form);
    Skinner.SetStyleType(stBlack);
    Skinner.UpdateGui(&Form, false, SkinnerBackground);
  }
  // A left drag from A to B in steps of at most 10 pixels.
  // The keys stay held during the moves.
  static void Drag(QWidget* W, QPoint A, QPoint B, Qt::KeyboardModifiers M = Qt::NoModifier) {
    QTest::mousePress(W, Qt::LeftButton, M, A);
    const int N = std::max(1, std::max(std::abs(B.x() - A.x()), std::abs(B.y() - A.y())) / 10);
    for (int I = 1; I <= N; ++I) {
      const QPoint P = A + (B - A) * I / N;
      QMouseEvent Move(QEvent::MouseMove, QPointF(P), W->mapToGlobal(QPointF(P)), Qt::NoButton,
                       Qt::LeftButton, M);
      QApplication::sendEvent(W, &Move);
    }
    QTest::mouseRelease(W, Qt::LeftButton, M, B);
  }

  TKromelSession S;
  TSessionPresets P{S};
  TPreferences Prefs;
};

TEST_F(ValueWidgets, CaptionedBarDragsOfBarAndCaptionEachRecordOneStep) {
  auto& Model = Control<TCaptionedScrollBarControl>("TransformExposureKnob");
  auto* Exposure = dynamic_cast<TControlledParameterSingle*>(Param("Basic", "Exposure"));
  ASSERT_NE(Exposure, nullptr);
  QWidget Form;
  Form.resize(320, 30);
  auto* W = new TGlyphScrollBarWithCaption(Model, &Form);
  W->SetCaption("Exposure");
  W->setGeometry(10, 5, 300, 20);
  Form.show();
  QApplication::setActiveWindow(&Form);
  Skin(Form);  // when first shown, at the laid-out sizes
  RecordStepsOf(Model.OnChangeEnd, "Exposure");
  ASSERT_EQ(Model.GetValue(), 0);
  EXPECT_EQ(W->ValueLabel->Caption, "0.00");
  testing::SaveScreenshot(Form, "value_widgets", "captioned_bar_at_0");

  // Bar 300 - 85 - 35 = 180 wide, 16-pixel thumb: the track is 164 pixels
  // for 200 positions; the thumb of 0 starts at 82.
  const int32_t Before = Steps();
  TGlyphScrollBar* Bar = W->ScrollBar;
  ASSERT_EQ(Bar->width(), 180);
  ASSERT_EQ(Bar->ThumbOffset(), 82);
  Drag(Bar, QPoint(90, 10), QPoint(131, 10));
  EXPECT_EQ(Model.GetValue(), 50);  // -100 + 200 * 123 div 164
  EXPECT_FLOAT_EQ(Exposure->Value, 0.75f);
  EXPECT_EQ(W->ValueLabel->Caption, "2.50");
  EXPECT_EQ(Steps(), Before + 1);
  testing::SaveScreenshot(Form, "value_widgets", "captioned_bar_at_50");

  // The caption: 1000 pixels sideways over the range; 200 pixels = 40.
  Drag(W->CaptionBox, QPoint(10, 10), QPoint(-190, 10));
  EXPECT_EQ(Model.GetValue(), 10);
  EXPECT_FLOAT_EQ(Exposure->Value, 0.55f);
  EXPECT_EQ(Steps(), Before + 2);

  // Undo puts the parameter and the control back.
  ASSERT_TRUE(P.UndoStep());
  EXPECT_FLOAT_EQ(Exposure->Value, 0.75f);
  EXPECT_EQ(Model.GetValue(), 50);

  // Typing: a click on the value opens the edit; Enter ends it with one step.
  QTest::mouseClick(W->ValueLabel, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  ASSERT_TRUE(W->ValueEdit->isVisible());
  W->ValueEdit->selectAll();
  QTest::keyClicks(W->ValueEdit, "-1,5");
  EXPECT_EQ(Model.GetValue(), -30);
  QTest::keyClick(W->ValueEdit, Qt::Key_Return);
  EXPECT_FALSE(W->ValueEdit->isVisible());
  EXPECT_EQ(W->ValueLabel->Caption, "-1.50");
  EXPECT_FLOAT_EQ(Exposure->Value, 0.35f);
  EXPECT_EQ(Steps(), Before + 2);  // the undone step was replaced
  testing::SaveScreenshot(Form, "value_widgets", "captioned_bar_typed");
}

TEST_F(ValueWidgets, GlyphScrollBarDragFineDragAndPopupEdit) {
  auto& Model = Control<TScrollBarControl>("CurvesRGBDepthGlyphScrollBar");
  auto* Depth = dynamic_cast<TControlledParameterSingle*>(Param("Curves", "RGBDepth"));
  ASSERT_NE(Depth, nullptr);
  QWidget Form;
  Form.resize(220, 40);
  auto* Bar = new TGlyphScrollBar(Model, &Form);
  Bar->setGeometry(10, 10, 200, 20);
  Form.show();
  QApplication::setActiveWindow(&Form);
  Skin(Form);
  RecordStepsOf(Model.OnChangeEnd, "Depth");
  ASSERT_EQ(Model.Position, 100);
  // 16-pixel thumb on a 184-pixel track: 100 of 200 sits at 92.
  ASSERT_EQ(Bar->ThumbOffset(), 92);
  const int32_t Before = Steps();
  Drag(Bar, QPoint(100, 10), QPoint(146, 10));
  EXPECT_EQ(Model.Position, 150);  // 200 * (146 - 8) div 184
  EXPECT_FLOAT_EQ(Depth->Value, 0.75f);
  EXPECT_EQ(Steps(), Before + 1);
  testing::SaveScreenshot(Form, "value_widgets", "glyph_scroll_bar");
  // Shift: a tenth of the travel from the press.
  Drag(Bar, QPoint(145, 10), QPoint(145 + 92, 10), Qt::ShiftModifier);
  EXPECT_EQ(Model.Position, 160);
  EXPECT_EQ(Steps(), Before + 2);
  // Ctrl (Command) click: the default.
  Model.DefaultValue = 100;
  QTest::mouseClick(Bar, Qt::LeftButton, Qt::ControlModifier, QPoint(20, 10));
  EXPECT_EQ(Model.Position, 100);
  EXPECT_FLOAT_EQ(Depth->Value, 0.5f);

  // Double click opens the pop-up edit over the bar; typing moves it.
  QTest::mouseDClick(Bar, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
  ASSERT_NE(Bar->PopupEdit, nullptr);
  EXPECT_TRUE(Bar->PopupEdit->isVisible());
  EXPECT_EQ(Bar->PopupEdit->geometry(), QRect(10 + 75, 10, 50, 25));
  Bar->PopupEdit->selectAll();
  QTest::keyClicks(Bar->PopupEdit, "40");
  EXPECT_EQ(Model.Position, 40);
  EXPECT_FLOAT_EQ(Depth->Value, 0.2f);
  const int32_t BeforeClose = Steps();
  Bar->setFocus();  // the edit loses the focus: closed, one step
  EXPECT_FALSE(Bar->PopupEdit->isVisible());
  EXPECT_EQ(Steps(), BeforeClose + 1);
}

TEST_F(ValueWidgets, KnobDragWritesItsParameterOnceAStep) {
  auto* Tint = dynamic_cast<TControlledParameterSingle*>(Param("Basic", "Tint"));
  ASSERT_NE(Tint, nullptr);
  QWidget Form;
  Form.resize(64, 64);
  auto* K = new TKnob(&Form);
  K->setGeometry(10, 10, 44, 44);
  K->SetColor(0x303030);
  // A round knob picture.
  TImage32 Pic;
  ASSERT_TRUE(Pic.Alloc(44, 44));
  for (int32_t Y = 0; Y < 44; ++Y)
    for (int32_t X = 0; X < 44; ++X) {
      const int32_t D = (X - 22) * (X - 22) + (Y - 22) * (Y - 22);
      Pic.Row(Y)[X].Value = D < 20 * 20 ? 0xFF707070u - uint32_t(D / 40) * 0x010101u : 0;
    }
  K->Glyph.Take(Pic);
  TKnobControl& M = K->Knob();
  M.Max = 100;
  M.SetMin(-100);
  M.OnChange = [&](void*) { Tint->SetValue(M.GetNormalizedValue()); };
  RecordStepsOf(M.OnChangeEnd, "Tint");
  Form.show();
  testing::SaveScreenshot(Form, "value_widgets", "knob_at_0");
  const int32_t Before = Steps();
  Drag(K, QPoint(22, 30), QPoint(40, -70));  // 100 pixels up: a quarter
  EXPECT_EQ(M.Value, 50);
  EXPECT_FLOAT_EQ(Tint->Value, 0.75f);
  EXPECT_EQ(Steps(), Before + 1);
  testing::SaveScreenshot(Form, "value_widgets", "knob_at_50");
  // The pointer moved: the picture differs from the one at 0.
  const QImage At50 = testing::GrabWidget(*K);
  M.SetValue(0);
  EXPECT_NE(testing::GrabWidget(*K), At50);
  // Wheel: half a percent.
  M.SetValue(51);
  QWheelEvent Wheel(QPointF(5, 5), K->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(K, &Wheel);
  EXPECT_EQ(M.Value, 52);
}

TEST_F(ValueWidgets, ColourWheelDragMovesTheBoundPointInPlace) {
  auto& Model = Control<TColorWheelControl>("ColorWheelGain");
  auto* Gain = dynamic_cast<TControlledParameterColorWheel*>(Param("Curves", "Gain"));
  ASSERT_NE(Gain, nullptr);
  QWidget Form;
  Form.resize(100, 80);
  auto* W = new TColorWheelController(Model, &Form);
  W->SetCaption("Gain");
  Model.CursorColor = 0x0652FC;
  W->setGeometry(10, 8, 81, 65);
  Form.show();
  RecordStepsOf(Model.OnChangeEnd, "Gain");
  EXPECT_EQ(Model.Calibrate(0, 0, true).X, 40);
  EXPECT_EQ(Model.Calibrate(0, 0, true).Y, 24);
  testing::SaveScreenshot(Form, "value_widgets", "colour_wheel_at_0");
  const int32_t Before = Steps();
  Drag(W, QPoint(40, 24), QPoint(60, 36));
  EXPECT_EQ(Gain->Point.X, 50);
  EXPECT_EQ(Gain->Point.Y, -48);
  EXPECT_EQ(Steps(), Before + 1);
  testing::SaveScreenshot(Form, "value_widgets", "colour_wheel_moved");
  // Shift: the brightness, one unit a pixel upwards, counted from the
  // first move (which takes the keys again).
  Drag(W, QPoint(60, 50), QPoint(60, 10), Qt::ShiftModifier);
  EXPECT_EQ(Gain->Point.Brightness, 30);
  EXPECT_EQ(Gain->Point.X, 50);
  EXPECT_EQ(Steps(), Before + 2);
  // Double click: everything back to 0.
  QTest::mouseDClick(W, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  EXPECT_EQ(Gain->Point.X, 0);
  EXPECT_EQ(Gain->Point.Brightness, 0);
}

TEST_F(ValueWidgets, MultiRangeDragPushesTheBoundArray) {
  auto& Model = Control<TMultiRangeControl>("RingsMultiRangeScrollBar");
  auto* Rings = dynamic_cast<TControlledParameterIntegerArray*>(Param("Curves", "Ranges"));
  ASSERT_NE(Rings, nullptr);
  QWidget Form;
  Form.resize(349, 31);
  auto* W = new TMultiRangeScrollBar(Model, &Form);
  W->setGeometry(10, 5, 329, 21);
  Model.DotColors = {0xE44D16, 0x00AAE7, 0x0652FC, 0, 0};
  W->BackgroundColor = 0x202020;
  Form.show();
  RecordStepsOf(Model.OnChangeEnd, "Rings");
  Model.SetDotPosition(2, 300);
  Model.SetDotPosition(1, 200);
  Model.SetDotPosition(0, 100);
  testing::SaveScreenshot(Form, "value_widgets", "multi_range");
  const int32_t Before = Steps();
  // Dot 1 at 200: left edge 56 + 16 = 72; grabbed 5 pixels in, 28 pixels
  // right is 100 positions and pushes dot 2.
  Drag(W, QPoint(77, 10), QPoint(105, 10));
  EXPECT_EQ(Model.GetDotPosition(1), 300);
  EXPECT_EQ(Model.GetDotPosition(2), 301);
  EXPECT_EQ(Rings->Values[1], 300);
  EXPECT_EQ(Rings->Values[2], 301);
  EXPECT_EQ(Steps(), Before + 1);
  testing::SaveScreenshot(Form, "value_widgets", "multi_range_pushed");
  // Ctrl-click on the middle dot: half the range.
  QTest::mouseClick(W, Qt::LeftButton, Qt::ControlModifier, QPoint(108, 10));
  EXPECT_EQ(Model.GetDotPosition(1), 500);
}

TEST_F(ValueWidgets, ColourPlateAndWatchTakeTheDialogsColour) {
  auto& Model = Control<TColorPlateControl>("ToolsMask1ColorShape");
  auto* Ref = dynamic_cast<TControlledParameterInteger*>(Param("Mask", "ReferenceColor"));
  ASSERT_NE(Ref, nullptr);
  TColor Answer = 0x3366CC;
  ColorDialogHook() = [&](TColor& C) {
    C = Answer;
    return true;
  };
  QWidget Form;
  Form.resize(300, 60);
  auto* Plate = new TVelColorPlate(Model, &Form);
  Plate->setGeometry(5, 5, 36, 21);
  Plate->Bevel = 3;
  Plate->BevelColor = 0x808080;
  auto* Watch = new TVelColorWatch(&Form);
  Watch->Watch.Color1Title = "Src:";
  Watch->Watch.Color2Title = "Res:";
  Watch->setGeometry(50, 5, 245, 36);
  Watch->Watch.SetColor1(0x0000FF);
  Watch->Watch.SetColor2(0x20A040);
  RecordStepsOf(Model.OnChangeEnd, "Mask colour");
  Form.show();
  const int32_t Before = Steps();
  QTest::mouseDClick(Plate, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_EQ(Model.Color, 0x3366CC);
  EXPECT_EQ(Ref->Value, 0x3366CC);
  EXPECT_EQ(Steps(), Before + 1);
  const QImage PlateImage = testing::GrabWidget(*Plate);
  EXPECT_EQ(PlateImage.pixel(10, 10) & 0xFFFFFF, 0xCC6633u);  // RGB of 0x3366CC
  EXPECT_EQ(PlateImage.pixel(1, 1) & 0xFFFFFF, 0x808080u);

  // The watch: a double click on plate 2 edits the second colour.
  Answer = 0x112233;
  const TColorWatchLayout L = Watch->Watch.ArrangeControls();
  QTest::mouseDClick(Watch, Qt::LeftButton, Qt::NoModifier,
                     QPoint(L.Plate2.Left + 5, L.Plate2.Top + 5));
  EXPECT_EQ(Watch->Watch.Color2, 0x112233);
  EXPECT_EQ(Watch->Watch.Color1, 0x0000FF);
  // A click on the numbers switches the format.
  QTest::mouseClick(Watch, Qt::LeftButton, Qt::NoModifier,
                    QPoint(L.NumbersBox.Left + 5, L.NumbersBox.Top + 5));
  EXPECT_EQ(Watch->Watch.TextMode, 1);
  testing::SaveScreenshot(Form, "value_widgets", "colour_plate_and_watch");
  ColorDialogHook() = nullptr;
}

TEST_F(ValueWidgets, LabelBoxDragAndScreenshot) {
  QWidget Form;
  Form.resize(120, 40);
  auto* B = new TLabelBox(&Form);
  B->setGeometry(10, 10, 100, 20);
  B->SetColor(0x404040);
  B->SetFontColor(0xE0E0E0);
  B->SetCaption("Lighten");
  TLabelBoxControl& M = B->Box();
  int End = 0;
  M.OnChangeEnd = [&](void*) { ++End; };
  Form.show();
  Drag(B, QPoint(50, 10), QPoint(50, -490));  // half of 1000 pixels up
  EXPECT_EQ(M.Value, 100);
  EXPECT_EQ(End, 1);
  testing::SaveScreenshot(Form, "value_widgets", "label_box");
}

}  // namespace
}  // namespace kromel
