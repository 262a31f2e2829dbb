#include "fileio/plugin_link.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "platform/folders.h"
#include "platform/message_sink.h"

namespace kromel {
namespace {

int32_t ReadInt32(const uint8_t* P) {
  int32_t V;
  std::memcpy(&V, P, 4);
  return V;
}

// A peer-shared Int32 field of a page-aligned map.
std::atomic_ref<int32_t> SharedField(uint8_t* Map, int64_t Offset) {
  return std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(Map + Offset));
}

std::string ErrorText(int Code) { return std::strerror(Code); }

// Opens and maps Length bytes of Path read/write (never created, never
// through a link, only a regular file at least Length long). Fd and Map
// stay -1 / null on failure, with Code the error number.
bool MapSharedFile(const std::string& Path, int64_t Length, int& Fd, uint8_t*& Map, int& Code,
                   bool& OpenFailed) {
  Fd = -1;
  Map = nullptr;
  OpenFailed = false;
  const int F = ::open(Path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (F < 0) {
    Code = errno;
    OpenFailed = true;
    return false;
  }
  struct stat St {};
  if (::fstat(F, &St) != 0 || !S_ISREG(St.st_mode) || St.st_size < Length) {
    // A shorter file would fault on the first access past its end.
    Code = EINVAL;
    ::close(F);
    return false;
  }
  void* P = ::mmap(nullptr, size_t(Length), PROT_READ | PROT_WRITE, MAP_SHARED, F, 0);
  if (P == MAP_FAILED) {
    Code = errno;
    ::close(F);
    return false;
  }
  Fd = F;
  Map = static_cast<uint8_t*>(P);
  return true;
}

void UnmapSharedFile(int& Fd, uint8_t*& Map, int64_t Length) {
  if (Map != nullptr) ::munmap(Map, size_t(Length));
  if (Fd >= 0) ::close(Fd);
  Map = nullptr;
  Fd = -1;
}

void ShowMappingFailure(int Code) {
  PlatformShowMessage(ErrorText(Code) + " - Failed to Create image file mapping, (" +
                      std::to_string(Code) + ")");
}

}  // namespace

TPluginFrameResult DecodePluginFrame(const uint8_t* Map, int64_t Length,
                                     TPluginFrameHeader& Header, TImage64& Image) {
  Header = {};
  if (Map == nullptr || Length < PluginImageHeaderSize) return TPluginFrameResult::NoSize;
  // Read once: the peer may change the header while we look at it.
  Header.PixelBytes = ReadInt32(Map + pifPixelBytes);
  Header.Width = ReadInt32(Map + pifWidth);
  Header.Height = ReadInt32(Map + pifHeight);
  if (Header.Width == 0) return TPluginFrameResult::WidthZero;
  if (Header.Width < 0 || Header.Height <= 0) return TPluginFrameResult::NoSize;
  const int32_t Bpp = Header.PixelBytes;
  if (Bpp != 3 && Bpp != 4 && Bpp != 6 && Bpp != 8 && Bpp != 12 && Bpp != 16)
    return TPluginFrameResult::BadPixelBytes;
  const int64_t Pixels = int64_t(Header.Width) * Header.Height;
  if (Pixels > (Length - PluginImageHeaderSize) / Bpp) return TPluginFrameResult::TooLarge;

  const uint8_t* Data = Map + PluginImageHeaderSize;
  const bool Alpha = Bpp == 4 || Bpp == 8 || Bpp == 16;
  TImage64 Fresh;
  bool Ok = false;
  if (Bpp <= 4) {
    Ok = Fresh.CopyFromRawBytes(Data, Header.Width, Header.Height, Alpha);
  } else if (Bpp <= 8) {
    Ok = Fresh.CopyFromRawWords(reinterpret_cast<const uint16_t*>(Data), Header.Width,
                                Header.Height, Alpha);
  } else {
    Ok = Fresh.CopyFromRawFloat(reinterpret_cast<const float*>(Data), Header.Width,
                                Header.Height, Alpha ? 1 : 0);
  }
  if (!Ok || Fresh.IsEmpty()) {
    Fresh.Dispose();
    return TPluginFrameResult::NoMemory;
  }
  Fresh.FlipVertical();
  Image = std::move(Fresh);
  return TPluginFrameResult::Ok;
}

bool ReadPluginLut(const uint8_t* Map, int64_t Length, T3DLut& Lut) {
  if (Map == nullptr || Length < PluginLutHeaderSize) return false;
  auto Generation = [&] {
    return std::atomic_ref<const int32_t>(*reinterpret_cast<const int32_t*>(Map + plfGeneration))
        .load(std::memory_order_acquire);
  };
  const int32_t Before = Generation();
  if (Before == 0 || std::memcmp(Map + plfMagic, PluginLutMagic, 4) != 0 ||
      ReadInt32(Map + plfVersion) != PluginLutVersion)
    return false;
  const int32_t N = ReadInt32(Map + plfLevels);
  if (N < MinLutLevels || N > PluginLutMaxLevels) return false;
  const int64_t Count = int64_t(N) * N * N;
  if (Count * 12 > Length - PluginLutHeaderSize) return false;
  T3DLut Fresh;
  if (!Fresh.SetSize(N)) return false;
  const uint8_t* P = Map + PluginLutHeaderSize;
  for (int64_t I = 0; I < Count; ++I, P += 12) {
    std::memcpy(&Fresh.R[I], P, 4);
    std::memcpy(&Fresh.G[I], P + 4, 4);
    std::memcpy(&Fresh.B[I], P + 8, 4);
  }
  std::atomic_thread_fence(std::memory_order_acquire);
  if (Generation() != Before) return false;
  Fresh.Valid = true;
  return Lut.CopyFrom(Fresh);
}

TKromelPluginLink::TKromelPluginLink(TPluginHost& Host, std::string Folder)
    : FHost(Host), FFolder(Folder.empty() ? TempFolder() : std::move(Folder)) {
  BusyPause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(100)); };
}

