#include "controls/binary_preset.h"

#include <cmath>
#include <cstring>
#include <exception>
#include <memory>

#include "engine/lut_procedures.h"
#include "foundation/debug_log.h"
#include "foundation/numeric.h"
#include "foundation/text_tokens.h"
#include "lut/lut_chunks.h"
#include "params/envelope_math.h"
#include "params/volume_mixer_mapping.h"
#include "platform/message_sink.h"
#include "platform/translate.h"

namespace kromel {

namespace {

const char* const ProgramTitle = "Kromel";

void ShowFormatted(const char* Text, const std::string& Argument) {
  std::string Message = _(Text);
  ReplaceFirst(Message, "%s", Argument);
  PlatformShowMessage(Message);
}

void ShowNotAPreset() { ShowFormatted("Error: not a %s preset.", ProgramTitle); }

// ---------------------------------------------------------------------------
// Value changes of the migrations. Isolated parameters (the kept mask) are
// left alone.

void SetInt(TControlledParameterInteger* P, int32_t Value) {
  if (!P->Isolate) P->SetValue(Value);
}

void AddInt(TControlledParameterInteger* P, int32_t Delta) {
  SetInt(P, SatInt32(int64_t{P->Value} + Delta));
}

// Value += Delta when Value > Above.
void BumpAbove(TControlledParameterInteger* P, int32_t Above, int32_t Delta) {
  if (P->Value > Above) AddInt(P, Delta);
}

void SetSingle(TControlledParameterSingle* P, float Value) {
  if (!P->Isolate) P->SetValue(Value);
}

void ResetSingle(TControlledParameterSingle* P) { SetSingle(P, P->DefaultValue); }

// X and Y of dot (Col, Row) and of its default position times Factor.
void ScaleDotXY(T2DEnvelopeDots& Grid, int32_t Col, int32_t Row, int64_t Factor) {
  for (TDotColumns* Array : {&Grid.Dots, &Grid.DefaultDots}) {
    if (size_t(Col) >= Array->size() || size_t(Row) >= (*Array)[size_t(Col)].size()) continue;
    TDotPoint& D = (*Array)[size_t(Col)][size_t(Row)];
    D.X = SatInt32(int64_t{D.X} * Factor);
    D.Y = SatInt32(int64_t{D.Y} * Factor);
  }
}

TDotPoint* DotAt(T2DEnvelopeDots& Grid, int32_t Col, int32_t Row) {
  if (size_t(Col) >= Grid.Dots.size() || size_t(Row) >= Grid.Dots[size_t(Col)].size())
    return nullptr;
  return &Grid.Dots[size_t(Col)][size_t(Row)];
}

int32_t RoundedInt32(double X) { return SatInt32(RoundToInt64Saturated(X)); }

// An identity external LUT: at its own shape, or at the smallest one when it
// has none yet.
void SetIdentity(T3DLut& Lut) {
  if (!ValidLutLevels(Lut.NLRH) || !ValidLutLevels(Lut.NLGS) || !ValidLutLevels(Lut.NLBL))
    Lut.SetSize(MinLutLevels);
  Lut.SetDefault();
}

// ---------------------------------------------------------------------------
// One reading of the stream's chunks. The scratch pass reads into a scratch
// preset and an empty registry to prove the stream sound; the commit pass
// reads the same bytes into the real preset and runs the migrations.

class TPresetStreamReader {
public:
  TPresetStreamReader(TKromelPreset& Preset, TControllersArray& Controllers, TByteStream& Stream,
                      uint32_t Version, bool Commit)
      : P(Preset), C(Controllers), S(Stream), V(Version), Commit(Commit) {}

  // The chunks after the header; False at the first damaged chunk (reported
  // on the scratch pass).
  bool Run();

private:
  TKromelPreset& P;
  TControllersArray& C;
  TByteStream& S;
  const uint32_t V;
  const bool Commit;

