// Shared helpers of the image-file tests: message capture, running another
// program, small images with known pixels, and a TIFF/DNG writer for
// fixtures that no other tool here makes.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "images/image32.h"
#include "images/image64.h"
#include "platform/message_sink.h"
#include "support/temp_dir.h"
#include "support/test_support.h"
#include "tiff_fixtures.h"

namespace kromel::fileio_test {

using kromel::testing::CapturedErrors;
using kromel::testing::CaptureError;
using kromel::testing::ProgramAvailable;
using kromel::testing::ReadBytes;
using kromel::testing::WriteBytes;

inline bool FileThere(const std::string& FileName) { return ::access(FileName.c_str(), F_OK) == 0; }

// Runs Args[0] from PATH with stdout to OutFile and stderr discarded.
inline int RunProgram(const std::vector<std::string>& Args, const std::string& OutFile) {
  return kromel::testing::RunProgram(Args, OutFile, false);
}

// Records error reports and message boxes instead of showing them.
class FileIOTest : public kromel::testing::TCaptureTest {
protected:
  std::string File(const std::string& Name) const { return Dir.File(Name); }

  kromel::testing::TTestTempDir Dir{"kromel_fileio"};
};

// ImageMagick fixtures made by one convert call: each Add reads or makes
// one picture, applies its options and writes it to Output.
class TMagickBatch {
public:
  void Add(const std::vector<std::string>& Steps, const std::string& Output) {
    FArgs.push_back("(");
    FArgs.insert(FArgs.end(), Steps.begin(), Steps.end());
    FArgs.insert(FArgs.end(), {"-write", Output, "+delete", ")"});
  }
  // Missing outputs show in the tests that read them.
  void Run(const std::string& LogFile) {
    std::vector<std::string> Args = {"convert", "-respect-parentheses"};
    Args.insert(Args.end(), FArgs.begin(), FArgs.end());
    Args.push_back("null:");
    RunProgram(Args, LogFile);
  }

private:
  std::vector<std::string> FArgs;
};

// ImageMagick's text output of one command, or "" when it failed.
inline std::string MagickText(const std::vector<std::string>& Args, const std::string& OutFile) {
  if (RunProgram(Args, OutFile) != 0) return "";
  return kromel::testing::ReadText(OutFile);
}

// Big-endian 16-bit words, as ImageMagick's raw "rgb:"/"rgba:" forms take
// and give them with -endian MSB.
inline std::vector<uint8_t> WordsToBE(const std::vector<uint16_t>& Words) {
  std::vector<uint8_t> B;
  for (uint16_t W : Words) {
    B.push_back(uint8_t(W >> 8));
    B.push_back(uint8_t(W));
  }
  return B;
}
inline std::vector<uint16_t> BEToWords(const std::vector<uint8_t>& B) {
  std::vector<uint16_t> W;
  for (size_t I = 0; I + 1 < B.size(); I += 2) W.push_back(uint16_t(B[I] << 8 | B[I + 1]));
  return W;
}

// A pixel as its four words R, G, B, A (comparable and printable).
using TWords = std::array<uint16_t, 4>;
inline TWords Words(const TPixel64& P) { return {P.R, P.G, P.B, P.A}; }
inline std::vector<TWords> Pixels64(const TImage64& I) {
  std::vector<TWords> V;
  for (int32_t K = 0; K < I.Size; ++K) V.push_back(Words(I.Pixels[K]));
  return V;
}

// A 3 x 2 image the loaders overwrite only on success.
inline void MakeSentinel64(TImage64& I) {
  I.Init();
  I.Alloc(3, 2);
  for (int32_t K = 0; K < I.Size; ++K) I.Pixels[K] = {uint16_t(K + 1), 2, 3, 4};
}
inline void MakeSentinel32(TImage32& I) {
  I.Init();
  I.Alloc(3, 2);
  for (int32_t K = 0; K < I.Size; ++K) I.Pixels[K].Value = uint32_t(K + 1);
}

}  // namespace kromel::fileio_test
