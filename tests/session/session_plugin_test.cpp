#include "session/session_plugin.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include "colour/icc_profiles.h"
#include "controls/binary_preset_file.h"
#include "fileio/image_save.h"
#include "session/headless_session.h"
#include "session_test_support.h"
#include "support/fake_plugin.h"

namespace kromel {
namespace {

using session_test::MaxIdentityError;
using session_test::MaxLutDifference;
using session_test::SessionTest;
using testing::TFakePlugin;
using testing::TScopedEnv;

// A 1 x 2 float frame with alpha, bottom row first: the bottom pixel has a
// negative red, the top one is pure red.
const std::vector<float> FloatFrame = {-0.2f, 0.5f, 0.25f, 0.0f, 1.0f, 0.0f, 0.0f, 0.3f};

void PutFloatFrame(TFakePlugin& Plugin) {
  Plugin.PutFrame(16, 1, 2, FloatFrame.data(), FloatFrame.size() * sizeof(float));
}

bool PixelIs(const TPixel64& P, uint16_t R, uint16_t G, uint16_t B) {
  return P.R == R && P.G == G && P.B == B && P.A == 65535;
}

// The lines of this process's memory map naming a file under Folder.
int MappingsUnder(const std::string& Folder) {
  std::ifstream Maps("/proc/self/maps");
  int Count = 0;
  for (std::string Line; std::getline(Maps, Line);)
    if (Line.find(Folder) != std::string::npos) ++Count;
  return Count;
}

class SessionPluginThreadTest : public SessionTest {
protected:
  std::string Folder() const { return Dir.Path.string(); }
  // The link's folder is the temporary folder, as in the program.
  TScopedEnv Tmp{"TMPDIR", Dir.Path.string()};

