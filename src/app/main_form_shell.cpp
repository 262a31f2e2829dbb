#include "app/main_form_shell.h"
#include "app/guarded.h"

#include <FreeImage.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <lcms2.h>
#include <libraw/libraw_version.h>

#include "app/main_form.h"
#include "app/main_form_display.h"
#include "app/menu_bar.h"
#include "app/preferences_form.h"
#include "engine/variable_blur.h"
#include "fileio/file_dialogs.h"
#include "foundation/date_time.h"
#include "foundation/debug_log.h"
#include "foundation/number_format.h"
#include "foundation/platform_helpers.h"
#include "platform/folders.h"
#include "platform/language.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_plugin.h"
#include "session/window_shell.h"
#include "widgets/image_with_zoom.h"
#include "widgets/style_gui.h"

#ifndef KROMEL_BUILD_LOCALE_DIR
#define KROMEL_BUILD_LOCALE_DIR ""
#endif

namespace kromel {

namespace {


// The catalogues beside an installed program, else those of the build.
void InitCatalogueFolder() {
  if (!CatalogueFolder().empty()) return;
  const QString Installed = QCoreApplication::applicationDirPath() + "/../share/locale";
  if (QDir(Installed).exists())
    SetCatalogueFolder(QDir(Installed).absolutePath().toStdString());
  else
    SetCatalogueFolder(KROMEL_BUILD_LOCALE_DIR);
}

// The widget set's virtual key of a Qt key press; 0 for keys the map
// does not know. Shifted digits are read as their digit keys (US layout).
uint16_t VirtualKey(const QKeyEvent& E) {
  const int K = E.key();
  const bool Keypad = (E.modifiers() & Qt::KeypadModifier) != 0;
  if (K >= Qt::Key_0 && K <= Qt::Key_9) return uint16_t(Keypad ? 96 + (K - Qt::Key_0) : K);
  if (K >= Qt::Key_A && K <= Qt::Key_Z) return uint16_t(K);
  static const char Shifted[] = ")!@#$%^&*(";
  for (int D = 0; D < 10; ++D)
    if (K == Shifted[D]) return uint16_t('0' + D);
  switch (K) {
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_Slash:
    case Qt::Key_Question: return vk::Slash;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Alt: return vk::Alt;
    case Qt::Key_Plus: return Keypad ? 107 : 187;
    case Qt::Key_Minus: return Keypad ? 109 : 189;
    default: return 0;
  }
}

TKeyModifiers ShiftOf(Qt::KeyboardModifiers M) {
  TKeyModifiers S;
  S.Shift = (M & Qt::ShiftModifier) != 0;
  S.Alt = (M & Qt::AltModifier) != 0;
  S.Ctrl = (M & Qt::ControlModifier) != 0;
  S.Meta = (M & Qt::MetaModifier) != 0;
  return S;
}

}  // namespace

TMainFormShell::TMainFormShell(TKromelMainForm& AForm) : QObject(&AForm), Form(AForm) {
  InitCatalogueFolder();
  AddMenus();
  RecordSourceTexts();
  StyleGui1 = new TStyleGui(&Form);
  StyleGui1->setObjectName("StyleGui1");
  StyleGui1->Loading = true;
  StyleGui1->SetStyleType(stBlack);
  StyleGui1->Loading = false;
  StyleGui1->setToolTip(QString::fromStdString(_("Shift+Ctrl+click: next style")));
  Form.statusBar()->addPermanentWidget(StyleGui1);
  Timer1 = new QTimer(this);
  Timer1->setInterval(1000);
  QObject::connect(Timer1, &QTimer::timeout, this, [this] { Guarded("Timer1Timer", [&] { Timer1Timer(); }); });
  Timer1->start();
  qApp->installEventFilter(this);
}

TMainFormShell::~TMainFormShell() {
  if (qApp) qApp->removeEventFilter(this);
}

// ---------------------------------------------------------------- menus

void TMainFormShell::AddMenus() {
  QMenuBar* Bar = Form.menuBar();
  auto FindMenu = [Bar](const char* Title) { return FindOrAddMenu(Bar, Title); };
  auto Add = [this](QMenu* Menu, const char* Text, const QKeySequence& Key, auto Fn) {
    return AddMenuAction(Menu, Text, Key, this, Fn);
  };
  QMenu* Edit = FindMenu("&Edit");
  Edit->addSeparator();
  QMenu* History = Edit->addMenu(QString::fromStdString(_("History")));
  History->setObjectName("MenuEditHistory");
  History->menuAction()->setProperty(SourceTextProperty, "History");
  QObject::connect(History, &QMenu::aboutToShow, this, [this, History] { FillHistoryMenu(*History); });
  Add(Edit, "Preferences...", QKeySequence(), [this] { ShowPreferences(); });

  QMenu* Window = FindMenu("&Window");
  Window->addSeparator();
  Add(Window, "Next window", QKeySequence("Ctrl+Tab"), [this] { Nextwindow1Click(); });

  QMenu* Help = FindMenu("&Help");
  Add(Help, "About Kromel Pro", QKeySequence(), [this] { About1Click(); });
}

void TMainFormShell::FillHistoryMenu(QMenu& Menu) {
  Menu.clear();
  TUndoRedoList& List = Form.Presets().CurrentUndoList();
  for (int32_t I = 0; I < List.Count(); ++I) {
    QAction* A = Menu.addAction(QString::fromStdString(List.State(I).Caption));
    A->setProperty("KromelNoTranslate", true);
    A->setCheckable(true);
    A->setChecked(I == List.Current);
    QObject::connect(A, &QAction::triggered, this,
                     [this, I] { Guarded("HistoryListBoxClick", [&] { GoToHistoryStep(I); }); });
  }
  Menu.setEnabled(List.Count() > 0);
}

bool TMainFormShell::GoToHistoryStep(int32_t Index) {
  const bool Done = Form.Presets().GoToHistoryStep(Index);
  if (Done && Form.Session().PresetUnmodified) {
    Form.Session().PresetUnmodified = false;
    Form.UpdateCaption();
  }
  Form.PagesChanged();
  Form.UndoCaptionChanged();
  return Done;
}

bool TMainFormShell::ShowPreferences() {
  TKromelPreferencesForm Dialog(&Form);
  TPreferences& P = Form.Session().Preferences();
  Dialog.FromPreferences(P);
  const bool Ok = RunPreferences ? RunPreferences(Dialog) : Dialog.exec() == QDialog::Accepted;
  if (!Ok) return false;
  const TPreferences Before = P;
  Dialog.ToPreferences(P);
  if (P.LUTSize != Before.LUTSize) Form.Session().SetLUTSize(P.WorkingLutSize());
  if (P.BackgroundColor != Before.BackgroundColor) Form.ApplyPreviewBackground();
  if (LanguageCodeOfItem(P.Language) != LanguageCodeOfItem(Before.Language)) SwitchLanguage();
  return true;
}

// ---------------------------------------------------------------- keyboard

bool TMainFormShell::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == StyleGui1 && Event->type() == QEvent::MouseButtonPress) {
    const auto* M = static_cast<QMouseEvent*>(Event);
    if ((M->modifiers() & Qt::ShiftModifier) && (M->modifiers() & Qt::ControlModifier))
      Guarded("StyleGui1Click", [&] { CycleStyle(); });
    return false;
  }
  if (Event->type() != QEvent::KeyPress && Event->type() != QEvent::KeyRelease) return false;
  auto* W = qobject_cast<QWidget*>(Watched);
  if (W == nullptr || W->window() != &Form) return false;
  auto* K = static_cast<QKeyEvent*>(Event);
  // A key the receiver ignored travels up its parents; the window
  // previews it once, at the first receiver.
  if (K == FLastKey && int(Event->type()) == FLastKeyType && FLastReceiver && W != FLastReceiver &&
      W->isAncestorOf(FLastReceiver))
    return false;
  FLastKey = K;
  FLastKeyType = int(Event->type());
  FLastReceiver = W;
  const uint16_t Key = VirtualKey(*K);
  if (Key == 0) return false;
  bool Consumed = false;
  if (Event->type() == QEvent::KeyPress)
    Guarded("FormKeyDown", [&] { Consumed = FormKeyDown(Key, ShiftOf(K->modifiers())); });
  else if (!K->isAutoRepeat())
    Guarded("FormKeyUp", [&] { FormKeyUp(Key); });
  return Consumed;
}

