#include "platform/command_line.h"

#include <mutex>

namespace kromel {

namespace {
std::mutex GLock;
std::vector<std::string>& Args() {
  static std::vector<std::string> A;
  return A;
}
}  // namespace

void SetCommandLine(int Argc, const char* const* Argv) {
  std::vector<std::string> A;
  for (int I = 0; I < Argc; ++I) A.emplace_back(Argv[I] ? Argv[I] : "");
  SetCommandLine(std::move(A));
}

void SetCommandLine(std::vector<std::string> A) {
  std::lock_guard<std::mutex> Guard(GLock);
  Args() = std::move(A);
}

int ParamCount() {
  std::lock_guard<std::mutex> Guard(GLock);
  return Args().empty() ? 0 : static_cast<int>(Args().size()) - 1;
}

std::string ParamStr(int I) {
  std::lock_guard<std::mutex> Guard(GLock);
  if (I < 0 || I >= static_cast<int>(Args().size())) return {};
  return Args()[I];
}

}  // namespace kromel
