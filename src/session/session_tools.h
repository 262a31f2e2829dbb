// The on-image tools without widgets: tool codes, the parking of the three
// tool groups, the cursor of the preview and the grid boxes, and what a
// click with a tool does to the preset (a grid pull or push towards the
// picked colour, a mask pick), each recorded as one undo step.
#pragma once
#include <cstdint>
#include <string>

namespace kromel {

class T2DEnvelopeDots;
class TSessionPresets;

// Tool codes: item index + 32 x sub-tool index.
enum : int32_t {
  ToolMovePoint = 0,
  ToolMoveFour = 1,
  ToolPullIn = 2,
  ToolPushOut = 34,
  ToolMarquee = 3,
  ToolAddSwatch = 4,
  ToolZoomIn = 5,
  ToolZoomOut = 37,
  ToolZoomWindow = 69,
  ToolAlphaMarquee = 6,
  ToolChartGrid = 7
};
constexpr int32_t ToolCode(int32_t Item, int32_t SubTool) { return Item + 32 * SubTool; }

// The pages the tools care about.
enum class TToolPage { Other, ABGrid, CLGrid, Curves, Curves2D, ChannelMixer, Mask };

// A parked group keeps its choice as -i - 1; the same step restores it.
constexpr int32_t ParkedIndex(int32_t Index) { return -Index - 1; }

// The zoom factors of a press with the zoom tools (Alt swaps them); 0 for
// other codes.
// The 0..1 channels of a BGRA value (blue lowest).
void ChannelsOfBGRA(uint32_t BGRA, float& R, float& G, float& B);
// The working colour model's coordinates of a BGRA value.
void ModelOfBGRA(uint32_t BGRA, float& L, float& A, float& B);
// V x Scale rounded half to even, limited to +-10^6 (0 when not finite).
int32_t RoundUnits(float V, float Scale);
float ZoomFactorOfPress(int32_t Code, bool Alt);

struct TToolState {
  int32_t ToolItem = 0;     // ToolVelRadioGroup.ItemIndex (negative: parked)
  int32_t ToolSubTool = 0;  // sub-tool of the selected item
  int32_t ABTatType = -1;   // ABGridTATTypeRadioGroup
  int32_t CurvesTatType = -1;
  int32_t ModelCurvesTatType = -1;
  bool CurvesPicker = false, MaskPicker = false, CLRotationPicker = false,
       WhiteBalancePicker = false;
  bool SelectionMode = false;  // the preview draws rectangles
  bool AllowPointsMove = true; // grid boxes drag their dots themselves
  TToolPage Page = TToolPage::Other;

  int32_t Code() const { return ToolItem < 0 ? -1 : ToolCode(ToolItem, ToolSubTool); }
  // The tool selector changed (Count items; EmptyItem tells which texts
  // are empty).
  void ToolChanged(int32_t Count = 8, bool (*EmptyItem)(int32_t) = nullptr);
  void ResetPickers();
  // A page picker takes the mouse.
  void DeactivateTools();
};

// The preview's cursor number for the state and the live keys; the grid
// boxes' cursor through GridCursor.
struct TToolCursors {
  int32_t Image = 0;
  int32_t Grid = 0;
};
TToolCursors ToolCursors(const TToolState& State, bool Alt, bool Shift, bool TatSameColor);

// The preview mode an Alt press (without Shift) with a grid tool asks for:
// 5 on the A/B page, 9 on the 2D curves page, 6 or 7 on the C/L page for
// its L/A or L/B box (LBBox); 0 otherwise.
uint8_t DragPreviewModeOfPress(const TToolState& State, bool Alt, bool Shift, bool LBBox);

// Rectangles drawn on the preview (sum of width and height in client
// pixels): a zoom window under 15 refits the view, an alpha rectangle
// under 5 takes the whole image.
constexpr bool ZoomWindowRefits(int32_t Width, int32_t Height) { return Width + Height < 15; }
constexpr bool AlphaRectIsWholeImage(int32_t Width, int32_t Height) { return Width + Height < 5; }

// The colour replace of an A/B replace type (0 Exact, 1 Color, 2 Hue,
// 3 Luminance): what the grid cell takes from the target, and the undo
// step; Known false for other types ("No tool selected").
struct TColourReplaceMode {
  bool Known = false;
  bool MovePosition = false, SetRadius = false, SetBrightness = false;
  const char* StepName = "";
};
TColourReplaceMode ColourReplaceMode(int32_t TatType);

// The reference view switched on: the chart grid tool (item 7) gives way to
// item 0.
void ReferenceShown(TToolState& State);

// Pull (Push false) or push the dots of Grid around the point (X, Y) in
// grid units: strength +0.2 or -0.2; all dots when at most one is
// selected, else the selected ones; Shift turns the dots instead of moving
// them (TurnOnly); on a C/L grid (CLGrid) the Y axis stays while Shift is
// held and nothing turns. Ctrl or Alt: nothing.
bool PullInPushOutGrid(T2DEnvelopeDots& Grid, int32_t X, int32_t Y, bool Push, bool Shift,
                       bool Ctrl, bool Alt, bool CLGrid);

// The click of the pull-in or push-out tool on the A/B page: the colour
// (BGRA through stage 1) in the current colour model, the highlights grid
// pulled or pushed around it, the A/B stage switched on and the undo step
// "Pull In tool" or "Push Out tool". False when nothing changed.
bool ABGridPullPushClick(TSessionPresets& Presets, uint32_t Stage1Colour, bool Push, bool Shift);

// The mask picker (selector 20: HSP, 21: LCh) with a colour through the
// mask source stage: Shift widens the ranges to take it in, Alt narrows
// them to leave it out, neither sets them around it. The release records
// "Change HSL Mask". False for other selectors.
bool MaskPickClick(TSessionPresets& Presets, int32_t Selector, uint32_t Stage6Colour, bool Shift,
                   bool Alt);

}  // namespace kromel
