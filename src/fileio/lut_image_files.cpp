// LUT picture files.
#include "fileio/lut_image_files.h"

#include "foundation/ascii_case.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "images/image64.h"
#include "lut/lut_images.h"

namespace kromel {

namespace {

// An image the routine owns and frees on every path.
struct TOwnedImage64 {
  TOwnedImage64() { Image.Init(); }
  ~TOwnedImage64() { Image.Dispose(); }
  TImage64 Image;
};

}  // namespace

TLutImageLayout LutImageLayoutOfFile(const std::string& FileName) {
  return UpperAscii(FileName).find("GPUIMAGE") != std::string::npos ? TLutImageLayout::GPU
                                                     : TLutImageLayout::Hald;
}

bool LoadLutFromImageFile(T3DLut& Lut, const std::string& FileName, bool ShowErrors) {
  TOwnedImage64 Owned;
  if (!LoadImage64FromFile(Owned.Image, FileName, false, 1.0f)) return false;
  const bool Ok = LutImageLayoutOfFile(FileName) == TLutImageLayout::GPU
                      ? LoadFromGPUImage(Lut, Owned.Image, ShowErrors)
                      : LoadFromHaldImage(Lut, Owned.Image, ShowErrors);
  if (Ok) Lut.Name = FileName;
  return Ok;
}

bool SaveLutToImageFile(const T3DLut& Lut, const std::string& FileName, TLutImageLayout Layout) {
  TOwnedImage64 Owned;
  bool Made = false;
  switch (Layout) {
    case TLutImageLayout::GPU: Made = SaveToGPUImage(Lut, Owned.Image); break;
    case TLutImageLayout::Hald: Made = SaveToHaldImage(Lut, Owned.Image); break;
    case TLutImageLayout::Strip: Made = SaveToStripImage(Lut, Owned.Image); break;
    case TLutImageLayout::StripFlipped: Made = SaveToStripImageFlipped(Lut, Owned.Image); break;
  }
  return Made && SaveImage64ToFileNoProfile(Owned.Image, FileName);
}

}  // namespace kromel
