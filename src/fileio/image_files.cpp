#include "fileio/image_files.h"

#include <lcms2.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "colour/cms_handles.h"
#include "fileio/file_extension.h"
#include "fileio/freeimage_io.h"
#include "images/owned_image.h"
#include "foundation/error_sink.h"
#include "foundation/numeric.h"

namespace kromel {

namespace {

// True when a W x H picture fits the image types (pixel count in 32 bits).
bool FitsImage(unsigned W, unsigned H) {
  return W > 0 && H > 0 && W <= unsigned(INT32_MAX) && H <= unsigned(INT32_MAX) &&
         uint64_t(W) * H <= uint64_t(INT32_MAX);
}

// A float channel on 0..1 as a word: v x 65535 rounded, clamped; NaN is 0.
uint16_t FloatToWord(float V) {
  const float W = V * 65535.0f;
  if (!(W > 0.0f)) return 0;
  if (!(W < 65535.0f)) return 65535;
  return uint16_t(std::nearbyint(W));
}

// Adds 0..Amount-1 to red, green and blue below 65535 - Amount.
void AddNoise64(TImage64& Image, int32_t Amount) {
  const int32_t Limit = 65535 - Amount;
  for (int32_t I = 0; I < Image.Size; ++I) {
    TPixel64& P = Image.Pixels[I];
    for (uint16_t* C : {&P.R, &P.G, &P.B})
      if (*C < Limit) *C = uint16_t(*C + RandomInteger(Amount));
  }
}

// Top-down row Y of the bitmap (FreeImage keeps rows bottom-up).
const uint8_t* TopDownLine(FIBITMAP* Bitmap, unsigned H, unsigned Y) {
  return FreeImage_GetScanLine(Bitmap, int(H - 1 - Y));
}

enum class TSourceKind { Unsupported, Bitmap8, Bitmap24, Bitmap32, RGB16, RGBA16, RGBF, RGBAF };

TSourceKind KindOf(FIBITMAP* Bitmap) {
  const unsigned Bits = FreeImage_GetBPP(Bitmap);
  switch (FreeImage_GetImageType(Bitmap)) {
    case FIT_BITMAP:
      if (Bits == 8) return TSourceKind::Bitmap8;
      if (Bits == 24) return TSourceKind::Bitmap24;
      if (Bits == 32) return TSourceKind::Bitmap32;
      return TSourceKind::Unsupported;
    case FIT_RGB16:
      return Bits == 48 ? TSourceKind::RGB16 : TSourceKind::Unsupported;
    case FIT_RGBA16:
      return Bits == 64 ? TSourceKind::RGBA16 : TSourceKind::Unsupported;
    case FIT_RGBF:
      return Bits == 96 ? TSourceKind::RGBF : TSourceKind::Unsupported;
    case FIT_RGBAF:
      return Bits == 128 ? TSourceKind::RGBAF : TSourceKind::Unsupported;
    default:
      return TSourceKind::Unsupported;
  }
}

// Fills Image (already W x H) from an 8-, 24- or 32-bit standard bitmap:
// every byte x 257, alpha 255 for the bitmaps without one.
void WidenBitmapRows(FIBITMAP* Bitmap, TSourceKind Kind, TImage64& Image) {
  const unsigned W = unsigned(Image.Width), H = unsigned(Image.Height);
  std::vector<uint8_t> Line(size_t(W) * 4);
  for (unsigned Y = 0; Y < H; ++Y) {
    BYTE* Source = const_cast<BYTE*>(TopDownLine(Bitmap, H, Y));
    if (Kind == TSourceKind::Bitmap8)
      FreeImage_ConvertLine8To32(Line.data(), Source, int(W), FreeImage_GetPalette(Bitmap));
    else if (Kind == TSourceKind::Bitmap24)
      FreeImage_ConvertLine24To32(Line.data(), Source, int(W));
    else
      std::memcpy(Line.data(), Source, Line.size());
    TPixel64* Row = Image.Row(int32_t(Y));
    for (unsigned X = 0; X < W; ++X) {
      const uint8_t* S = Line.data() + 4 * size_t(X);
      Row[X] = {uint16_t(S[FI_RGBA_RED] * 257), uint16_t(S[FI_RGBA_GREEN] * 257),
                uint16_t(S[FI_RGBA_BLUE] * 257), uint16_t(S[FI_RGBA_ALPHA] * 257)};
    }
  }
}

void FillImage64(FIBITMAP* Bitmap, TSourceKind Kind, float FloatScale, bool Dither,
                 TImage64& Image) {
  const unsigned W = unsigned(Image.Width), H = unsigned(Image.Height);
  switch (Kind) {
    case TSourceKind::Bitmap8:
    case TSourceKind::Bitmap24:
    case TSourceKind::Bitmap32:
      WidenBitmapRows(Bitmap, Kind, Image);
      if (Dither && Kind != TSourceKind::Bitmap8) AddNoise64(Image, 255);
      break;
    case TSourceKind::RGBA16:
      for (unsigned Y = 0; Y < H; ++Y)
        std::memcpy(Image.Row(int32_t(Y)), TopDownLine(Bitmap, H, Y), size_t(W) * 8);
      break;
    case TSourceKind::RGB16:
      for (unsigned Y = 0; Y < H; ++Y) {
        std::memcpy(Image.Row(int32_t(Y)), TopDownLine(Bitmap, H, Y), size_t(W) * 6);
        ExpandRGB48ToPixel64(Image.Row(int32_t(Y)), W);
      }
      break;
    case TSourceKind::RGBF:
      for (unsigned Y = 0; Y < H; ++Y) {
        const FIRGBF* S = reinterpret_cast<const FIRGBF*>(TopDownLine(Bitmap, H, Y));
        TPixel64* Row = Image.Row(int32_t(Y));
        for (unsigned X = 0; X < W; ++X)
          Row[X] = {FloatToWord(S[X].red * FloatScale), FloatToWord(S[X].green * FloatScale),
                    FloatToWord(S[X].blue * FloatScale), 65535};
      }
      break;
    case TSourceKind::RGBAF:
      for (unsigned Y = 0; Y < H; ++Y) {
        const FIRGBAF* S = reinterpret_cast<const FIRGBAF*>(TopDownLine(Bitmap, H, Y));
        TPixel64* Row = Image.Row(int32_t(Y));
        for (unsigned X = 0; X < W; ++X)
          Row[X] = {FloatToWord(S[X].red * FloatScale), FloatToWord(S[X].green * FloatScale),
                    FloatToWord(S[X].blue * FloatScale), FloatToWord(S[X].alpha)};
      }
      break;
    case TSourceKind::Unsupported:
      break;
  }
}

// Fills a new TImage32 from a decoded bitmap. 32-bit standard bitmaps are
// copied as they are; every other kind goes through FreeImage's 24-bit
// conversion and gets alpha 255.
bool FreeBitmapToImage32(FIBITMAP* Bitmap, TImage32& Image, bool ShowErrors,
                         const std::string& ExceptionText) {
  try {
    const unsigned W = FreeImage_GetWidth(Bitmap), H = FreeImage_GetHeight(Bitmap);
    if (!FitsImage(W, H)) return false;
    FIBITMAP* Source = Bitmap;
    TFreeBitmapPtr Converted;
    if (!(FreeImage_GetImageType(Bitmap) == FIT_BITMAP && FreeImage_GetBPP(Bitmap) == 32)) {
      Converted.reset(FreeImage_ConvertTo24Bits(Bitmap));
      if (!Converted && ShowErrors)
        ErrorMessageProc("LoadImage32FromFile error - can't convert image to 24bits");
      if (!Converted || FreeImage_GetImageType(Converted.get()) != FIT_BITMAP ||
          FreeImage_GetBPP(Converted.get()) != 24) {
        ErrorMessageProc("LoadImage32FromFile Unsupported Image Bit Depth - " +
                         std::to_string(FreeImage_GetBPP(Bitmap)));
        return false;
      }
      Source = Converted.get();
    }
    TOwnedImage<TImage32> Loaded;
    if (!Loaded.Image.Alloc(int32_t(W), int32_t(H))) return false;
    FreeImage_ConvertToRawBits(reinterpret_cast<BYTE*>(Loaded.Image.Pixels), Source, int(W * 4), 32,
                               0, 0, 0, TRUE);
    Loaded.MoveTo(Image);
    return true;
  } catch (...) {
    ErrorMessageProc(ExceptionText);
    return false;
  }
}

// The stream's whole content from its start.
bool ReadWholeStream(TByteStream& Stream, std::vector<uint8_t>& Bytes) {
  const int64_t Size = Stream.Size();
  if (Size <= 0 || !Stream.SetPosition(0)) return false;
  Bytes.resize(size_t(Size));
  int64_t Done = 0;
  while (Done < Size) {
    const int64_t Got = Stream.Read(Bytes.data() + Done, Size - Done);
    if (Got <= 0) break;
    Done += Got;
  }
  Bytes.resize(size_t(Done));
  return Done > 0;
}

// Decodes the stream's whole content; null when it is empty or not a picture.
TFreeBitmapPtr LoadBitmapFromStream(TByteStream& Stream) {
  std::vector<uint8_t> Bytes;
  if (!ReadWholeStream(Stream, Bytes)) return nullptr;
  TFreeImageSource Source;
  Source.OpenMemory(Bytes.data(), int64_t(Bytes.size()));
  return Source.Load("");
}

// Decodes FileName; null, reported, when it cannot be opened or decoded.
TFreeBitmapPtr LoadBitmapFromFile(const std::string& FileName) {
  TFreeImageSource Source;
  TFreeBitmapPtr Bitmap;
  if (Source.OpenFile(FileName)) Bitmap = Source.Load(FileName);
  if (!Bitmap) ErrorMessageProc("Failed to load image: " + FileName);
  return Bitmap;
}

bool SameProfileBytes(const FIICCPROFILE& A, const FIICCPROFILE& B) {
  return A.data != nullptr && B.data != nullptr && A.size == B.size &&
         std::memcmp(A.data, B.data, A.size) == 0;
}

// Converts Image in place from the profile Source to the profile Dest
// (alpha kept). A source profile that is not RGB cannot describe these
// pixels: the image is then taken as it is.
bool Image64ConvertToProfileFromMem(TImage64& Image, const FIICCPROFILE& Source,
                                    const FIICCPROFILE& Dest) {
  TProfilePtr In(cmsOpenProfileFromMem(Source.data, Source.size));
  if (!In) {
    ErrorMessageProc("Error loading source profile");
    return false;
  }
  TProfilePtr Out(cmsOpenProfileFromMem(Dest.data, Dest.size));
  if (!Out || cmsGetColorSpace(Out.get()) != cmsSigRgbData) {
    ErrorMessageProc("Error loading destination profile");
    return false;
  }
  if (cmsGetColorSpace(In.get()) != cmsSigRgbData) return true;
  cmsHTRANSFORM Transform = cmsCreateTransform(In.get(), TYPE_RGBA_16, Out.get(), TYPE_RGBA_16,
                                               INTENT_RELATIVE_COLORIMETRIC, 0);
  if (Transform == nullptr) {
    ErrorMessageProc("Exception in Image64ConvertToProfileFromMem");
    return false;
  }
  for (int32_t Y = 0; Y < Image.Height; ++Y)
    cmsDoTransform(Transform, Image.Row(Y), Image.Row(Y), cmsUInt32Number(Image.Width));
  cmsDeleteTransform(Transform);
  return true;
}

}  // namespace

// ---- profile records --------------------------------------------------------

FIICCPROFILE EmptyICCProfile() {
  FIICCPROFILE P;
  P.flags = 0;
  P.size = 0;
  P.data = nullptr;
  return P;
}

void FreeICCProfileData(FIICCPROFILE& Profile) {
  if (Profile.data == nullptr) return;
  std::free(Profile.data);
  Profile.data = nullptr;
  Profile.size = 0;
}

void CopyICCProfileData(uint16_t Flags, uint32_t Size, const void* Data, FIICCPROFILE& Target) {
  if (Data != nullptr && Data == Target.data) {
    Target.flags = Flags;
    Target.size = Size;
    return;
  }
  FreeICCProfileData(Target);
  Target.flags = Flags;
  Target.size = Size;
  if (Data != nullptr && Size > 0) {
    Target.data = std::malloc(Size);
    if (Target.data == nullptr) {
      Target.size = 0;
      return;
    }
    std::memcpy(Target.data, Data, Size);
  }
}

void CopyICCProfileData(const FIICCPROFILE& Source, FIICCPROFILE& Target) {
  CopyICCProfileData(Source.flags, Source.size, Source.data, Target);
}

// ---- names ------------------------------------------------------------------

bool IsFreeImageFileExtension(const std::string& FileName) {
  static const std::array<const char*, 10> Extensions = {
      ".JPG", ".JPEG", ".PNG", ".PSD", ".ICO", ".EXR", ".GIF", ".TGA", ".TIF", ".TIFF"};
  const std::string Ext = UpperFileExtension(FileName);
  for (const char* E : Extensions)
    if (Ext == E) return true;
  return false;
}

// ---- 8-bit loads ------------------------------------------------------------

bool LoadImage32FromFile(TImage32& Image, const std::string& FileName) {
  try {
    TFreeBitmapPtr Bitmap = LoadBitmapFromFile(FileName);
    if (!Bitmap) return false;
    return FreeBitmapToImage32(Bitmap.get(), Image, true,
                               "Exception in Images_FreeImage.LoadImage32FromFile");
  } catch (...) {
    ErrorMessageProc("Exception in Images_FreeImage.LoadImage32FromFile");
    return false;
  }
}

bool LoadImage32FromStream(TImage32& Image, TByteStream& Stream, bool ShowErrors) {
  try {
    if (Stream.Size() < 200) return false;
    TFreeBitmapPtr Bitmap = LoadBitmapFromStream(Stream);
    if (!Bitmap) {
      if (ShowErrors) ErrorMessageProc("Failed to load image from stream");
      return false;
    }
    return FreeBitmapToImage32(Bitmap.get(), Image, ShowErrors,
                               "Exception in Images_FreeImage.LoadImage32FromStream");
  } catch (...) {
    ErrorMessageProc("Exception in Images_FreeImage.LoadImage32FromStream");
    return false;
  }
}

// ---- 16-bit loads -----------------------------------------------------------

bool ConvertFreeBitmapToImage64(FIBITMAP* Bitmap, TImage64& Image, bool Dither,
                                float FloatScale) {
  if (Bitmap == nullptr || !FreeImage_HasPixels(Bitmap)) return false;
  try {
    const TSourceKind Kind = KindOf(Bitmap);
    if (Kind == TSourceKind::Unsupported) {
      ErrorMessageProc("Convert FreeBitmaptoImage64: Unsupported Image Bit Depth - " +
                       std::to_string(FreeImage_GetBPP(Bitmap)) +
                       " ColorType: " + std::to_string(int(FreeImage_GetColorType(Bitmap))));
      return false;
    }
    const unsigned W = FreeImage_GetWidth(Bitmap), H = FreeImage_GetHeight(Bitmap);
    if (!FitsImage(W, H)) return false;
    TOwnedImage<TImage64> Loaded;
    if (!Loaded.Image.Alloc(int32_t(W), int32_t(H))) return false;
    FillImage64(Bitmap, Kind, FloatScale, Dither, Loaded.Image);
    Loaded.MoveTo(Image);
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in ConvertFreeBitmapToImage64");
    return false;
  }
}

void ScaleFloatFreeBitmap(FIBITMAP* Bitmap, float Factor) {
  if (Bitmap == nullptr || !FreeImage_HasPixels(Bitmap)) return;
  const FREE_IMAGE_TYPE Type = FreeImage_GetImageType(Bitmap);
  const unsigned Floats = Type == FIT_RGBAF ? 4 : Type == FIT_RGBF ? 3 : 0;
  if (Floats == 0) return;
  const unsigned W = FreeImage_GetWidth(Bitmap), H = FreeImage_GetHeight(Bitmap);
  for (unsigned Y = 0; Y < H; ++Y) {
    float* Line = reinterpret_cast<float*>(FreeImage_GetScanLine(Bitmap, int(Y)));
    for (unsigned X = 0; X < W; ++X)
      for (unsigned C = 0; C < 3; ++C) Line[size_t(X) * Floats + C] *= Factor;
  }
}

bool LoadImage64FromFile(TImage64& Image, const std::string& FileName, bool Dither,
                         float FloatScale) {
  try {
    TFreeBitmapPtr Bitmap = LoadBitmapFromFile(FileName);
    if (!Bitmap) return false;
    return ConvertFreeBitmapToImage64(Bitmap.get(), Image, Dither, FloatScale);
  } catch (...) {
    ErrorMessageProc("Exception in Images_FreeImage.LoadImage64FromFile");
    return false;
  }
}

bool LoadImage64FromStream(TByteStream& Stream, TImage64& Image, const std::string& FileName,
                           bool Dither, float FloatScale) {
  try {
    TFreeBitmapPtr Bitmap = LoadBitmapFromStream(Stream);
    if (!Bitmap) {
      ErrorMessageProc("Failed to load image: " + FileName);
      return false;
    }
    return ConvertFreeBitmapToImage64(Bitmap.get(), Image, Dither, FloatScale);
  } catch (...) {
    ErrorMessageProc("Exception in Images_FreeImage.LoadImage64FromStream");
    return false;
  }
}

bool LoadImage64FromFileConvertToProfile(TImage64& Image, const std::string& FileName,
                                         FIICCPROFILE& Target, float FloatScale) {
  try {
    TFreeBitmapPtr Bitmap = LoadBitmapFromFile(FileName);
    if (!Bitmap) return false;
    TOwnedImage<TImage64> Loaded;
    if (!ConvertFreeBitmapToImage64(Bitmap.get(), Loaded.Image, true, FloatScale)) return false;
    const FIICCPROFILE* Embedded = FreeImage_GetICCProfile(Bitmap.get());
    // A profile Little CMS cannot open counts as none: the pixels stay as
    // they are and no junk is handed back as the picture's profile.
    const bool Tagged = Embedded != nullptr && Embedded->data != nullptr && Embedded->size > 0 &&
                        TProfilePtr(cmsOpenProfileFromMem(Embedded->data, Embedded->size));
    if (Target.data != nullptr) {
      if (Tagged && !SameProfileBytes(*Embedded, Target) &&
          !Image64ConvertToProfileFromMem(Loaded.Image, *Embedded, Target))
        return false;
    } else if (Tagged) {
      CopyICCProfileData(*Embedded, Target);
    } else {
      FreeICCProfileData(Target);
      Target.size = 0;
    }
    Loaded.MoveTo(Image);
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in LoadImage64FromFileConvertToProfile");
    return false;
  }
}

}  // namespace kromel
