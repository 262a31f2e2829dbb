#include "colour/icc_profiles.h"

#include <cstring>
#include <limits>

#include "colour/cms_hook.h"
#include "colour/log_gamma.h"
#include "foundation/date_time.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "platform/folders.h"

namespace kromel {

namespace {

constexpr const char* CopyrightText = "No copyright, use freely";

// One tone curve per channel, built by Build.
using TCurveBuilder = cmsToneCurve* (*)();

cmsToneCurve* BuildLinearToneCurve() { return cmsBuildGamma(nullptr, 1.0); }

cmsHPROFILE CreateNamedRGBProfile(const char* Description, const cmsCIExyY& White,
                                  const cmsCIExyYTRIPLE& Primaries, TCurveBuilder Build) {
  cmsToneCurve* Curves[3] = {Build(), Build(), Build()};
  cmsHPROFILE Profile = nullptr;
  if (Curves[0] != nullptr && Curves[1] != nullptr && Curves[2] != nullptr)
    Profile = cmsCreateRGBProfile(&White, &Primaries, Curves);
  if (Profile != nullptr) {
    // Version 2 tags: readable by the tools that refuse version 4 profiles.
    cmsSetProfileVersion(Profile, 2.4);
    SetProfileTexts(Profile, Description);
  }
  for (cmsToneCurve* C : Curves)
    if (C != nullptr) cmsFreeToneCurve(C);
  return Profile;
}

cmsCIExyY WhiteXY(double x, double y) { return cmsCIExyY{x, y, 1.0}; }

cmsCIExyY WhiteFromTemp(double Kelvin) {
  cmsCIExyY W{0, 0, 1.0};
  cmsWhitePointFromTemp(&W, Kelvin);
  W.Y = 1.0;
  return W;
}

cmsCIExyYTRIPLE PrimariesXY(double xr, double yr, double xg, double yg, double xb, double yb) {
  return cmsCIExyYTRIPLE{{xr, yr, 1.0}, {xg, yg, 1.0}, {xb, yb, 1.0}};
}

const cmsCIExyYTRIPLE ProPhotoPrimaries = PrimariesXY(0.7347, 0.2653, 0.1596, 0.8404, 0.0366, 0.0001);
const cmsCIExyYTRIPLE Rec709Primaries = PrimariesXY(0.64, 0.33, 0.3, 0.6, 0.15, 0.06);
const cmsCIExyYTRIPLE AP1Primaries = PrimariesXY(0.713, 0.293, 0.165, 0.83, 0.128, 0.044);

cmsToneCurve* BuildTableToneCurve(float (*Decode)(float)) {
  float Table[256];
  for (int i = 0; i < 256; ++i) {
    const float X = static_cast<float>(i / 255.0);
    float V = Decode(X);
    if (V > 1.0f) V = 1.0f;
    Table[i] = V;
  }
  return cmsBuildTabulatedToneCurveFloat(nullptr, 256, Table);
}

cmsToneCurve* BuildParametric(int Type, const cmsFloat64Number (&Params)[7]) {
  return cmsBuildParametricToneCurve(nullptr, Type, Params);
}

// Big-endian stores into a block.
void Put16(uint8_t* P, uint32_t V) {
  P[0] = static_cast<uint8_t>(V >> 8);
  P[1] = static_cast<uint8_t>(V);
}
void Put32(uint8_t* P, uint32_t V) {
  P[0] = static_cast<uint8_t>(V >> 24);
  P[1] = static_cast<uint8_t>(V >> 16);
  P[2] = static_cast<uint8_t>(V >> 8);
  P[3] = static_cast<uint8_t>(V);
}
void PutTag(uint8_t* P, const char* Sig) { std::memcpy(P, Sig, 4); }
uint32_t Get16(const uint8_t* P) { return (uint32_t(P[0]) << 8) | P[1]; }

bool ValidMFTArguments(int32_t In, int32_t N) { return In >= 2 && In <= 4096 && N >= 2 && N <= 255; }

int64_t MFTTagSize(int64_t In, int64_t N, int64_t Out) { return 6 * (N * N * N + In + Out) + 52; }

// Size of an ICC header plus the tag count.
constexpr std::size_t MinProfileBytes = 132;

}  // namespace

void InstallCMSTransformProc() { CMSDoTransformProc = cmsDoTransform; }

// --- Tone curves ---

cmsToneCurve* BuildGamma22ToneCurve() {
  return BuildParametric(5, {2.2, 1.0, 0.0, 1000000000.0, 0.0, 0.0, 0.0});
}

cmsToneCurve* BuildGamma18ToneCurve() {
  return BuildParametric(5, {1.8, 1.0, 0.0, 1000000000.0, 0.0, 0.0, 0.0});
}

cmsToneCurve* BuildSRGBToneCurve() {
  return BuildParametric(4, {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045, 0.0, 0.0});
}

cmsToneCurve* BuildRec709ToneCurve() {
  return BuildParametric(4, {1.0 / 0.45, 1.0 / 1.099, 0.099 / 1.099, 1.0 / 4.5, 0.081, 0.0, 0.0});
}

cmsToneCurve* BuildACESccToneCurve() { return BuildTableToneCurve(ACESccToLinear); }
cmsToneCurve* BuildACEScctToneCurve() { return BuildTableToneCurve(ACEScctToLinear); }

// --- Named spaces ---

cmsHPROFILE CreateAdobeRGBProfile() {
  return CreateNamedRGBProfile("AdobeRGB (1998)", WhiteFromTemp(6504),
                               PrimariesXY(0.64, 0.33, 0.21, 0.71, 0.15, 0.06),
                               BuildGamma22ToneCurve);
}

cmsHPROFILE CreateProPhotoRGBProfile() {
  return CreateNamedRGBProfile("ProPhoto RGB", WhiteXY(0.3457, 0.3585), ProPhotoPrimaries,
                               BuildGamma18ToneCurve);
}

cmsHPROFILE CreateProPhotoRGBLinearProfile() {
  return CreateNamedRGBProfile("ProPhoto RGB Linear", WhiteXY(0.3457, 0.3585), ProPhotoPrimaries,
                               BuildLinearToneCurve);
}

cmsHPROFILE CreateXYZLinearProfile() {
  return CreateNamedRGBProfile("XYZ Linear", WhiteXY(0.3457, 0.3585),
                               PrimariesXY(1.0, 0.0, 0.0, 1.0, 0.0, 0.0), BuildLinearToneCurve);
}

cmsHPROFILE CreateMelissaRGBProfile() {
  return CreateNamedRGBProfile("Melissa RGB", WhiteXY(0.3457, 0.3585), ProPhotoPrimaries,
                               BuildSRGBToneCurve);
}

cmsHPROFILE CreateSRGBLinearProfile() {
  return CreateNamedRGBProfile("SRGB Linear", WhiteXY(0.3127, 0.329), Rec709Primaries,
                               BuildLinearToneCurve);
}

cmsHPROFILE CreateRec709Profile() {
  return CreateNamedRGBProfile("Rec 709 (HDTV)", WhiteXY(0.3127, 0.329), Rec709Primaries,
                               BuildRec709ToneCurve);
}

cmsHPROFILE CreateRec601Profile() {
  return CreateNamedRGBProfile("Rec 601-5", WhiteXY(0.3127, 0.329),
                               PrimariesXY(0.63, 0.34, 0.31, 0.595, 0.155, 0.07),
                               BuildLinearToneCurve);
}

cmsHPROFILE CreateDCIP3Profile() {
  return CreateNamedRGBProfile("DCI-P3", WhiteXY(0.314, 0.351),
                               PrimariesXY(0.68, 0.32, 0.265, 0.69, 0.15, 0.06),
                               BuildRec709ToneCurve);
}

cmsHPROFILE CreateACESLinearProfile() {
  return CreateNamedRGBProfile("ACES Linear", WhiteFromTemp(6000),
                               PrimariesXY(0.7347, 0.2653, 0.0, 1.0, 0.0001, -0.077),
                               BuildLinearToneCurve);
}

cmsHPROFILE CreateACESccAP1Profile() {
  return CreateNamedRGBProfile("ACEScc AP1", WhiteFromTemp(6000), AP1Primaries,
                               BuildACESccToneCurve);
}

cmsHPROFILE CreateACEScctAP1Profile() {
  return CreateNamedRGBProfile("ACEScct AP1", WhiteFromTemp(6000), AP1Primaries,
                               BuildACEScctToneCurve);
}

// --- Texts and queries ---

bool SetProfileTexts(cmsHPROFILE Profile, const std::string& Name) {
  if (Profile == nullptr) return false;
  cmsContext Context = cmsGetProfileContextID(Profile);
  cmsMLU* Desc = cmsMLUalloc(Context, 1);
  cmsMLU* Copyright = cmsMLUalloc(Context, 1);
  bool Ok = Desc != nullptr && Copyright != nullptr;
  Ok = Ok && cmsMLUsetASCII(Desc, "en", "US", Name.c_str());
  Ok = Ok && cmsMLUsetASCII(Copyright, "en", "US", CopyrightText);
  Ok = Ok && cmsWriteTag(Profile, cmsSigProfileDescriptionTag, Desc);
  Ok = Ok && cmsWriteTag(Profile, cmsSigCopyrightTag, Copyright);
  if (Desc != nullptr) cmsMLUfree(Desc);
  if (Copyright != nullptr) cmsMLUfree(Copyright);
  return Ok;
}

void SetProfileDescription(cmsHPROFILE Profile, const std::string& Name) {
  if (Profile == nullptr) return;
  cmsMLU* Desc = cmsMLUalloc(nullptr, 1);
  if (Desc == nullptr) return;
  if (cmsMLUsetASCII(Desc, "en", "US", Name.c_str()))
    cmsWriteTag(Profile, cmsSigProfileDescriptionTag, Desc);
  cmsMLUfree(Desc);
}

void GetProfileDescription(std::string& Text, cmsHPROFILE Profile) {
  Text.clear();
  if (Profile == nullptr) return;
  const cmsMLU* Desc = static_cast<const cmsMLU*>(cmsReadTag(Profile, cmsSigProfileDescriptionTag));
  if (Desc == nullptr) return;
  char Buffer[129] = {};
  cmsMLUgetASCII(Desc, "en", "US", Buffer, 128);
  Buffer[128] = 0;
  Text = Buffer;
}

namespace {

// Count RGB doubles through Profile into XYZ doubles; false without a transform.
bool ProfileRGBToXYZ(cmsHPROFILE Profile, const double* RGB, cmsCIEXYZ* XYZ, int Count,
                     cmsUInt32Number Intent) {
  if (Profile == nullptr) return false;
  cmsHPROFILE XYZProfile = cmsCreateXYZProfile();
  if (XYZProfile == nullptr) return false;
  cmsHTRANSFORM T = cmsCreateTransform(Profile, TYPE_RGB_DBL, XYZProfile, TYPE_XYZ_DBL, Intent,
                                       cmsFLAGS_NOCACHE | cmsFLAGS_NOOPTIMIZE);
  cmsCloseProfile(XYZProfile);
  if (T == nullptr) return false;
  cmsDoTransform(T, RGB, XYZ, static_cast<cmsUInt32Number>(Count));
  cmsDeleteTransform(T);
  return true;
}

}  // namespace

bool GetProfilePrimaries(cmsHPROFILE Profile, cmsCIExyYTRIPLE& Primaries, cmsUInt32Number Intent) {
  const double RGB[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  cmsCIEXYZ XYZ[3];
  if (!ProfileRGBToXYZ(Profile, RGB, XYZ, 3, Intent)) return false;
  cmsXYZ2xyY(&Primaries.Red, &XYZ[0]);
  cmsXYZ2xyY(&Primaries.Green, &XYZ[1]);
  cmsXYZ2xyY(&Primaries.Blue, &XYZ[2]);
  return true;
}

bool GetProfileWhitePoint(cmsHPROFILE Profile, cmsCIExyY& White, cmsUInt32Number Intent) {
  const double RGB[3] = {1, 1, 1};
  cmsCIEXYZ XYZ;
  if (!ProfileRGBToXYZ(Profile, RGB, &XYZ, 1, Intent)) return false;
  cmsXYZ2xyY(&White, &XYZ);
  return true;
}

// --- Opening and saving ---

cmsHPROFILE OpenProfileFromBytes(const void* Data, std::size_t Size) {
  if (Data == nullptr || Size < MinProfileBytes ||
      Size > std::numeric_limits<cmsUInt32Number>::max())
    return nullptr;
  const uint8_t* P = static_cast<const uint8_t*>(Data);
  if (std::memcmp(P + 36, "acsp", 4) != 0) return nullptr;
  return cmsOpenProfileFromMem(Data, static_cast<cmsUInt32Number>(Size));
}

cmsHPROFILE LoadProfileFromFile(const std::string& FileName) {
  if (!FileExists(FileName)) {
    ErrorMessageProc("Can not open profile - file not found: " + FileName);
    return nullptr;
  }
  std::string Bytes;
  if (!LoadFileToString(FileName, Bytes)) return nullptr;
  return OpenProfileFromBytes(Bytes.data(), Bytes.size());
}

bool SaveProfileToFile(cmsHPROFILE Profile, const std::string& FileName) {
  if (Profile == nullptr) return false;
  cmsUInt32Number Needed = 0;
  if (!cmsSaveProfileToMem(Profile, nullptr, &Needed) || Needed == 0) return false;
  std::vector<uint8_t> Bytes(Needed);
  if (!cmsSaveProfileToMem(Profile, Bytes.data(), &Needed)) return false;
  return SaveBufferToFile(FileName, Bytes.data(), static_cast<int64_t>(Needed));
}

uint32_t cmsProcessTColor(uint32_t Color, cmsHTRANSFORM Transform) {
  if (Transform == nullptr) return Color;
  try {
    uint32_t Pixel = Color << 8;
    cmsDoTransform(Transform, &Pixel, &Pixel, 1);
    return Pixel >> 8;
  } catch (...) {
    ErrorMessageProc("Exception in cmsProcessTColor");
    return Color;
  }
}

// --- lut16 tags ---

bool ICCMFTData::Initialize(uint8_t* Tag, int32_t In, int32_t N) {
  if (Tag == nullptr || !ValidMFTArguments(In, N)) {
    ErrorMessageProc("Exception in ICCMFTData.Initialize");
    return false;
  }
  PutTag(Tag, "mft2");
  Put32(Tag + 4, 0);
  Tag[8] = 3;
  Tag[9] = 3;
  Tag[10] = static_cast<uint8_t>(N);
  Tag[11] = 0;
  for (int i = 0; i < 9; ++i) Put32(Tag + 12 + 4 * i, i % 4 == 0 ? 0x00010000u : 0u);
  Put16(Tag + 48, static_cast<uint32_t>(In));
  Put16(Tag + 50, 2);
  uint8_t* P = Tag + HeaderSize;
  for (int c = 0; c < 3; ++c)
    for (int32_t i = 0; i < In; ++i) {
      int64_t V = int64_t(i) * 65535 / (In - 1);
      if (V > 65535) V = 65535;
      Put16(P + 2 * (int64_t(c) * In + i), static_cast<uint32_t>(V));
    }
  P += 6 * int64_t(In);
  for (int32_t i = 0; i < N; ++i)
    for (int32_t j = 0; j < N; ++j)
      for (int32_t k = 0; k < N; ++k) {
        Put16(P, static_cast<uint32_t>(int64_t(i) * 65535 / (N - 1)));
        Put16(P + 2, static_cast<uint32_t>(int64_t(j) * 65535 / (N - 1)));
        Put16(P + 4, static_cast<uint32_t>(int64_t(k) * 65535 / (N - 1)));
        P += 6;
      }
  for (int c = 0; c < 3; ++c) {
    Put16(P, 0);
    Put16(P + 2, 65535);
    P += 4;
  }
  return true;
}

uint8_t* ICCMFTData::GetCLUT(uint8_t* Tag) { return Tag + HeaderSize + 6 * int64_t(Get16(Tag + 48)); }

uint8_t* ICCMFTData::GetOutputTables(uint8_t* Tag) {
  const int64_t N = Tag[10];
  return GetCLUT(Tag) + 6 * N * N * N;
}

int64_t ICCMFTData::GetTagSize(const uint8_t* Tag) {
  return MFTTagSize(Get16(Tag + 48), Tag[10], Get16(Tag + 50));
}

bool ICCMFTData::CheckTagSize(const uint8_t* Tag, int64_t Size) {
  if (Tag == nullptr || Size < int64_t(HeaderSize)) return false;
  return Size == GetTagSize(Tag);
}

bool ICCMFTData::IsValid3x3Tag(const uint8_t* Tag, int64_t Size) {
  if (!CheckTagSize(Tag, Size) || std::memcmp(Tag, "mft2", 4) != 0) return false;
  return Tag[8] == 3 && Tag[9] == 3 && Tag[10] >= 2 && Get16(Tag + 48) >= 2 && Get16(Tag + 50) >= 2;
}

int32_t ICCMFTData::GetInputEntries(const uint8_t* Tag) { return static_cast<int32_t>(Get16(Tag + 48)); }

uint16_t ICCMFTData::GetInputEntry(const uint8_t* Tag, int32_t C, int32_t I) {
  return static_cast<uint16_t>(Get16(Tag + HeaderSize + 2 * (int64_t(C) * GetInputEntries(Tag) + I)));
}

void ICCMFTData::SetInputEntry(uint8_t* Tag, int32_t C, int32_t I, uint16_t V) {
  Put16(Tag + HeaderSize + 2 * (int64_t(C) * GetInputEntries(Tag) + I), V);
}

void ICCMFTData::SwapCLUT(uint8_t* Tag) {
  const int64_t N = Tag[10];
  uint8_t* P = GetCLUT(Tag);
  for (int64_t i = 0; i < 3 * N * N * N; ++i, P += 2) std::swap(P[0], P[1]);
}

void ICCMFTData::ClearCLUT(uint8_t* Tag) {
  const int64_t N = Tag[10];
  std::memset(GetCLUT(Tag), 0, static_cast<std::size_t>(6 * N * N * N));
}

std::vector<uint8_t> NewICCMFTData(int32_t In, int32_t N) {
  std::vector<uint8_t> Tag;
  if (!ValidMFTArguments(In, N)) {
    ErrorMessageProc("Exception in ICCMFTData.Initialize");
    return Tag;
  }
  Tag.assign(static_cast<std::size_t>(MFTTagSize(In, N, 2)), 0);
  ICCMFTData::Initialize(Tag.data(), In, N);
  return Tag;
}

std::vector<uint8_t> CreateAbstractLabProfile(int32_t N) {
  std::vector<uint8_t> Block;
  if (!ValidMFTArguments(2, N)) {
    ErrorMessageProc("Exception in ICCMFTData.Initialize");
    return Block;
  }
  constexpr const char* Description = "Kromel abstract Lab";
  constexpr const char* Copyright = "No copyright, use freely";
  auto Aligned = [](uint32_t V) { return (V + 3) & ~uint32_t(3); };
  // Tags after the header and a table of four entries: desc, wtpt, cprt, A2B0.
  const uint32_t DescSize = 12 + uint32_t(std::strlen(Description)) + 1 + 78;
  const uint32_t CprtSize = 8 + uint32_t(std::strlen(Copyright)) + 1;
  const uint32_t A2B0Size = static_cast<uint32_t>(6 * int64_t(N) * N * N + 76);
  const uint32_t DescAt = 128 + 4 + 4 * 12;
  const uint32_t WtptAt = Aligned(DescAt + DescSize);
  const uint32_t CprtAt = WtptAt + 20;
  const uint32_t A2B0At = Aligned(CprtAt + CprtSize);
  const uint32_t Size = Aligned(A2B0At + A2B0Size);
  Block.assign(Size, 0);
  uint8_t* H = Block.data();
  Put32(H, Size);
  PutTag(H + 4, "ADBE");
  H[8] = 0x02;
  H[9] = 0x10;
  PutTag(H + 12, "abst");
  PutTag(H + 16, "Lab ");
  PutTag(H + 20, "Lab ");
  int Year, Month, Day, Hour, Minute, Second, Milli;
  DecodeDateTime(NowLocal(), Year, Month, Day, Hour, Minute, Second, Milli);
  Put16(H + 24, static_cast<uint32_t>(Year));
  Put16(H + 26, static_cast<uint32_t>(Month));
  Put16(H + 28, static_cast<uint32_t>(Day));
  Put16(H + 30, static_cast<uint32_t>(Hour));
  Put16(H + 32, static_cast<uint32_t>(Minute));
  PutTag(H + 36, "acsp");
  PutTag(H + 40, "APPL");
  PutTag(H + 48, "KRML");
  auto PutD50 = [](uint8_t* P) {
    Put32(P, 0x0000F6D6u);
    Put32(P + 4, 0x00010000u);
    Put32(P + 8, 0x0000D32Du);
  };
  PutD50(H + 68);
  PutTag(H + 80, "KRML");
  Put32(H + 128, 4);
  const struct {
    const char* Sig;
    uint32_t At, Size;
  } Tags[] = {{"desc", DescAt, DescSize},
              {"wtpt", WtptAt, 20},
              {"cprt", CprtAt, CprtSize},
              {"A2B0", A2B0At, A2B0Size}};
  uint8_t* Entry = H + 132;
  for (const auto& T : Tags) {
    PutTag(Entry, T.Sig);
    Put32(Entry + 4, T.At);
    Put32(Entry + 8, T.Size);
    Entry += 12;
  }
  // textDescriptionType: ASCII count and text; no Unicode or ScriptCode text.
  PutTag(H + DescAt, "desc");
  Put32(H + DescAt + 8, uint32_t(std::strlen(Description)) + 1);
  std::memcpy(H + DescAt + 12, Description, std::strlen(Description));
  PutTag(H + WtptAt, "XYZ ");
  PutD50(H + WtptAt + 8);
  PutTag(H + CprtAt, "text");
  std::memcpy(H + CprtAt + 8, Copyright, std::strlen(Copyright));
  ICCMFTData::Initialize(H + A2B0At, 2, N);
  return Block;
}

}  // namespace kromel
