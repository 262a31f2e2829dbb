#include "platform/prompt.h"

#include <atomic>

#include "platform/ui_state.h"

namespace kromel {

TPromptAnswer THeadlessPrompt::AskOkCancel(const std::string& Title, const std::string& Text) {
  std::lock_guard<std::mutex> Guard(FLock);
  FQuestions.push_back({Title, Text});
  if (FQueued.empty()) return DefaultAnswer;
  TPromptAnswer A = FQueued.front();
  FQueued.pop_front();
  return A;
}

TCheckBoxAnswer THeadlessPrompt::AskYesNoCheckBox(const TCheckBoxQuestion& Question) {
  std::lock_guard<std::mutex> Guard(FLock);
  FCheckBoxQuestions.push_back(Question);
  if (FQueuedCheckBox.empty()) return {};
  TCheckBoxAnswer A = FQueuedCheckBox.front();
  FQueuedCheckBox.pop_front();
  return A;
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

}  // namespace kromel
