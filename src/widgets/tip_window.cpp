#include "widgets/tip_window.h"

#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "foundation/text_tokens.h"
#include "platform/message_sink.h"
#include "widgets/draw_helpers.h"
#include "widgets/glyph_switch.h"
#include "widgets/style_gui.h"

namespace kromel {

namespace {

constexpr int32_t LabelLeft = 15;
constexpr int32_t LabelTop = 15;
constexpr int32_t FadeInterval = 50;

int32_t LineCount(const std::string& Text) {
  return 1 + int32_t(std::count(Text.begin(), Text.end(), '\n'));
}

}  // namespace

TTriangleShape::TTriangleShape(QWidget* Parent) : TVelWidget(Parent) {}

void TTriangleShape::Paint(TImage32& Canvas) {
  Canvas.Fill(Color());
  const int32_t W = Canvas.Width, H = Canvas.Height;
  if (W < 1 || H < 3) return;
  const uint32_t Fill = ColorToBGRA(FillColor) | 0xFF000000u;
  // Up: apex at the top centre, base on row H - 2; otherwise the apex at
  // row H - 2 and the base on row 0.
  const bool Up = Direction == tdUp;
  const int32_t Base = Up ? H - 2 : 0, Apex = Up ? 0 : H - 2;
  const double Rows = double(std::abs(Base - Apex));
  for (int32_t Y = std::min(Base, Apex); Y <= std::max(Base, Apex); ++Y) {
    const double T = Rows > 0 ? double(std::abs(Y - Apex)) / Rows : 1.0;
    const double Half = T * W / 2.0;
    const int32_t L = int32_t(W / 2 - Half), R = int32_t(W / 2 + Half);
    FillRect32(Canvas, L, Y, R + 1, Y + 1, Fill);
  }
}

TTipPlacement PlaceTip(const QRect& Target, const QRect& Window, const QRect& Desktop) {
  TTipPlacement P;
  P.X = Window.x();
  P.Y = Window.y();
  if (Target.isEmpty()) return P;
  const int32_t WW = Window.width(), WH = Window.height();
  const int32_t DesktopRight = Desktop.x() + Desktop.width();
  const int32_t DesktopBottom = Desktop.y() + Desktop.height();
  int32_t Y = Target.y() + Target.height();
  int32_t X = Target.x() + Target.width() / 2 - WW / 2;
  if (Y + WH > DesktopBottom) {
    Y = Y - Target.height() - WH;
    if (Y + WH > DesktopBottom) Y = DesktopBottom - WH;
  }
  // Kept on the desktop at the top as well.
  Y = std::max(Y, int32_t(Desktop.y()));
  if (X + WW > DesktopRight) X = DesktopRight - WW;
  if (X < Desktop.x()) X = Desktop.x();
  P.X = X;
  P.Y = Y;
  const int32_t CX = Target.x() + Target.width() / 2 - X;
  int32_t CY = Target.y() + Target.height() / 2 - Y;
  CY = std::max(std::min(CY, WH - TipTriangleHeight - 2), 2);
  P.PointerShown = true;
  P.PointerLeft = CX - TipTriangleWidth / 2;
  P.PointerTop = CY;
  P.Direction = CY < 3 ? tdUp : tdDown;
  return P;
}

int32_t NotifierWidth(int32_t LabelWidth, int32_t MinWidth, int32_t MaxWidth) {
  const int32_t W = LabelWidth + 50;
  if (W < MinWidth) return MinWidth;
  if (W > MaxWidth) return MaxWidth;
  return W;
}

QRect DesktopRect() {
  QRect R;
  for (QScreen* S : QGuiApplication::screens()) R = R.united(S->geometry());
  return R;
}

TQuickStartTipWindow::TQuickStartTipWindow(QWidget* Parent)
    : TVelWidget(Parent) {
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  resize(500, 65);
  FSkinner = new TStyleGui(this);
  FSkinner->Loading = true;
  FSkinner->SetStyleType(stBlack);
  FSkinner->Loading = false;
  FSkinner->hide();

  FLabel = new QLabel(this);
  FLabel->move(LabelLeft, LabelTop);
  FLabel->setTextFormat(Qt::PlainText);
  FLabel->setMouseTracking(true);
  FLabel->installEventFilter(this);

  FTriangle = new TTriangleShape(this);
  FTriangle->resize(TipTriangleWidth, TipTriangleHeight);
  FTriangle->hide();

  FClose = new TGlyphSwitch(this, skButton);
  FClose->SetCaption("X");
  FClose->setGeometry(width() - 30, 10, 20, 20);
  FClose->OnClick = [this](QWidget*) { close(); };

  FTimer = new QTimer(this);
  FTimer->setInterval(FadeInterval);
  QObject::connect(FTimer, &QTimer::timeout, [this] { TimerTick(); });

  FSkinner->UpdateGui(this, false, SkinnerBackground);
  // The triangle keeps its own fill on the window's colour.
  FTriangle->SetColor(Color());
}

TQuickStartTipWindow::~TQuickStartTipWindow() { FTimer->stop(); }

bool TQuickStartTipWindow::FadeRunning() const { return FTimer->isActive(); }

void TQuickStartTipWindow::SetCaption(const std::string& Text) {
  try {
    FText = Text;
    FLabel->setText(QString::fromStdString(Text));
  } catch (...) {
    PlatformShowMessage("Exception in TQuickStartTipWindow.SetCaption");
  }
}

void TQuickStartTipWindow::ShowTip(int32_t Milliseconds) {
  resize(width(), LineCount(FText) * 15 + 50);
  PlaceNearControl();
  setWindowOpacity(1.0);
  show();
  raise();
  if (Milliseconds >= 1) {
    FadeTime = FadeRemaining = Milliseconds;
    FTimer->start();
  } else {
    FTimer->stop();
  }
}

void TQuickStartTipWindow::PlaceNearControl() {
  if (TargetControl != nullptr) {
    const QRect Target(TargetControl->mapToGlobal(QPoint(0, 0)), TargetControl->size());
    const TTipPlacement P = PlaceTip(Target, geometry(), DesktopRect());
    move(P.X, P.Y);
    FTriangle->Direction = P.Direction;
    FTriangle->move(P.PointerLeft, P.PointerTop);
    FTriangle->SetColor(Color());
    FTriangle->show();
    FTriangle->update();
  } else {
    FTriangle->hide();
  }
  FLabel->resize(width() - LabelLeft - 30, height() - LabelTop - 5);
  FLabel->setAlignment(FLabel->alignment() | Qt::AlignTop);
  FClose->setGeometry(width() - 30, 10, 20, 20);
}

void TQuickStartTipWindow::TimerTick() {
  FadeRemaining -= FadeInterval;
  const int32_t Blend = std::min(255, std::max(FadeRemaining, 0) * 255 / 1000);
  setWindowOpacity(Blend / 255.0);
  if (FadeRemaining <= 0) {
    FTimer->stop();
    hide();
  }
}

void TQuickStartTipWindow::RestartFade() {
  if (!FTimer->isActive()) return;
  FadeRemaining = FadeTime;
  setWindowOpacity(1.0);
}

void TQuickStartTipWindow::Paint(TImage32& Canvas) {
  // The box frame around the whole window.
  Canvas.Fill(Color());
  DrawFrame3D(Canvas, TRect{0, 0, Canvas.Width, Canvas.Height}, 0x808080, 0x808080);
}

void TQuickStartTipWindow::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  RestartFade();
  TVelWidget::MouseMove(Shift, X, Y);
}

