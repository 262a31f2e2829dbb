#include "lut/lut_icc_export.h"

#include <bit>
#include <cmath>
#include <vector>

#include "colour/cms_handles.h"
#include "colour/icc_profiles.h"
#include "colour/log_curves.h"
#include "foundation/debug_log.h"
#include "foundation/paths.h"
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

// The host-order CLUT through a 16-bit RGB/Lab transform, in place.
void TransformCLUT(std::vector<uint8_t>& Tag, cmsHTRANSFORM T) {
  uint16_t* C = HostCLUT(Tag);
  cmsDoTransform(T, C, C, static_cast<cmsUInt32Number>(CLUTPoints(Tag)));
}

// Every host-order CLUT entry replaced by the LUT's output for it; with
// UseDecode each channel is first decoded with the Decode curve.
void LookUpCLUT(std::vector<uint8_t>& Tag, const T3DLut& Lut, TImageProfile Decode, bool UseDecode) {
  uint16_t* C = HostCLUT(Tag);
  const int64_t Points = CLUTPoints(Tag);
  for (int64_t i = 0; i < Points; ++i, C += 3) {
    float V[3] = {C[0] / 65535.0f, C[1] / 65535.0f, C[2] / 65535.0f};
    if (UseDecode)
      for (float& X : V) X = GammaToLinearByProfile(Decode, X);
    Lut.ProcessColorTetrahedralSingle(V[0], V[1], V[2]);
    for (int k = 0; k < 3; ++k) C[k] = Quantize(V[k]);
  }
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
  std::vector<uint8_t> A2B0, B2A0;
  if (DebugLogEnabled()) {
    std::string Name;
    GetProfileDescription(Name, Working);
    LogStep("Start, LutSize=" + std::to_string(LutSize) + ", ProfileName=" + Name +
            ", BaseICC=" + BaseICC);
  }
  // Stage 1: the tables.
  try {
    if (!Work.CopyFrom(Lut) || !Work.HasPlanes()) return false;
    Work.Clamp();
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
    Lab.reset(cmsCreateLab2Profile(cmsD50_xyY()));
    TTransformPtr T0;
    if (Lab && Working != nullptr)
      T0.reset(cmsCreateTransform(Lab.get(), TYPE_Lab_16, Working, TYPE_RGB_16, Intent, 0));
    if (!T0) {
      ErrorMessageProc(_("Failed to save ICC: Can't create transform to image profile."));
      return false;
    }
    if (!HasBase) {
      A2B0 = NewICCMFTData(Shaper ? 256 : 2, N);
      if (A2B0.empty()) return false;
      SwapCLUTOrder(A2B0.data());
      if (Abstract) TransformCLUT(A2B0, T0.get());
    } else {
      A2B0 = ReadRawA2B0(Profile.get());
      if (!ICCMFTData::IsValid3x3Tag(A2B0.data(), static_cast<int64_t>(A2B0.size()))) {
        ErrorMessageProc("Invalid A2B0 record of base profile " + BaseICC);
        return false;
      }
      LogStep(" A2B0.ClutSize=" + std::to_string(A2B0[10]));
      SwapCLUTOrder(A2B0.data());
      LogStep("Doing transform");
      TransformCLUT(A2B0, T0.get());
    }
    if (HasB2A0) {
      B2A0 = NewICCMFTData(2, N);
      if (B2A0.empty()) return false;
      SwapCLUTOrder(B2A0.data());
      TransformCLUT(B2A0, T0.get());
      LookUpCLUT(B2A0, Work, ImageProfile, false);
      SwapCLUTOrder(B2A0.data());
    }
  } catch (...) {
    ErrorMessageProc("Exception in T3DLut.SaveICC 1");
    return false;
  }
  // Stage 2: the LUT into the A2B0 table.
  try {
    LogStep("Processing LUT");
    if (!HasBase && !Abstract) {
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
    LookUpCLUT(A2B0, Work, ImageProfile, Shaper);
    TTransformPtr T1(cmsCreateTransform(Working, TYPE_RGB_16, Lab.get(), TYPE_Lab_16, Intent, 0));
    if (!T1) {
      ErrorMessageProc(_("Failed to save ICC: Can't create transform to image profile."));
      return false;
    }
    TransformCLUT(A2B0, T1.get());
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
