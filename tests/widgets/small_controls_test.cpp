#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cmath>

#include "platform/message_sink.h"
#include "widgets/canvas_paint.h"
#include "widgets/graph_box.h"
#include "widgets/light_check.h"
#include "widgets/non_modal_message.h"
#include "widgets/signal_path.h"
#include "widgets/style_gui.h"
#include "widgets/vel_panel.h"
#include "widgets/vel_selectors.h"
#include "support/qt_test_support.h"

namespace kromel {
namespace {

constexpr const char* Suite = "small_controls";

class SmallControls : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    DefaultHeadlessSink().EchoToStderr = false;
    DefaultHeadlessSink().Clear();
  }
};

TColor PixelAt(TVelWidget& W, int32_t X, int32_t Y) {
  W.PaintToBuffer();
  const uint32_t V = W.Buffer().Row(Y)[X].Value;
  return ((V >> 16) & 0xFF) | (V & 0xFF00) | ((V & 0xFF) << 16);
}

void Click(QWidget& W) { QTest::mouseClick(&W, Qt::LeftButton, {}, QPoint(W.width() / 2, W.height() / 2)); }

TEST_F(SmallControls, CheckBoxTogglesByBoxLabelAndSpace) {
  TStyleGui Skinner;
  Skinner.SetStyleType(stBlack);
  QWidget Form;
  Form.resize(120, 30);
  auto* B = new TVelCheckBox(&Form, "Check");
  B->setGeometry(5, 5, 100, 20);
  B->SetCaption("Auto levels");
  Form.show();
  EXPECT_EQ(B->Box().geometry(), QRect(0, 0, 20, 20));
  EXPECT_EQ(B->Label().geometry(), QRect(20, 0, 80, 20));
  std::vector<std::string> Events;
  B->OnChange = [&](QWidget*) { Events.push_back("change"); };
  B->OnClick = [&](QWidget*) { Events.push_back("click"); };
  Click(B->Label());
  EXPECT_TRUE(B->Checked());
  EXPECT_EQ(Events, (std::vector<std::string>{"change", "click"}));
  Click(B->Box());
  EXPECT_FALSE(B->Checked());
  QTest::keyClick(B, Qt::Key_Space);
  EXPECT_TRUE(B->Checked());
  EXPECT_EQ(Events.size(), 6u);
  B->SetChecked(false);
  EXPECT_FALSE(B->Checked());

  Skinner.UpdateGui(&Form, false, Skinner.BackgroundColor);
  B->SetColor(Skinner.BackgroundColor);
  B->SetFontColor(Skinner.Palette().TextColor);
  B->Box().SetGUISkinner(&Skinner);
  testing::SaveScreenshot(*B, Suite, "check_box_off");
  B->SetChecked(true);
  testing::SaveScreenshot(*B, Suite, "check_box_on");

  TVelCheckBox Narrow;
  Narrow.resize(10, 20);
  Narrow.show();
  EXPECT_EQ(Narrow.Label().geometry(), QRect(20, 0, 1, 20));
}

TEST_F(SmallControls, BevelShapesUseTheirColours) {
  TVelBevel B;
  B.resize(20, 10);
  B.SetColor(0xC8C8C8);
  B.SetShape(bsBox);
  B.SetStyle(bsLowered);
  // Flat: all four sides in the shadow colour.
  for (auto [X, Y] : {std::pair{0, 0}, {19, 0}, {19, 9}, {0, 9}, {10, 9}, {19, 5}})
    EXPECT_EQ(PixelAt(B, X, Y), clBtnShadowColor) << X << "," << Y;
  B.SetFlat(false);
  EXPECT_EQ(PixelAt(B, 0, 5), clBtnShadowColor);
  EXPECT_EQ(PixelAt(B, 10, 0), clBtnShadowColor);
  EXPECT_EQ(PixelAt(B, 19, 5), clBtnHighlightColor);
  EXPECT_EQ(PixelAt(B, 10, 9), clBtnHighlightColor);
  EXPECT_EQ(PixelAt(B, 10, 5), 0xC8C8C8u);
  testing::SaveScreenshot(B, Suite, "bevel_box_lowered");
  B.SetStyle(bsRaised);
  B.SetShape(bsTopLine);
  EXPECT_EQ(PixelAt(B, 5, 0), clBtnHighlightColor);
  EXPECT_EQ(PixelAt(B, 5, 1), clBtnShadowColor);
  EXPECT_EQ(PixelAt(B, 5, 2), 0xC8C8C8u);
  B.SetShape(bsSpacer);
  for (int Y = 0; Y < 10; ++Y)
    for (int X = 0; X < 20; ++X) ASSERT_EQ(PixelAt(B, X, Y), 0xC8C8C8u);
}

