// A folder of the test's own under the temporary folder, unique per process
// and instance (tests run in parallel), removed afterwards.
#pragma once
#include <filesystem>
#include <string>
#include <unistd.h>

namespace kromel::testing {

class TTestTempDir {
public:
  explicit TTestTempDir(const std::string& Prefix = "kromel_test") {
    static int Counter = 0;
    Path = std::filesystem::temp_directory_path() /
           (Prefix + "_" + std::to_string(::getpid()) + "_" + std::to_string(Counter++));
    std::filesystem::remove_all(Path);
    std::filesystem::create_directories(Path);
  }
  ~TTestTempDir() {
    std::error_code Ignored;
    std::filesystem::remove_all(Path, Ignored);
  }
  TTestTempDir(const TTestTempDir&) = delete;
  TTestTempDir& operator=(const TTestTempDir&) = delete;
  std::string File(const std::string& Name) const { return (Path / Name).string(); }
  std::filesystem::path Path;
};

}  // namespace kromel::testing
