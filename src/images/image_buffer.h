// The owner of an image's pixels, shared by every image type, and the
// non-owning view over another image's rows.
//
// TImageBuffer<THeader> frees its pixels when it goes and is move-only: a
// move hands the pixels (and the header) over and leaves the source empty.
// Alloc has one contract for every image type:
// - the same Width and Height as held: the pixels are kept (contents as
//   they were), True;
// - otherwise what is held is freed; a side of 0 or below gives an empty
//   image (all sizes 0) and False without a report;
// - a pixel count above INT32_MAX or memory that can't be had is reported
//   ("Exception in <type>.Alloc ...") and gives an empty image and False.
// Contents are not set; margins are left as they were.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "images/image_header.h"

namespace kromel {

// Count x PixelBytes bytes for Width x Height pixels (both above 0), or
// null after a report naming TypeName when the count overflows or memory
// can't be had.
void* AllocImagePixels(int32_t Width, int32_t Height, size_t PixelBytes, const char* TypeName);
void FreeImagePixels(void* Pixels);

// The type name reports use for an image of these pixels.
template <class TPixel>
inline constexpr const char* ImageTypeName = "TImage";

template <class THeader>
class TImageBuffer : public THeader {
public:
  using TPixel = typename THeader::TPixel;

  TImageBuffer() = default;
  ~TImageBuffer() { Dispose(); }
  TImageBuffer(const TImageBuffer&) = delete;
  TImageBuffer& operator=(const TImageBuffer&) = delete;
  TImageBuffer(TImageBuffer&& Other) noexcept : THeader(static_cast<const THeader&>(Other)) {
    Other.Forget();
  }
  TImageBuffer& operator=(TImageBuffer&& Other) noexcept {
    if (this != &Other) {
      Dispose();
      static_cast<THeader&>(*this) = static_cast<const THeader&>(Other);
      Other.Forget();
    }
    return *this;
  }

  // The Alloc contract above.
  bool Alloc(int32_t NewWidth, int32_t NewHeight) {
    TPixel*& P = this->PixelPointer();
    if (P != nullptr && NewWidth == this->Width && NewHeight == this->Height &&
        int64_t(NewWidth) * NewHeight == this->Size)
      return true;
    Dispose();
    if (NewWidth <= 0 || NewHeight <= 0) return false;
    P = static_cast<TPixel*>(
        AllocImagePixels(NewWidth, NewHeight, sizeof(TPixel), ImageTypeName<TPixel>));
    if (P == nullptr) return false;
    this->Width = NewWidth;
    this->Height = NewHeight;
    this->Size = NewWidth * NewHeight;
    return true;
  }
  // Frees the pixels; all sizes 0, margins kept.
  void Dispose() {
    TPixel*& P = this->PixelPointer();
    if (P != nullptr) FreeImagePixels(P);
    Forget();
  }
  // The same as Dispose (kept for the callers that empty an image first).
  void Init() { Dispose(); }

private:
  void Forget() {
    this->PixelPointer() = nullptr;
    this->Width = 0;
    this->Height = 0;
    this->Size = 0;
  }
};

// A view of pixels that belong to another image: copyable, never frees.
// Routines that only read or write pixels take the header (TImageHeader32,
// TImageHeader64), which owners and views both are, so bands and foreign
// rows pass through them.
template <class TPixel>
struct TImageView : TImageHeader<TPixel> {
  TImageView() = default;
  // The whole of Source (margins included).
  TImageView(const TImageHeader<TPixel>& Source) : TImageHeader<TPixel>(Source) {}
  // Width x Height pixels at Pixels.
  TImageView(TPixel* At, int32_t W, int32_t H) {
    this->Pixels = At;
    this->Width = W;
    this->Height = H;
    this->Size = W > 0 && H > 0 ? W * H : 0;
  }
};

// Makes View a view of Count rows of Source from FirstRow, sharing Source's
// pixels. Rows outside Source are cut off; an empty Source gives a view
// without pixels (Size 0, Width and Height untouched). Margins are not set.
template <class TPixelT>
void AssignRowBandOf(TImageView<TPixelT>& View, const TImageHeader<TPixelT>& Source,
                     int32_t FirstRow, int32_t Count) {
  if (Source.Pixels == nullptr || Source.Width <= 0 || Source.Height <= 0) {
    View.Pixels = nullptr;
    View.Size = 0;
    return;
  }
  const int32_t First = std::clamp(FirstRow, 0, Source.Height);
  const int32_t Rows = std::clamp(Count, 0, Source.Height - First);
  View.Pixels = Source.Pixels + static_cast<int64_t>(First) * Source.Width;
  View.Width = Source.Width;
  View.Height = Rows;
  View.Size = Source.Width * Rows;
}

// Count rows of Source from FirstRow (cut to Source's rows); no pixels when
// Source has none. Margins 0.
template <class TPixel>
TImageView<TPixel> RowBand(const TImageHeader<TPixel>& Source, int32_t FirstRow, int32_t Count) {
  TImageView<TPixel> View;
  View.Width = Source.Width;
  View.Height = Source.Height;
  AssignRowBandOf(View, Source, FirstRow, Count);
  return View;
}

}  // namespace kromel
