// A stand-in for the host plug-in: creates the two shared files of the
// plug-in link in a folder, maps them and plays the plug-in's side.
#pragma once
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "fileio/plugin_link.h"

namespace kromel::testing {

class TFakePlugin {
public:
  // Creates "$LutShared$" and, with WithImage, "$LutSharedImage$" (sparse,
  // at their full lengths) in Folder.
  explicit TFakePlugin(const std::string& Folder, bool WithImage = true) {
    Lut = MapNew(Folder + "/" + PluginLutFileName, PluginLutMapLength);
    if (WithImage) Image = MapNew(Folder + "/" + PluginImageFileName, PluginImageMapLength);
  }
  ~TFakePlugin() {
    if (Lut) ::munmap(Lut, size_t(PluginLutMapLength));
    if (Image) ::munmap(Image, size_t(PluginImageMapLength));
  }
  TFakePlugin(const TFakePlugin&) = delete;
  TFakePlugin& operator=(const TFakePlugin&) = delete;

  int32_t Get(int64_t Offset) const {
    int32_t V;
    std::memcpy(&V, Image + Offset, 4);
    return V;
  }
  void Set(int64_t Offset, int32_t V) { std::memcpy(Image + Offset, &V, 4); }

  void SetDocument(int32_t Number, const std::string& Name) {
    Set(pifDocumentNumber, Number);
    Image[pifDocumentName] = uint8_t(Name.size());
    std::memcpy(Image + pifDocumentName + 1, Name.data(), Name.size());
  }
  // A frame header, the pixel bytes (bottom row first) and the new-image flag.
  void PutFrame(int32_t PixelBytes, int32_t Width, int32_t Height, const void* Pixels = nullptr,
                size_t Count = 0) {
    Set(pifPixelBytes, PixelBytes);
    Set(pifWidth, Width);
    Set(pifHeight, Height);
    if (Pixels) std::memcpy(Image + PluginImageHeaderSize, Pixels, Count);
    Set(pifNewImage, 1);
  }
  const uint8_t* Pixels() const { return Image + PluginImageHeaderSize; }

  uint8_t* Lut = nullptr;
  uint8_t* Image = nullptr;

private:
  static uint8_t* MapNew(const std::string& Path, int64_t Length) {
    const int Fd = ::open(Path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (Fd < 0) return nullptr;
    void* P = MAP_FAILED;
    if (::ftruncate(Fd, Length) == 0)
      P = ::mmap(nullptr, size_t(Length), PROT_READ | PROT_WRITE, MAP_SHARED, Fd, 0);
    ::close(Fd);
    return P == MAP_FAILED ? nullptr : static_cast<uint8_t*>(P);
  }
};

}  // namespace kromel::testing

namespace kromel::testing {

// The main window's side of the link, recording what the link asked.
class TPluginHostDouble : public TPluginHost {
public:
  TPluginHostDouble() { Source.Init(); }
  ~TPluginHostDouble() override { Source.Dispose(); }
  bool RendererBlock() override {
    ++Blocks;
    const bool Was = Running;
    Running = false;
    return Was;
  }
  void RendererCreate() override {
    ++Restarts;
    Running = true;
  }
  void SourceImageReplaced(TImage64& Image) override {
    EXPECT_FALSE(Running) << "picture replaced while the renderer runs";
    std::swap(Source, Image);
    ++Replaced;
  }
  void UpdateImage() override { ++Updates; }
  bool SavePresetToFile(const std::string& FileName) override {
    SavedFiles.push_back(FileName);
    return SaveFile ? SaveFile(FileName) : true;
  }
  void SetPresetSent() override { PresetSent = true; }

  TImage64 Source;
  bool Running = true;
  int Blocks = 0, Restarts = 0, Replaced = 0, Updates = 0;
  bool PresetSent = false;
  std::vector<std::string> SavedFiles;
  std::function<bool(const std::string&)> SaveFile;
};

}  // namespace kromel::testing
