#include "platform/qt/qt_platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>

#include "platform/main_thread.h"
#include "platform/ui_state.h"

namespace kromel {

namespace {

TQtMessageSink& QtSink() {
  static TQtMessageSink S;
  return S;
}

TQtPrompt& QtPrompt() {
  static TQtPrompt P;
  return P;
}

QString Q(const std::string& S) { return QString::fromUtf8(S.data(), qsizetype(S.size())); }

// Runs Fn on the main thread (at once when already there) and returns its value.
template <class T, class F>
T OnMain(F Fn) {
  T Result{};
  RunOnMainThreadBlocking([&] { Result = Fn(); });
  return Result;
}

QMessageBox::Icon IconOf(TMsgDlgType Type) {
  switch (Type) {
    case TMsgDlgType::Warning: return QMessageBox::Warning;
    case TMsgDlgType::Error: return QMessageBox::Critical;
    case TMsgDlgType::Information: return QMessageBox::Information;
    case TMsgDlgType::Confirmation: return QMessageBox::Question;
    case TMsgDlgType::Custom: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

TQtPlatformOptions DefaultQtPlatformOptions() {
  TQtPlatformOptions O;
  const QString Name = QGuiApplication::platformName();
  O.ModalDialogs = Name != QLatin1String("offscreen") && Name != QLatin1String("minimal");
  return O;
}

void InstallQtPlatform(const TQtPlatformOptions& Options) {
  // Any thread may queue a call; the queued invocation drains on the loop.
  SetMainThreadWakeup([] {
    if (QCoreApplication* App = QCoreApplication::instance())
      QMetaObject::invokeMethod(App, [] { DrainMainThreadCalls(); }, Qt::QueuedConnection);
  });
  SetKeyStateQuery(&QtKeyState);
  if (Options.ModalDialogs) {
    SetMessageSink(&QtSink());
    SetPrompt(&QtPrompt());
  }
  // Calls queued before the loop existed.
  DrainMainThreadCalls();
}

void UninstallQtPlatform() {
  SetMainThreadWakeup({});
  SetKeyStateQuery({});
  if (&MessageSink() == &QtSink()) SetMessageSink(nullptr);
  if (&Prompt() == &QtPrompt()) SetPrompt(nullptr);
}

int16_t QtKeyState(int32_t VirtualKey) {
  if (QGuiApplication::instance() == nullptr) return 0;
  const Qt::KeyboardModifiers M = QGuiApplication::queryKeyboardModifiers();
  constexpr int16_t Down = int16_t(0x8000);
  switch (VirtualKey) {
    case 16: return (M & Qt::ShiftModifier) ? Down : 0;
    case 17:
    case 91:
    case 92: return (M & Qt::ControlModifier) ? Down : 0;
    case 18: return (M & Qt::AltModifier) ? int16_t(Down | 0x80) : 0;
    default: return 0;
  }
}

void TQtMessageSink::ShowMessage(const std::string& Text) {
  RunOnMainThreadBlocking([&] {
    TModalScope Modal;
    QMessageBox Box(QMessageBox::NoIcon, QApplication::applicationName(), Q(Text),
                    QMessageBox::Ok, QApplication::activeWindow());
    Box.exec();
  });
}

TPromptAnswer TQtPrompt::AskOkCancel(const std::string& Title, const std::string& Text) {
  return OnMain<TPromptAnswer>([&] {
    QMessageBox Box(QMessageBox::Question, Q(Title), Q(Text),
                    QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
    const int R = Box.exec();
    if (R == QMessageBox::Ok) return TPromptAnswer::OK;
    if (R == QMessageBox::Cancel) return TPromptAnswer::Cancel;
    return TPromptAnswer::Closed;
  });
}

TCheckBoxAnswer TQtPrompt::AskYesNoCheckBox(const TCheckBoxQuestion& Question) {
  return OnMain<TCheckBoxAnswer>([&] {
    QMessageBox Box(IconOf(Question.DlgType), Q(Question.Title), Q(Question.Text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    auto* Check = new QCheckBox(Q(Question.CheckBoxCaption));
    Box.setCheckBox(Check);
    TCheckBoxAnswer A;
    const int R = Box.exec();
    A.Button = R == QMessageBox::Yes  ? TPromptAnswer::Yes
               : R == QMessageBox::No ? TPromptAnswer::No
                                      : TPromptAnswer::Closed;
    A.Checked = Check->isChecked();
    return A;
  });
}

TPromptAnswer TQtPrompt::AskYesCancel(const std::string& Title, const std::string& Text,
                                      TMsgDlgType DlgType) {
  return OnMain<TPromptAnswer>([&] {
    QMessageBox Box(IconOf(DlgType), Q(Title), Q(Text), QMessageBox::Yes | QMessageBox::Cancel,
                    QApplication::activeWindow());
    const int R = Box.exec();
    if (R == QMessageBox::Yes) return TPromptAnswer::Yes;
    if (R == QMessageBox::Cancel) return TPromptAnswer::Cancel;
    return TPromptAnswer::Closed;
  });
}

bool TQtPrompt::ChooseFileToOpen(std::string& FileName) {
  std::string Picked;
  const bool OK = OnMain<bool>([&] {
    const QString F = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), Q(FileName));
    if (F.isEmpty()) return false;
    Picked = F.toStdString();
    return true;
  });
  if (OK) FileName = Picked;
  return OK;
}

}  // namespace kromel
