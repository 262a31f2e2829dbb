#include "foundation/messages.h"

#include <mutex>

#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

// Pending text and shown count are changed from several threads.
std::mutex GMessageLock;
std::string GPendingMessages;
int GShownMessageCount = 0;
constexpr int MaxShownMessages = 10;

}  // namespace

void InstallErrorMessageProc() { ErrorMessageProc = &DebugShowMessage; }

void DebugShowMessage(const std::string& Text) {
  const bool OnMain = IsMainThread();
  {
    std::lock_guard<std::mutex> Guard(GMessageLock);
    if (GShownMessageCount >= MaxShownMessages) return;
    ++GShownMessageCount;
    if (!OnMain) GPendingMessages += "\n" + Text;
  }
  if (DebugLogEnabled()) DebugLogAdd("ShowMessage: " + Text, 0);
  if (OnMain)
    PlatformShowMessage(Text);
  else
    RunOnMainThreadBlocking(&TDummyClass::ShowPendingMessages);
}

void AppendAndShowMessages(const std::string& Text) {
  std::string All;
  {
    std::lock_guard<std::mutex> Guard(GMessageLock);
    GPendingMessages += "\n" + Text;
    All = GPendingMessages;
  }
  PlatformShowMessage(All);
}

void DisplayPendingMessages() { PlatformShowMessage(PendingMessages()); }

std::string PendingMessages() {
  std::lock_guard<std::mutex> Guard(GMessageLock);
  return GPendingMessages;
}

int ShownMessageCount() {
  std::lock_guard<std::mutex> Guard(GMessageLock);
  return GShownMessageCount;
}

void ResetMessageState() {
  std::lock_guard<std::mutex> Guard(GMessageLock);
  GPendingMessages.clear();
  GShownMessageCount = 0;
}

}  // namespace kromel
