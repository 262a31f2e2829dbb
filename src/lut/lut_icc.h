// LUTs and ICC profiles: moving a LUT from one profile's space to another's
// and sampling an abstract or input-class profile into an 81-level LUT.
#pragma once
#include <string>

#include <lcms2.h>

#include "colour/log_gamma.h"
#include "foundation/byte_stream.h"
#include "lut/lut.h"

namespace kromel {

// Makes Lut act in To's space instead of From's; the result is clamped to
// 0..1. Without both transforms only the clamp happens.
void ConvertLUTProfile(T3DLut& Lut, cmsHPROFILE From, cmsHPROFILE To);

// Samples the profile file through the 81-level Hald identity into Lut
// (named after the file). Working is the graded image's profile,
// ImageProfile its transfer curve; CaptureOneGamma re-encodes input
// profiles with gamma 1.8 first. False, Lut unchanged, on any failure;
// messages only with ShowMessages.
bool ICCTo3DLUT(const std::string& FileName, T3DLut& Lut, cmsHPROFILE Working, bool ShowMessages,
                TImageProfile ImageProfile, bool CaptureOneGamma);
// The same reading the profile from the rest of Stream.
bool ICCTo3DLUTFromStream(TByteStream& Stream, const std::string& FileName, T3DLut& Lut,
                          cmsHPROFILE Working, bool ShowMessages, TImageProfile ImageProfile,
                          bool CaptureOneGamma);

}  // namespace kromel
