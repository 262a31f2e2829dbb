// Shared helpers of the image tests: message capture, temporary folders,
// small images with known pixels and running another program.
#pragma once
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "images/image32.h"
#include "images/image64.h"
#include "images/image96.h"
#include "images/sample.h"
#include "platform/message_sink.h"
#include "support/temp_dir.h"
#include "support/test_support.h"

extern char** environ;

namespace kromel::test {

using kromel::testing::CapturedErrors;
using kromel::testing::CaptureError;
using kromel::testing::ProgramAvailable;
using kromel::testing::ReadBytes;
using kromel::testing::ReadText;
using kromel::testing::RunProgram;
using MessageCapture = kromel::testing::TCaptureTest;

// A folder of its own under the temporary folder, removed afterwards.
class TempDir : public kromel::testing::TTestTempDir {
public:
  TempDir() : TTestTempDir("kromel_images") {}
};

// A W x H image whose pixel values are 1, 2, 3, ... in index order.
inline TImage32 Numbered32(int32_t W, int32_t H) {
  TImage32 I;
  I.Alloc(W, H);
  for (int32_t K = 0; K < I.Size; ++K) I.Pixels[K].Value = uint32_t(K + 1);
  return I;
}

inline std::vector<uint32_t> Values(const TImage32& I) {
  std::vector<uint32_t> V;
  for (int32_t K = 0; K < I.Size; ++K) V.push_back(I.Pixels[K].Value);
  return V;
}

inline uint32_t Bgra(uint8_t B, uint8_t G, uint8_t R, uint8_t A) {
  return uint32_t(B) | uint32_t(G) << 8 | uint32_t(R) << 16 | uint32_t(A) << 24;
}

inline bool Same(const TPixel64& A, const TPixel64& B) {
  return A.R == B.R && A.G == B.G && A.B == B.B && A.A == B.A;
}

// A W x H image filled with P.
inline TImage64 Make64(int32_t W, int32_t H, TPixel64 P) {
  TImage64 I;
  I.Alloc(W, H);
  I.Fill(P);
  return I;
}

inline TPixel96 Px(uint16_t R, uint16_t G, uint16_t B, uint16_t A, uint32_t Extra = 0) {
  TPixel96 P;
  P.R = R;
  P.G = G;
  P.B = B;
  P.A = A;
  P.Extra = Extra;
  return P;
}

// A W x H 96-bit image filled with P.
inline TImage96 Make96(int32_t W, int32_t H, TPixel96 P) {
  TImage96 I;
  I.Alloc(W, H);
  I.Fill(P);
  return I;
}

inline TImage64 MakeImage(int32_t W, int32_t H, TPixel64 P, const TImage64*) { return Make64(W, H, P); }
inline TImage96 MakeImage(int32_t W, int32_t H, TPixel96 P, const TImage96*) { return Make96(W, H, P); }

// Draw(image, x, y) placed at every origin gives, in a small image, exactly
// the pixels it gives in a larger image around it: nothing is written
// outside, nothing wraps into another row. Origins far outside leave the
// small image unchanged.
template <class TImage, class TDraw>
void ExpectClippedLikeLargerImage(const char* Name, TDraw Draw, typename TImage::TPixel Ground) {
  constexpr int32_t W = 7, H = 5, M = 40;
  const TPoint Origins[] = {{3, 2},   {0, 0},         {-4, -3}, {W + 2, 1},       {2, H + 3},
                            {-30, 2}, {W - 1, H - 1}, {50, 50}, {-2000000000, 5}, {5, 2000000000}};
  for (const TPoint O : Origins) {
    SCOPED_TRACE(std::string(Name) + " at " + std::to_string(O.X) + "," + std::to_string(O.Y));
    TImage Small = MakeImage(W, H, Ground, static_cast<const TImage*>(nullptr));
    Draw(Small, O.X, O.Y);
    if (std::abs(int64_t(O.X)) > 1000 || std::abs(int64_t(O.Y)) > 1000) {
      for (int32_t K = 0; K < Small.Size; ++K) EXPECT_EQ(Small.Pixels[K], Ground);
    } else {
      TImage Big = MakeImage(W + 2 * M, H + 2 * M, Ground, static_cast<const TImage*>(nullptr));
      Draw(Big, O.X + M, O.Y + M);
      for (int32_t Y = 0; Y < H; ++Y)
        for (int32_t X = 0; X < W; ++X)
          ASSERT_EQ(Small.Row(Y)[X], Big.Row(Y + M)[X + M]) << X << "," << Y;
      Big.Dispose();
    }
    Small.Dispose();
  }
}

// A sample buffer holding V (none when V is empty) at the given rate.
inline TSample32 MakeSample32(std::vector<float> V, int32_t Rate = 0) {
  TSample32 S;
  S.Init();
  if (!V.empty()) {
    S.Alloc(int64_t(V.size()));
    std::memcpy(S.Data, V.data(), V.size() * 4);
  }
  S.SampleRate = Rate;
  return S;
}

inline std::vector<float> SampleValues(const TSample32& S) {
  if (S.Data == nullptr) return {};
  return std::vector<float>(S.Data, S.Data + S.Count);
}

}  // namespace kromel::test
