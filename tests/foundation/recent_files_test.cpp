#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "foundation/recent_files.h"
#include "platform/settings_store.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
using kromel::testing::TCaptureTest;
using kromel::testing::TScopedEnv;
using kromel::testing::TTestTempDir;
using kromel::testing::WriteText;
namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "Software\\Kromel\\";

std::vector<std::string> Items(const TRecentFiles& R) { return R.Names.ToStringList(); }

std::vector<std::string> Numbered(int From, int To) {
  std::vector<std::string> R;
  for (int I = From; I >= To; --I) R.push_back("/img/" + std::to_string(I) + ".jpg");
  return R;
}

// Each test has a settings store of its own under a fresh configuration folder.
class RecentFiles : public TCaptureTest {
protected:
  // What the file on disk holds, read apart from the process's copy.
  std::unique_ptr<TRegistry> OnDisk() {
    auto R = std::make_unique<TRegistry>(std::make_shared<TSettingsFile>(TSettingsFile::UserFileName()));
    EXPECT_TRUE(R->OpenKeyReadOnly(kKey));
    return R;
  }
  void Store(const std::vector<std::pair<std::string, std::string>>& Values) {
    TRegistry R;
    ASSERT_TRUE(R.OpenKey(kKey, true));
    for (const auto& [Name, Value] : Values) R.WriteString(Name, Value);
  }

  TTestTempDir Dir{"kromel_recent"};
  TScopedEnv Config{"XDG_CONFIG_HOME", Dir.Path.string()};
};

}  // namespace

TEST(RecentFilesList, NewestFirstMovedToTopAtMostTen) {
  TRecentFiles R;
  for (int I = 1; I <= 11; ++I) R.Add("/img/" + std::to_string(I) + ".jpg");
  EXPECT_EQ(Items(R), Numbered(11, 2));

  R.Add("/img/7.jpg");  // at index 4
  std::vector<std::string> Expected = {"/img/7.jpg", "/img/11.jpg", "/img/10.jpg", "/img/9.jpg",
                                       "/img/8.jpg", "/img/6.jpg",  "/img/5.jpg",  "/img/4.jpg",
                                       "/img/3.jpg", "/img/2.jpg"};
  EXPECT_EQ(Items(R), Expected);

  R.Add("/IMG/7.JPG");  // case counts: a new entry, the oldest drops out
  EXPECT_EQ(R.Names.GetCount(), 10);
  EXPECT_EQ(R.Names.Get(0), "/IMG/7.JPG");
  EXPECT_EQ(R.Names.Get(1), "/img/7.jpg");
  EXPECT_EQ(R.Names.IndexOf("/img/2.jpg"), -1);
}

TEST(RecentFilesList, MenuFollowsTheNames) {
  TRecentFiles R;
  TMenuItem Menu("Recent images");
  for (int I = 1; I <= 5; ++I) R.Add("/img/" + std::to_string(I) + ".jpg");
  R.UpdateMenu(Menu);
  ASSERT_EQ(Menu.Count(), 5);
  EXPECT_TRUE(Menu.Enabled);
  TMenuItem* Kept = Menu.Items(0);

  for (int I = 0; I < 2; ++I) R.Names.Delete(0);
  R.UpdateMenu(Menu);
  ASSERT_EQ(Menu.Count(), 3);
  EXPECT_EQ(Menu.Items(0), Kept);  // existing children are reused
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Menu.Items(I)->Tag, I);
    EXPECT_EQ(Menu.Items(I)->Caption, R.Names.Get(I));
  }

  R.Names.Clear();
  R.UpdateMenu(Menu);
  EXPECT_EQ(Menu.Count(), 0);
  EXPECT_FALSE(Menu.Enabled);
}