bool TMainFormShell::FormKeyDown(uint16_t Key, const TKeyModifiers& Shift) {
  const bool EditFocused = qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr;
  const TKeyDown R = MapKeyDown(Keys, Key, Shift, EditFocused);
  for (const TKeyAction& A : R.Actions) RunKeyAction(A);
  return R.Consumed;
}

void TMainFormShell::FormKeyUp(uint16_t Key) {
  for (const TKeyAction& A : MapKeyUp(Key)) RunKeyAction(A);
}

void TMainFormShell::ToggleSwitch(const char* Name, const char* StepName) {
  TKromelSession& S = Form.Session();
  TController* C = S.Controls.Find(Name);
  if (C == nullptr) return;
  const int32_t On = C->GetControllerValue() > 0 ? 0 : 1;
  if (Form.Presets().ApplyEdit(_(On ? "Turn on " : "Turn off ") + _(StepName), 0, [&](TKromelPreset&) {
        C->SetControllerValue(On);
        return true;
      })) {
    S.PresetUnmodified = false;
    Form.UpdateCaption();
  }
  S.Dirty.SignalPathDirty = true;
  Form.PagesChanged();
}

void TMainFormShell::RunKeyAction(const TKeyAction& A) {
  TKromelSession& S = Form.Session();
  auto TriggerNamed = [&](const char* Name) {
    if (QAction* Action = Form.findChild<QAction*>(Name)) Action->trigger();
  };
  switch (A.Command) {
    case TKeyCommand::ShowMaskPreview:
      TriggerNamed("Showmaskpreview1");
      break;
    case TKeyCommand::UpdateCaption:
      Form.UpdateCaption();
      break;
    case TKeyCommand::UpdateImage:
      S.UpdateImage(true, false);
      break;
    case TKeyCommand::ShowExperimentalFeatures:
      S.UpdateLockCount = 0;
      for (const char* Name : {"ChartApplyBlackWhitecompensationtoimage", "MenuChartSampleblacks",
                               "MenuChartSamplewhites"})
        if (QAction* Action = Form.findChild<QAction*>(Name)) Action->setVisible(true);
      break;
    case TKeyCommand::VariableBlur:
      if (S.Image.Pixels != nullptr) {
        {
          TKromelSession::TRendererBlockGuard Block(S);
          ProcessVariableBlur(S.Image, 5000, 2000, 300, 0);
        }
        S.SourceImageChanged();
      }
      break;
    case TKeyCommand::ChartMeasurementDump: {
      std::vector<TChartMeasurement> Patches;
      std::string Exposure;
      if (OnCollectChartPatches && OnCollectChartPatches(Patches, Exposure) && !Patches.empty())
        ChartMeasurementDump(Patches, Exposure);
      break;
    }
    case TKeyCommand::ExportProcessedResult:
      if (S.Image.Pixels != nullptr) {
        std::string FilterName;
        const std::string F =
            NewSaveFileDialog("TIFF 16-bit|*.tif|PNG|*.png|JPEG|*.jpg", {}, "processed.tif", -1, FilterName);
        if (!F.empty()) Form.SaveImageAs(F);
      }
      break;
    case TKeyCommand::DeveloperDumps: {
      std::string Text;
      S.Controls.Controllers.DumpToText(Text);
      PlatformShowMessage(Text);
      break;
    }
    case TKeyCommand::SelectTool:
    case TKeyCommand::NextSubTool:
      if (OnSelectTool) OnSelectTool(A.Index, A.Command == TKeyCommand::NextSubTool);
      break;
    case TKeyCommand::TogglePageSwitch:
      Form.SetPageSwitch(A.Index, !Form.PageSwitch(A.Index));
      break;
    case TKeyCommand::ToggleExternalLut:
      ToggleSwitch("ExternalLUTGlyphSwitch", "External LUT");
      break;
    case TKeyCommand::ToggleMaster:
      ToggleSwitch("MasterGlyphSwitch", "Master");
      break;
    case TKeyCommand::SelectPage:
      if (*TKromelMainForm::PageCaptions()[size_t(A.Index)] != '\0') Form.SelectPage(A.Index);
      break;
    case TKeyCommand::SpaceDown:
      SetSpaceKeyDown(true);
      break;
    case TKeyCommand::SpaceUp:
      SetSpaceKeyDown(false);
      break;
    // The tool cursor, the chart grid, the spectrum dialog and the extended
    // modes' controls belong to the pages, which follow the state.
    default:
      break;
  }
}

