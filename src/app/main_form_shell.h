// The main window's shell around its pages: the keyboard map, the
// one-second timer with the update check, the window commands (About, next
// window), the Edit menu's history and Preferences, the interface language
// and the colour style. It adds its menu items to the window's menus and
// reaches the window only through its public commands.
#pragma once
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "session/keyboard_map.h"

class QKeyEvent;
class QMenu;
class QTimer;

namespace kromel {

class TKromelMainForm;
class TKromelPreferencesForm;
class TStyleGui;

class TMainFormShell : public QObject {
public:
  explicit TMainFormShell(TKromelMainForm& Form);
  ~TMainFormShell() override;

  // ---- keyboard
  TKeyboardState Keys;
  // A key press or release of the window (virtual key codes); true when
  // the key goes no further.
  bool FormKeyDown(uint16_t Key, const TKeyModifiers& Shift);
  void FormKeyUp(uint16_t Key);
  // Tool selection belongs to the tools; they hook here (item 0..7, and
  // whether to move to its next sub-tool).
  std::function<void(int32_t Item, bool NextSubTool)> OnSelectTool;
  // The chart panel hands its patches here for the measurement dump.
  std::function<bool(std::vector<TChartMeasurement>& Patches, std::string& Exposure)> OnCollectChartPatches;
  // Steps 4 and 5 of the dump: text, clipboard, the file in the
  // configuration folder, the message. False when the file failed.
  bool ChartMeasurementDump(const std::vector<TChartMeasurement>& Patches, const std::string& Exposure);

  // ---- timer and update check
  QTimer* Timer1 = nullptr;
  int32_t Timer1Tag = 0;
  bool UpdateCheckStarted = false;
  void Timer1Timer();
  // True when a day has passed since the last stored check. The request
  // itself needs an HTTP client; until there is one nothing is sent.
  bool UpdateCheckDue() const;
  void CheckForUpdate();
  // Evaluates a reply: a newer version is announced; only a plausible
  // version number stores the check time.
  void UpdateCheckReply(const std::string& Text);

  // ---- window commands
  std::string AboutText() const;
  void About1Click();
  void Nextwindow1Click();

  // ---- history and preferences
  // Goes back (or forward) to history step Index of the current version.
  bool GoToHistoryStep(int32_t Index);
  // Shows Preferences; RunPreferences replaces the modal run (tests).
  bool ShowPreferences();
  std::function<bool(TKromelPreferencesForm&)> RunPreferences;

  // ---- language and style
  bool LanguageSwitched = false;
  // Applies the Preferences' language: selects its catalogue (English
  // where there is none) and retranslates every menu and button text.
  void SwitchLanguage();
  void RetranslateTexts();
  TStyleGui* StyleGui1 = nullptr;
  // The next of the four palettes, the window restyled.
  void CycleStyle();

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void AddMenus();
  void FillHistoryMenu(QMenu& Menu);
  void RecordSourceTexts();
  void RunKeyAction(const TKeyAction& A);
  void ToggleSwitch(const char* Name, const char* StepName);
  TKromelMainForm& Form;
  const QKeyEvent* FLastKey = nullptr;
  int FLastKeyType = 0;
  QPointer<QWidget> FLastReceiver;
};

}  // namespace kromel
