// The main window's keyboard map without widgets: which commands a key press
// runs (tools, pages and page switches, the space bar, the mask preview and
// the hidden chords), the keypad keys that act like their main-keyboard
// twins, and the chart measurement dump file. Keys are the widget set's
// virtual key codes (letters and digits as their upper-case ASCII codes).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kromel {

namespace vk {
constexpr uint16_t Shift = 16, Alt = 18, Space = 32, LeftShift = 160, Slash = 191;
constexpr uint16_t Key0 = 48, Key1 = 49, Key7 = 55, Key8 = 56, Key9 = 57;
}  // namespace vk

// The modifiers held; Meta is the Command key.
struct TKeyModifiers {
  bool Shift = false;
  bool Alt = false;
  bool Ctrl = false;
  bool Meta = false;
};

enum class TKeyCommand {
  ShowMaskPreview,
  UpdateToolCursor,
  UpdateCaption,
  UpdateImage,
  ShowImageSpectrum,
  // Experimental mode came on through the hidden chord that also shows the
  // hidden commands (the window drops its update lock too).
  ShowExperimentalFeatures,
  VariableBlur,
  ChartMeasurementDump,
  ExportProcessedResult,
  DeveloperDumps,
  ExtendedHighlightsChanged,
  ExtendedCurvesChanged,
  SelectTool,        // Index: tool 0..7
  NextSubTool,       // of the tool just selected
  TogglePageSwitch,  // Index: page 0..6
  ToggleExternalLut,
  ToggleMaster,
  SelectPage,  // Index: page 0..6 (the window skips pages without caption)
  SpaceDown,
  SpaceUp,
  UpdateColorChartGrid,
};

struct TKeyAction {
  TKeyCommand Command;
  int32_t Index = 0;
  bool operator==(const TKeyAction&) const = default;
};

// What the key map keeps between presses.
struct TKeyboardState {
  int32_t HiddenKeyCount = 0;
  bool ExperimentalMode = false;
  bool ExtendedCurvesMode = false;
  bool ExtendedHighlightsMode = false;
};

struct TKeyDown {
  std::vector<TKeyAction> Actions;
  bool Consumed = false;  // the key goes no further
};

// The commands of a key press in the order they run; State changes as the
// hidden chords say. EditFocused: a single-line edit field has the focus.
TKeyDown MapKeyDown(TKeyboardState& State, uint16_t Key, const TKeyModifiers& Shift, bool EditFocused);
// The commands of a key release.
std::vector<TKeyAction> MapKeyUp(uint16_t Key);

// The chart measurement dump: "CheckerMeasurements.txt" in the
// configuration folder.
std::string ChartMeasurementsFileName();
// The number of lines the file holds (0 when it does not exist).
int32_t CountChartMeasurementLines(const std::string& FileName);
// One patch of the dump: green values 0..1 and the pixels as RGB text.
struct TChartMeasurement {
  double SourceGreen = 0;
  double ReferenceGreenLinear = 0;
  std::string SourceRGB, ReferenceRGB;
};
// The dump's text: one tab-separated line per patch ended by a tab and a
// line feed, the exposure (Exposure) on the first line only, every "."
// written as ",". Lines: the number of lines the file held before.
std::string ChartMeasurementText(const std::vector<TChartMeasurement>& Patches, int32_t Lines,
                                 const std::string& Exposure);
// Appends Text to the file (creating its folder); false when it failed.
bool AppendChartMeasurements(const std::string& FileName, const std::string& Text);

}  // namespace kromel
