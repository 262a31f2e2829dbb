// A LUT written as an ICC profile: abstract (Lab to Lab), printer or
// display (device RGB to Lab and back) or input (device RGB to Lab through
// a shaper curve), made from scratch or on an existing profile whose
// device-to-Lab table the LUT then follows.
#pragma once
#include <cstdint>
#include <string>

#include <lcms2.h>

#include "colour/log_gamma.h"
#include "lut/lut.h"

namespace kromel {

// The grid of the profile's tables for a requested LUT size: odd (an even
// size gains a point), 3..255.
int32_t ICCGridPoints(int32_t LutSize);

// The " AbstractICC KRML" / " PrinterICC KRML" / " KRML" suffix of the
// profile description for a device class.
const char* ICCDescriptionSuffix(cmsProfileClassSignature Class);

// Writes Lut, clamped to 0..1 in a copy, as a profile of Class
// ("abst", "prtr", "mntr" or "scnr"). Working is the profile of the LUT's
// RGB space and ImageProfile its transfer curve; LogC and Gamma18 shape the
// input tables of new non-abstract profiles; BaseICC names a profile to
// build on (empty for none). False, with a message and nothing written,
// when the base or a transform cannot be had, the base's A2B0 is no
// consistent lut16, any stage fails or the save fails.
bool SaveICC(const T3DLut& Lut, const std::string& FileName, int32_t LutSize, cmsHPROFILE Working,
             TImageProfile ImageProfile, cmsProfileClassSignature Class, bool LogC, bool Gamma18,
             const std::string& BaseICC, cmsUInt32Number Intent);

}  // namespace kromel
