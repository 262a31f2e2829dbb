// The light model of a camera profile read from its XML text form: the
// hue/sat/val corrections and the first forward matrix.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "fileio/dng_tables.h"

namespace kromel {

using TDNGCorrection = TDNGHSV;

class TDNGColorProfile {
 public:
  // Correction (h, s, v) at v + ValDivisions (s + SatDivisions h): value
  // fastest, then saturation, then hue.
  std::vector<TDNGCorrection> Corrections;
  int32_t HueDivisions = 0;
  int32_t SatDivisions = 0;
  int32_t ValDivisions = 0;
  double ForwardMatrix1[9] = {};

  // Stores the divisions and sizes the corrections (identity entries);
  // false, nothing allocated, for a division <= 0 or more than
  // MaxDNGTableEntries corrections.
  bool SetSize(int32_t Hues, int32_t Sats, int32_t Vals);
  // Reads nothing: false.
  bool LoadFromFile(const std::string& FileName);
  // True when the divisions, the matrix and every correction were read.
  // Divisions <= 0 or too many corrections are refused.
  bool LoadFromXML(const std::string& FileName);
  // The corrections applied in place; nothing before a successful load.
  void ApplyToHSV(float& Hue, float& Sat, float& Val) const;
};

}  // namespace kromel
