// The sixteen working colour models in which grids, curves and masks act,
// and the process-wide selection of one of them. Each model maps sRGB
// (0..1) to a lightness-like V1 (0..100) and a chroma pair (V2, V3), and
// back; the inverses end clamped to 0..1 (CMYK: at least 0).
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "colour/colour_types.h"

namespace kromel {

enum TColorModel : uint8_t {
  cmLAB = 0,
  cmLABn = 1,
  cmLXY = 2,
  cmMXY = 3,
  cmMABe = 4,
  cmMXYe = 5,
  cmSXYe = 6,
  cmHSPn = 7,
  cmHSPne = 8,
  cmHSP = 9,
  cmHSPe = 10,
  cmHSP3 = 11,
  cmHSPItten = 12,
  cmYUV = 13,
  cmCMYK = 14,
  cmRGBW = 15,
};
constexpr int ColorModelCount = 16;

// The model combo boxes' items, split at the semicolons (item index = value).
constexpr const char* ColorModelItems =
    "LAB;LABn;LXY;MXY;MABe;MXYe;SXYe;HSPn;HSPne;HSP;HSPe;HSP3;HSP Itten;YUV;CMYK;RGBW";
// "" outside 0..15.
std::string ColorModelDisplayName(int Model);

// One model's conversion pair and the extent of its chroma plane.
struct TColorModelRecord {
  TColorModel Model;
  TRGBToVariableSingleProc Forward;
  TVariableToRGBSingleProc Inverse;
  float Scale;
};

// The selected model: one of sixteen constant records, published by
// SetColorModel through one atomic pointer. A thread that needs the pair
// and the scale together reads the record once.
const TColorModelRecord& CurrentColorModel();
// The record of one model without installing it; a value outside 0..15
// gives the cmHSPe record.
const TColorModelRecord& ColorModelRecord(int Model);

// Single fields of the selected model, each read from the current record.
struct TCurrentForward {
  TRGBToVariableSingleProc load() const { return CurrentColorModel().Forward; }
};
struct TCurrentInverse {
  TVariableToRGBSingleProc load() const { return CurrentColorModel().Inverse; }
};
struct TCurrentScale {
  float load() const { return CurrentColorModel().Scale; }
};
inline constexpr TCurrentForward CurrentRGBToModel{};
inline constexpr TCurrentInverse CurrentModelToRGB{};
inline constexpr TCurrentScale ColorModelScale{};

// Installs the model's record; a value outside 0..15 changes nothing.
void SetColorModel(int Model);

// Start-up: installs the cmHSPe pair and runs TestHSP3.
void InitColorModels();
// 101 random colours through RGBtoHSP3XYSingle and back; every pass whose
// red differs by more than 0.01 is reported ("HSP3 testing failed! R:...").
// Returns the number of failing passes.
int TestHSP3();

// Through the current pair, with the contrast curve (strength 5*Contrast)
// taken off before the forward step and put back after the inverse one.
void RGBtoColorModelContrast(float R, float G, float B, float Contrast, float& V1, float& V2,
                             float& V3);
void ColorModeltoRGBContrast(float V1, float V2, float V3, float Contrast, float& R, float& G,
                             float& B);

// LAB: Lab with b scaled by 0.92.
void RGBtoLABModel(float R, float G, float B, float& V1, float& V2, float& V3);
void LABModeltoRGB(float V1, float V2, float V3, float& R, float& G, float& B);
// LABn: Lab with compressed chroma.
void RGBtoLABnSingle(float R, float G, float B, float& V1, float& V2, float& V3);
void LABntoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B);
// LXY: L* of the luminance, opponent chroma of linear light.
void RGBtoLXYSingle(float R, float G, float B, float& V1, float& V2, float& V3);
void LXYtoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B);
// MXY: norm of encoded RGB with compressed opponent chroma.
void RGBtoMXYSingle(float R, float G, float B, float& V1, float& V2, float& V3);
void MXYtoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B);
// MABe: norm with angular chroma (degrees times 2).
struct TRGBSingle {
  float R, G, B;
};
void RGBtoMABeSingle(float R, float G, float B, float& V1, float& V2, float& V3);
TRGBSingle MABetoRGBSingle(float V1, float V2, float V3);
// MABetoRGBSingle with the inverse procedure shape (the installed one).
void MABetoRGBSingleOut(float V1, float V2, float V3, float& R, float& G, float& B);
// MXYe: norm with chroma divided by a lightness-dependent divisor.
void RGBtoMXYeSingle(float R, float G, float B, float& V1, float& V2, float& V3);
void MXYetoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B);
// SXYe: L* of the mean of linear light, chroma divided by a function of it.
void RGBtoSXYSingle(float R, float G, float B, float& V1, float& V2, float& V3);
void SXYtoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B);
// H in turns from +V3 towards +V2, C the radius, S = V1.
void RGBtoSXYPolarSingle(float R, float G, float B, float& H, float& C, float& S);
void SXYPolartoRGBSingle(float H, float C, float S, float& R, float& G, float& B);
// CMYK: brightness from the maximum; the inverse clamps at 0 only.
void RGBtoCMYKModel(float R, float G, float B, float& V1, float& V2, float& V3);
void CMYKModeltoRGB(float V1, float V2, float V3, float& R, float& G, float& B);
// RGBW: brightness from the minimum.
void RGBtoRGBWModel(float R, float G, float B, float& V1, float& V2, float& V3);
void RGBWModeltoRGB(float V1, float V2, float V3, float& R, float& G, float& B);

