#include "fileio/host_bridge.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/folders.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using testing::TCaptureTest;

std::vector<uint8_t> ParseByteList(const std::string& Text) {
  std::vector<uint8_t> Bytes;
  std::stringstream S(Text);
  std::string Item;
  while (std::getline(S, Item, ',')) {
    if (Item.find_first_not_of(' ') == std::string::npos) continue;
    const int V = std::stoi(Item);
    EXPECT_TRUE(V >= 0 && V <= 255) << Item;
    Bytes.push_back(uint8_t(V));
  }
  return Bytes;
}

// The image file name is filled only when the script is run.
size_t PlaceholderLeft(const std::string& Script) {
  const size_t Image = Script.find("#imagefilename");
  return Script.find('#', Image == std::string::npos ? 0 : Image + 1);
}

uint32_t BigEndian32(const std::vector<uint8_t>& B, size_t At) {
  return uint32_t(B[At]) << 24 | uint32_t(B[At + 1]) << 16 | uint32_t(B[At + 2]) << 8 | B[At + 3];
}

TEST(HostBridgeBytes, ByteListTexts) {
  EXPECT_EQ(Int32ToByteListText(1000), "0, 0, 3, 232");
  EXPECT_EQ(Int32ToByteListText(-1), "255, 255, 255, 255");
  EXPECT_EQ(Int16ToByteListText(65535), "255, 255");
  EXPECT_EQ(Int16ToByteListText(258), "1, 2");
}

TEST(HostBridgeBytes, LutScriptSizesAndRamps) {
  struct TCase {
    int32_t N;
    uint32_t Size, Tag, Curves;
    std::string Ramp;
  };
  const std::vector<TCase> Cases = {
      {2, 720, 268, 220, "0, 0, 255, 255, "},
      {3, 848, 396, 336, "0, 0, 127, 255, 255, 255, 0, 0, "},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.N);
    std::string Data;
    for (int32_t I = 0; I < C.N * C.N * C.N * 6; ++I) Data += "7, ";
    const std::string Script = BuildPhotoshopLUTScript(C.N, "Look", Data, false);
    EXPECT_EQ(PlaceholderLeft(Script), std::string::npos) << "a placeholder is left";
    EXPECT_NE(Script.find(Int32ToByteListText(int32_t(C.Size)) + ", 65, 68, 66, 69"),
              std::string::npos);
    const std::vector<uint8_t> B = ParseByteList(PhotoshopDeviceLinkByteList(C.N, Data));
    ASSERT_EQ(B.size(), C.Size);
    EXPECT_EQ(BigEndian32(B, 0), C.Size);
    EXPECT_EQ(BigEndian32(B, 128), 4u);
    EXPECT_EQ(BigEndian32(B, 132 + 36 + 4), 452u);
    EXPECT_EQ(BigEndian32(B, 132 + 36 + 8), C.Tag);
    EXPECT_EQ(BigEndian32(B, 452 + 28), C.Curves);
    // Three ramps close the profile.
    const std::string Tail = "0, 0, 0, " + std::to_string(C.N) + ", " + C.Ramp;
    const std::string List = PhotoshopDeviceLinkByteList(C.N, Data);
    const std::string Curve = "99, 117, 114, 118, 0, 0, 0, 0, " + Tail;
    ASSERT_GT(List.size(), 3 * Curve.size());
    EXPECT_EQ(List.substr(List.size() - 3 * Curve.size()), Curve + Curve + Curve);
    for (const bool Clean : {false, true})
      EXPECT_EQ(PlaceholderLeft(BuildPhotoshopLUTScript(C.N, "Look", Data, Clean)),
                std::string::npos);
  }
  EXPECT_EQ(BuildPhotoshopLUTScript(1, "Look", "", false), "");
  EXPECT_EQ(BuildPhotoshopLUTScript(0, "Look", "", true), "");
  const std::string Named = BuildPhotoshopLUTScript(2, "My \"teal\" 'look'\\", "", false);
  EXPECT_NE(Named.find("layer.name != \"My teal look\\\\\""), std::string::npos);
}

