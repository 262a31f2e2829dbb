#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "platform/settings_store.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

using namespace kromel;
using kromel::testing::ReadText;
using kromel::testing::RunOnThreadsTogether;
using kromel::testing::TScopedEnv;
using kromel::testing::TTestTempDir;
using kromel::testing::WriteText;
namespace fs = std::filesystem;

namespace {

constexpr const char* kKey = "Software\\Kromel\\";

class SettingsStore : public ::testing::Test {
protected:
  void SetUp() override {
    Sink.EchoToStderr = false;
    SetMessageSink(&Sink);
  }
  void TearDown() override { SetMessageSink(nullptr); }
  std::shared_ptr<TSettingsFile> Fresh() const { return std::make_shared<TSettingsFile>(FileName); }

  TTestTempDir Dir{"kromel_settings"};
  std::string FileName = Dir.File("settings.xml");
  THeadlessMessageSink Sink;
};

const std::vector<std::string> kTexts = {
    "",
    "plain",
    "<tag attr=\"v\"> & 'q' &amp; ]]>",
    "line one\nline two\n",
    "crlf\r\nand cr\r",
    "  leading and trailing  \t",
    "Grüße, Цвет, 色彩 \xF0\x9F\x8E\xA8",
    "C:\\path\\with\\backslashes\\",
};

}  // namespace

TEST_F(SettingsStore, EveryValueTypeRoundTripsThroughTheFile) {
  const std::vector<int32_t> Ints = {0, 51, -1, std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max()};
  const std::vector<double> Floats = {0.0, 0.1, -2.5e-300, 1.0 / 3.0, 4.9e-324, 1e308};
  {
    TRegistry R(Fresh());
    ASSERT_TRUE(R.OpenKey(kKey, true));
    for (size_t I = 0; I < Ints.size(); ++I) R.WriteInteger("Int" + std::to_string(I), Ints[I]);
    R.WriteBool("True", true);
    R.WriteBool("False", false);
    for (size_t I = 0; I < kTexts.size(); ++I) R.WriteString("Text" + std::to_string(I), kTexts[I]);
    for (size_t I = 0; I < Floats.size(); ++I) R.WriteFloat("Float" + std::to_string(I), Floats[I]);
    R.WriteDateTime("LastUpdateCheck", 45678.123456789);
    EXPECT_TRUE(R.Flush());
  }
  EXPECT_NE(ReadText(FileName).find("path=\"Software\\Kromel\\\""), std::string::npos);

  TRegistry R(Fresh());
  ASSERT_TRUE(R.OpenKeyReadOnly("Software\\Kromel"));
  for (size_t I = 0; I < Ints.size(); ++I) {
    EXPECT_EQ(R.GetDataType("Int" + std::to_string(I)), TRegDataType::Integer);
    EXPECT_EQ(R.ReadInteger("Int" + std::to_string(I)), Ints[I]);
  }
  EXPECT_EQ(R.GetDataType("True"), TRegDataType::Boolean);
  EXPECT_TRUE(R.ReadBool("True"));
  EXPECT_FALSE(R.ReadBool("False"));
  for (size_t I = 0; I < kTexts.size(); ++I) {
    EXPECT_EQ(R.GetDataType("Text" + std::to_string(I)), TRegDataType::String);
    EXPECT_EQ(R.ReadString("Text" + std::to_string(I)), kTexts[I]) << "text " << I;
  }
  for (size_t I = 0; I < Floats.size(); ++I)
    EXPECT_EQ(R.ReadFloat("Float" + std::to_string(I)), Floats[I]) << "float " << I;
  EXPECT_EQ(R.GetDataType("LastUpdateCheck"), TRegDataType::DateTime);
  EXPECT_EQ(R.ReadDateTime("LastUpdateCheck"), 45678.123456789);
  EXPECT_TRUE(Sink.Messages().empty());
}

