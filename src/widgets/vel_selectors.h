// The folder and file selectors: a one-line label with a "..." browse
// button at its right. A click on the folder selector's label swaps it for
// an edit box to type a folder into.
#pragma once
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "widgets/vel_widget.h"

namespace kromel {

// The file selector's label: the name part of FileName cut to Width div 8
// bytes (at a character boundary) plus "...", or "<Empty>".
std::string FileSelectorLabel(const std::string& FileName, int32_t Width);
// The folder selector's label colour: the font colour, or 0xC0C0C0 when
// both the colour and the font colour are black.
TColor SelectorLabelColor(TColor Color, TColor FontColor);

class TVelSettingsDirectorySelector : public TVelWidget {
public:
  explicit TVelSettingsDirectorySelector(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TVelSettingsDirectorySelector"; }

  const std::string& Directory() const { return FDirectory; }
  void SetDirectory(const std::string& Value);
  bool ChooseApplication = false;
  TNotifyHandler OnChange;

  QLabel& Label() { return *FLabel; }
  QLineEdit& Edit() { return *FEdit; }
  QPushButton& BrowseButton() { return *FButton; }
  // Number of refusals of a typed folder (each also beeps).
  int32_t BeepCount = 0;

  // The label click: shows the edit with the folder in it.
  void StartEdit();
  // Leaves the edit: an existing typed folder becomes Directory.
  void EndEdit();

  void SetColor(TColor Value) override;
  void SetFontColor(TColor Value) override;

protected:
  void resizeEvent(QResizeEvent* Event) override;
  void changeEvent(QEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void Browse();
  void ApplyLabelColor();
  void ShowDirectory();
  std::string FDirectory;
  QLabel* FLabel;
  QLineEdit* FEdit;
  QPushButton* FButton;
};

class TVelSettingsFileSelector : public TVelWidget {
public:
  explicit TVelSettingsFileSelector(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TVelSettingsFileSelector"; }

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value);
  // The open dialog's filter ("|"-separated description and mask pairs).
  std::string Mask;
  TNotifyHandler OnChange;

  QLabel& Label() { return *FLabel; }
  QPushButton& BrowseButton() { return *FButton; }
  // Rebuilds the label when a size or name change made it stale.
  void UpdateLabel();

protected:
  void Paint(TImage32& Canvas) override;
  void resizeEvent(QResizeEvent* Event) override;
  void changeEvent(QEvent* Event) override;

private:
  void Browse();
  std::string FFileName;
  QLabel* FLabel;
  QPushButton* FButton;
  bool FLabelValid = false;
};

}  // namespace kromel
