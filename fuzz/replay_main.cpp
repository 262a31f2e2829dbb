// Runs a fuzz target once on every file named on the command line, or in
// the folders named there: how builds without libFuzzer replay a corpus.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<fs::path> Files;
  for (int I = 1; I < argc; ++I) {
    const fs::path P = argv[I];
    std::error_code Ec;
    if (fs::is_directory(P, Ec)) {
      for (const auto& E : fs::directory_iterator(P, Ec))
        if (E.is_regular_file()) Files.push_back(E.path());
    } else if (fs::is_regular_file(P, Ec)) {
      Files.push_back(P);
    } else {
      std::fprintf(stderr, "%s: no such file or folder\n", argv[I]);
      return 1;
    }
  }
  if (Files.empty()) {
    std::fprintf(stderr, "no inputs to replay\n");
    return 1;
  }
  std::sort(Files.begin(), Files.end());
  for (const fs::path& P : Files) {
    std::ifstream In(P, std::ios::binary);
    const std::vector<char> Bytes{std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    if (In.bad()) {
      std::fprintf(stderr, "%s: cannot read\n", P.c_str());
      return 1;
    }
    // A buffer of exactly the input's size, as libFuzzer gives, so that
    // the sanitizers see a read past its end.
    std::unique_ptr<uint8_t[]> Data(new uint8_t[Bytes.size()]);
    std::copy(Bytes.begin(), Bytes.end(), Data.get());
    LLVMFuzzerTestOneInput(Data.get(), Bytes.size());
  }
  std::printf("replayed %zu inputs\n", Files.size());
  return 0;
}
