#include "foundation/error_sink.h"

#include <cstdio>

namespace kromel {

TErrorMessageCallback ErrorMessageProc = &ConsoleWriteLn;

void ConsoleWriteLn(const std::string& Text) {
  std::fwrite(Text.data(), 1, Text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace kromel
