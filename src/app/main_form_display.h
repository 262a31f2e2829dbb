// The main window's display side: the preview's display modes (the View
// menu's separate channels and clip warnings), the separate image window
// that takes the preview out of the main window and back, the tools page's
// signal path diagram with the external LUT thumbnail, and the hidden
// harmony page's mask preview.
#pragma once
#include <QList>
#include <QObject>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

#include "images/image32.h"
#include "session/harmony_page.h"
#include "session/session_core.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStackedWidget;

namespace kromel {

class TKromelMainForm;
class TSignalPathDiagram;
class TVelImage;

// The separate image window: it only hosts the preview. Closing it puts
// the preview back into the main window.
class TKromelImageWindowForm : public QWidget {
public:
  explicit TKromelImageWindowForm(QWidget* Parent);
  std::function<void()> OnClosed;

protected:
  void closeEvent(QCloseEvent* Event) override;
};

class TMainFormDisplay : public QObject, public TSessionView {
public:
  explicit TMainFormDisplay(TKromelMainForm& Form);
  ~TMainFormDisplay() override;

  // Adds the display-mode items to the View menu and the separate image
  // window item to the Window menu.
  void BuildViewMenu(QMenu* View);
  void BuildWindowMenu(QMenu* Window);
  // Puts the signal path and the external LUT panel on the tools page.
  void InstallToolsPage(QStackedWidget* Pages, int32_t Index);
  // Once, when the window is first shown: the stored separate-window state.
  void FormShow();
  // The menu texts and the tools page's label in the current language.
  void Retranslate();

  // ---- display modes
  // Ticks item Item of "Show separate channels" (-1: keeps the ticked one)
  // and applies the display mode.
  void SelectSeparateChannel(int32_t Item);
  void SetClipWarnings(bool On);
  bool ClipWarnings() const;
  int32_t SeparateChannel() const;
  uint8_t DisplayMode() const;

  // ---- separate image window
  void SetSeparateImageWindow(bool On);
  bool SeparateImageWindow() const;
  TKromelImageWindowForm* ImageWindow() const { return FImageWindow; }

  // ---- tools page
  void DrawSignalPath();
  TSignalPathDiagram* Diagram() const { return FDiagram; }
  const TImage32& ExternalLutThumbnailImage() const { return FThumbnail; }
  QLabel* ExternalLutNameLabel() const { return FLutName; }

  // ---- hidden harmony page
  THarmonySettings Harmony;
  // Shows the harmony mask of pair Index in the preview; the main LUT and
  // the graded result stay as they are.
  bool ShowHarmonyMask(int32_t Index);

  // ---- TSessionView: a finished calculation redraws a stale signal path.
  void LutCalculated(bool Succeeded) override;

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void ApplyDisplayMode();
  void MenuViewSeparateimageWindowClick();
  void StoreImageWindowPlacement();
  void UpdateLutLabel();

  TKromelMainForm& FForm;
  QAction* FClipWarnings = nullptr;
  std::array<QAction*, 9> FChannelItems{};
  QAction* FSeparateWindow = nullptr;
  QMenu* FChannelsMenu = nullptr;
  TKromelImageWindowForm* FImageWindow = nullptr;
  QSplitter* FSplitter = nullptr;
  QList<int> FSplitterSizes;
  TSignalPathDiagram* FDiagram = nullptr;
  TVelImage* FLutImage = nullptr;
  QLabel* FLutName = nullptr;
  TImage32 FHueDisc;
  TImage32 FThumbnail;
  TImage32 FMaskPreview;
};

}  // namespace kromel
