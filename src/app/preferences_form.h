// The Preferences window: the values of the session's preferences record in
// named controls on four tabs. The control names are those the settings
// store uses once the class words are dropped ("ConfirmExitCheckBox" is
// stored as "ConfirmExit").
#pragma once
#include <QDialog>
#include <string>

#include "session/session_settings.h"

namespace kromel {

class TKromelPreferencesForm : public QDialog {
public:
  explicit TKromelPreferencesForm(QWidget* Parent = nullptr);

  // The controls show P.
  void FromPreferences(const TPreferences& P);
  // P takes the controls' values.
  void ToPreferences(TPreferences& P) const;
  // The control of a stored value name's control (for tests and callers).
  QWidget* Control(const std::string& ControlName) const;
};

}  // namespace kromel
