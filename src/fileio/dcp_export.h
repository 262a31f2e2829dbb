// LUTs packed into DNG camera profiles (".dcp") on a base profile, with
// Lightroom and Camera Raw presets that select them, and camera profiles
// rendered back into LUTs; curve dots re-encoded between transfer curves.
#pragma once
#include <string>

#include <lcms2.h>

#include "colour/log_gamma.h"
#include "fileio/dng_camera_profile.h"
#include "lut/lut.h"
#include "params/envelope_dots.h"

namespace kromel {

// Look table divisions of an exported profile.
constexpr int32_t DCPLookHues = 180;
constexpr int32_t DCPLookSats = 16;
constexpr int32_t DCPLookVals = 64;

// The folder of FileName, the camera model (path separators replaced by
// "_"), a blank and the file name without its folder.
std::string DCPOutputFileName(const std::string& FileName, const std::string& CameraModel);

// Writes Lut (left as it is; a clamped copy is used) as a profile on the
// base file: the per-channel curves go to "<profile>.lrtemplate" and
// "<profile>.xmp" in PresetsFolder (the DCP's folder when empty), the
// overall curve into the tone curve, the rest into a 180 x 16 x 64 look
// table. Source names the LUT's RGB space (null: Melissa RGB already).
// False, nothing written, when the base cannot be read or any stage fails.
bool Save3DLutDCP(const T3DLut& Lut, const std::string& BaseDCP, const std::string& FileName,
                  const std::string& PresetsFolder, const std::string& ProfileName,
                  bool DropHueSatMaps, bool IgnoreBaseLookTable, bool IgnoreBaseToneCurve,
                  bool ProPhotoEncoded, cmsHPROFILE Source);

// Renders the profile's hue/sat map (when Apply), look table and tone curve
// into Lut for the Working space; Matrix receives ForwardMatrix1.
bool LoadFromDCPXML(T3DLut& Lut, const TDNGCameraProfile* Profile, bool Apply, cmsHPROFILE Working,
                    double (&Matrix)[9]);
// The same reading the profile file; False, Lut untouched, when it cannot
// be read.
bool LoadFromDCP(T3DLut& Lut, const std::string& FileName, bool Apply, cmsHPROFILE Working,
                 double (&Matrix)[9]);

// Every dot decoded from the profile's curve to linear (Y over 32768).
void ProcessCurveGammaToLinear(TEnvelopeDots& Curve, TImageProfile Profile);
// Every dot decoded from From and encoded with To; the spline recalculated.
void ProcessCurveGammaChangeGammaProfile(TEnvelopeDots& Curve, TImageProfile From, TImageProfile To);

// One line per grey node: the mean of R, G and B with 10 decimals.
bool SaveGrayAxisToText(const T3DLut& Lut, const std::string& FileName);

}  // namespace kromel
