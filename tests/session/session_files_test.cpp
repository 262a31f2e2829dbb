#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "controls/switch_controls.h"
#include "engine/channel_mixer_preset.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "fileio/tiff_fixtures.h"
#include "lut/lut_apply.h"
#include "platform/prompt.h"
#include "session/session_files.h"
#include "session/session_profiles.h"
#include "session_test_support.h"

namespace kromel {
namespace {

using session_test::SessionTest;

class TPopupView : public TSessionView {
 public:
  void ShowPopupNotification(const std::string& Text) override { Popups.push_back(Text); }
  std::vector<std::string> Popups;
};

class SessionFilesTest : public SessionTest {
 protected:
  // A picture with a gradient, so a profile conversion changes its values.
  std::string WritePicture(const std::string& Name, int32_t W = 40, int32_t H = 30) {
    TImage32 Img;
    Img.Alloc(W, H);
    for (int64_t I = 0; I < Img.Size; ++I) {
      auto& P = Img.Pixels[I].BGRA;
      P.R = uint8_t(I * 7);
      P.G = uint8_t(I * 3 + 40);
      P.B = uint8_t(200 - I % 150);
      P.A = 255;
    }
    const std::string Path = File(Name);
    EXPECT_TRUE(SaveImage32ToFile(Img, Path));
    return Path;
  }
  std::string WriteProfile(const std::string& Name, TWorkingProfile Which) {
    FIICCPROFILE P = WorkingProfileData(Which);
    const std::string Path = File(Name);
    kromel::testing::WriteBytes(
        Path, std::vector<uint8_t>(static_cast<uint8_t*>(P.data),
                                   static_cast<uint8_t*>(P.data) + P.size));
    FreeICCProfileData(P);
    return Path;
  }
  static bool SamePixels(const TImage64& A, const TImage64& B) {
    if (A.Width != B.Width || A.Height != B.Height) return false;
    for (int64_t I = 0; I < A.Size; ++I)
      if (A.Pixels[I].R != B.Pixels[I].R || A.Pixels[I].G != B.Pixels[I].G ||
          A.Pixels[I].B != B.Pixels[I].B)
        return false;
    return true;
  }
};

TEST(SessionProfiles, GammaAndColourSpaceFromDescription) {
  const struct {
    const char* Description;
    float Gamma;
    TImageProfile Space;
  } Cases[] = {
      {"sRGB", 2.4f, ipSRGB},
      {"ITU Rec. 709", 2.2f, ipRec709},
      {"ProPhoto RGB", 1.8f, ipProphotoRGB},
      {"Rec709 Linear", 1.0f, ipLinear},
      {"Adobe RGB (1998)", 2.4f, ipAdobeRGB},
      {"ProPhoto Adobe RGB", 1.8f, ipProphotoRGB},
  };
  for (const auto& C : Cases) {
    EXPECT_EQ(ImageGammaFromDescription(C.Description), C.Gamma) << C.Description;
    EXPECT_EQ(ImageColorSpaceFromDescription(C.Description), C.Space) << C.Description;
  }
}

TEST_F(SessionFilesTest, WhiteBalanceFromGainsSetsTheKnobs) {
  TKromelSession S{nullptr, nullptr, 33};
  TController* Temperature = S.Controls.Find("TransformWhiteBalanceKnob");
  TController* Tint = S.Controls.Find("TransformTintKnob");
  ASSERT_TRUE(Temperature && Tint);
  S.SetWhiteBalanceFromRGB(false, true, 1, 1, 1, -1);
  EXPECT_NEAR(Temperature->GetControllerValueS(), 0.5f, 1e-3f);
  EXPECT_NEAR(Tint->GetControllerValueS(), 0.5f, 1e-3f);
  S.SetWhiteBalanceFromRGB(false, true, 1, 1, 4, -1);
  EXPECT_NEAR(Temperature->GetControllerValueS(), 1 / 4.6f + 0.5f, 1e-3f);
  // The inverse gains turn the knob the other way.
  S.SetWhiteBalanceFromRGB(true, true, 1, 1, 4, -1);
  EXPECT_NEAR(Temperature->GetControllerValueS(), 0.5f - 1 / 4.6f, 1e-3f);
}

TEST_F(SessionFilesTest, AssignKeepsPixelsConvertChangesThemFailuresChangeNothing) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  ASSERT_TRUE(S.LoadPicture(WritePicture("p.png"), false, true, true));
  EXPECT_EQ(S.ImageProfileDescription, "sRGB");
  TImage64 Before;
  Before.Copy(S.Image);
  ASSERT_TRUE(S.AssignProfileFromFile(WriteProfile("pro.icc", TWorkingProfile::ProPhotoRGB), true));
  EXPECT_TRUE(SamePixels(S.Image, Before));
  EXPECT_NE(S.ImageProfileData.data, nullptr);
  EXPECT_EQ(S.ImageGamma, 1.8f) << S.ImageProfileDescription;
  const uint32_t ProPhotoSize = S.ImageProfileData.size;

