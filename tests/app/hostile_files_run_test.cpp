// Runs the built program on the hostile files of the fuzz corpora as a user
// would: each given as the image, the preset, the reference image and the
// external LUT. Every run ends quickly without a signal, writes nothing
// into its folder, and a failed run says why.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

extern char** environ;

namespace kromel {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::TTestTempDir;

// A corpus and the extensions its files take as image, preset and LUT.
struct TCorpus {
  const char* Name;
  const char* Image;
  const char* Preset;
  const char* Lut;
};

const TCorpus Corpora[] = {
    {"image_file", ".tif", ".luc", ".cube"},   {"raw_file", ".dng", ".lux", ".cube"},
    {"lut_image", ".png", ".luc", ".cube"},    {"lut_cube", ".png", ".cube", ".cube"},
    {"lut_3dl", ".tif", ".3dl", ".3dl"},       {"lut1d", ".png", ".cube", ".cube"},
    {"cube1d", ".png", ".cube", ".cube"},      {"icc_lut", ".jpg", ".luc", ".icc"},
    {"preset_stream", ".png", ".luc", ".cube"}, {"text_preset", ".png", ".lux", ".cube"},
    {"acv_curves", ".png", ".luc", ".cube"},   {"lrtemplate_curves", ".png", ".lux", ".3dl"},
    {"json_curves", ".png", ".lux", ".cube"},  {"colour_chart", ".png", ".lux", ".3dl"},
    {"dcp_profile", ".tif", ".luc", ".dcp"},   {"dng_xml", ".png", ".lux", ".xml"},
};
// Files taken from each corpus, spread over its sorted names.
constexpr size_t PerCorpus = 3;
constexpr auto TimeLimit = std::chrono::seconds(10);
constexpr size_t RunsAtOnce = 2;

std::vector<fs::path> Pick(const fs::path& Dir) {
  std::vector<fs::path> All;
  for (const auto& E : fs::directory_iterator(Dir))
    if (E.is_regular_file()) All.push_back(E.path());
  std::sort(All.begin(), All.end());
  if (All.size() <= PerCorpus) return All;
  std::vector<fs::path> Some;
  for (size_t I = 0; I < PerCorpus; ++I) Some.push_back(All[I * (All.size() - 1) / (PerCorpus - 1)]);
  return Some;
}

// Names, sizes and times of everything below Dir.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> Listing(const fs::path& Dir) {
  std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> L;
  for (const auto& E : fs::recursive_directory_iterator(Dir))
    L[E.path().string()] = {E.is_regular_file() ? E.file_size() : 0, E.last_write_time()};
  return L;
}

struct TRun {
  std::string What;
  fs::path Folder;
  std::vector<std::string> Args;
  std::string Out;  // standard output and error
  pid_t Pid = 0;
  std::chrono::steady_clock::time_point Start;
  std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> Before;
};

class HostileFilesRun : public ::testing::Test {
protected:
  TTestTempDir Dir{"kromel_hostile"};
  std::vector<std::string> Env;

  void SetUp() override {
    for (char** E = environ; *E != nullptr; ++E)
      if (std::string(*E).rfind("XDG_CONFIG_HOME=", 0) != 0 && std::string(*E).rfind("HOME=", 0) != 0)
        Env.push_back(*E);
    Env.push_back("HOME=" + Dir.File("home"));
    fs::create_directories(Dir.File("home"));
  }

