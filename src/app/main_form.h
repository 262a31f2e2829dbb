// The main window: a thin Qt view over the session. It builds its menus
// and forms in code, shows the session's results in the zoomable preview
// and hands every command to the session.
#pragma once
#include <QMainWindow>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "session/session_root.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QMenu;
class QStackedWidget;
class QToolButton;

namespace kromel {

class TImageWithZoom;
class TMainFormShell;
class TMainFormDisplay;
class TMainFormWiring;

// The view modes of the preview.
enum class TViewMode { Result, Before, Reference, CompareSideBySide, CompareStacked, CompareSplit };

class TKromelMainForm : public QMainWindow, public TSessionView, public TPresetRefreshView {
public:
  // SettingsFile: the store to use (the user's when null).
  explicit TKromelMainForm(std::shared_ptr<TSettingsFile> SettingsFile = nullptr,
                           QWidget* Parent = nullptr);
  ~TKromelMainForm() override;

  // Files named on the command line (image, preset, LUT), opened once shown.
  void OpenFiles(const std::vector<std::string>& Files);
  // Opens any supported file by its extension; false when it failed.
  bool LoadAnyFile(const std::string& FileName);

  // ---- commands (menus and tests)
  bool SavePresetAs(const std::string& FileName);
  bool ExportLut(const std::string& FileName);
  bool SaveImageAs(const std::string& FileName);
  void Undo();
  void Redo();
  void SelectPage(int32_t Index);
  int32_t CurrentPage() const { return FCurrentPage; }
  void NextPage(bool Forward);
  // Turns a page's processing on or off: one undo step, a recalculation.
  void SetPageSwitch(int32_t Index, bool On);
  bool PageSwitch(int32_t Index) const;
  void SetViewMode(TViewMode Mode);
  // The preview's background from the preferences.
  void ApplyPreviewBackground();
  TViewMode ViewMode() const { return FViewMode; }

  TKromelSession& Session() { return *FSession; }
  TSessionPresets& Presets() { return *FPresets; }
  TImageWithZoom& Preview() { return *FPreview; }
  // Keyboard, timer, language, history and preferences.
  TMainFormShell& Shell() { return *FShell; }
  // Display modes, the separate image window, the signal path.
  TMainFormDisplay& Display() { return *FDisplay; }
  // Tools on the image, picker, analyzer, view colour and reference.
  TMainFormWiring& Wiring() { return *FWiring; }
  // The page captions in selector order.
  static const std::array<const char*, 7>& PageCaptions();
  // Renders done since the window was made (tests wait on it).
  int64_t ShownRenders() const { return FShownRenders; }

  // ---- TSessionView
  void ShowProcessedImage(const TImage32& WorkImage) override;
  void SourceImageChanged() override;
  void UpdateCaption() override;
  void LutCalculated(bool Succeeded) override;
  void ShowPopupNotification(const std::string& Text) override;
  // ---- TPresetRefreshView
  void PagesChanged() override;
  void UndoCaptionChanged() override;

protected:
  void showEvent(QShowEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

private:
  void BuildMenus();
  void BuildForm();
  void RefreshMenus();
  void MarkModified();
  // Asks before an unsaved preset is lost; true when closing may go on.
  bool CanClose();

  // The one root of settings, session, presets and files.
  TSessionRoot FRoot;
  TKromelSession* FSession = nullptr;
  TSessionPresets* FPresets = nullptr;
  TSessionFiles* FFiles = nullptr;

  TImageWithZoom* FPreview = nullptr;
  TMainFormShell* FShell = nullptr;
  QStackedWidget* FPages = nullptr;
  QButtonGroup* FPageButtons = nullptr;
  std::array<QCheckBox*, 7> FPageSwitches{};
  QLabel* FStatus = nullptr;
  QAction* FUndo = nullptr;
  QAction* FRedo = nullptr;
  QAction* FSaveImage = nullptr;
  std::vector<QAction*> FViewActions;
  int32_t FCurrentPage = 2;
  TViewMode FViewMode = TViewMode::Result;
  bool FBuilt = false;
  bool FShown = false;
  int64_t FShownRenders = 0;
  std::vector<std::string> FPendingFiles;
  std::unique_ptr<TMainFormWiring> FWiring;
  std::unique_ptr<TMainFormDisplay> FDisplay;  // last: goes first
};

}  // namespace kromel