  bool DataLeft() const { return S.Remaining() > 0; }
  // A failed read; the readers that report for themselves say so.
  bool Fail(bool Reported) const {
    if (!Commit && !Reported) ShowNotAPreset();
    return false;
  }
  bool Grid(TControlledParameterGrid* G, bool ShowErrors) {
    return G->Grid.LoadFromStream(S, ShowErrors) || Fail(ShowErrors);
  }
  bool Curve(TControlledParameterCurve* Curve) {
    return Curve->Curve.LoadFromStream(S) || Fail(true);
  }
  bool Int(TControlledParameterInteger* Target) {
    int32_t Value = 0;
    if (!ReadChunkInt32(S, Value)) return Fail(false);
    if (Commit) SetInt(Target, Value);
    return true;
  }
  void LutChanged(bool Changed) {
    if (Commit && Changed && P.OnChange) P.OnChange(&P);
  }

  // Control Number = Value unless it is isolated.
  void Control(int32_t Number, float Value) {
    TController* Ctl = C.At(Number);
    if (Ctl != nullptr && !Ctl->GetIsolate()) Ctl->SetControllerValueS(Value);
  }
  float ControlValue(int32_t Number) const {
    TController* Ctl = C.At(Number);
    return Ctl != nullptr ? Ctl->GetControllerValueS() : 0.0f;
  }
  float LoadedControlValue(int32_t Number) const {
    TController* Ctl = C.At(Number);
    return Ctl != nullptr ? Ctl->LoadedValue : 0.0f;
  }

