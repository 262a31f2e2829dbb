#include "session/session_presets.h"

#include <algorithm>
#include <filesystem>

#include "colour/colour_models.h"
#include "controls/binary_preset.h"
#include "controls/binary_preset_file.h"
#include "fileio/file_extension.h"
#include "foundation/byte_codecs.h"
#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "lut/lut_file_3dl.h"
#include "lut/lut_file_cube.h"
#include "platform/message_sink.h"
#include "platform/safe_file_writer.h"
#include "platform/translate.h"

namespace kromel {

namespace {

constexpr const char* EmptyPresetName = "Empty preset";
// A preset file larger than this is not a preset.
constexpr int64_t MaxPresetFileSize = int64_t(1) << 30;

bool FileExists(const std::string& FileName) {
  std::error_code Ignored;
  return std::filesystem::is_regular_file(FileName, Ignored);
}

// The translated format with Arg in place of %s.
std::string Format(const char* Text, const std::string& Arg) {
  std::string S = _(Text);
  const size_t At = S.find("%s");
  if (At != std::string::npos) S.replace(At, 2, Arg);
  return S;
}

// The size item of the A/B grid selector ("4;6;8;12;16;20;24;32").
int32_t GridSizeItemOf(int32_t Size) {
  static constexpr int32_t Items[] = {4, 6, 8, 12, 16, 20, 24, 32};
  for (int32_t I = 0; I < 8; I++)
    if (Items[I] == Size) return I;
  return -1;
}

}  // namespace

TSessionPresets::TSessionPresets(TKromelSession& Session, TPresetRefreshView* View)
    : Session(Session), View(View) {}

bool TSessionPresets::LoadPresetFromStream(TByteStream& Stream, const std::string& Name,
                                           bool KeepMask) {
  bool Result = false;
  try {
    int32_t Version = 0;
    bool Loaded = false;
    {
      TKromelSession::TUpdateLock Lock(Session);
      Loaded = Session.EditPreset([&](TKromelPreset& P) {
        return kromel::LoadPresetFromStream(P, Session.Controls.Controllers, Stream, Name, KeepMask,
                                            Version);
      });
    }
    if (!Loaded) return false;
    if (View != nullptr) View->ResetGridZoom();
    RefreshGridSelectors();
    if (Version < 20 && View != nullptr) View->ChannelMixerFromGrid();
    // No LUT held: no name (an empty LUT keeps the unit's default name).
    ExtLutFileName = Session.EditPreset([](TKromelPreset& P) {
      const T3DLut& Ext = *P.ExternalLUT->ExternalLUT;
      return Ext.IsEmpty() ? std::string() : Ext.Name;
    });
    if (View != nullptr) View->UpdateHueSat();
    Session.Dirty.SignalPathDirty = true;
    Session.InvalidateLutStages(0);
    Session.UpdateImage(true, false);
    if (View != nullptr) View->PagesChanged();
    ClearControlsIsolate(Session.Controls.Form);
    if (DebugLogEnabled()) DebugLogAdd("LoadPresetFromStream Finish", 0);
    Result = true;
  } catch (...) {
    ErrorMessageProc("Exception in LoadPresetFromStream");
  }
  return Result;
}

void TSessionPresets::RefreshGridSelectors() {
  const T2DEnvelopeDots& Grid = Session.Preset->ABGrid->Highlights->Grid;
  ABGridShapeItem = Grid.Circular ? 1 : 0;
  GridSizeItem = GridSizeItemOf(Grid.Circular ? Grid.ColCount : Grid.ColCount - 1);
}

bool TSessionPresets::SavePresetToStream(TByteStream& Stream, bool WithEmbeddedPreset) {
  return Session.EditPreset([&](TKromelPreset& P) {
    return kromel::SavePresetToStream(P, Session.Controls.Controllers, Stream, WithEmbeddedPreset,
                                      "");
  });
}

bool TSessionPresets::SavePresetToFile(const std::string& FileName, bool WithEmbeddedPreset) {
  return Session.EditPreset([&](TKromelPreset& P) {
    return SavePresetToBinaryFile(P, Session.Controls.Controllers, FileName, WithEmbeddedPreset);
  });
}

bool TSessionPresets::LoadPreset(const std::string& FileName) {
  if (!FileExists(FileName)) {
    PlatformShowMessage(_("File not found: ") + FileName);
    return false;
  }
  bool Result = false;
  try {
    std::error_code Ec;
    const auto Length = std::filesystem::file_size(FileName, Ec);
    std::string Bytes;
    if (Ec || Length > uint64_t(MaxPresetFileSize) || !LoadFileToString(FileName, Bytes)) {
      PlatformShowMessage(_("Failed to open preset file: ") + FileName);
      return false;
    }
    TMemoryStream Stream(Bytes);
    if (LoadPresetFromStream(Stream, FileName, false)) {
      AddUndoStep(_("Load preset: ") + FileName);
      Session.RecentPresets.Add(FileName);
      PresetName = FileName;
      DefaultLutFileName = RemoveFileExt(FileName);
      Session.PresetUnmodified = true;
      Result = true;
    }
    Session.UpdateImage(true, false);
  } catch (...) {
    PlatformShowMessage(_("Failed to load preset: ") + FileName);
    Result = false;
  }
  return Result;
}

bool TSessionPresets::LoadPresetXML(const std::string& FileName) {
  if (!FileExists(FileName)) {
    PlatformShowMessage(_("File not found: ") + FileName);
    return false;
  }
  bool Result = false;
  try {
    {
      TKromelSession::TUpdateLock Lock(Session);
      Result = Session.EditPreset(
          [&](TKromelPreset& P) { return kromel::LoadPresetFromFile(P, FileName); });
    }
    if (Result) {
      Session.InvalidateLutStages(0);
      AddUndoStep(_("Load preset: ") + FileName);
      Session.RecentPresets.Add(FileName);
      PresetName = FileName;
    }
    Session.UpdateImage(true, false);
  } catch (...) {
    PlatformShowMessage(_("Failed to load preset: ") + FileName);
    Result = false;
  }
  return Result;
}

bool TSessionPresets::LoadPresetFromLutFile(const std::string& FileName) {
  TPresetLines Lines;
  const std::string Ext = UpperFileExtension(FileName);
  if (Ext == ".CUBE" || Ext == ".CMS")
    LoadFromCube(nullptr, FileName, false, &Lines);
  else
    LoadFrom3DL(nullptr, FileName, false, &Lines);
  if (!Lines || Lines->empty()) return false;
  const std::unique_ptr<TMemoryStream> Stream = DecodeLinesToStream(Lines.get());
  if (!Stream || Stream->Size() == 0) return false;
  Stream->SetPosition(0);
  // Only a preset the reader accepts renames the preset and records a step.
  if (!LoadPresetFromStream(*Stream, FileName, false)) return false;
  Session.RecentPresets.Add(FileName);
  PresetName = FileName;
  DefaultLutFileName = FileName;
  AddUndoStep(_("Load preset ") + FileName);
  return true;
}

bool TSessionPresets::Load3DL(const std::string& FileName) {
  try {
    const bool Result = LoadPresetFromLutFile(FileName);
    if (Result) DefaultLutFileName = FileName;
    Session.UpdateImage(true, false);
    return Result;
  } catch (...) {
    PlatformShowMessage("Exception in Load3DL");
    return false;
  }
}

bool TSessionPresets::SavePagePresetToFile(const std::string& FileName, const std::string& Section) {
  TKromelPreset& P = *Session.Preset;
  TControlledParameter* Part = P.Volume;
  if (Section == "2DCurves")
    Part = P.Curves2D;
  else if (Section == "ABGrid")
    Part = P.ABGrid;
  else if (Section == "CLGrid")
    Part = P.CLGrid;
  else if (Section == "Mask")
    Part = P.Mask;
  const bool Saved = Session.EditPreset(
      [&](TKromelPreset& Doc) { return SaveSectionPresetToFile(Doc, FileName, Part); });
  if (Saved)
    ShowPopupNotification(_("Tab preset is saved."));
  else
    PlatformShowMessage(_("Failed to save Tab preset to ") + FileName);
  return Saved;
}

void TSessionPresets::ApplyGridDefaults(const TPreferences& Prefs, float Scale) {
  int32_t Size = 6;
  bool Circular = false;
  Prefs.DefaultGrid(Size, Circular);
  Session.EditPreset([&](TKromelPreset& P) {
    if (Prefs.DefaultColorModel >= 0) P.ColorModel->SetValue(Prefs.DefaultColorModel);
    const int32_t R = Circular ? CircularGridRange(Scale) : 1000;
    for (TControlledParameterGrid* G : {P.ABGrid->Highlights, P.ABGrid->Shadows}) {
      G->Grid.SetRanges(-R, -R, R, R);
      const int32_t N = Circular ? Size : Size + 1;
      G->Grid.SetSize(N, N);
      G->Grid.Circular = Circular;
      if (Circular)
        G->Grid.InitializeCircular(true);
      else
        G->Grid.InitializeRectangular(true);
      G->Grid.StoreAsDefault();
    }
    for (TControlledParameterGrid* G : {P.CLGrid->AL, P.CLGrid->BL}) {
      G->Grid.SetSize(Size + 1, Size + 1);
      G->Grid.InitializeRectangular(true);
      G->Grid.StoreAsDefault();
    }
    return true;
  });
  RefreshGridSelectors();
  if (View != nullptr) View->ResetGridZoom();
}

void TSessionPresets::ResetToDefaultPreset(bool KeepMask) {
  {
    TKromelSession::TUpdateLock Lock(Session);
    if (EmptyPresetStream.Size() > 0) {
      EmptyPresetStream.SetPosition(0);
      LoadPresetFromStream(EmptyPresetStream, EmptyPresetName, KeepMask);
      PresetName = EmptyPresetName;
    }
    if (Preferences != nullptr) ApplyGridDefaults(*Preferences, ColorModelScale.load());
    Session.InvalidateLutStages(0);
  }
  Session.UpdateImage(true, false);
  if (View != nullptr) View->PagesChanged();
}

void TSessionPresets::InitDefaultPreset() {
  if (Preferences != nullptr) Session.SetLUTSize(std::max(3, Preferences->WorkingLutSize()));
  ResetToDefaultPreset(false);
  EmptyPresetStream.Clear();
  SavePresetToStream(EmptyPresetStream, true);
  const std::string Caption = _("Default preset");
  for (TUndoRedoList& List : UndoLists)
    List.AddState(EmptyPresetStream.Memory(), int32_t(EmptyPresetStream.Size()), Caption);
  UpdateCaptionUndo();
}

void TSessionPresets::NewPreset() {
  ResetToDefaultPreset(false);
  PresetName = EmptyPresetName;
  DefaultLutFileName = EmptyPresetName;
  AddUndoStep(_("Start new preset"));
}

// ---- history

bool TSessionPresets::ApplyEdit(const std::string& StepName, int32_t Level,
                                const std::function<bool(TKromelPreset&)>& Change,
                                bool Notify) {
  {
    TKromelSession::TUpdateLock Lock(Session);
    if (!Session.EditPreset(Change)) return false;
    if (Level < NoInvalidation) Session.InvalidateLutStages(Level);
  }
  if (!StepName.empty()) AddUndoStep(StepName, Notify);
  Session.UpdateImage(true, false);
  return true;
}

void TSessionPresets::AddUndoStep(const std::string& StepName, bool Notify) {
  if (Notify) ShowPopupNotification(StepName);
  Session.PresetUnmodified = false;
  Session.Notify([](TSessionView& V) { V.UpdateCaption(); });
  TMemoryStream Stream;
  if (SavePresetToStream(Stream, true))
    CurrentUndoList().AddState(Stream.Memory(), int32_t(Stream.Size()), StepName);
  UpdateCaptionUndo();
}

template <class TMove>
bool TSessionPresets::RestoreState(TUndoRedoList& List, const std::string& Name, TMove Move) {
  const int32_t Before = List.Current;
  TMemoryStream Stream;
  if (!Move(Stream)) return false;
  Stream.SetPosition(0);
  if (LoadPresetFromStream(Stream, Name, false)) return true;
  // The snapshot was refused: the preset is as it was, and so is the index.
  List.Current = Before;
  return false;
}

bool TSessionPresets::UndoStep() { return MoveStep(false); }

bool TSessionPresets::RedoStep() { return MoveStep(true); }

bool TSessionPresets::MoveStep(bool Forward) {
  std::string Caption;
  bool Moved = false;
  TUndoRedoList& List = CurrentUndoList();
  const bool Done = RestoreState(List, "", [&](TMemoryStream& S) {
    return Moved = Forward ? List.Redo(S, Caption) : List.Undo(S, Caption);
  });
  if (Done)
    ShowPopupNotification(Format(Forward ? "Redo %s" : "Undo %s", Caption));
  else if (!Moved)
    ShowPopupNotification(Forward ? _("No redo steps available") : _("No undo steps available"));
  UpdateCaptionUndo();
  return Done;
}

bool TSessionPresets::GoToHistoryStep(int32_t Index) {
  TUndoRedoList& List = CurrentUndoList();
  bool Done = false;
  if (Index != List.Current)
    Done = RestoreState(List, "History step",
                        [&](TMemoryStream& S) { return List.GoToState(Index, S); });
  UpdateCaptionUndo();
  return Done;
}

void TSessionPresets::SelectVersion(int32_t Index) {
  Index = std::clamp(Index, 0, 2);
  if (Index == CurrentVersion) return;
  const int32_t Before = CurrentVersion;
  CurrentVersion = Index;
  TMemoryStream Stream;
  if (CurrentUndoList().GetCurrentState(Stream)) {
    Stream.SetPosition(0);
    // A refused snapshot keeps the version that matches the preset.
    if (!LoadPresetFromStream(Stream, "Version preset", false)) CurrentVersion = Before;
  }
  UpdateCaptionUndo();
}

void TSessionPresets::CopyFromVersion(int32_t Index) {
  TMemoryStream Stream;
  if (UndoLists[size_t(std::clamp(Index, 0, 2))].GetCurrentState(Stream)) {
    Stream.SetPosition(0);
    LoadPresetFromStream(Stream, "Version preset", false);
  }
  AddUndoStep(_("Copy state from the other version"));
}

void TSessionPresets::UpdateCaptionUndo() {
  try {
    TUndoRedoList& List = CurrentUndoList();
    UndoEnabled = List.CanUndo();
    UndoCaption = _("Undo ") + List.GetUndoCaption();
    RedoEnabled = List.CanRedo();
    RedoCaption = _("Redo ") + List.GetRedoCaption();
    List.FillListBox(History);
    if (View != nullptr) View->UndoCaptionChanged();
  } catch (...) {
    ErrorMessageProc("Exception in UpdateCaptionUndo");
  }
}

void TSessionPresets::ShowPopupNotification(const std::string& Text) {
  PopupText = Text;
  if (View != nullptr) View->ShowPopupNotification(Text);
}

}  // namespace kromel
