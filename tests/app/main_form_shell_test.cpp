#include "app/main_form_shell.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/control_persistence.h"
#include "app/main_form.h"
#include "app/preferences_form.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "foundation/date_time.h"
#include "platform/language.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "app/test_photo.h"
#include "support/qt_test_support.h"
#include "support/temp_dir.h"
#include "widgets/image_with_zoom.h"
#include "widgets/style_gui.h"

namespace kromel {
namespace {

using testing::WaitUntil;

std::string CatalogueOf(const char* Language) {
  return std::string(KROMEL_LOCALE_DIR) + "/" + Language + "/LC_MESSAGES/kromel.mo";
}

class MainFormShell : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    testing::WriteTestPhoto(Photo);
    DefaultHeadlessSink().Clear();
  }
  void TearDown() override {
    // The language is the process's: back to English for the next test.
    SelectLanguage("EN");
  }

  std::unique_ptr<TKromelMainForm> Open() {
    return testing::OpenWindowOn(Photo, Settings, 900, 600);
  }

  testing::TTestTempDir Dir{"kromel_main_form_shell"};
  std::string Photo = Dir.File("photo.png");
  std::shared_ptr<TSettingsFile> Settings = std::make_shared<TSettingsFile>(Dir.File("settings.xml"));
};

TEST_F(MainFormShell, KeysSelectPagesSwitchesAndHiddenModes) {
  auto F = Open();
  QTest::keyClick(F.get(), Qt::Key_5);
  EXPECT_EQ(F->CurrentPage(), 4);
  QTest::keyClick(F.get(), Qt::Key_3);
  EXPECT_EQ(F->CurrentPage(), 2);
  // Shift+3 toggles the A/B switch with its undo step; 3 alone selected it.
  const bool Before = F->PageSwitch(2);
  QTest::keyClick(F.get(), Qt::Key_3, Qt::ShiftModifier);
  EXPECT_EQ(F->PageSwitch(2), !Before);
  EXPECT_NE(F->Presets().UndoCaption.find("A/B"), std::string::npos) << F->Presets().UndoCaption;
  EXPECT_EQ(F->CurrentPage(), 2);
  // Ctrl+Shift+H twice shows "(ExpH)", twice more takes it away.
  for (int Press = 1; Press <= 4; ++Press) {
    QTest::keyClick(F.get(), Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(F->windowTitle().contains("(ExpH)"), Press == 2 || Press == 3) << Press;
  }
  // Typing into an edit field moves no page.
  auto* Edit = new QLineEdit(F.get());
  F->statusBar()->addWidget(Edit);
  F->activateWindow();
  Edit->setFocus();
  if (QApplication::focusWidget() == Edit) {
    QTest::keyClick(Edit, Qt::Key_1);
    EXPECT_EQ(F->CurrentPage(), 2);
    EXPECT_EQ(Edit->text(), "1");
  }
  // The keypad's own keys act as pages too (not in edit fields).
  Edit->clearFocus();
  F->setFocus();
  F->Shell().FormKeyDown('6', {});
  EXPECT_EQ(F->CurrentPage(), 5);
  // Ctrl with the keypad's 1 reaches "Zoom 100%" as the main key does.
  F->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(F.get()));
  F->Preview().ZoomFit();
  ASSERT_NE(F->Preview().Layout.MainZoom.Zoom, 1.0f);
  QTest::keyClick(F.get(), Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_EQ(F->Preview().Layout.MainZoom.Zoom, 1.0f);
}

TEST_F(MainFormShell, UpdateCheckRepliesStoreTheTimeOnlyForAVersion) {
  auto F = Open();
  double& Last = F->Session().SessionSettings().Main.LastUpdateCheck;
  const struct {
    const char* Reply;
    bool Message;
    bool Stored;
  } Cases[] = {{"1.52", false, true},
               {"1.52001", false, true},
               {"1.53", true, true},
               {"0.5", false, false},
               {"No internet", false, false},
               {"<html><head><title>404 Not Found</title></head></html>", false, false},
               {"404", false, false}};
  for (const auto& C : Cases) {
    DefaultHeadlessSink().Clear();
    Last = 0;
    F->Shell().UpdateCheckReply(C.Reply);
    EXPECT_EQ(!DefaultHeadlessSink().Messages().empty(), C.Message) << C.Reply;
    EXPECT_EQ(Last != 0, C.Stored) << C.Reply;
    if (C.Message)
      EXPECT_NE(DefaultHeadlessSink().Messages()[0].find("New version of Kromel is available!"), std::string::npos);
  }
  // The timer starts the check once, after its 60th tick, and only when a
  // day has passed since the stored check.
  Last = NowLocal();
  EXPECT_FALSE(F->Shell().UpdateCheckDue());
  Last = NowLocal() - 1.5;
  EXPECT_TRUE(F->Shell().UpdateCheckDue());
  F->Shell().Timer1->stop();
  F->Shell().Timer1Tag = 0;
  for (int Tick = 1; Tick <= 60; ++Tick) F->Shell().Timer1Timer();
  EXPECT_FALSE(F->Shell().UpdateCheckStarted);
  F->Shell().Timer1Timer();
  EXPECT_TRUE(F->Shell().UpdateCheckStarted);
  // Nothing was sent, so nothing was stored.
  EXPECT_LT(Last, NowLocal() - 1.0);
}

TEST_F(MainFormShell, SwitchingLanguageRetranslatesEveryMenuText) {
  if (!std::filesystem::exists(CatalogueOf("fr"))) GTEST_SKIP() << "no compiled catalogues (msgfmt missing)";
  auto F = Open();
  auto CheckAll = [&](const char* Language) {
    int32_t Checked = 0;
    for (QAction* A : F->findChildren<QAction*>()) {
      const QVariant Source = A->property("KromelSourceText");
      if (!Source.isValid()) continue;
      const std::string S = Source.toString().toStdString();
      const QString Expected = QString::fromStdString(_(S.c_str()));
      if (S == "Undo" || S == "Redo")  // composed: "Undo " + the step
        EXPECT_TRUE(A->text().startsWith(QString::fromStdString(_((S + " ").c_str())))) << Language << " " << S;
      else
        EXPECT_EQ(A->text(), Expected) << Language << " " << S;
      ++Checked;
    }
    EXPECT_GT(Checked, 25);
  };
  auto MenuTexts = [&] {
    QStringList T;
    for (QAction* A : F->menuBar()->actions()) T << A->text();
    return T;
  };
  TPreferences& P = F->Session().Preferences();
  P.Language = 4;  // French
  F->Shell().SwitchLanguage();
  EXPECT_TRUE(F->Shell().LanguageSwitched);
  CheckAll("fr");
  EXPECT_TRUE(MenuTexts().contains("&Fichier")) << MenuTexts().join(",").toStdString();
  EXPECT_TRUE(MenuTexts().contains("É&dition"));
  bool Courbes = false;
  for (QAbstractButton* B : F->findChildren<QAbstractButton*>()) Courbes |= B->text() == "Courbes";
  EXPECT_TRUE(Courbes);
  testing::SaveScreenshot(*F, "main_window_shell", "french");

  // Spanish has no catalogue: every text is English again.
  P.Language = 2;
  F->Shell().SwitchLanguage();
  CheckAll("es");
  EXPECT_TRUE(MenuTexts().contains("&File"));
  for (QAction* A : F->findChildren<QAction*>())
    if (const QVariant S = A->property("KromelSourceText"); S.isValid() && S.toString() != "Undo" &&
                                                            S.toString() != "Redo")
      EXPECT_EQ(A->text(), S.toString());

  // Russian, then English.
  P.Language = 3;
  F->Shell().SwitchLanguage();
  EXPECT_TRUE(MenuTexts().contains("&Файл"));
  P.Language = 1;
  F->Shell().SwitchLanguage();
  EXPECT_TRUE(MenuTexts().contains("&File"));
}

TEST_F(MainFormShell, AutoFollowsTheSystemLanguage) {
  if (!std::filesystem::exists(CatalogueOf("ru"))) GTEST_SKIP() << "no compiled catalogues (msgfmt missing)";
  const auto Catalogue = ReadMessageCatalogue(CatalogueOf("fr"));
  ASSERT_EQ(Catalogue.count("&File"), 1u);
  EXPECT_EQ(Catalogue.at("&File"), "&Fichier");
  EXPECT_TRUE(ReadMessageCatalogue(Dir.File("missing.mo")).empty());
  SetCatalogueFolder(KROMEL_LOCALE_DIR);
  const char* Old = std::getenv("LANGUAGE");
  const std::string Saved = Old ? Old : "";
  setenv("LANGUAGE", "ru_RU.UTF-8", 1);
  EXPECT_TRUE(SelectLanguage(""));
  EXPECT_EQ(_("&File"), "&Файл");
  setenv("LANGUAGE", "pt_BR", 1);
  EXPECT_FALSE(SelectLanguage(""));
  EXPECT_EQ(_("&File"), "&File");
  EXPECT_FALSE(SelectLanguage("ZH_HK"));
  EXPECT_EQ(_("&File"), "&File");
  if (Old)
    setenv("LANGUAGE", Saved.c_str(), 1);
  else
    unsetenv("LANGUAGE");
}

TEST_F(MainFormShell, HistoryMenuGoesBackToAStep) {
  auto F = Open();
  const bool First = F->PageSwitch(0);
  F->SetPageSwitch(0, !First);
  F->SetPageSwitch(1, !F->PageSwitch(1));
  TUndoRedoList& List = F->Presets().CurrentUndoList();
  ASSERT_GE(List.Count(), 3);
  auto* History = F->findChild<QMenu*>("MenuEditHistory");
  ASSERT_NE(History, nullptr);
  emit History->aboutToShow();
  const QList<QAction*> Items = History->actions();
  ASSERT_EQ(Items.size(), List.Count());
  EXPECT_EQ(Items.last()->text().toStdString(), List.State(List.Count() - 1).Caption);
  EXPECT_TRUE(Items.last()->isChecked());
  // Choosing the first step puts the default preset back.
  Items.first()->trigger();
  EXPECT_EQ(List.Current, 0);
  EXPECT_EQ(F->PageSwitch(0), First);
  EXPECT_TRUE(F->windowTitle().endsWith("*")) << F->windowTitle().toStdString();
  EXPECT_TRUE(F->Shell().GoToHistoryStep(List.Count() - 1));
  EXPECT_EQ(F->PageSwitch(0), !First);
}

TEST_F(MainFormShell, PreferencesEditTheSessionValues) {
  auto F = Open();
  TPreferences& P = F->Session().Preferences();
  P.ConfirmExit = true;
  P.JPEGQuality = 2;
  F->Shell().RunPreferences = [&](TKromelPreferencesForm& D) {
    auto* Tabs = D.findChild<QTabWidget*>("PageControl1");
    for (int I = 0; I < Tabs->count(); ++I) {
      Tabs->setCurrentIndex(I);
      testing::SaveScreenshot(D, "preferences", "tab" + std::to_string(I + 1));
    }
    EXPECT_TRUE(static_cast<QCheckBox*>(D.Control("ConfirmExitCheckBox"))->isChecked());
    static_cast<QCheckBox*>(D.Control("ConfirmExitCheckBox"))->setChecked(false);
    static_cast<QComboBox*>(D.Control("JPEGQualityComboBox"))->setCurrentIndex(3);
    static_cast<QComboBox*>(D.Control("BackgroundColorComboBox"))->setCurrentIndex(6);
    return true;
  };
  EXPECT_TRUE(F->Shell().ShowPreferences());
  EXPECT_FALSE(P.ConfirmExit);
  EXPECT_EQ(P.JPEGQuality, 3);
  EXPECT_EQ(P.BackgroundColor, 6);
  // Cancel keeps everything.
  F->Shell().RunPreferences = [](TKromelPreferencesForm& D) {
    static_cast<QCheckBox*>(D.Control("ConfirmExitCheckBox"))->setChecked(true);
    return false;
  };
  EXPECT_FALSE(F->Shell().ShowPreferences());
  EXPECT_FALSE(P.ConfirmExit);
}

// The stored preview background is the one the window opens with (the
// window used a fixed dark grey that hid clip warnings of pure white).
TEST_F(MainFormShell, PreviewOpensOnTheStoredBackground) {
  {
    auto F = Open();
    EXPECT_EQ(F->Preview().BackgroundColor(), 0x000000u);  // "Black" by default
  }
  TSessionSettings S;
  LoadSessionSettings(S, false, Settings);
  S.Preferences.BackgroundColor = 5;
  SaveSessionSettings(S, Settings);
  auto F = Open();
  EXPECT_EQ(F->Preview().BackgroundColor(), 0xCCCCCCu);
}

// What the dialog stores through the generic persistence is what the
// session reads back as its preferences.
TEST_F(MainFormShell, PreferencesControlsPersistUnderTheSessionsNames) {
  TPreferences P;
  P.ConfirmExit = false;
  P.LUTSize = 7;
  P.DefaultGridSize = 3;
  P.JPEGQuality = 1;
  P.LutSaveDirectory = "/tmp/luts";
  P.LUTExtrapolationLimit = 8;
  P.ChartTetrahedralization = true;
  P.LibrawUniWB = true;
  TKromelPreferencesForm D;
  D.FromPreferences(P);
  SaveControlsToRegistry(&D, "Kromel", Settings);
  TSessionSettings Read;
  LoadSessionSettings(Read, false, Settings);
  const TPreferences& R = Read.Preferences;
  EXPECT_FALSE(R.ConfirmExit);
  EXPECT_EQ(R.LUTSize, 7);
  EXPECT_EQ(R.DefaultGridSize, 3);
  EXPECT_EQ(R.JPEGQuality, 1);
  EXPECT_EQ(R.LutSaveDirectory, "/tmp/luts");
  EXPECT_EQ(R.LUTExtrapolationLimit, 8);
  EXPECT_TRUE(R.ChartTetrahedralization);
  EXPECT_TRUE(R.LibrawUniWB);
  // And back into a fresh dialog.
  TKromelPreferencesForm Back;
  LoadControlsFromRegistry(&Back, "Kromel", Settings);
  TPreferences Q;
  Back.ToPreferences(Q);
  EXPECT_EQ(Q.LUTSize, 7);
  EXPECT_EQ(Q.LutSaveDirectory, "/tmp/luts");
  EXPECT_FALSE(Q.ConfirmExit);
}

TEST_F(MainFormShell, ControlsPersistOnTheFormAndItsTabsOnly) {
  QWidget Form;
  auto* Combo = new QComboBox(&Form);
  Combo->setObjectName("LUTSizeComboBox");
  Combo->addItems({"a", "b", "c"});
  Combo->setCurrentIndex(1);
  auto* Check = new QCheckBox(&Form);
  Check->setObjectName("ConfirmExitCheckBox");
  Check->setChecked(true);
  auto* Slider = new QSlider(&Form);
  Slider->setObjectName("LUTExtrapolationLimitTrackBar");
  Slider->setRange(0, 10);
  Slider->setValue(7);
  auto* Edit = new QLineEdit(&Form);
  Edit->setObjectName("MyEditFolderEdit");  // the class word goes wherever it stands
  Edit->setText("x");
  auto* Group = new QGroupBox(&Form);
  auto* InGroup = new QCheckBox(Group);
  InGroup->setObjectName("InGroupCheckBox");
  auto* Radio = new QGroupBox(&Form);
  Radio->setObjectName("ModeRadioGroup");
  Radio->setProperty("RadioGroup", true);
  auto* R0 = new QRadioButton("0", Radio);
  auto* R1 = new QRadioButton("1", Radio);
  R1->setChecked(true);
  auto* Tabs = new QTabWidget(&Form);
  auto* Page = new QWidget();
  Tabs->addTab(Page, "Page");
  auto* OnTab = new QCheckBox(Page);
  OnTab->setObjectName("OnTabCheckBox");
  OnTab->setChecked(true);
  SaveControlsToRegistry(&Form, "KromelTest", Settings);

  TRegistry R(Settings);
  ASSERT_TRUE(R.OpenKey("Software\\KromelTest\\", false));
  EXPECT_EQ(R.ReadInteger("LUTSize"), 1);
  EXPECT_TRUE(R.ReadBool("ConfirmExit"));
  EXPECT_EQ(R.ReadInteger("LUTExtrapolationLimit"), 7);
  EXPECT_EQ(R.ReadString("MyFolder"), "x");
  EXPECT_EQ(R.ReadInteger("Mode"), 1);
  EXPECT_TRUE(R.ReadBool("OnTab"));
  EXPECT_FALSE(R.ValueExists("InGroup"));

  // Back: every value, an index beyond the list selects the last item.
  R.WriteInteger("LUTSize", 99);
  R.WriteInteger("Mode", 0);
  R.CloseKey();
  Check->setChecked(false);
  Slider->setValue(0);
  Edit->clear();
  OnTab->setChecked(false);
  LoadControlsFromRegistry(&Form, "KromelTest", Settings);
  EXPECT_EQ(Combo->currentIndex(), 2);
  EXPECT_TRUE(Check->isChecked());
  EXPECT_EQ(Slider->value(), 7);
  EXPECT_EQ(Edit->text(), "x");
  EXPECT_TRUE(R0->isChecked());
  EXPECT_TRUE(OnTab->isChecked());
}

// A stored width of 3000 on a narrower screen restores the screen's width,
// a left of 1900 at most the width - 100 and a top of 0 restores 15; the
// main window does the same with its own stored values.
TEST_F(MainFormShell, PlacementIsClampedToTheScreen) {
  QWidget Probe;
  const QRect Area = Probe.screen()->availableGeometry();
  const int32_t W = Area.width() > 0 ? Area.width() : 1920;
  const int32_t H = Area.height() > 0 ? Area.height() : 800;
  {
    TRegistry R(Settings);
    ASSERT_TRUE(R.OpenKey("Software\\Kromel\\", true));
    for (const char* Prefix : {"", "Analyzer"}) {
      R.WriteInteger(std::string(Prefix) + "WindowLeft", 1900);
      R.WriteInteger(std::string(Prefix) + "WindowTop", 0);
      R.WriteInteger(std::string(Prefix) + "WindowWidth", 3000);
      R.WriteInteger(std::string(Prefix) + "WindowHeight", 3000);
    }
  }
  QWidget Other;
  {
    TRegistry R(Settings);
    ASSERT_TRUE(R.OpenKey("Software\\Kromel\\", false));
    EXPECT_FALSE(LoadWindowPlacement(R, Other, "Analyzer"));
  }
  EXPECT_EQ(Other.width(), std::min(3000, W));
  EXPECT_EQ(Other.x(), std::min(1900, W - 100));
  EXPECT_EQ(Other.y(), 15);
  EXPECT_EQ(Other.height(), std::min(3000, H - 40));

  auto F = std::make_unique<TKromelMainForm>(Settings);
  F->show();
  WaitUntil([&] { return F->Session().Ready.load(); });
  EXPECT_EQ(F->width(), std::min(3000, W));
  EXPECT_EQ(F->geometry().x(), std::min(1900, W - 100));
  EXPECT_EQ(F->geometry().y(), 15);

  // What is written is read back the same way.
  Other.setGeometry(40, 50, 300, 200);
  {
    TRegistry R(Settings);
    ASSERT_TRUE(R.OpenKey("Software\\Kromel\\", false));
    SaveWindowPlacement(R, Other, "History");
    EXPECT_EQ(R.ReadInteger("HistoryWindowLeft"), 40);
    EXPECT_EQ(R.ReadInteger("HistoryWindowWidth"), 300);
    QWidget Again;
    LoadWindowPlacement(R, Again, "History");
    EXPECT_EQ(Again.geometry(), QRect(40, 50, 300, 200));
  }
}

// The measurement dump of the hidden chord lands in the configuration
// folder, not in the current directory.
TEST_F(MainFormShell, ChartMeasurementDumpGoesToTheConfigurationFolder) {
  const char* Old = std::getenv("XDG_CONFIG_HOME");
  const std::string Saved = Old ? Old : "";
  setenv("XDG_CONFIG_HOME", Dir.File("config").c_str(), 1);
  {
    auto F = Open();
    F->Shell().OnCollectChartPatches = [](std::vector<TChartMeasurement>& Patches, std::string& E) {
      Patches = {{0.5, 0.25, "128 128 128", "130 130 130"}};
      E = "0.0100";
      return true;
    };
    TKeyModifiers CS;
    CS.Ctrl = CS.Shift = true;
    F->Shell().FormKeyDown('B', CS);  // not in experimental mode: nothing
    EXPECT_FALSE(std::filesystem::exists(Dir.File("config/kromel/CheckerMeasurements.txt")));
    F->Shell().Keys.ExperimentalMode = true;
    DefaultHeadlessSink().Clear();
    F->Shell().FormKeyDown('B', CS);
    F->Shell().FormKeyDown('B', CS);
    const std::string File = Dir.File("config/kromel/CheckerMeasurements.txt");
    ASSERT_TRUE(std::filesystem::exists(File));
    std::ifstream In(File);
    std::string L1, L2;
    std::getline(In, L1);
    std::getline(In, L2);
    EXPECT_EQ(L1, "0,50000\t=C1*0,25000\t0,0100\t128 128 128\t130 130 130\t");
    EXPECT_NE(L2.find("=C2*"), std::string::npos);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), L2 + "\n");
    EXPECT_EQ(DefaultHeadlessSink().Messages().size(), 2u);
  }
  if (Old)
    setenv("XDG_CONFIG_HOME", Saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

// Shift+Ctrl+click on the style component cycles black, white, grey,
// blue and black again; a plain click changes nothing.
TEST_F(MainFormShell, StyleCyclesThroughTheFourPalettes) {
  auto F = Open();
  TStyleGui& Style = *F->Shell().StyleGui1;
  EXPECT_EQ(Style.StyleType(), stBlack);
  QTest::mouseClick(&Style, Qt::LeftButton);
  EXPECT_EQ(Style.StyleType(), stBlack);
  const TStyleType Expected[] = {stWhite, stGray, stBlue, stBlack};
  for (TStyleType T : Expected) {
    QTest::mouseClick(&Style, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(Style.StyleType(), T);
    EXPECT_EQ(Style.BackgroundColor, StylePalette(T).BackgroundColor);
    if (T == stWhite) testing::SaveScreenshot(*F, "main_window_shell", "style_white");
  }
}

TEST_F(MainFormShell, AboutShowsVersionAndHistory) {
  auto F = Open();
  const std::string T = F->Shell().AboutText();
  EXPECT_NE(T.find("Kromel Pro"), std::string::npos);
  EXPECT_NE(T.find("Version: 1.52"), std::string::npos);
  EXPECT_NE(T.find("History size: " + std::to_string(F->Presets().CurrentUndoList().Count()) + " steps"),
            std::string::npos)
      << T;
  F->Shell().Nextwindow1Click();  // only the main window: nothing breaks
  EXPECT_TRUE(F->isVisible());
}

}  // namespace
}  // namespace kromel