bool TMainFormShell::ChartMeasurementDump(const std::vector<TChartMeasurement>& Patches,
                                          const std::string& Exposure) {
  const std::string File = ChartMeasurementsFileName();
  const std::string Text = ChartMeasurementText(Patches, CountChartMeasurementLines(File), Exposure);
  if (QClipboard* C = QApplication::clipboard()) C->setText(QString::fromStdString(Text));
  const bool Ok = AppendChartMeasurements(File, Text);
  if (!Ok) ErrorMessageProc("Could not write " + File);
  PlatformShowMessage(Text);
  return Ok;
}

// ---------------------------------------------------------------- timer

void TMainFormShell::Timer1Timer() {
  TKromelSession& S = Form.Session();
  if (!S.Ready) return;
  ++Timer1Tag;
  if (S.Plugin) S.Plugin->TimerTick();
  if (Timer1Tag > 60 && !UpdateCheckStarted) {
    UpdateCheckStarted = true;
    CheckForUpdate();
  }
}

bool TMainFormShell::UpdateCheckDue() const {
  return NowLocal() >= Form.Session().SessionSettings().Main.LastUpdateCheck + 1.0;
}

void TMainFormShell::CheckForUpdate() {
  if (!UpdateCheckDue()) return;
  // No HTTP client yet: the request ("checkupdate.php") is not sent and
  // nothing is stored, so a later program asks again.
  if (DebugLogEnabled()) DebugLogAdd("KRMF.CheckForUpdate: no HTTP client, check skipped", 0);
}