TKromelPluginLink::~TKromelPluginLink() {
  KromelSMClose();
  KromelSMImageClose();
}

bool TKromelPluginLink::KromelSMOpen(bool ShowErrors) {
  KromelSMClose();
  int Code = 0;
  bool OpenFailed = false;
  if (MapSharedFile(FFolder + "/" + PluginLutFileName, PluginLutMapLength, FLutFd, FLutMap, Code,
                    OpenFailed))
    return true;
  if (!OpenFailed)
    ShowMappingFailure(Code);
  else if (ShowErrors)
    PlatformShowMessage(" Can not connect to plug-in, error (" + std::to_string(Code) +
                        "), please check that plug-in is running (" + ErrorText(Code) + ")");
  return false;
}

bool TKromelPluginLink::KromelSMImageOpen() {
  try {
    KromelSMImageClose();
    int Code = 0;
    bool OpenFailed = false;
    if (MapSharedFile(FFolder + "/" + PluginImageFileName, PluginImageMapLength, FImageFd,
                      FImageMap, Code, OpenFailed))
      return true;
    if (!OpenFailed) ShowMappingFailure(Code);
  } catch (...) {
    PlatformShowMessage("Exception in KromelSMImageOpen");
  }
  return false;
}

bool TKromelPluginLink::KromelSMImageLoad() {
  if (FImageMap == nullptr) return false;
  const bool Log = DebugLogEnabled();
  if (Log) DebugLogAdd("KromelSMImageLoad Start", 1);
  SharedField(FImageMap, pifNewImage).store(0, std::memory_order_release);
  std::atomic_thread_fence(std::memory_order_acquire);

  // The frame is checked and decoded before the current picture is touched.
  TPluginFrameHeader H;
  TImage64 Image;
  const TPluginFrameResult R = DecodePluginFrame(FImageMap, PluginImageMapLength, H, Image);
  const std::string Sizes =
      " Image Width: " + std::to_string(H.Width) + " Image Height: " + std::to_string(H.Height);
  switch (R) {
    case TPluginFrameResult::Ok:
      break;
    case TPluginFrameResult::WidthZero:
      PlatformShowMessage("Error opening image from Plug-In: Width is zero");
      break;
    case TPluginFrameResult::NoSize:
      break;
    case TPluginFrameResult::BadPixelBytes:
      PlatformShowMessage("SMImageLoad failed, incorrect PixelBytes: " +
                          std::to_string(H.PixelBytes) + Sizes);
      break;
    case TPluginFrameResult::TooLarge:
      PlatformShowMessage("SMImageLoad failed, frame larger than the shared memory, PixelBytes: " +
                          std::to_string(H.PixelBytes) + Sizes);
      break;
    case TPluginFrameResult::NoMemory:
      PlatformShowMessage("SMImageLoad failed, not enough memory for PixelBytes: " +
                          std::to_string(H.PixelBytes) + Sizes);
      break;
  }
  bool Result = false;
  if (R == TPluginFrameResult::Ok) {
    const bool WasRunning = FHost.RendererBlock();
    try {
      FHost.SourceImageReplaced(Image);
      Result = true;
    } catch (...) {
      ErrorMessageProc("Exception in KromelSMImageLoad");
    }
    // The renderer runs again whatever happened while it was blocked.
    if (WasRunning) {
      FHost.RendererCreate();
      if (Result) FHost.UpdateImage();
    }
  }
  Image.Dispose();
  if (Log) DebugLogAdd("KromelSMImageLoad End", -1);
  return Result;
}

