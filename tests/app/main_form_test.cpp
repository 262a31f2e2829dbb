#include "app/main_form.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <chrono>
#include <thread>

#include "engine/kromel_preset.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "platform/main_thread.h"
#include "platform/prompt.h"
#include "app/test_photo.h"
#include "support/qt_test_support.h"
#include "support/temp_dir.h"
#include "widgets/image_with_zoom.h"

namespace kromel {
namespace {

using testing::WaitUntil;

float MaxDifference(const T3DLut& A, const T3DLut& B) {
  if (A.Count != B.Count) return 1e9f;
  float D = 0;
  for (int32_t k = 0; k < A.Count; ++k)
    D = std::max({D, std::fabs(A.R[k] - B.R[k]), std::fabs(A.G[k] - B.G[k]), std::fabs(A.B[k] - B.B[k])});
  return D;
}

class MainForm : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    testing::WriteTestPhoto(Photo);
    DefaultHeadlessPrompt().Clear();
  }

  // A window on its own settings file, shown and showing Photo.
  std::unique_ptr<TKromelMainForm> Open() {
    return testing::OpenWindowOn(Photo, std::make_shared<TSettingsFile>(Dir.File("settings.xml")));
  }

  std::unique_ptr<T3DLut> MainLut(TKromelMainForm& F) {
    auto L = std::make_unique<T3DLut>();
    F.Session().CopyMainLut(*L);
    return L;
  }

  // Waits for the calculation of the preset as it stands now.
  void Settle(TKromelMainForm& F) {
    F.Session().UpdateImage(true, true);
    WaitUntil([] { return DrainMainThreadCalls() == 0; });
  }

  testing::TTestTempDir Dir{"kromel_main_form"};
  std::string Photo = Dir.File("photo.png");
};

TEST_F(MainForm, OpensOnAPhotographAndShowsItGraded) {
  auto F = Open();
  EXPECT_EQ(F->windowTitle().toStdString().rfind("Kromel Pro - " + Photo, 0), 0u)
      << F->windowTitle().toStdString();
  // The preview holds the picture: the disc's warm colour and the bars.
  const QImage Shot = testing::GrabWidget(*F);
  testing::SaveScreenshotImage(Shot, "main_window", "result");
  const TImage32& After = F->Preview().AfterPane();
  ASSERT_GT(After.Width, 100);
  int32_t Warm = 0;
  for (int32_t I = 0; I < After.Size; ++I) {
    const TBGRAPixel32 P = After.Pixels[I].BGRA;
    if (P.R > 180 && P.B < 90) ++Warm;
  }
  EXPECT_GT(Warm, After.Size / 50);
  // Every view mode shows something and leaves a picture.
  const struct {
    TViewMode Mode;
    const char* Name;
  } Modes[] = {{TViewMode::Before, "before"},
               {TViewMode::Reference, "reference"},
               {TViewMode::CompareSideBySide, "compare_side_by_side"},
               {TViewMode::CompareStacked, "compare_stacked"},
               {TViewMode::CompareSplit, "compare_split"},
               {TViewMode::Result, "result_again"}};
  for (const auto& M : Modes) {
    F->SetViewMode(M.Mode);
    WaitUntil([&] { return F->Preview().Layout.ResultReady; });
    testing::SaveScreenshotImage(testing::GrabWidget(*F), "main_window", M.Name);
  }
  F->Session().PresetUnmodified = true;
}

TEST_F(MainForm, PagesWrapAndAPageSwitchTurnsItsUnitOff) {
  auto F = Open();
  EXPECT_EQ(F->CurrentPage(), 2);
  F->SelectPage(6);
  F->NextPage(true);
  EXPECT_EQ(F->CurrentPage(), 0);
  F->NextPage(false);
  EXPECT_EQ(F->CurrentPage(), 6);

  Settle(*F);
  const auto Plain = MainLut(*F);
  // A master curve flat at half height, with the curves page on.
  ASSERT_TRUE(F->Presets().ApplyEdit("Curves", 0, [](TKromelPreset& P) {
    P.RGBCurves->MasterEnabled->SetValue(1);
    P.RGBCurves->Master->Curve.SetDefault(cdtHorizontalMiddle);
    return true;
  }));
  F->SetPageSwitch(4, true);
  Settle(*F);
  EXPECT_GT(MaxDifference(*MainLut(*F), *Plain), 0.3f);
  const int32_t Steps = F->Presets().CurrentUndoList().Count();
  F->SetPageSwitch(4, false);
  Settle(*F);
  EXPECT_LT(MaxDifference(*MainLut(*F), *Plain), 1e-5f);
  EXPECT_EQ(F->Presets().CurrentUndoList().Count(), Steps + 1);
  EXPECT_FALSE(F->PageSwitch(4));
  F->Session().PresetUnmodified = true;
}

