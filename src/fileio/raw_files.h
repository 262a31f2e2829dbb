// Camera RAW files through LibRaw: decoding into a linear 16-bit TImage64
// with the as-shot white balance, the camera matrix and the highlight clip
// level, the camera's data as EXIF tags, the RAW name test and LibRaw's build
// capabilities. Pictures too large for LibRaw's memory image pass through a
// swap file of their own in the temporary folder.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "images/image64.h"

// FreeImage's bitmap (FreeImage.h).
struct FIBITMAP;

namespace kromel {

// The RAW extensions, 22 entries.
inline constexpr const char* RawFileExtensions =
    "*.3fr;*.ari;*.arw;*.crw;*.cr2;*.dcr;*.dng;*.eip;*.fff;*.iiq;*.mef;*.mos;*.mrw;*.mxf;*.nef;"
    "*.orf;*.pef;*.r3d;*.raf;*.rw2;*.srw;*.x3f";

// Pictures of more pixels than this (64,000,000) bypass LibRaw's memory
// image and go through the swap file; tests may lower it.
extern int64_t RawMemoryImagePixelLimit;
bool RawNeedsSwapFile(int64_t Width, int64_t Height);

// The row-major matrices that follow the camera matrix for LibRaw's output
// colours 2 (Adobe RGB) and 4 (ProPhoto RGB).
extern const std::array<double, 9> RawAdobeRGBMatrix;
extern const std::array<double, 9> RawProPhotoMatrix;

// Decodes FileName. OutputColor is LibRaw's output colour (0 raw, 1 sRGB,
// 2 Adobe RGB, 4 ProPhoto); UniWB sets unity user multipliers. On success
// Image holds the picture with alpha 65535, HighlightClip the clip word of
// each channel (65535 for highlight mode 0, else 42000), R, G, B the as-shot
// multipliers, CameraMatrix LibRaw's camera matrix (times the output
// matrix), and MetadataHolder (when given) the camera's tags. On failure
// nothing of the caller's is changed and LibRaw's own failures are silent
// (the caller reports).
bool LoadImage64FromRawFile(TImage64& Image, const std::string& FileName, int32_t OutputColor,
                            bool UniWB, std::array<uint16_t, 3>& HighlightClip,
                            int32_t HighlightMode, int32_t Demosaic, int32_t NoiseReduction,
                            float& R, float& G, float& B, std::array<double, 9>& CameraMatrix,
                            FIBITMAP* MetadataHolder);

// The as-shot multipliers from LibRaw's pre and camera multipliers.
void RawWhiteBalanceMultipliers(const float (&Pre)[4], const float (&Cam)[4], float& R, float& G,
                                float& B);

bool IsRawFileExtension(const std::string& FileName);
// LibRaw's optional parts, ", "-separated; "Default" when none.
void GetLibRawCapabilitiesText(std::string& Text);

// The swap file: a new file of its own in the temporary folder, removed from
// the folder as soon as it is made and gone for good when the object goes.
class TRawSwapFile {
public:
  TRawSwapFile() = default;
  ~TRawSwapFile();
  TRawSwapFile(const TRawSwapFile&) = delete;
  TRawSwapFile& operator=(const TRawSwapFile&) = delete;

  bool Create();
  // Writes all Count bytes after those written before.
  bool Write(const void* Data, int64_t Count);
  // Everything written, as Samples (1, 3 or 4) words per pixel of a
  // Width x Height picture, into a new buffer of Image, expanded to TPixel64.
  // A read that fails or brings another size is reported and leaves Image
  // disposed (size 0). The file is closed either way.
  bool ReadInto(TImage64& Image, int32_t Width, int32_t Height, int32_t Samples);
  void Close();
  bool IsOpen() const { return FFd >= 0; }
  // Where the file was made.
  const std::string& Path() const { return FPath; }

private:
  std::string FPath;
  int FFd = -1;
};

}  // namespace kromel
