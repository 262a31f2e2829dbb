// Colour management of the view and the reference image: probes, proofing
// flags, the gamut alarm, the monitor profile, profile export read back by
// Argyll and Little CMS, and the reference commands.
#include <lcms2.h>

#include <charconv>
#include <cstring>

#include "colour/icc_profiles.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "images/owned_image.h"
#include "lut/lut_apply.h"
#include "platform/main_thread.h"
#include "session/session_profiles.h"
#include "session/session_reference.h"
#include "session/session_test_support.h"
#include "session/session_view_colour.h"

namespace kromel::session_test {
namespace {

using kromel::testing::ProgramAvailable;
using kromel::testing::ReadBytes;
using kromel::testing::ReadText;
using kromel::testing::RunProgram;

struct TProfileRecord {
  FIICCPROFILE P = EmptyICCProfile();
  explicit TProfileRecord(TWorkingProfile W) : P(WorkingProfileData(W)) {}
  ~TProfileRecord() { FreeICCProfileData(P); }
};

std::vector<uint8_t> BytesOf(TWorkingProfile W) {
  TProfileRecord R(W);
  return {static_cast<uint8_t*>(R.P.data), static_cast<uint8_t*>(R.P.data) + R.P.size};
}

class ViewColourTest : public SessionTest {};

TEST_F(ViewColourTest, GreyProbeNamesTheImageColourSpace) {
  struct {
    TWorkingProfile Profile;
    uint8_t Probe;
    TImageProfile Space;
  } const Cases[] = {
      {TWorkingProfile::sRGB, 21, ipSRGB},
      {TWorkingProfile::sRGBLinear, 94, ipLinear},
  };
  for (const auto& C : Cases) {
    TViewColourManagement V;
    TProfileRecord R(C.Profile);
    V.LoadInputProfile(R.P, "probe");
    EXPECT_EQ(V.ProbeByte(), C.Probe) << V.ImageProfileDescription;
    EXPECT_EQ(V.GetImageColorSpace(), C.Space) << V.ImageProfileDescription;
  }
  // No profile: the built-in sRGB; an unreadable one: the message and sRGB.
  TViewColourManagement V;
  EXPECT_EQ(V.ProbeByte(), 21);
  EXPECT_EQ(GreyProbeByte(nullptr), 21);
  FIICCPROFILE Junk = EmptyICCProfile();
  CopyICCProfileData(0, 5, "junk!", Junk);
  V.LoadInputProfile(Junk, "bad.tif");
  FreeICCProfileData(Junk);
  EXPECT_EQ(V.ImageProfileDescription, "sRGB");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Failed to load ICC color profile from image: bad.tif. Assigning sRGB");
  // Unknown probe bytes fall back to the description.
  EXPECT_EQ(ImageColorSpaceFromProbe(50, "Rec709 Linear"), ipLinear);
  EXPECT_EQ(ImageColorSpaceFromProbe(41, "whatever"), ipRec709);
}

TEST_F(ViewColourTest, ProofingFlagsAndGamutAlarm) {
  struct {
    bool Bpc, Gamut, Soft;
    uint32_t Flags;
  } const Cases[] = {{false, false, false, 0},      {true, false, false, 0x2000},
                     {false, true, false, 0x1000},  {false, false, true, 0x4000},
                     {true, true, true, 0x7000}};
  TViewColourManagement V;
  for (const auto& C : Cases) {
    V.BlackPointCompensation = C.Bpc;
    V.GamutWarning = C.Gamut;
    V.SoftProofing = C.Soft;
    EXPECT_EQ(V.ProofingFlags(), C.Flags);
  }
  cmsUInt16Number Zero[cmsMAXCHANNELS] = {};
  cmsSetAlarmCodes(Zero);
  V.MakeCMSTransforms();
  cmsUInt16Number Alarm[cmsMAXCHANNELS] = {};
  cmsGetAlarmCodes(Alarm);
  EXPECT_EQ(Alarm[0], 32640);
  EXPECT_EQ(Alarm[1], 32640);
  EXPECT_EQ(Alarm[2], 32640);

  // A gamut check through a small proofing profile paints an out-of-gamut
  // colour with the alarm grey (0x7F on 8 bits).
  const std::string Proof = File("proof.icc");
  {
    TProfilePtr Rec709(CreateRec709Profile());
    ASSERT_TRUE(SaveProfileToFile(Rec709.get(), Proof));
  }
  TProfileRecord ProPhoto(TWorkingProfile::ProPhotoRGB);
  V.LoadInputProfile(ProPhoto.P, "");
  ASSERT_TRUE(V.LoadProofingProfile(Proof));
  V.GamutWarning = true;
  V.SoftProofing = false;
  V.MakeCMSTransforms();
  ASSERT_NE(V.ProofingTransform(), nullptr);
  const uint8_t Green[4] = {0, 255, 0, 255};  // BGRA: ProPhoto's pure green
  uint8_t Out[4] = {};
  cmsDoTransform(V.ProofingTransform(), Green, Out, 1);
  EXPECT_EQ(Out[1], 0x7F);
  EXPECT_EQ(Out[2], 0x7F);
  EXPECT_EQ(Out[3], 0x7F);
}

TEST_F(ViewColourTest, MonitorAndProofingProfiles) {
  TViewColourManagement V;
  const uint8_t Red[4] = {0, 0, 255, 255};
  uint8_t SRGBOut[4] = {}, AdobeOut[4] = {};
  cmsDoTransform(V.DisplayTransform(), Red, SRGBOut, 1);
  EXPECT_EQ(SRGBOut[1], 255);  // ARGB: sRGB on sRGB keeps red
  EXPECT_EQ(V.ViewTransform(), nullptr);  // one profile: the view copies
  EXPECT_EQ(V.ViewTransform16(), nullptr);
  // The display's own profile (the X atom's bytes) takes over.
  V.SetSystemMonitorProfile(BytesOf(TWorkingProfile::AdobeRGB));
  V.ManageColorProfile(false, false);
  EXPECT_EQ(V.MonitorProfileName, "<none>");
  EXPECT_EQ(V.ViewTransform(), V.DisplayTransform());
  EXPECT_NE(V.ViewTransform(), nullptr);
  cmsDoTransform(V.DisplayTransform(), Red, AdobeOut, 1);
  EXPECT_LT(AdobeOut[1], 240);
  // Junk bytes in the atom: the built-in sRGB.
  V.SetSystemMonitorProfile({1, 2, 3});
  V.ManageColorProfile(false, false);
  cmsDoTransform(V.DisplayTransform(), Red, AdobeOut, 1);
  EXPECT_EQ(AdobeOut[1], 255);
  EXPECT_TRUE(Silent());

  // A monitor file that cannot be opened.
  V.ICCMode = ICCModeLoaded;
  V.CustomICC = File("missing.icc");
  V.ManageColorProfile(false, false);
  EXPECT_EQ(V.MonitorProfileName, "<none>");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Failed to load color profile: " + V.CustomICC);
  EXPECT_NE(V.DisplayTransform(), nullptr);

  // Disabled: no transforms at all; /NOCMS: nothing is rebuilt.
  V.ICCMode = ICCModeDisabled;
  V.ManageColorProfile(false, false);
  EXPECT_EQ(V.MonitorProfileName, "<CMS DISABLED>");
  EXPECT_EQ(V.DisplayTransform(), nullptr);
  EXPECT_EQ(V.RGB8ToLabTransform(), nullptr);
  V.NoColorManagement = true;
  V.ICCMode = ICCModeAutomatic;
  const int32_t Builds = V.TransformBuilds;
  V.ManageColorProfile(true, true);
  EXPECT_EQ(V.TransformBuilds, Builds);
  EXPECT_EQ(V.DisplayTransform(), nullptr);

  // A missing proofing profile: message, "<none>", soft proofing ticked
  // but its items disabled.
  ClearMessages();
  TViewColourManagement P;
  EXPECT_FALSE(P.LoadProofingProfile(File("nothere.icc")));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Failed to load profile for soft proofing: " + File("nothere.icc"));
  EXPECT_EQ(P.LoadProofingCaption(), "Load proofing profile: <none>");
  EXPECT_TRUE(P.SoftProofing);
  EXPECT_FALSE(P.ProofingItemsEnabled);
  EXPECT_NE(P.ProofingTransform(), nullptr);  // acts as the plain display transform
}

class RecordingView : public TSessionView {
 public:
  std::vector<std::string> Notices;
  void ShowPopupNotification(const std::string& Text) override { Notices.push_back(Text); }
};

TEST_F(ViewColourTest, ExportedImageProfileIsReadByArgyllAndLittleCms) {
  RecordingView View;
  FIICCPROFILE None = EmptyICCProfile();
  EXPECT_FALSE(ExportImageProfile(None, File("none.icc"), &View));
  ASSERT_EQ(View.Notices.size(), 1u);
  EXPECT_EQ(View.Notices[0], "No image profile loaded, can't export.");

  TProfileRecord Adobe(TWorkingProfile::AdobeRGB);
  const std::string Out = File("image profile.icc");
  ASSERT_TRUE(ExportImageProfile(Adobe.P, Out, &View));
  EXPECT_EQ(View.Notices.back(), "Image profile is saved.");
  const std::vector<uint8_t> Written = ReadBytes(Out);
  ASSERT_EQ(Written.size(), Adobe.P.size);
  EXPECT_EQ(0, std::memcmp(Written.data(), Adobe.P.data, Written.size()));

  EXPECT_FALSE(ExportImageProfile(Adobe.P, File("no/such/folder/x.icc"), &View));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "Failed to export image profile to " + File("no/such/folder/x.icc"));

