// Passing colours, images and LUTs through a T3DLut: the colour forms of
// the pickers and readouts, the image forms of the renderer's workers, raw
// rows (for bitmaps the file layer owns), LUT by LUT, and the one-time
// caution about LUTs that are not in profile RGB.
//
// The image forms only read the LUT: several threads may run them over one
// LUT at once on separate destinations.
#pragma once
#include <cstdint>
#include <string>

#include "images/image128.h"
#include "images/image32.h"
#include "images/image64.h"
#include "images/image_vbpp.h"
#include "lut/lut.h"
#include "lut/lut_tetrahedral.h"

namespace kromel {

// --- Colours ---

// A TColor (red lowest) through the LUT's nodes; top byte 0. An empty LUT
// is reported and gives 0.
uint32_t ProcessColor(const T3DLut& Lut, uint32_t Color);
// A BGRA value; alpha passed through. Cautions once when the LUT is not in
// profile RGB.
uint32_t ProcessColorBGRA32(const T3DLut& Lut, uint32_t BGRA);
// The same without the caution; an empty LUT is reported and the input
// comes back.
uint32_t ProcessColorBGRA32Direct(const T3DLut& Lut, uint32_t BGRA);
void ProcessColorBGRA128(const T3DLut& Lut, TBGRAPixel128& Out, const TBGRAPixel128& In);
// Out = (B, G, R, 0) through the LUT.
void ProcessRGBToBGRA128(const T3DLut& Lut, TBGRAPixel128& Out, float R, float G, float B);
// Through the LUT, then from the LUT's colour space back to gamma RGB,
// clamped to bytes (blue, green, red in bytes 0..2; byte 3 is 0).
uint32_t ProcessColorBGRA32InGammaProfile(const T3DLut& Lut, uint32_t BGRA);
// The float form: values above 1 become 1; no byte conversion.
void ProcessColorBGRA128InGammaProfile(const T3DLut& Lut, TBGRAPixel128& Out,
                                       const TBGRAPixel128& In);

// --- Images ---

// 32-bit BGRA: each pixel mixed by its alpha between the (dithered) input
// and the LUT's output; alpha-0 pixels copied as they are; Dst's margins
// become Src's. Src must hold at least Dst's pixels (else reported,
// nothing done). Src may be Dst.
void ProcessImage(const T3DLut& Lut, const TImageHeader32& Src, TImageHeader32& Dst, bool Dither);
// 24-bit BGR, no alpha; cubic LUTs only.
void ProcessImage24(const T3DLut& Lut, const TImage24& Src, TImage24& Dst, bool Dither);
// 16-bit RGBA; Dst's alpha is not written. Sizes must match.
void ProcessImage64(const T3DLut& Lut, const TImageHeader64& Src, TImageHeader64& Dst, bool UseAlpha);
// 16-bit in, 8-bit out; Dst's alpha = the high byte of Src's.
void ProcessImage64To32(const T3DLut& Lut, const TImageHeader64& Src, TImageHeader32& Dst, bool UseAlpha);
// The 8-bit image of Src when it has pixels, else its 16-bit one.
void ProcessImageVBPP(const T3DLut& Lut, const TImageVBPPBand& Src, TImageHeader32& Dst, bool Dither,
                      bool UseAlpha);
// The same three through a lookup prepared once from a LUT that stays
// unchanged meanwhile (the renderer's workers share one); a lookup that is
// not ready passes the colours unchanged.
void ProcessImage(const TPreparedLut& Look, const TImageHeader32& Src, TImageHeader32& Dst, bool Dither);
void ProcessImage64To32(const TPreparedLut& Look, const TImageHeader64& Src, TImageHeader32& Dst,
                        bool UseAlpha);
// 16-bit through a lookup prepared once per picture (bands on several
// threads share it); sizes must match.
void ProcessImage64(const TPreparedLut& Look, const TImageHeader64& Src, TImageHeader64& Dst, bool UseAlpha);
void ProcessImageVBPP(const TPreparedLut& Look, const TImageVBPPBand& Src, TImageHeader32& Dst,
                      bool Dither, bool UseAlpha);
// Float: Dst = Src * (1 - Amount) + LUT(Src) * Amount, alpha copied.
void ProcessImage128(const T3DLut& Lut, const TImage128& Src, TImage128& Dst, float Amount);

// Raw pixel rows in the image layouts above, processed in place without
// dither: BGR bytes, BGRA bytes (alpha-mixed as ProcessImage) or RGBA words.
enum class TLutRowFormat { BGR24, BGRA32, RGBA64 };
void ProcessRawRow(const T3DLut& Lut, void* Row, int32_t Width, TLutRowFormat Format);

// --- LUT by LUT (Source may be Dest) ---

// Dest = (1 - Amount) * Source + Amount * Processor(Source), node by node
// over Source's cube; only Dest's R, G, B change. Sizes must match. With no
// usable processor Dest becomes a copy of Source.
void ProcessLutByLut(const T3DLut& Source, T3DLut& Dest, const T3DLut& Processor, float Amount);
// The same through the tricubic lookup.
void ProcessLutByLutCubic(const T3DLut& Source, T3DLut& Dest, const T3DLut& Processor,
                          float Amount);
// Dest's R, G, B = Mask's first output at the HSL of Source's node.
void ProcessLutByHSLMask(const T3DLut& Source, T3DLut& Dest, const T3DLut& Mask);

// --- The caution message ---

inline constexpr const char* CautionCheckBoxCaption = "Don't show me again.";

// Shows Text modally under Caption with the check box; returns whether the
// box was ticked. The default asks through the platform prompt (OK stands
// for a ticked box); the widget layer installs a real dialog.
using TCautionDialogProc = bool (*)(const std::string& Caption, const std::string& Text);
void SetCautionDialogProc(TCautionDialogProc Proc);  // nullptr: the default
// Nothing once the box was ticked in this run. Off the main thread the text
// goes to the thread-safe message routine instead.
void ShowCautionOnce(const std::string& Caption, const std::string& Text);
bool CautionSuppressed();
void ResetCautionFlag();

}  // namespace kromel