// Readout CMYK, 0..1 each (not a working model).
void RGBtoCMYKSingle(float R, float G, float B, float& C, float& M, float& Y, float& K);

// LABntoRGBSingle packed as a TColor (red lowest) and as a pixel with alpha
// 255 (blue lowest).
uint32_t LABntoColor(float V1, float V2, float V3);
uint32_t LABntoPixel(float V1, float V2, float V3);
TMXYAPixel128 RGBtoMXYePixel(float R, float G, float B, float Alpha);
// Mean of the encoded channels (0..1) with opponent chroma (113*x, 100*y),
// and its algebraic inverse clamped to 0..1.
void RGBtoLXYMeanSingle(float R, float G, float B, float& V1, float& V2, float& V3);
void LXYMeantoRGBSingle(float V1, float V2, float V3, float& R, float& G, float& B);

// One node of a full 8-bit conversion table, indexed r*65536 + g*256 + b.
struct TRGBToVariableRec {
  float M, A, B;
};
constexpr std::size_t RGBToVariableLUTCount = 16777216;
// Fills all entries through the current forward procedure and shows
// "ConvLUT calc time: " with the milliseconds. False (reported) when Count
// is below RGBToVariableLUTCount or Lut is null.
bool TimeModelConversion(TRGBToVariableRec* Lut, std::size_t Count);

// The pairs of the table-limited models in double precision, with the sRGB
// and L* steps by formula and without the gamut limit: what the gamut tables
// measure. (RGBtoMXYeDouble/MXYetoRGBDouble are also the MXYe pair's own
// double forms.)
void RGBtoLXYDouble(double R, double G, double B, double& V1, double& V2, double& V3);
void LXYtoRGBDouble(double V1, double V2, double V3, double& R, double& G, double& B);
void RGBtoMXYDouble(double R, double G, double B, double& V1, double& V2, double& V3);
void MXYtoRGBDouble(double V1, double V2, double V3, double& R, double& G, double& B);
void RGBtoMABeDouble(double R, double G, double B, double& V1, double& V2, double& V3);
void MABetoRGBDouble(double V1, double V2, double V3, double& R, double& G, double& B);
void RGBtoMXYeDouble(double R, double G, double B, double& V1, double& V2, double& V3);
void MXYetoRGBDouble(double V1, double V2, double V3, double& R, double& G, double& B);

}  // namespace kromel
