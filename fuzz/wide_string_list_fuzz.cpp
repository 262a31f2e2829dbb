// The wide-string list's readers: the UTF-16LE file form (up to its first
// empty line), streams with or without a byte-order mark, and the streamed
// "Strings" property of UTF-7 texts. A list read from the file form must
// save and load back unchanged; a malformed UTF-7 item changes nothing.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/files.h"
#include "foundation/wide_string_list.h"
#include "foundation/wide_string_utils.h"
#include "fuzz_support.h"

using namespace kromel;

namespace {

// In memory where the system offers it: every save syncs the file.
std::string ScratchFile() {
  static const std::string Name =
      ((std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                  : std::filesystem::temp_directory_path()) /
       ("kromel_fuzz_list_" + std::to_string(::getpid())))
          .string();
  return Name;
}

void RemoveScratch() { std::remove(ScratchFile().c_str()); }

bool SameItems(const TWideStringList& A, const TWideStringList& B) { return A.EqualsList(B); }

void CheckItems(const TWideStringList& L) {
  for (int32_t I = 0; I < L.GetCount(); ++I) FUZZ_CHECK(fuzz::IsValidUtf8(L.Get(I)));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  fuzz::SilenceReports();
  ScratchFile();  // the name outlives the exit handler registered after it
  std::atexit(RemoveScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Bytes = fuzz::AsText(Data, Size);

  // The file form, and the same file read with byte-order mark detection.
  FUZZ_CHECK(SaveBufferToFile(ScratchFile(), Bytes.data(), int64_t(Bytes.size())));
  TWideStringList FromFile;
  FUZZ_CHECK(FromFile.LoadFromFile(ScratchFile()));
  CheckItems(FromFile);
  for (int32_t I = 0; I < FromFile.GetCount(); ++I) FUZZ_CHECK(!FromFile.Get(I).empty());
  TWideStringList Detected;
  FUZZ_CHECK(Detected.LoadFromFileDetect(ScratchFile()));
  CheckItems(Detected);

  FUZZ_CHECK(FromFile.SaveToFile(ScratchFile()));
  TWideStringList Again;
  FUZZ_CHECK(Again.LoadFromFile(ScratchFile()));
  FUZZ_CHECK(SameItems(FromFile, Again));

  // Streams, with and without detection.
  for (bool Detect : {true, false}) {
    std::istringstream In(Bytes);
    TWideStringList L;
    FUZZ_CHECK(L.LoadFromStreamDetect(In, Detect));
    CheckItems(L);
    FUZZ_CHECK(!L.Updating() && L.UpdateCount() == 0);
  }

  // "Strings" as UTF-7 texts, one per line of the input.
  std::vector<std::string> Values;
  std::istringstream Lines(Bytes);
  for (std::string Line; std::getline(Lines, Line);) Values.push_back(Line);
  TWideStringList Streamed;
  Streamed.Add("kept");
  try {
    Streamed.ReadStringsUTF7(Values);
    FUZZ_CHECK(Streamed.GetCount() == int32_t(Values.size()));
    CheckItems(Streamed);
  } catch (const EUTF7Error&) {
    FUZZ_CHECK(Streamed.GetCount() == 1 && Streamed.Get(0) == "kept");
  }
  return 0;
}
