// Shared by the seed corpus writers (fuzz_make_*): the corpus folder, the
// seed files below it and the run of a writer's parts.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace kromel::fuzz {

// The corpus folder: one folder per fuzz target below it.
inline std::filesystem::path& SeedRoot() {
  static std::filesystem::path Root;
  return Root;
}

// Writes seed Name of Target, overwriting it.
inline void Put(const std::string& Target, const std::string& Name, const void* Data,
                std::size_t Size) {
  const std::filesystem::path Dir = SeedRoot() / Target;
  std::filesystem::create_directories(Dir);
  std::ofstream(Dir / Name, std::ios::binary)
      .write(static_cast<const char*>(Data), std::streamsize(Size));
}

inline void Put(const std::string& Target, const std::string& Name, const std::string& Bytes) {
  Put(Target, Name, Bytes.data(), Bytes.size());
}

inline void Put(const std::string& Target, const std::string& Name,
                const std::vector<uint8_t>& Bytes) {
  Put(Target, Name, Bytes.data(), Bytes.size());
}

// A writer's main: the corpus folder as the one argument, then each part.
inline int WriteSeeds(int argc, char** argv, std::initializer_list<void (*)()> Parts) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  SeedRoot() = argv[1];
  for (void (*Part)() : Parts) Part();
  return 0;
}

}  // namespace kromel::fuzz
