#include "session/session_actions.h"

#include <lcms2.h>

#include "analysis/master_curve.h"
#include "colour/cms_handles.h"
#include "controls/switch_controls.h"
#include "fileio/dcp_export.h"
#include "fileio/lut_files_by_name.h"
#include "lut/lut_chunks.h"
#include "lut/lut_file_cube.h"
#include "lut/lut_icc.h"
#include "params/lut_curves.h"
#include "platform/message_sink.h"
#include "platform/translate.h"

namespace kromel {

namespace {

// A changed LUT's name carries exactly one "*" at its end.
void MarkLutNameChanged(T3DLut& Lut) {
  std::string Name;
  for (char C : Lut.Name)
    if (C != '*') Name += C;
  Lut.Name = Name + "*";
}

// A control's value set programmatically (the caller holds the preset).
void SetControl(TKromelSession& S, const char* Name, int32_t Value) {
  if (TController* C = S.Controls.Find(Name)) C->SetControllerValue(Value);
}

void SetButtonSwitch(TKromelSession& S, const char* Group, int32_t Index, bool On) {
  if (TRadioGroupControl* G = S.Controls.FindGroup(Group)) G->SetButtonSwitchState(Index, On);
}

bool ReadLut(T3DLut& Lut, const std::string& FileName) {
  const std::string Ext = UpperLutFileExt(FileName);
  // No view colour management yet: profiles are sampled against sRGB.
  if (Ext == ".ICC" || Ext == ".ICM") {
    TProfilePtr Working(cmsCreate_sRGBProfile());
    return ICCTo3DLUT(FileName, Lut, Working.get(), true, ipSRGB, true);
  }
  if (Ext == ".PNG" || Ext == ".TIF" || Ext == ".TIFF" || Ext == ".3DL" || Ext == ".CUBE")
    return LoadFromFile(Lut, FileName, true, nullptr, ipSRGB, true);
  if (Ext == ".KRS") return ReadKrsFile(FileName, Lut);
  if (Ext == ".CSP") {
    PlatformShowMessage(_("Unsupported LUT type: ") + FileName);
    return false;
  }
  if (Ext == ".DCP") {
    TProfilePtr Working(cmsCreate_sRGBProfile());
    double Matrix[9] = {};
    return LoadFromDCP(Lut, FileName, true, Working.get(), Matrix);
  }
  return LoadFromCube(&Lut, FileName, true, nullptr);
}

}  // namespace

bool ReadExternalLutFile(TSessionPresets& Presets, const std::string& FileName) {
  TKromelSession& S = Presets.Session;
  Presets.ExtLutFileName = FileName;
  T3DLut Lut;
  if (!ReadLut(Lut, FileName)) return false;
  const bool Copied = S.EditPreset([&](TKromelPreset& P) {
    T3DLUTWithStatistics& Ext = *P.ExternalLUT->ExternalLUT;
    if (!Ext.CopyFrom(Lut)) return false;
    Ext.Name = FileName;
    return true;
  });
  if (!Copied) return false;
  S.Dirty.SignalPathDirty = true;
  S.RecentExternalLuts.Add(FileName);
  S.InvalidateLutStages(1);
  return true;
}

bool LoadExternalLut(TSessionPresets& Presets, const std::string& FileName) {
  TKromelSession& S = Presets.Session;
  const bool Read = ReadExternalLutFile(Presets, FileName);
  S.Dirty.SignalPathDirty = true;
  Presets.ApplyEdit(_("Load External LUT from ") + FileName, 0, [&](TKromelPreset&) {
    SetControl(S, "ExternalLUTGlyphSwitch", 1);
    return true;
  });
  return Read;
}

bool SetExternalLutPosition(TSessionPresets& Presets, int32_t Index) {
  if (Index < 0 || Index > 5) return false;
  TKromelSession& S = Presets.Session;
  S.Dirty.SignalPathDirty = true;
  return Presets.ApplyEdit(_("Switch External LUT Mode"), 0, [&](TKromelPreset&) {
    SetControl(S, "UtilityLUTModeComboBox", Index);
    return true;
  });
}

bool ExtractCurvesFromExternalLut(TSessionPresets& Presets) {
  TKromelSession& S = Presets.Session;
  bool Result = false;
  try {
    Result = Presets.ApplyEdit(_("Extract RGB curves from Ext. LUT"), 0, [&](TKromelPreset& P) {
      T3DLUTWithStatistics& Ext = *P.ExternalLUT->ExternalLUT;
      if (Ext.IsEmpty()) {
        PlatformShowMessage(_("Can't extract RGB curves from 3DLUT because it's empty."));
        return false;
      }
      const int32_t Position = P.ExternalLUTPosition->Value;
      if (Position != 0 && Position != 2 && Position != 3) {
        PlatformShowMessage(
            _("Before extracting curves from 3DLUT please set 3DLUT position to Input or Output. "
              "This will affect the method of curves compensation."));
        return false;
      }
      TEnvelopeDots& R = P.RGBCurves->Red->Curve;
      TEnvelopeDots& G = P.RGBCurves->Green->Curve;
      TEnvelopeDots& B = P.RGBCurves->Blue->Curve;
      if (!ExtractCurvesFromLUT(Ext, R, G, B, false)) return false;
      const bool Removed = Position == 3 ? ProcessLUTRemoveCurveOnInput(Ext, Ext, R, G, B)
                                         : ProcessLUTRemoveCurveOnOutput(Ext, Ext, R, G, B);
      MarkLutNameChanged(Ext);
      SetButtonSwitch(S, "CurvesMRGBRadioGroup", 1, true);
      SetButtonSwitch(S, "PagesRadioGroup", 4, true);
      return Removed;
    });
  } catch (...) {
    PlatformShowMessage("Exception in ExtractCurveFromExtLut");
    Result = false;
  }
  if (Result) S.Dirty.SignalPathDirty = true;
  return Result;
}

void MasterCurveToRGB(TSessionPresets& Presets) {
  TKromelSession& S = Presets.Session;
  Presets.ApplyEdit(_("Extract Master curve from RGB curves"), 0, [&](TKromelPreset& P) {
    TRGBCurvesAdjustments& C = *P.RGBCurves;
    const bool After = C.MasterBefore->Value == 1;
    if (!CurveIsIdentity(C.Master->Curve)) {
      FoldMasterCurveIntoRGB(C.Red->Curve, C.Green->Curve, C.Blue->Curve, C.Master->Curve, After);
      C.Master->Curve.SetDefault(cdtDiagonal);
    } else {
      ExtractMasterCurveFromRGB(C.Red->Curve, C.Green->Curve, C.Blue->Curve, C.Master->Curve,
                                !After);
      SetButtonSwitch(S, "CurvesMRGBRadioGroup", 0, true);
    }
    return true;
  });
}

}  // namespace kromel
