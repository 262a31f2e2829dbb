// Metadata tags of FreeImage bitmaps: the tag writers the RAW decoder uses,
// the exposure figure and the metadata listing. Model is FreeImage's metadata
// model (FIMD_EXIF_MAIN = 1, FIMD_EXIF_EXIF = 2).
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <string>

namespace kromel {

// ASCII; False when the bitmap, key or value is missing or the tag cannot
// be made.
bool FreeImage_AddStringTag(FREE_IMAGE_MDMODEL Model, FIBITMAP* Bitmap, const std::string& Key,
                            const std::string& Value);
// RATIONAL: the value over a denominator chosen by its size (1000 from 1 up,
// a larger power of ten below, so 1/8000 keeps four digits).
void FreeImage_AddRationalTag(FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model, const std::string& Key,
                              double Value);
// SHORT: the value's low 16 bits.
void FreeImage_AddShortTag(FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model, const std::string& Key,
                           int32_t Value);
// The numerator and denominator FreeImage_AddRationalTag stores for Value.
void RationalTagParts(double Value, uint32_t& Numerator, uint32_t& Denominator);

// ISO x exposure time / f-number squared from the tags of the model: the
// f-number from "FNumber", else 2^(ApertureValue / 2); the time from
// "ExposureTime", else "Shutter"; a missing factor counts 1.
float GetExifExposureInfo(FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model);
// One line per tag of the model: "[type] key: value".
void GetImageMetadataText(std::string& Text, FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model);

}  // namespace kromel
