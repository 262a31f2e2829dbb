#include "fileio/image_save.h"

#include <cstdlib>
#include <cstring>

#include "fileio/file_extension.h"
#include "fileio/freeimage_io.h"
#include "images/owned_image.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"

namespace kromel {

namespace {

template <class TImage>
bool HoldsPicture(const TImage& Image) {
  return Image.Pixels != nullptr && Image.Width > 0 && Image.Height > 0 &&
         int64_t(Image.Width) * Image.Height <= Image.Size;
}

bool IsJpegName(const std::string& FileName) {
  const std::string Ext = UpperFileExtension(FileName);
  return Ext == ".JPG" || Ext == ".JPEG";
}

// Replaces the bitmap's profile by the record's bytes; nothing for an empty
// record. False when FreeImage cannot take the profile.
bool EmbedProfile(FIBITMAP* Bitmap, const FIICCPROFILE& Profile) {
  if (Profile.data == nullptr || Profile.size == 0) return true;
  FreeImage_DestroyICCProfile(Bitmap);
  return FreeImage_CreateICCProfile(Bitmap, Profile.data, long(Profile.size)) != nullptr;
}

// A new RGBA16 bitmap with the image's rows (FreeImage's rows bottom-up);
// null for an empty image or a failed allocation.
TFreeBitmapPtr NewRGBA16Bitmap(const TImage64& Image) {
  if (!HoldsPicture(Image)) return {};
  TFreeBitmapPtr Bitmap(FreeImage_AllocateT(FIT_RGBA16, Image.Width, Image.Height, 64));
  if (!Bitmap || FreeImage_GetBPP(Bitmap.get()) != 64) return {};
  const int32_t H = Image.Height;
  for (int32_t Y = 0; Y < H; ++Y)
    std::memcpy(FreeImage_GetScanLine(Bitmap.get(), Y), Image.Row(H - 1 - Y),
                size_t(Image.Width) * sizeof(TPixel64));
  return Bitmap;
}

}  // namespace

bool SaveImage32ToFileWithProfile(const TImage32& Image, const std::string& FileName,
                                  const FIICCPROFILE& Profile) {
  try {
    if (!HoldsPicture(Image)) return false;
    const FREE_IMAGE_FORMAT Fif = FreeImage_GetFIFFromFilename(FileName.c_str());
    TFreeBitmapPtr Bitmap(FreeImage_ConvertFromRawBits(reinterpret_cast<BYTE*>(Image.Pixels),
                                                       Image.Width, Image.Height, Image.Width * 4,
                                                       32, 0, 0, 0, TRUE));
    if (Bitmap && IsJpegName(FileName)) Bitmap.reset(FreeImage_ConvertTo24Bits(Bitmap.get()));
    if (!Bitmap || !EmbedProfile(Bitmap.get(), Profile) || !FreeBitmapExportable(Fif, Bitmap.get()))
      return false;
    return SaveFreeBitmapToFile(Bitmap.get(), Fif, FileName);
  } catch (...) {
    ErrorMessageProc("Exception in SaveImage32ToFileWithProfile: " + FileName);
    return false;
  }
}

bool SaveImage32ToFile(const TImage32& Image, const std::string& FileName) {
  FIICCPROFILE None{0, 0, nullptr};
  return SaveImage32ToFileWithProfile(Image, FileName, None);
}

bool SaveImage64ToFile(const TImage64& Image, const std::string& FileName,
                       const FIICCPROFILE& Profile) {
  const std::string Head = "Exception in SaveImage64ToFile: " + FileName + "\n";
  try {
    const FREE_IMAGE_FORMAT Fif = FreeImage_GetFIFFromFilename(FileName.c_str());
    if (Fif == FIF_UNKNOWN || !FreeImage_FIFSupportsWriting(Fif) ||
        !FreeImage_FIFSupportsExportType(Fif, FIT_RGB16)) {
      ErrorMessageProc("Error in SaveImage64ToFile: " + FileName +
                       "\nThis file format cannot hold 48-bit RGB images");
      return false;
    }
    TFreeBitmapPtr Bitmap = NewRGBA16Bitmap(Image);
    if (!Bitmap) {
      ErrorMessageProc(Head + "Failed to Create TFreeBitmap");
      return false;
    }
    // RGB16 drops alpha: every file written here is 48-bit RGB.
    TFreeBitmapPtr RGB(FreeImage_ConvertToRGB16(Bitmap.get()));
    Bitmap.reset();
    if (!RGB || FreeImage_GetBPP(RGB.get()) != 48) {
      ErrorMessageProc(Head + "Failed to convert to 16 bit");
      return false;
    }
    if (!EmbedProfile(RGB.get(), Profile)) {
      ErrorMessageProc(Head + "Failed to create profile");
      return false;
    }
    if (!SaveFreeBitmapToFile(RGB.get(), Fif, FileName)) {
      ErrorMessageProc("Error in SaveImage64ToFile: failed to write " + FileName);
      return false;
    }
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in SaveImage64ToFile: " + FileName);
    return false;
  }
}

bool SaveImage64ToFileNoProfile(const TImage64& Image, const std::string& FileName) {
  FIICCPROFILE None{0, 0, nullptr};
  return SaveImage64ToFile(Image, FileName, None);
}

bool SaveImage64ToFile8bit(const TImage64& Image, const std::string& FileName,
                           const FIICCPROFILE& Profile) {
  try {
    const FREE_IMAGE_FORMAT Fif = FreeImage_GetFIFFromFilename(FileName.c_str());
    if (Fif == FIF_UNKNOWN || !FreeImage_FIFSupportsWriting(Fif) ||
        !FreeImage_FIFSupportsExportBPP(Fif, 24)) {
      ErrorMessageProc("Error in SaveImage64ToFile8bit: " + FileName +
                       "\nThis file format cannot hold 24-bit RGB images");
      return false;
    }
    TFreeBitmapPtr Bitmap = NewRGBA16Bitmap(Image);
    if (!Bitmap) {
      ErrorMessageProc("Exception in SaveImage64ToFile8bit: " + FileName +
                       "\nFailed to convert to 16 bit");
      return false;
    }
    TFreeBitmapPtr RGB(FreeImage_ConvertTo24Bits(Bitmap.get()));
    Bitmap.reset();
    if (!RGB || !EmbedProfile(RGB.get(), Profile) || !SaveFreeBitmapToFile(RGB.get(), Fif, FileName)) {
      ErrorMessageProc("Exception in SaveImage64ToFile8Bit: " + FileName);
      return false;
    }
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in SaveImage64ToFile8Bit: " + FileName);
    return false;
  }
}

bool SaveImage64ToFileAs(const TImage64& Image, const std::string& FileName,
                         const FIICCPROFILE& Profile, const TImageSaveOptions& Options) {
  try {
    const std::string Ext = UpperFileExtension(FileName);
    const bool Jpeg = Ext == ".JPG" || Ext == ".JPEG";
    const FREE_IMAGE_FORMAT Fif = Jpeg ? FIF_JPEG
                                  : (Ext == ".PNG")                   ? FIF_PNG
                                  : (Ext == ".TIF" || Ext == ".TIFF") ? FIF_TIFF
                                                                      : FIF_UNKNOWN;
    if (Fif == FIF_UNKNOWN) {
      ErrorMessageProc("Unsupported image file type: " + FileName);
      return false;
    }
    TFreeBitmapPtr Bitmap = NewRGBA16Bitmap(Image);
    if (!Bitmap) {
      ErrorMessageProc("Error in SaveImage64ToFileAs: " + FileName + "\nNo image to save");
      return false;
    }
    bool Transparent = false;
    if (Options.KeepAlpha && !Jpeg)
      for (int64_t I = 0; I < int64_t(Image.Width) * Image.Height && !Transparent; ++I)
        Transparent = Image.Pixels[I].A != 65535;
    int Flags = 0;
    if (Jpeg) {
      Bitmap.reset(FreeImage_ConvertTo24Bits(Bitmap.get()));
      Flags = Options.JpegQuality < 1 ? 1 : (Options.JpegQuality > 100 ? 100 : Options.JpegQuality);
    } else if (!Transparent) {
      Bitmap.reset(FreeImage_ConvertToRGB16(Bitmap.get()));
    }
    if (!Bitmap || !EmbedProfile(Bitmap.get(), Profile) ||
        !SaveFreeBitmapToFile(Bitmap.get(), Fif, FileName, Flags)) {
      ErrorMessageProc("Error in SaveImage64ToFileAs: failed to write " + FileName);
      return false;
    }
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in SaveImage64ToFileAs: " + FileName);
    return false;
  }
}

bool SaveImageVBPPToFile(const TImageVBPP& Image, const std::string& FileName,
                         const FIICCPROFILE& Profile) {
  if (Image.Image64.Pixels != nullptr) return SaveImage64ToFile(Image.Image64, FileName, Profile);
  if (Image.Image32.Pixels != nullptr)
    return SaveImage32ToFileWithProfile(Image.Image32, FileName, Profile);
  return false;
}

bool SaveImage128ToFile(const TImage128& Image, const std::string& FileName,
                        const FIICCPROFILE& Profile) {
  TOwnedImage<TImage64> Words;
  if (Image.HoldsData() && Image.Width > 0 && Image.Height > 0 &&
      Words.Image.Alloc(Image.Width, Image.Height))
    Image.CopyToImage64(Words.Image);
  return SaveImage64ToFile(Words.Image, FileName, Profile);
}

FIBITMAP* CreateFreeBitmapFromImage64(const TImage64& Image) {
  if (Image.Width <= 0 || Image.Height <= 0 || Image.Pixels == nullptr) {
    ErrorMessageProc("Error in CreateFreeBitmapFromImage64: Zero size");
    return nullptr;
  }
  try {
    TFreeBitmapPtr Bitmap = NewRGBA16Bitmap(Image);
    if (!Bitmap) ErrorMessageProc("Error in CreateFreeBitmapFromImage64: Failed to create 64-bit FreeBitmap");
    return Bitmap.release();
  } catch (...) {
    ErrorMessageProc("Exception in CreateFreeBitmapFromImage64");
    return nullptr;
  }
}

FIICCPROFILE CmsProfileToMemory(cmsHPROFILE Profile) {
  FIICCPROFILE Result{0, 0, nullptr};
  if (Profile == nullptr) return Result;
  cmsUInt32Number Size = 0;
  if (!cmsSaveProfileToMem(Profile, nullptr, &Size) || Size == 0) {
    ErrorMessageProc("Exception in CmsProfileToMemory");
    return Result;
  }
  void* Data = std::malloc(Size);
  if (Data == nullptr || !cmsSaveProfileToMem(Profile, Data, &Size)) {
    std::free(Data);
    ErrorMessageProc("Exception in CmsProfileToMemory");
    return Result;
  }
  Result.size = Size;
  Result.data = Data;
  return Result;
}

bool FIICCProfileSaveToFile(const FIICCPROFILE& Profile, const std::string& FileName) {
  if (Profile.data == nullptr) {
    ErrorMessageProc("Error in FIICCProfileSaveToFile: source data is nil");
    return false;
  }
  if (!SaveBufferToFile(FileName, Profile.data, int64_t(Profile.size))) {
    ErrorMessageProc("Error in FIICCProfileSaveToFile: failed to write " + FileName);
    return false;
  }
  return true;
}

}  // namespace kromel
