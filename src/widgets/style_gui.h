// The style skinner: one of four palettes, the restyling of a whole form by
// control class, and the procedural pictures of glyph switches and glyph
// scroll bars in palette colours. Colours are 0xAABBGGRR (red lowest, the
// top byte an opacity only the picture renderer reads).
#pragma once
#include <string>
#include <vector>

#include "images/image64.h"
#include "widgets/gui_skinner.h"

namespace kromel {

class TGlyphSwitch;
class TGlyphScrollBar;

enum TStyleType : uint8_t { stBlack = 0, stWhite = 1, stGray = 2, stBlue = 3 };

struct TStylePalette {
  TColor BackgroundColor;
  TColor ButtonHoverColor;
  TColor FaceColor;
  TColor FaceShadeColor;
  TColor GlowColor;
  TColor FrameOuterColor;
  TColor FrameInnerColor;
  TColor TickColor;
  TColor ThumbOutlineColor;
  TColor TumblerTextOnColor;
  TColor TextOffColor;
  TColor TextColor;
  TColor PanelColor;
};

// The palette of a style.
const TStylePalette& StylePalette(TStyleType Style);

// The exact class name a skinner rule compares: our widgets' own, "TLabel",
// "TCheckBox", "TEdit", "TPanel", "TForm" for the Qt stand-ins.
std::string SkinClassName(QWidget* Control);
// A colour as a 16-bit pixel: each byte shifted left by 8; Opaque gives
// full alpha.
TPixel64 SkinPixel(TColor Color, bool Opaque);

class TStyleGui : public TGUISkinner {
public:
  explicit TStyleGui(QWidget* Parent = nullptr);
  ~TStyleGui() override;

  // True while the form is being built: the style setter only loads the
  // palette then.
  bool Loading = false;
  TColor BackgroundColor = 0;
  // Font style bits of the switch captions.
  uint32_t FontStyle = 0;

  TStyleType StyleType() const { return FStyleType; }
  // Loads the palette and, unless loading, restyles the owner form.
  void SetStyleType(TStyleType Value);
  bool FontLight() const { return FFontLight; }
  void SetFontLight(bool Value) { FFontLight = Value; }
  // The palette entries in use (BackgroundColor is the field above).
  const TStylePalette& Palette() const { return FPalette; }

  void StyleControl(QWidget* Control, bool KeepExisting, TColor Color) override;
  void Unsubscribe(QWidget* Control) override;
  // Restyles Container and everything below it.
  void UpdateGui(QWidget* Container, bool KeepExisting, TColor Color);
  void DrawGlyphSwitch(TGlyphSwitch& Switch, bool KeepExisting, bool WithArrows);
  void DrawGlyphScrollBar(TGlyphScrollBar& ScrollBar, bool KeepExisting);

  const std::vector<TGlyphSwitch*>& Subscribers() const { return FSubscribers; }

protected:
  void mousePressEvent(QMouseEvent* Event) override;

private:
  void Subscribe(TGlyphSwitch& Switch);
  void DrawSwitchFrame(TGlyphSwitch& Switch, int32_t State, int32_t Frame, bool WithArrows,
                       TImage64& B, TImage64& C);

  TStyleType FStyleType = stBlack;
  TStylePalette FPalette{};
  bool FFontLight = false;
  std::vector<TGlyphSwitch*> FSubscribers;
};

}  // namespace kromel
