#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QTest>
#include <chrono>
#include <fstream>
#include <thread>

#include "app/main_form.h"
#include "app/main_form_display.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "lut/lut.h"
#include "platform/main_thread.h"
#include "platform/prompt.h"
#include "session/view_display_mode.h"
#include "app/test_photo.h"
#include "support/qt_test_support.h"
#include "support/temp_dir.h"
#include "widgets/image_with_zoom.h"
#include "widgets/signal_path_diagram.h"

namespace kromel {
namespace {

using testing::WaitUntil;

// Counts the pixels of a pane that Test accepts.
template <class TFn>
int64_t CountPixels(const TImage32& Pane, TFn Test) {
  int64_t N = 0;
  for (int32_t I = 0; I < Pane.Size; ++I) N += Test(Pane.Pixels[I].BGRA) ? 1 : 0;
  return N;
}

QAction* ActionNamed(TKromelMainForm& F, const char* Name) {
  return F.findChild<QAction*>(Name);
}

class MainFormDisplay : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    // A bright band at the top that clips.
    testing::WriteTestPhoto(Photo, {.ClipBand = true});
    DefaultHeadlessPrompt().Clear();
  }

  std::unique_ptr<TKromelMainForm> Open() {
    return testing::OpenWindowOn(Photo, std::make_shared<TSettingsFile>(Dir.File("settings.xml")));
  }

  // Waits until the After pane passes Test on every pixel (a render with the
  // current display mode has arrived).
  template <class TFn>
  bool AfterPaneShows(TKromelMainForm& F, TFn Test) {
    return WaitUntil([&] {
      const TImage32& A = F.Preview().AfterPane();
      return A.Size > 0 && CountPixels(A, Test) == A.Size;
    });
  }

  testing::TTestTempDir Dir{"kromel_main_form_display"};
  std::string Photo = Dir.File("photo.png");
};

