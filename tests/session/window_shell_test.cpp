#include "session/window_shell.h"

#include <gtest/gtest.h>

namespace kromel {
namespace {

TEST(WindowShell, CommandShortcuts) {
  const struct {
    uint16_t In, Out;
  } Cases[] = {{0x405A, 0x105A}, {0x605A, 0x305A}, {0xC031, 0x9031}, {0x2074, 0x2074}, {0x0070, 0x0070}};
  for (const auto& C : Cases) EXPECT_EQ(ConvertShortcutToCmd(C.In), C.Out) << std::hex << C.In;
}

TWindowPlacement Place(int32_t L, int32_t T, int32_t W, int32_t H) {
  TWindowPlacement P;
  P.Left = L;
  P.Top = T;
  P.Width = W;
  P.Height = H;
  return P;
}

TEST(WindowShell, PlacementIsClampedToTheScreen) {
  TStoredPlacement S;
  S.Left = 1900;
  S.Top = 0;
  S.Width = 3000;
  S.Height = 2000;
  const TWindowPlacement P = RestorePlacement(S, Place(10, 10, 800, 600), 1920, 1080);
  EXPECT_EQ(P.Left, 1820);
  EXPECT_EQ(P.Top, 15);
  EXPECT_EQ(P.Width, 1920);
  EXPECT_EQ(P.Height, 1040);
  // Never stored: centred, within the screen; unknown screen: 1920 x 800.
  const TWindowPlacement First = RestorePlacement({}, Place(0, 0, 800, 600), 1920, 1080);
  EXPECT_EQ(First.Left, 560);
  EXPECT_EQ(First.Top, 240);
  const TWindowPlacement Unknown = RestorePlacement({}, Place(0, 0, 2500, 900), 0, 0);
  EXPECT_EQ(Unknown.Width, 1920);
  EXPECT_EQ(Unknown.Height, 760);
}

TEST(WindowShell, UpdateReplies) {
  const struct {
    const char* Text;
    bool Show, Store;
  } Cases[] = {{"1.52", false, true},
               {"1.52001", false, true},
               {"1.53", true, true},
               {"\xEF\xBB\xF8" "1.60\n", true, true},
               {"\xF8" "x" "\xF8" "1.60", false, false},
               {"0.5", false, false},
               {"No internet", false, false},
               {"500 Internal Server Error", false, false},
               {"<html><body>404 Not Found</body></html>", false, false},
               {"1e9", false, false},
               {"", false, false}};
  for (const auto& C : Cases) {
    const TUpdateReply R = ParseUpdateReply(C.Text);
    EXPECT_EQ(R.NewVersion, C.Show) << C.Text;
    EXPECT_EQ(R.StoreCheckTime, C.Store) << C.Text;
  }
}

TEST(WindowShell, PagesWrapAndSkipEmptyCaptions) {
  const std::vector<std::string> Pages = {"Channels", "Volume", "A/B", "C/L", "Curves", "2DCurves", "Mask"};
  EXPECT_EQ(NextPageIndex(Pages, 6, true), 0);
  EXPECT_EQ(NextPageIndex(Pages, 0, false), 6);
  EXPECT_EQ(NextPageIndex(Pages, 2, true), 3);
  const std::vector<std::string> Gaps = {"A", "", "", "D"};
  EXPECT_EQ(NextPageIndex(Gaps, 0, true), 3);
  EXPECT_EQ(NextPageIndex(Gaps, 3, true), 0);
  EXPECT_EQ(NextPageIndex({"", "B", ""}, 1, true), 1);
  EXPECT_EQ(NextPageIndex({}, 4, true), 4);
}

TEST(WindowShell, CaptionPieces) {
  TCaptionState S;
  EXPECT_EQ(BuildCaption(S), "Kromel Pro");
  S.ImageFileName = "photo.jpg";
  S.ImageProfileDescription = "sRGB";
  S.ProfileDiscarded = true;
  S.PresetModified = true;
  S.WrongImageProfile = true;
  S.ClipWarnings = true;
  S.PluginConnected = true;
  S.Saving = true;
  EXPECT_EQ(BuildCaption(S),
            "Kromel Pro - photo.jpg (sRGB Discarded)* !WRONG IMAGE PROFILE! (Clip warnings) "
            "[Plug-in Connected] Saving...");
  S = {};
  S.CMSDisabled = S.WrongImageProfile = true;
  S.PluginConnected = S.PluginImageOpen = true;
  S.PluginDocumentName = "Doc";
  S.PluginDocumentNumber = 7;
  EXPECT_EQ(BuildCaption(S), "Kromel Pro !CMS DISABLED! [Plug-in Connected: Doc/7]");
}

TEST(WindowShell, ControlValueNames) {
  const struct {
    const char *In, *Out;
  } Cases[] = {{"LUTSizeComboBox", "LUTSize"},
               {"PersonalAccountPasswordEdit", "PersonalAccountPassword"},
               {"FavoriteLUTFolderDirectorySelector", "FavoriteLUTFolder"},
               {"LutSaveDirectory", "LutSaveDirectory"},
               {"MyEDITorCheckboxThing", "MyorThing"}};
  for (const auto& C : Cases) EXPECT_EQ(ControlValueName(C.In), C.Out);
}

}  // namespace
}  // namespace kromel
