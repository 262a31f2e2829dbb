// The curve editor without widgets: up to four curves in slots (own curves
// or bound curve parameters), the mapping between curve units and pixels,
// hit tests, mouse, wheel and keyboard editing, the two value edits, the six
// curve operations and the drawing. The widget feeds it its size, focus,
// mouse and keys, mirrors the value edits and blits what DrawGraph draws.
//
// Every edit keeps the current curve's dots in strictly ascending X inside
// 0..16384, its Y inside the curve's range and its count at most
// EnvelopeMaxDots. Painting never changes a curve.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/editor_input.h"
#include "params/envelope_dots.h"
#include "platform/raw_bitmap.h"

namespace kromel {

class TCanvas;
class TControlledParameterCurve;

enum class TCurveOperation : int32_t { Reset = 0, Invert, Reverse, FadeIn, FadeOut, Double };

// An operation button: its place in client pixels and its caption.
struct TCurveButton {
  TCurveOperation Operation;
  std::string Caption;
  int32_t Left, Top, Width, Height;
};

// One of the two value edits, in 0..255 units.
struct TCurveValueEdit {
  std::string Text;
  bool Visible = false;
  bool Enabled = false;
};

class TCurveEditor : public TEnvelopeGraphControl {
public:
  static constexpr int32_t Slots = 4;
  // The column the operation buttons take left of the graph.
  static constexpr int32_t ButtonColumn = 56;

  TCurveEditor();
  // Detaches from the bound parameters (they outlive the editor).
  ~TCurveEditor() override;
  TCurveEditor(const TCurveEditor&) = delete;
  TCurveEditor& operator=(const TCurveEditor&) = delete;

  // ---- properties
  TColor Color = 0xF0F0F0;
  TColor RulerColor = 0x00FF00;
  TColor FrameColor = 0;
  bool ShowDiagonal = true;
  bool BoldLines = true;
  bool ShowCurveValues = true;
  bool ShowValues = false;
  int32_t NumberOfEnvelopes = 1;
  // The widget has the focus (itself or one of the value edits).
  bool Focused = false;
  // Visible, enabled and able to take the focus: mouse moves only act then.
  bool Active = true;
  // Drawn into the graph area in place of the plain fill (32-bit or 24-bit).
  TRawBitmap Background;

  int32_t Margin() const { return FMargin; }
  void SetMargin(int32_t Value);
  int32_t NumberOfButtons() const { return FNumberOfButtons; }
  void SetNumberOfButtons(int32_t Value);
  bool Bipolar() const;
  // Sets AllowNegative on the four slots and the current curve, resets the
  // current curve (firing OnChange) and rebuilds the buttons.
  void SetBipolar(bool Value);
  int32_t CurrentEnvelope() const { return FCurrentEnvelope; }
  void SetCurrentEnvelope(int32_t Value);
  TColor LineColor();
  void SetLineColor(TColor Value);
  bool Isolate() const { return FIsolate; }
  void SetIsolate(bool Value);

  // ---- layout and mapping
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  void SetSize(int32_t Width, int32_t Height);
  int32_t GraphLeft = 0, GraphTop = 0, GraphWidth = 0, GraphHeight = 0;
  // 32768 unipolar, 65536 bipolar.
  int32_t Scale() const;
  // Row offset of the zero line: GraphHeight, or half of it when bipolar.
  int32_t Base() const;
  int32_t CurveToPixelX(int32_t X) const;
  // The hit-test row of a value; the curve is drawn one row lower.
  int32_t CurveToPixelY(int32_t Y) const;
  int32_t PixelToCurveX(int32_t X) const;
  int32_t PixelToCurveY(int32_t Y) const;
  // The buttons the current NumberOfButtons and Bipolar show.
  const std::vector<TCurveButton>& Buttons() const { return FButtons; }

  // ---- curves and binding
  TEnvelopeDots* CurrentDots = nullptr;
  TEnvelopeDots* GetEnvelope(int32_t Index);
  TEnvelopeDots& Backup(int32_t Index) { return *FBackup[size_t(ClampSlot(Index))]; }
  void ConnectToParameter(int32_t Index, TControlledParameterCurve* Parameter);
  // The bound parameter changed elsewhere.
  void ParameterChange(void* Sender);
  void Invalidate() override;