TEST_F(MainFormDisplay, DisplayModesComeFromTheViewMenuAndShowInBothPanes) {
  auto F = Open();
  TMainFormDisplay& D = F->Display();
  EXPECT_EQ(D.DisplayMode(), 0);
  const auto& Items = SeparateChannelItems();
  for (size_t I = 0; I < Items.size(); ++I) {
    QAction* A = ActionNamed(*F, Items[I].Name);
    ASSERT_NE(A, nullptr) << Items[I].Name;
    EXPECT_EQ(A->shortcut(), QKeySequence(Items[I].Shortcut));
    const int64_t Renders = F->ShownRenders();
    A->trigger();
    EXPECT_TRUE(WaitUntil([&] { return F->ShownRenders() > Renders; })) << Items[I].Name;
    // The tick follows the item; the preview and the renderer get the mode.
    for (size_t J = 0; J < Items.size(); ++J) EXPECT_EQ(ActionNamed(*F, Items[J].Name)->isChecked(), I == J);
    EXPECT_EQ(D.DisplayMode(), Items[I].Mode);
    EXPECT_EQ(F->Session().PreviewDisplayMode.load(), Items[I].Mode);
    EXPECT_EQ(F->Preview().DisplayMode, Items[I].Mode);
    if (Items[I].Mode == 2) {  // red: green and blue show the red
      EXPECT_TRUE(AfterPaneShows(*F, [](TBGRAPixel32 P) { return P.G == P.B; }));
    }
    if (Items[I].Mode == 6) {  // luminance: grey
      EXPECT_TRUE(AfterPaneShows(*F, [](TBGRAPixel32 P) { return P.R == P.G && P.G == P.B; }));
    }
    const std::string Name = "display_mode_" + std::to_string(Items[I].Mode) + "_" + Items[I].Name;
    testing::SaveScreenshotImage(testing::GrabWidget(*F), "main_window", Name);
  }
  // The Before pane shows the unprocessed picture in the same mode.
  ActionNamed(*F, "SingleChannelGrayscale")->trigger();
  F->SetViewMode(TViewMode::Before);
  ASSERT_TRUE(WaitUntil([&] {
    F->Preview().repaint();
    return F->Preview().Layout.BeforeZoom.Rendered;
  }));
  const TImage32& B = F->Preview().BeforePane();
  ASSERT_GT(B.Size, 0);
  for (int32_t I = 0; I < B.Size; ++I) {
    const TBGRAPixel32 P = B.Pixels[I].BGRA;
    if (!(P.R == P.G && P.G == P.B)) {
      ADD_FAILURE() << I % B.Width << "," << I / B.Width << " of " << B.Width << "x" << B.Height << ": " << int(P.R) << " " << int(P.G) << " " << int(P.B);
      break;
    }
  }
  testing::SaveScreenshotImage(testing::GrabWidget(*F), "main_window", "display_mode_6_before");
  F->SetViewMode(TViewMode::Result);

  // Clip warnings: the composite becomes mode 1 and the caption says so;
  // a single channel keeps its own mode.
  ActionNamed(*F, "SingleChannelRGB")->trigger();
  QAction* Clip = ActionNamed(*F, "Showclipwarnings1");
  ASSERT_NE(Clip, nullptr);
  EXPECT_EQ(Clip->shortcut(), QKeySequence("J"));
  const int64_t Renders = F->ShownRenders();
  Clip->trigger();
  EXPECT_TRUE(WaitUntil([&] { return F->ShownRenders() > Renders; }));
  EXPECT_TRUE(Clip->isChecked());
  EXPECT_EQ(D.DisplayMode(), 1);
  EXPECT_NE(F->windowTitle().toStdString().find(" (Clip warnings)"), std::string::npos);
  testing::SaveScreenshotImage(testing::GrabWidget(*F), "main_window", "display_mode_1_clip_warnings");
  ActionNamed(*F, "SingleChannelRed")->trigger();
  EXPECT_EQ(D.DisplayMode(), 2);
  Clip->trigger();
  EXPECT_EQ(F->windowTitle().toStdString().find("Clip warnings"), std::string::npos);
  ActionNamed(*F, "SingleChannelRGB")->trigger();
  EXPECT_EQ(D.DisplayMode(), 0);
  EXPECT_TRUE(AfterPaneShows(*F, [](TBGRAPixel32) { return true; }));
  F->Session().PresetUnmodified = true;
}

