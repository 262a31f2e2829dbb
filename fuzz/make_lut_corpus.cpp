// Writes the seed corpora of the LUT fuzz targets with the program's own
// writers: fuzz_make_lut_corpus <repo>/fuzz/corpus. Files are overwritten.
// No writer makes one-dimensional CUBE text, so those seeds are written out.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"
#include "lut/lut.h"
#include "lut/lut1d.h"
#include "lut/lut_chunks.h"
#include "seed_writer.h"

using namespace kromel;
using kromel::fuzz::Put;
namespace fs = std::filesystem;

namespace {

// Identity with a little twist, so that the values are not all simple.
void Fill(T3DLut& Lut, int32_t NR, int32_t NG, int32_t NB) {
  if (NR == NG && NR == NB) Lut.SetSize(NR);
  else Lut.SetLevels(NR, NG, NB);
  Lut.SetDefault();
  for (int32_t i = 0; i < Lut.Count; ++i) Lut.G[i] = Lut.G[i] * 0.75f + 0.125f;
}

std::string Full(const T3DLut& Lut) {
  TMemoryStream S;
  WriteLut3DChunk(S, Lut, true);
  return S.Bytes();
}

std::string Single(const T3DLut& Lut) {
  TMemoryStream S;
  WriteLutSingleChannelChunk(S, Lut);
  return S.Bytes();
}

void LutChunks() {
  T3DLut Cubic;
  Fill(Cubic, 2, 2, 2);
  Cubic.Name = "Warm";
  Cubic.Preset = std::make_unique<TMemoryStream>(std::string("PRST\x01\0\0\0", 8));
  Put("lut_chunk", "cubic_2_preset", Full(Cubic));
  T3DLut Odd;
  Fill(Odd, 2, 3, 2);
  Put("lut_chunk", "noncubic_2x3x2", Full(Odd));
  T3DLut Empty;
  Put("lut_chunk", "empty", Full(Empty));
  T3DLut Mask;
  Fill(Mask, 2, 2, 2);
  Mask.Name = "Mask";
  Put("lut_chunk", "mask_data", Single(Mask));
  Mask.ZeroData();
  Put("lut_chunk", "mask_zero_then_full", Single(Mask) + Full(Odd));
  // Version 1: the same chunk without version and level counts, marked by
  // its block size 12 * N^3 + 4, and without the "LPRS" part.
  T3DLut Old;
  Fill(Old, 2, 2, 2);
  std::string V1 = Full(Old);
  V1.erase(V1.size() - 8);
  V1.erase(12, 16);
  V1.replace(4, 4, std::string("\x64\0\0\0", 4));
  Put("lut_chunk", "version1_2", V1);
  Put("lut_chunk", "cut_short", Full(Odd).substr(0, 70));
}

std::string Krs(const T3DLut& Lut, const std::string& Name, bool EightBit) {
  const fs::path File = kromel::fuzz::SeedRoot() / "krs.tmp";
  WriteKrsFile(File.string(), Lut, Name, EightBit);
  std::ifstream In(File, std::ios::binary);
  std::string Bytes{std::istreambuf_iterator<char>(In), {}};
  fs::remove(File);
  return Bytes;
}

void KrsStreams() {
  T3DLut Cubic;
  Fill(Cubic, 2, 2, 2);
  Put("krs", "cubic_2_16bit", Krs(Cubic, "Warm", false));
  Put("krs", "cubic_2_8bit", Krs(Cubic, "Mitteltöne", true));
  T3DLut Odd;
  Fill(Odd, 3, 2, 2);
  Put("krs", "noncubic_3x2x2_8bit", Krs(Odd, "", true));
  Put("krs", "cut_short", Krs(Cubic, "x", false).substr(0, 100));
}

std::string Chunks1D(const std::vector<std::pair<int32_t, std::string>>& Luts) {
  TMemoryStream S;
  for (const auto& [N, Name] : Luts) {
    T1DLut Lut;
    if (N > 0) {
      Lut.SetSize(N);
      Lut.SetDefault();
      for (int32_t i = 0; i < N; ++i) Lut.B[i] = 1.0f - Lut.B[i];
    }
    Lut.Name = Name;
    Lut.SaveToStream(S);
  }
  return S.Bytes();
}

void Lut1DChunks() {
  Put("lut1d", "three_named", Chunks1D({{3, "ab"}}));
  Put("lut1d", "empty", Chunks1D({{0, ""}}));
  Put("lut1d", "two_in_a_row", Chunks1D({{2, "Custom Log"}, {4, ""}}));
  Put("lut1d", "cut_short", Chunks1D({{5, "x"}}).substr(0, 40));
}

void Cube1D() {
  Put("cube1d", "comments_and_title",
      "TITLE \"curve\"\n# made by hand\nLUT_1D_SIZE 3\n0.1 0.2 0.3 # first\n0.4 0.5 0.6\n1 1 1\n");
  Put("cube1d", "domain_crlf_tabs",
      "lut_1d_size 4\r\nDOMAIN_MIN 0 0 0\r\nDOMAIN_MAX 1 1 1\r\nLUT_1D_INPUT_RANGE 0 1\r\n"
      "0\t0\t0\r\n\r\n3.3e-1\t+0.25\t-1E-2\r\n0.75 0.5\r\n1 1 1");
  Put("cube1d", "too_few_lines", "LUT_1D_SIZE 5\n0 0 0\n0.5 0.5 0.5\n");
}

}  // namespace

int main(int argc, char** argv) {
  return kromel::fuzz::WriteSeeds(argc, argv, {LutChunks, KrsStreams, Lut1DChunks, Cube1D});
}