void TMainFormShell::UpdateCheckReply(const std::string& Text) {
  try {
    const TUpdateReply R = ParseUpdateReply(Text);
    if (R.NewVersion)
      PlatformShowMessage(_("New version of Kromel is available!") + "\n" +
                          _("Please visit our web site to download it."));
    if (R.StoreCheckTime) Form.Session().SessionSettings().Main.LastUpdateCheck = NowLocal();
  } catch (...) {
    // A reply that cannot be read is no reply.
  }
}

// ---------------------------------------------------------------- window commands

std::string TMainFormShell::AboutText() const {
  TSessionPresets& P = Form.Presets();
  TUndoRedoList& List = P.CurrentUndoList();
  std::string T = std::string(ProductName) + "\n" + _("Version: ") + ProgramVersion + "\n\n";
  T += _("This software uses the FreeImage open source image library.") + "\n";
  T += "FreeImage is used under the FIPL, version 1.0.\n";
  T += std::string("FreeImage version ") + FreeImage_GetVersion() + "\n";
  T += "This software uses LibRaw under LGPL license, version " LIBRAW_VERSION_STR "\n";
  T += "This software uses Little CMS under the MIT license, version " +
       std::to_string(cmsGetEncodedCMMversion()) + "\n\n";
  T += _("History size: ") + std::to_string(List.Count()) + _(" steps, ") +
       std::to_string(List.GetTotalSize() / 1024) + " kb\n";
  T += _("3DLUT calculations: ") + std::to_string(Form.Session().CalculationCount()) + "\n";
  return T;
}

