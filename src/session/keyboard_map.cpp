#include "session/keyboard_map.h"

#include <filesystem>
#include <fstream>

#include "foundation/number_format.h"
#include "platform/folders.h"

namespace kromel {

namespace {

// The hidden chords Q, F, H and G act when another counted chord came
// first; acting resets the count.
bool CountHiddenKey(TKeyboardState& State) {
  ++State.HiddenKeyCount;
  if (State.HiddenKeyCount <= 1) return false;
  State.HiddenKeyCount = 0;
  return true;
}

}  // namespace

TKeyDown MapKeyDown(TKeyboardState& State, uint16_t Key, const TKeyModifiers& Shift, bool EditFocused) {
  TKeyDown R;
  auto Add = [&](TKeyCommand C, int32_t Index = 0) { R.Actions.push_back({C, Index}); };
  using C = TKeyCommand;
  if (Key == vk::Slash) {
    Add(C::ShowMaskPreview);
    R.Consumed = true;
    return R;
  }
  if (Key == vk::Shift) Add(C::UpdateToolCursor);
  const bool Chord = Shift.Ctrl && Shift.Shift;
  if (Chord) {
    switch (Key) {
      case 'W':
        ++State.HiddenKeyCount;
        Add(C::UpdateCaption);
        break;
      case 'U':
        if (State.ExperimentalMode) Add(C::ShowImageSpectrum);
        break;
      case 'Q':
        if (CountHiddenKey(State)) {
          State.ExperimentalMode = true;
          Add(C::ShowExperimentalFeatures);
        }
        Add(C::UpdateCaption);
        break;
      case 'F':
        if (CountHiddenKey(State)) State.ExperimentalMode = true;
        Add(C::UpdateCaption);
        break;
      case 'T':
        if (State.ExperimentalMode) {
          Add(C::VariableBlur);
          Add(C::UpdateCaption);
        }
        break;
      case 'B':
        if (State.ExperimentalMode) Add(C::ChartMeasurementDump);
        break;
      case 'P':
        if (State.ExperimentalMode) Add(C::ExportProcessedResult);
        break;
      case 'C':
        if (State.ExperimentalMode) Add(C::DeveloperDumps);
        break;
      case 'H':
        if (CountHiddenKey(State)) {
          State.ExtendedHighlightsMode = !State.ExtendedHighlightsMode;
          Add(C::ExtendedHighlightsChanged);
        }
        Add(C::UpdateCaption);
        Add(C::UpdateImage);
        break;
      case 'G':
        if (CountHiddenKey(State)) {
          State.ExtendedCurvesMode = !State.ExtendedCurvesMode;
          Add(C::ExtendedCurvesChanged);
        }
        Add(C::UpdateCaption);
        Add(C::UpdateImage);
        break;
      default:
        break;
    }
  }
  if (EditFocused) return R;

  static const char Tools[] = "QWERTYUI";
  if (!Shift.Ctrl && !Shift.Alt && !Shift.Meta)
    for (int32_t I = 0; I < 8; ++I)
      if (Key == uint16_t(Tools[I])) {
        Add(C::SelectTool, I);
        if (Key == 'Q' || (Shift.Shift && (Key == 'E' || Key == 'Y' || Key == 'U'))) Add(C::NextSubTool, I);
      }
  const bool ShiftOnly = Shift.Shift && !Shift.Alt && !Shift.Ctrl;
  if (ShiftOnly) {
    if (Key >= vk::Key1 && Key <= vk::Key7) Add(C::TogglePageSwitch, Key - vk::Key1);
    if (Key == vk::Key8) Add(C::ToggleExternalLut);
    if (Key == vk::Key9) Add(C::ToggleMaster);
  }
  if (Key >= vk::Key1 && Key <= vk::Key7 && !Shift.Shift && !Shift.Alt && !Shift.Ctrl && !Shift.Meta)
    Add(C::SelectPage, Key - vk::Key1);
  if (Key == vk::Space) {
    Add(C::SpaceDown);
    Add(C::UpdateToolCursor);
    Add(C::UpdateColorChartGrid);
  }
  if (Key == vk::Alt || Key == vk::LeftShift || Key == vk::Shift) Add(C::UpdateToolCursor);
  return R;
}

std::vector<TKeyAction> MapKeyUp(uint16_t Key) {
  if (Key != vk::Space) return {};
  return {{TKeyCommand::SpaceUp}, {TKeyCommand::UpdateColorChartGrid}, {TKeyCommand::UpdateToolCursor}};
}

std::string ChartMeasurementsFileName() { return ConfigFolder() + "/CheckerMeasurements.txt"; }

int32_t CountChartMeasurementLines(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  if (!In) return 0;
  int32_t N = 0;
  std::string Line;
  while (std::getline(In, Line)) ++N;
  return N;
}

std::string ChartMeasurementText(const std::vector<TChartMeasurement>& Patches, int32_t Lines,
                                 const std::string& Exposure) {
  std::string T;
  bool First = true;
  for (const TChartMeasurement& P : Patches) {
    T += FloatToStrD5(float(P.SourceGreen)) + "\t";
    T += "=C" + std::to_string(Lines + 1) + "*" + FloatToStrD5(float(P.ReferenceGreenLinear)) + "\t";
    T += (First ? Exposure : std::string()) + "\t";
    T += P.SourceRGB + "\t" + P.ReferenceRGB + "\t\n";
    First = false;
  }
  for (char& Ch : T)
    if (Ch == '.') Ch = ',';
  return T;
}

bool AppendChartMeasurements(const std::string& FileName, const std::string& Text) {
  std::error_code E;
  const std::filesystem::path Folder = std::filesystem::path(FileName).parent_path();
  if (!Folder.empty()) std::filesystem::create_directories(Folder, E);
  std::ofstream Out(FileName, std::ios::binary | std::ios::app);
  if (!Out) return false;
  Out << Text;
  Out.flush();
  return bool(Out);
}

}  // namespace kromel