TEST_F(SettingsStore, ReadsOfMissingOrOtherTypedValuesFail) {
  TRegistry R(Fresh());
  EXPECT_THROW(R.WriteInteger("X", 1), ERegistryException);  // no key open
  EXPECT_FALSE(R.OpenKey(kKey, false));
  ASSERT_TRUE(R.OpenKey(kKey, true));
  R.WriteString("SettingsVersion", "fifty-one");
  R.WriteInteger("Flag", 1);
  R.WriteBool("On", true);
  R.WriteFloat("F", 1.5);
  EXPECT_THROW(R.ReadInteger("SettingsVersion"), ERegistryException);
  EXPECT_THROW(R.ReadInteger("Missing"), ERegistryException);
  EXPECT_THROW(R.ReadBool("Missing"), ERegistryException);
  EXPECT_THROW(R.ReadFloat("SettingsVersion"), ERegistryException);
  EXPECT_THROW(R.ReadString("Flag"), ERegistryException);
  EXPECT_EQ(R.ReadString("Missing"), "");
  EXPECT_TRUE(R.ReadBool("Flag"));  // integers and Booleans read as each other
  EXPECT_EQ(R.ReadInteger("On"), 1);
  EXPECT_EQ(R.ReadDateTime("F"), 1.5);
  EXPECT_EQ(R.GetDataType("Missing"), TRegDataType::None);

  // A value written over with another type takes the new type.
  R.WriteInteger("SettingsVersion", 51);
  EXPECT_EQ(R.ReadInteger("SettingsVersion"), 51);

  // Key paths ignore doubled and outer separators; parents exist.
  EXPECT_TRUE(R.KeyExists("\\Software\\\\Kromel"));
  EXPECT_TRUE(R.KeyExists("Software"));
  EXPECT_FALSE(R.KeyExists("Software\\Krome"));
}

TEST_F(SettingsStore, DeletedValuesAndKeysStayDeletedInTheFile) {
  {
    TRegistry R(Fresh());
    ASSERT_TRUE(R.OpenKey(kKey, true));
    R.WriteString("A", "a");
    R.WriteString("B", "b");
    R.WriteString("C", "c");
    EXPECT_TRUE(R.DeleteValue("B"));
    EXPECT_FALSE(R.DeleteValue("B"));
    EXPECT_EQ(R.GetValueNames(), (std::vector<std::string>{"A", "C"}));
    ASSERT_TRUE(R.OpenKey("Software\\Kromel\\Old", true));
    R.WriteInteger("X", 1);
    R.CloseKey();
  }
  {
    TRegistry R(Fresh());
    ASSERT_TRUE(R.OpenKey(kKey, false));
    EXPECT_EQ(R.GetValueNames(), (std::vector<std::string>{"A", "C"}));
    EXPECT_FALSE(R.ValueExists("B"));
    EXPECT_TRUE(R.DeleteKey("Software\\Kromel\\Old"));
    EXPECT_TRUE(R.ValueExists("A"));  // the parent keeps its values
  }
  TRegistry R(Fresh());
  EXPECT_FALSE(R.KeyExists("Software\\Kromel\\Old"));
  EXPECT_TRUE(R.KeyExists(kKey));
  EXPECT_THROW(
      {
        ASSERT_TRUE(R.OpenKeyReadOnly(kKey));
        R.WriteString("A", "changed");
      },
      ERegistryException);
}

