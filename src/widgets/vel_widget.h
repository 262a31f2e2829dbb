// The base of our own widgets: a QWidget that paints itself into a TImage32
// of its own size with the images drawing layer and blits that buffer through
// a QImage over its pixels (no copy per paint), and hands mouse, wheel, key
// and enter/leave events to virtual handlers in widget-set terms. The
// properties the skinner sets are virtual methods here, never looked up by
// name.
#pragma once
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "images/image32.h"
#include "platform/raw_bitmap.h"

namespace kromel {

enum TMouseButton : int32_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// Shift-state bits. Command (ssMeta) is the Ctrl key on this platform and
// Option (ssAlt) the Alt key; the Super key stands for the Mac's Control.
enum TShiftBit : uint32_t {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64,
  ssMeta = 128
};
using TShiftState = uint32_t;

// The shift state of Qt's modifiers and held buttons.
TShiftState ShiftStateOf(Qt::KeyboardModifiers Modifiers, Qt::MouseButtons Buttons);
// The widget-set virtual key of a Qt key (VK_LEFT 37 ...); 0 when none.
uint16_t VirtualKeyOf(int QtKey);

using TNotifyHandler = std::function<void(QWidget* Sender)>;
using TMouseHandler =
    std::function<void(QWidget* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TMouseMoveHandler = std::function<void(QWidget* Sender, TShiftState Shift, int32_t X, int32_t Y)>;

// A TColor (0x00BBGGRR) as a Qt colour and back.
QColor QColorOf(TColor Color);
TColor ColorOfQColor(const QColor& Color);

class TVelWidget : public QWidget {
public:
  explicit TVelWidget(QWidget* Parent = nullptr);
  ~TVelWidget() override;

  // The exact class name the skinner's rules compare.
  virtual std::string ClassName() const { return "TCustomControl"; }

  // Properties the skinner sets.
  TColor Color() const { return FColor; }
  virtual void SetColor(TColor Value);
  TColor FontColor() const { return FFontColor; }
  virtual void SetFontColor(TColor Value);
  // Whether the control publishes Color / FontLight to the skinner.
  virtual bool PublishesColor() const { return false; }
  virtual bool PublishesFontLight() const { return false; }
  bool FontLight() const { return FFontLight; }
  virtual void SetFontLight(bool Value);
  // The isolate flag of a control that has one; nothing otherwise.
  virtual void SetIsolate(bool Value) { (void)Value; }
  // Further properties the skinner's class rules set; controls without
  // them ignore the call.
  virtual void SetBevelColors(TColor Outer, TColor Inner) { (void)Outer, (void)Inner; }
  virtual void SetRulerColor(TColor Value) { (void)Value; }
  // Rebuilds child buttons from the items (a radio group).
  virtual void UpdateButtons() {}
  // The caption label box of a radio group or captioned scroll bar.
  virtual TVelWidget* CaptionLabel() { return nullptr; }
  // The scroll bar inside a captioned scroll bar.
  virtual TVelWidget* InnerScrollBar() { return nullptr; }

  // Published events; the default handlers below fire them.
  TMouseHandler OnMouseDown;
  TMouseMoveHandler OnMouseMove;
  TMouseHandler OnMouseUp;
  TNotifyHandler OnDblClick;
  TNotifyHandler OnMouseEnter;
  TNotifyHandler OnMouseLeave;

  // The hint shown below the control while the pointer rests on it.
  std::string Hint;

  // The control's picture of its current size (empty before the first paint).
  const TImage32& Buffer() const { return FBuffer; }
  // Paints into the buffer now, without the screen.
  void PaintToBuffer();

  // The value hint window: at most 300 pixels wide, right below the control.
  void ShowValueHint(const std::string& Text);
  void HideValueHint();

  // A mouse position given on the screen (as forwarded by a capture owner).
  void ForwardMouseMove(int32_t ScreenX, int32_t ScreenY);
  void ForwardLButtonUp(int32_t ScreenX, int32_t ScreenY);

protected:
  // Draws the control into Canvas (the widget's size). The default fills
  // it with Color.
  virtual void Paint(TImage32& Canvas);

  // Event handlers in client coordinates.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseMove(TShiftState Shift, int32_t X, int32_t Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  virtual void DblClick();
  // True when the wheel step was used. WheelDelta is 120 per notch.
  virtual bool MouseWheel(TShiftState Shift, int32_t WheelDelta, int32_t X, int32_t Y);
  // Setting Key to 0 marks it handled.
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void MouseEnter();
  virtual void MouseLeave();

  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void mouseReleaseEvent(QMouseEvent* Event) override;
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void wheelEvent(QWheelEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void keyReleaseEvent(QKeyEvent* Event) override;
  void enterEvent(QEnterEvent* Event) override;
  void leaveEvent(QEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;

private:
  TImage32 FBuffer;
  TColor FColor = 0xF0F0F0;
  TColor FFontColor = 0;
  bool FFontLight = false;
};

// A QImage that shares Image's pixels (B, G, R, A bytes as Format_RGB32 or
// ARGB32); valid while Image keeps them.
QImage QImageOver(const TImage32& Image, bool WithAlpha = false);
// A copy of a QImage as a new TImage32 (caller disposes).
void Image32FromQImage(const QImage& Source, TImage32& Target);

}  // namespace kromel