  // ---- editing (client pixels)
  int32_t FindDotAt(int32_t X, int32_t Y) const;
  void MouseDown(TEditButton Button, uint32_t Shift, int32_t X, int32_t Y);
  void MouseMove(uint32_t Shift, int32_t X, int32_t Y);
  void MouseUp(TEditButton Button, uint32_t Shift, int32_t X, int32_t Y);
  // Always true (the wheel is taken).
  bool MouseWheel(uint32_t Shift, int32_t WheelDelta, int32_t X, int32_t Y);
  // Key = 0 for a key the editor used; false leaves it to the widget.
  bool KeyDown(uint16_t& Key, uint32_t Shift);
  void MoveActiveDot(int32_t DX, int32_t DY);
  // A drag of dot Index that goes on with positions in the coordinates of
  // (CursorX, CursorY), the pointer now: each lands on the dot moved by the
  // pointer's travel.
  void StartDragDot(int32_t Index, int32_t CursorX, int32_t CursorY);
  bool Dragging() const { return FDragging; }
  int32_t DragOffsetX() const { return FDragOffsetX; }
  int32_t DragOffsetY() const { return FDragOffsetY; }

  void Operate(TCurveOperation Operation);
  // Menu items by tag 0..5; another tag only repaints and fires OnChange.
  void PopupMenuClick(int32_t Tag);
  // The amplitude scroll bar (0..256).
  void SetAmplitude(int32_t Position);

  // ---- value edits
  TCurveValueEdit PositionEdit, ValueEdit;
  int32_t EditLock = 0;
  void UpdateValueEdits();
  // The text of an edit changed (typed, or written by EditKeyDown).
  void EditChange(bool Position);
  void SetEditText(bool Position, const std::string& Text);
  // Up / Down step the number, keypad +/- select, Return closes the edits.
  void EditKeyDown(bool Position, uint16_t& Key);
  // Neither edit has the focus any more.
  void EditExit();
  // The widget lost the focus.
  void FocusLost();

  // ---- drawing: the whole control into a canvas of its size
  void DrawGraph(TCanvas& Canvas);

  // ---- events
  TNotifyEvent OnChange;
  TNotifyEvent OnChangeEnd;
  std::function<void(TEditButton, uint32_t, int32_t, int32_t)> OnMouseDown, OnMouseUp;
  std::function<void(uint32_t, int32_t, int32_t)> OnMouseMove;
  std::function<void()> OnInvalidate;
  std::function<void(const std::string&)> OnShowHint;
  std::function<void()> OnHideHint;
  // The position edit should take the focus.
  std::function<void()> OnFocusEdit;
  // The widget should take the focus back from the edits.
  std::function<void()> OnFocusBox;
  std::string Hint;

private:
  static int32_t ClampSlot(int32_t I) { return I < 0 ? 0 : I > Slots - 1 ? Slots - 1 : I; }
  int32_t Count() const;
  bool HasSelection() const;
  void Changed();
  void ChangeEnded();
  void Layout();
  void RebuildButtons();
  int32_t MinY() const;
  // Index's X limited strictly between its neighbours and into 0..16384.
  int32_t LimitX(int32_t Index, int32_t X) const;
  void EnvelopeChange(void* Sender);

  std::array<std::unique_ptr<TEnvelopeDots>, Slots> FOwn;
  std::array<std::unique_ptr<TEnvelopeDots>, Slots> FBackup;
  std::array<TControlledParameterCurve*, Slots> FLinks{};
  int32_t FWidth = 0, FHeight = 0;
  int32_t FMargin = 8;
  int32_t FNumberOfButtons = 6;
  int32_t FCurrentEnvelope = 0;
  bool FIsolate = false;
  bool FDragging = false;
  int32_t FDragOffsetX = 0, FDragOffsetY = 0;
  std::vector<TCurveButton> FButtons;
};

// Restores strictly ascending X inside 0..16384 with the least movement
// (dots pushed right of their left neighbour, then left of their right one).
void KeepDotsAscending(TEnvelopeDots& Curve);

}  // namespace kromel