TEST_F(MainForm, UndoAndRedoRestoreThePresetAndClosingAsks) {
  auto F = Open();
  auto Exposure = [&] { return F->Session().Preset->Basic->Exposure->Value; };
  const float Was = Exposure();
  ASSERT_TRUE(F->Presets().ApplyEdit("Exposure", 1, [](TKromelPreset& P) {
    P.Basic->Exposure->SetValue(0.8f);
    return true;
  }));
  EXPECT_FLOAT_EQ(Exposure(), 0.8f);
  EXPECT_NE(F->windowTitle().toStdString().find('*'), std::string::npos);
  // Through the Edit menu as the user reaches it.
  QAction* Undo = nullptr;
  QAction* Redo = nullptr;
  for (QAction* Menu : F->menuBar()->actions())
    for (QAction* A : Menu->menu()->actions()) {
      if (A->shortcut() == QKeySequence::Undo) Undo = A;
      if (A->shortcut() == QKeySequence("Ctrl+Shift+Z")) Redo = A;
    }
  ASSERT_TRUE(Undo && Redo);
  Undo->trigger();
  EXPECT_FLOAT_EQ(Exposure(), Was);
  Redo->trigger();
  EXPECT_FLOAT_EQ(Exposure(), 0.8f);

  // Closing with the change unsaved asks; Cancel keeps the window.
  DefaultHeadlessPrompt().QueueAnswers({TPromptAnswer::Cancel});
  EXPECT_FALSE(F->close());
  EXPECT_TRUE(F->isVisible());
  ASSERT_EQ(DefaultHeadlessPrompt().Questions().size(), 1u);
  EXPECT_NE(DefaultHeadlessPrompt().Questions()[0].Text.find("Kromel Pro"), std::string::npos);
  DefaultHeadlessPrompt().QueueAnswers({TPromptAnswer::OK});
  EXPECT_TRUE(F->close());
}

TEST_F(MainForm, ExportsAndSavesFromTheWindow) {
  auto F = Open();
  ASSERT_TRUE(F->ExportLut(Dir.File("look.cube")));
  ASSERT_TRUE(F->SavePresetAs(Dir.File("look.lux")));
  ASSERT_TRUE(F->SavePresetAs(Dir.File("look.luc")));
  ASSERT_TRUE(F->SaveImageAs(Dir.File("graded.png")));
  EXPECT_TRUE(std::filesystem::file_size(Dir.File("look.cube")) > 1000);
  EXPECT_TRUE(std::filesystem::file_size(Dir.File("graded.png")) > 1000);
  EXPECT_TRUE(F->LoadAnyFile(Dir.File("look.lux")));
  EXPECT_TRUE(F->LoadAnyFile(Dir.File("look.luc")));
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

TEST_F(MainForm, StoredPlacementIsClampedToTheScreenAndKeptAtClose) {
  auto F = std::make_unique<TKromelMainForm>(std::make_shared<TSettingsFile>(Dir.File("settings.xml")));
  TWindowPlacement& P = F->Session().SessionSettings().Placements[0];
  P.Left = 100000;
  P.Top = 0;
  P.Width = 30000;
  P.Height = 500;
  F->show();
  const QRect Screen = F->screen()->availableGeometry();
  EXPECT_EQ(F->width(), Screen.width());
  EXPECT_EQ(F->geometry().x(), Screen.width() - 100);
  EXPECT_EQ(F->geometry().y(), 15);
  F->resize(640, 480);
  EXPECT_TRUE(F->close());
  EXPECT_EQ(F->Session().SessionSettings().Placements[0].Width, 640);
  // The recent images list names the photograph once it was opened.
  auto G = std::make_unique<TKromelMainForm>(std::make_shared<TSettingsFile>(Dir.File("settings.xml")));
  G->show();
  ASSERT_TRUE(G->LoadAnyFile(Photo));
  EXPECT_EQ(G->Session().RecentImages.Names.Get(0), Photo);
  G->Session().PresetUnmodified = true;
}

}  // namespace
}  // namespace kromel
