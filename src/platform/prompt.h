// Modal questions with OK / Cancel buttons, beside the message sink. The
// headless prompt records each question and answers from a queue of scripted
// answers, else with its default answer (Cancel); the Qt layer installs a
// modal-dialog prompt.
#pragma once
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace kromel {

enum class TPromptAnswer { OK, Cancel };

class TPrompt {
public:
  virtual ~TPrompt() = default;
  // Asks modally and returns the button the user pressed.
  virtual TPromptAnswer AskOkCancel(const std::string& Title, const std::string& Text) = 0;
};

struct TPromptRecord {
  std::string Title;
  std::string Text;
};

class THeadlessPrompt : public TPrompt {
public:
  TPromptAnswer AskOkCancel(const std::string& Title, const std::string& Text) override;
  std::vector<TPromptRecord> Questions() const;
  // Answers given, in order, before the default answer is used.
  void QueueAnswers(const std::vector<TPromptAnswer>& Answers);
  void Clear();
  TPromptAnswer DefaultAnswer = TPromptAnswer::Cancel;

private:
  mutable std::mutex FLock;
  std::vector<TPromptRecord> FQuestions;
  std::deque<TPromptAnswer> FQueued;
};

// The prompt in use; never null (a process-wide headless prompt by default).
TPrompt& Prompt();
// Installs P (not owned); nullptr restores the default headless prompt.
void SetPrompt(TPrompt* P);
THeadlessPrompt& DefaultHeadlessPrompt();

// Asks through the current prompt while counting as one modal level;
// true when the answer is OK.
bool PlatformAskOkCancel(const std::string& Title, const std::string& Text);

}  // namespace kromel
