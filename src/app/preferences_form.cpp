#include "app/preferences_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <variant>
#include <vector>

#include "platform/translate.h"

namespace kromel {

namespace {

using TMember = std::variant<int32_t TPreferences::*, bool TPreferences::*, std::string TPreferences::*>;

struct TPreferenceControl {
  int32_t Tab;
  const char* Name;     // the control's name
  const char* Caption;  // English, translated when shown
  TMember Member;
  std::vector<std::string> Items;  // a combo box's items; none: check box, edit or slider
  int32_t Max = 0;                 // a slider's top (integer without items)
};

const char* const TabCaptions[] = {"General", "3DLUT", "Color chart", "RAW"};

const std::vector<TPreferenceControl>& Table() {
  static const std::vector<TPreferenceControl> T = {
      {0, "LanguageComboBox", "Language", &TPreferences::Language,
       {"Auto", "English", "Spanish", "Russian", "French", "Simplified Chinese", "Traditional Chinese"}},
      {0, "BackgroundColorComboBox", "Preview background", &TPreferences::BackgroundColor,
       {"Black", "Gray 20%", "Gray 40%", "Gray 50%", "Gray 60%", "Gray 80%", "White"}},
      {0, "ConfirmExitCheckBox", "Confirm exit", &TPreferences::ConfirmExit, {}},
      {0, "WarnAboutLogLoadingCheckBox", "Warn about LOG decoding when loading images",
       &TPreferences::WarnAboutLogLoading, {}},
      {0, "OpenCLEnableCheckBox", "Use OpenCL", &TPreferences::OpenCLEnable, {}},
      {0, "SaveBackupFilesCheckBox", "Save backup files", &TPreferences::SaveBackupFiles, {}},
      {0, "AddPlusSymbolToImageFilenamesCheckBox", "Add \"+\" to processed image file names",
       &TPreferences::AddPlusSymbolToImageFilenames, {}},
      {1, "LUTSizeComboBox", "Working 3DLUT size", &TPreferences::LUTSize, LUTSizeItems},
      {1, "DefaultGridSizeComboBox", "Default A/B grid", &TPreferences::DefaultGridSize, DefaultGridSizeItems},
      {1, "AlwaysSave64CheckBox", "Always save 3DLUT with size 64", &TPreferences::AlwaysSave64, {}},
      {1, "DontSavePresetsToLUTsCheckBox", "Don't save presets into LUT files",
       &TPreferences::DontSavePresetsToLUTs, {}},
      {1, "SaveAlphaChannelCheckBox", "Save alpha channel", &TPreferences::SaveAlphaChannel, {}},
      {1, "JPEGQualityComboBox", "JPEG quality", &TPreferences::JPEGQuality, {"50", "75", "95", "100"}},
      {1, "CMSIntentComboBox", "Rendering intent", &TPreferences::CMSIntent,
       {"Perceptual", "Relative colorimetric", "Saturation", "Absolute colorimetric"}},
      {1, "LutSaveDirectory", "Folder for saved LUTs", &TPreferences::LutSaveDirectory, {}},
      {2, "ChartTetrahedralizationCheckBox", "Tetrahedral chart matching",
       &TPreferences::ChartTetrahedralization, {}},
      {2, "ChartIgnoreLowSaturatedPatchesCheckBox", "Ignore low saturated patches",
       &TPreferences::ChartIgnoreLowSaturatedPatches, {}},
      {2, "ChartBlackWhiteInterpolationCheckBox", "Interpolate black and white",
       &TPreferences::ChartBlackWhiteInterpolation, {}},
      {2, "LUTExtrapolationLimitTrackBar", "LUT extrapolation limit", &TPreferences::LUTExtrapolationLimit, {}, 10},
      {3, "LoadWhiteBalanceFromRawCheckBox", "White balance from the RAW file",
       &TPreferences::LoadWhiteBalanceFromRaw, {}},
      {3, "LoadColorMatrixFromRawCheckBox", "Color matrix from the RAW file",
       &TPreferences::LoadColorMatrixFromRaw, {}},
      {3, "LibrawUniWBCheckBox", "Uni white balance", &TPreferences::LibrawUniWB, {}},
      {3, "OpenEXRinSRGBCheckBox", "OpenEXR images in sRGB", &TPreferences::OpenEXRinSRGB, {}},
  };
  return T;
}

}  // namespace

TKromelPreferencesForm::TKromelPreferencesForm(QWidget* Parent) : QDialog(Parent) {
  setObjectName("KromelPreferencesForm");
  setWindowTitle(QString::fromStdString(_("Preferences")));
  auto* Layout = new QVBoxLayout(this);
  auto* Tabs = new QTabWidget(this);
  Tabs->setObjectName("PageControl1");
  std::vector<QFormLayout*> Forms;
  for (const char* Caption : TabCaptions) {
    auto* Page = new QWidget();
    Page->setObjectName(QString("TabSheet%1").arg(Forms.size() + 1));
    auto* Form = new QFormLayout(Page);
    Tabs->addTab(Page, QString::fromStdString(_(Caption)));
    Forms.push_back(Form);
  }
  for (const TPreferenceControl& C : Table()) {
    QWidget* Page = Tabs->widget(C.Tab);
    const QString Caption = QString::fromStdString(_(C.Caption));
    QWidget* W = nullptr;
    if (!C.Items.empty()) {
      auto* Box = new QComboBox(Page);
      for (const std::string& I : C.Items) Box->addItem(QString::fromStdString(_(I.c_str())));
      W = Box;
    } else if (std::holds_alternative<bool TPreferences::*>(C.Member)) {
      W = new QCheckBox(Caption, Page);
    } else if (std::holds_alternative<std::string TPreferences::*>(C.Member)) {
      W = new QLineEdit(Page);
    } else {
      auto* Slider = new QSlider(Qt::Horizontal, Page);
      Slider->setRange(0, C.Max);
      W = Slider;
    }
    W->setObjectName(C.Name);
    if (qobject_cast<QCheckBox*>(W))
      Forms[size_t(C.Tab)]->addRow(W);
    else
      Forms[size_t(C.Tab)]->addRow(Caption, W);
  }
  Layout->addWidget(Tabs);
  auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  QObject::connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  QObject::connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  Layout->addWidget(Buttons);
}

QWidget* TKromelPreferencesForm::Control(const std::string& ControlName) const {
  return findChild<QWidget*>(QString::fromStdString(ControlName));
}

void TKromelPreferencesForm::FromPreferences(const TPreferences& P) {
  for (const TPreferenceControl& C : Table()) {
    QWidget* W = Control(C.Name);
    if (auto* Box = qobject_cast<QComboBox*>(W)) {
      int32_t Index = P.*std::get<int32_t TPreferences::*>(C.Member);
      // No language chosen is "Auto".
      if (Index < 0 && std::string(C.Name) == "LanguageComboBox") Index = 0;
      Box->setCurrentIndex(Index);
    }
    else if (auto* Check = qobject_cast<QCheckBox*>(W)) {
      Check->setChecked(P.*std::get<bool TPreferences::*>(C.Member));
      // "/LUTSIZE:" renames the export size box.
      if (std::string(C.Name) == "AlwaysSave64CheckBox")
        Check->setText(QString::fromStdString(_(P.AlwaysSave64Caption.c_str())));
    } else if (auto* Edit = qobject_cast<QLineEdit*>(W))
      Edit->setText(QString::fromStdString(P.*std::get<std::string TPreferences::*>(C.Member)));
    else if (auto* Slider = qobject_cast<QSlider*>(W))
      Slider->setValue(P.*std::get<int32_t TPreferences::*>(C.Member));
  }
}

void TKromelPreferencesForm::ToPreferences(TPreferences& P) const {
  for (const TPreferenceControl& C : Table()) {
    QWidget* W = Control(C.Name);
    if (auto* Box = qobject_cast<QComboBox*>(W))
      P.*std::get<int32_t TPreferences::*>(C.Member) = Box->currentIndex();
    else if (auto* Check = qobject_cast<QCheckBox*>(W))
      P.*std::get<bool TPreferences::*>(C.Member) = Check->isChecked();
    else if (auto* Edit = qobject_cast<QLineEdit*>(W))
      P.*std::get<std::string TPreferences::*>(C.Member) = Edit->text().toStdString();
    else if (auto* Slider = qobject_cast<QSlider*>(W))
      P.*std::get<int32_t TPreferences::*>(C.Member) = Slider->value();
  }
}

}  // namespace kromel