  // Missing and unreadable profiles leave pixels and profile alone.
  const std::string Bad = File("bad.icc");
  kromel::testing::WriteText(Bad, std::string(300, 'x'));
  ClearMessages();
  EXPECT_FALSE(S.AssignProfileFromFile(File("missing.icc"), false));
  ASSERT_FALSE(Messages().empty());
  EXPECT_EQ(Messages()[0], "File not found: " + File("missing.icc"));
  EXPECT_FALSE(S.AssignProfileFromFile(Bad, false));
  EXPECT_TRUE(SamePixels(S.Image, Before));
  EXPECT_EQ(S.ImageProfileData.size, ProPhotoSize);

  // Converting ProPhoto -> sRGB changes the values, of the reference too.
  S.ReferenceImage.Copy(Before);
  ASSERT_TRUE(S.SetWorkingProfile(TWorkingProfile::sRGB, false));
  EXPECT_FALSE(SamePixels(S.Image, Before));
  EXPECT_TRUE(SamePixels(S.Image, S.ReferenceImage));
  EXPECT_EQ(S.ImageGamma, 2.4f);
}

TEST_F(SessionFilesTest, DispatcherRunsEachLoaderOrSaysItCannot) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  TSessionPresets Presets(S);
  Presets.InitDefaultPreset();
  TSessionFiles Files(S, Presets);
  // A channel mixer preset that swaps red and green.
  TChannelMixerParams Swap;
  const double M[9] = {0, 1, 0, 1, 0, 0, 0, 0, 1};
  std::copy(M, M + 9, Swap.Matrix);
  const TChaRecord Record = ChannelMixerToChaRecord(Swap);
  const std::string Cha = File("swap.cha");
  kromel::testing::WriteBytes(Cha, std::vector<uint8_t>(Record.begin(), Record.end()));
  const std::string Aco = File("s.aco");
  kromel::testing::WriteText(Aco, "x");
  const std::string Lut = File("plain.cube");
  kromel::testing::WriteText(Lut, "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  const std::string Photo = WritePicture("photo.png");

  ClearMessages();
  EXPECT_EQ(Files.LoadAnyFile(File("a.xmp"), true, true), TLoadOutcome::Ignored);
  EXPECT_EQ(Files.LoadAnyFile(Cha, true, true), TLoadOutcome::Loaded);
  TChannelMixerParams Got;
  S.EditPreset([&](TKromelPreset& P) {
    P.ChannelMixer->GetMatrix(Got);
    return true;
  });
  EXPECT_NEAR(Got.Matrix[1], 1.0, 0.02);
  EXPECT_NEAR(Got.Matrix[0], 0.0, 0.02);
  EXPECT_TRUE(Messages().empty()) << ::testing::PrintToString(Messages());
  // Without the panels' loaders the files are refused with a message.
  for (const std::string& Name : {Aco, Lut}) {
    ClearMessages();
    EXPECT_EQ(Files.LoadAnyFile(Name, true, true), TLoadOutcome::Unsupported) << Name;
    EXPECT_EQ(Messages().size(), 1u) << Name;
  }
  // With one, the LUT without a preset goes to the external LUT.
  std::string ExternalGot;
  Files.Loaders.ExternalLut = [&](const std::string& F) {
    ExternalGot = F;
    return true;
  };
  EXPECT_EQ(Files.LoadAnyFile(Lut + "  ", true, true), TLoadOutcome::Loaded);
  EXPECT_EQ(ExternalGot, Lut);
  EXPECT_EQ(Files.LoadAnyFile(Photo, true, true), TLoadOutcome::Loaded);
  EXPECT_EQ(S.ImageFileName, Photo);
  EXPECT_EQ(Files.LoadAnyFile(File("missing.png"), true, true), TLoadOutcome::Failed);
  EXPECT_EQ(S.ImageFileName, Photo);
}

TEST_F(SessionFilesTest, NextAndPreviousImageInTheFolder) {
  TPopupView View;
  TKromelSession S(&View, nullptr, 33);
  S.Show();
  const std::string A = WritePicture("a.png"), B = WritePicture("b.jpg"), C = WritePicture("C.TIF");
  kromel::testing::WriteText(File("d.txt"), "not an image");
  EXPECT_FALSE(S.LoadAdjacentImage(false));  // nothing loaded: nothing happens
  EXPECT_TRUE(View.Popups.empty());
  ASSERT_TRUE(S.LoadPicture(B, false, true, true));
  const struct {
    bool Previous;
    bool Loaded;
    std::string After;
  } Steps[] = {{false, true, C}, {false, false, C}, {true, true, B}, {true, true, A},
               {true, false, A}};
  for (const auto& Step : Steps) {
    EXPECT_EQ(S.LoadAdjacentImage(Step.Previous), Step.Loaded);
    EXPECT_EQ(S.ImageFileName, Step.After);
  }
  EXPECT_EQ(View.Popups, (std::vector<std::string>{"No next image found in the folder",
                                                   "No previous image found in the folder"}));
}

TEST_F(SessionFilesTest, FileInformationAndCropCentre) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  ASSERT_TRUE(S.LoadPicture(WritePicture("p.png", 101, 60), false, true, true));
  const std::string Info = S.FileInformationText();
  EXPECT_EQ(Info.rfind("Image Width: 101\nImage Height: 60\nUnique levels: " +
                           std::to_string(S.Image.CountDistinctLevels()) + "\n--- MAIN (",
                       0),
            0u)
      << Info;
  EXPECT_NE(Info.find("--- EXIF ("), std::string::npos);
  TImage64 Before;
  Before.Copy(S.Image);
  S.ReferenceImage.Copy(S.Image);
  S.CropCenterPart();
  EXPECT_EQ(S.Image.Width, 50);  // 25 .. 75
  EXPECT_EQ(S.Image.Height, 30);
  EXPECT_EQ(S.ReferenceImage.Width, 50);
  EXPECT_EQ(S.Image.Row(0)[0].R, Before.Row(15)[25].R);
  EXPECT_EQ(S.Image.Row(0)[0].G, Before.Row(15)[25].G);
}

