// The image-file loaders over any file bytes: the 16-bit and 8-bit loads
// from memory, the load that converts an embedded profile into the working
// one (from a file), and the metadata texts of whatever FreeImage decoded.
// A refused file leaves the caller's image and profile as they were; an
// accepted one gives a whole picture of at least 2 x 2 pixels.
#include <lcms2.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fileio/freeimage_io.h"
#include "fileio/image_files.h"
#include "fileio/image_metadata.h"
#include "foundation/byte_stream.h"
#include "fuzz_support.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

template <class TImage>
void MakeSentinel(TImage& Image) {
  Image.Init();
  FUZZ_CHECK(Image.Alloc(3, 2));
  std::memset(Image.Pixels, 0x5A, sizeof(*Image.Pixels) * size_t(Image.Size));
}

template <class TImage>
std::string PixelBytes(const TImage& Image) {
  return std::string(reinterpret_cast<const char*>(Image.Pixels),
                     sizeof(*Image.Pixels) * size_t(Image.Size)) +
         "|" + std::to_string(Image.Width) + "x" + std::to_string(Image.Height);
}

template <class TImage>
void CheckLoaded(const TImage& Image) {
  FUZZ_CHECK(Image.Width > 1 && Image.Height > 1 && Image.Pixels != nullptr);
  FUZZ_CHECK(int64_t(Image.Size) == int64_t(Image.Width) * Image.Height);
}

// The working profile the converting load is given.
const std::vector<uint8_t>& WorkingProfileBytes() {
  static const std::vector<uint8_t> Bytes = [] {
    cmsHPROFILE P = cmsCreate_sRGBProfile();
    cmsUInt32Number N = 0;
    FUZZ_CHECK(P != nullptr && cmsSaveProfileToMem(P, nullptr, &N) && N > 0);
    std::vector<uint8_t> B(N);
    FUZZ_CHECK(cmsSaveProfileToMem(P, B.data(), &N));
    cmsCloseProfile(P);
    return B;
  }();
  return Bytes;
}

void CheckStreamLoads(const uint8_t* Data, size_t Size, bool& Loaded) {
  const std::string Bytes = AsText(Data, Size);
  TImage64 Image64;
  MakeSentinel(Image64);
  const std::string Before64 = PixelBytes(Image64);
  TMemoryStream Stream64(Bytes);
  Loaded = LoadImage64FromStream(Stream64, Image64, "fuzz", (Size & 1) != 0, 1.0f);
  if (Loaded)
    CheckLoaded(Image64);
  else
    FUZZ_CHECK(PixelBytes(Image64) == Before64);
  Image64.Dispose();

  TImage32 Image32;
  MakeSentinel(Image32);
  const std::string Before32 = PixelBytes(Image32);
  TMemoryStream Stream32(Bytes);
  if (LoadImage32FromStream(Image32, Stream32, true))
    CheckLoaded(Image32);
  else
    FUZZ_CHECK(PixelBytes(Image32) == Before32);
  Image32.Dispose();
}

// The converting load, for pictures that carry a profile of their own.
void CheckProfileLoad(const uint8_t* Data, size_t Size) {
  const std::string File = ScratchFolder() + "in.img";
  PutFile(File, Data, Size);
  const std::vector<uint8_t>& Working = WorkingProfileBytes();
  FIICCPROFILE Target = EmptyICCProfile();
  CopyICCProfileData(0, uint32_t(Working.size()), Working.data(), Target);
  TImage64 Image;
  MakeSentinel(Image);
  const std::string Before = PixelBytes(Image);
  if (LoadImage64FromFileConvertToProfile(Image, File, Target, 1.0f))
    CheckLoaded(Image);
  else
    FUZZ_CHECK(PixelBytes(Image) == Before);
  // The working profile is never replaced by the file's.
  FUZZ_CHECK(Target.size == Working.size() &&
             std::memcmp(Target.data, Working.data(), Working.size()) == 0);
  FreeICCProfileData(Target);
  Image.Dispose();

  // Without a working profile the file's own is handed back.
  FIICCPROFILE Own = EmptyICCProfile();
  TImage64 Plain;
  if (LoadImage64FromFileConvertToProfile(Plain, File, Own, 1.0f)) CheckLoaded(Plain);
  FreeICCProfileData(Own);
  Plain.Dispose();
}

void CheckMetadata(FIBITMAP* Bitmap) {
  static const FREE_IMAGE_MDMODEL Models[] = {
      FIMD_COMMENTS, FIMD_EXIF_MAIN, FIMD_EXIF_EXIF, FIMD_EXIF_GPS, FIMD_EXIF_MAKERNOTE,
      FIMD_EXIF_INTEROP, FIMD_IPTC, FIMD_XMP, FIMD_GEOTIFF, FIMD_ANIMATION};
  std::string Text;
  for (FREE_IMAGE_MDMODEL Model : Models) GetImageMetadataText(Text, Bitmap, Model);
  GetExifExposureInfo(Bitmap, FIMD_EXIF_EXIF);
  GetExifExposureInfo(Bitmap, FIMD_EXIF_MAIN);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  bool Loaded = false;
  CheckStreamLoads(Data, Size, Loaded);
  TFreeImageSource Source;
  Source.OpenMemory(Data, int64_t(Size));
  TFreeBitmapPtr Bitmap = Source.Load("");
  // The loaders decode through the same source: they agree on what loads.
  FUZZ_CHECK(!Loaded || Bitmap);
  if (!Bitmap) return 0;
  CheckMetadata(Bitmap.get());
  const FIICCPROFILE* Embedded = FreeImage_GetICCProfile(Bitmap.get());
  if (Embedded != nullptr && Embedded->data != nullptr && Embedded->size > 0)
    CheckProfileLoad(Data, Size);
  return 0;
}