  void Start(TRun& R) {
    R.Before = Listing(R.Folder);
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_addchdir_np(&Actions, R.Folder.c_str());
    posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&Actions, 1, R.Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&Actions, 1, 2);
    std::vector<char*> Argv{const_cast<char*>(KROMEL_PROGRAM)};
    for (auto& A : R.Args) Argv.push_back(A.data());
    Argv.push_back(nullptr);
    std::vector<char*> Envp;
    for (auto& E : Env) Envp.push_back(E.data());
    Envp.push_back(nullptr);
    R.Start = std::chrono::steady_clock::now();
    ASSERT_EQ(posix_spawn(&R.Pid, KROMEL_PROGRAM, &Actions, nullptr, Argv.data(), Envp.data()), 0);
    posix_spawn_file_actions_destroy(&Actions);
  }

  // Waits for R (killing it past the limit) and checks how it ended.
  void Finish(TRun& R) {
    if (R.Pid <= 0) return;  // not started: Start failed the test
    int Status = 0;
    bool Hung = false;
    while (waitpid(R.Pid, &Status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() - R.Start > TimeLimit) {
        kill(R.Pid, SIGKILL);
        waitpid(R.Pid, &Status, 0);
        Hung = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string Text = ReadText(R.Out);
    ASSERT_FALSE(Hung) << R.What << ": still running after " << TimeLimit.count() << " s";
    ASSERT_TRUE(WIFEXITED(Status)) << R.What << ": killed by signal " << WTERMSIG(Status) << "\n"
                                   << Text;
    const int Code = WEXITSTATUS(Status);
    EXPECT_TRUE(Code == 0 || Code == 1) << R.What << ": status " << Code << "\n" << Text;
    EXPECT_TRUE(Code == 0 || !Text.empty()) << R.What << ": failed without a message";
    // Sanitized builds report a fault and exit with a status instead of a signal.
    for (const char* Fault : {"Sanitizer", "runtime error:"})
      EXPECT_EQ(Text.find(Fault), std::string::npos) << R.What << "\n" << Text;
    EXPECT_EQ(Listing(R.Folder), R.Before) << R.What << ": files written\n" << Text;
    // The run keeps its settings there (the other run may be writing its
    // temporary copy) and writes nothing else.
    const fs::path Settings = fs::path(Dir.File("home")) / ".config" / "kromel" / "settings.xml";
    for (const auto& [Name, SizeTime] : Listing(Dir.File("home"))) {
      const fs::path P(Name);
      const bool SettingsFile =
          P == Settings || (P.parent_path() == Settings.parent_path() &&
                            P.filename().string().rfind(".~settings.xml.", 0) == 0);
      EXPECT_TRUE(fs::is_directory(Name) || SettingsFile) << R.What << ": wrote " << Name;
    }
  }
};

TEST_F(HostileFilesRun, EveryRoleEndsQuicklyWithMessageAndNoFile) {
  // Two folders, one per run at a time, each with its photograph and the
  // hostile file under every name it is given by.
  const fs::path Photo = fs::path(KROMEL_FUZZ_CORPUS) / "image_file" / "rgb8.png";
  ASSERT_TRUE(fs::exists(Photo));
  std::vector<TRun> Runs;
  size_t Files = 0;
  for (const TCorpus& C : Corpora) {
    const fs::path Corpus = fs::path(KROMEL_FUZZ_CORPUS) / C.Name;
    ASSERT_TRUE(fs::is_directory(Corpus)) << Corpus;
    for (const fs::path& F : Pick(Corpus)) {
      const fs::path Folder = Dir.File("run" + std::to_string(Files++));
      fs::create_directories(Folder);
      fs::copy_file(Photo, Folder / "photo.png");
      std::string Image = "hostile" + std::string(C.Image);
      if (std::string(C.Name) == "image_file" && F.has_extension()) Image = "hostile" + F.extension().string();
      const std::string Preset = "hostile" + std::string(C.Preset);
      const std::string Lut = "hostile_lut" + std::string(C.Lut);
      for (const std::string& Name : {Image, Preset, Lut})
        fs::copy_file(F, Folder / Name, fs::copy_options::overwrite_existing);
      const std::string What = std::string(C.Name) + "/" + F.filename().string();
      const auto Add = [&](const std::string& Role, std::vector<std::string> Args) {
        TRun R;
        R.What = What + " as " + Role;
        R.Folder = Folder;
        R.Args = std::move(Args);
        R.Out = Dir.File("out" + std::to_string(Runs.size()) + ".txt");
        Runs.push_back(std::move(R));
      };
      Add("image and preset", {Image, Preset, "-QUIT"});
      Add("reference and external LUT", {"photo.png", Image, "-ACTION:LOADEXTLUT:" + Lut, "-QUIT"});
    }
  }
  // Never two runs in one folder at once: each run's folder check is its own.
  for (size_t First = 0; First < Runs.size(); First += RunsAtOnce) {
    const size_t End = std::min(Runs.size(), First + RunsAtOnce);
    for (size_t I = First; I < End; ++I) Start(Runs[I]);
    for (size_t I = First; I < End; ++I) Finish(Runs[I]);
  }
  EXPECT_GE(Files, 30u);
}

}  // namespace
}  // namespace kromel