  // A preset file that visibly changes colours.
  std::string GradeFile() {
    const std::string Name = File("grade.luc");
    TKromelSession S{nullptr, nullptr, 33};
    session_test::MakeNonTrivial(S);
    EXPECT_TRUE(S.EditPreset([&](TKromelPreset& P) {
      return SavePresetToBinaryFile(P, S.Controls.Controllers, Name, true);
    }));
    return Name;
  }
  std::string Picture() {
    const std::string Name = File("picture.png");
    TImage32 Pic;
    EXPECT_TRUE(Pic.Alloc(6, 4));
    for (int64_t I = 0; I < Pic.Size; ++I) Pic.Pixels[I].Value = 0xFF000000u | (I * 2654435761u);
    EXPECT_TRUE(SaveImage32ToFile(Pic, Name));
    return Name;
  }
};

TEST_F(SessionPluginThreadTest, HeadlessRunGradesTheFrameAndHandsBackLutAndPreset) {
  for (const bool Modal : {false, true}) {
    SCOPED_TRACE(Modal);
    TFakePlugin Plugin(Folder());
    ASSERT_NE(Plugin.Image, nullptr);
    std::memset(Plugin.Lut, 0, PluginLutHeaderSize);
    std::remove(File("LutPreset7.luc").c_str());
    Plugin.SetDocument(7, "Shot 12");
    PutFloatFrame(Plugin);

    THeadlessSession H;
    std::remove(File("settings.xml").c_str());  // no preference of the previous case
    H.SettingsFile = std::make_shared<TSettingsFile>(File("settings.xml"));
    H.Settings.Preferences.ModalPluginMode = Modal;
    EXPECT_EQ(H.Run({"kromel", GradeFile(), "/PLUGIN"}), 0);
    EXPECT_TRUE(Messages().empty()) << Messages().front();
    // The frame became the work image: top row first, negative clamped.
    EXPECT_EQ(Plugin.Get(pifNewImage), 0);
    ASSERT_EQ(H.Session->Image.Width, 1);
    ASSERT_EQ(H.Session->Image.Height, 2);
    EXPECT_TRUE(PixelIs(H.Session->Image.Pixels[0], 65535, 0, 0));
    EXPECT_TRUE(PixelIs(H.Session->Image.Pixels[1], 0, 32768, 16384));
    // A host frame is taken as Rec. 709.
    const FIICCPROFILE& Icc = H.Session->ImageProfileData;
    cmsHPROFILE Profile = OpenProfileFromBytes(Icc.data, size_t(Icc.size));
    ASSERT_NE(Profile, nullptr);
    std::string Description;
    GetProfileDescription(Description, Profile);
    cmsCloseProfile(Profile);
    EXPECT_EQ(Description, "Rec 709 (HDTV)");

    // The calculated main LUT is in the plug-in's file, unless modal.
    T3DLut Sent, Main;
    ASSERT_TRUE(H.Session->CopyMainLut(Main));
    if (Modal) {
      EXPECT_FALSE(ReadPluginLut(Plugin.Lut, PluginLutMapLength, Sent));
    } else {
      ASSERT_TRUE(ReadPluginLut(Plugin.Lut, PluginLutMapLength, Sent));
      EXPECT_EQ(Sent.Size, H.Session->LutSize());
      EXPECT_EQ(MaxLutDifference(Sent, Main), 0.0f);
      EXPECT_GT(MaxIdentityError(Sent), 0.01f) << "the graded LUT, not the identity";
    }

    // Apply wrote the preset file, which loads as the graded preset.
    EXPECT_EQ(Plugin.Get(pifPresetWritten), 1);
    TKromelSession Check{nullptr, nullptr, 33};
    ASSERT_TRUE(Check.EditPreset([&](TKromelPreset& P) {
      return LoadPresetFromBinaryFile(P, Check.Controls.Controllers, File("LutPreset7.luc"));
    }));
    auto Expected = H.Session->CompileLut(9, false);
    auto Loaded = Check.CompileLut(9, false);
    ASSERT_TRUE(Expected && Loaded);
    EXPECT_LT(MaxLutDifference(*Expected, *Loaded), 1e-6f);
    // The link was closed with the session.
    EXPECT_EQ(H.Session->Plugin, nullptr);
    EXPECT_EQ(MappingsUnder(Folder()), 2) << "only the fake plug-in's own maps remain";
  }
}

TEST_F(SessionPluginThreadTest, FailedConnectionLeavesThePictureAndWritesNothing) {
  enum TFiles { None, LutOnly, Both };
  struct TCase {
    TFiles Files;
    int32_t PixelBytes, Width, Height;  // the first frame
    std::string Message;                // the link's message, empty: none
  };
  const std::vector<TCase> Cases = {
      {None, 3, 1, 1,
       " Can not connect to plug-in, error (" + std::to_string(ENOENT) +
           "), please check that plug-in is running (" + std::string(std::strerror(ENOENT)) + ")"},
      {LutOnly, 3, 1, 1, ""},
      {Both, 16, 4096, 2161,
       "SMImageLoad failed, frame larger than the shared memory, PixelBytes: 16 Image Width: "
       "4096 Image Height: 2161"},
      {Both, 5, 2, 2, "SMImageLoad failed, incorrect PixelBytes: 5 Image Width: 2 Image Height: 2"},
      {Both, 3, -4, 2, ""},
  };
  const std::string Pic = Picture();
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Message);
    ClearMessages();
    std::filesystem::remove(File(PluginLutFileName));
    std::filesystem::remove(File(PluginImageFileName));
    std::unique_ptr<TFakePlugin> Plugin;
    if (C.Files != None) {
      Plugin = std::make_unique<TFakePlugin>(Folder(), C.Files == Both);
      if (Plugin->Image) Plugin->PutFrame(C.PixelBytes, C.Width, C.Height);
    }
    THeadlessSession H;
    std::remove(File("settings.xml").c_str());  // no preference of the previous case
    H.SettingsFile = std::make_shared<TSettingsFile>(File("settings.xml"));
    H.Settings.Preferences.ModalPluginMode = false;
    EXPECT_EQ(H.Run({"kromel", Pic, "/PLUGIN"}), 1);
    if (C.Message.empty())
      EXPECT_TRUE(Messages().empty());
    else
      EXPECT_EQ(Messages(), std::vector<std::string>{C.Message});
    EXPECT_EQ(H.Session->Image.Width, 6);
    EXPECT_EQ(H.Session->Image.Height, 4);
    EXPECT_FALSE(std::filesystem::exists(File("LutPreset0.luc")));
    if (Plugin) {
      std::vector<uint8_t> Zero(PluginLutHeaderSize, 0);
      EXPECT_EQ(std::memcmp(Plugin->Lut, Zero.data(), Zero.size()), 0) << "LUT sent unconnected";
    }
  }
}