void TMainFormShell::About1Click() { PlatformShowMessage(AboutText()); }

void TMainFormShell::Nextwindow1Click() {
  const QWidgetList Forms = QApplication::topLevelWidgets();
  const int32_t Count = int32_t(Forms.size());
  int32_t Active = -1;
  for (int32_t I = 0; I < Count; ++I)
    if (Forms[I]->isActiveWindow()) Active = I;
  if (Active < 0) return;
  for (int32_t Step = 1; Step < Count; ++Step) {
    QWidget* W = Forms[(Active - Step + Count) % Count];
    if (W->isVisible() && !W->inherits("QMenu")) {
      W->activateWindow();
      W->raise();
      W->setFocus();
      return;
    }
  }
}

// ---------------------------------------------------------------- language and style

void TMainFormShell::RecordSourceTexts() {
  for (QAction* A : Form.findChildren<QAction*>())
    if (!A->property(SourceTextProperty).isValid() && !A->text().isEmpty() && !A->isSeparator() &&
        !A->property("KromelNoTranslate").toBool())
      A->setProperty(SourceTextProperty, A->text());
  for (QAbstractButton* B : Form.findChildren<QAbstractButton*>())
    if (!B->property(SourceTextProperty).isValid() && !B->text().isEmpty())
      B->setProperty(SourceTextProperty, B->text());
}

void TMainFormShell::RetranslateTexts() {
  RecordSourceTexts();
  auto Translated = [](const QVariant& Source) {
    return QString::fromStdString(_(Source.toString().toUtf8().constData()));
  };
  for (QAction* A : Form.findChildren<QAction*>())
    if (const QVariant S = A->property(SourceTextProperty); S.isValid() && !A->property("KromelNoTranslate").toBool())
      A->setText(Translated(S));
  for (QAbstractButton* B : Form.findChildren<QAbstractButton*>())
    if (const QVariant S = B->property(SourceTextProperty); S.isValid()) B->setText(Translated(S));
  // The texts composed in code: the undo captions and the caption.
  Form.Presets().UpdateCaptionUndo();
  Form.UpdateCaption();
}

void TMainFormShell::SwitchLanguage() {
  TKromelSession& S = Form.Session();
  if (DebugLogEnabled()) DebugLogAdd("SwitchLanguage start", 0);
  if (S.UpdateLockCount > 0 || !S.Ready) return;
  const std::string Code = LanguageCodeOfItem(S.Preferences().Language);
  // Before the first switch the texts are English already; "Auto" on a
  // system whose language has no catalogue stays with them too.
  if (!LanguageSwitched && Code == "EN") return;
  const std::string Current = CurrentLanguage();
  if (DebugLogEnabled()) DebugLogAdd("SwitchLanguage current language = " + Current, 0);
  if (LanguageSwitched && Current == Code && LanguageSelected()) return;
  if (DebugLogEnabled()) DebugLogAdd("SwitchLanguage start, LN = " + Code, 1);
  TKromelSession::TUpdateLock Lock(S);
  const bool Found = SelectLanguage(Code);
  if (!LanguageSwitched && Code.empty() && !Found) return;
  RetranslateTexts();
  Form.Display().Retranslate();
  LanguageSwitched = true;
  if (DebugLogEnabled()) DebugLogAdd("SwitchLanguage finish", 0);
}

void TMainFormShell::CycleStyle() {
  QApplication::beep();
  StyleGui1->SetStyleType(TStyleType((int(StyleGui1->StyleType()) + 1) % 4));
  StyleGui1->UpdateGui(&Form, false, StyleGui1->BackgroundColor);
  Form.update();
}

}  // namespace kromel
