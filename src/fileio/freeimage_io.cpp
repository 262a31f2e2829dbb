#include "fileio/freeimage_io.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "fileio/image_file_checks.h"
#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"

namespace kromel {

namespace {

FreeImageIO SourceIO() {
  FreeImageIO IO;
  IO.read_proc = &TFreeImageSource::ReadProc;
  IO.write_proc = &TFreeImageSource::WriteProc;
  IO.seek_proc = &TFreeImageSource::SeekProc;
  IO.tell_proc = &TFreeImageSource::TellProc;
  return IO;
}

void LogFreeImageMessage(FREE_IMAGE_FORMAT Fif, const char* Message) {
  if (!DebugLogEnabled() || Message == nullptr) return;
  DebugLogAdd("FreeImage (" + std::to_string(int(Fif)) + "): " + Message, 0);
}

}  // namespace

TFreeImageSource::~TFreeImageSource() {
  if (FFile != nullptr) std::fclose(FFile);
}

bool TFreeImageSource::OpenFile(const std::string& FileName) {
  if (FFile != nullptr) std::fclose(FFile);
  FData = nullptr;
  FFile = std::fopen(FileName.c_str(), "rb");
  if (FFile == nullptr) return false;
  if (fseeko(FFile, 0, SEEK_END) != 0) return false;
  FSize = ftello(FFile);
  Rewind();
  return FSize >= 0;
}

void TFreeImageSource::OpenMemory(const uint8_t* Data, int64_t Size) {
  if (FFile != nullptr) std::fclose(FFile);
  FFile = nullptr;
  FData = Data;
  FSize = Data != nullptr && Size > 0 ? Size : 0;
  Rewind();
}

void TFreeImageSource::Rewind() {
  FPos = 0;
  if (FFile != nullptr) fseeko(FFile, 0, SEEK_SET);
  FRanOut = false;
}

unsigned TFreeImageSource::ReadProc(void* Buffer, unsigned Size, unsigned Count,
                                    fi_handle Handle) {
  auto* S = static_cast<TFreeImageSource*>(Handle);
  const uint64_t Want = uint64_t(Size) * Count;
  if (Want == 0 || Buffer == nullptr) return 0;
  uint64_t Got = 0;
  if (S->FFile != nullptr) {
    Got = std::fread(Buffer, 1, size_t(Want), S->FFile);
    S->FPos += int64_t(Got);
  } else {
    const int64_t Left = S->FPos < S->FSize ? S->FSize - S->FPos : 0;
    Got = std::min<uint64_t>(Want, uint64_t(Left));
    if (Got > 0) std::memcpy(Buffer, S->FData + S->FPos, size_t(Got));
    S->FPos += int64_t(Got);
  }
  // A byte reader may come up short at the end; a record reader, or any
  // reader that gets nothing at all, wanted data the file does not have.
  // Decoders that go on regardless then see zeros, not stale memory.
  if (Got < Want) {
    std::memset(static_cast<uint8_t*>(Buffer) + Got, 0, size_t(Want - Got));
    if (Got == 0 || Size > 1) S->FRanOut = true;
  }
  return unsigned(Got / Size);
}

bool TFreeImageSource::ReadAt(int64_t Pos, void* Buffer, int64_t Count) const {
  if (Pos < 0 || Count < 0 || Count > FSize || Pos > FSize - Count) return false;
  if (FFile == nullptr) {
    if (Count > 0) std::memcpy(Buffer, FData + Pos, size_t(Count));
    return true;
  }
  const int Fd = fileno(FFile);
  uint8_t* P = static_cast<uint8_t*>(Buffer);
  while (Count > 0) {
    const ssize_t Got = ::pread(Fd, P, size_t(Count), off_t(Pos));
    if (Got < 0 && errno == EINTR) continue;
    if (Got <= 0) return false;
    P += Got;
    Pos += Got;
    Count -= Got;
  }
  return true;
}

unsigned TFreeImageSource::WriteProc(void*, unsigned, unsigned, fi_handle) { return 0; }

int TFreeImageSource::SeekProc(fi_handle Handle, long Offset, int Origin) {
  auto* S = static_cast<TFreeImageSource*>(Handle);
  int64_t Base = 0;
  if (Origin == SEEK_CUR)
    Base = S->FPos;
  else if (Origin == SEEK_END)
    Base = S->FSize;
  else if (Origin != SEEK_SET)
    return -1;
  if ((Offset > 0 && Base > std::numeric_limits<int64_t>::max() - Offset)) return -1;
  const int64_t Pos = Base + Offset;
  if (Pos < 0) return -1;
  if (S->FFile != nullptr && fseeko(S->FFile, off_t(Pos), SEEK_SET) != 0) return -1;
  S->FPos = Pos;
  return 0;
}

long TFreeImageSource::TellProc(fi_handle Handle) {
  return long(static_cast<TFreeImageSource*>(Handle)->FPos);
}

TFreeBitmapPtr TFreeImageSource::Load(const std::string& NameForFormat) {
  if (FFile == nullptr && FData == nullptr) return {};
  InstallFreeImageMessageLog();
  FreeImageIO IO = SourceIO();
  Rewind();
  FREE_IMAGE_FORMAT Fif = FIF_UNKNOWN;
  try {
    Fif = FreeImage_GetFileTypeFromHandle(&IO, this, 0);
  } catch (...) {
    ErrorMessageProc("TFreeBitmap.Load exception in FreeImage_GetFileType");
    Fif = FIF_UNKNOWN;
  }
  if (Fif == FIF_UNKNOWN && !NameForFormat.empty())
    Fif = FreeImage_GetFIFFromFilename(NameForFormat.c_str());
  if (Fif == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(Fif)) return {};
  const TReadAt Read = [this](int64_t Pos, void* Buffer, int64_t Count) {
    return ReadAt(Pos, Buffer, Count);
  };
  if ((Fif == FIF_PSD && !PsdDataComplete(Read, FSize)) ||
      (Fif == FIF_EXR && !ExrDataComplete(Read, FSize)) ||
      (Fif == FIF_GIF && !GifFrameSizePlausible(Read, FSize))) {
    if (DebugLogEnabled()) DebugLogAdd("Image data incomplete", 0);
    return {};
  }
  // Decoders allocate the whole picture before they read its data: a small
  // file claiming a huge picture is refused on its header.
  if (FreeImage_FIFSupportsNoPixels(Fif)) {
    Rewind();
    TFreeBitmapPtr Header(FreeImage_LoadFromHandle(Fif, &IO, this, FIF_LOAD_NOPIXELS));
    if (!Header || !PlausiblePictureSize(FreeImage_GetWidth(Header.get()),
                                         FreeImage_GetHeight(Header.get()),
                                         FreeImage_GetBPP(Header.get()), FSize)) {
      if (DebugLogEnabled()) DebugLogAdd("Image size does not fit the file", 0);
      return {};
    }
  }
  Rewind();
  TFreeBitmapPtr Bitmap(FreeImage_LoadFromHandle(Fif, &IO, this, 0));
  // Formats without a header-only read are held to the same bound once
  // decoded, before the picture is widened.
  if (!Bitmap || FRanOut || !FreeImage_HasPixels(Bitmap.get()) ||
      FreeImage_GetWidth(Bitmap.get()) <= 1 || FreeImage_GetHeight(Bitmap.get()) <= 1 ||
      !PlausiblePictureSize(FreeImage_GetWidth(Bitmap.get()), FreeImage_GetHeight(Bitmap.get()),
                            FreeImage_GetBPP(Bitmap.get()), FSize)) {
    if (Bitmap && FRanOut && DebugLogEnabled()) DebugLogAdd("Image data ends early", 0);
    return {};
  }
  return Bitmap;
}

void InstallFreeImageMessageLog() { FreeImage_SetOutputMessage(&LogFreeImageMessage); }

bool FreeBitmapExportable(FREE_IMAGE_FORMAT Fif, FIBITMAP* Bitmap) {
  if (Bitmap == nullptr || Fif == FIF_UNKNOWN || !FreeImage_FIFSupportsWriting(Fif)) return false;
  const FREE_IMAGE_TYPE Type = FreeImage_GetImageType(Bitmap);
  if (Type == FIT_BITMAP) return FreeImage_FIFSupportsExportBPP(Fif, int(FreeImage_GetBPP(Bitmap)));
  return FreeImage_FIFSupportsExportType(Fif, Type);
}

bool SaveFreeBitmapToFile(FIBITMAP* Bitmap, FREE_IMAGE_FORMAT Fif, const std::string& FileName,
                          int Flags) {
  if (Bitmap == nullptr) return false;
  InstallFreeImageMessageLog();
  FIMEMORY* Memory = FreeImage_OpenMemory(nullptr, 0);
  if (Memory == nullptr) return false;
  bool Ok = FreeImage_SaveToMemory(Fif, Bitmap, Memory, Flags) != 0;
  BYTE* Data = nullptr;
  DWORD Size = 0;
  if (Ok) Ok = FreeImage_AcquireMemory(Memory, &Data, &Size) != 0 && Data != nullptr && Size > 0;
  if (Ok) Ok = SaveBufferToFile(FileName, Data, int64_t(Size));
  FreeImage_CloseMemory(Memory);
  return Ok;
}

}  // namespace kromel
