// An image built aside and handed to a caller with MoveTo once complete, so
// a failed load leaves the caller's image as it was. The image frees its
// own pixels (TImageBuffer); this only names the hand-over.
#pragma once
#include <utility>

namespace kromel {

template <class TImage>
class TOwnedImage {
public:
  TOwnedImage() = default;
  TOwnedImage(const TOwnedImage&) = delete;
  TOwnedImage& operator=(const TOwnedImage&) = delete;
  // Target releases what it held and takes the pixels.
  void MoveTo(TImage& Target) { Target = std::move(Image); }
  TImage Image;
};

}  // namespace kromel
