// Image files in: any still picture FreeImage decodes, into TImage32 (8-bit
// BGRA) or TImage64 (16-bit RGBA), rows top-down, with the file's embedded
// ICC profile kept or converted. A failed load leaves the caller's image as
// it was.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <string>

#include "foundation/byte_stream.h"
#include "images/image32.h"
#include "images/image64.h"

namespace kromel {

// ICC profile records (FreeImage's FIICCPROFILE, held by value). A record
// whose data is null holds no profile. A record that owns its data frees it
// with FreeICCProfileData and copies it with CopyICCProfileData; the record
// of a FreeImage bitmap belongs to the bitmap.
void FreeICCProfileData(FIICCPROFILE& Profile);
// Frees Target's data, copies flags and size, and copies Size bytes of Data
// when Data is set and Size > 0 (Target's data stays null otherwise).
void CopyICCProfileData(uint16_t Flags, uint32_t Size, const void* Data, FIICCPROFILE& Target);
void CopyICCProfileData(const FIICCPROFILE& Source, FIICCPROFILE& Target);
// An empty record.
FIICCPROFILE EmptyICCProfile();

// True for the extensions ".JPG", ".JPEG", ".PNG", ".PSD", ".ICO", ".EXR",
// ".GIF", ".TGA", ".TIF", ".TIFF" in any case.
bool IsFreeImageFileExtension(const std::string& FileName);

bool LoadImage32FromFile(TImage32& Image, const std::string& FileName);
// The stream's whole content; a stream under 200 bytes is refused silently.
bool LoadImage32FromStream(TImage32& Image, TByteStream& Stream, bool ShowErrors);

// FloatScale multiplies red, green and blue of float pictures; Dither adds
// 0..254 to the widened channels of 8-bit colour pictures.
bool LoadImage64FromFile(TImage64& Image, const std::string& FileName, bool Dither,
                         float FloatScale);
// FileName is used only in the message.
bool LoadImage64FromStream(TByteStream& Stream, TImage64& Image, const std::string& FileName,
                           bool Dither, float FloatScale);
// Loads with dither. When Target holds a profile the pixels are converted
// from the file's profile into it (an untagged file is taken as it is);
// otherwise the file's profile is copied into Target.
bool LoadImage64FromFileConvertToProfile(TImage64& Image, const std::string& FileName,
                                         FIICCPROFILE& Target, float FloatScale);

// The conversion core of the 16-bit loads: 8-bit palette, grey, BGR and BGRA
// bitmaps, RGB16, RGBA16, RGB float and RGBA float. Bitmap is not changed.
bool ConvertFreeBitmapToImage64(FIBITMAP* Bitmap, TImage64& Image, bool Dither, float FloatScale);
// Multiplies red, green and blue of every pixel of an RGB or RGBA float
// bitmap by Factor; other bitmaps are left alone.
void ScaleFloatFreeBitmap(FIBITMAP* Bitmap, float Factor);

}  // namespace kromel
