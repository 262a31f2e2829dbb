#include "app/main_form_display.h"
#include "app/control_persistence.h"
#include "app/guarded.h"
#include "app/menu_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/main_form.h"
#include "colour/colour_discs.h"
#include "foundation/debug_log.h"
#include "platform/translate.h"
#include "session/signal_path_layout.h"
#include "session/view_display_mode.h"
#include "session/window_shell.h"
#include "widgets/image_with_zoom.h"
#include "widgets/signal_path_diagram.h"
#include "widgets/vel_image.h"

namespace kromel {

namespace {

constexpr size_t ImageWindowPlacement = 2;  // "Image" in the stored placements


QString Tr(const char* Text) { return QString::fromStdString(_(Text)); }

// Every action of a menu and its submenus.
void CollectActions(QMenu* Menu, QList<QAction*>& Out) {
  for (QAction* A : Menu->actions()) {
    if (A->menu() != nullptr)
      CollectActions(A->menu(), Out);
    else if (!A->isSeparator())
      Out.push_back(A);
  }
}

}  // namespace

TKromelImageWindowForm::TKromelImageWindowForm(QWidget* Parent) : QWidget(Parent, Qt::Window) {
  setObjectName("KromelImageWindowForm");
  setWindowTitle(QString::fromStdString(std::string(ProductName) + " image window"));
  setMinimumSize(200, 200);
  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
}

void TKromelImageWindowForm::closeEvent(QCloseEvent* Event) {
  if (OnClosed) OnClosed();
  Event->accept();
}

TMainFormDisplay::TMainFormDisplay(TKromelMainForm& Form) : QObject(&Form), FForm(Form) {
  FHueDisc.Init();
  FThumbnail.Init();
  FMaskPreview.Init();
  if (FHueDisc.Alloc(256, 256)) DrawHueDisc(FHueDisc);
  // The image window goes with the main window when it hides.
  Form.installEventFilter(this);
  Form.Session().Subscribe(this);
}

TMainFormDisplay::~TMainFormDisplay() {
  FForm.Session().Unsubscribe(this);
  Guarded("FormDestroy", [&] {
    // The preview belongs to the main window's tree again before the
    // image window goes.
    if (FImageWindow != nullptr) {
      TImageWithZoom& Preview = FForm.Preview();
      if (Preview.parentWidget() == FImageWindow && FSplitter != nullptr) FSplitter->insertWidget(1, &Preview);
      delete FImageWindow;
      FImageWindow = nullptr;
    }
  });
  FHueDisc.Dispose();
  FThumbnail.Dispose();
  FMaskPreview.Dispose();
}

// ---------------------------------------------------------------- menus

void TMainFormDisplay::BuildViewMenu(QMenu* View) {
  View->addSeparator();
  FClipWarnings = View->addAction(QString());
  SetTranslatedText(FClipWarnings, "Show clip warnings");
  FClipWarnings->setObjectName("Showclipwarnings1");
  FClipWarnings->setCheckable(true);
  FClipWarnings->setShortcut(QKeySequence("J"));
  QObject::connect(FClipWarnings, &QAction::triggered, this,
                   [this](bool On) { Guarded("Showclipwarnings1Click", [&] { SetClipWarnings(On); }); });
  QMenu* Channels = View->addMenu(Tr("Show separate channels"));
  FChannelsMenu = Channels;
  Channels->menuAction()->setObjectName("Showseparatechannels1");
  Channels->menuAction()->setProperty(SourceTextProperty, "Show separate channels");
  auto* Group = new QActionGroup(this);
  for (size_t I = 0; I < FChannelItems.size(); ++I) {
    const TSeparateChannelItem& Item = SeparateChannelItems()[I];
    QAction* A = Channels->addAction(QString());
    SetTranslatedText(A, Item.Caption);
    A->setObjectName(Item.Name);
    A->setShortcut(QKeySequence(Item.Shortcut));
    A->setCheckable(true);
    A->setChecked(I == 0);
    Group->addAction(A);
    FChannelItems[I] = A;
    QObject::connect(A, &QAction::triggered, this, [this, I] {
      Guarded("SingleChannelRGBClick", [&] { SelectSeparateChannel(int32_t(I)); });
    });
  }
}

void TMainFormDisplay::BuildWindowMenu(QMenu* Window) {
  Window->addSeparator();
  FSeparateWindow = Window->addAction(QString());
  SetTranslatedText(FSeparateWindow, "Separate image window");
  FSeparateWindow->setObjectName("MenuViewSeparateimageWindow");
  FSeparateWindow->setCheckable(true);
  FSeparateWindow->setShortcut(QKeySequence(Qt::Key_F4));
  QObject::connect(FSeparateWindow, &QAction::triggered, this, [this] {
    Guarded("MenuViewSeparateimageWindowClick", [&] { MenuViewSeparateimageWindowClick(); });
  });
}

void TMainFormDisplay::Retranslate() {
  // The menu items are translated with every other (their English is kept);
  // the diagram's captions are drawn.
  DrawSignalPath();
}

void TMainFormDisplay::LutCalculated(bool) {
  if (FForm.Session().Dirty.SignalPathDirty) DrawSignalPath();
}

void TMainFormDisplay::FormShow() {
  if (FForm.Session().SessionSettings().Main.SeparateImageWindow) SetSeparateImageWindow(true);
  DrawSignalPath();
}

// ---------------------------------------------------------------- display modes

bool TMainFormDisplay::ClipWarnings() const { return FClipWarnings != nullptr && FClipWarnings->isChecked(); }

int32_t TMainFormDisplay::SeparateChannel() const {
  for (size_t I = 0; I < FChannelItems.size(); ++I)
    if (FChannelItems[I] != nullptr && FChannelItems[I]->isChecked()) return int32_t(I);
  return 0;
}

uint8_t TMainFormDisplay::DisplayMode() const { return DisplayModeOf(SeparateChannel(), ClipWarnings()); }

void TMainFormDisplay::SetClipWarnings(bool On) {
  if (FClipWarnings == nullptr) return;
  FClipWarnings->setChecked(On);
  FForm.UpdateCaption();
  SelectSeparateChannel(-1);
}

void TMainFormDisplay::SelectSeparateChannel(int32_t Item) {
  if (Item >= 0 && Item < int32_t(FChannelItems.size()) && FChannelItems[size_t(Item)] != nullptr)
    FChannelItems[size_t(Item)]->setChecked(true);
  ApplyDisplayMode();
}

void TMainFormDisplay::ApplyDisplayMode() {
  const uint8_t Mode = DisplayMode();
  TImageWithZoom& Preview = FForm.Preview();
  Preview.DisplayMode = Mode;
  FForm.Session().PreviewDisplayMode = Mode;
  Preview.InvalidateBefore();
  FForm.Session().UpdateImage(false, false);
}

// ---------------------------------------------------------------- image window

bool TMainFormDisplay::SeparateImageWindow() const {
  return FImageWindow != nullptr && FForm.Preview().parentWidget() == FImageWindow;
}

void TMainFormDisplay::SetSeparateImageWindow(bool On) {
  if (FSeparateWindow == nullptr) return;
  FSeparateWindow->setChecked(On);
  MenuViewSeparateimageWindowClick();
}

void TMainFormDisplay::MenuViewSeparateimageWindowClick() {
  const bool Wanted = FSeparateWindow->isChecked();
  if (Wanted == SeparateImageWindow()) return;
  TImageWithZoom& Preview = FForm.Preview();
  TSessionSettings& Settings = FForm.Session().SessionSettings();
  TWindowPlacement& Stored = Settings.Placements[ImageWindowPlacement];
  if (!Wanted) {
    // Back into the main window, beside the tools.
    StoreImageWindowPlacement();
    FImageWindow->hide();
    if (FSplitter != nullptr) {
      FSplitter->insertWidget(1, &Preview);
      FSplitter->setStretchFactor(1, 1);
      if (FSplitterSizes.size() == 2) FSplitter->setSizes(FSplitterSizes);
    }
    Preview.show();
    FForm.setMinimumWidth(600);
  } else {
    FSplitter = qobject_cast<QSplitter*>(Preview.parentWidget());
    if (FSplitter != nullptr) FSplitterSizes = FSplitter->sizes();
    if (FImageWindow == nullptr) {
      FImageWindow = new TKromelImageWindowForm(&FForm);
      // The main window's shortcuts work while the image window is active.
      QList<QAction*> Actions;
      for (QAction* Menu : FForm.menuBar()->actions())
        if (Menu->menu() != nullptr) CollectActions(Menu->menu(), Actions);
      FImageWindow->addActions(Actions);
      FImageWindow->OnClosed = [this] {
        if (!FForm.Session().Ready || !SeparateImageWindow()) return;
        Guarded("FormHide", [&] { SetSeparateImageWindow(false); });
      };
    }
    FImageWindow->layout()->addWidget(&Preview);
    Preview.show();
    if (Stored.Width > 0 && Stored.Height > 0) {
      ApplyPlacement(*FImageWindow, Stored);
    } else {
      FImageWindow->resize(std::max(400, Preview.width()), std::max(300, Preview.height()));
    }
    FImageWindow->setWindowState(Qt::WindowNoState);
    FImageWindow->show();
    FForm.setMinimumWidth(520);
  }
  Settings.Main.SeparateImageWindow = Wanted;
}

void TMainFormDisplay::StoreImageWindowPlacement() {
  if (FImageWindow == nullptr || !FImageWindow->isVisible()) return;
  FForm.Session().SessionSettings().Placements[ImageWindowPlacement] = PlacementOf(*FImageWindow);
}

bool TMainFormDisplay::eventFilter(QObject* Watched, QEvent* Event) {
  // The name is shortened to the label's width.
  if (Watched == FLutName && Event->type() == QEvent::Resize) UpdateLutLabel();
  if (Watched == &FForm && FImageWindow != nullptr) {
    // Before the main window saves its settings on closing.
    if (Event->type() == QEvent::Close) StoreImageWindowPlacement();
    if (Event->type() == QEvent::Hide && FImageWindow->isVisible()) FImageWindow->hide();
  }
  return QObject::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------- tools page

void TMainFormDisplay::InstallToolsPage(QStackedWidget* Pages, int32_t Index) {
  QWidget* Old = Pages->widget(Index);
  auto* Page = new QWidget(Pages);
  Page->setObjectName(Old != nullptr ? Old->objectName() : QString("Page%1").arg(Index));
  auto* Layout = new QVBoxLayout(Page);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->setSpacing(4);
  if (Old != nullptr) {
    Pages->removeWidget(Old);
    Layout->addWidget(Old, 1);
    Old->show();
  } else {
    Layout->addStretch(1);
  }
  // The external LUT panel: the thumbnail and the LUT's name.
  auto* Lut = new QWidget(Page);
  auto* LutLayout = new QHBoxLayout(Lut);
  LutLayout->setContentsMargins(4, 0, 4, 0);
  FLutImage = new TVelImage(Lut);
  FLutImage->setObjectName("ExternalLutImage");
  FLutImage->setFixedSize(75, 75);
  FLutName = new QLabel(Lut);
  FLutName->setObjectName("UtilityLutNameLabelBox");
  FLutName->setMinimumWidth(60);
  FLutName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  FLutName->installEventFilter(this);
  LutLayout->addWidget(FLutImage);
  LutLayout->addWidget(FLutName, 1);
  Layout->addWidget(Lut);
  // The diagram scrolls sideways when the page is narrower than the chain.
  auto* Scroll = new QScrollArea(Page);
  Scroll->setFrameShape(QFrame::NoFrame);
  Scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Scroll->setWidgetResizable(true);
  FDiagram = new TSignalPathDiagram(Scroll);
  FDiagram->setObjectName("SignalPathImage");
  Scroll->setWidget(FDiagram);
  Scroll->setFixedHeight(FDiagram->height() + 14);
  Layout->addWidget(Scroll);
  Pages->insertWidget(Index, Page);
  DrawSignalPath();
}

void TMainFormDisplay::DrawSignalPath() {
  TKromelSession& S = FForm.Session();
  if (!S.Preset || FDiagram == nullptr) return;
  try {
    S.Dirty.SignalPathDirty = false;
    const T3DLut* Ext = S.Preset->ExternalLUT != nullptr ? S.Preset->ExternalLUT->ExternalLUT.get() : nullptr;
    ExternalLutThumbnail(FHueDisc, Ext, FThumbnail);
    FLutImage->SetBackground(FThumbnail);
    FLutImage->update();
    UpdateLutLabel();
    FDiagram->SetLayout(LayoutSignalPath(SignalPathInputsOf(S.Controls)));
  } catch (...) {
    ErrorMessageProc("Exception in DrawSignalPath");
  }
}

// ---------------------------------------------------------------- harmony page

void TMainFormDisplay::UpdateLutLabel() {
  TKromelSession& S = FForm.Session();
  if (!S.Preset || FLutName == nullptr) return;
  const T3DLut* Ext = S.Preset->ExternalLUT != nullptr ? S.Preset->ExternalLUT->ExternalLUT.get() : nullptr;
  const QFontMetrics Metrics = FLutName->fontMetrics();
  const TExternalLutLabel Label = ExternalLutLabel(
      Ext, [&](const std::string& T) { return int32_t(Metrics.horizontalAdvance(QString::fromStdString(T))); },
      std::max(60, FLutName->width() - Metrics.horizontalAdvance(" [Preset 9999 kb]")));
  FLutName->setText(QString::fromStdString(Label.Caption));
  FLutName->setToolTip(QString::fromStdString(Label.Hint));
}

bool TMainFormDisplay::ShowHarmonyMask(int32_t Index) {
  bool Shown = false;
  Guarded("ShowMask", [&] {
    if (!HarmonyMaskPreview(FForm.Session(), Harmony, Index, FMaskPreview)) return;
    FForm.Preview().SetResult(FMaskPreview);
    Shown = true;
  });
  return Shown;
}

}  // namespace kromel
