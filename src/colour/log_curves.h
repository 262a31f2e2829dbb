// Camera log curves: decoders (code value to linear) and encoders (linear to
// code value), and the log encodings a user can declare for footage.
#pragma once
#include <cstdint>
#include <string>

namespace kromel {

enum TLogProfile : uint8_t {
  LogIndexOff = 0,
  LogIndexLogC = 1,
  LogIndexACEScc = 2,
  LogIndexACEScct = 3,
  LogIndexBMDFilmLog = 4,
  LogIndexBMDFilm4KLog = 5,
  LogIndexBMDFilm46Log = 6,
  LogIndexVisionLog = 7,
  LogIndexCinestyle = 8,
  LogIndexSLog = 9,
  LogIndexSLog2 = 10,
  LogIndexSLog3 = 11,
  LogIndexRedLog = 12,
  LogIndexRedLogFilm = 13,
  LogIndexRedLog3G10 = 14,
  LogIndexDJIInspireLog = 15,
  LogIndexDLogPhantom3 = 16,
  LogIndexDLogPhantom4Pro = 17,
  LogIndexCineon = 18,
  LogIndexPanasonicVLog = 19,
  LogIndexCanonCLog = 20,
  LogIndexCanonCLog2 = 21,
  LogIndexCanonCLog3 = 22,
  LogIndexFujiFLog = 23,
  LogIndexZCamZLog = 24,
  LogIndexInsta360ILog = 25,
  LogIndexLinear = 26,
  LogIndexRec709 = 27,
  LogIndexPQ = 28,
  LogIndexCustom = 29,
};

constexpr int LogProfileCount = 30;

// Display names indexed by TLogProfile.
extern const char* const LogProfileNames[LogProfileCount];

// The names of ordinals 0..28 (and 29 with WithCustom) joined by ";".
std::string GetLogProfileNames(bool WithCustom);

float LogCToLinear(float V);
float LinearToLogC(float X);
float RedLogToLinear(float V);
float LinearToRedLog(float X);
float RedLogFilmToLinear(float V);
float LinearToRedLogFilm(float X);
float RedLog3G10ToLinear(float V);
float LinearToRedLog3G10(float X);
float DJIInspireLogToLinear(float V);
float LinearToDJIInspireLog(float X);
float DLogPhantom3ToLinear(float V);
float LinearToDLogPhantom3(float X);
float DLogPhantom4ProToLinear(float V);
float LinearToDLogPhantom4Pro(float X);
float SLogToLinear(float V);
float LinearToSLog(float X);
float SLog2ToLinear(float V);
float LinearToSLog2(float X);
float SLog3ToLinear(float V);
float LinearToSLog3(float X);
float BMDFilmToLinear(float V);
float LinearToBMDFilm(float X);
// The two BMDFilm 4K directions are separate models, not exact inverses.
float BMDFilm4KToLinear(float V);
float LinearToBMDFilm4K(float X);
float BMDFilm46ToLinear(float V);
float LinearToBMDFilm46(float X);
float VisionLogToLinear(float V);
float LinearToVisionLog(float X);
float CinestyleToLinear(float V);
// Numeric inverse of CinestyleToLinear on its rising part.
float LinearToCinestyle(float X);
float CineonToLinear(float V);
float LinearToCineon(float X);
float PanasonicVLogToLinear(float V);
float LinearToPanasonicVLog(float X);
float CanonCLogToLinear(float V);
// Inputs below 0.0001 - 1/10.1596 are raised to that boundary.
float LinearToCanonCLog(float X);
float CanonCLog2ToLinear(float V);
float LinearToCanonCLog2(float X);
float CanonCLog3ToLinear(float V);
float LinearToCanonCLog3(float X);
float FujiFLogToLinear(float V);
float LinearToFujiFLog(float X);
float ZCamZLogToLinear(float V);
float LinearToZCamZLog(float X);
float Insta360ILogToLinear(float V);
// Numeric inverse of Insta360ILogToLinear.
float LinearToInsta360ILog(float X);

}  // namespace kromel
