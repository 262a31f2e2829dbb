// The owner of one image buffer: disposed when the owner goes, or handed to
// a caller with MoveTo once complete, so a failed load leaves the caller's
// image as it was. The one RAII owner of the image types.
#pragma once

namespace kromel {

template <class TImage>
class TOwnedImage {
public:
  TOwnedImage() { Image.Init(); }
  ~TOwnedImage() { Image.Dispose(); }
  TOwnedImage(const TOwnedImage&) = delete;
  TOwnedImage& operator=(const TOwnedImage&) = delete;
  // Target releases what it held and takes the pixels (margins 0).
  void MoveTo(TImage& Target) {
    Target.Dispose();
    Target = Image;
    Image.Init();
  }
  TImage Image;
};

}  // namespace kromel
