#include "controls/binary_preset_file.h"

#include "foundation/byte_stream.h"
#include "foundation/files.h"
#include "platform/message_sink.h"
#include "platform/safe_file_writer.h"

namespace kromel {

bool SavePresetToBinaryFile(TKromelPreset& Preset, const TControllersArray& Controllers,
                            const std::string& FileName, bool WithEmbeddedPreset) {
  try {
    TMemoryStream Stream;
    if (!SavePresetToStream(Preset, Controllers, Stream, WithEmbeddedPreset, ""))
      throw std::runtime_error("stream");
    TSafeFileWriter Out(FileName);
    if (!Out.Opened()) {
      PlatformShowMessage("Can not save preset, failed to create file " + FileName);
      return false;
    }
    const std::string Bytes = Stream.Bytes();
    if (!Out.Write(Bytes.data(), Bytes.size()) || !Out.Commit()) {
      Out.Discard();
      throw std::runtime_error("write");
    }
    return true;
  } catch (...) {
    PlatformShowMessage("Exception while saving preset to " + FileName);
    return false;
  }
}

bool LoadPresetFromBinaryFile(TKromelPreset& Preset, TControllersArray& Controllers,
                              const std::string& FileName, bool KeepMask) {
  std::string Bytes;
  if (!LoadFileToString(FileName, Bytes)) return false;
  TMemoryStream Stream(Bytes);
  int32_t Version = 0;
  return LoadPresetFromStream(Preset, Controllers, Stream, FileName, KeepMask, Version);
}

}  // namespace kromel
