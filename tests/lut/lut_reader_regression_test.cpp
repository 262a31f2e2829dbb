// Inputs that once misled the LUT readers.
#include <filesystem>
#include <string>

#include "lut/lut.h"
#include "lut/lut_chunks.h"
#include "lut_test_support.h"
#include "support/temp_dir.h"

namespace kromel {
namespace {

using test::LutTest;
using test::MakeIdentity;

class LutReaderRegressionTest : public LutTest {};

// A folder opens like a file, and its "length" from seeking to the end
// (up to 2^63 on some file systems) once sized a 100 MB read buffer
// before the read failed. It is refused before anything is allocated.
TEST_F(LutReaderRegressionTest, StreamFileThatIsAFolder) {
  testing::TTestTempDir Dir{"kromel_lut_regress"};
  const std::string Folder = Dir.File("looks_like.krs");
  std::filesystem::create_directory(Folder);
  T3DLut Lut;
  MakeIdentity(Lut, 3);
  Lut.Name = "kept";
  const float Node = Lut.G[5];
  EXPECT_FALSE(ReadKrsFile(Folder, Lut));
  EXPECT_FALSE(ReadKrsFile(Dir.Path.string(), Lut));
  EXPECT_EQ(Lut.Size, 3);
  EXPECT_EQ(Lut.Name, "kept");
  EXPECT_EQ(Lut.G[5], Node);
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace kromel
