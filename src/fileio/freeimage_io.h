// FreeImage input and output of the image-file routines: bitmaps opened from a
// file or a memory block with a check for truncated data, and bitmaps saved
// through a temporary file that is renamed over the target.
#pragma once
#include <FreeImage.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace kromel {

struct TFreeBitmapUnloader {
  void operator()(FIBITMAP* Bitmap) const {
    if (Bitmap != nullptr) FreeImage_Unload(Bitmap);
  }
};
// Owns a FreeImage bitmap and unloads it.
using TFreeBitmapPtr = std::unique_ptr<FIBITMAP, TFreeBitmapUnloader>;

// Bytes for FreeImage to decode: an open file or a memory block (not owned).
// Every read is watched: a decoder that asks for bytes past the end of the
// data is reading a truncated file.
class TFreeImageSource {
public:
  TFreeImageSource() = default;
  ~TFreeImageSource();
  TFreeImageSource(const TFreeImageSource&) = delete;
  TFreeImageSource& operator=(const TFreeImageSource&) = delete;

  // False when the file cannot be opened for reading.
  bool OpenFile(const std::string& FileName);
  void OpenMemory(const uint8_t* Data, int64_t Size);

  // Detects the format by signature (else from NameForFormat's extension
  // when it is not empty) and decodes with default options. Null when there
  // is no readable format, decoding fails, the data ran out, or the picture
  // is narrower or lower than 2 pixels.
  TFreeBitmapPtr Load(const std::string& NameForFormat);

  // FreeImage's callbacks.
  static unsigned ReadProc(void* Buffer, unsigned Size, unsigned Count, fi_handle Handle);
  static unsigned WriteProc(void* Buffer, unsigned Size, unsigned Count, fi_handle Handle);
  static int SeekProc(fi_handle Handle, long Offset, int Origin);
  static long TellProc(fi_handle Handle);

  // Count bytes at Pos, the read position untouched; false when the data
  // ends first.
  bool ReadAt(int64_t Pos, void* Buffer, int64_t Count) const;
  int64_t Size() const { return FSize; }

private:
  void Rewind();

  std::FILE* FFile = nullptr;
  const uint8_t* FData = nullptr;
  int64_t FSize = 0;
  int64_t FPos = 0;
  bool FRanOut = false;
};

// Routes FreeImage's decoder messages to the debug log.
void InstallFreeImageMessageLog();

// True when FreeImage can write Bitmap, as it is, in the format Fif: a
// standard bitmap by its bit count, any other type by its type.
bool FreeBitmapExportable(FREE_IMAGE_FORMAT Fif, FIBITMAP* Bitmap);

// Encodes Bitmap in format Fif with the encoder's Flags (0: its defaults)
// and writes the bytes to FileName through a temporary file in the same
// folder. False when encoding or writing fails; the old file is then kept.
bool SaveFreeBitmapToFile(FIBITMAP* Bitmap, FREE_IMAGE_FORMAT Fif, const std::string& FileName,
                          int Flags = 0);

}  // namespace kromel
