#include "audio/file_store.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "foundation/endian_bytes.h"
#include "foundation/files.h"
#include "platform/message_sink.h"
#include "platform/prompt.h"

namespace kromel {

namespace {
constexpr int64_t NameBytes = 256;
constexpr size_t MaxNameLength = 255;
const char CorruptText[] = "Error loading file from stream! Preset is probably corrupt!";

bool IsRegularFile(const std::string& Name) {
  std::error_code E;
  return !Name.empty() && std::filesystem::is_regular_file(Name, E);
}
}  // namespace

void TFileStore::LoadFromFile(const std::string& Name, bool AskUser) {
  Clear();
  std::string Tried = Name;
  for (;;) {
    std::string Bytes;
    if (IsRegularFile(Tried)) {
      if (LoadFileToString(Tried, Bytes)) {
        Write(Bytes.data(), int64_t(Bytes.size()));
        SetPosition(0);
      }
      break;
    }
    if (!AskUser) break;
    if (PlatformAskYesCancel("", "File " + Tried + " not found! Do you want to find it manually?",
                             TMsgDlgType::Error) != TPromptAnswer::Yes)
      break;
    PlatformChooseFileToOpen(Tried);
  }
  FileName = Tried.substr(0, MaxNameLength);
}

void TFileStore::SaveToStream(TByteStream& Stream) const {
  uint8_t H[8 + NameBytes] = {};
  std::memcpy(H, "FILE", 4);
  StoreLE32(H + 4, uint32_t(Size() + NameBytes));
  const size_t N = std::min(FileName.size(), MaxNameLength);
  H[8] = uint8_t(N);
  std::memcpy(H + 9, FileName.data(), N);
  Stream.WriteBuffer(H, sizeof H);
  Stream.WriteBuffer(Memory(), Size());
}

bool TFileStore::LoadFromStream(TByteStream& Stream) {
  Clear();
  const int64_t P = Stream.Position();
  uint8_t H[8 + NameBytes];
  bool Ok = Stream.Read(H, 8) == 8 && std::memcmp(H, "FILE", 4) == 0;
  const int64_t Size_ = Ok ? int64_t(int32_t(LoadLE32(H + 4))) : 0;
  Ok = Ok && Size_ >= NameBytes && Size_ <= Stream.Remaining() &&
       Stream.Read(H + 8, NameBytes) == NameBytes;
  if (Ok) {
    std::string Bytes(size_t(Size_ - NameBytes), '\0');
    Ok = Stream.Read(Bytes.data(), int64_t(Bytes.size())) == int64_t(Bytes.size());
    if (Ok) Write(Bytes.data(), int64_t(Bytes.size()));
  }
  if (!Ok) {
    Clear();
    PlatformShowMessage(CorruptText);
    Stream.SetPosition(P);
    return false;
  }
  FileName.assign(reinterpret_cast<const char*>(H + 9), H[8]);
  SetPosition(0);
  return true;
}

}  // namespace kromel
