// The on-image tools that drag or replace: the one-dot and four-dot grid
// drags, the colour replace of the A/B targeted-adjustment types and the
// channel mixer's hue drag. Each gesture records one undo step.
#pragma once
#include <cstdint>

#include "colour/channel_mixer.h"
#include "controls/dot_grid_editor.h"
#include "images/pixel128.h"

namespace kromel {

class TSessionPresets;

// The colour replace on the A/B page (TatType 0 Exact, 1 Color, 2 Hue,
// 3 Luminance): the grid cell that holds the source colour (BGRA through
// stage 1) moves, turns or takes the brightness of the target colour
// (TColor, the reference colour), the A/B stage is switched on and the
// type's undo step recorded. False, with "No tool selected", for other
// types.
bool ABColourReplaceClick(TSessionPresets& Presets, uint32_t Stage1Colour, uint32_t TargetColor,
                          int32_t TatType);

// The one-dot (Four false) and four-dot tools on the A/B highlights grid.
// No box on screen takes the drag: a grid box model of BoxSize pixels over
// the grid does, the pointer's moves on the preview moving the dots pixel
// for pixel of that box. The release records "Move A/B grid point".
class TABGridDrag {
 public:
  static constexpr int32_t BoxSize = 400;
  // Starts on the colour (BGRA through stage 1) with the pointer at
  // (PointerX, PointerY); Shift drags the brightness instead.
  bool Start(TSessionPresets& Presets, uint32_t Stage1Colour, bool Four, bool Shift,
             int32_t PointerX, int32_t PointerY);
  void Move(int32_t PointerX, int32_t PointerY);
  // True when the gesture changed the grid (one undo step).
  bool End();
  bool Active() const { return FPresets != nullptr; }

 private:
  TSessionPresets* FPresets = nullptr;
  TDotGridEditor FBox;
  bool FMoved = false;
};

// The channel mixer's hue drag (the one-dot tool on the mixer page): the
// picked linear colour keeps its place while the drag turns it about the
// grey axis (sideways, 400 pixels a radian) and saturates it (upwards,
// doubled 300 pixels up); Shift scales it instead. The release records
// "Change color hue/saturation with Channel Mixer".
class TMixerHueDrag {
 public:
  bool Start(TSessionPresets& Presets, float R, float G, float B, bool Shift, int32_t X, int32_t Y);
  void Move(int32_t X, int32_t Y);
  bool End();
  bool Active() const { return FPresets != nullptr; }

 private:
  TSessionPresets* FPresets = nullptr;
  TChannelMixerParams FPressMatrix{};
  TBGRAPixel128 FColour{}, FRotated{};
  bool FShift = false, FMoved = false;
  int32_t FX = 0, FY = 0;
};

// The curves targeted adjustment with Shift on the Hue (3), Sat (4) or
// Lum (5) type: the picked colour itself is edited by the vertical drag
// (Lum: 8 pixels a unit of S; Sat: doubled 300 pixels up, none 300 down;
// Hue: a turn per 800 pixels) and the red, green and blue curves get a
// dot each that takes the colour there. The release records "Change RGB
// curves " and the type's name.
class TCurvesTatDrag {
 public:
  // Stage2Colour: the colour (BGRA) before the curves.
  bool Start(TSessionPresets& Presets, uint32_t Stage2Colour, int32_t TatType, int32_t PointerY);
  void Move(int32_t PointerY);
  bool End();
  bool Active() const { return FPresets != nullptr; }

 private:
  TSessionPresets* FPresets = nullptr;
  int32_t FType = -1, FMode = 0, FPressY = 0;
  float FPick[3]{}, FThrough[3]{};
  bool FMoved = false;
};

// The undo name of a curves targeted-adjustment type ("None" for others).
const char* CurvesTatTypeName(int32_t TatType);

}  // namespace kromel
