#include "widgets/vel_selectors.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <filesystem>

#include "fileio/file_dialogs.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "widgets/qt_dialogs.h"

namespace kromel {

std::string FileSelectorLabel(const std::string& FileName, int32_t Width) {
  if (FileName.empty()) return "<Empty>";
  const size_t Slash = FileName.find_last_of('/');
  std::string Name = Slash == std::string::npos ? FileName : FileName.substr(Slash + 1);
  const size_t Keep = size_t(std::max(Width / 8, 0));
  if (Name.size() > Keep) {
    size_t Cut = Keep;
    // Never end inside a UTF-8 sequence.
    while (Cut > 0 && (static_cast<unsigned char>(Name[Cut]) & 0xC0) == 0x80) --Cut;
    Name = Name.substr(0, Cut) + "...";
  }
  return Name;
}

TColor SelectorLabelColor(TColor Color, TColor FontColor) {
  return Color == 0 && FontColor == 0 ? 0xC0C0C0 : FontColor;
}

namespace {

void SetLabelColors(QLabel* L, TColor Back, TColor Text) {
  QPalette P = L->palette();
  P.setColor(QPalette::WindowText, QColorOf(Text));
  P.setColor(QPalette::Window, QColorOf(Back));
  L->setPalette(P);
}

}  // namespace

// ---------------------------------------------------------------------------
// TVelSettingsDirectorySelector

TVelSettingsDirectorySelector::TVelSettingsDirectorySelector(QWidget* Parent)
    : TVelWidget(Parent), FLabel(new QLabel(this)), FEdit(new QLineEdit(this)),
      FButton(new QPushButton("...", this)) {
  FLabel->setText(QString::fromStdString(_("<not selected>")));
  FLabel->setAutoFillBackground(true);
  FLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  FLabel->installEventFilter(this);
  FEdit->hide();
  FEdit->installEventFilter(this);
  setFocusPolicy(Qt::StrongFocus);
  QObject::connect(FButton, &QPushButton::clicked, this, [this] { Browse(); });
  ApplyLabelColor();
}

void TVelSettingsDirectorySelector::resizeEvent(QResizeEvent* E) {
  const int32_t W = width(), H = height();
  FLabel->setGeometry(0, std::max(H / 2 - 7, 0), std::max(1, W - 30), H);
  FEdit->setGeometry(0, 1, std::max(1, W - 30), std::max(1, H - 2));
  FButton->setGeometry(W - 24, 0, 22, std::max(1, H - 1));
  ApplyLabelColor();
  ShowDirectory();
  TVelWidget::resizeEvent(E);
}

void TVelSettingsDirectorySelector::ApplyLabelColor() {
  SetLabelColors(FLabel, Color(), SelectorLabelColor(Color(), FontColor()));
}

void TVelSettingsDirectorySelector::SetColor(TColor Value) {
  TVelWidget::SetColor(Value);
  ApplyLabelColor();
}

void TVelSettingsDirectorySelector::SetFontColor(TColor Value) {
  TVelWidget::SetFontColor(Value);
  ApplyLabelColor();
}

void TVelSettingsDirectorySelector::ShowDirectory() {
  if (FDirectory.empty()) {
    FLabel->setText("<Empty>");
    return;
  }
  const QString Full = QString::fromStdString(FDirectory);
  FLabel->setText(FLabel->fontMetrics().elidedText(Full, Qt::ElideMiddle, std::max(1, FLabel->width())));
  FLabel->setToolTip(Full);
}

void TVelSettingsDirectorySelector::SetDirectory(const std::string& Value) {
  ApplyLabelColor();
  if (Value == FDirectory) return;
  FDirectory = Value;
  ShowDirectory();
  if (OnChange) OnChange(this);
}

void TVelSettingsDirectorySelector::changeEvent(QEvent* E) {
  if (E->type() == QEvent::EnabledChange) {
    FLabel->setEnabled(isEnabled());
    FButton->setEnabled(isEnabled());
  }
  TVelWidget::changeEvent(E);
}

void TVelSettingsDirectorySelector::StartEdit() {
  FEdit->setText(QString::fromStdString(FDirectory));
  FEdit->show();
  FLabel->hide();
  FEdit->setFocus(Qt::OtherFocusReason);
}

void TVelSettingsDirectorySelector::EndEdit() {
  if (!FEdit->isVisible() && FLabel->isVisible()) return;
  FEdit->hide();
  FLabel->show();
  const std::string Typed = FEdit->text().toStdString();
  std::error_code Ec;
  if (!Typed.empty() && std::filesystem::is_directory(Typed, Ec)) {
    SetDirectory(Typed);
  } else {
    ++BeepCount;
    QApplication::beep();
  }
}

bool TVelSettingsDirectorySelector::eventFilter(QObject* Watched, QEvent* E) {
  if (Watched == FLabel && E->type() == QEvent::MouseButtonRelease && isEnabled()) {
    StartEdit();
    return true;
  }
  if (Watched == FEdit && E->type() == QEvent::KeyPress) {
    const int K = static_cast<QKeyEvent*>(E)->key();
    if (K == Qt::Key_Escape) FEdit->setText(QString::fromStdString(FDirectory));
    if (K == Qt::Key_Return || K == Qt::Key_Enter || K == Qt::Key_Escape) {
      setFocus(Qt::OtherFocusReason);
      EndEdit();
      return true;
    }
  }
  if (Watched == FEdit && E->type() == QEvent::FocusOut && FEdit->isVisible()) EndEdit();
  return TVelWidget::eventFilter(Watched, E);
}

void TVelSettingsDirectorySelector::Browse() {
  if (ChooseApplication) {
    const std::string F = NewOpenFileDialog("Applications|*.app|*.*|*.*", FDirectory);
    if (!F.empty()) SetDirectory(F);
    return;
  }
  std::string D;
  if (SelectDirectory("", D)) SetDirectory(D);
}

// ---------------------------------------------------------------------------
// TVelSettingsFileSelector

TVelSettingsFileSelector::TVelSettingsFileSelector(QWidget* Parent)
    : TVelWidget(Parent), FLabel(new QLabel("<not selected>", this)), FButton(new QPushButton("...", this)) {
  FLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  FLabel->setAutoFillBackground(true);
  QObject::connect(FButton, &QPushButton::clicked, this, [this] { Browse(); });
}

void TVelSettingsFileSelector::resizeEvent(QResizeEvent* E) {
  const int32_t W = width(), H = height();
  FLabel->setGeometry(0, std::max(H / 2 - 8, 0), std::max(1, W - 30), std::max(1, H));
  FButton->setGeometry(W - 24, 0, 22, std::max(1, H - 2));
  FLabelValid = false;
  update();
  TVelWidget::resizeEvent(E);
}

void TVelSettingsFileSelector::SetFileName(const std::string& Value) {
  FFileName = Value;
  FLabelValid = false;
  update();
  if (OnChange) OnChange(this);
}

void TVelSettingsFileSelector::UpdateLabel() {
  try {
    FLabel->setText(QString::fromStdString(FileSelectorLabel(FFileName, width())));
    SetLabelColors(FLabel, Color(), FontColor());
    FLabelValid = true;
  } catch (...) {
    PlatformShowMessage("Exception in FileSelector.UpdateLabel");
  }
}

void TVelSettingsFileSelector::Paint(TImage32& Canvas) {
  if (!FLabelValid) UpdateLabel();
  TVelWidget::Paint(Canvas);
}

void TVelSettingsFileSelector::changeEvent(QEvent* E) {
  if (E->type() == QEvent::EnabledChange) {
    FLabel->setEnabled(isEnabled());
    FButton->setEnabled(isEnabled());
  }
  TVelWidget::changeEvent(E);
}

void TVelSettingsFileSelector::Browse() {
  const size_t Cut = FFileName.find_last_of("/:");
  const std::string Folder = Cut == std::string::npos ? std::string() : FFileName.substr(0, Cut + 1);
  const std::string F = NewOpenFileDialog(Mask, Folder);
  if (!F.empty()) SetFileName(F);
}

}  // namespace kromel
