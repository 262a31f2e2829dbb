#include "platform/prompt.h"

#include <atomic>

#include "platform/ui_state.h"

namespace kromel {

namespace {
// The first queued answer, else Default.
template <class T>
T NextAnswer(std::deque<T>& Queued, const T& Default) {
  if (Queued.empty()) return Default;
  T A = Queued.front();
  Queued.pop_front();
  return A;
}
}  // namespace

TPromptAnswer THeadlessPrompt::AskOkCancel(const std::string& Title, const std::string& Text) {
  std::lock_guard<std::mutex> Guard(FLock);
  FQuestions.push_back({Title, Text});
  return NextAnswer(FQueued, DefaultAnswer);
}

TCheckBoxAnswer THeadlessPrompt::AskYesNoCheckBox(const TCheckBoxQuestion& Question) {
  std::lock_guard<std::mutex> Guard(FLock);
  FCheckBoxQuestions.push_back(Question);
  return NextAnswer(FQueuedCheckBox, TCheckBoxAnswer{});
}

TPromptAnswer THeadlessPrompt::AskYesCancel(const std::string& Title, const std::string& Text,
                                            TMsgDlgType) {
  std::lock_guard<std::mutex> Guard(FLock);
  FQuestions.push_back({Title, Text});
  return NextAnswer(FQueued, DefaultAnswer);
}

bool THeadlessPrompt::ChooseFileToOpen(std::string& FileName) {
  std::lock_guard<std::mutex> Guard(FLock);
  const std::string Picked = NextAnswer(FQueuedFiles, std::string());
  if (Picked.empty()) return false;
  FileName = Picked;
  return true;
}

void THeadlessPrompt::QueuePickedFiles(const std::vector<std::string>& FileNames) {
  std::lock_guard<std::mutex> Guard(FLock);
  FQueuedFiles.insert(FQueuedFiles.end(), FileNames.begin(), FileNames.end());
}

std::vector<TCheckBoxQuestion> THeadlessPrompt::CheckBoxQuestions() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FCheckBoxQuestions;
}

void THeadlessPrompt::QueueCheckBoxAnswers(const std::vector<TCheckBoxAnswer>& Answers) {
  std::lock_guard<std::mutex> Guard(FLock);
  FQueuedCheckBox.insert(FQueuedCheckBox.end(), Answers.begin(), Answers.end());
}

std::vector<TPromptRecord> THeadlessPrompt::Questions() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FQuestions;
}

void THeadlessPrompt::QueueAnswers(const std::vector<TPromptAnswer>& Answers) {
  std::lock_guard<std::mutex> Guard(FLock);
  FQueued.insert(FQueued.end(), Answers.begin(), Answers.end());
}

void THeadlessPrompt::Clear() {
  std::lock_guard<std::mutex> Guard(FLock);
  FQuestions.clear();
  FQueued.clear();
  FCheckBoxQuestions.clear();
  FQueuedCheckBox.clear();
  FQueuedFiles.clear();
}

namespace {
std::atomic<TPrompt*> GPrompt{nullptr};
}

THeadlessPrompt& DefaultHeadlessPrompt() {
  static THeadlessPrompt P;
  return P;
}

TPrompt& Prompt() {
  TPrompt* P = GPrompt.load();
  return P ? *P : DefaultHeadlessPrompt();
}

void SetPrompt(TPrompt* P) { GPrompt.store(P); }

bool PlatformAskOkCancel(const std::string& Title, const std::string& Text) {
  TModalScope Modal;
  return Prompt().AskOkCancel(Title, Text) == TPromptAnswer::OK;
}

TCheckBoxAnswer PlatformAskYesNoCheckBox(const TCheckBoxQuestion& Question) {
  TModalScope Modal;
  return Prompt().AskYesNoCheckBox(Question);
}

TPromptAnswer PlatformAskYesCancel(const std::string& Title, const std::string& Text,
                                   TMsgDlgType DlgType) {
  TModalScope Modal;
  return Prompt().AskYesCancel(Title, Text, DlgType);
}

bool PlatformChooseFileToOpen(std::string& FileName) {
  TModalScope Modal;
  return Prompt().ChooseFileToOpen(FileName);
}

}  // namespace kromel
