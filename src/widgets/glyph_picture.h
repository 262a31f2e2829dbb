// A picture a control owns: one TImage32, disposed with its owner.
#pragma once
#include "images/image32.h"

#include <utility>

namespace kromel {

class TGlyphPicture {
public:
  TGlyphPicture() = default;
  TGlyphPicture(const TGlyphPicture&) = delete;
  TGlyphPicture& operator=(const TGlyphPicture&) = delete;

  bool Empty() const { return !HasArea(Image); }
  // Takes Source's pixels (Source is left empty).
  void Take(TImage32& Source) {
    Image = std::move(Source);
  }
  void Clear() { Image.Dispose(); }

  TImage32 Image;
};

}  // namespace kromel
