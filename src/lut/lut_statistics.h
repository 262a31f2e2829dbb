// What a 3D LUT does to colours: twenty measures over its nodes, the
// report built from them, and the six tags plus colour presence that the
// LUT manager writes as a tag text and filters on.
//
// Every measure compares a node's output with its own input colour
// (index / (Size - 1)); the LUT must be cubic with Size >= 2.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "images/pixel128.h"
#include "lut/lut.h"

namespace kromel {

enum TLUTSaturationTag : uint8_t { lsGrayscale, lsLow, lsNormal, lsHigh };
enum TLUTColorCastTag : uint8_t { ccNeutral, ccWarm, ccCool, ccOther };
enum TLUTContrastTag : uint8_t { lcLimitedRange, lcLowContrast, lcNormal, lcHighContrast };
enum TLUTSkinToneSat : uint8_t { lstPreserve, lstWarmer, lstCooler };
enum TLUTSkinToneLightness : uint8_t { lstlPreserveL, lstlLighter, lstlDarker };
enum TLUTHueChanges : uint8_t { lhcNone, lhcSlight, lhcMedium, lhcExtreme };
enum TLUTColor : uint8_t { lcRed, lcYellow, lcGreen, lcCyan, lcBlue, lcPurple };
enum TLUTColorPresense : uint8_t { lcpAbsent, lcpLittle, lcpUsual, lcpMuch };

constexpr int32_t LUTColorCount = 6;
using TLUTColorsPresense = std::array<TLUTColorPresense, LUTColorCount>;

// The tag texts, indexed by the enumerations above.
extern const std::array<const char*, 4> LUTSaturationTagTexts;
extern const std::array<const char*, 4> LUTColorCastTagTexts;
extern const std::array<const char*, 4> LUTContrastTagTexts;
extern const std::array<const char*, 3> LUTSkinToneSatTexts;
extern const std::array<const char*, 3> LUTSkinToneLightnessTexts;
extern const std::array<const char*, 4> LUTHueChangesTexts;
extern const std::array<const char*, 6> LUTColorTexts;
extern const std::array<const char*, 4> LUTColorPresenseTexts;

// A T3DLut that also carries its tags; every tag starts at its first value.
class T3DLUTWithStatistics : public T3DLut {
 public:
  TLUTSaturationTag SaturationTag = lsGrayscale;
  TLUTSkinToneSat SkinToneSat = lstPreserve;
  TLUTSkinToneLightness SkinToneLightness = lstlPreserveL;
  TLUTColorCastTag ColorCastTag = ccNeutral;
  TLUTContrastTag ContrastTag = lcLimitedRange;
  TLUTHueChanges HueChanges = lhcNone;
  TLUTColorsPresense ColorsPresense{};  // all lcpAbsent

  // Computes the statistics and sets the six tags (and ColorsPresense).
  // Nothing for a LUT without planes or of Size < 2; failures are reported
  // as "Exception in 3DLUT.Calctags".
  void CalcTags();
};

struct TLutStatistics {
  float LAmplificationMax = 0;
  float AmplificationMax = 0;
  float AmplificationMin = 0;
  float LAmplificationAvg = 0;
  float ClippedBlack = 0;
  float ClippedWhite = 0;
  float ClippedSaturation = 0;
  float ChangeMax = 0;
  float ChangeAvg = 0;
  float Darkened = 0;
  float Lightened = 0;
  uint32_t MaxAmplificationColor = 0;  // red + 256 green + 65536 blue
  float Contrast = 0;
  float NeutralsSat = 0;
  TBGRAPixel128 Cast{0, 0, 0, 0};
  float OverallSaturation = 0;
  float SkinSat = 0;
  float SkinLum = 0;
  float HueChangeAvg = 0;
  float HueChangeMax = 0;

  // Fills every field and sets Lut.ColorsPresense. A LUT without planes or
  // not cubic with Size >= 2 gives false and an all-zero record (the LUT is
  // not touched).
  bool Calculate(T3DLUTWithStatistics& Lut);
  // The ten-line report (lines joined by LF, none after the last). A
  // failure is reported as "Exception in TLutStatistics.AsString" and Text
  // keeps what was built so far.
  void AsString(std::string& Text) const;
};

// The six tag texts and the six "Presence-Colour" texts, blank-separated.
void GetTagsText(const T3DLUTWithStatistics& Lut, std::string& Text);

// Tag readers: the first text of the table (in table order) that occurs
// in Text as a whole blank-separated token; the default when none does.
TLUTSaturationTag TextToSaturationTag(const std::string& Text);          // lsNormal
TLUTColorCastTag TextToColorCastTag(const std::string& Text);            // ccOther
TLUTContrastTag TextToContrastTag(const std::string& Text);              // lcNormal
TLUTSkinToneSat TextToSkinToneSat(const std::string& Text);              // lstPreserve
TLUTSkinToneLightness TextToSkinToneLightness(const std::string& Text);  // lstlPreserveL
TLUTHueChanges TextToHueChanges(const std::string& Text);                // lhcNone
// The token presence + "-" + the colour's text; lcpUsual when absent.
TLUTColorPresense TextToColorPresense(const std::string& Text, TLUTColor Color);
// The rest of the line after "Input curve: ".
std::string GetInputCurveText(const std::string& Text);

}  // namespace kromel
