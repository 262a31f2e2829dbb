// The host plug-in link: two memory-mapped files in the per-user temporary
// folder shared with a plug-in running inside a host application.
//
// Image map "$LutSharedImage$" (PluginImageMapLength bytes), little-endian
// Int32 fields written by the plug-in unless marked:
//     0    4  not used
//     4    4  document number
//     8    4  busy: above 0 while the plug-in is working
//    12    4  new image: above 0 when a frame waits; 0 once we took it (both)
//    16    4  preset written: 1 once we wrote the preset file (both)
//    20  256  document name: a length byte and that many 8-bit characters
//   276    4  bytes per pixel: 3, 4 (8-bit), 6, 8 (16-bit), 12, 16 (float)
//   280    4  width
//   284    4  height
//   288       pixels R, G, B (, A) interleaved, bottom row first
//
// LUT map "$LutShared$" (PluginLutMapLength bytes), written by us:
//     0    4  magic "KLUT"
//     4    4  version, 1
//     8    4  levels N per axis, 2..64
//    12    4  generation: 0 while a LUT is being written, then the count of
//             LUTs written (from 1, never 0 again); stored last, after a
//             release fence, so a reader that sees the same non-zero value
//             before and after copying has a whole LUT
//    16  264  reserved, zero
//   280       N^3 float triplets R, G, B, node r + N * (g + N * b)
//
// The preset file is "LutPreset<document number>.luc" in the same folder,
// in the binary preset form.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "images/image64.h"
#include "lut/lut.h"

namespace kromel {

constexpr int64_t PluginImageHeaderSize = 288;
constexpr int64_t PluginImageMapLength = 141558048;
constexpr int64_t PluginLutHeaderSize = 280;
constexpr int64_t PluginLutMapLength = 3146008;
constexpr int32_t PluginLutMaxLevels = 64;
constexpr int32_t PluginLutVersion = 1;
inline constexpr char PluginLutMagic[4] = {'K', 'L', 'U', 'T'};
inline constexpr char PluginLutFileName[] = "$LutShared$";
inline constexpr char PluginImageFileName[] = "$LutSharedImage$";

// Image map field offsets.
enum TPluginImageField : int64_t {
  pifDocumentNumber = 4,
  pifBusy = 8,
  pifNewImage = 12,
  pifPresetWritten = 16,
  pifDocumentName = 20,
  pifPixelBytes = 276,
  pifWidth = 280,
  pifHeight = 284,
};
// LUT map field offsets.
enum TPluginLutField : int64_t {
  plfMagic = 0,
  plfVersion = 4,
  plfLevels = 8,
  plfGeneration = 12,
};

// What the link asks of the main window.
class TPluginHost {
public:
  virtual ~TPluginHost() = default;
  // Blocks the renderer and waits until it is idle; true when it was running.
  virtual bool RendererBlock() = 0;
  // Creates (once) and unblocks the renderer.
  virtual void RendererCreate() = 0;
  // Image (top row first, alpha 65535) becomes the source image's 16-bit
  // picture; the host then takes the Rec. 709 profile, re-runs its colour
  // management, invalidates the distribution, re-runs the page change and
  // selects the first on-image tool. Image may be taken over (swapped).
  virtual void SourceImageReplaced(TImage64& Image) = 0;
  // Asynchronous recalculation and render.
  virtual void UpdateImage() = 0;
  // The current preset in the binary form to a new file; false on failure.
  virtual bool SavePresetToFile(const std::string& FileName) = 0;
  virtual void SetPresetSent() = 0;
};

enum class TPluginFrameResult { Ok, WidthZero, NoSize, BadPixelBytes, TooLarge, NoMemory };

struct TPluginFrameHeader {
  int32_t PixelBytes = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

// Checks a frame header against the Length bytes of Map and decodes its
// pixels into Image (top row first). Map is only read; on any failure Image
// is left as it was.
TPluginFrameResult DecodePluginFrame(const uint8_t* Map, int64_t Length,
                                     TPluginFrameHeader& Header, TImage64& Image);

// Reads the LUT map of Length bytes into Lut; false (Lut unchanged) when it
// holds no whole LUT.
bool ReadPluginLut(const uint8_t* Map, int64_t Length, T3DLut& Lut);

class TKromelPluginLink {
public:
  // Folder empty: the per-user temporary folder.
  explicit TKromelPluginLink(TPluginHost& Host, std::string Folder = {});
  ~TKromelPluginLink();
  TKromelPluginLink(const TKromelPluginLink&) = delete;
  TKromelPluginLink& operator=(const TKromelPluginLink&) = delete;

  bool KromelSMOpen(bool ShowErrors);
  bool KromelSMImageOpen();
  bool KromelSMImageLoad();
  void KromelSMImageCheck();
  bool KromelSMSavePreset();
  void KromelSMWriteLut(const T3DLut& Lut);
  void KromelSMClose();
  void KromelSMImageClose();

  bool LutMapped() const { return FLutMap != nullptr; }
  bool ImageMapped() const { return FImageMap != nullptr; }
  int32_t DocumentNumber() const;
  std::string DocumentName() const;
  std::string PresetFileName() const;
  // " [Plug-in Connected: name/number]" with both maps, " [Plug-in
  // Connected]" with the LUT map only, preceded by "*" while the preset
  // has not been sent; empty when not connected.
  std::string CaptionText(bool PresetSent) const;

  // The busy wait before writing the preset: Rounds sleeps of Pause each.
  int32_t BusyWaitRounds = 100;
  std::function<void()> BusyPause;

private:
  TPluginHost& FHost;
  std::string FFolder;
  int FLutFd = -1;
  uint8_t* FLutMap = nullptr;
  int FImageFd = -1;
  uint8_t* FImageMap = nullptr;
  uint32_t FLutGeneration = 0;
};

}  // namespace kromel