  if (!ProgramAvailable("iccdump") || !ProgramAvailable("transicc"))
    GTEST_SKIP() << "iccdump or transicc missing";
  const std::string Dump = File("dump.txt");
  ASSERT_EQ(RunProgram({"iccdump", "-v", "1", Out}, Dump), 0);
  const std::string DumpText = ReadText(Dump);
  EXPECT_NE(DumpText.find("RGB"), std::string::npos) << DumpText;
  EXPECT_NE(DumpText.find("Display"), std::string::npos) << DumpText;
  // transicc: white of the image profile to Lab is L 100.
  const std::string In = File("in.txt"), Lab = File("lab.txt");
  kromel::testing::WriteText(In, "255 255 255\n");
  ASSERT_EQ(RunProgram({"transicc", "-n", "-i", Out, "-o", "*Lab", "-t", "1"}, Lab, true, In),
            0);
  const std::string LabText = ReadText(Lab);
  // The last line holds L, a, b.
  std::string Line = LabText.substr(0, LabText.find_last_not_of(" \n") + 1);
  Line = Line.substr(Line.find_last_of('\n') + 1);
  double L = 0;
  const auto [End, Err] = std::from_chars(Line.data(), Line.data() + Line.size(), L);
  ASSERT_EQ(Err, std::errc()) << LabText;
  EXPECT_NEAR(L, 100.0, 0.01) << LabText;
}

// ---- reference image

TEST(ReferenceNames, ProcessedSnapshotName) {
  const std::pair<const char*, const char*> Cases[] = {
      {"photo.jpg", "photo(Processed).jpg"},
      {"/p/q/photo.tiff", "/p/q/photo(Processed).tiff"},
      {"/p/noext", "/p/noext(Processed)"},
      {"/p.d/file", "/p.d/file(Processed)"},
      {"a.b.png", "a.b(Processed).png"},
  };
  for (const auto& [In, Out] : Cases) EXPECT_EQ(ProcessedSnapshotName(In), Out) << In;
}

class ReferenceTest : public SessionTest {
 protected:
  std::string WritePicture(const std::string& Name, uint8_t Level, const FIICCPROFILE* Profile) {
    TOwnedImage<TImage32> I;
    I.Image.Alloc(8, 6);
    for (int32_t K = 0; K < I.Image.Size; ++K) {
      TBGRAPixel32& P = I.Image.Pixels[K].BGRA;
      P.R = Level;
      P.G = uint8_t(Level / 2 + K);
      P.B = uint8_t(255 - Level);
      P.A = 255;
    }
    const std::string Path = File(Name);
    EXPECT_TRUE(Profile != nullptr ? SaveImage32ToFileWithProfile(I.Image, Path, *Profile)
                                   : SaveImage32ToFile(I.Image, Path));
    return Path;
  }
};

TEST_F(ReferenceTest, FailedLoadChangesNothing) {
  TKromelSession S;
  TSessionReference R(S);
  TProfileRecord Adobe(TWorkingProfile::AdobeRGB);
  const std::string Good = WritePicture("ref.tif", 200, &Adobe.P);
  const std::string Work = WritePicture("work.png", 90, nullptr);
  ASSERT_TRUE(S.LoadPicture(Work, true, false, true));
  ASSERT_EQ(S.ImageProfileData.data, nullptr);
  ASSERT_TRUE(R.Load(Good));
  // The untagged work image took the reference's profile.
  EXPECT_EQ(S.ImageProfileData.size, Adobe.P.size);
  EXPECT_EQ(R.ProfileData.size, Adobe.P.size);
  EXPECT_NE(S.ImageProfileDescription, "sRGB");
  EXPECT_EQ(R.FileName, Good);
  EXPECT_EQ(S.ReferenceImage.Width, 8);
  const uint16_t Red = S.ReferenceImage.Pixels[0].R;

  const std::string Corrupt = File("corrupt.png");
  kromel::testing::WriteText(Corrupt, std::string(600, 'x'));
  ClearMessages();
  EXPECT_FALSE(R.Load(Corrupt));
  EXPECT_EQ(R.FileName, Good);
  EXPECT_EQ(R.ProfileData.size, Adobe.P.size);
  EXPECT_EQ(S.ReferenceImage.Pixels[0].R, Red);
  ASSERT_FALSE(Messages().empty());
  EXPECT_EQ(Messages().back(), "Failed to load image: " + Corrupt);
  // A missing file does nothing at all.
  ClearMessages();
  EXPECT_FALSE(R.Load(File("missing.png")));
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(R.FileName, Good);
}

TEST_F(ReferenceTest, SnapshotSwapAndPaste) {
  TKromelSession S;
  S.Show();
  TSessionReference R(S);
  const std::string Work = WritePicture("photo.png", 120, nullptr);
  ASSERT_TRUE(S.LoadPicture(Work, true, false, true));
  MakeNonTrivial(S);
  S.UpdateImage(true, true);
  ASSERT_TRUE(R.SnapshotProcessed());
  EXPECT_EQ(R.FileName, File("photo(Processed).png"));
  T3DLut Lut;
  ASSERT_TRUE(S.CopyMainLut(Lut));
  TOwnedImage<TImage64> Expected;
  Expected.Image.Copy(S.Image);
  ProcessImage64(Lut, Expected.Image, Expected.Image, true);
  ASSERT_EQ(S.ReferenceImage.Size, Expected.Image.Size);
  EXPECT_EQ(0, std::memcmp(S.ReferenceImage.Pixels, Expected.Image.Pixels,
                           sizeof(TPixel64) * size_t(Expected.Image.Size)));
  EXPECT_NE(S.ReferenceImage.Pixels[0].R, S.Image.Pixels[0].R);

  // Swapping twice restores both images and names.
  const TPixel64* WorkPixels = S.Image.Pixels;
  const TPixel64* RefPixels = S.ReferenceImage.Pixels;
  S.OriginalImageFileName = "orig";
  ASSERT_TRUE(R.Swap());
  EXPECT_EQ(S.Image.Pixels, RefPixels);
  EXPECT_EQ(S.ImageFileName, File("photo(Processed).png"));
  EXPECT_EQ(R.FileName, Work);
  EXPECT_EQ(S.SourceImage().GetWidth(), 8);
  ASSERT_TRUE(R.Swap());
  EXPECT_EQ(S.Image.Pixels, WorkPixels);
  EXPECT_EQ(S.ImageFileName, Work);
  EXPECT_TRUE(S.OriginalImageFileName.empty());

  // Paste: bytes shifted by 8, opaque; an empty clipboard changes nothing.
  TImage32 Empty;
  ClearMessages();
  EXPECT_FALSE(R.Paste(Empty));
  EXPECT_EQ(Messages(), std::vector<std::string>{"No image in clipboard"});
  EXPECT_EQ(S.ImageFileName, Work);
  TOwnedImage<TImage32> Clip;
  Clip.Image.Alloc(3, 2);
  for (int32_t K = 0; K < 6; ++K) Clip.Image.Pixels[K].Value = 0x10A0B0C0u + uint32_t(K);
  ASSERT_TRUE(R.Paste(Clip.Image));
  EXPECT_EQ(S.ReferenceImage.Width, 3);
  EXPECT_EQ(S.ReferenceImage.Pixels[0].R, 0xA0 << 8);
  EXPECT_EQ(S.ReferenceImage.Pixels[0].G, 0xB0 << 8);
  EXPECT_EQ(S.ReferenceImage.Pixels[0].B, 0xC0 << 8);
  EXPECT_EQ(S.ReferenceImage.Pixels[0].A, 65535);
  EXPECT_EQ(S.ImageFileName, " *** Image from clipboard ***");
  EXPECT_TRUE(R.ShowReference);
  S.Close();
}

class NoticeView : public TSessionView {
 public:
  std::vector<std::string> Notices;
  void ShowPopupNotification(const std::string& Text) override { Notices.push_back(Text); }
};

TEST_F(ReferenceTest, NextAndPreviousReferenceInTheFolder) {
  NoticeView View;
  TKromelSession S(&View);
  TSessionReference R(S);
  const std::string A = WritePicture("a.png", 10, nullptr);
  const std::string B = WritePicture("b.png", 20, nullptr);
  EXPECT_FALSE(R.LoadAdjacent(false));  // no reference yet: nothing
  ASSERT_TRUE(R.Load(A));
  ASSERT_TRUE(R.LoadAdjacent(false));
  EXPECT_EQ(R.FileName, B);
  EXPECT_FALSE(R.LoadAdjacent(false));
  DrainMainThreadCalls();
  EXPECT_EQ(View.Notices, std::vector<std::string>{"No next image found in the folder"});
  EXPECT_EQ(R.FileName, B);
  ASSERT_TRUE(R.LoadAdjacent(true));
  EXPECT_EQ(R.FileName, A);
}

TEST_F(ReferenceTest, ConvertingCommitsBothImagesOrNeither) {
  TKromelSession S;
  TSessionReference R(S);
  ASSERT_TRUE(S.LoadPicture(WritePicture("w.png", 150, nullptr), true, false, true));
  ASSERT_TRUE(R.Load(WritePicture("r.png", 60, nullptr)));
  const TPixel64 W0 = S.Image.Pixels[0], R0 = S.ReferenceImage.Pixels[0];
  // Assigning converts neither image.
  ASSERT_TRUE(S.SetWorkingProfile(TWorkingProfile::ProPhotoRGB, true));
  EXPECT_EQ(S.Image.Pixels[0].R, W0.R);
  EXPECT_EQ(S.ReferenceImage.Pixels[0].R, R0.R);
  // Converting to ProPhoto converts both.
  ASSERT_TRUE(S.SetWorkingProfile(TWorkingProfile::sRGB, true));
  ASSERT_TRUE(S.SetWorkingProfile(TWorkingProfile::ProPhotoRGB, false));
  EXPECT_NE(S.Image.Pixels[0].R, W0.R);
  EXPECT_NE(S.ReferenceImage.Pixels[0].R, R0.R);
  // A profile the pixels cannot be converted into changes nothing: both
  // conversions go to temporaries first.
  const TPixel64 W1 = S.Image.Pixels[0], R1 = S.ReferenceImage.Pixels[0];
  const uint32_t Size = S.ImageProfileData.size;
  TProfilePtr Gray(cmsCreateGrayProfile(cmsD50_xyY(), nullptr));
  FIICCPROFILE GrayBytes = EmptyICCProfile();
  {
    cmsUInt32Number N = 0;
    ASSERT_TRUE(cmsSaveProfileToMem(Gray.get(), nullptr, &N));
    std::vector<uint8_t> B(N);
    ASSERT_TRUE(cmsSaveProfileToMem(Gray.get(), B.data(), &N));
    CopyICCProfileData(0, N, B.data(), GrayBytes);
  }
  EXPECT_FALSE(S.SetImageProfile(GrayBytes, false));
  EXPECT_EQ(S.Image.Pixels[0].R, W1.R);
  EXPECT_EQ(S.ReferenceImage.Pixels[0].R, R1.R);
  EXPECT_EQ(S.ImageProfileData.size, Size);
}

}  // namespace
}  // namespace kromel::session_test