  void MigrateA();
  void MigrateB();
  void MigrateC();
  void MigrateD();
  void MigrateVolumeGrid();
  void MigrateChannelMixerGrid();
};

bool TPresetStreamReader::Run() {
  TMaskAdjustments* Mask = P.MaskUnit();
  if (!C.LoadValuesFromStream(S)) return Fail(true);
  if (Commit) MigrateA();

  // Old streams may end after the controls or the first grid.
  if (DataLeft() && !Grid(P.ABGrid->Highlights, true)) return false;
  if (Commit) MigrateB();

  if (DataLeft()) {
    if (!Grid(P.ABGrid->Shadows, false)) return false;
    if (DataLeft()) {
      TModelCurvesAdjustments* MC = P.ModelCurves;
      if (!Curve(MC->Luminance) || !Curve(MC->SatLuma)) return false;
      if (V >= 24) {
        if (!Curve(MC->Saturation)) return false;
      } else if (Commit) {
        MC->Saturation->Curve.ResetDiagonal(2);
        P.TabSwitches->SetSwitch(TabSwitchSaturationReset, 1);
      }
      if (V >= 31) {
        if (!Curve(MC->LumaSat)) return false;
      } else if (Commit) {
        MC->LumaSat->Curve.ResetHorizontal(0x4000, 2);
      }
      TRGBCurvesAdjustments* RC = P.RGBCurves;
      for (TControlledParameterCurve* Cv : {RC->Master, RC->Red, RC->Green, RC->Blue})
        if (!Curve(Cv)) return false;
    }
  }

  if (V >= 4)
    for (TControlledParameterGrid* G : {P.Curves2D->RG, P.Curves2D->RB, P.Curves2D->GB})
      if (!Grid(G, true)) return false;
  if (V >= 5 && !Grid(P.Volume->VolumeGrid, true)) return false;
  if (V >= 5 && Commit) MigrateVolumeGrid();
  if (V >= 7) {
    if (!Grid(P.ChannelMixer->ChannelMixerGrid, true)) return false;
    if (Commit) MigrateChannelMixerGrid();
  }
  if (V >= 9 && (!Grid(P.CLGrid->AL, true) || !Grid(P.CLGrid->BL, true))) return false;
  if (V >= 10) {
    if (!Curve(Mask->Curve1)) return false;
    if (V >= 15 && (!Curve(Mask->Curve2) || !Curve(Mask->Curve3))) return false;
    if (!Int(Mask->ReferenceColor)) return false;
  }
  if (V >= 19 && DataLeft() && !Int(P.LogDecoder->MaxColor)) return false;

  TExternalLUT* Ext = P.ExternalLUT;
  if (V >= 12 && DataLeft()) {
    bool Changed = false;
    if (!ReadLut3DChunk(S, *Ext->ExternalLUT, Changed)) return Fail(true);
    LutChanged(Changed);
  } else if (Commit) {
    SetInt(P.MaskDestination, 0);
    SetInt(P.ExternalLUTPosition, 0);
    SetInt(Ext->ExtLUTSwitch, 0);
    SetIdentity(*Ext->ExternalLUT);
  }
  if (Commit) MigrateC();

  if (V >= 44 && DataLeft()) {
    // A kept mask consumes the chunk and keeps its LUT.
    T3DLut Discard;
    T3DLut& Target = Commit && Mask->MaskLUTIsolate ? Discard : *Mask->MaskLUT;
    bool Changed = false;
    if (!ReadLutSingleChannelChunk(S, Target, Changed)) return Fail(false);
    if (&Target != &Discard) LutChanged(Changed);
  }
  if (V >= 45 && DataLeft()) {
    bool Changed = false;
    if (!P.LogDecoder->CustomLog->LoadFromStream(S, Changed)) return Fail(true);
    LutChanged(Changed);
  }
  if (Commit) {
    MigrateD();
    // Every value within its control's range, whatever the stream held.
    LimitParameterValues(P);
  }
  return true;
}

void TPresetStreamReader::MigrateA() {
  TMaskAdjustments* Mask = P.MaskUnit();
  TMasterAdjustments* Master = P.Master;
  if (V < 2) {
    Control(7, 1);
    Control(8, 1);
  }
  if (V < 3) {
    Control(9, 0);
    SetSingle(P.Clipping->HighlightRecovery, 1);
  }
  if (V < 6) {
    Control(18, 0.5f);
    Control(19, 0.5f);
  }
  if (V < 7) Control(21, 0);
  if (V < 8) Control(25, 0);
  if (V < 9) Control(33, 0);
  if (V < 13) Control(36, ControlValue(36) * 0.03125f * 12);
  if (V == 13) Control(36, ControlValue(36) * 0.03125f * 13);
  if (V == 14) Control(36, LoadedControlValue(36) * 0.03125f * 18);
  if (V < 14 && Mask->MaskType->Value > 2) AddInt(Mask->MaskType, 3);
  if (V < 14) SetInt(Mask->Preview, 0);
  if (V < 15) {
    SetInt(Master->MasterSwitch, 0);
    for (TControlledParameterSingle* S1 : {Master->Blend, Master->Luminance, Master->Hue,
                                           Master->Saturation})
      ResetSingle(S1);
    SetInt(P.ChannelMixer->CameraCalibration, 0);
  }
  if (V < 13) {
    Control(42, 0);
    Control(43, 1);
    Control(48, 0);
  }
  if (V < 14) {
    for (int32_t N : {46, 49, 50, 51}) Control(N, 0.75f);
    Control(47, 0);
  }
  if (V < 13) AddInt(P.ColorModel, 1);
  if (V < 14) {
    BumpAbove(P.ColorModel, 0, 1);
    SetSingle(P.ExternalLUT->Blend, 0.75f);
  }
  if (V < 16) SetInt(Mask->Invert, 0);
  if (V < 17 && P.RGBCurves->CurveMode->Value != 0) SetInt(P.RGBCurves->CurveMode, 1);
  if (V < 17 && P.ColorModel->Value == 9) SetInt(P.ColorModel, 11);
  if (V < 25) BumpAbove(P.ColorModel, 10, 2);
  if (V < 21) BumpAbove(Mask->MaskType, 17, 1);
  if (V < 23) {
    for (TControlledParameterInteger* E : {Mask->Curve1Enable, Mask->Curve2Enable,
                                           Mask->Curve3Enable})
      SetInt(E, 1);
    ResetSingle(P.ChannelMixer->SaturationLimit);
  }
  if (V < 25) P.TabSwitches->SetSwitch(2, 1);
  if (V < 26) {
    TChannelMixerAdjustments* CM = P.ChannelMixer;
    for (TControlledParameterSingle* O : {CM->OffsetR, CM->OffsetG, CM->OffsetB}) ResetSingle(O);
    ResetSingle(P.RGBCurves->RGBGamutExtension);
  }
}

void TPresetStreamReader::MigrateB() {
  TControlledParameterInteger* InputLog = P.LogDecoder->InputLog;
  TMasterAdjustments* Master = P.Master;
  if (V < 16) {
    Control(25, ControlValue(25) / 31 * 5);
    if (InputLog->Value == 2) SetInt(InputLog, 6);
    ResetSingle(P.Basic->Blacks);
    ResetSingle(P.Clipping->ColorRecovery);
  }
  if (V < 20) {
    BumpAbove(P.RGBCurves->CurveMode, 1, 1);
    ResetSingle(P.RGBCurves->HueRotation);
  }
  if (V < 26) {
    const int32_t Log = InputLog->Value;
    if (Log == 1 || Log == 7 || Log == 8)
      SetSingle(P.ABGrid->Brightness, P.ABGrid->Brightness->Value - 0.1f);
    BumpAbove(InputLog, 8, 3);
  }
  if (V < 27) SetInt(P.LogEncoder->OutputLog, 0);
  if (V < 27 && InputLog->Value == 12) SetInt(InputLog, 13);
  if (V < 28 && InputLog->Value == 13) SetInt(InputLog, 14);
  if (V < 30 && InputLog->Value == 14) SetInt(InputLog, 15);
  if (V < 23) BumpAbove(P.ExternalLUTPosition, 1, 1);
  if (V < 27) {
    SetInt(Master->BlendingMode, 0);
    SetInt(P.Volume->Mode, 0);
  }
  if (V < 34) BumpAbove(Master->BlendingMode, 6, 1);
  if (V < 30) SetInt(Master->ColorModel, 0);
}

void TPresetStreamReader::MigrateC() {
  TControlledParameterInteger* InputLog = P.LogDecoder->InputLog;
  TControlledParameterInteger* OutputLog = P.LogEncoder->OutputLog;
  TControlledParameterInteger* Position = P.ExternalLUTPosition;
  if (V < 35) {
    SetInt(P.ExternalLUT->ExtLUTSwitch, Position->Value != 0 ? 1 : 0);
    BumpAbove(Position, 0, -1);
  }
  if (V < 36) {
    for (TControlledParameterInteger* E : {P.Curves2D->RGEnabled, P.Curves2D->RBEnabled,
                                           P.Curves2D->GBEnabled})
      SetInt(E, 1);
    BumpAbove(P.MaskUnit()->MaskType, 7, 1);
  }
  if (V < 37) BumpAbove(Position, 0, 1);
  for (const auto& [Below, Above] : {std::pair<uint32_t, int32_t>{38, 10}, {39, 3}, {41, 13}})
    if (V < Below) {
      BumpAbove(InputLog, Above, 1);
      BumpAbove(OutputLog, Above, 1);
    }
  if (V < 41) ResetSingle(P.Basic->DynamicRange);
  TRGBContrastAdjustments* RC = P.RGBContrast;
  if (V < 42 && RC->Contrast->Value != 0.5f)
    SetSingle(RC->Pivot, std::sqrt(std::fmax(0.0f, RC->Pivot->Value)));
  if (V < 44) SetInt(P.FilmCurve->FilmCurve, 0);
}

void TPresetStreamReader::MigrateD() {
  TControlledParameterInteger* InputLog = P.LogDecoder->InputLog;
  TControlledParameterInteger* OutputLog = P.LogEncoder->OutputLog;
  if (V < 46) {
    BumpAbove(InputLog, 1, 2);
    BumpAbove(OutputLog, 1, 2);
  }
  if (V < 47) SetSingle(P.Basic->Exposure, P.ABGrid->Brightness->Value);
  for (const auto& [Below, Above] :
       {std::pair<uint32_t, int32_t>{48, 22}, {49, 23}, {50, 24}, {51, 26}})
    if (V < Below) {
      BumpAbove(InputLog, Above, 1);
      BumpAbove(OutputLog, Above, 1);
    }
}

void TPresetStreamReader::MigrateVolumeGrid() {
  T2DEnvelopeDots& Grid = P.Volume->VolumeGrid->Grid;
  if (V < 22) ScaleDotXY(Grid, 0, 0, 10);
  if (V < 14)
    if (TDotPoint* D = DotAt(Grid, 0, 0)) D->Z /= 2;
}

void TPresetStreamReader::MigrateChannelMixerGrid() {
  T2DEnvelopeDots& Grid = P.ChannelMixer->ChannelMixerGrid->Grid;
  if (V < 17) {
    for (int32_t Col = 0; Col < 3; ++Col) ScaleDotXY(Grid, Col, 0, 10);
    TDotPoint* D1 = DotAt(Grid, 1, 0);
    if (D1 != nullptr && D1->X == -870) D1->X = -866;
    TDotPoint* D2 = DotAt(Grid, 2, 0);
    if (D2 != nullptr && D2->X == 870) D2->X = 866;
  }
  if (V < 20) {
    const bool Columns = P.ChannelMixer->CameraCalibration->Value > 0;
    TChannelMixerParams Matrix;
    GridBoxToChannelMixer(&Grid, Matrix, true, false, Columns);
    ChannelMixerToGridBox(Matrix, &Grid, MixerGridGeometry, Columns);
    if (TDotPoint* D = DotAt(P.Volume->VolumeGrid->Grid, 0, 0)) {
      float R = 0, G = 0, B = 0;
      VolumeXYToRGB(R, G, B, false, true, false, D->X / 1000.0f, D->Y / 1000.0f, D->Z / 25.0f);
      float X = 0, Y = 0, Z = 0;
      RGBToVolumeXY(X, Y, Z, MixerGridGeometry, true, false, R, G, B);
      D->X = RoundedInt32(double(X) * 1000);
      D->Y = RoundedInt32(double(Y) * 1000);
      D->Z = RoundedInt32(double(Z) * 25);
    }
  }
}

// Sets the mask's isolation for a load and clears it on every way out.
class TMaskIsolation {
public:
  TMaskIsolation(TMaskAdjustments* Mask, bool KeepMask) : FMask(Mask) {
    FMask->SetMaskIsolate(KeepMask);
  }
  ~TMaskIsolation() { FMask->SetMaskIsolate(false); }
  TMaskIsolation(const TMaskIsolation&) = delete;
  TMaskIsolation& operator=(const TMaskIsolation&) = delete;

private:
  TMaskAdjustments* FMask;
};

void LogLoad(const char* Text, int LevelChange) {
  if (DebugLogEnabled()) DebugLogAdd(Text, LevelChange);
}

}  // namespace

bool SavePresetToStream(TKromelPreset& Preset, const TControllersArray& Controllers,
                        TByteStream& Stream, bool WithEmbeddedPreset,
                        const std::string& GridText) {
  try {
    Preset.Version = PresetStreamVersion;
    Preset.Reserved = 0;
    WriteChunkTag(Stream, PresetStreamMagic);
    WriteChunkInt32(Stream, 0);
    WriteChunkInt32(Stream, Preset.Version);
    WriteChunkInt32(Stream, Preset.Reserved);
    Controllers.SaveValuesToStream(Stream);

    bool Ok = Preset.ABGrid->Highlights->Grid.SaveToStream(Stream, GridText) &&
              Preset.ABGrid->Shadows->Grid.SaveToStream(Stream, GridText);
    TModelCurvesAdjustments* MC = Preset.ModelCurves;
    TRGBCurvesAdjustments* RC = Preset.RGBCurves;
    for (TControlledParameterCurve* C : {MC->Luminance, MC->SatLuma, MC->Saturation,
                                         MC->LumaSat, RC->Master, RC->Red, RC->Green, RC->Blue})
      Ok = Ok && C->Curve.SaveToStream(Stream);
    for (TControlledParameterGrid* G :
         {Preset.Curves2D->RG, Preset.Curves2D->RB, Preset.Curves2D->GB,
          Preset.Volume->VolumeGrid, Preset.ChannelMixer->ChannelMixerGrid})
      Ok = Ok && G->Grid.SaveToStream(Stream, "");
    Ok = Ok && Preset.CLGrid->AL->Grid.SaveToStream(Stream, GridText) &&
         Preset.CLGrid->BL->Grid.SaveToStream(Stream, GridText);
    TMaskAdjustments* Mask = Preset.MaskUnit();
    for (TControlledParameterCurve* C : {Mask->Curve1, Mask->Curve2, Mask->Curve3})
      Ok = Ok && C->Curve.SaveToStream(Stream);
    if (!Ok) throw EStreamError("Stream write error");
    WriteChunkInt32(Stream, Mask->ReferenceColor->Value);
    WriteChunkInt32(Stream, Preset.LogDecoder->MaxColor->Value);
    if (!WriteLut3DChunk(Stream, *Preset.ExternalLUT->ExternalLUT, WithEmbeddedPreset) ||
        !WriteLutSingleChannelChunk(Stream, *Mask->MaskLUT) ||
        !Preset.LogDecoder->CustomLog->SaveToStream(Stream))
      throw EStreamError("Stream write error");
    return true;
  } catch (const std::exception&) {
    PlatformShowMessage("Exception in SavePresetToStream");
    return false;
  }
}

bool LoadPresetFromStream(TKromelPreset& Preset, TControllersArray& Controllers,
                          TByteStream& Stream, const std::string& SourceName, bool KeepMask,
                          int32_t& Version) {
  LogLoad("LoadPresetFromStream Start", 1);
  Version = 0;
  const auto Quit = [] {
    LogLoad("LoadPresetFromStream Quit", -1);
    return false;
  };
  try {
    const int64_t Start = Stream.Position();
    char Magic[4];
    if (!ReadChunkTag(Stream, Magic)) {
      ShowFormatted("Can not load preset: file %s is empty", SourceName);
      return Quit();
    }
    if (std::memcmp(Magic, PresetStreamMagic, 4) != 0) {
      Stream.SetPosition(Start);
      ShowNotAPreset();
      return Quit();
    }
    int32_t Zero = 0;
    int32_t Found = 0;
    int32_t Reserved = 0;
    if (!ReadChunkInt32(Stream, Zero) || !ReadChunkInt32(Stream, Found) ||
        (uint32_t(Found) >= 40 && !ReadChunkInt32(Stream, Reserved))) {
      Stream.SetPosition(Start);
      ShowNotAPreset();
      return Quit();
    }
    Version = Found;
    const int64_t Body = Stream.Position();

    // The whole stream into a scratch preset first: a damaged stream stops
    // there and the real preset stays as it was.
    {
      TKromelPreset Scratch;
      TControllersArray NoControls;
      TPresetStreamReader Dry(Scratch, NoControls, Stream, uint32_t(Found), false);
      if (!Dry.Run()) {
        Stream.SetPosition(Start);
        return Quit();
      }
    }
    const int64_t End = Stream.Position();

    Stream.SetPosition(Body);
    Preset.TabSwitches->SetSwitch(TabSwitchKeepMask, KeepMask ? 1 : 0);
    TMaskIsolation Isolation(Preset.MaskUnit(), KeepMask);
    TPresetStreamReader Reader(Preset, Controllers, Stream, uint32_t(Found), true);
    if (!Reader.Run() || Stream.Position() != End) {
      PlatformShowMessage("Exception in Preset.LoadPresetFromStream");
      return Quit();
    }
    LogLoad("LoadPresetFromStream End", -1);
    return true;
  } catch (const std::exception&) {
    PlatformShowMessage("Exception in Preset.LoadPresetFromStream");
    return Quit();
  }
}

}  // namespace kromel