TEST_F(SessionPluginThreadTest, TimerTakesGoodFramesRefusesBadOnesAndApplyWritesOnce) {
  TFakePlugin Plugin(Folder());
  Plugin.SetDocument(3, "Doc");
  const std::vector<uint8_t> First = {10, 20, 30, 40, 50, 60};  // 2 x 1, 8-bit
  Plugin.PutFrame(3, 2, 1, First.data(), First.size());
  TSessionSettings Settings;
  Settings.Preferences.ModalPluginMode = false;  // every LUT goes to the plug-in
  TKromelSession S(nullptr, &Settings, 9);
  S.Show();
  ASSERT_TRUE(S.OpenPlugin());
  ASSERT_TRUE(S.Plugin && S.Plugin->PluginMode);
  EXPECT_EQ(S.Plugin->CaptionText(), "* [Plug-in Connected: Doc/3]");
  ASSERT_EQ(S.Image.Width, 2);

  // Refused frames: the picture stays and the pipeline keeps running.
  for (const auto& [Bpp, W, H] : std::vector<std::tuple<int32_t, int32_t, int32_t>>{
           {16, 4096, 2161}, {3, 2147483647, 2147483647}, {7, 2, 1}, {3, 0, 1}}) {
    SCOPED_TRACE(W);
    ClearMessages();
    Plugin.PutFrame(Bpp, W, H);
    S.Plugin->TimerTick();
    EXPECT_EQ(Plugin.Get(pifNewImage), 0);
    EXPECT_EQ(Messages().size(), 1u);
    ASSERT_EQ(S.Image.Width, 2);
    EXPECT_TRUE(PixelIs(S.Image.Pixels[1], 40 * 257, 50 * 257, 60 * 257));
  }
  ClearMessages();
  // A good frame after them is taken, and rendered.
  const std::vector<uint16_t> Next = {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000};
  Plugin.PutFrame(6, 3, 1, Next.data(), Next.size() * 2);
  S.Plugin->TimerTick();
  ASSERT_EQ(S.Image.Width, 3);
  EXPECT_TRUE(PixelIs(S.Image.Pixels[2], 7000, 8000, 9000));
  // The renderer's input and output follow the new picture.
  EXPECT_EQ(S.SourceImage().Image64.Width, 3);
  EXPECT_EQ(S.WorkImage().Width, 3);
  S.UpdateImage(true, true);
  T3DLut Sent;
  ASSERT_TRUE(ReadPluginLut(Plugin.Lut, PluginLutMapLength, Sent));
  EXPECT_EQ(Sent.Size, 9);
  // A LUT finer than the map holds goes over resampled, without a message.
  ASSERT_TRUE(S.SetLUTSize(65));
  S.UpdateImage(true, true);
  ASSERT_TRUE(ReadPluginLut(Plugin.Lut, PluginLutMapLength, Sent));
  EXPECT_EQ(Sent.Size, 64);
  EXPECT_TRUE(Messages().empty());

  // Apply writes once; again only after the plug-in asks.
  ASSERT_TRUE(S.Plugin->Apply());
  EXPECT_EQ(S.Plugin->CaptionText(), " [Plug-in Connected: Doc/3]");
  ASSERT_TRUE(std::filesystem::remove(File("LutPreset3.luc")));
  EXPECT_FALSE(S.Plugin->Apply());
  EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to send LUT Preset to Plug-in"});
  EXPECT_FALSE(std::filesystem::exists(File("LutPreset3.luc")));
  Plugin.Set(pifPresetWritten, 0);
  EXPECT_TRUE(S.Plugin->Apply());
  EXPECT_TRUE(std::filesystem::exists(File("LutPreset3.luc")));
  ClearMessages();
  S.Close();
  EXPECT_EQ(MappingsUnder(Folder()), 2);
  EXPECT_TRUE(Silent());
}

}  // namespace
}  // namespace kromel
