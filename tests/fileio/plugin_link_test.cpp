#include "fileio/plugin_link.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "support/fake_plugin.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::TCaptureTest;
using testing::TFakePlugin;
using testing::TPluginHostDouble;
using testing::TTestTempDir;

template <class T>
std::vector<uint8_t> AsBytes(const std::vector<T>& V) {
  std::vector<uint8_t> B(V.size() * sizeof(T));
  std::memcpy(B.data(), V.data(), B.size());
  return B;
}

TPixel64 Px(uint16_t R, uint16_t G, uint16_t B) { return TPixel64{R, G, B, 65535}; }

bool SamePixel(const TPixel64& A, const TPixel64& B) {
  return A.R == B.R && A.G == B.G && A.B == B.B && A.A == B.A;
}

class PluginLinkTest : public TCaptureTest {
protected:
  TTestTempDir Dir{"kromel_plugin"};
  TPluginHostDouble Host;
  std::string Folder() const { return Dir.Path.string(); }
};

struct TFrameCase {
  int32_t PixelBytes;
  std::vector<uint8_t> Bytes;  // 1 x 2 frame, bottom row first
  TPixel64 Top, Bottom;
};

TEST_F(PluginLinkTest, FramesOfEveryPixelKindArriveTopRowFirst) {
  const std::vector<TFrameCase> Cases = {
      {3, {1, 2, 3, 10, 20, 30}, Px(2570, 5140, 7710), Px(257, 514, 771)},
      {4, {1, 2, 3, 9, 10, 20, 30, 0}, Px(2570, 5140, 7710), Px(257, 514, 771)},
      {6, AsBytes<uint16_t>({100, 200, 300, 65535, 0, 7}), Px(65535, 0, 7), Px(100, 200, 300)},
      {8, AsBytes<uint16_t>({100, 200, 300, 1, 4, 5, 6, 0}), Px(4, 5, 6), Px(100, 200, 300)},
      {12, AsBytes<float>({0.0f, 1.0f, 12.0f, 0.5f, -1.0f, 0.25f}), Px(32768, 0, 16384),
       Px(0, 65535, 65535)},
      {16, AsBytes<float>({-0.2f, 0.5f, 0.25f, 0.0f, 1.0f, 0.0f, 0.0f, 0.3f}), Px(65535, 0, 0),
       Px(0, 32768, 16384)},
  };
  TFakePlugin Plugin(Folder());
  ASSERT_NE(Plugin.Image, nullptr);
  TKromelPluginLink Link(Host, Folder());
  ASSERT_TRUE(Link.KromelSMOpen(true));
  ASSERT_TRUE(Link.KromelSMImageOpen());
  int Round = 0;
  for (const TFrameCase& C : Cases) {
    SCOPED_TRACE(C.PixelBytes);
    Plugin.PutFrame(C.PixelBytes, 1, 2, C.Bytes.data(), C.Bytes.size());
    ASSERT_TRUE(Link.KromelSMImageLoad());
    ++Round;
    EXPECT_EQ(Plugin.Get(pifNewImage), 0);
    ASSERT_EQ(Host.Source.Width, 1);
    ASSERT_EQ(Host.Source.Height, 2);
    EXPECT_TRUE(SamePixel(Host.Source.Pixels[0], C.Top));
    EXPECT_TRUE(SamePixel(Host.Source.Pixels[1], C.Bottom));
    // The peer's frame is only read.
    EXPECT_EQ(std::memcmp(Plugin.Pixels(), C.Bytes.data(), C.Bytes.size()), 0);
    EXPECT_EQ(Host.Replaced, Round);
    EXPECT_EQ(Host.Restarts, Round);
    EXPECT_EQ(Host.Updates, Round);
    EXPECT_TRUE(Host.Running);
  }
  EXPECT_TRUE(Silent());
}

