#include "app/control_persistence.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <typeinfo>

#include "controls/scroll_bar_controls.h"
#include "foundation/debug_log.h"
#include "session/window_shell.h"
#include "widgets/glyph_scroll_bar_with_caption.h"
#include "widgets/vel_radio_group.h"
#include "widgets/vel_selectors.h"

namespace kromel {

namespace {

// The widget classes that stand for the persisted control classes; only
// exact classes count, never their subclasses.
template <class T>
bool IsExactly(const QWidget* W) {
  return typeid(*W) == typeid(T);
}

// The direct child widgets in creation order; a tab widget's children are
// its pages.
std::vector<QWidget*> ChildControls(QWidget* Container) {
  std::vector<QWidget*> Children;
  if (auto* Tabs = dynamic_cast<QTabWidget*>(Container)) {
    for (int I = 0; I < Tabs->count(); ++I) Children.push_back(Tabs->widget(I));
    return Children;
  }
  for (QObject* O : Container->children())
    if (auto* W = qobject_cast<QWidget*>(O); W && !W->isWindow()) Children.push_back(W);
  return Children;
}

// Tab widgets and their pages are entered; other containers are not.
bool IsEnteredContainer(QWidget* W) {
  if (IsExactly<QTabWidget>(W)) return true;
  QWidget* P = W->parentWidget();
  for (int Depth = 0; P != nullptr && Depth < 2; ++Depth, P = P->parentWidget())
    if (auto* Tabs = dynamic_cast<QTabWidget*>(P)) return IsExactly<QTabWidget>(Tabs) && Tabs->indexOf(W) >= 0;
  return false;
}

// The radio group of a plain group box: its exclusive buttons in order.
std::vector<QAbstractButton*> RadioButtons(QWidget* W) {
  std::vector<QAbstractButton*> B;
  for (QObject* O : W->children())
    if (auto* R = qobject_cast<QAbstractButton*>(O); R && R->autoExclusive()) B.push_back(R);
  return B;
}
bool IsRadioGroup(QWidget* W) { return W->property("RadioGroup").toBool(); }
int32_t RadioIndex(QWidget* W) {
  const auto B = RadioButtons(W);
  for (size_t I = 0; I < B.size(); ++I)
    if (B[I]->isChecked()) return int32_t(I);
  return 0;
}

bool OpenAppKey(TRegistry& R, const std::string& AppName) {
  return R.OpenKey("Software\\" + AppName + "\\", true);
}

void Report(const std::string& Text) { ErrorMessageProc(Text); }

void SaveLevel(TRegistry& R, QWidget* Container, const std::string& AppName) {
  const std::vector<QWidget*> Children = ChildControls(Container);
  for (size_t I = 0; I < Children.size(); ++I) {
    QWidget* W = Children[I];
    try {
      const std::string Name = ControlValueName(W->objectName().toStdString());
      if (IsExactly<TGlyphScrollBarWithCaption>(W))
        R.WriteFloat(Name, static_cast<TGlyphScrollBarWithCaption*>(W)->Bar().GetSPosition());
      else if (IsExactly<QComboBox>(W))
        R.WriteInteger(Name, std::max(0, static_cast<QComboBox*>(W)->currentIndex()));
      else if (IsExactly<QLineEdit>(W))
        R.WriteString(Name, static_cast<QLineEdit*>(W)->text().toStdString());
      else if (IsRadioGroup(W))
        R.WriteInteger(Name, RadioIndex(W));
      else if (IsExactly<QSlider>(W))
        R.WriteInteger(Name, static_cast<QSlider*>(W)->value());
      else if (IsExactly<TVelSettingsDirectorySelector>(W))
        R.WriteString(Name, static_cast<TVelSettingsDirectorySelector*>(W)->Directory());
      else if (IsExactly<TVelSettingsFileSelector>(W))
        R.WriteString(Name, static_cast<TVelSettingsFileSelector*>(W)->FileName());
      else if (IsExactly<QCheckBox>(W))
        R.WriteBool(Name, static_cast<QCheckBox*>(W)->isChecked());
      if (IsEnteredContainer(W)) SaveLevel(R, W, AppName);
    } catch (...) {
      Report(AppName + ": Exception in SaveControlsToRegistry Control=" + std::to_string(I));
    }
  }
}

void LoadLevel(TRegistry& R, QWidget* Container, const std::string& AppName) {
  for (QWidget* W : ChildControls(Container)) {
    const std::string Name = ControlValueName(W->objectName().toStdString());
    try {
      if (!Name.empty() && R.ValueExists(Name)) {
        if (IsExactly<TGlyphScrollBarWithCaption>(W))
          static_cast<TGlyphScrollBarWithCaption*>(W)->Bar().SetSPosition(float(R.ReadFloat(Name)));
        else if (auto* C = dynamic_cast<QComboBox*>(W); C && IsExactly<QComboBox>(W))
          C->setCurrentIndex(std::min(R.ReadInteger(Name), C->count() - 1));
        else if (IsExactly<QLineEdit>(W))
          static_cast<QLineEdit*>(W)->setText(QString::fromStdString(R.ReadString(Name)));
        else if (IsRadioGroup(W)) {
          const auto B = RadioButtons(W);
          if (!B.empty()) B[size_t(std::clamp(R.ReadInteger(Name), 0, int32_t(B.size()) - 1))]->setChecked(true);
        } else if (IsExactly<QSlider>(W))
          static_cast<QSlider*>(W)->setValue(R.ReadInteger(Name));
        else if (IsExactly<TVelSettingsDirectorySelector>(W))
          static_cast<TVelSettingsDirectorySelector*>(W)->SetDirectory(R.ReadString(Name));
        else if (IsExactly<TVelSettingsFileSelector>(W))
          static_cast<TVelSettingsFileSelector*>(W)->SetFileName(R.ReadString(Name));
        else if (IsExactly<QCheckBox>(W))
          static_cast<QCheckBox*>(W)->setChecked(R.ReadBool(Name));
      }
    } catch (...) {
      Report(AppName + ": Exception reading " + Name + " from registry");
    }
    if (IsEnteredContainer(W)) LoadLevel(R, W, AppName);
  }
}

}  // namespace

void SaveControlsToRegistry(QWidget* Container, const std::string& AppName, std::shared_ptr<TSettingsFile> File) {
  if (Container == nullptr) return;
  std::unique_ptr<TRegistry> R;
  try {
    R = File ? std::make_unique<TRegistry>(File) : std::make_unique<TRegistry>();
  } catch (...) {
    Report(AppName + ": Exception in SaveControlsToRegistry.RegCreate");
    return;
  }
  try {
    if (!OpenAppKey(*R, AppName)) {
      Report(AppName + ": Exception in SaveControlsToRegistry.RegOpenKey");
      return;
    }
    SaveLevel(*R, Container, AppName);
    R->CloseKey();
  } catch (...) {
    Report(AppName + ": Exception in SaveControlsToRegistry");
  }
}

void LoadControlsFromRegistry(QWidget* Container, const std::string& AppName, std::shared_ptr<TSettingsFile> File) {
  if (Container == nullptr) return;
  try {
    auto R = File ? std::make_unique<TRegistry>(File) : std::make_unique<TRegistry>();
    if (!OpenAppKey(*R, AppName)) return;
    LoadLevel(*R, Container, AppName);
    R->CloseKey();
  } catch (...) {
    Report(AppName + ": Exception in LoadControlsFromRegistry");
  }
}

TWindowPlacement PlacementOf(const QWidget& Form) {
  const QRect G = Form.geometry();
  TWindowPlacement P;
  P.Maximized = Form.isMaximized();
  P.Visible = Form.isVisible();
  P.Left = std::max(0, G.x());
  P.Top = G.y();
  P.Width = G.width();
  P.Height = G.height();
  return P;
}

void ApplyPlacement(QWidget& Form, const TWindowPlacement& Stored) {
  TStoredPlacement S;
  if (Stored.Width > 0 && Stored.Height > 0) {
    S.Left = Stored.Left;
    S.Top = Stored.Top;
    S.Width = Stored.Width;
    S.Height = Stored.Height;
  }
  const QScreen* Screen = Form.screen() ? Form.screen() : QGuiApplication::primaryScreen();
  const QRect Area = Screen ? Screen->availableGeometry() : QRect();
  const TWindowPlacement P = RestorePlacement(S, PlacementOf(Form), Area.width(), Area.height());
  Form.setGeometry(P.Left, P.Top, P.Width, P.Height);
}

void SaveWindowPlacement(TRegistry& Registry, QWidget& Form, const std::string& Prefix) {
  const TWindowPlacement P = PlacementOf(Form);
  Registry.WriteBool(Prefix + "WindowMaximized", P.Maximized);
  Registry.WriteBool(Prefix + "WindowVisible", P.Visible);
  Registry.WriteInteger(Prefix + "WindowLeft", P.Left);
  Registry.WriteInteger(Prefix + "WindowTop", P.Top);
  Registry.WriteInteger(Prefix + "WindowWidth", P.Width);
  Registry.WriteInteger(Prefix + "WindowHeight", P.Height);
}

bool LoadWindowPlacement(TRegistry& Registry, QWidget& Form, const std::string& Prefix) {
  const QScreen* Screen = Form.screen() ? Form.screen() : QGuiApplication::primaryScreen();
  const QRect Area = Screen ? Screen->availableGeometry() : QRect();
  TStoredPlacement S;
  auto Read = [&](const char* Name, std::optional<int32_t>& Out) {
    try {
      if (Registry.ValueExists(Prefix + Name)) Out = Registry.ReadInteger(Prefix + Name);
    } catch (...) {
    }
  };
  Read("WindowLeft", S.Left);
  Read("WindowTop", S.Top);
  Read("WindowWidth", S.Width);
  Read("WindowHeight", S.Height);
  const TWindowPlacement Now = PlacementOf(Form);
  // Centred only when no placement was ever stored (the main window's width).
  TStoredPlacement ForCentre = S;
  bool Ever = false;
  try {
    Ever = Registry.ValueExists("WindowWidth");
  } catch (...) {
  }
  if (!Ever) ForCentre.Width.reset();
  TWindowPlacement P = RestorePlacement(ForCentre, Now, Area.width(), Area.height());
  if (!Ever && S.Width) P.Width = std::min(*S.Width, Area.width() > 0 ? Area.width() : 1920);
  Form.setGeometry(P.Left, P.Top, P.Width, P.Height);
  return false;
}

}  // namespace kromel