void TKromelPluginLink::KromelSMImageCheck() {
  if (FImageMap != nullptr && SharedField(FImageMap, pifNewImage).load(std::memory_order_acquire) > 0)
    KromelSMImageLoad();
}

bool TKromelPluginLink::KromelSMSavePreset() {
  if (FLutMap == nullptr || FImageMap == nullptr) return false;
  if (SharedField(FImageMap, pifPresetWritten).load(std::memory_order_acquire) > 0) return false;
  for (int32_t Round = 0; SharedField(FImageMap, pifBusy).load(std::memory_order_acquire) > 0;
       ++Round) {
    if (Round >= BusyWaitRounds) {
      ErrorMessageProc("KromelSMSavePreset: the plug-in is still busy, the preset is written anyway");
      break;
    }
    if (BusyPause) BusyPause();
  }
  const bool Ok = FHost.SavePresetToFile(PresetFileName());
  if (Ok) {
    SharedField(FImageMap, pifPresetWritten).store(1, std::memory_order_release);
    FHost.SetPresetSent();
  }
  return Ok;
}

void TKromelPluginLink::KromelSMWriteLut(const T3DLut& Lut) {
  if (FLutMap == nullptr) return;
  const int32_t N = Lut.Size;
  if (Lut.NonCubic || N < MinLutLevels || N > PluginLutMaxLevels || !Lut.HasPlanes()) {
    ErrorMessageProc("Exception in KromelSMWriteLut, LUT size " + std::to_string(N) +
                     " not supported by the plug-in link");
    return;
  }
  auto Generation = SharedField(FLutMap, plfGeneration);
  Generation.store(0, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  const int32_t Version = PluginLutVersion;
  std::memcpy(FLutMap + plfMagic, PluginLutMagic, 4);
  std::memcpy(FLutMap + plfVersion, &Version, 4);
  std::memcpy(FLutMap + plfLevels, &N, 4);
  uint8_t* P = FLutMap + PluginLutHeaderSize;
  const int64_t Count = int64_t(N) * N * N;
  for (int64_t I = 0; I < Count; ++I, P += 12) {
    std::memcpy(P, &Lut.R[I], 4);
    std::memcpy(P + 4, &Lut.G[I], 4);
    std::memcpy(P + 8, &Lut.B[I], 4);
  }
  if (++FLutGeneration > uint32_t(INT32_MAX)) FLutGeneration = 1;
  Generation.store(int32_t(FLutGeneration), std::memory_order_release);
}

void TKromelPluginLink::KromelSMClose() { UnmapSharedFile(FLutFd, FLutMap, PluginLutMapLength); }

void TKromelPluginLink::KromelSMImageClose() {
  UnmapSharedFile(FImageFd, FImageMap, PluginImageMapLength);
}

int32_t TKromelPluginLink::DocumentNumber() const {
  return FImageMap ? ReadInt32(FImageMap + pifDocumentNumber) : 0;
}

std::string TKromelPluginLink::DocumentName() const {
  if (FImageMap == nullptr) return {};
  const uint8_t Len = FImageMap[pifDocumentName];
  return std::string(reinterpret_cast<const char*>(FImageMap + pifDocumentName + 1), Len);
}

std::string TKromelPluginLink::PresetFileName() const {
  std::string Name = "LutPreset%.luc";
  Name.replace(Name.find('%'), 1, std::to_string(DocumentNumber()));
  return FFolder + "/" + Name;
}

std::string TKromelPluginLink::CaptionText(bool PresetSent) const {
  if (FLutMap == nullptr) return {};
  std::string Text = PresetSent ? "" : "*";
  if (FImageMap != nullptr)
    return Text + " [Plug-in Connected: " + DocumentName() + "/" +
           std::to_string(DocumentNumber()) + "]";
  return Text + " [Plug-in Connected]";
}

}  // namespace kromel
