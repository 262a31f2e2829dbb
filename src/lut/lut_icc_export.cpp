#include "lut/lut_icc_export.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "colour/cms_handles.h"
#include "colour/icc_profiles.h"
#include "colour/log_curves.h"
#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "foundation/paths.h"
#include "lut/lut_edit.h"
#include "lut/lut_lookup.h"
#include "platform/translate.h"

namespace kromel {

namespace {

// 65535 v rounded (halves to even), in single precision, within 0..65535.
uint16_t Quantize(float V) {
  const float P = std::nearbyint(65535.0f * V);
  if (!(P > 0)) return 0;
  if (P > 65535.0f) return 65535;
  return static_cast<uint16_t>(P);
}

// CLUT words between file (big-endian) and host order.
void SwapCLUTOrder(uint8_t* Tag) {
  if constexpr (std::endian::native == std::endian::little) ICCMFTData::SwapCLUT(Tag);
}

uint16_t* HostCLUT(std::vector<uint8_t>& Tag) {
  return reinterpret_cast<uint16_t*>(ICCMFTData::GetCLUT(Tag.data()));
}

int64_t CLUTPoints(const std::vector<uint8_t>& Tag) {
  const int64_t N = Tag[10];
  return N * N * N;
}

// Lab in lut16 tables is in the legacy 16-bit encoding (L 100 at 0xFF00,
// a and b 0 at 0x8000), whatever the profile's version: readers decode
// this tag type so.

// The host-order CLUT entries read as Lab, through a float Lab to RGB
// transform: RGB triplets, not clipped to 0..1 where the profile allows.
std::vector<double> CLUTLabToRGB(std::vector<uint8_t>& Tag, cmsHTRANSFORM LabToRGB) {
  const uint16_t* C = HostCLUT(Tag);
  const int64_t Points = CLUTPoints(Tag);
  std::vector<double> V(static_cast<std::size_t>(3 * Points));
  for (int64_t i = 0; i < Points; ++i) {
    cmsCIELab Lab;
    cmsLabEncoded2FloatV2(&Lab, C + 3 * i);
    V[3 * i] = Lab.L;
    V[3 * i + 1] = Lab.a;
    V[3 * i + 2] = Lab.b;
  }
  cmsDoTransform(LabToRGB, V.data(), V.data(), static_cast<cmsUInt32Number>(Points));
  for (double& X : V)
    if (!std::isfinite(X)) X = 0;
  return V;
}

// RGB triplets through a float RGB to Lab transform into the host-order
// CLUT.
void StoreCLUTLab(std::vector<uint8_t>& Tag, std::vector<double>& RGB, cmsHTRANSFORM RGBToLab) {
  uint16_t* C = HostCLUT(Tag);
  const int64_t Points = CLUTPoints(Tag);
  cmsDoTransform(RGBToLab, RGB.data(), RGB.data(), static_cast<cmsUInt32Number>(Points));
  for (int64_t i = 0; i < Points; ++i) {
    cmsCIELab Lab = {RGB[3 * i], RGB[3 * i + 1], RGB[3 * i + 2]};
    if (!std::isfinite(Lab.L) || !std::isfinite(Lab.a) || !std::isfinite(Lab.b)) Lab = {0, 0, 0};
    cmsFloat2LabEncodedV2(C + 3 * i, &Lab);
  }
}

// The LUT at a colour that may lie outside 0..1: inside, the lookup; outside,
// the lookup at the nearest colour of the cube plus the distance to it, so
// that the map goes on past the cube's faces without a fold. A table whose
// grid points fall outside the working gamut then interpolates the colours
// inside it without the pull of clipped neighbours.
void ExtendedLookup(const T3DLut& Lut, double* V) {
  float In[3];
  for (int c = 0; c < 3; ++c) In[c] = static_cast<float>(std::clamp(V[c], 0.0, 1.0));
  float Out[3] = {In[0], In[1], In[2]};
  ProcessColorTetrahedralSingle(Lut, Out[0], Out[1], Out[2]);
  for (int c = 0; c < 3; ++c) V[c] = Out[c] + (V[c] - In[c]);
}

// Every host-order CLUT entry replaced by the LUT's output for it; with
// UseDecode each channel is first decoded with the Decode curve.
std::vector<double> LookUpCLUT(std::vector<uint8_t>& Tag, const T3DLut& Lut, TImageProfile Decode,
                               bool UseDecode) {
  const uint16_t* C = HostCLUT(Tag);
  const int64_t Points = CLUTPoints(Tag);
  std::vector<double> Out(static_cast<std::size_t>(3 * Points));
  for (int64_t i = 0; i < Points; ++i, C += 3) {
    float V[3] = {C[0] / 65535.0f, C[1] / 65535.0f, C[2] / 65535.0f};
    if (UseDecode)
      for (float& X : V) X = GammaToLinearByProfile(Decode, X);
    ProcessColorTetrahedralSingle(Lut, V[0], V[1], V[2]);
    for (int k = 0; k < 3; ++k) Out[3 * i + k] = Quantize(V[k]) / 65535.0;
  }
  return Out;
}

void LogStep(const std::string& Text) {
  if (DebugLogEnabled()) DebugLogAdd("T3DLut.SaveICC " + Text, 0);
}

// The base profile's A2B0 as raw bytes; empty when it has none.
std::vector<uint8_t> ReadRawA2B0(cmsHPROFILE Profile) {
  std::vector<uint8_t> Tag;
  const cmsUInt32Number Size = cmsReadRawTag(Profile, cmsSigAToB0Tag, nullptr, 0);
  LogStep("cmsSigAToB0Tag0 Size=" + std::to_string(Size));
  if (Size == 0) return Tag;
  Tag.resize(Size);
  const cmsUInt32Number Read = cmsReadRawTag(Profile, cmsSigAToB0Tag, Tag.data(), Size);
  LogStep("Read A2B0 Size=" + std::to_string(Read));
  if (Read != Size) Tag.clear();
  return Tag;
}

bool WriteProfileTags(cmsHPROFILE Profile, cmsProfileClassSignature Class) {
  static const cmsCIEXYZ Black = {0, 0, 0};
  static const cmsCIEXYZ White = {0.9642, 1.0, 0.82491};
  static const cmsFloat64Number Chad[9] = {1.048035,  0.02301, -0.050171, 0.029724, 0.990326,
                                           -0.017075, -0.009232, 0.01503, 0.752151};
  cmsSetColorSpace(Profile, Class == cmsSigAbstractClass ? cmsSigLabData : cmsSigRgbData);
  cmsSetPCS(Profile, cmsSigLabData);
  return cmsWriteTag(Profile, cmsSigMediaBlackPointTag, &Black) &&
         cmsWriteTag(Profile, cmsSigMediaWhitePointTag, &White) &&
         cmsWriteTag(Profile, cmsSigChromaticAdaptationTag, Chad);
}

}  // namespace

int32_t ICCGridPoints(int32_t LutSize) {
  int32_t N = LutSize < 2 ? 2 : (LutSize > 255 ? 255 : LutSize);
  if (N % 2 == 0) ++N;
  return N > 255 ? 255 : N;
}

const char* ICCDescriptionSuffix(cmsProfileClassSignature Class) {
  switch (Class) {
    case cmsSigAbstractClass: return " AbstractICC KRML";
    case cmsSigOutputClass: return " PrinterICC KRML";
    default: return " KRML";
  }
}

bool SaveICC(const T3DLut& Lut, const std::string& FileName, int32_t LutSize, cmsHPROFILE Working,
             TImageProfile ImageProfile, cmsProfileClassSignature Class, bool LogC, bool Gamma18,
             const std::string& BaseICC, cmsUInt32Number Intent) {
  const bool Abstract = Class == cmsSigAbstractClass;
  const bool HasB2A0 = Class == cmsSigOutputClass || Class == cmsSigDisplayClass;
  const bool HasBase = !BaseICC.empty();
  const bool Shaper = Class == cmsSigInputClass && !HasBase;
  T3DLut Work;
  TProfilePtr Profile, Lab;
  TTransformPtr T0, T1;
  std::vector<uint8_t> A2B0, B2A0;
  std::vector<double> BaseRGB;  // the base's A2B0 grid as working RGB
  if (DebugLogEnabled()) {
    std::string Name;
    GetProfileDescription(Name, Working);
    LogStep("Start, LutSize=" + std::to_string(LutSize) + ", ProfileName=" + Name +
            ", BaseICC=" + BaseICC);
  }
  // Stage 1: the tables.
  try {
    if (!Work.CopyFrom(Lut) || !Work.HasPlanes()) return false;
    Clamp(Work);
    const int32_t N = ICCGridPoints(LutSize);
    Profile.reset(HasBase ? LoadProfileFromFile(BaseICC) : cmsCreateProfilePlaceholder(nullptr));
    if (!Profile) {
      const std::string Text = _("Failed to load base ICC Profile from %s");
      const std::size_t P = Text.find("%s");
      ErrorMessageProc(P == std::string::npos ? Text : Text.substr(0, P) + BaseICC + Text.substr(P + 2));
      return false;
    }
    cmsSetDeviceClass(Profile.get(), Class);
    LogStep("Creating transform");
    // Float transforms: Lab values go in and out as numbers, and working RGB
    // is not clipped where the profile allows values outside 0..1.
    Lab.reset(cmsCreateLab4Profile(cmsD50_xyY()));
    if (Lab && Working != nullptr) {
      T0.reset(cmsCreateTransform(Lab.get(), TYPE_Lab_DBL, Working, TYPE_RGB_DBL, Intent, 0));
      T1.reset(cmsCreateTransform(Working, TYPE_RGB_DBL, Lab.get(), TYPE_Lab_DBL, Intent, 0));
    }
    if (!T0 || !T1) {
      ErrorMessageProc(_("Failed to save ICC: Can't create transform to image profile."));
      return false;
    }
    if (!HasBase) {
      A2B0 = NewICCMFTData(Shaper ? 256 : 2, N);
      if (A2B0.empty()) return false;
      SwapCLUTOrder(A2B0.data());
      if (Abstract) BaseRGB = CLUTLabToRGB(A2B0, T0.get());
    } else {
      A2B0 = ReadRawA2B0(Profile.get());
      if (!ICCMFTData::IsValid3x3Tag(A2B0.data(), static_cast<int64_t>(A2B0.size()))) {
        ErrorMessageProc("Invalid A2B0 record of base profile " + BaseICC);
        return false;
      }
      LogStep(" A2B0.ClutSize=" + std::to_string(A2B0[10]));
      SwapCLUTOrder(A2B0.data());
      LogStep("Doing transform");
      BaseRGB = CLUTLabToRGB(A2B0, T0.get());
    }
    if (HasB2A0) {
      B2A0 = NewICCMFTData(2, N);
      if (B2A0.empty()) return false;
      SwapCLUTOrder(B2A0.data());
      const std::vector<double> V = CLUTLabToRGB(B2A0, T0.get());
      uint16_t* C = HostCLUT(B2A0);
      for (std::size_t i = 0; i < V.size(); i += 3) {
        float X[3];
        for (int k = 0; k < 3; ++k) X[k] = static_cast<float>(std::clamp(V[i + k], 0.0, 1.0));
        ProcessColorTetrahedralSingle(Work, X[0], X[1], X[2]);
        for (int k = 0; k < 3; ++k) C[i + k] = Quantize(X[k]);
      }
      SwapCLUTOrder(B2A0.data());
    }
  } catch (...) {
    ErrorMessageProc("Exception in T3DLut.SaveICC 1");
    return false;
  }
  // Stage 2: the LUT into the A2B0 table.
  try {
    LogStep("Processing LUT");
    std::vector<double> RGB;
    if (!BaseRGB.empty()) {
      RGB = std::move(BaseRGB);
      for (std::size_t i = 0; i + 2 < RGB.size(); i += 3) ExtendedLookup(Work, &RGB[i]);
    } else {
      if (!Abstract) {
        const int32_t In = ICCMFTData::GetInputEntries(A2B0.data());
        for (int32_t i = 0; i < In; ++i) {
          float V = ICCMFTData::GetInputEntry(A2B0.data(), 0, i) / 65535.0f;
          if (Gamma18) V = GammaGamma18ToLinear(V);
          V = LogC ? LinearToLogC(4 * V) : LinearToGammaByProfile(ImageProfile, V);
          if (Shaper) V = LinearToGammaByProfile(ipSRGB, V);
          const uint16_t W = Quantize(V);
          for (int32_t c = 0; c < 3; ++c) ICCMFTData::SetInputEntry(A2B0.data(), c, i, W);
        }
      }
      RGB = LookUpCLUT(A2B0, Work, ImageProfile, Shaper);
    }
    StoreCLUTLab(A2B0, RGB, T1.get());
    SwapCLUTOrder(A2B0.data());
  } catch (...) {
    ErrorMessageProc("Exception in T3DLut.SaveICC 2");
    return false;
  }
  // Stage 3: tags and the file.
  try {
    if (!WriteProfileTags(Profile.get(), Class)) return false;
    const std::string Name = RemoveFileExt(ExtractFileNameW(FileName)) + ICCDescriptionSuffix(Class);
    if (!SetProfileTexts(Profile.get(), Name)) return false;
    if (!cmsWriteRawTag(Profile.get(), cmsSigAToB0Tag, A2B0.data(),
                        static_cast<cmsUInt32Number>(A2B0.size())))
      return false;
    if (HasB2A0 && !cmsWriteRawTag(Profile.get(), cmsSigBToA0Tag, B2A0.data(),
                                   static_cast<cmsUInt32Number>(B2A0.size())))
      return false;
    LogStep("Saving to File " + FileName);
    const bool Result = SaveProfileToFile(Profile.get(), FileName);
    LogStep("Finish");
    return Result;
  } catch (...) {
    ErrorMessageProc("Exception in T3DLut.SaveICC 3");
    return false;
  }
}

}  // namespace kromel
