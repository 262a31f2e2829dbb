// The Qt backend of the platform services: calls queued for the main thread
// are drained from the Qt event loop, key states come from Qt's keyboard
// modifiers (Command is Ctrl on this platform, Option is Alt), and message
// boxes and prompts become modal Qt dialogs. Needs a QApplication.
#pragma once
#include <cstdint>
#include <string>

#include "platform/message_sink.h"
#include "platform/prompt.h"

namespace kromel {

struct TQtPlatformOptions {
  // Modal Qt boxes for messages and prompts. Off, the recording headless
  // sink and prompt stay (tests under QT_QPA_PLATFORM=offscreen).
  bool ModalDialogs = true;
};

// The options for the running platform plug-in: no modal dialogs offscreen.
TQtPlatformOptions DefaultQtPlatformOptions();

// Installs the backend; call on the main thread once the QApplication
// exists. UninstallQtPlatform restores the headless services.
void InstallQtPlatform(const TQtPlatformOptions& Options = DefaultQtPlatformOptions());
void UninstallQtPlatform();

// The key state of a widget-set virtual key from Qt's modifiers: bit 15 while
// down, plus bit 7 for Alt (18). Shift 16, Ctrl 17, Alt 18, Command 91/92.
int16_t QtKeyState(int32_t VirtualKey);

// Message boxes as modal Qt boxes; from another thread the box is shown on
// the main thread and the caller waits for it to close.
class TQtMessageSink : public TMessageSink {
public:
  void ShowMessage(const std::string& Text) override;
};

// Prompts as modal Qt dialogs, shown on the main thread.
class TQtPrompt : public TPrompt {
public:
  TPromptAnswer AskOkCancel(const std::string& Title, const std::string& Text) override;
  TCheckBoxAnswer AskYesNoCheckBox(const TCheckBoxQuestion& Question) override;
  TPromptAnswer AskYesCancel(const std::string& Title, const std::string& Text,
                             TMsgDlgType DlgType) override;
  bool ChooseFileToOpen(std::string& FileName) override;
};

}  // namespace kromel
