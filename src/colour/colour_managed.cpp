#include "colour/colour_managed.h"

#include <array>
#include <cmath>
#include <string>

#include "colour/icc_profiles.h"
#include "foundation/error_sink.h"

namespace kromel {

namespace {

// Bytes of one chunky pixel of a Little CMS format; 0 for planar formats.
uint32_t FormatPixelBytes(cmsUInt32Number Format) {
  if (T_PLANAR(Format)) return 0;
  uint32_t Bytes = T_BYTES(Format);
  if (Bytes == 0) Bytes = 8;
  return Bytes * (T_CHANNELS(Format) + T_EXTRA(Format));
}

// True when Transform reads InBytes and writes OutBytes per pixel.
bool TransformFits(cmsHTRANSFORM Transform, uint32_t InBytes, uint32_t OutBytes) {
  return FormatPixelBytes(cmsGetTransformInputFormat(Transform)) == InBytes &&
         FormatPixelBytes(cmsGetTransformOutputFormat(Transform)) == OutBytes;
}

void ReportUnfitTransform(const char* Routine) {
  ErrorMessageProc(std::string(Routine) +
                   " error: the transform's pixel formats do not fit the image and bitmap");
}

void SetAlphaBytes(uint8_t* Row, int32_t Width) {
  for (int32_t x = 0; x < Width; ++x) Row[4 * int64_t(x)] = 255;
}

// Writes the rows of Image into Bitmap (Bits 24 or 32): through Transform
// when given, else as B, G, R or 255, R, G, B; Rgb gives a pixel's 8-bit
// red, green and blue.
template <class TImage, class TRgb>
void WriteRowsToBitmap(const TImage& Image, TRawBitmap& Bitmap, int32_t Bits,
                       cmsHTRANSFORM Transform, TRgb Rgb) {
  const int32_t Width = Image.Width;
  for (int32_t y = 0; y < Image.Height; ++y) {
    const auto* S = Image.Row(y);
    uint8_t* D = Bitmap.ScanLine(y);
    if (D == nullptr) continue;
    if (Transform != nullptr) {
      cmsDoTransform(Transform, S, D, static_cast<cmsUInt32Number>(Width));
      if (Bits == 32) SetAlphaBytes(D, Width);
    } else if (Bits == 24) {
      for (int32_t x = 0; x < Width; ++x, D += 3) {
        const std::array<uint8_t, 3> C = Rgb(S[x]);
        D[0] = C[2];
        D[1] = C[1];
        D[2] = C[0];
      }
    } else {
      for (int32_t x = 0; x < Width; ++x, D += 4) {
        const std::array<uint8_t, 3> C = Rgb(S[x]);
        D[0] = 255;
        D[1] = C[0];
        D[2] = C[1];
        D[3] = C[2];
      }
    }
  }
}

bool HasPixels(const TImage32& Image) {
  return Image.Pixels != nullptr && Image.Width > 0 && Image.Height > 0;
}

// The fitted size of an image in a box; false when any side is below 1.
bool FitSize(const TImage32& Image, int32_t BoxWidth, int32_t BoxHeight, int32_t& FitWidth,
             int32_t& FitHeight) {
  if (Image.Width < 1 || Image.Height < 1 || BoxWidth < 1 || BoxHeight < 1) return false;
  FitWidth = BoxWidth;
  FitHeight = BoxHeight;
  if (double(BoxWidth) / BoxHeight < double(Image.Width) / Image.Height)
    FitHeight = static_cast<int32_t>(std::nearbyint(double(Image.Height) * BoxWidth / Image.Width));
  else
    FitWidth = static_cast<int32_t>(std::nearbyint(double(Image.Width) * BoxHeight / Image.Height));
  return true;
}

// Target pixel (x, y) of a W x H resampling takes the source pixel at row
// H0 * y / H and column W0 * x / W.
uint32_t NearestSourcePixel(const TImage32& Image, int32_t x, int32_t y, int32_t W, int32_t H) {
  const int64_t Sy = int64_t(Image.Height) * y / H;
  const int64_t Sx = int64_t(Image.Width) * x / W;
  return Image.Pixels[Sy * Image.Width + Sx].Value;
}

}  // namespace

void BitmapCMSCopyTo(TRawBitmap& Source, TRawBitmap& Destination, cmsHTRANSFORM Transform) {
  if (Destination.Data() == nullptr) return;
  try {
    Destination.SetPixelFormat(Source.PixelFormat());
    Destination.SetSize(Source.Width(), Source.Height());
    Source.BeginUpdate();
    Destination.BeginUpdate();
    const int32_t Bits = Destination.BitsPerPixel();
    const int32_t Width = Source.Width();
    if (Bits != 24 && Bits != 32) {
      ErrorMessageProc("BitmapCMSCopyTo error: unsupported pixel format");
    } else if (Transform != nullptr && !TransformFits(Transform, Bits / 8, Bits / 8)) {
      ReportUnfitTransform("BitmapCMSCopyTo");
    } else {
      for (int32_t y = 0; y < Source.Height(); ++y) {
        const uint8_t* S = Source.ScanLine(y);
        uint8_t* D = Destination.ScanLine(y);
        if (S == nullptr || D == nullptr) continue;
        if (Bits == 24) {
          if (Transform != nullptr)
            cmsDoTransform(Transform, S, D, static_cast<cmsUInt32Number>(Width));
          else
            std::copy(S, S + 3 * int64_t(Width), D);
        } else if (Transform != nullptr) {
          cmsDoTransform(Transform, S, D, static_cast<cmsUInt32Number>(Width));
          SetAlphaBytes(D, Width);
        } else {
          for (int64_t x = 0; x < Width; ++x) {
            D[4 * x] = 255;
            D[4 * x + 1] = S[4 * x + 1];
            D[4 * x + 2] = S[4 * x + 2];
            D[4 * x + 3] = S[4 * x + 3];
          }
        }
      }
    }
    Destination.EndUpdate();
    Source.EndUpdate();
  } catch (...) {
    ErrorMessageProc("Exception in BitmapCMSCopyTo : Width=" + std::to_string(Source.Width()));
  }
}

void ImageCMSCopyToBitmap(const TImage32& Image, TRawBitmap& Bitmap, cmsHTRANSFORM Transform) {
  try {
    const bool Pixels = HasPixels(Image);
    Bitmap.SetSize(Pixels ? Image.Width : 0, Pixels ? Image.Height : 0);
    Bitmap.BeginUpdate();
    if (Bitmap.BitsPerPixel() == 32) Bitmap.SetPixelFormat(pf32bit);
    const int32_t Bits = Bitmap.BitsPerPixel();
    const bool Usable = Pixels && (Bits == 24 || Bits == 32) &&
                        (Transform == nullptr || TransformFits(Transform, 4, Bits / 8));
    if (Usable)
      WriteRowsToBitmap(Image, Bitmap, Bits, Transform, [](const TVPixel32& P) {
        return std::array<uint8_t, 3>{P.BGRA.R, P.BGRA.G, P.BGRA.B};
      });
    Bitmap.EndUpdate();
  } catch (...) {
    // The copy ends silently.
  }
}

void ImageCMSCopyToBitmapResized(const TImage32& Image, TRawBitmap& Bitmap, int32_t NewWidth,
                                 int32_t NewHeight, cmsHTRANSFORM Transform) {
  if (!HasPixels(Image)) return;
  TImage32 Temp;
  if (!Temp.Alloc(NewWidth, NewHeight)) return;
  for (int32_t y = 0; y < NewHeight; ++y)
    for (int32_t x = 0; x < NewWidth; ++x)
      Temp.Row(y)[x].Value = NearestSourcePixel(Image, x, y, NewWidth, NewHeight);
  ImageCMSCopyToBitmap(Temp, Bitmap, Transform);
  Temp.Dispose();
}

void ImageCMSCopyToBitmapPlaced(const TImage32& Image, TRawBitmap& Bitmap, int32_t Left,
                                int32_t Top, int32_t Width, int32_t Height,
                                cmsHTRANSFORM Transform) {
  if (!HasPixels(Image) || Left < 0 || Top < 0 || Width < 0 || Height < 0) return;
  TImage32 Temp;
  if (!Temp.Alloc(Width + Left, Height + Top)) return;
  Temp.Clear();
  for (int32_t y = 0; y < Height; ++y)
    for (int32_t x = 0; x < Width; ++x)
      Temp.Row(y + Top)[x + Left].Value = NearestSourcePixel(Image, x, y, Width, Height);
  ImageCMSCopyToBitmap(Temp, Bitmap, Transform);
  Temp.Dispose();
}

void ImageCMSCopyToBitmapRectFit(const TImage32& Image, TRawBitmap& Bitmap, int32_t BoxWidth,
                                 int32_t BoxHeight, cmsHTRANSFORM Transform) {
  int32_t W, H;
  if (!FitSize(Image, BoxWidth, BoxHeight, W, H)) return;
  ImageCMSCopyToBitmapPlaced(Image, Bitmap, (BoxWidth - W) / 2, (BoxHeight - H) / 2, W, H,
                             Transform);
}

void ImageCMSCopyToBitmapFit(const TImage32& Image, TRawBitmap& Bitmap, int32_t BoxWidth,
                             int32_t BoxHeight, cmsHTRANSFORM Transform) {
  int32_t W, H;
  if (!FitSize(Image, BoxWidth, BoxHeight, W, H)) return;
  ImageCMSCopyToBitmapResized(Image, Bitmap, W, H, Transform);
}

void Image64CMSCopyTo(const TImage64& Image, TRawBitmap& Bitmap, cmsHTRANSFORM Transform) {
  try {
    const bool Pixels = Image.Pixels != nullptr && Image.Width > 0 && Image.Height > 0;
    Bitmap.SetSize(Pixels ? Image.Width : 0, Pixels ? Image.Height : 0);
    Bitmap.BeginUpdate();
    const int32_t Bits = Bitmap.BitsPerPixel();
    bool Usable = Pixels && (Bits == 24 || Bits == 32);
    if (Usable && Transform != nullptr && !TransformFits(Transform, 8, Bits / 8)) {
      ReportUnfitTransform("Image64CMSCopyTo");
      Usable = false;
    }
    if (Usable)
      WriteRowsToBitmap(Image, Bitmap, Bits, Transform, [](const TPixel64& P) {
        return std::array<uint8_t, 3>{static_cast<uint8_t>(P.R >> 8),
                                      static_cast<uint8_t>(P.G >> 8),
                                      static_cast<uint8_t>(P.B >> 8)};
      });
    Bitmap.EndUpdate();
  } catch (...) {
    ErrorMessageProc("Exception in Image64CMSCopyTo");
  }
}

bool Image64ConvertToProfile(const TImage64& Src, TImage64& Dst, cmsHPROFILE SourceProfile,
                             cmsHPROFILE DestinationProfile) {
  if (Src.Pixels == nullptr || Dst.Pixels == nullptr) return false;
  if (Src.Size != Dst.Size) {
    ErrorMessageProc("Image64ConvertToProfile Error: Images sizes differ!");
    return false;
  }
  if (SourceProfile == nullptr) {
    ErrorMessageProc("Image64ConvertToProfile: Error loading source profile");
    return false;
  }
  if (DestinationProfile == nullptr) {
    ErrorMessageProc("Image64ConvertToProfile: Error loading destination profile");
    return false;
  }
  // Alpha goes with the colours: a separate destination has none of its own.
  cmsHTRANSFORM T = cmsCreateTransform(SourceProfile, TYPE_RGBA_16, DestinationProfile,
                                       TYPE_RGBA_16, INTENT_RELATIVE_COLORIMETRIC,
                                       cmsFLAGS_COPY_ALPHA);
  if (T == nullptr) {
    std::string Description;
    GetProfileDescription(Description, SourceProfile);
    ErrorMessageProc(
        "Image64ConvertToProfile: Error converting profile, failed to create Transform from " +
        Description);
    return false;
  }
  if (Src.Size > 0)
    cmsDoTransform(T, Src.Pixels, Dst.Pixels, static_cast<cmsUInt32Number>(Src.Size));
  cmsDeleteTransform(T);
  return true;
}

bool Image64ConvertToProfileFromMem(const TImage64& Src, TImage64& Dst,
                                    const TProfileBytes& SourceProfile,
                                    const TProfileBytes& DestinationProfile) {
  if (Src.Pixels == nullptr || Dst.Pixels == nullptr) return false;
  if (Src.Size != Dst.Size) {
    ErrorMessageProc("Image64ConvertToProfile Error: Images sizes differ!");
    return false;
  }
  auto Open = [](const TProfileBytes& Bytes) {
    if (Bytes.Data == nullptr || Bytes.Size == 0) return cmsCreate_sRGBProfile();
    return OpenProfileFromBytes(Bytes.Data, Bytes.Size);
  };
  cmsHPROFILE In = Open(SourceProfile);
  if (In == nullptr) {
    ErrorMessageProc("Image64ConvertToProfile: Error loading source profile");
    return false;
  }
  cmsHPROFILE Out = Open(DestinationProfile);
  if (Out == nullptr) {
    ErrorMessageProc("Image64ConvertToProfile: Error loading destination profile");
    cmsCloseProfile(In);
    return false;
  }
  const bool Result = Image64ConvertToProfile(Src, Dst, In, Out);
  cmsCloseProfile(In);
  cmsCloseProfile(Out);
  return Result;
}

}  // namespace kromel
