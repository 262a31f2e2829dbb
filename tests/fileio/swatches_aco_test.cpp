#include "fileio/swatches_aco.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fileio_test_support.h"

namespace kromel {
namespace {

using fileio_test::FileIOTest;
using fileio_test::ReadBytes;
using fileio_test::WriteBytes;

using TBytes = std::vector<uint8_t>;

// Big-endian words.
TBytes Words(std::initializer_list<uint32_t> W) {
  TBytes B;
  for (uint32_t V : W) {
    B.push_back(uint8_t(V >> 8));
    B.push_back(uint8_t(V));
  }
  return B;
}

std::vector<uint32_t> PixelValues(const TImage32& I) {
  std::vector<uint32_t> V;
  for (int32_t K = 0; K < I.Size; ++K) V.push_back(I.Pixels[K].Value);
  return V;
}

class ACOSwatchesTest : public FileIOTest {
protected:
  void SetUp() override {
    FileIOTest::SetUp();
    fileio_test::MakeSentinel32(Image);
    Before = PixelValues(Image);
  }
  void TearDown() override {
    Image.Dispose();
    FileIOTest::TearDown();
  }
  bool Load(const TBytes& Bytes) {
    WriteBytes(File("in.aco"), Bytes);
    return LoadSwatchesFromACO(File("in.aco"), Image);
  }

  TImage32 Image;
  std::vector<uint32_t> Before;
};

TEST_F(ACOSwatchesTest, ReadsRGBHighBytesAndGreyLevels) {
  ASSERT_TRUE(Load(Words({1, 4,                                  //
                          0, 0x1234, 0x5678, 0x9ABC, 0xDEF0,     // RGB
                          8, 10000, 0, 0, 10000,                 // grey 255
                          8, 5000, 0, 0, 0,                      // grey 127
                          2, 1, 2, 3, 4})));                     // CMYK: skipped
  ASSERT_EQ(Image.Width, 4);
  ASSERT_EQ(Image.Height, 1);
  const TBGRAPixel32* P = &Image.Pixels[0].BGRA;
  EXPECT_EQ((std::vector<int>{P[0].R, P[0].G, P[0].B, P[0].A}), (std::vector<int>{0x12, 0x56, 0x9A, 0xDE}));
  EXPECT_EQ((std::vector<int>{P[1].R, P[1].G, P[1].B, P[1].A}), (std::vector<int>{255, 255, 255, 255}));
  EXPECT_EQ((std::vector<int>{P[2].R, P[2].G, P[2].B, P[2].A}), (std::vector<int>{127, 127, 127, 0}));
  // A colour of another space is left transparent black, not uninitialised.
  EXPECT_EQ(Image.Pixels[3].Value, 0u);
  EXPECT_EQ(Errors(), std::vector<std::string>{"Color 4 has CMYK format! Ignoring."});
}

TEST_F(ACOSwatchesTest, WritesTenBytesPerColourAndReadsThemBack) {
  TImage32 Row;
  ASSERT_TRUE(Row.Alloc(3, 1));
  Row.Pixels[0].BGRA = {1, 2, 3, 4};
  Row.Pixels[1].BGRA = {255, 0, 128, 255};
  Row.Pixels[2].BGRA = {0, 0, 0, 0};
  ASSERT_TRUE(SaveSwatchesToACO(File("out.aco"), Row));
  const TBytes Written = ReadBytes(File("out.aco"));
  EXPECT_EQ(Written.size(), 3u * 10 + 4);
  EXPECT_EQ(TBytes(Written.begin(), Written.begin() + 14),
            Words({1, 3, 0, 3 * 257, 2 * 257, 1 * 257, 4 * 257}));
  ASSERT_TRUE(LoadSwatchesFromACO(File("out.aco"), Image));
  EXPECT_EQ(PixelValues(Image), PixelValues(Row));
  EXPECT_TRUE(Silent());
}

TEST_F(ACOSwatchesTest, HostileFilesFailAndLeaveTheImage) {
  const std::string F = File("in.aco");
  TBytes Exact = Words({1, 2, 0, 1, 2, 3, 4, 0, 5, 6, 7, 8});
  TBytes Short(Exact.begin(), Exact.end() - 1);
  TBytes Many = Words({1, 769});
  Many.resize(4 + 7690);
  struct TCase {
    const char* Name;
    TBytes Bytes;
    std::string Message;
  } Cases[] = {
      {"empty", {}, "Corrupt palette file: " + F},
      {"one byte", {0}, "Corrupt palette file: " + F},
      {"three bytes", {0, 1, 0}, "Corrupt palette file: " + F},
      {"version 2", Words({2, 1, 0, 0, 0, 0, 0}), "Corrupt palette file header: " + F},
      {"no colours", Words({1, 0}), "No colors in the palette file " + F},
      {"769 colours", Many, "Too many colors in the palette file " + F},
      {"one byte short", Short, "Palette file corrupt: unexpected end of file in " + F},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    ClearErrors();
    EXPECT_FALSE(Load(C.Bytes));
    EXPECT_EQ(Errors(), std::vector<std::string>{C.Message});
    EXPECT_EQ(PixelValues(Image), Before);
  }
  ClearErrors();
  EXPECT_FALSE(LoadSwatchesFromACO(File("missing.aco"), Image));
  EXPECT_EQ(Errors(), std::vector<std::string>{"Failed to load colors from " + File("missing.aco")});
  // Exactly 4 + 10 N bytes load; version 0 is accepted; trailing bytes ignored.
  Exact.push_back(99);
  Exact[1] = 0;
  EXPECT_TRUE(Load(Exact));
  EXPECT_EQ(Image.Width, 2);
}

// The writer writes what the reader reads back, and refuses more.
TEST_F(ACOSwatchesTest, WriterKeepsToWhatTheReaderTakes) {
  for (const int32_t N : {ACOMaxColors, ACOMaxColors + 1, 65535}) {
    SCOPED_TRACE(N);
    TImage32 Many;
    ASSERT_TRUE(Many.Alloc(N, 1));
    for (int32_t K = 0; K < N; ++K) Many.Pixels[K].Value = 0xFF000000u | uint32_t(K * 2654435761u >> 8);
    const std::string Name = File("many.aco");
    std::remove(Name.c_str());
    ClearErrors();
    const bool Saved = SaveSwatchesToACO(Name, Many);
    EXPECT_EQ(Saved, N <= ACOMaxColors);
    if (Saved) {
      TImage32 Back;
      ASSERT_TRUE(LoadSwatchesFromACO(Name, Back));
      EXPECT_EQ(PixelValues(Back), PixelValues(Many));
    } else {
      EXPECT_EQ(Errors(), std::vector<std::string>{"Too many colors to save: " + std::to_string(N)});
      EXPECT_FALSE(fileio_test::FileThere(Name));
    }
  }
}

TEST_F(ACOSwatchesTest, SavingNothingIsRefused) {
  TImage32 None;
  EXPECT_FALSE(SaveSwatchesToACO(File("none.aco"), None));
  EXPECT_EQ(Errors(), std::vector<std::string>{"No colors to save!"});
  EXPECT_FALSE(fileio_test::FileThere(File("none.aco")));
}

}  // namespace
}  // namespace kromel