// The device link opens in Little CMS and reproduces the LUT at its nodes.
TEST(HostBridgeBytes, DeviceLinkOpensInLittleCmsAndReproducesTheLut) {
  for (const int32_t N : {2, 17}) {
    SCOPED_TRACE(N);
    T3DLut Lut;
    ASSERT_TRUE(Lut.SetSize(N));
    for (int32_t B = 0; B < N; ++B)
      for (int32_t G = 0; G < N; ++G)
        for (int32_t R = 0; R < N; ++R) {
          const int64_t I = R + int64_t(N) * (G + int64_t(N) * B);
          const float r = float(R) / float(N - 1), g = float(G) / float(N - 1),
                      b = float(B) / float(N - 1);
          Lut.R[I] = std::pow(r, 0.8f) * 0.9f + 0.05f * b;
          Lut.G[I] = 0.7f * g + 0.3f * r * r;
          Lut.B[I] = 1.0f - 0.8f * b;
        }
    const std::vector<uint8_t> Bytes =
        ParseByteList(PhotoshopDeviceLinkByteList(N, PhotoshopLutDataText(Lut)));
    cmsHPROFILE Link = cmsOpenProfileFromMem(Bytes.data(), cmsUInt32Number(Bytes.size()));
    ASSERT_NE(Link, nullptr);
    EXPECT_EQ(cmsGetDeviceClass(Link), cmsSigLinkClass);
    EXPECT_GE(cmsGetEncodedICCversion(Link), 0x04000000u);
    cmsHTRANSFORM T = cmsCreateTransform(Link, TYPE_RGB_16, nullptr, TYPE_RGB_16,
                                         INTENT_PERCEPTUAL, cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    ASSERT_NE(T, nullptr);
    double Worst = 0;
    for (int32_t B = 0; B < N; ++B)
      for (int32_t G = 0; G < N; ++G)
        for (int32_t R = 0; R < N; ++R) {
          const int64_t I = R + int64_t(N) * (G + int64_t(N) * B);
          const uint16_t In[3] = {uint16_t(R * 65535 / (N - 1)), uint16_t(G * 65535 / (N - 1)),
                                  uint16_t(B * 65535 / (N - 1))};
          uint16_t Out[3];
          cmsDoTransform(T, In, Out, 1);
          const float Want[3] = {Lut.R[I], Lut.G[I], Lut.B[I]};
          for (int K = 0; K < 3; ++K)
            Worst = std::max(Worst, std::fabs(Out[K] / 65535.0 - std::clamp(Want[K], 0.f, 1.f)));
        }
    EXPECT_LT(Worst, 0.01);
    cmsDeleteTransform(T);
    cmsCloseProfile(Link);
  }
}

TEST(HostBridgeScripts, AppleScriptTextsWithEscapedValues) {
  struct TCase {
    std::string Got, Want;
  };
  const std::string App = "Adobe \"Photoshop\" 2024\\x";
  const std::string AppQ = "Adobe \\\"Photoshop\\\" 2024\\\\x";
  const std::string Jsx = "/tmp/my \"dir\"\\Kromel.jsx";
  const std::string JsxQ = "/tmp/my \\\"dir\\\"\\\\Kromel.jsx";
  const std::vector<TCase> Cases = {
      {PhotoshopRunJavascriptText(App, "alert(\"hi\\n\");"),
       "tell application \"" + AppQ + "\"\n tell current document\n"
       " set scripttoRun to \"alert(\\\"hi\\\\n\\\");\"\n"
       " if (name of current layer) is not equal to \"Kromel\" then try\n"
       "   do javascript scripttoRun\n   tell current layer to set name to \"Kromel\"\n"
       " end try\n end tell\nend tell\n"},
      {PhotoshopRunJavascriptFileText(App, Jsx),
       "tell application \"" + AppQ + "\"\n    (activate) & (do javascript file \"" + JsxQ +
           "\")\nend tell\n"},
      {AfterEffectsRunJavascriptText("After Effects", Jsx),
       "tell application \"After Effects\"\n    DoScriptFile \"" + JsxQ + "\"\nend tell\n"},
      {PhotoshopSaveDocumentAsTIFFText("Adobe Photoshop", "/x/a\"b.tif"),
       "tell application \"Adobe Photoshop\"\nset newFileName to \"/x/a\\\"b.tif\"\n"
       "set theDocument to current document\n"
       "set myOptions to {class:TIFF save options, embed color profile:true, save layers:false, "
       "save alpha channels:false}\n"
       "save theDocument in file (newFileName) as TIFF with options myOptions with copying\n"
       "end tell\n"},
      {PhotoshopTellJavascriptText("PS", PhotoshopDeleteActionSetJavascript("Set \"1\"")),
       "tell application \"PS\"\n do javascript \"var desc = new ActionDescriptor(); \n"
       "var ref = new ActionReference(); \n"
       "ref.putName(charIDToTypeID(\\\"ASet\\\"),\\\"Set \\\\\\\"1\\\\\\\"\\\"); \n"
       "desc.putReference(charIDToTypeID(\\\"null\\\"),ref); \n"
       "var idDlt = charIDToTypeID( \\\"Dlt \\\" ); \n"
       "executeAction(idDlt, desc, DialogModes.NO);\"\nend tell\n"},
      {AfterEffectsSaveFrameJavascript("C:\\out\\f.png"),
       "app.project.activeItem.saveFrameToPng(app.project.activeItem.time, new "
       "File(\"C:\\\\out\\\\f.png\"));\r\n"},
  };
  for (const TCase& C : Cases) EXPECT_EQ(C.Got, C.Want);
  const std::string Export = PhotoshopImageExportJavascript(false, "C:\\t\\a\"b.tif", "/t/f.txt");
  EXPECT_NE(Export.find("new File(\"C:/t/a\\\"b.tif\")"), std::string::npos);
  EXPECT_NE(Export.find("new File(\"/t/f.txt\").remove()"), std::string::npos);
  EXPECT_EQ(Export.find('#'), std::string::npos);
  EXPECT_EQ(PhotoshopImageExportJavascript(true, "/a", "/b").find('#'), std::string::npos);
  const std::string Make = PhotoshopMakeAdjustmentLayerScript;
  EXPECT_EQ(Make.rfind("var idMk = charIDToTypeID( \"Mk  \" );var desc528 = new ActionDescriptor();", 0), 0u);
  const std::string End = "executeAction( idMk, desc528, DialogModes.NO );";
  EXPECT_EQ(Make.substr(Make.size() - End.size()), End);
}

class HostBridgeRun : public TCaptureTest {};

TEST_F(HostBridgeRun, PrivateFolderAndHostNotAvailable) {
  if (kromel::testing::ProgramAvailable("osascript")) GTEST_SKIP() << "osascript present";
  const std::string Folder = BridgeFolder();
  ASSERT_FALSE(Folder.empty());
  EXPECT_EQ(Folder.rfind(TempFolder() + "/kromel-bridge-", 0), 0u);
  struct stat St {};
  ASSERT_EQ(::lstat(Folder.c_str(), &St), 0);
  EXPECT_TRUE(S_ISDIR(St.st_mode));
  EXPECT_EQ(St.st_mode & 0777, 0700u);
  // A link planted where the script goes is replaced, not followed.
  kromel::testing::TTestTempDir Outside("kromel_bridge_outside");
  std::ofstream(Outside.File("victim")) << "keep";
  const std::string Jsx = BridgeFilePath(BridgeJavascriptName);
  ::unlink(Jsx.c_str());
  ASSERT_EQ(::symlink(Outside.File("victim").c_str(), Jsx.c_str()), 0);
  PhotoshopAppName = "Adobe Photoshop";
  EXPECT_FALSE(PhotoshopRunJavascriptFile("Adobe Photoshop", "alert(\"x\");"));
  EXPECT_EQ(kromel::testing::ReadText(Outside.File("victim")), "keep");
  EXPECT_EQ(kromel::testing::ReadText(Jsx), "alert(\"x\");\n");
  EXPECT_EQ(kromel::testing::ReadText(BridgeFilePath(BridgeAppleScriptName)),
            PhotoshopRunJavascriptFileText("Adobe Photoshop", Jsx));
  const std::string NotAvailable =
      "The host application Adobe Photoshop is not available: osascript can not be run on this "
      "system";
  EXPECT_EQ(Messages(), std::vector<std::string>{NotAvailable});
  Sink.Clear();
  EXPECT_FALSE(AfterEffectsSaveFrameToPng("After Effects", BridgeFilePath(BridgePngImageName)));
  EXPECT_FALSE(PhotoshopMakeAdjustmentLayer());
  EXPECT_FALSE(PhotoshopDeleteActionSet("Kromel"));
  EXPECT_FALSE(PhotoshopSaveDocumentAsTIFF(BridgeFilePath(BridgeTiffImageName)));
  EXPECT_FALSE(PhotoshopAddLUTLayer("Adobe Photoshop", "Look", 2, "", "C:\\x\".tif", true));
  const std::string Written = kromel::testing::ReadText(Jsx);
  EXPECT_NE(Written.find("app.open(new File(\"C:\\\\x\\\".tif\"))"), std::string::npos);
  EXPECT_EQ(Written.find('#'), std::string::npos);
  EXPECT_EQ(Messages().size(), 5u);
  EXPECT_EQ(Messages().back(), NotAvailable);
}

TEST(HostBridgeFiles, FlagFileAndWaits) {
  kromel::testing::TTestTempDir Dir("kromel_bridge_flag");
  const std::string Flag = Dir.File("KromelFlag.txt");
  std::ofstream(Flag) << "old";
  EXPECT_TRUE(CanCreateFile(Flag));
  EXPECT_EQ(std::filesystem::file_size(Flag), 0u);
  EXPECT_FALSE(CanCreateFile(Dir.File("missing/dir/flag")));
  EXPECT_TRUE(WaitForFileToAppear(Flag, 1));
  EXPECT_FALSE(WaitWhileFileExists(Flag, 1));
  ::unlink(Flag.c_str());
  EXPECT_TRUE(WaitWhileFileExists(Flag, 25));
  EXPECT_FALSE(WaitForFileToAppear(Flag, 0));
}

}  // namespace
}  // namespace kromel
