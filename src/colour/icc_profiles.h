// ICC profile helpers on Little CMS 2: the named RGB working spaces and
// their tone curves, the "desc" and "cprt" texts, primaries and white-point
// queries, opening profiles from files and bytes, one packed colour through
// a transform, the lut16 ("mft2") tag encoder and the abstract Lab profile.
//
// Every profile or curve returned here is new and the caller's: close it
// with cmsCloseProfile / cmsFreeToneCurve.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <lcms2.h>

namespace kromel {

// Points the colour routines' Little CMS seam (cms_hook.h) at cmsDoTransform.
void InstallCMSTransformProc();

// Named RGB spaces; nullptr when Little CMS cannot create the profile.
cmsHPROFILE CreateAdobeRGBProfile();
cmsHPROFILE CreateProPhotoRGBProfile();
cmsHPROFILE CreateProPhotoRGBLinearProfile();
cmsHPROFILE CreateXYZLinearProfile();
cmsHPROFILE CreateMelissaRGBProfile();
cmsHPROFILE CreateSRGBLinearProfile();
cmsHPROFILE CreateRec709Profile();
cmsHPROFILE CreateRec601Profile();
cmsHPROFILE CreateDCIP3Profile();
cmsHPROFILE CreateACESLinearProfile();
cmsHPROFILE CreateACESccAP1Profile();
cmsHPROFILE CreateACEScctAP1Profile();

cmsToneCurve* BuildGamma22ToneCurve();
cmsToneCurve* BuildGamma18ToneCurve();
cmsToneCurve* BuildSRGBToneCurve();
cmsToneCurve* BuildRec709ToneCurve();
cmsToneCurve* BuildACESccToneCurve();
cmsToneCurve* BuildACEScctToneCurve();

// "desc" = Name, "cprt" = "No copyright, use freely" (en/US); true only
// when both were written.
bool SetProfileTexts(cmsHPROFILE Profile, const std::string& Name);
void SetProfileDescription(cmsHPROFILE Profile, const std::string& Name);
// The en/US "desc" text, at most 127 characters; empty without one.
void GetProfileDescription(std::string& Text, cmsHPROFILE Profile);
// xyY of RGB (1,0,0), (0,1,0), (0,0,1) / of (1,1,1) through the profile;
// false (output untouched) when no transform can be made.
bool GetProfilePrimaries(cmsHPROFILE Profile, cmsCIExyYTRIPLE& Primaries, cmsUInt32Number Intent);
bool GetProfileWhitePoint(cmsHPROFILE Profile, cmsCIExyY& White, cmsUInt32Number Intent);

// Untrusted profile bytes: refused (nullptr) unless they hold at least an
// ICC header and tag count with the signature "acsp" and fit Little CMS's
// 32-bit size; then Little CMS decides.
cmsHPROFILE OpenProfileFromBytes(const void* Data, std::size_t Size);
// A missing file is reported ("Can not open profile - file not found: ");
// a file Little CMS rejects gives nullptr without a message.
cmsHPROFILE LoadProfileFromFile(const std::string& FileName);
// Writes the profile through a temporary file renamed over FileName.
bool SaveProfileToFile(cmsHPROFILE Profile, const std::string& FileName);

// A packed 0x00BBGGRR colour through a transform whose pixels are four
// bytes, an unused one first; no transform returns Color unchanged.
uint32_t cmsProcessTColor(uint32_t Color, cmsHTRANSFORM Transform);

// The ICC lut16 tag for 3 inputs and 3 outputs, kept in its file layout
// (big-endian) in one block: header and identity matrix, In input-table
// entries per channel, an N^3 CLUT (first input slowest) and two-entry
// output tables. The functions below read In, N and the output count from
// the tag; callers check the block's size with CheckTagSize first.
struct ICCMFTData {
  static constexpr std::size_t HeaderSize = 52;
  // Writes the identity tag; the block must hold 6 (N^3 + In + 2) + 52
  // bytes. In 2..4096 and N 2..255, else reported and nothing written.
  static bool Initialize(uint8_t* Tag, int32_t In, int32_t N);
  static uint8_t* GetCLUT(uint8_t* Tag);
  static uint8_t* GetOutputTables(uint8_t* Tag);
  static int64_t GetTagSize(const uint8_t* Tag);
  static bool CheckTagSize(const uint8_t* Tag, int64_t Size);
  // CheckTagSize of a "mft2" tag with 3 inputs, 3 outputs, a grid of 2 or
  // more points and tables of 2 or more entries.
  static bool IsValid3x3Tag(const uint8_t* Tag, int64_t Size);
  static int32_t GetInputEntries(const uint8_t* Tag);
  // Input-table entry I (0 <= I < GetInputEntries) of channel C (0..2).
  static uint16_t GetInputEntry(const uint8_t* Tag, int32_t C, int32_t I);
  static void SetInputEntry(uint8_t* Tag, int32_t C, int32_t I, uint16_t V);
  // Reverses the bytes of each CLUT word (file order <-> host order).
  static void SwapCLUT(uint8_t* Tag);
  static void ClearCLUT(uint8_t* Tag);
};

// A new identity tag of exactly 6 N^3 + 6 In + 64 bytes; empty when In or
// N is out of range.
std::vector<uint8_t> NewICCMFTData(int32_t In, int32_t N);
// A version 2.1 abstract Lab profile with the tags "desc", "wtpt" (D50),
// "cprt" and "A2B0", the identity lut16 with In = 2 and grid N; empty when
// N is out of range.
std::vector<uint8_t> CreateAbstractLabProfile(int32_t N);

}  // namespace kromel