TEST_F(SessionFilesTest, RawLoadSetsLogDecodingMixerAndProfile) {
  TSessionSettings Settings;
  TPreferences& Prefs = Settings.Preferences;
  Prefs.LibRawColor = 4;  // "RAW - AdobeRGB": raw colour, Adobe RGB profile
  TKromelSession S(nullptr, &Settings);
  S.Show();
  const std::string Dng = File("photo.dng");
  kromel::testing::WriteBytes(Dng, fileio_test::MakeTestDng(fileio_test::TDngFixture{}));
  ASSERT_TRUE(S.LoadPicture(Dng, false, true, true));
  S.EditPreset([&](TKromelPreset& P) {
    EXPECT_EQ(P.LogDecoder->InputLog->Value, 1);
    EXPECT_NE(P.LogDecoder->MaxColor->Value, 0);
    return true;
  });
  TRadioGroupControl* Pages = S.Controls.FindGroup("PagesRadioGroup");
  ASSERT_NE(Pages, nullptr);
  EXPECT_TRUE(Pages->GetButtonSwitchState(0));
  EXPECT_EQ(S.ImageGamma, 2.4f);
  EXPECT_NE(S.ImageProfileDescription.find("Adobe"), std::string::npos)
      << S.ImageProfileDescription;
  // The LogC copy carries the assigned profile.
  TKromelSession Other{nullptr, nullptr, 33};
  Other.Show();
  ASSERT_TRUE(Other.LoadPicture(File("photo_LogC.tif"), false, true, true));
  EXPECT_EQ(Other.ImageProfileDescription, S.ImageProfileDescription);
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

TEST_F(SessionFilesTest, BakingTheLutResetsThePresetAndKeepsTheLook) {
  TSessionSettings Settings;
  TPreferences& Prefs = Settings.Preferences;
  Prefs.ExportLutSize = 17;  // the bake uses 64 levels whatever the export size
  TKromelSession S(nullptr, &Settings);
  S.Show();
  TSessionPresets Presets(S);
  Presets.InitDefaultPreset();
  ASSERT_TRUE(S.LoadPicture(WritePicture("p.png"), false, true, true));
  session_test::MakeNonTrivial(S);
  auto Lut = S.CompileLut(64, false);
  ASSERT_TRUE(Lut);
  TImage64 Expected;
  Expected.Copy(S.Image);
  ProcessImage64(*Lut, S.Image, Expected, S.Preferences().SaveAlphaChannel);
  const int32_t Steps = Presets.CurrentUndoList().Count();
  ASSERT_TRUE(Presets.ProcessImageWithLutAndReset());
  EXPECT_TRUE(SamePixels(S.Image, Expected));
  EXPECT_EQ(Presets.CurrentUndoList().Count(), Steps + 1);
  EXPECT_EQ(Presets.CurrentUndoList().GetUndoCaption(), "Start new preset");
  auto After = S.CompileLut(17, false);
  ASSERT_TRUE(After);
  TKromelSession Fresh{nullptr, nullptr, 33};
  auto Default = Fresh.CompileLut(17, false);
  ASSERT_TRUE(Default);
  EXPECT_LT(session_test::MaxLutDifference(*After, *Default), 1e-6f);
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

TEST_F(SessionFilesTest, NonRawImageWithLogDecodingAsksToTurnItOff) {
  THeadlessPrompt& Prompt = DefaultHeadlessPrompt();
  Prompt.Clear();
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  const std::string Png = WritePicture("p.png");
  auto SetLog = [&](int32_t Value) {
    S.EditPreset([&](TKromelPreset& P) {
      P.LogDecoder->InputLog->SetValue(Value);
      return true;
    });
  };
  auto Log = [&] {
    return S.EditPreset([](TKromelPreset& P) { return P.LogDecoder->InputLog->Value; });
  };
  // Off: no question. On: "No" keeps it; "Yes" with the box ticked turns it
  // off and the question is not asked again.
  ASSERT_TRUE(S.LoadPicture(Png, false, true, true));
  EXPECT_TRUE(Prompt.CheckBoxQuestions().empty());
  SetLog(1);
  Prompt.QueueCheckBoxAnswers({{TPromptAnswer::No, false}, {TPromptAnswer::Yes, true}});
  ASSERT_TRUE(S.LoadPicture(Png, false, true, true));
  EXPECT_EQ(Log(), 1);
  ASSERT_TRUE(S.LoadPicture(Png, false, true, true));
  EXPECT_EQ(Log(), 0);
  EXPECT_FALSE(S.Preferences().WarnAboutLogLoading);
  SetLog(1);
  ASSERT_TRUE(S.LoadPicture(Png, false, true, true));
  EXPECT_EQ(Log(), 1);
  const auto Asked = Prompt.CheckBoxQuestions();
  ASSERT_EQ(Asked.size(), 2u);
  EXPECT_EQ(Asked[0].Text.rfind("You have LOG decoding enabled and you're loading a non-RAW", 0),
            0u);
  Prompt.Clear();
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

TEST_F(SessionFilesTest, RawWhiteBalanceFollowsThePreference) {
  const std::string Dng = File("wb.dng");
  kromel::testing::WriteBytes(Dng, fileio_test::MakeTestDng(fileio_test::TDngFixture{}));
  for (const bool FromRaw : {true, false}) {
    SCOPED_TRACE(FromRaw);
    TSessionSettings Settings;
    TPreferences& Prefs = Settings.Preferences;
    Prefs.LoadWhiteBalanceFromRaw = FromRaw;
    TKromelSession S(nullptr, &Settings);
    S.Show();
    ASSERT_TRUE(S.LoadPicture(Dng, false, false, true));
    TController* Temperature = S.Controls.Find("TransformWhiteBalanceKnob");
    TController* Exposure = S.Controls.Find("TransformExposureKnob");
    ASSERT_TRUE(Temperature && Exposure);
    if (FromRaw) {
      EXPECT_GT(std::fabs(Temperature->GetControllerValueS() - 0.5f), 0.01f);
      EXPECT_EQ(Temperature->DefaultValue2, Temperature->GetControllerValue());
      EXPECT_NEAR(Exposure->GetControllerValueS(), 0.395f, 1e-3f);
    } else {
      EXPECT_EQ(Temperature->GetControllerValueS(), 0.5f);
      EXPECT_EQ(Exposure->GetControllerValueS(), 0.5f);
    }
    // The camera's tags reach the file information.
    EXPECT_NE(S.FileInformationText().find("TestCam"), std::string::npos)
        << S.FileInformationText();
  }
}

}  // namespace
}  // namespace kromel

namespace kromel::session_test {
namespace {

// Curves exported as Lightroom, Camera Raw, Capture One, RawTherapee and
// Photoshop files load back as they were (the loaders' colour encoding
// is undone by the writers').
TEST_F(SessionFilesTest, ExportedCurvesLoadBackUnchanged) {
  TKromelSession S{nullptr, nullptr, 33};
  S.Show();
  TSessionPresets Presets(S);
  Presets.InitDefaultPreset();
  TSessionFiles Files(S, Presets);
  auto Master = [&]() -> TEnvelopeDots& { return S.Preset->RGBCurves->Master->Curve; };
  S.EditPreset([&](TKromelPreset&) {
    Master().AddDot(4000, 9000, 100);
    Master().CalcSpline();
    return true;
  });
  const float Before = Master().GetValueS(4000);
  ASSERT_GT(std::fabs(Before - 4000), 1000.0f);
  for (const char* Name : {"c.lrtemplate", "c.acv", "c.rtc", "c.copreset"}) {
    SCOPED_TRACE(Name);
    ASSERT_TRUE(S.SaveLut(File(Name)));
    S.EditPreset([&](TKromelPreset&) {
      Master().ResetDiagonal(2);
      Master().CalcSpline();
      return true;
    });
    ASSERT_EQ(Files.LoadAnyFile(File(Name), false, false), TLoadOutcome::Loaded);
    EXPECT_NEAR(Master().GetValueS(4000), Before, 120.0f);
  }
  ASSERT_TRUE(S.SaveLut(File("c.xmp")));  // read by no loader; written whole
  EXPECT_NE(kromel::testing::ReadText(File("c.xmp")).find("ToneCurvePV2012"), std::string::npos);
}

}  // namespace
}  // namespace kromel::session_test
