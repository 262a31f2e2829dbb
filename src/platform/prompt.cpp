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

}  // namespace kromel
