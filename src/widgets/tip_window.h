// The quick-start tip: a borderless, always-on-top window with a short text,
// optionally pointing at a control with a triangle, fading out by itself;
// and the popup notifier that shows short confirmations in it.
#pragma once
#include <QRect>
#include <memory>
#include <string>

#include "widgets/vel_widget.h"

class QLabel;
class QTimer;

namespace kromel {

class TGlyphSwitch;
class TStyleGui;

enum TTriangleDirection : int32_t { tdOff, tdUp, tdDown, tdLeft, tdRight };

class TTriangleShape : public TVelWidget {
public:
  explicit TTriangleShape(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TTriangleShape"; }
  TTriangleDirection Direction = tdDown;
  TColor FillColor = 0x404040;

protected:
  void Paint(TImage32& Canvas) override;
};

// Where a tip window goes, in screen coordinates, and where its pointer sits
// in its client area.
struct TTipPlacement {
  int32_t X = 0, Y = 0;
  bool PointerShown = false;
  int32_t PointerLeft = 0, PointerTop = 0;
  TTriangleDirection Direction = tdOff;
};

constexpr int32_t TipTriangleHeight = 15;
constexpr int32_t TipTriangleWidth = 30;

// The placement of a Window-sized tip for a target at Target (screen
// rectangle; an empty one means no target, and the window stays at
// Window's place) within Desktop: below the target and centred on it,
// above it when there is no room below, kept inside the desktop.
TTipPlacement PlaceTip(const QRect& Target, const QRect& Window, const QRect& Desktop);
// The notifier's auto width: LabelWidth + 50 held to MinWidth..MaxWidth.
int32_t NotifierWidth(int32_t LabelWidth, int32_t MinWidth, int32_t MaxWidth);
// All monitors together.
QRect DesktopRect();

class TQuickStartTipWindow : public TVelWidget {
public:
  explicit TQuickStartTipWindow(QWidget* Parent = nullptr);
  ~TQuickStartTipWindow() override;
  std::string ClassName() const override { return "TQuickStartTipWindow"; }

  QWidget* TargetControl = nullptr;
  int32_t FadeTime = 0;
  int32_t FadeRemaining = 0;

  void SetCaption(const std::string& Text);
  const std::string& TipText() const { return FText; }
  // Sizes the window to the text, places it and shows it; fades out over
  // Milliseconds (0: stays until closed).
  void ShowTip(int32_t Milliseconds);
  void PlaceNearControl();
  // One fade step of the 50 ms clock.
  void TimerTick();
  // Moving over or entering the tip restarts a running fade.
  void RestartFade();

  QLabel* Label() const { return FLabel; }
  TTriangleShape* Triangle() const { return FTriangle; }
  TGlyphSwitch* CloseSwitch() const { return FClose; }
  bool FadeRunning() const;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void focusInEvent(QFocusEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  std::string FText;
  QLabel* FLabel = nullptr;
  TTriangleShape* FTriangle = nullptr;
  TGlyphSwitch* FClose = nullptr;
  TStyleGui* FSkinner = nullptr;
  QTimer* FTimer = nullptr;
};

// A tip pointing at Control, kept until closed; the window frees itself.
TQuickStartTipWindow* ShowQuickStartTip(const std::string& Text, QWidget* Control);

class TPopupNotifier {
public:
  explicit TPopupNotifier(QWidget* OwnerForm) : OwnerForm(OwnerForm) {}
  ~TPopupNotifier();

  QWidget* OwnerForm;
  // Created on first use and reused.
  TQuickStartTipWindow* TipWindow() const { return FTip; }

  void Popup(int32_t X, int32_t Y, int32_t Width, const std::string& Text);
  // Width from the text, held to MinWidth..MaxWidth, centred on X.
  void PopupAutoWidth(int32_t X, int32_t Y, int32_t MinWidth, int32_t MaxWidth, const std::string& Text);

private:
  void Prepare(const std::string& Text);
  void Finish();
  TQuickStartTipWindow* FTip = nullptr;
};

}  // namespace kromel