TEST_F(SmallControls, ScrollBoxReportsScrollingAndTakesKeys) {
  TVelScrollBox Box;
  Box.resize(100, 60);
  auto* Inner = new QWidget;
  Inner->resize(400, 300);
  Box.setWidget(Inner);
  Box.show();
  int H = 0, V = 0, Keys = 0;
  Box.OnScrollHorz = [&](QWidget*) { ++H; };
  Box.OnScrollVert = [&](QWidget*) { ++V; };
  Box.OnKeyDown = [&](QWidget*, uint16_t& Key, TShiftState) { Keys += Key == 37; };
  Box.horizontalScrollBar()->setValue(50);
  EXPECT_EQ(H, 1);
  EXPECT_EQ(Inner->x(), -50) << "the content has moved when the event fires";
  Box.verticalScrollBar()->setValue(20);
  EXPECT_EQ(V, 1);
  QTest::keyClick(&Box, Qt::Key_Left);
  EXPECT_EQ(Keys, 1);
}

TEST_F(SmallControls, LightCheckTogglesAndPaintsItsLed) {
  TLightCheck L;
  L.resize(12, 12);
  L.SetOnColor(0x00FF00);
  std::vector<std::string> Events;
  L.OnChange = [&](QWidget*) { Events.push_back("change"); };
  L.OnClick = [&](QWidget*) { Events.push_back("click"); };
  Click(L);
  EXPECT_TRUE(L.Checked());
  EXPECT_EQ(Events, (std::vector<std::string>{"change", "click"}));
  L.SetChecked(true);
  EXPECT_EQ(Events.size(), 2u) << "setting the current value fires nothing";
  QTest::keyClick(&L, Qt::Key_Space);
  EXPECT_FALSE(L.Checked());
  L.SetChecked(true);
  const int32_t Before = L.RepaintCount;
  L.SetOffColor(0x123456);
  EXPECT_EQ(L.RepaintCount, Before) << "the off colour does not repaint a lit LED";
  L.SetOnColor(0x00FF00);
  EXPECT_EQ(L.RepaintCount, Before + 1);

  // y0 = 12 div 2 - 5 = 1: the LED's row r is at 1 + r.
  EXPECT_EQ(LedShade(0x00FF00), 0x00BF40u);
  EXPECT_EQ(LedLight(0x00FF00), 0x7FFE7Fu);
  EXPECT_EQ(PixelAt(L, 9, 1 + 3), 0x00BF40u) << "a shade pixel carries red";
  EXPECT_EQ(PixelAt(L, 5, 1 + 3), 0x00FF00u);
  EXPECT_EQ(PixelAt(L, 4, 1 + 4), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(L, 5, 1 + 4), 0x7FFE7Fu);
  EXPECT_EQ(PixelAt(L, 3, 1 + 0), clBtnShadowColor);
  EXPECT_EQ(PixelAt(L, 4, 1 + 1), 0x000005u);
  testing::SaveScreenshot(L, Suite, "light_check_on");
  L.SetChecked(false);
  L.SetOffColor(0x0000FF);
  EXPECT_EQ(PixelAt(L, 5, 1 + 3), 0x0000FFu);
  testing::SaveScreenshot(L, Suite, "light_check_off");

  // 9 x 10: y0 = 0, clipped at the right and bottom edges.
  TLightCheck Small;
  Small.resize(9, 10);
  Small.SetColor(0x808000);
  EXPECT_EQ(PixelAt(Small, 3, 0), clBtnShadowColor);
  EXPECT_EQ(PixelAt(Small, 0, 0), 0x808000u);

  TLightCheckBox Box;
  Box.resize(110, 18);
  Box.SetColor(0xF0F0F0);
  Box.SetCaption("Live preview");
  Box.SetChecked(true);
  testing::SaveScreenshot(Box, Suite, "light_check_box");
  Click(Box);
  EXPECT_FALSE(Box.Checked());
}