TEST_F(PluginLinkTest, BadHeadersAreRefusedAndThePictureStays) {
  struct TCase {
    int32_t PixelBytes, Width, Height;
    const char* Message;  // nullptr: refused quietly
  };
  const std::vector<TCase> Cases = {
      {3, 0, 10, "Error opening image from Plug-In: Width is zero"},
      {3, -5, 10, nullptr},
      {3, 640, 0, nullptr},
      {3, 640, -1, nullptr},
      {5, 2, 2, "SMImageLoad failed, incorrect PixelBytes: 5 Image Width: 2 Image Height: 2"},
      {-16, 2, 2, "SMImageLoad failed, incorrect PixelBytes: -16 Image Width: 2 Image Height: 2"},
      {16, 4096, 2161,
       "SMImageLoad failed, frame larger than the shared memory, PixelBytes: 16 Image Width: 4096 "
       "Image Height: 2161"},
      {3, 2147483647, 2147483647,
       "SMImageLoad failed, frame larger than the shared memory, PixelBytes: 3 Image Width: "
       "2147483647 Image Height: 2147483647"},
  };
  TFakePlugin Plugin(Folder());
  TKromelPluginLink Link(Host, Folder());
  ASSERT_TRUE(Link.KromelSMOpen(true) && Link.KromelSMImageOpen());
  const std::vector<uint8_t> Good = {1, 2, 3, 4, 5, 6};
  Plugin.PutFrame(3, 2, 1, Good.data(), Good.size());
  ASSERT_TRUE(Link.KromelSMImageLoad());
  const int Blocks = Host.Blocks;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Width);
    Sink.Clear();
    Plugin.PutFrame(C.PixelBytes, C.Width, C.Height);
    Link.KromelSMImageCheck();
    EXPECT_EQ(Plugin.Get(pifNewImage), 0);
    ASSERT_EQ(Host.Source.Width, 2);
    EXPECT_TRUE(SamePixel(Host.Source.Pixels[1], Px(1028, 1285, 1542)));
    EXPECT_EQ(Host.Blocks, Blocks) << "renderer blocked for a refused frame";
    if (C.Message)
      EXPECT_EQ(Messages(), std::vector<std::string>{C.Message});
    else
      EXPECT_TRUE(Messages().empty());
  }
  EXPECT_TRUE(Host.Running);
}

TEST_F(PluginLinkTest, ImageCheckLoadsOnlyAWaitingFrame) {
  TFakePlugin Plugin(Folder());
  TKromelPluginLink Link(Host, Folder());
  Link.KromelSMImageCheck();  // not mapped: nothing
  ASSERT_TRUE(Link.KromelSMImageOpen());
  const std::vector<uint8_t> Good = {1, 2, 3};
  Plugin.PutFrame(3, 1, 1, Good.data(), Good.size());
  Plugin.Set(pifNewImage, 0);
  Link.KromelSMImageCheck();
  EXPECT_EQ(Host.Replaced, 0);
  Plugin.Set(pifNewImage, 2);
  Link.KromelSMImageCheck();
  EXPECT_EQ(Host.Replaced, 1);
  // A renderer that was not running is not started.
  EXPECT_EQ(Host.Restarts, 1);
  Host.Running = false;
  Plugin.Set(pifNewImage, 1);
  Link.KromelSMImageCheck();
  EXPECT_EQ(Host.Replaced, 2);
  EXPECT_EQ(Host.Restarts, 1);
  EXPECT_FALSE(Host.Running);
}

TEST_F(PluginLinkTest, WithoutThePluginNothingConnects) {
  TKromelPluginLink Link(Host, Folder());
  EXPECT_FALSE(Link.KromelSMOpen(true));
  EXPECT_FALSE(Link.KromelSMImageOpen());
  EXPECT_FALSE(Link.KromelSMImageLoad());
  EXPECT_FALSE(Link.KromelSMSavePreset());
  EXPECT_FALSE(Link.LutMapped() || Link.ImageMapped());
  EXPECT_EQ(Link.CaptionText(false), "");
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            " Can not connect to plug-in, error (" + std::to_string(ENOENT) +
                            "), please check that plug-in is running (" + std::string(std::strerror(ENOENT)) + ")"});
  EXPECT_EQ(Host.Blocks + Host.Replaced, 0);
  Sink.Clear();
  EXPECT_FALSE(Link.KromelSMOpen(false));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(PluginLinkTest, ShortOrLinkedFilesAreNotMapped) {
  std::ofstream(Dir.File(PluginLutFileName)) << "short";
  TKromelPluginLink Link(Host, Folder());
  EXPECT_FALSE(Link.KromelSMOpen(false));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find(" - Failed to Create image file mapping, ("), std::string::npos);
  // A link planted in the folder is not followed.
  TTestTempDir Other("kromel_plugin_other");
  TFakePlugin Real(Other.Path.string());
  ASSERT_EQ(::symlink(Other.File(PluginImageFileName).c_str(),
                      Dir.File(PluginImageFileName).c_str()),
            0);
  EXPECT_FALSE(Link.KromelSMImageOpen());
  EXPECT_FALSE(Link.LutMapped() || Link.ImageMapped());
}