TEST_F(RecentFiles, ClickOpensThenDropsAGoneFile) {
  const std::string Present = Dir.File("present.jpg");
  const std::string Gone = Dir.File("gone.jpg");
  WriteText(Present, "x");
  TRecentFiles R;
  TMenuItem Menu;
  R.Add(Dir.Path.string());  // a folder counts as present
  R.Add(Gone);
  R.Add(Present);
  std::vector<std::string> Opened;
  R.OnOpen = [&](const std::string& Name) { Opened.push_back(Name); };
  R.UpdateMenu(Menu);
  Menu.Items(1)->Click();  // Gone: opened all the same, then removed
  EXPECT_EQ(Opened, std::vector<std::string>{Gone});
  EXPECT_EQ(Items(R), (std::vector<std::string>{Present, Dir.Path.string()}));
  ASSERT_EQ(Menu.Count(), 2);
  EXPECT_EQ(Menu.Items(1)->Caption, Dir.Path.string());

  // A handler that adds the clicked name moves it to the top: the gone name
  // is still the one dropped, not the present one now at the clicked index.
  R.Names.Add(Gone);
  R.UpdateMenu(Menu);
  ASSERT_EQ(Menu.Items(2)->Caption, Gone);
  R.OnOpen = [&](const std::string& Name) {
    R.Add(Name);
    R.UpdateMenu(Menu);
  };
  Menu.Items(2)->Click();
  EXPECT_EQ(Items(R), (std::vector<std::string>{Present, Dir.Path.string()}));
  EXPECT_EQ(Menu.Count(), 2);

  // A handler that empties the list is no failure.
  R.OnOpen = [&](const std::string&) { R.Names.Clear(); };
  Menu.Items(1)->Click();
  EXPECT_EQ(R.Names.GetCount(), 0);
  EXPECT_TRUE(Errors().empty());

  // An exception from the handler is reported and the list stays.
  R.Add(Present);
  R.UpdateMenu(Menu);
  R.OnOpen = [](const std::string&) { throw std::runtime_error("cannot load"); };
  Menu.Items(0)->Click();
  EXPECT_EQ(Errors(), std::vector<std::string>{"Exception in TRecentFiles.MenuClick"});
  EXPECT_EQ(Items(R), std::vector<std::string>{Present});
}

TEST_F(RecentFiles, LoadSkipsMissingNumbersAndClosesGaps) {
  Store({{"RecentFileImages1", "/a.jpg"},
         {"RecentFileImages3", "/c.jpg"},
         {"RecentFileImages10", "/j.jpg"},
         {"RecentFileImages11", "/beyond.jpg"},
         {"RecentFilePresets1", "/p.lux"}});
  TRecentFiles R;
  R.Add("/old.jpg");
  R.LoadFromRegistry("Kromel", "Images");
  EXPECT_EQ(Items(R), (std::vector<std::string>{"/a.jpg", "/c.jpg", "/j.jpg"}));
  R.LoadFromRegistry("Other", "Images");  // no such key: empty
  EXPECT_EQ(R.Names.GetCount(), 0);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(RecentFiles, SaveDeletesValuesAboveTheCount) {
  TRecentFiles R;
  for (int I = 1; I <= 10; ++I) R.Add("/img/" + std::to_string(I) + ".jpg");
  R.SaveToRegistry("Kromel", "Images");
  EXPECT_EQ(OnDisk()->ReadString("RecentFileImages10"), "/img/1.jpg");

  // The list shrinks to 9; the stale tenth value must not come back.
  R.Names.Delete(9);
  R.SaveToRegistry("Kromel", "Images");
  auto Disk = OnDisk();
  EXPECT_FALSE(Disk->ValueExists("RecentFileImages10"));
  EXPECT_EQ(Disk->ReadString("RecentFileImages1"), "/img/10.jpg");
  TRecentFiles Back;
  Back.LoadFromRegistry("Kromel", "Images");
  EXPECT_EQ(Items(Back), Numbered(10, 2));

  // An emptied list removes all its values and leaves other lists alone.
  TRecentFiles Presets;
  Presets.Add("/p.lux");
  Presets.SaveToRegistry("Kromel", "Presets");
  R.Names.Clear();
  R.SaveToRegistry("Kromel", "Images");
  Disk = OnDisk();
  EXPECT_EQ(Disk->GetValueNames(), std::vector<std::string>{"RecentFilePresets1"});
  EXPECT_TRUE(Errors().empty());
}

TEST_F(RecentFiles, UnreadableStoredValueIsReported) {
  {
    TRegistry S;
    ASSERT_TRUE(S.OpenKey(kKey, true));
    S.WriteString("RecentFileLUTs1", "/a.cube");
    S.WriteInteger("RecentFileLUTs2", 5);
  }
  TRecentFiles R;
  R.LoadFromRegistry("Kromel", "LUTs");
  EXPECT_EQ(Errors(), std::vector<std::string>{"Exception in TRecentFiles.LoadFromRegistry"});
  EXPECT_EQ(Items(R), std::vector<std::string>{"/a.cube"});
}