TEST_F(SmallControls, SignalPathBoxesAndLinksFallOnTheGrid) {
  TRawBitmap Bitmap(260, 130, pf32bit);
  TCanvas C(Bitmap);
  constexpr TColor Ground = 0x383838;
  C.Brush.Color = Ground;
  C.FillRect(0, 0, 260, 130);
  DrawSignalPathBlock(C, 0, 1, "In", 0x90A0C0, 0xFFFFFF);
  // The frame spans (17, 18) to (53, 46), right and bottom exclusive.
  EXPECT_EQ(C.Pixel(17, 18), 0x90A0C0u);
  EXPECT_EQ(C.Pixel(52, 45), 0x90A0C0u);
  EXPECT_EQ(C.Pixel(52, 18), 0x90A0C0u);
  EXPECT_EQ(C.Pixel(53, 46), Ground);
  EXPECT_EQ(C.Pixel(16, 18), Ground);
  EXPECT_EQ(C.Pixel(18, 19), Ground) << "the box is not filled";
  DrawSignalPathBlock(C, 1, 1, "Lvl", 0xC0A090, 0x666666);
  DrawSignalPathBlockWrapped(C, 2, 1, "Colour\rmatch", 0x90A0C0, 0xFFFFFF);
  EXPECT_EQ(C.Pixel(107, 75), 0x90A0C0u) << "a wrapped box spans two rows";
  EXPECT_EQ(C.Pixel(107, 76), Ground);
  DrawSignalPathBlock(C, 4, 1, "Out", 0x90A0C0, 0xFFFFFF);

  // A link from column -1 starts at x = 8.
  DrawSignalPathLink(C, -1, 1, 0, 1, 0, 0x808080);
  EXPECT_EQ(C.Pixel(8, 32), 0x808080u);
  EXPECT_EQ(C.Pixel(7, 32), Ground);
  // Straight head at Q - 19 = 16: barbs 3 up and 4 down.
  EXPECT_EQ(C.Pixel(13, 29), 0x808080u);
  EXPECT_EQ(C.Pixel(13, 35), 0x808080u);
  DrawSignalPathLink(C, 0, 1, 1, 1, 0, 0x808080);
  // Bend 2 into column 4 of row 1: the run lies 48 below the row's centre.
  DrawSignalPathLink(C, 1, 1, 4, 1, 2, 0x808080);
  EXPECT_EQ(C.Pixel(150, 32 + 48), 0x808080u);
  EXPECT_EQ(C.Pixel(215, 32 + 20), 0x808080u);
  EXPECT_EQ(C.Pixel(215, 32 + 16), 0x808080u) << "the tip stops at y2 + 16";
  EXPECT_EQ(C.Pixel(215, 32 + 15), Ground);
  DrawSignalPathLink(C, 2, 1, 4, 1, 0, 0x808080);
  TImage32 Picture;
  Picture.CopyFrom(Bitmap);
  Picture.SetAlpha(255);
  testing::SaveScreenshotImage(QImageOver(Picture).copy(), Suite, "signal_path");
}

