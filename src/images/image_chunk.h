// The "SAMP" image chunk every image type stores itself in: the tag, width
// and height as signed 32-bit little-endian values, then the pixels row by
// row as they lie in memory. No size field, no version.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "foundation/error_sink.h"

namespace kromel {

enum class TImageChunkStatus {
  Ok,        // header valid; the file stands at the pixels
  Empty,     // a 0 x 0 chunk; the file stands after it
  NoTag,     // no "SAMP" here
  BadSize,   // a side of 0 or below, or too many pixels
  TooShort,  // fewer bytes present than the chunk needs
  IOError    // the file position cannot be read or set
};

struct TImageChunkHeader {
  int32_t Width = 0;
  int32_t Height = 0;
  int64_t Start = -1;  // where the tag was expected
};

// Reads the header at F's position and checks it against the bytes the file
// really holds. On anything but Ok and Empty the file is back at Start.
TImageChunkStatus ReadImageChunkHeader(std::FILE* F, int32_t PixelBytes,
                                       TImageChunkHeader& Header);
// Reads the pixel block after an Ok header; on failure the file goes back to
// Header.Start.
bool ReadImageChunkPixels(std::FILE* F, const TImageChunkHeader& Header, int32_t PixelBytes,
                          void* Pixels);
void RestoreImageChunkPosition(std::FILE* F, const TImageChunkHeader& Header);
// Writes a chunk; Pixels may be null when Width x Height is 0.
bool WriteImageChunk(std::FILE* F, int32_t Width, int32_t Height, const void* Pixels,
                     int32_t PixelBytes);
std::string ImageChunkStatusText(TImageChunkStatus Status);

// WriteToFile of an image type: an image without pixels is stored (and
// left) as 0 x 0.
template <class TImage>
bool WriteImageToChunk(std::FILE* F, TImage& Image, const char* Routine) {
  if (Image.Pixels == nullptr) {
    Image.Width = 0;
    Image.Height = 0;
  }
  if (WriteImageChunk(F, Image.Width, Image.Height, Image.Pixels,
                      static_cast<int32_t>(sizeof(typename TImage::TPixel))))
    return true;
  ErrorMessageProc(std::string("Exception in ") + Routine + ", write failed");
  return false;
}

// ReadFromFile of an image type. The image changes only when a whole chunk
// was read (a 0 x 0 chunk empties it); on failure the image and the file
// position stay as they were. A missing tag is not reported.
template <class TImage>
bool ReadImageFromChunk(std::FILE* F, TImage& Image, const char* Routine) {
  constexpr int32_t N = static_cast<int32_t>(sizeof(typename TImage::TPixel));
  TImageChunkHeader Header;
  const TImageChunkStatus Status = ReadImageChunkHeader(F, N, Header);
  if (Status == TImageChunkStatus::NoTag) return false;
  if (Status == TImageChunkStatus::Empty) {
    Image.Dispose();
    return true;
  }
  const std::string Where = std::string("Exception in ") + Routine + ", Width=" +
                            std::to_string(Header.Width) + " Height=" +
                            std::to_string(Header.Height) + ": ";
  if (Status != TImageChunkStatus::Ok) {
    ErrorMessageProc(Where + ImageChunkStatusText(Status));
    return false;
  }
  TImage Temp;
  Temp.Init();
  if (!Temp.Alloc(Header.Width, Header.Height)) {
    RestoreImageChunkPosition(F, Header);
    ErrorMessageProc(Where + "not enough memory");
    return false;
  }
  if (!ReadImageChunkPixels(F, Header, N, Temp.Pixels)) {
    Temp.Dispose();
    ErrorMessageProc(Where + ImageChunkStatusText(TImageChunkStatus::TooShort));
    return false;
  }
  Temp.CopyMarginsFrom(Image);
  Image = std::move(Temp);
  return true;
}

}  // namespace kromel