TEST_F(MainFormDisplay, TheSeparateImageWindowTakesThePreviewAndGivesItBack) {
  auto F = Open();
  QAction* Item = ActionNamed(*F, "MenuViewSeparateimageWindow");
  ASSERT_NE(Item, nullptr);
  EXPECT_EQ(Item->shortcut(), QKeySequence(Qt::Key_F4));
  QWidget* Home = F->Preview().parentWidget();
  ASSERT_NE(qobject_cast<QSplitter*>(Home), nullptr);

  Item->trigger();
  TKromelImageWindowForm* W = F->Display().ImageWindow();
  ASSERT_NE(W, nullptr);
  EXPECT_TRUE(Item->isChecked());
  EXPECT_EQ(F->Preview().parentWidget(), W);
  EXPECT_TRUE(W->isVisible());
  EXPECT_EQ(W->windowTitle().toStdString(), "Kromel Pro image window");
  EXPECT_TRUE(F->Session().SessionSettings().Main.SeparateImageWindow);
  // The preview fills the image window and still renders there.
  W->resize(700, 500);
  EXPECT_TRUE(WaitUntil([&] { return F->Preview().width() == 700 && F->Preview().AfterPane().Width > 600; }));
  const int64_t Renders = F->ShownRenders();
  F->Session().UpdateImage(true, false);
  EXPECT_TRUE(WaitUntil([&] { return F->ShownRenders() > Renders; }));
  // The main window's shortcuts reach the image window.
  EXPECT_TRUE(W->actions().contains(Item));
  testing::SaveScreenshotImage(testing::GrabWidget(*W), "main_window", "separate_image_window");
  testing::SaveScreenshotImage(testing::GrabWidget(*F), "main_window", "separate_image_window_main");

  // Asking for it a second time changes nothing.
  F->Display().SetSeparateImageWindow(true);
  EXPECT_EQ(F->Display().ImageWindow(), W);
  EXPECT_EQ(F->Preview().parentWidget(), W);

  // Unticking brings the preview home; closing the window does the same.
  Item->trigger();
  EXPECT_FALSE(Item->isChecked());
  EXPECT_EQ(F->Preview().parentWidget(), Home);
  EXPECT_FALSE(W->isVisible());
  EXPECT_FALSE(F->Session().SessionSettings().Main.SeparateImageWindow);
  EXPECT_GT(F->Session().SessionSettings().Placements[2].Width, 0);
  Item->trigger();
  EXPECT_EQ(F->Preview().parentWidget(), W);
  EXPECT_TRUE(W->close());
  EXPECT_FALSE(Item->isChecked());
  EXPECT_EQ(F->Preview().parentWidget(), Home);
  EXPECT_TRUE(F->Preview().isVisible());

  // The stored state is honoured when the window is shown next time.
  Item->trigger();
  F->Session().PresetUnmodified = true;
  EXPECT_TRUE(F->close());
  F.reset();
  auto G = Open();
  EXPECT_TRUE(G->Display().SeparateImageWindow());
  EXPECT_TRUE(ActionNamed(*G, "MenuViewSeparateimageWindow")->isChecked());
  EXPECT_EQ(G->Display().ImageWindow()->width(), 700);  // the bounds it had
  G->Session().PresetUnmodified = true;
}

TEST_F(MainFormDisplay, TheToolsPageDrawsTheSignalPathAndTheExternalLut) {
  auto F = Open();
  F->SelectPage(6);
  TMainFormDisplay& D = F->Display();
  ASSERT_NE(D.Diagram(), nullptr);
  EXPECT_TRUE(D.Diagram()->isVisible());
  EXPECT_EQ(D.ExternalLutNameLabel()->text().toStdString(), "[No 3DLUT loaded]");
  const TSignalPathLayout& L = D.Diagram()->Layout();
  ASSERT_NE(L.Box("CM"), nullptr);
  EXPECT_FALSE(L.Box("CM")->Active);
  testing::SaveScreenshotImage(testing::GrabWidget(*F), "main_window", "tools_page_signal_path");

  // A page switch lights its box: one undo step, and undo puts it out.
  const int32_t Steps = F->Presets().CurrentUndoList().Count();
  F->SetPageSwitch(0, true);
  EXPECT_EQ(F->Presets().CurrentUndoList().Count(), Steps + 1);
  EXPECT_TRUE(D.Diagram()->Layout().Box("CM")->Active);
  F->Undo();
  EXPECT_FALSE(D.Diagram()->Layout().Box("CM")->Active);

  // An external LUT: an inverting cube.
  const std::string Cube = Dir.File("invert.cube");
  {
    std::ofstream Out(Cube);
    Out << "LUT_3D_SIZE 2\n";
    for (int32_t B = 0; B < 2; ++B)
      for (int32_t G = 0; G < 2; ++G)
        for (int32_t R = 0; R < 2; ++R) Out << 1 - R << " " << 1 - G << " " << 1 - B << "\n";
  }
  const TImage32 Plain = [&] {
    TImage32 C;
    C.SetSize(75, 75);
    C.Copy(D.ExternalLutThumbnailImage());
    return C;
  }();
  const int64_t Renders = F->ShownRenders();
  ASSERT_TRUE(F->LoadAnyFile(Cube));
  EXPECT_TRUE(WaitUntil([&] { return F->ShownRenders() > Renders; }));
  // The graded preview goes through the inverting LUT: the warm disc turns cold.
  EXPECT_TRUE(WaitUntil([&] {
    const TImage32& A = F->Preview().AfterPane();
    return CountPixels(A, [](TBGRAPixel32 P) { return P.B > 150 && P.R < 90; }) > A.Size / 50;
  }));
  EXPECT_NE(D.ExternalLutNameLabel()->text().toStdString().find("invert.cube"), std::string::npos);
  EXPECT_NE(D.ExternalLutNameLabel()->text().toStdString().find("[No preset]"), std::string::npos);
  const TImage32& Thumb = D.ExternalLutThumbnailImage();
  ASSERT_EQ(Thumb.Size, Plain.Size);
  const TBGRAPixel32 Was = Plain.Pixels[37 * 75 + 37].BGRA, Now = Thumb.Pixels[37 * 75 + 37].BGRA;
  EXPECT_GT(Was.R + Was.G + Was.B, 600);
  EXPECT_LT(Now.R + Now.G + Now.B, 150);
  ASSERT_NE(D.Diagram()->Layout().Box("ExtLUT"), nullptr);
  D.Diagram()->PaintToBuffer();
  const TImage32& Picture = D.Diagram()->Buffer();
  ASSERT_GE(Picture.Width, D.Diagram()->Layout().Width());
  // Background, frame and box fill are there.
  EXPECT_EQ(Picture.GetPixel(Picture.Width / 2, 4) & 0xFFFFFF, 0x303030u);
  WaitUntil([] { return DrainMainThreadCalls() == 0; });
  testing::SaveScreenshotImage(testing::GrabWidget(*F), "main_window", "tools_page_external_lut");
  const QImage Diagram = testing::GrabWidget(*D.Diagram());
  testing::SaveScreenshotImage(Diagram.scaled(Diagram.size() * 2), "main_window", "signal_path_diagram_x2");
  const_cast<TImage32&>(Plain).Dispose();
  F->Session().PresetUnmodified = true;
}

