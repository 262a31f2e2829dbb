// The non-modal message window that collects texts without blocking its
// caller, the message hook of the logging routines, and the sample dialog
// that shows float samples as a curve or as a spectrum.
#pragma once
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>

#include "foundation/message_hook.h"
#include "images/sample.h"
#include "widgets/graph_box.h"

namespace kromel {

// The message hook of the logging routines is foundation's CallMessageHook.

// True when the running program (its path) shows no message window.
bool NonModalMessagesSuppressed(const std::string& ProgramPath);

class TNonModalMessageForm : public QWidget {
public:
  TNonModalMessageForm();
  QPlainTextEdit Memo1;
  QPushButton CloseButton;
  // Hides the window and empties the memo.
  void CloseButtonClick();
};

// Adds Text as a new line of the message window (made on first use) and
// shows it without modality.
void ShowNonModalMessage(const std::string& Text);
// The window, nullptr before the first message.
TNonModalMessageForm* NonModalMessageForm();
// Frees the window (at program end).
void FreeNonModalMessageForm();

// The spectrum view: the analyser's data between two frequencies.
class TEQFrequencyPlot : public TVelWidget {
public:
  explicit TEQFrequencyPlot(QWidget* Parent = nullptr);
  float LowFrequency = 20;
  float HighFrequency = 20000;
  const TSample32* AnalyzerData = nullptr;
  bool ShowAnalyzer = false;
  float AnalyzerRate = 0;

protected:
  void Paint(TImage32& Canvas) override;
};

class TSampleModalDlg : public QDialog {
public:
  explicit TSampleModalDlg(QWidget* Owner);
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  TGraphBox* GraphBox1;
  TEQFrequencyPlot* EQFrequencyPlot1;
};

// The dialog (made on first use, owned by Owner), nullptr before.
TSampleModalDlg* SampleModalDlg();
// Prepares the curve view of Samples (not copied); does not show the dialog.
void ShowSampleModalGraph(const TSample32* Samples, QWidget* Owner, bool Bipolar);
// Shows Samples as a spectrum between two frequencies, modally.
void ShowSampleModalSpectrum(const TSample32* Samples, QWidget* Owner, bool Flag, int32_t LowFrequency,
                             int32_t HighFrequency, float Rate);

}  // namespace kromel
