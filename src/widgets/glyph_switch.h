// The glyph switch: a control that shows one of six state pictures (off, on,
// pressed off, pressed on, hover off, hover on) that its skinner renders;
// a selector stacks one frame per ";"-item of its caption. Its model is a
// TSwitchControl (or a TComboControl for the combo-box switch). A switch
// can carry a small secondary switch at its left edge.
#pragma once
#include <memory>
#include <vector>

#include "controls/switch_controls.h"
#include "widgets/control_widget.h"
#include "widgets/glyph_picture.h"

namespace kromel {

class TGUISkinner;

enum TGlyphState : int32_t {
  gsOff = 0,
  gsOn = 1,
  gsDownOff = 2,
  gsDownOn = 3,
  gsHoverOff = 4,
  gsHoverOn = 5
};

class TGlyphSwitch : public TControlWidget {
public:
  explicit TGlyphSwitch(QWidget* Parent = nullptr, TSwitchKind Kind = skTumbler);
  // A switch over a given model (a combo box's TComboControl).
  TGlyphSwitch(std::unique_ptr<TSwitchControl> Model, QWidget* Parent);
  ~TGlyphSwitch() override;

  TSwitchControl& Switch() const { return static_cast<TSwitchControl&>(Controller()); }
  TSwitchKind Kind() const { return Switch().Kind; }
  void SetKind(TSwitchKind Value);
  const std::string& Caption() const { return Switch().Caption; }
  // A new caption drops the pictures so that the skinner draws them again.
  virtual void SetCaption(const std::string& Value);
  // Number of picture frames: the caption's ";"-items for a selector, else 1.
  int32_t FrameCount() const;

  TGUISkinner* GUISkinner() const { return FSkinner; }
  void SetGUISkinner(TGUISkinner* Skinner) { FSkinner = Skinner; }

  // The six state pictures, indexed by TGlyphState, and an optional icon mask.
  TGlyphPicture Glyphs[6];
  TGlyphPicture IconGlyph;
  TGlyphPicture& OffGlyph() { return Glyphs[gsOff]; }
  TGlyphPicture& OnGlyph() { return Glyphs[gsOn]; }

  // A click never toggles; the switch reports it through OnChange.
  bool Hold = false;
  // Optional window-sized backgrounds, one per state (not owned): with more
  // than one the switch shows its own part of the picture at index
  // Pressed + 2 x State (StateOrder 0) or 2 x Pressed + State.
  const std::vector<TImage32>* FullSizeBackgroundList = nullptr;
  int32_t StateOrder = 0;

  bool Pressed() const { return FPressed; }
  bool Hover() const { return FHover; }
  // The picture index the switch shows now.
  TGlyphState CurrentState() const;
  // The frame of a selector's pictures shown now.
  int32_t CurrentFrame() const;

  // The secondary switch (left 2, top 5, 10 x 15), created on demand.
  bool HasSwitch() const { return FSecondary != nullptr; }
  void SetHasSwitch(bool Value);
  TGlyphSwitch* SwitchControl() const { return FSecondary; }
  bool SwitchState() const;
  void SetSwitchState(bool Value);
  int32_t SwitchControllerNumber() const { return FSwitchNumber; }
  void SetSwitchControllerNumber(int32_t Value);
  void SetOnSwitchClick(TNotifyHandler Handler);
  void SetOnSwitchChange(TNotifyHandler Handler);

  // A click on the switch (mouse, middle button, Space or Enter).
  virtual void Click();

  TNotifyHandler OnClick;
  // The state or position changed (through the model's event).
  TNotifyHandler OnChange;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void changeEvent(QEvent* Event) override;
  // The glyph switch's click of an item or state, then OnClick.
  void FireClick();

private:
  TGUISkinner* FSkinner = nullptr;
  bool FPressed = false;
  bool FHover = false;
  TGlyphSwitch* FSecondary = nullptr;
  int32_t FSwitchNumber = 0;
  TNotifyHandler FOnSwitchClick;
  TNotifyHandler FOnSwitchChange;
};

}  // namespace kromel