TEST_F(PluginLinkTest, LutWrittenReadsBackThroughTheHeader) {
  TFakePlugin Plugin(Folder(), false);
  TKromelPluginLink Link(Host, Folder());
  ASSERT_TRUE(Link.KromelSMOpen(true));
  EXPECT_EQ(Link.CaptionText(true), " [Plug-in Connected]");
  T3DLut Back;
  EXPECT_FALSE(ReadPluginLut(Plugin.Lut, PluginLutMapLength, Back)) << "nothing written yet";
  int32_t LastGeneration = 0;
  for (int32_t N : {2, 17, 64}) {
    T3DLut Lut;
    ASSERT_TRUE(Lut.SetSize(N));
    for (int32_t I = 0; I < Lut.Count; ++I) {
      Lut.R[I] = float(I) / 7.0f;
      Lut.G[I] = -float(I);
      Lut.B[I] = 0.5f + float(N);
    }
    Link.KromelSMWriteLut(Lut);
    int32_t Generation;
    std::memcpy(&Generation, Plugin.Lut + plfGeneration, 4);
    EXPECT_GT(Generation, LastGeneration);
    LastGeneration = Generation;
    ASSERT_TRUE(ReadPluginLut(Plugin.Lut, PluginLutMapLength, Back));
    ASSERT_EQ(Back.Size, N);
    EXPECT_EQ(std::memcmp(Back.R, Lut.R, size_t(Lut.Count) * 4), 0);
    EXPECT_EQ(std::memcmp(Back.G, Lut.G, size_t(Lut.Count) * 4), 0);
    EXPECT_EQ(std::memcmp(Back.B, Lut.B, size_t(Lut.Count) * 4), 0);
  }
  EXPECT_EQ(std::memcmp(Plugin.Lut, "KLUT", 4), 0);
  // A LUT too large for the map is refused and the last one stays.
  T3DLut Big;
  ASSERT_TRUE(Big.SetSize(65));
  Link.KromelSMWriteLut(Big);
  EXPECT_EQ(Errors().size(), 1u);
  ASSERT_TRUE(ReadPluginLut(Plugin.Lut, PluginLutMapLength, Back));
  EXPECT_EQ(Back.Size, 64);
  // A LUT being written (generation 0) is not read.
  std::memset(Plugin.Lut + plfGeneration, 0, 4);
  EXPECT_FALSE(ReadPluginLut(Plugin.Lut, PluginLutMapLength, Back));
}

TEST_F(PluginLinkTest, PresetWaitsBoundedForABusyPluginAndIsWrittenOnce) {
  TFakePlugin Plugin(Folder());
  Plugin.SetDocument(7, "Grade A");
  TKromelPluginLink Link(Host, Folder());
  ASSERT_TRUE(Link.KromelSMOpen(true) && Link.KromelSMImageOpen());
  EXPECT_EQ(Link.CaptionText(false), "* [Plug-in Connected: Grade A/7]");
  EXPECT_EQ(Link.CaptionText(true), " [Plug-in Connected: Grade A/7]");
  int Pauses = 0;
  Link.BusyWaitRounds = 5;
  Link.BusyPause = [&] { ++Pauses; };
  Plugin.Set(pifBusy, 1);  // stuck
  EXPECT_TRUE(Link.KromelSMSavePreset());
  EXPECT_EQ(Pauses, 5);
  EXPECT_EQ(Errors().size(), 1u);
  ASSERT_EQ(Host.SavedFiles, std::vector<std::string>{Folder() + "/LutPreset7.luc"});
  EXPECT_EQ(Plugin.Get(pifPresetWritten), 1);
  EXPECT_TRUE(Host.PresetSent);
  // Again only after the plug-in cleared the flag.
  EXPECT_FALSE(Link.KromelSMSavePreset());
  EXPECT_EQ(Host.SavedFiles.size(), 1u);
  Plugin.Set(pifPresetWritten, 0);
  Plugin.Set(pifBusy, 0);
  Pauses = 0;
  Host.PresetSent = false;
  Host.SaveFile = [](const std::string&) { return false; };
  EXPECT_FALSE(Link.KromelSMSavePreset());
  EXPECT_EQ(Pauses, 0);
  EXPECT_EQ(Plugin.Get(pifPresetWritten), 0);
  EXPECT_FALSE(Host.PresetSent);
}

}  // namespace
}  // namespace kromel
