// Messages shown to the user: at most 10 per run, from any thread.
#pragma once
#include <string>

namespace kromel {

// Points ErrorMessageProc at DebugShowMessage.
void InstallErrorMessageProc();

// Copies Text to the debug log (when on) and shows it from any thread, at
// most 10 times per run. From a worker thread the text joins the pending
// text, which the main thread shows while the worker waits.
void DebugShowMessage(const std::string& Text);
// Main thread only: appends Text to the pending text and shows all of it.
void AppendAndShowMessages(const std::string& Text);
// Shows the whole pending text (main thread only).
void DisplayPendingMessages();

struct TDummyClass {
  static void ShowPendingMessages() { DisplayPendingMessages(); }
};

std::string PendingMessages();
int ShownMessageCount();
// Empties the pending text and the shown-message count, as at the start of
// a run.
void ResetMessageState();

}  // namespace kromel
