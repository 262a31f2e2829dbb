#include "fileio/dcp_export.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "colour/acr3_tone_curve.h"
#include "colour/cms_handles.h"
#include "colour/hsv_hsl.h"
#include "colour/icc_profiles.h"
#include "fileio/curve_file_support.h"
#include "fileio/curves_lightroom.h"
#include "fileio/curves_xmp.h"
#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"
#include "foundation/paths.h"
#include "lut/lut_edit.h"
#include "lut/lut_file_cube.h"
#include "lut/lut_icc.h"
#include "lut/lut_lookup.h"
#include "params/lut_curves.h"
#include "platform/folders.h"
#include "platform/safe_file_writer.h"
#include "platform/translate.h"

namespace kromel {

namespace {

std::string WithoutPathSeparators(std::string Text) {
  for (char& C : Text)
    if (C == '/' || C == '\\' || C == ':') C = '_';
  return Text;
}

// Text inside a double-quoted Lua string.
std::string LuaEscapeText(const std::string& Text) {
  std::string S;
  for (char C : Text) {
    if (C == '\\' || C == '"') S += '\\';
    if (C == '\n' || C == '\r') {
      S += C == '\n' ? "\\n" : "\\r";
      continue;
    }
    S += C;
  }
  return S;
}

void ClampNegative(float& R, float& G, float& B) {
  if (!(R > 0)) R = 0;
  if (!(G > 0)) G = 0;
  if (!(B > 0)) B = 0;
}

// The look table of the export: each (hue, sat, val) cell through the base's
// look table and tone curve, the LUT, and back.
void FillLookTable(TDNGHSVTable& Table, const T3DLut& L, const TDNGCameraProfile& Base, bool UseBaseLook) {
  const int32_t H = Table.HueDivisions, S = Table.SatDivisions, V = Table.ValDivisions;
  const TDNGHVTable& Tone = *Base.ToneCurve;
  int64_t Index = 0;
  for (int32_t v = 0; v < V; ++v)
    for (int32_t h = 0; h < H; ++h)
      for (int32_t s = 0; s < S; ++s, ++Index) {
        const float Hue = 360.0f * h / H;
        const float Sat = float(s) / float(S - 1);
        const float Val = v == 0 ? 1.0f / float(V - 1) : float(v) / float(V - 1);
        float r, g, b;
        HSVtoRGB(r, g, b, Hue, Sat, GammaSRGBToLinear(Val));
        if (UseBaseLook && Base.LookTable) Base.LookTable->ApplyToRGB(r, g, b, Base.LookTableEncoding);
        r = Tone.Evaluate(r);
        g = Tone.Evaluate(g);
        b = Tone.Evaluate(b);
        LinearToGammaRGBByProfile(r, g, b, ipMelissaRGB, 2.4f);
        ClampNegative(r, g, b);
        ProcessColorTetrahedralSingle(L, r, g, b);
        GammaToLinearRGBByProfile(r, g, b, ipMelissaRGB, 2.4f);
        ClampNegative(r, g, b);
        r = Tone.EvaluateInverse(r);
        g = Tone.EvaluateInverse(g);
        b = Tone.EvaluateInverse(b);
        float H2, S2, V2;
        RGBtoHSV(H2, S2, V2, r, g, b);
        V2 = LinearToGammaSRGB(V2);
        TDNGHSV E;
        if (Sat > 0) {
          E.HueShift = S2 == 0 ? 0.0f : H2 - Hue;
          if (E.HueShift < -180) E.HueShift += 360;
          if (E.HueShift > 180) E.HueShift -= 360;
          E.SatScale = S2 / Sat;
          E.ValScale = Val > 0 ? V2 / Val : 1.0f;
        }
        Table.Entries[static_cast<std::size_t>(Index)] = E;
      }
  // The grey column takes hue shift and saturation scale of its neighbour.
  for (int32_t v = 0; v < V; ++v)
    for (int32_t h = 0; h < H; ++h) {
      TDNGHSV& Grey = Table.GetEntryPtr(h, 0, v);
      const TDNGHSV& Next = Table.GetEntryPtr(h, 1, v);
      Grey.HueShift = Next.HueShift;
      Grey.SatScale = Next.SatScale;
    }
}

// Writes the files together, DCP first: each goes to a temporary file, and
// only when all are complete are they renamed over their targets in order.
// A failure is reported by name; the targets are then as they were, except
// that a later rename failing removes the files the earlier ones created.
bool WriteFilesTogether(const std::vector<std::pair<std::string, std::string>>& Files) {
  std::vector<std::unique_ptr<TSafeFileWriter>> Writers;
  for (const auto& [Name, Bytes] : Files) {
    const std::string Folder = ExtractFilePathW(Name);
    if (Folder.size() > 1 && !DirectoryExistsW(Folder)) ForceFoldersW(Folder);
    auto W = std::make_unique<TSafeFileWriter>(Name);
    if (!W->Opened()) {
      ErrorMessageProc("Failed to create file " + Name +
                       (W->TargetNotRegular() ? ": not a regular file" : ""));
      return false;
    }
    if (!W->Write(Bytes.data(), Bytes.size())) {
      ErrorMessageProc("Failed to save file " + Name);
      return false;
    }
    Writers.push_back(std::move(W));
  }
  std::vector<bool> Existed;
  for (const auto& F : Files) Existed.push_back(FileExists(F.first));
  for (std::size_t i = 0; i < Writers.size(); ++i) {
    if (Writers[i]->Commit()) continue;
    ErrorMessageProc("Failed to save file " + Files[i].first);
    for (std::size_t k = 0; k < i; ++k)
      if (!Existed[k]) DeleteFileSafe(Files[k].first);
    return false;
  }
  return true;
}

std::unique_ptr<TDNGHVTable> ACR3Curve() {
  auto C = std::make_unique<TDNGHVTable>(256);
  C->SetACR3Curve();
  return C;
}

}  // namespace

std::string DCPOutputFileName(const std::string& FileName, const std::string& CameraModel) {
  return ExtractFilePathW(FileName) + WithoutPathSeparators(CameraModel) + " " + ExtractFileNameW(FileName);
}

bool Save3DLutDCP(const T3DLut& Lut, const std::string& BaseDCP, const std::string& FileName,
                  const std::string& PresetsFolder, const std::string& ProfileName,
                  bool DropHueSatMaps, bool IgnoreBaseLookTable, bool IgnoreBaseToneCurve,
                  bool ProPhotoEncoded, cmsHPROFILE Source) {
  TDNGCameraProfile P, B;
  T3DLut L;
  TEnvelopeDots C0, CR, CG, CB, C1;
  const auto Stage = [&](const char* Name) {
    ErrorMessageProc(std::string("Exception in T3DLut.Save3DLutDCP ") + Name + FileName);
  };
  // Stage 1.1: base and working copy.
  try {
    if (!P.LoadFromFile(BaseDCP) || !B.LoadFromFile(BaseDCP)) return false;
    if (DropHueSatMaps) {
      P.HueSatMap1.reset();
      P.HueSatMap2.reset();
    }
    P.ProfileName = ProfileName;
    if (!L.CopyFrom(Lut) || L.IsEmpty()) return false;
    Clamp(L);
    if (Source != nullptr) {
      TProfilePtr Melissa(CreateMelissaRGBProfile());
      ConvertLUTProfile(L, Source, Melissa.get());
      if (DebugLogEnabled())
        Save3dLutCube(L, LutDiagnosticFolder() + "DCPExport_MelissaLUT.cube", nullptr, "Kromel", "");
      Clamp(L);
    }
  } catch (...) {
    Stage("1.1 ");
    return false;
  }
  // Stage 1.2 and 1: the channel curves go to the presets, the overall
  // curve to the tone curve.
  try {
    if (!ExtractCurvesFromLUT(L, CR, CG, CB, true)) return false;
    for (TEnvelopeDots* C : {&CR, &CG, &CB}) {
      C->TrimClippedEnds();
      C->MakeMonotonous();
    }
    ProcessLUTRemoveCurveOnOutput(L, L, CR, CG, CB);
    Clamp(L);
    C1.ResetDiagonal(2);
    for (TEnvelopeDots* C : {&CR, &CG, &CB}) C->ReduceDots(15);
  } catch (...) {
    Stage("1.2 ");
    return false;
  }
  TEnvelopeDots PR, PG, PB;  // the preset curves, written at the end
  try {
    for (auto [From, To] : {std::pair{&CR, &PR}, {&CG, &PG}, {&CB, &PB}}) To->CopyFrom(From);
    if (!ExtractCurvesFromLUT(L, CR, CG, CB, false)) return false;
    C0.SetAverageOf(&CR, &CG, &CB);
    Clamp(L);
    ProcessLUTRemoveCurveOnOutput(L, L, C0, C0, C0);
    ProcessCurveGammaToLinear(C0, ipMelissaRGB);
  } catch (...) {
    Stage("1 ");
    return false;
  }
  // Stage 2.
  try {
    if (ProPhotoEncoded) ProcessLUTGammaToLinear(L, L, ipProphotoRGB, 2.4f);
  } catch (...) {
    ErrorMessageProc("Exception in T3DLut.Save3DLutDCP 2" + FileName);
    return false;
  }
  // Stage 3: the look table and the tone curve.
  try {
    P.LookTable = std::make_unique<TDNGHSVTable>(DCPLookHues, DCPLookSats, DCPLookVals);
    P.LookTable->SetIdentity();
    P.LookTableEncoding = 1;
    if (!P.ToneCurve || P.ToneCurve->GetCount() < 2) P.ToneCurve = ACR3Curve();
    if (!B.ToneCurve || B.ToneCurve->GetCount() < 2) B.ToneCurve = ACR3Curve();
    FillLookTable(*P.LookTable, L, B, !IgnoreBaseLookTable);
    const int32_t N = P.ToneCurve->GetCount();
    for (int32_t i = 0; i < N; ++i) {
      const float X = float(i) / float(N - 1);
      float Y = IgnoreBaseToneCurve ? X : B.ToneCurve->Evaluate(X);
      Y = C0.GetValueS(16384 * Y) / 32767;
      P.ToneCurve->SetPoint(i, X, Y);
    }
  } catch (...) {
    Stage("3 ");
    return false;
  }
  // Stage 4: the files, only now that every stage has succeeded.
  try {
    P.ProfileCopyright = "Kromel";
    const std::string OutName = DCPOutputFileName(FileName, P.UniqueCameraModel);
    std::string Folder = PresetsFolder.empty() ? ExtractFilePathW(FileName) : PresetsFolder;
    IncludeTrailingSlash(Folder);
    const std::string PresetBase = Folder + WithoutPathSeparators(ProfileName);
    std::string DCP = P.SaveToBytes();
    if (DCP.empty()) {
      ErrorMessageProc("Failed to save file " + OutName);
      return false;
    }
    const std::string LRName = PresetBase + ".lrtemplate", XMPName = PresetBase + ".xmp";
    const bool Result = WriteFilesTogether(
        {{OutName, std::move(DCP)},
         {LRName, LRTemplateCurvesText(LRName, C1, PR, PG, PB,
                                       "\t\tCameraProfile = \"" + LuaEscapeText(ProfileName) + "\",")},
         {XMPName, XMPCurvesText(XMPName, C1, PR, PG, PB,
                                 "   crs:CameraProfile=\"" + XMLEscapeText(ProfileName) + "\"")}});
    if (Result && P.LookTable->CheckHueDiscontinuity())
      ErrorMessageProc(_("Warning! Resulting profile has extreme hue shifts, that may cause image posterization"));
    return Result;
  } catch (...) {
    Stage("4 ");
    return false;
  }
}

bool LoadFromDCPXML(T3DLut& Lut, const TDNGCameraProfile* Profile, bool Apply, cmsHPROFILE Working,
                    double (&Matrix)[9]) {
  try {
    TProfilePtr ProPhoto(CreateProPhotoRGBLinearProfile());
    TTransformPtr Tin, Tout;
    if (ProPhoto && Working != nullptr) {
      Tin.reset(cmsCreateTransform(Working, TYPE_RGB_FLT, ProPhoto.get(), TYPE_RGB_FLT,
                                   INTENT_ABSOLUTE_COLORIMETRIC, 0));
      Tout.reset(cmsCreateTransform(ProPhoto.get(), TYPE_RGB_FLT, Working, TYPE_RGB_FLT,
                                    INTENT_ABSOLUTE_COLORIMETRIC, 0));
    }
    ProPhoto.reset();
    if (!Tin || !Tout) {
      ErrorMessageProc("LoadFromDCPXML error: Failed to create transform to XYZ");
      return false;
    }
    if (Profile == nullptr) return false;
    const TDNGHSVTable* Look = Profile->LookTable.get();
    const TDNGHSVTable* Map = Profile->HueSatMap1.get();
    int32_t Size = 33;
    if (Look != nullptr && Look->HueDivisions > 0) {
      int32_t Largest = std::max({Look->HueDivisions, Look->SatDivisions, Look->ValDivisions});
      if (Map != nullptr) Largest = std::max({Largest, Map->HueDivisions, Map->SatDivisions, Map->ValDivisions});
      Size = std::clamp(2 * Largest, 2, 128);
    }
    Lut.FreeData();
    if (!Lut.SetSize(Size)) return false;
    Lut.SetDefault();
    Lut.Name = Profile->ProfileName;
    const TDNGHVTable* Tone = Profile->ToneCurve.get();
    const bool UseTone = Tone != nullptr && Tone->GetCount() >= 2;
    for (int32_t i = 0; i < Lut.Count; ++i) {
      float C[3] = {Lut.R[i], Lut.G[i], Lut.B[i]};
      cmsDoTransform(Tin.get(), C, C, 1);
      float H, S, V;
      RGBtoHSV(H, S, V, C[0], C[1], C[2]);
      if (Apply && Map != nullptr) Map->ApplyToHSV(H, S, V);
      HSVtoRGB(C[0], C[1], C[2], H, S, V);
      if (Look != nullptr) Look->ApplyToRGB(C[0], C[1], C[2], Profile->LookTableEncoding);
      for (float& X : C) X = UseTone ? Tone->Evaluate(X) : dng_tone_curve_acr3_calc(X);
      cmsDoTransform(Tout.get(), C, C, 1);
      Lut.R[i] = C[0];
      Lut.G[i] = C[1];
      Lut.B[i] = C[2];
    }
    for (int k = 0; k < 9; ++k) Matrix[k] = Profile->ForwardMatrix1.Values[k];
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in LoadFromDCPXML " + Lut.Name);
    return false;
  }
}

bool LoadFromDCP(T3DLut& Lut, const std::string& FileName, bool Apply, cmsHPROFILE Working,
                 double (&Matrix)[9]) {
  try {
    TDNGCameraProfile Profile;
    if (!Profile.LoadFromFile(FileName)) return false;
    T3DLut Result;
    if (!LoadFromDCPXML(Result, &Profile, Apply, Working, Matrix)) return false;
    if (!Lut.CopyFrom(Result)) return false;
    Lut.Name = FileName;
    return true;
  } catch (...) {
    return false;
  }
}

namespace {

// Dot coordinates through Map: X over 16384, Y over 32768, each as float
// and rounded halves to even.
template <class TMap>
void MapCurveDots(TEnvelopeDots& Curve, const TMap& Map) {
  for (int32_t i = 0; i < Curve.NumDots; ++i) {
    TCurveDotPoint& D = Curve.Dot(i);
    const float X = static_cast<float>(D.X / 16384.0);
    const float Y = static_cast<float>(D.Y / 32768.0);
    D.X = static_cast<int32_t>(RoundToInt64Saturated(16384.0f * Map(X)));
    D.Y = static_cast<int32_t>(RoundToInt64Saturated(32768.0f * Map(Y)));
  }
  Curve.SplineValid = false;
}

}  // namespace

void ProcessCurveGammaToLinear(TEnvelopeDots& Curve, TImageProfile Profile) {
  try {
    MapCurveDots(Curve, [Profile](float V) { return GammaToLinearByProfile(Profile, V); });
  } catch (...) {
    ErrorMessageProc("Exception in ProcessCurveGammaToLinear");
  }
}

void ProcessCurveGammaChangeGammaProfile(TEnvelopeDots& Curve, TImageProfile From, TImageProfile To) {
  try {
    MapCurveDots(Curve, [From, To](float V) { return LinearToGammaByProfile(To, GammaToLinearByProfile(From, V)); });
    Curve.CalcSpline();
  } catch (...) {
    ErrorMessageProc("Exception in ProcessCurveGammaChangeGammaProfile");
  }
}

bool SaveGrayAxisToText(const T3DLut& Lut, const std::string& FileName) {
  std::string Text;
  for (int32_t i = 0; i < Lut.Size && Lut.HasPlanes(); ++i) {
    const int64_t N = i + int64_t(Lut.NLRH) * (i + int64_t(Lut.NLGS) * i);
    const float Mean = (Lut.R[N] + Lut.G[N] + Lut.B[N]) / 3;
    char Line[64];
    const auto R = std::to_chars(Line, Line + sizeof Line, Mean, std::chars_format::fixed, 10);
    Text.append(Line, R.ptr);
    Text += '\n';
  }
  return SaveStringToFile(FileName, Text, ErrorMessageProc);
}

}  // namespace kromel
