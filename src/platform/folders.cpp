#include "platform/folders.h"

#include <cstdlib>
#include <sys/stat.h>

namespace kromel {

namespace {
std::string EnvOr(const char* Name, const std::string& Fallback) {
  const char* V = std::getenv(Name);
  return (V && *V) ? std::string(V) : Fallback;
}
std::string StripTrailingSlashes(std::string S) {
  while (S.size() > 1 && S.back() == '/') S.pop_back();
  return S;
}
}  // namespace

std::string TempFolder() { return StripTrailingSlashes(EnvOr("TMPDIR", "/tmp")); }

std::string ConfigFolder() {
  std::string Base = EnvOr("XDG_CONFIG_HOME", "");
  if (Base.empty()) Base = EnvOr("HOME", "/tmp") + "/.config";
  return StripTrailingSlashes(Base) + "/kromel";
}

bool DirectoryExists(const std::string& Path) {
  struct stat St;
  return !Path.empty() && stat(Path.c_str(), &St) == 0 && S_ISDIR(St.st_mode);
}

bool FileExists(const std::string& Path) {
  struct stat St;
  return !Path.empty() && stat(Path.c_str(), &St) == 0 && S_ISREG(St.st_mode);
}

}  // namespace kromel