TEST_F(SmallControls, GraphBoxPlotsSamples) {
  TGraphBox G;
  G.resize(120, 100);
  G.VerticalGridN = 4;
  G.HorizontalGridN = 6;
  // Without samples: frame, fill, grid and zero line.
  EXPECT_EQ(PixelAt(G, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(PixelAt(G, 119, 99), 0x606060u);
  EXPECT_EQ(PixelAt(G, 1, 1), 0x606060u);
  EXPECT_EQ(PixelAt(G, 10, 50), 0x00FF00u);
  EXPECT_EQ(PixelAt(G, 10, 2 + 96 / 4), 0xFFD0D0u);
  EXPECT_EQ(PixelAt(G, 10, 40), 0xFFFFFFu);
  testing::SaveScreenshot(G, Suite, "graph_box_empty");

  TSample32 S;
  S.Init();
  ASSERT_TRUE(S.Alloc(200));
  for (int I = 0; I < 200; ++I) S.Data[I] = 1.0f;
  G.Samples = &S;
  // A sample 1.0 reaches row 50 - 46 = 4.
  EXPECT_EQ(PixelAt(G, 30, 4), 0u);
  EXPECT_NE(PixelAt(G, 30, 3), 0u);
  for (int I = 0; I < 200; ++I) S.Data[I] = float(std::sin(I * 0.06) * 0.8);
  G.Symmetric = true;
  testing::SaveScreenshot(G, Suite, "graph_box_symmetric");
  G.Symmetric = false;
  G.Bipolar = false;
  testing::SaveScreenshot(G, Suite, "graph_box_unipolar");

  TSample32 Two;
  Two.Init();
  ASSERT_TRUE(Two.Alloc(2));
  Two.Data[0] = Two.Data[1] = 1.0f;
  G.Samples = &Two;
  G.Bipolar = true;
  for (int Y = 3; Y < 98; ++Y)
    if (Y != 50 && Y != 26 && Y != 74) {
      ASSERT_EQ(PixelAt(G, 30, Y), 0xFFFFFFu) << "2 samples are not plotted";
    }

  // A background replaces the frame, fill, grid and zero line, not the level line.
  TImage32 Back;
  Back.Alloc(120, 100);
  Back.Fill(0x400000);
  G.SetBackground(Back);
  G.LevelLine = 30;
  EXPECT_EQ(PixelAt(G, 0, 0), 0x400000u);
  EXPECT_EQ(PixelAt(G, 10, 50), 0x400000u);
  EXPECT_EQ(PixelAt(G, 10, 30), 0x00FF00u);
  G.Samples = nullptr;
  S.Dispose();
  Two.Dispose();

  EXPECT_EQ(G.SampleIndexOfColumn(10), 0) << "no samples: 0";
}

TEST_F(SmallControls, FileDropTakesLocalFilesAsTheyAre) {
  QWidget Target;
  Target.resize(50, 50);
  TFileDrop Drop;
  Drop.SetDropControl(&Target);
  int Drops = 0;
  Drop.OnDrop = [&](TFileDrop*) { ++Drops; };
  auto Send = [&](const QList<QUrl>& Urls) {
    QMimeData Data;
    Data.setUrls(Urls);
    return Drop.TakeDrop(&Data);
  };
  const QString Odd = QString::fromUtf8("/tmp/a folder/Bild \"ä\" 'x'.tif");
  EXPECT_FALSE(Send({QUrl::fromLocalFile(Odd)}));
  EXPECT_EQ(Drops, 0) << "nothing while EnableDrop is off";
  Drop.SetEnableDrop(true);
  EXPECT_TRUE(Target.acceptDrops());
  EXPECT_TRUE(Send({QUrl("https://example.org/a.tif"), QUrl::fromLocalFile(Odd),
                    QUrl::fromLocalFile("/tmp/b.png")}));
  EXPECT_EQ(Drops, 1);
  ASSERT_EQ(Drop.FileCount(), 2);
  EXPECT_EQ(Drop.Files()[0], Odd.toStdString());
  EXPECT_EQ(Drop.Files()[1], "/tmp/b.png");
  EXPECT_EQ(Drop.WideFileNames()[0], Odd);
  // Remote items only: ignored, no message, the old list kept.
  EXPECT_FALSE(Send({QUrl("https://example.org/c.tif"), QUrl("ftp://host/d.tif")}));
  EXPECT_EQ(Drops, 1);
  EXPECT_EQ(Drop.FileCount(), 2);
  EXPECT_TRUE(DefaultHeadlessSink().Messages().empty());
}

TEST_F(SmallControls, SelectorsShowAndChangeTheirNames) {
  QTemporaryDir Temp;
  ASSERT_TRUE(Temp.isValid());
  const std::string Old = Temp.path().toStdString();
  QWidget Form;
  Form.resize(260, 70);
  auto* D = new TVelSettingsDirectorySelector(&Form);
  D->setGeometry(5, 5, 250, 22);
  int DChanges = 0;
  D->OnChange = [&](QWidget*) { ++DChanges; };
  D->SetDirectory(Old);
  D->SetDirectory(Old);
  EXPECT_EQ(DChanges, 1);
  D->SetColor(0);
  D->SetFontColor(0);
  EXPECT_EQ(ColorOfQColor(D->Label().palette().color(QPalette::WindowText)), 0xC0C0C0u);
  D->SetColor(0x303030);
  D->SetFontColor(0xE0E0E0);
  EXPECT_EQ(ColorOfQColor(D->Label().palette().color(QPalette::WindowText)), 0xE0E0E0u);

  Form.show();
  QTest::mouseClick(&D->Label(), Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_TRUE(D->Edit().isVisible());
  EXPECT_FALSE(D->Label().isVisible());
  D->Edit().setText("/no/such/folder/here");
  QTest::keyClick(&D->Edit(), Qt::Key_Return);
  EXPECT_EQ(D->BeepCount, 1);
  EXPECT_EQ(D->Directory(), Old);
  EXPECT_TRUE(D->Label().isVisible());
  D->StartEdit();
  D->Edit().setText("/tmp");
  QTest::keyClick(&D->Edit(), Qt::Key_Escape);
  EXPECT_EQ(D->Directory(), Old) << "Escape restores the folder";
  D->StartEdit();
  D->Edit().setText(QDir::tempPath());
  QTest::keyClick(&D->Edit(), Qt::Key_Return);
  EXPECT_EQ(D->Directory(), QDir::tempPath().toStdString());
  EXPECT_EQ(DChanges, 2);

  auto* F = new TVelSettingsFileSelector(&Form);
  F->setGeometry(5, 35, 250, 22);
  F->SetColor(0xF0F0F0);
  F->show();
  int FChanges = 0;
  F->OnChange = [&](QWidget*) { ++FChanges; };
  F->SetFileName("/home/user/grades/warm look.cube");
  F->SetFileName("/home/user/grades/warm look.cube");
  EXPECT_EQ(FChanges, 2);
  F->PaintToBuffer();
  EXPECT_EQ(F->Label().text(), "warm look.cube");
  testing::SaveScreenshot(Form, Suite, "selectors");

  EXPECT_EQ(FileSelectorLabel("/a/b/a_long_file_name.png", 80), "a_long_fil...");
  EXPECT_EQ(FileSelectorLabel("", 80), "<Empty>");
  EXPECT_EQ(FileSelectorLabel("/x/ääääää.png", 72), "ääää...") << "never cut inside a character";
  D->SetDirectory("");
  EXPECT_EQ(D->Label().text(), "<Empty>");
}

TEST_F(SmallControls, MessageWindowCollectsLinesAndTheSampleDialogKeepsItsBuffer) {
  ShowNonModalMessage("first");
  ShowNonModalMessage("second");
  TNonModalMessageForm* Form = NonModalMessageForm();
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->Memo1.toPlainText(), "first\nsecond");
  EXPECT_TRUE(Form->isVisible());
  testing::SaveScreenshot(*Form, Suite, "non_modal_message");
  Form->CloseButtonClick();
  EXPECT_FALSE(Form->isVisible());
  ShowNonModalMessage("third");
  EXPECT_EQ(NonModalMessageForm(), Form) << "one window";
  EXPECT_EQ(Form->Memo1.toPlainText(), "third");
  FreeNonModalMessageForm();
  EXPECT_TRUE(NonModalMessagesSuppressed("C:\\bin\\vudovoz.exe"));
  EXPECT_FALSE(NonModalMessagesSuppressed("/usr/bin/kromel"));

  CallMessageHook("nobody listens");

  QWidget Owner;
  TSample32 A, B;
  A.Init();
  B.Init();
  ASSERT_TRUE(A.Alloc(64) && B.Alloc(64));
  for (int I = 0; I < 64; ++I) {
    A.Data[I] = 0.5f;
    B.Data[I] = float(std::sin(I * 0.2) * 0.9);
  }
  ShowSampleModalGraph(&A, &Owner, true);
  ShowSampleModalGraph(&B, &Owner, false);
  TSampleModalDlg* D = SampleModalDlg();
  ASSERT_NE(D, nullptr);
  EXPECT_EQ(D->GraphBox1->Samples, &B);
  EXPECT_FALSE(D->GraphBox1->Bipolar);
  EXPECT_FALSE(D->isVisible()) << "the graph view is prepared, not shown";
  testing::SaveScreenshot(*D, Suite, "sample_dialog_graph");

  for (int I = 0; I < 64; ++I) B.Data[I] = float(std::pow(10.0, -I / 20.0));
  QTimer::singleShot(0, D, [D] {
    testing::SaveScreenshot(*D, Suite, "sample_dialog_spectrum");
    D->reject();
  });
  ShowSampleModalSpectrum(&B, &Owner, false, 20, 20000, 44100);
  EXPECT_TRUE(D->EQFrequencyPlot1->ShowAnalyzer);
  EXPECT_FALSE(D->GraphBox1->isVisibleTo(D));
  EXPECT_FLOAT_EQ(D->EQFrequencyPlot1->HighFrequency, 20000.0f);
  delete D;
  A.Dispose();
  B.Dispose();
}

}  // namespace
}  // namespace kromel
