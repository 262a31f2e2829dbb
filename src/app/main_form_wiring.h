// What the main window adds to its preview and menus: the tools on the
// image (mouse routing, cursors, rectangles), the colour picker readouts,
// the analyzer window, the colour management of the view and the
// reference image commands. It lives beside TKromelMainForm and works
// through the session's objects; main thread only.
#pragma once
#include <QObject>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "session/session_core.h"
#include "session/session_picker.h"
#include "session/session_reference.h"
#include "session/session_tools.h"
#include "session/session_tools_drag.h"
#include "session/session_view_colour.h"
#include "controls/dot_grid_editor.h"
#include "widgets/vel_widget.h"

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMenu;
class QToolBar;

namespace kromel {

class TAnalyzerWindow;
class TKromelMainForm;
class TKromelSession;
class TSessionPresets;
class T3DLut;

class TMainFormWiring : public QObject, public TSessionView {
public:
  explicit TMainFormWiring(TKromelMainForm& Form);
  ~TMainFormWiring() override;

  // ---- tools
  TToolState Tools;
  // Selects a tool by its code (item + 32 x sub-tool); a negative code
  // parks the selector.
  void SetTool(int32_t Code);
  // The mask page's colour picker switch.
  void SetMaskPicker(bool Down);
  // The A/B page's colour replace type (0 Exact .. 3 Luminance; -1 none):
  // a chosen type parks the tool selector.
  void SetABReplaceType(int32_t Type);
  // The curves page's targeted-adjustment type (0 Grey .. 5 Lum; -1 none):
  // Shift with Hue, Sat or Lum drags the picked colour itself.
  void SetCurvesTatType(int32_t Type);
  // The target of the colour replace (TColor): set by an Alt click or a
  // click on the reference.
  uint32_t BrushColor = 0x808080;
  void UpdateToolCursor();
  // The preview's cursor number last applied.
  int32_t PreviewCursor() const { return FPreviewCursor; }
  bool PreviewMouseDown() const { return FPreviewMouseDown; }

  // ---- picker
  TPickerState Picker;
  // The readout line of the status bar.
  std::string PickerText() const;
  // Marker positions on the curve and mask editors (input scale
  // 0..16384, -1 hidden) for the picked colour.
  TCurvesPickerMarkers CurvesMarkers;
  std::array<int32_t, 3> MaskMarkers{-1, -1, -1};
  // A grid editor that shows the picked colour: the A/B plane, or the
  // lightness against A or B of the C/L page. The editor must outlive
  // the window or be removed first.
  enum class TPickerAxes { AB, AL, BL };
  void AddPickerGrid(TDotGridEditor& Editor, TPickerAxes Axes);
  void RemovePickerGrid(TDotGridEditor& Editor);

  // ---- analyzer
  TAnalyzerWindow& Analyzer() { return *FAnalyzer; }
  void ShowAnalyzer(bool Visible);

  // ---- colour management of the view
  TViewColourManagement Colour;
  // Rebuilds the view after a colour management change.
  void ColourChanged();
  bool ExportImageProfile(const std::string& FileName);

  // ---- reference image
  TSessionReference Reference;
  bool LoadReference(const std::string& FileName);
  bool PasteReference(const TImage32& Clipboard);
  bool SnapshotReference();
  bool SwapReference();
  void ShowReference(bool Show);

  // ---- TSessionView
  void SourceImageChanged() override;
  void LutCalculated(bool Succeeded) override;
  void UpdatePicker() override;

private:
  void BuildMenus();
  void BuildToolBar();
  void SyncToolPage();
  void ReferenceChanged();
  // Keeps the reference's profile record true after the session changed
  // the images: a new work image brings the reference into its profile; a
  // conversion of both leaves the reference in the image profile.
  void SyncReferenceProfile();
  void PreviewMouseDownEvent(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void PreviewMouseMoveEvent(TShiftState Shift, int32_t X, int32_t Y);
  void PreviewMouseUpEvent(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
  void PreviewSelection();
  void ColorSourceMouseDown(uint32_t Colour, TMouseButton Button, TShiftState Shift,
                            bool FromReference);
  // Colour through stage Stage (0..5; 6 mask source, 7 mask key) of the
  // calculator; the colour itself while that stage does not exist.
  // Wait false: a run that holds the stages is not waited for (the
  // readouts take the colour itself until the next update).
  uint32_t StageColour(int32_t Stage, uint32_t Colour, bool Wait = true);
  void RefreshMainLut();

  TKromelMainForm& FForm;
  TKromelSession& FSession;
  TSessionPresets& FPresets;
  TAnalyzerWindow* FAnalyzer = nullptr;
  QLabel* FPickerLabel = nullptr;
  QToolBar* FToolBar = nullptr;
  QActionGroup* FToolGroup = nullptr;
  std::vector<std::pair<int32_t, QAction*>> FToolActions;
  QAction* FMaskPickerAction = nullptr;
  QAction* FShowReferenceAction = nullptr;
  QAction* FAnalyzerAction = nullptr;
  QAction* FSoftProofingAction = nullptr;
  QAction* FGamutAction = nullptr;
  QAction* FBlackPointAction = nullptr;
  QAction* FLoadProofingAction = nullptr;
  std::unique_ptr<T3DLut> FMainLut;
  TABGridDrag FGridDrag;
  TMixerHueDrag FMixerDrag;
  TCurvesTatDrag FCurvesDrag;
  QComboBox* FReplaceCombo = nullptr;
  std::vector<std::pair<TDotGridEditor*, TPickerAxes>> FPickerGrids;
  bool FPreviewMouseDown = false;
  int32_t FPreviewCursor = 0;
  int32_t FPressX = 0, FPressY = 0;
  const void* FLastRefPixels = nullptr;
  std::string FLastImageName;
};

}  // namespace kromel