TEST_F(MainFormDisplay, TheHarmonyMaskPreviewLeavesTheMainLut) {
  auto F = Open();
  ASSERT_TRUE(F->Presets().ApplyEdit("Exposure", 1, [](TKromelPreset& P) {
    P.Basic->Exposure->SetValue(0.7f);
    return true;
  }));
  F->Session().UpdateImage(true, true);
  WaitUntil([] { return DrainMainThreadCalls() == 0; });
  T3DLut Before, After;
  ASSERT_TRUE(F->Session().CopyMainLut(Before));
  THarmonySettings& H = F->Display().Harmony;
  for (THarmonyPair& P : H.Pairs) P.TargetVisible = false;
  H.Pairs[0] = {0x2F6DDA, 0x00C000, true, 100, 0, 100};  // the warm disc
  ASSERT_TRUE(F->Display().ShowHarmonyMask(0));
  ASSERT_TRUE(F->Session().CopyMainLut(After));
  ASSERT_EQ(Before.Count, After.Count);
  for (int32_t I = 0; I < Before.Count; ++I)
    ASSERT_TRUE(Before.R[I] == After.R[I] && Before.G[I] == After.G[I] && Before.B[I] == After.B[I]) << I;
  // The preview shows the mask: the disc's colour, black elsewhere.
  const TImage32& A = F->Preview().AfterPane();
  const int64_t Black = CountPixels(A, [](TBGRAPixel32 P) { return P.R + P.G + P.B < 30; });
  const int64_t Warm = CountPixels(A, [](TBGRAPixel32 P) { return P.R > 150 && P.B < 90; });
  EXPECT_GT(Black, A.Size / 3);
  EXPECT_GT(Warm, A.Size / 50);
  testing::SaveScreenshotImage(testing::GrabWidget(*F), "main_window", "harmony_mask_preview");
  F->Session().PresetUnmodified = true;
}

}  // namespace
}  // namespace kromel
