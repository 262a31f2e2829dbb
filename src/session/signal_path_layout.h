// The processing-chain diagram of the tools page without widgets: which
// stage boxes and arrows it holds and where (cells of 45 x 30 pixels, row 1
// the main chain, row 2 the branch below it), the external LUT's hue-disc
// thumbnail and its name label. The widget only draws what this gives.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "images/image32.h"
#include "platform/raw_bitmap.h"

namespace kromel {

class T3DLut;
class TMainWindowControls;

// Colours of the diagram (0xBBGGRR).
constexpr TColor SignalPathBackground = 0x303030;
constexpr TColor SignalPathFramePen = 0x505050;
constexpr TColor SignalPathLinkColor = 0x808080;
constexpr TColor SignalPathBoxFill = 0x90A0C0;
constexpr TColor SignalPathGridBoxFill = 0xC0A090;
constexpr TColor SignalPathActiveText = 0xFFFFFF;
constexpr TColor SignalPathInactiveText = 0x666666;

// What the diagram reads of the window's controls.
struct TSignalPathInputs {
  bool ExternalLutOn = false;
  int32_t ExternalLutPosition = 0;  // 0 Input .. 5 Masked alt.
  int32_t MaskDestination = 0;      // 0 All .. 8 To Image Output
  bool InputLog = false;            // log decoding not "Off"
  bool OutputLog = false;           // log encoding not "Off"
  bool WhiteBalance = false;        // temperature or tint not at 0
  std::array<bool, 7> PageSwitches{};
  bool CurvesInUse = false;  // master or RGB curves, or the luminance/saturation curves
  bool MasterOn = false;
};
TSignalPathInputs SignalPathInputsOf(const TMainWindowControls& Controls);

// One drawing step, in drawing order: a box (Wrapped: two rows, caption
// lines separated by "\r") or a link (Bend 0 from the left, 1 from below,
// -1 from above).
struct TSignalPathItem {
  bool IsLink = false;
  int32_t Col = 0, Row = 0;
  int32_t ToCol = 0, ToRow = 0, Bend = 0;  // links
  std::string Caption;                     // boxes
  bool Wrapped = false;
  bool Active = true;
  TColor Fill = SignalPathBoxFill;
  TColor TextColor() const { return Active ? SignalPathActiveText : SignalPathInactiveText; }
};

struct TSignalPathLayout {
  std::vector<TSignalPathItem> Items;
  // The box captioned Caption (the first one), or nullptr.
  const TSignalPathItem* Box(const std::string& Caption) const;
  // Box captions from left to right along row 1, then row 2.
  std::vector<std::string> BoxCaptions() const;
  // Pixel width that holds every box.
  int32_t Width() const;
};
TSignalPathLayout LayoutSignalPath(const TSignalPathInputs& In);

// The external LUT's thumbnail: HueDisc stretched (nearest) to 75 x 75 and
// passed through Lut when it holds data of a size above 1.
void ExternalLutThumbnail(const TImage32& HueDisc, const T3DLut* Lut, TImage32& Thumbnail);

// The name label: "[No 3DLUT loaded]" without a LUT (or with an empty or
// nameless one); else the name shortened to MaxWidth and " [Preset N kb]"
// or " [No preset]". Hint: the full name. HasPreset: the LUT carries a
// preset (the delete-preset menu item shows only then).
struct TExternalLutLabel {
  std::string Caption;
  std::string Hint;
  bool HasPreset = false;
};
TExternalLutLabel ExternalLutLabel(const T3DLut* Lut,
                                   const std::function<int32_t(const std::string&)>& TextWidth,
                                   int32_t MaxWidth);

}  // namespace kromel
