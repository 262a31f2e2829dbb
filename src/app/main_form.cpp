#include "app/main_form.h"
#include "app/control_persistence.h"
#include "app/guarded.h"
#include "app/menu_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSizePolicy>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <cctype>
#include <filesystem>

#include "app/main_form_shell.h"
#include "app/main_form_wiring.h"
#include "fileio/file_dialogs.h"
#include "foundation/error_sink.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "platform/prompt.h"
#include "platform/translate.h"
#include "session/window_shell.h"
#include "app/main_form_display.h"
#include "widgets/image_with_zoom.h"

namespace kromel {

namespace {

// A page button: never narrower than its caption and a margin on each side,
// in any language (the hint follows every setText).
class TPageButton : public QToolButton {
public:
  using QToolButton::QToolButton;
  QSize sizeHint() const override { return QToolButton::sizeHint() + QSize(12, 0); }
  QSize minimumSizeHint() const override { return sizeHint(); }
};

const char* const ImageFilter =
    "Images|*.jpg;*.jpeg;*.png;*.tif;*.tiff;*.bmp;*.exr;*.dng;*.cr2;*.cr3;*.nef;*.arw;*.raf;*.orf;"
    "*.rw2|All files|*";
const char* const PresetFilter = "Presets|*.luc|Text presets|*.lux|All files|*";
const char* const LutFilter =
    "CUBE|*.cube|3DL|*.3dl|Cinespace|*.csp|Hald image PNG|*.png|Hald image TIFF|*.tif|"
    "ICC profile|*.icc;*.icm|DNG camera profile|*.dcp";
const char* const SaveImageFilter = "TIFF 16-bit|*.tif|PNG|*.png|JPEG|*.jpg";


// A wait cursor for the scope of a long command.
class TBusyCursor {
public:
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

}  // namespace

const std::array<const char*, 7>& TKromelMainForm::PageCaptions() {
  static const std::array<const char*, 7> Captions = {"Channels", "Volume",   "A/B", "C/L",
                                                      "Curves",   "2DCurves", "Mask"};
  return Captions;
}

TKromelMainForm::TKromelMainForm(std::shared_ptr<TSettingsFile> SettingsFile, QWidget* Parent)
    : QMainWindow(Parent) {
  FRoot.SettingsFile = std::move(SettingsFile);
  FRoot.LoadSettings(true);
  FRoot.Build(this, this);
  FSession = FRoot.Session.get();
  FPresets = FRoot.Presets.get();
  FFiles = FRoot.Files.get();
  FSession->ViewSourceFromWindow = true;
  FDisplay = std::make_unique<TMainFormDisplay>(*this);
  BuildForm();
  BuildMenus();
  FShell = new TMainFormShell(*this);
  FDisplay->InstallToolsPage(FPages, 6);
  FBuilt = true;
  FWiring = std::make_unique<TMainFormWiring>(*this);
  setAcceptDrops(true);
  resize(1280, 800);
  UpdateCaption();
  RefreshMenus();
}

TKromelMainForm::~TKromelMainForm() {
  delete FShell;
  FShell = nullptr;
  Guarded("FormDestroy", [&] {
    FRoot.Close();
    FRoot.SaveSettings();
  });
}

void TKromelMainForm::ApplyPreviewBackground() {
  uint32_t Color = 0;
  bool BlackText = false;
  if (PreviewBackground(FSession->Preferences().BackgroundColor, Color, BlackText))
    FPreview->SetBackgroundColor(Color);
}

void TKromelMainForm::BuildForm() {
  auto* Splitter = new QSplitter(this);
  auto* Tools = new QWidget(Splitter);
  auto* ToolsLayout = new QVBoxLayout(Tools);
  ToolsLayout->setContentsMargins(4, 4, 4, 4);
  auto* Selector = new QWidget(Tools);
  auto* SelectorLayout = new QHBoxLayout(Selector);
  SelectorLayout->setContentsMargins(0, 0, 0, 0);
  SelectorLayout->setSpacing(2);
  FPageButtons = new QButtonGroup(this);
  FPageButtons->setExclusive(true);
  FPages = new QStackedWidget(Tools);
  for (int32_t I = 0; I < 7; ++I) {
    auto* Cell = new QWidget(Selector);
    auto* CellLayout = new QVBoxLayout(Cell);
    CellLayout->setContentsMargins(0, 0, 0, 0);
    CellLayout->setSpacing(0);
    auto* Button = new TPageButton(Cell);
    Button->setText(QString::fromStdString(_(PageCaptions()[size_t(I)])));
    Button->setCheckable(true);
    Button->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::Fixed);
    FPageButtons->addButton(Button, I);
    auto* Switch = new QCheckBox(Cell);
    Switch->setToolTip(QString::fromStdString(_("Turn this tab on or off")));
    FPageSwitches[size_t(I)] = Switch;
    CellLayout->addWidget(Button);
    CellLayout->addWidget(Switch, 0, Qt::AlignHCenter);
    SelectorLayout->addWidget(Cell);
    QObject::connect(Switch, &QCheckBox::clicked, this,
                     [this, I](bool On) { Guarded("PagesRadioGroupSwitchClick", [&] { SetPageSwitch(I, On); }); });
    // The adjustment pages come in their own windows of work; each place
    // is ready for its page.
    auto* Page = new QLabel(QString::fromStdString(_(PageCaptions()[size_t(I)])), FPages);
    Page->setAlignment(Qt::AlignCenter);
    Page->setObjectName(QString("Page%1").arg(I));
    FPages->addWidget(Page);
  }
  QObject::connect(FPageButtons, &QButtonGroup::idClicked, this,
                   [this](int Id) { Guarded("PagesRadioGroupChange", [&] { SelectPage(Id); }); });
  ToolsLayout->addWidget(Selector);
  ToolsLayout->addWidget(FPages, 1);
  FPreview = new TImageWithZoom(Splitter);
  ApplyPreviewBackground();
  FPreview->OnVisiblePartChanged = [this] {
    if (FSession->Ready) FSession->SetViewSource(FPreview->VisiblePart());
  };
  Splitter->addWidget(Tools);
  Splitter->addWidget(FPreview);
  Splitter->setStretchFactor(1, 1);
  Splitter->setSizes({420, 860});
  setCentralWidget(Splitter);
  FStatus = new QLabel(this);
  statusBar()->addWidget(FStatus, 1);
  SelectPage(FCurrentPage);
}

void TKromelMainForm::BuildMenus() {
  auto Add = [this](QMenu* Menu, const char* Text, const QKeySequence& Key, auto Fn) {
    return AddMenuAction(Menu, Text, Key, this, Fn);
  };
  QMenu* File = menuBar()->addMenu(QString::fromStdString(_("&File")));
  Add(File, "Open image...", QKeySequence::Open, [this] {
    const std::string F = NewOpenFileDialog(ImageFilter, {});
    if (!F.empty()) LoadAnyFile(F);
  });
  Add(File, "Open preset...", QKeySequence("Ctrl+Shift+O"), [this] {
    const std::string F = NewOpenFileDialog(PresetFilter, {});
    if (!F.empty()) LoadAnyFile(F);
  });
  Add(File, "Load external 3DLUT...", QKeySequence("Ctrl+L"), [this] {
    const std::string F = NewOpenFileDialog(
        "3D LUTs|*.cube;*.3dl;*.csp;*.png;*.tif;*.icc;*.icm;*.dcp|All files|*", {});
    if (!F.empty()) LoadAnyFile(F);
  });
  // The recent lists, rebuilt each time they open.
  auto Recent = [this, File](const char* Text, TRecentFiles& List) {
    QMenu* Sub = File->addMenu(QString::fromStdString(_(Text)));
    QObject::connect(Sub, &QMenu::aboutToShow, this, [this, Sub, &List] {
      Sub->clear();
      for (int32_t I = 0; I < List.Names.GetCount(); ++I) {
        const std::string Name = List.Names.Get(I);
        QAction* A = Sub->addAction(QString::fromStdString(Name));
        QObject::connect(A, &QAction::triggered, this,
                         [this, Name] { Guarded("RecentFileClick", [&] { LoadAnyFile(Name); }); });
      }
      Sub->setEnabled(!Sub->isEmpty());
    });
  };
  Recent("Recent images", FSession->RecentImages);
  Recent("Recent presets", FSession->RecentPresets);
  Recent("Recent external LUTs", FSession->RecentExternalLuts);
  File->addSeparator();
  Add(File, "Save preset as...", QKeySequence::Save, [this] {
    std::string FilterName;
    const std::string F = NewSaveFileDialog(PresetFilter, {}, FPresets->PresetName + ".luc", -1, FilterName);
    if (!F.empty()) SavePresetAs(F);
  });
  Add(File, "Export 3DLUT...", QKeySequence("Ctrl+E"), [this] {
    std::string FilterName;
    const std::string F = NewSaveFileDialog(LutFilter, {}, FPresets->PresetName + ".cube", -1, FilterName);
    if (!F.empty()) ExportLut(F);
  });
  FSaveImage = Add(File, "Save image as...", QKeySequence("Ctrl+Shift+S"), [this] {
    std::string FilterName;
    const std::string F = NewSaveFileDialog(SaveImageFilter, {}, "processed.tif", -1, FilterName);
    if (!F.empty()) SaveImageAs(F);
  });
  File->addSeparator();
  Add(File, "Quit", QKeySequence::Quit, [this] { close(); });

  QMenu* Edit = menuBar()->addMenu(QString::fromStdString(_("&Edit")));
  FUndo = Add(Edit, "Undo", QKeySequence::Undo, [this] { Undo(); });
  FRedo = Add(Edit, "Redo", QKeySequence("Ctrl+Shift+Z"), [this] { Redo(); });

  QMenu* View = menuBar()->addMenu(QString::fromStdString(_("&View")));
  const struct {
    const char* Text;
    const char* Key;
    TViewMode Mode;
  } Modes[] = {{"Result", "F9", TViewMode::Result},
               {"Before", "F10", TViewMode::Before},
               {"Reference", "F11", TViewMode::Reference},
               {"Compare side by side", "Ctrl+F9", TViewMode::CompareSideBySide},
               {"Compare stacked", "Ctrl+F10", TViewMode::CompareStacked},
               {"Compare split", "Ctrl+F11", TViewMode::CompareSplit}};
  auto* ModeGroup = new QActionGroup(this);
  for (const auto& M : Modes) {
    const TViewMode Mode = M.Mode;
    QAction* A = Add(View, M.Text, QKeySequence(M.Key), [this, Mode] { SetViewMode(Mode); });
    A->setCheckable(true);
    A->setChecked(Mode == FViewMode);
    ModeGroup->addAction(A);
    FViewActions.push_back(A);
  }
  View->addSeparator();
  Add(View, "Zoom to fit", QKeySequence("Ctrl+0"), [this] { FPreview->ZoomFit(); });
  Add(View, "Zoom 100%", QKeySequence("Ctrl+1"), [this] { FPreview->Zoom100(); });
  Add(View, "Zoom in", QKeySequence::ZoomIn, [this] { FPreview->ZoomAt(-1, -1, 1.33333f); });
  Add(View, "Zoom out", QKeySequence::ZoomOut, [this] { FPreview->ZoomAt(-1, -1, 0.750002f); });
  FDisplay->BuildViewMenu(View);

  QMenu* Window = menuBar()->addMenu(QString::fromStdString(_("&Window")));
  Add(Window, "Next tab", QKeySequence("Ctrl+PgDown"), [this] { NextPage(true); });
  Add(Window, "Prev. tab", QKeySequence("Ctrl+PgUp"), [this] { NextPage(false); });
  Add(Window, "Turn current tab on/off", QKeySequence("Ctrl+\\"),
      [this] { SetPageSwitch(FCurrentPage, !PageSwitch(FCurrentPage)); });
  FDisplay->BuildWindowMenu(Window);
}

void TKromelMainForm::showEvent(QShowEvent* Event) {
  QMainWindow::showEvent(Event);
  if (FShown) return;
  FShown = true;
  Guarded("LoadWindowPlacement", [&] { ApplyPlacement(*this, FSession->SessionSettings().Placements[0]); });
  Guarded("FormShow", [&] {
    FSession->Show();
    FShell->SwitchLanguage();
    FDisplay->FormShow();
    std::vector<std::string> Files;
    Files.swap(FPendingFiles);
    for (const std::string& F : Files) LoadAnyFile(F);
    FSession->UpdateImage(true, false);
  });
}

void TKromelMainForm::OpenFiles(const std::vector<std::string>& Files) {
  if (!FShown) {
    FPendingFiles.insert(FPendingFiles.end(), Files.begin(), Files.end());
    return;
  }
  for (const std::string& F : Files) LoadAnyFile(F);
}

bool TKromelMainForm::LoadAnyFile(const std::string& FileName) {
  TBusyCursor Busy;
  const TLoadOutcome Outcome = FFiles->LoadAnyFile(FileName, false, false);
  if (Outcome == TLoadOutcome::Unsupported) PlatformShowMessage(_("Unsupported file type: ") + FileName);
  UpdateCaption();
  RefreshMenus();
  PagesChanged();
  return Outcome == TLoadOutcome::Loaded;
}

bool TKromelMainForm::SavePresetAs(const std::string& FileName) {
  TBusyCursor Busy;
  // The binary form keeps the window's controls too; ".lux" is the text form.
  std::string Ext = std::filesystem::path(FileName).extension().string();
  for (char& C : Ext) C = char(std::tolower(static_cast<unsigned char>(C)));
  const bool Ok = Ext == ".lux" ? FSession->EditPreset([&](TKromelPreset& P) {
    return kromel::SavePresetToFile(P, FileName);
  })
                                : FPresets->SavePresetToFile(FileName, true);
  if (Ok) {
    FSession->PresetUnmodified = true;
    UpdateCaption();
  }
  return Ok;
}

bool TKromelMainForm::ExportLut(const std::string& FileName) {
  TBusyCursor Busy;
  return FSession->SaveLut(FileName);
}

bool TKromelMainForm::SaveImageAs(const std::string& FileName) {
  TBusyCursor Busy;
  FSession->SavingInProgress = true;
  UpdateCaption();
  const bool Ok = FSession->SaveImage(FileName);
  FSession->SavingInProgress = false;
  UpdateCaption();
  return Ok;
}

void TKromelMainForm::Undo() {
  if (FPresets->UndoStep()) MarkModified();
  PagesChanged();
  RefreshMenus();
}

void TKromelMainForm::Redo() {
  if (FPresets->RedoStep()) MarkModified();
  PagesChanged();
  RefreshMenus();
}

void TKromelMainForm::SelectPage(int32_t Index) {
  if (Index < 0 || Index >= 7) return;
  FCurrentPage = Index;
  if (QAbstractButton* B = FPageButtons->button(Index)) B->setChecked(true);
  FPages->setCurrentIndex(Index);
}

void TKromelMainForm::NextPage(bool Forward) {
  std::vector<std::string> Captions(PageCaptions().begin(), PageCaptions().end());
  SelectPage(NextPageIndex(Captions, FCurrentPage, Forward));
}

bool TKromelMainForm::PageSwitch(int32_t Index) const {
  TRadioGroupControl* Pages = FSession->Controls.FindGroup("PagesRadioGroup");
  return Pages != nullptr && Pages->GetButtonSwitchState(Index);
}

void TKromelMainForm::SetPageSwitch(int32_t Index, bool On) {
  TRadioGroupControl* Pages = FSession->Controls.FindGroup("PagesRadioGroup");
  if (Pages == nullptr || Index < 0 || Index >= 7) return;
  if (Pages->GetButtonSwitchState(Index) != On) {
    const std::string Step =
        _(On ? "Turn on " : "Turn off ") + _(PageCaptions()[size_t(Index)]) + _(" tab");
    if (FPresets->ApplyEdit(Step, 0, [&](TKromelPreset&) {
          Pages->SetButtonSwitchState(Index, On);
          return true;
        }))
      MarkModified();
  }
  PagesChanged();
}

void TKromelMainForm::SetViewMode(TViewMode Mode) {
  FViewMode = Mode;
  const bool Compare = Mode == TViewMode::CompareSideBySide || Mode == TViewMode::CompareStacked ||
                       Mode == TViewMode::CompareSplit;
  FPreview->SetShowBefore(Mode == TViewMode::Before);
  FPreview->Layout.ShowReference = Mode == TViewMode::Reference;
  FPreview->SetCompare(Compare, Mode == TViewMode::CompareSplit, Mode == TViewMode::CompareStacked);
  for (size_t I = 0; I < FViewActions.size(); ++I) FViewActions[I]->setChecked(int(I) == int(Mode));
}

void TKromelMainForm::ShowProcessedImage(const TImage32& WorkImage) {
  if (!FBuilt) return;  // the root calls back while it is being built
  FPreview->SetResult(WorkImage);
  ++FShownRenders;
}

void TKromelMainForm::SourceImageChanged() {
  if (!FBuilt) return;  // the root calls back while it is being built
  FPreview->SetSourceImage(&FSession->Image);
  FPreview->SetReferenceImage(FSession->ReferenceImage.Pixels ? &FSession->ReferenceImage : nullptr);
  FPreview->ZoomFit();
  UpdateCaption();
  RefreshMenus();
}

void TKromelMainForm::UpdateCaption() {
  if (!FBuilt) return;  // the root calls back while it is being built
  TCaptionState S;
  S.ImageFileName = FSession->ImageFileName;
  S.ImageProfileDescription = FSession->Image.Pixels ? FSession->ImageProfileDescription : "";
  S.PresetModified = !FSession->PresetUnmodified;
  S.Saving = FSession->SavingInProgress;
  S.ExtendedHighlights = FShell != nullptr && FShell->Keys.ExtendedHighlightsMode;
  S.ClipWarnings = FDisplay && FDisplay->ClipWarnings();
  setWindowTitle(QString::fromStdString(BuildCaption(S)));
}

void TKromelMainForm::LutCalculated(bool Succeeded) {
  if (!FBuilt) return;  // the root calls back while it is being built
  if (!Succeeded) FStatus->setText(QString::fromStdString(_("The LUT could not be calculated")));
}

void TKromelMainForm::ShowPopupNotification(const std::string& Text) {
  if (!FBuilt) return;  // the root calls back while it is being built
  FStatus->setText(QString::fromStdString(Text));
}

void TKromelMainForm::PagesChanged() {
  if (!FBuilt) return;  // the root calls back while it is being built
  for (int32_t I = 0; I < 7; ++I) FPageSwitches[size_t(I)]->setChecked(PageSwitch(I));
  if (FDisplay) FDisplay->DrawSignalPath();
}

void TKromelMainForm::UndoCaptionChanged() { RefreshMenus(); }

void TKromelMainForm::RefreshMenus() {
  if (!FBuilt) return;  // the root calls back while it is being built
  if (FUndo) {
    FUndo->setEnabled(FPresets->UndoEnabled);
    FUndo->setText(QString::fromStdString(FPresets->UndoCaption.empty() ? _("Undo") : FPresets->UndoCaption));
  }
  if (FRedo) {
    FRedo->setEnabled(FPresets->RedoEnabled);
    FRedo->setText(QString::fromStdString(FPresets->RedoCaption.empty() ? _("Redo") : FPresets->RedoCaption));
  }
  if (FSaveImage) FSaveImage->setEnabled(FSession->Image.Pixels != nullptr);
}

void TKromelMainForm::MarkModified() {
  if (FSession->PresetUnmodified) {
    FSession->PresetUnmodified = false;
    UpdateCaption();
  }
}

bool TKromelMainForm::CanClose() {
  if (FSession->PresetUnmodified) return true;
  return Prompt().AskOkCancel(_("Confirmation"), _("Are you sure you want to close ") + ProductName + "?") ==
         TPromptAnswer::OK;
}

void TKromelMainForm::closeEvent(QCloseEvent* Event) {
  bool May = true;
  Guarded("CanClose", [&] { May = CanClose(); });
  if (!May) {
    Event->ignore();
    return;
  }
  Guarded("FormClose", [&] {
    FSession->SessionSettings().Placements[0] = PlacementOf(*this);
    FRoot.Close();
    FRoot.SaveSettings();
  });
  Event->accept();
}

void TKromelMainForm::dragEnterEvent(QDragEnterEvent* Event) {
  if (Event->mimeData()->hasUrls()) Event->acceptProposedAction();
}

void TKromelMainForm::dropEvent(QDropEvent* Event) {
  for (const QUrl& Url : Event->mimeData()->urls()) {
    // Only files on this machine; names pass unchanged.
    if (!Url.isLocalFile()) continue;
    const std::string F = Url.toLocalFile().toStdString();
    Guarded("FormDropFiles", [&] { LoadAnyFile(F); });
  }
  Event->acceptProposedAction();
}

}  // namespace kromel
