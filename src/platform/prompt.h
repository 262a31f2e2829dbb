// Modal questions beside the message sink: OK / Cancel, and Yes / No with a
// "don't show again" check box. The headless prompt records each question and
// answers from a queue of scripted answers, else with its default answer
// (Cancel; No with the box unticked); the Qt layer installs a modal-dialog
// prompt.
#pragma once
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace kromel {

// Closed is a dialog closed without pressing one of its buttons.
enum class TPromptAnswer { OK, Cancel, Yes, No, Closed };

// The icon kind of a message dialog.
enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };

// A Yes / No message dialog with a check box under the text.
struct TCheckBoxQuestion {
  std::string Title;
  std::string Text;
  TMsgDlgType DlgType = TMsgDlgType::Warning;
  std::string CheckBoxCaption;
  // Dialog height and the check box's place, in pixels.
  int32_t Height = 0;
  int32_t CheckBoxTop = 0, CheckBoxLeft = 0, CheckBoxWidth = 0;
};

struct TCheckBoxAnswer {
  TPromptAnswer Button = TPromptAnswer::No;
  bool Checked = false;
};

class TPrompt {
public:
  virtual ~TPrompt() = default;
  // Asks modally and returns the button the user pressed.
  virtual TPromptAnswer AskOkCancel(const std::string& Title, const std::string& Text) = 0;
  // Asks modally; the box starts unticked. A prompt that cannot show the
  // dialog answers No with the box unticked.
  virtual TCheckBoxAnswer AskYesNoCheckBox(const TCheckBoxQuestion& Question) {
    (void)Question;
    return {};
  }
  // A message dialog of DlgType with the buttons Yes and Cancel. A prompt
  // that cannot show it answers Cancel.
  virtual TPromptAnswer AskYesCancel(const std::string& Title, const std::string& Text,
                                     TMsgDlgType DlgType) {
    (void)Title, (void)Text, (void)DlgType;
    return TPromptAnswer::Cancel;
  }
  // An open-file dialog that starts at FileName; true with FileName set to
  // the picked path, false when the user cancels.
  virtual bool ChooseFileToOpen(std::string& FileName) {
    (void)FileName;
    return false;
  }
};

struct TPromptRecord {
  std::string Title;
  std::string Text;
};

class THeadlessPrompt : public TPrompt {
public:
  TPromptAnswer AskOkCancel(const std::string& Title, const std::string& Text) override;
  TCheckBoxAnswer AskYesNoCheckBox(const TCheckBoxQuestion& Question) override;
  // Recorded with the other questions; answered from the same queue.
  TPromptAnswer AskYesCancel(const std::string& Title, const std::string& Text,
                             TMsgDlgType DlgType) override;
  // Answers from the queue of picked files; an empty entry, or none, cancels.
  bool ChooseFileToOpen(std::string& FileName) override;
  std::vector<TPromptRecord> Questions() const;
  void QueuePickedFiles(const std::vector<std::string>& FileNames);
  std::vector<TCheckBoxQuestion> CheckBoxQuestions() const;
  // Answers given, in order, before the default answer is used.
  void QueueAnswers(const std::vector<TPromptAnswer>& Answers);
  void QueueCheckBoxAnswers(const std::vector<TCheckBoxAnswer>& Answers);
  void Clear();
  TPromptAnswer DefaultAnswer = TPromptAnswer::Cancel;

private:
  mutable std::mutex FLock;
  std::vector<TPromptRecord> FQuestions;
  std::vector<TCheckBoxQuestion> FCheckBoxQuestions;
  std::deque<TPromptAnswer> FQueued;
  std::deque<TCheckBoxAnswer> FQueuedCheckBox;
  std::deque<std::string> FQueuedFiles;
};

// The prompt in use; never null (a process-wide headless prompt by default).
TPrompt& Prompt();
// Installs P (not owned); nullptr restores the default headless prompt.
void SetPrompt(TPrompt* P);
THeadlessPrompt& DefaultHeadlessPrompt();

// Asks through the current prompt while counting as one modal level;
// true when the answer is OK.
bool PlatformAskOkCancel(const std::string& Title, const std::string& Text);
// Asks through the current prompt while counting as one modal level.
TCheckBoxAnswer PlatformAskYesNoCheckBox(const TCheckBoxQuestion& Question);
TPromptAnswer PlatformAskYesCancel(const std::string& Title, const std::string& Text,
                                   TMsgDlgType DlgType);
bool PlatformChooseFileToOpen(std::string& FileName);

}  // namespace kromel
