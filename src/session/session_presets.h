// The main window's preset commands and edit history over a TKromelSession:
// loading and saving presets (.luc binary, .lux text, page presets, presets
// embedded in LUT files), the default preset, and the three versions of the
// undo list. Every restore goes through LoadPresetFromStream, which refreshes
// the pages in one fixed order.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "foundation/byte_stream.h"
#include "params/undo_list.h"
#include "session/session_core.h"
#include "session/session_settings.h"

namespace kromel {

// What the window refreshes after a preset was put back, in this order.
class TPresetRefreshView {
 public:
  virtual ~TPresetRefreshView() = default;
  // The A/B and C/L grid boxes show their whole range again.
  virtual void ResetGridZoom() {}
  // A preset older than version 20: the channel mixer follows its grid.
  virtual void ChannelMixerFromGrid() {}
  virtual void UpdateHueSat() {}
  // Page switches and the visible page's backgrounds follow the preset.
  virtual void PagesChanged() {}
  // The undo and redo captions or the history changed.
  virtual void UndoCaptionChanged() {}
  virtual void ShowPopupNotification(const std::string& /*Text*/) {}
};

class TSessionPresets {
 public:
  TSessionPresets(TKromelSession& Session, TPresetRefreshView* View = nullptr);

  TKromelSession& Session;
  TPresetRefreshView* View;
  // The Preferences values the default preset reads; null: none yet.
  const TPreferences* Preferences = nullptr;

  TMemoryStream EmptyPresetStream;
  std::string PresetName = "Empty preset";
  std::string DefaultLutFileName = "Empty preset";
  bool SaveToGiven = false;
  // The external LUT's file: set by every read and, after every preset
  // load, the name of the LUT the preset holds.
  std::string ExtLutFileName;
  // The A/B grid selectors: shape (1 circular) and size item of
  // "4;6;8;12;16;20;24;32" (-1 when absent).
  int32_t ABGridShapeItem = 0;
  int32_t GridSizeItem = -1;

  std::array<TUndoRedoList, 3> UndoLists;
  int32_t CurrentVersion = 0;
  TUndoRedoList& CurrentUndoList() { return UndoLists[size_t(CurrentVersion)]; }
  // The Edit menu's Undo and Redo items and the history list.
  bool UndoEnabled = false, RedoEnabled = false;
  std::string UndoCaption, RedoCaption;
  TUndoListBox History;
  // The last popup text.
  std::string PopupText;

  // ---- presets
  // Puts a snapshot back into the preset and refreshes the pages; False,
  // nothing refreshed and the preset unchanged, when the reader refuses it.
  bool LoadPresetFromStream(TByteStream& Stream, const std::string& Name, bool KeepMask);
  bool SavePresetToStream(TByteStream& Stream, bool WithEmbeddedPreset);
  // The binary preset through the safe writer.
  bool SavePresetToFile(const std::string& FileName, bool WithEmbeddedPreset);
  // ".luc": records "Load preset: " + name.
  bool LoadPreset(const std::string& FileName);
  // ".lux", whole or page preset: records "Load preset: " + name.
  bool LoadPresetXML(const std::string& FileName);
  // The preset embedded in a .3dl/.cube/.cms file; False, nothing changed
  // and no step, when there is none or the reader refuses it.
  bool LoadPresetFromLutFile(const std::string& FileName);
  bool Load3DL(const std::string& FileName);
  // Section "Volume", "ABGrid", "CLGrid", "Mask" or "2DCurves" as a .lux.
  bool SavePagePresetToFile(const std::string& FileName, const std::string& Section);
  void ResetToDefaultPreset(bool KeepMask);
  // "Process image with current LUT and reset settings": the LUT baked into
  // the image, then the default preset and the step "Start new preset".
  bool ProcessImageWithLutAndReset();
  // The Preferences grid defaults on the A/B and C/L grids (Scale: the
  // current colour model's).
  void ApplyGridDefaults(const TPreferences& Prefs, float Scale);
  // Once at start-up: the working LUT size, the default preset captured
  // and recorded as "Default preset" in all three undo lists.
  void InitDefaultPreset();
  // "New preset (Reset all)" after its confirmation.
  void NewPreset();
  // The LUT file name "/SAVETO:" or the last load proposes.
  std::string DefaultLutName() const { return DefaultLutFileName; }

  // ---- edits
  // The one edit transaction every command goes through. Change runs on
  // the preset with the update lock raised, so the controls it sets start
  // nothing; when it returns true, the stages from Level are marked
  // invalid (none for NoInvalidation), the undo step StepName is recorded
  // (none when empty: a drag records its step when it ends) and the image
  // is updated. Returns Change's result; false changes nothing more.
  static constexpr int32_t NoInvalidation = 7;
  bool ApplyEdit(const std::string& StepName, int32_t Level,
                 const std::function<bool(TKromelPreset&)>& Change, bool Notify = false);

  // ---- history
  void AddUndoStep(const std::string& StepName, bool Notify = false);
  bool UndoStep();
  bool RedoStep();
  bool GoToHistoryStep(int32_t Index);
  void SelectVersion(int32_t Index);
  void CopyFromVersion(int32_t Index);
  void UpdateCaptionUndo();
  void ShowPopupNotification(const std::string& Text);

 private:
  void RefreshGridSelectors();
  // Undo (Forward false) or redo with its popup.
  bool MoveStep(bool Forward);
  // Loads the list's state that Move made current; rolls the index back
  // when the snapshot is refused.
  template <class TMove>
  bool RestoreState(TUndoRedoList& List, const std::string& Name, TMove Move);
};

}  // namespace kromel
