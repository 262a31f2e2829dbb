#include "audio/file_stream.h"

#include <sys/stat.h>
#include <sys/types.h>

#include "platform/folders.h"
#include "platform/message_sink.h"

namespace kromel {

TFileReadStream::TFileReadStream(const std::string& FileName) : FName(FileName) {
  FFile = std::fopen(FileName.c_str(), "rb");
  if (FFile == nullptr) return;
  struct stat St {};
  if (fstat(fileno(FFile), &St) != 0 || !S_ISREG(St.st_mode)) {
    std::fclose(FFile);
    FFile = nullptr;
    return;
  }
  FSize = int64_t(St.st_size);
}

TFileReadStream::~TFileReadStream() {
  if (FFile != nullptr) std::fclose(FFile);
}

int64_t TFileReadStream::Read(void* Buffer, int64_t Count) {
  if (FFile == nullptr || Count <= 0) return 0;
  const size_t Got = std::fread(Buffer, 1, size_t(Count), FFile);
  FPos += int64_t(Got);
  return int64_t(Got);
}

int64_t TFileReadStream::Write(const void*, int64_t) { return 0; }

bool TFileReadStream::SetPosition(int64_t Pos) {
  if (FFile == nullptr || Pos < 0 || Pos > FSize) return false;
  std::clearerr(FFile);
  if (fseeko(FFile, off_t(Pos), SEEK_SET) != 0) return false;
  FPos = Pos;
  return true;
}

bool OpenedForReading(const TFileReadStream& S, bool ShowError) {
  if (S.Opened()) return true;
  if (ShowError)
    PlatformShowMessage((FileExists(S.FileName()) ? "Error opening file " : "File not found: ") +
                        S.FileName());
  return false;
}

}  // namespace kromel