TEST_F(SettingsStore, UnreadableFilesGiveAnEmptyStoreOneMessageAndAreKept) {
  std::string Whole;
  {
    TRegistry R(Fresh());
    ASSERT_TRUE(R.OpenKey(kKey, true));
    R.WriteInteger("SettingsVersion", 51);
    R.WriteString("CustomICC", "/profiles/monitor.icc");
  }
  Whole = ReadText(FileName);
  ASSERT_FALSE(Whole.empty());

  struct TCase {
    const char* Name;
    std::string Bytes;
  };
  const std::vector<TCase> Cases = {
      {"empty", ""},
      {"truncated", Whole.substr(0, Whole.size() / 2)},
      {"cut before the closing root", Whole.substr(0, Whole.rfind("</settings>"))},
      {"not XML", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
      {"foreign XML", "<?xml version=\"1.0\"?><config><key path=\"Software\\Kromel\\\"/></config>"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Sink.Clear();
    fs::remove(FileName + ".bad");
    WriteText(FileName, C.Bytes);
    auto F = Fresh();
    EXPECT_FALSE(F->LoadError().empty());
    EXPECT_FALSE(F->KeyExists(kKey));
    ASSERT_EQ(Sink.Messages().size(), 1u);
    EXPECT_NE(Sink.Messages()[0].find("Could not read the settings file " + FileName),
              std::string::npos);
    if (!C.Bytes.empty()) {
      EXPECT_EQ(ReadText(FileName + ".bad"), C.Bytes);
    }

    // Saving afterwards writes a whole new file and leaves the old bytes aside.
    TRegistry R(F);
    ASSERT_TRUE(R.OpenKey(kKey, true));
    R.WriteInteger("SettingsVersion", 51);
    EXPECT_TRUE(R.Flush());
    TRegistry Back(Fresh());
    ASSERT_TRUE(Back.OpenKeyReadOnly(kKey));
    EXPECT_EQ(Back.GetValueNames(), std::vector<std::string>{"SettingsVersion"});
    if (!C.Bytes.empty()) {
      EXPECT_EQ(ReadText(FileName + ".bad"), C.Bytes);
    }
  }

  // A missing file is a first run: empty, without a message.
  Sink.Clear();
  fs::remove(FileName);
  auto F = Fresh();
  EXPECT_TRUE(F->LoadError().empty());
  EXPECT_FALSE(F->KeyExists(kKey));
  EXPECT_TRUE(Sink.Messages().empty());
}

TEST_F(SettingsStore, UnknownValueTypesAreKeptButNotRead) {
  WriteText(FileName,
            "<?xml version=\"1.0\"?><settings version=\"1\"><key path=\"Software\\Kromel\\\">"
            "<value name=\"Blob\" type=\"binary\" data=\"00ff\"/>"
            "<value name=\"N\" type=\"integer\" data=\"12x\"/></key></settings>");
  {
    TRegistry R(Fresh());
    ASSERT_TRUE(R.OpenKey(kKey, false));
    EXPECT_EQ(R.GetDataType("Blob"), TRegDataType::Unknown);
    EXPECT_THROW(R.ReadString("Blob"), ERegistryException);
    EXPECT_THROW(R.ReadInteger("N"), ERegistryException);  // not a number
    R.WriteInteger("Other", 3);
  }
  EXPECT_NE(ReadText(FileName).find("type=\"binary\" data=\"00ff\""), std::string::npos);
  EXPECT_TRUE(Sink.Messages().empty());
}

TEST_F(SettingsStore, UserStoreIsOneFileUnderTheConfigFolderSharedByEveryHandle) {
  TScopedEnv Config("XDG_CONFIG_HOME", Dir.Path.string() + "/config");
  const std::string Expected = Dir.Path.string() + "/config/kromel/settings.xml";
  EXPECT_EQ(TSettingsFile::UserFileName(), Expected);
  TRegistry A;
  TRegistry B;
  EXPECT_EQ(&A.File(), &B.File());
  ASSERT_TRUE(A.OpenKey(kKey, true));
  A.WriteString("ProgramPath", "/opt/kromel");
  ASSERT_TRUE(B.OpenKey(kKey, false));
  EXPECT_EQ(B.ReadString("ProgramPath"), "/opt/kromel");
  A.CloseKey();
  EXPECT_TRUE(fs::exists(Expected));  // the folder is made on save
  EXPECT_FALSE(A.File().Modified());
}

TEST_F(SettingsStore, ConcurrentSavesOfTwoCopiesLeaveOneWholeFile) {
  // Two copies of one file stand for two processes saving at once.
  auto First = Fresh();
  auto Second = Fresh();
  RunOnThreadsTogether(2, [&](int Which) {
    TRegistry R(Which == 0 ? First : Second);
    ASSERT_TRUE(R.OpenKey(kKey, true));
    for (int I = 0; I < 60; ++I) {
      R.WriteInteger("Writer", Which);
      R.WriteString("Payload", std::string(2000 + I, char('a' + Which)));
      R.WriteInteger("Round", I);
      EXPECT_TRUE(R.Flush());
    }
  });
  Sink.Clear();
  TRegistry R(Fresh());
  EXPECT_TRUE(Sink.Messages().empty());
  ASSERT_TRUE(R.OpenKey(kKey, false));
  const int32_t Writer = R.ReadInteger("Writer");
  EXPECT_EQ(R.ReadInteger("Round"), 59);
  EXPECT_EQ(R.ReadString("Payload"), std::string(2059, char('a' + Writer)));
  int Files = 0;
  for (const auto& E : fs::directory_iterator(Dir.Path)) {
    (void)E;
    ++Files;
  }
  EXPECT_EQ(Files, 1);  // no temporary file left behind
}

TEST_F(SettingsStore, FailedSaveKeepsTheChangesPending) {
  // The folder cannot be made while a plain file holds its name.
  const fs::path Blocked = Dir.Path / "blocked";
  WriteText(Blocked.string(), "x");
  auto F = std::make_shared<TSettingsFile>((Blocked / "settings.xml").string());
  TRegistry R(F);
  ASSERT_TRUE(R.OpenKey(kKey, true));
  R.WriteInteger("X", 1);
  EXPECT_FALSE(R.Flush());
  EXPECT_TRUE(F->Modified());
  fs::remove(Blocked);
  EXPECT_TRUE(R.Flush());
  EXPECT_FALSE(F->Modified());
}

// Text that XML 1.0 cannot carry (control characters, broken UTF-8) goes
// into the file in a form other XML readers accept and reads back whole.
TEST_F(SettingsStore, ControlCharactersKeepTheFileValidXml) {
  const std::vector<std::string> Odd = {
      std::string("nul\0inside", 10), "bell\a and escape \x1b[0m", "form\ffeed\vtab",
      "broken \xC3 utf-8 \xFF", "surrogate \xED\xA0\x80", "noncharacter \xEF\xBF\xBF", "\x7F del is fine"};
  const std::string OddKey = "Software\\Kromel\\Odd\x01Key";
  {
    TRegistry R(Fresh());
    ASSERT_TRUE(R.OpenKey(kKey, true));
    for (size_t I = 0; I < Odd.size(); ++I) R.WriteString("Text" + std::to_string(I), Odd[I]);
    R.WriteString("name\x02with control", "v");
    ASSERT_TRUE(R.OpenKey(OddKey, true));
    R.WriteInteger("N", 7);
    EXPECT_TRUE(R.Flush());
  }
  // Plain text stays plain.
  EXPECT_NE(ReadText(FileName).find("data=\"\x7F del is fine\""), std::string::npos);
  TRegistry R(Fresh());
  ASSERT_TRUE(R.OpenKeyReadOnly(kKey));
  for (size_t I = 0; I < Odd.size(); ++I)
    EXPECT_EQ(R.ReadString("Text" + std::to_string(I)), Odd[I]) << I;
  EXPECT_EQ(R.ReadString("name\x02with control"), "v");
  ASSERT_TRUE(R.OpenKeyReadOnly(OddKey));
  EXPECT_EQ(R.ReadInteger("N"), 7);
  EXPECT_TRUE(Sink.Messages().empty());
  if (!kromel::testing::ProgramAvailable("xmllint")) GTEST_SKIP() << "xmllint not installed";
  EXPECT_EQ(kromel::testing::RunProgram({"xmllint", "--noout", FileName}, Dir.File("lint.txt")), 0)
      << ReadText(Dir.File("lint.txt"));
}

// Every unreadable file is kept under a name of its own; when none is free
// the file stays in place and the store never saves over it.
TEST_F(SettingsStore, KeptAsideCopiesAreNeverReplaced) {
  for (int I = 0; I < 3; ++I) {
    WriteText(FileName, "junk " + std::to_string(I));
    auto F = Fresh();
    TRegistry R(F);
    ASSERT_TRUE(R.OpenKey(kKey, true));
    R.WriteInteger("Run", I);
    EXPECT_TRUE(R.Flush());
  }
  EXPECT_EQ(ReadText(FileName + ".bad"), "junk 0");
  EXPECT_EQ(ReadText(FileName + ".bad.1"), "junk 1");
  EXPECT_EQ(ReadText(FileName + ".bad.2"), "junk 2");
  EXPECT_EQ(Sink.Messages().size(), 3u);
  EXPECT_NE(Sink.Messages()[2].find("kept as " + FileName + ".bad.2"), std::string::npos);

  for (int I = 3; I < 1000; ++I) WriteText(FileName + ".bad." + std::to_string(I), "older");
  WriteText(FileName, "junk to keep");
  Sink.Clear();
  auto F = Fresh();
  ASSERT_EQ(Sink.Messages().size(), 1u);
  EXPECT_NE(Sink.Messages()[0].find("settings are not saved"), std::string::npos);
  TRegistry R(F);
  ASSERT_TRUE(R.OpenKey(kKey, true));
  R.WriteInteger("Run", 9);
  EXPECT_FALSE(R.Flush());
  EXPECT_EQ(ReadText(FileName), "junk to keep");
}