void TQuickStartTipWindow::focusInEvent(QFocusEvent* Event) {
  RestartFade();
  TVelWidget::focusInEvent(Event);
}

bool TQuickStartTipWindow::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == FLabel && Event->type() == QEvent::MouseMove) RestartFade();
  return TVelWidget::eventFilter(Watched, Event);
}

TQuickStartTipWindow* ShowQuickStartTip(const std::string& Text, QWidget* Control) {
  auto* Tip = new TQuickStartTipWindow();
  Tip->setAttribute(Qt::WA_DeleteOnClose);
  Tip->SetCaption(Text);
  Tip->TargetControl = Control;
  Tip->ShowTip(0);
  return Tip;
}

TPopupNotifier::~TPopupNotifier() { delete FTip; }

void TPopupNotifier::Prepare(const std::string& Text) {
  if (FTip == nullptr) FTip = new TQuickStartTipWindow();
  FTip->Label()->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QFont F(QStringLiteral("Arial"));
  F.setPixelSize(20);
  FTip->Label()->setFont(F);
  FTip->SetCaption(Text);
}

void TPopupNotifier::Finish() {
  FTip->ShowTip(2000);
  if (OwnerForm != nullptr) OwnerForm->activateWindow();
}

void TPopupNotifier::Popup(int32_t X, int32_t Y, int32_t Width, const std::string& Text) {
  try {
    Prepare(Text);
    FTip->setGeometry(X, Y, Width, 30);
    Finish();
  } catch (...) {
    PlatformShowMessage("Exception in PopupNotifier.Popup");
  }
}

void TPopupNotifier::PopupAutoWidth(int32_t X, int32_t Y, int32_t MinWidth, int32_t MaxWidth,
                                    const std::string& Text) {
  try {
    Prepare(Text);
    FTip->Label()->resize(10, FTip->Label()->height());
    FTip->Label()->adjustSize();
    const int32_t W = NotifierWidth(FTip->Label()->width(), MinWidth, MaxWidth);
    FTip->setGeometry(X - W / 2, Y, W, 30);
    Finish();
  } catch (...) {
    PlatformShowMessage("Exception in PopupNotifier.Popup");
  }
}

}  // namespace kromel
