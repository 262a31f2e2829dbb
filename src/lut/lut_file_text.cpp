// Text LUT writer.
#include "lut/lut_file_text.h"

#include <exception>

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "lut/lut_text_lines.h"

namespace kromel {

bool SaveToTextLUT(const T3DLut& Lut, const std::string& FileName,
                   const std::vector<std::string>* /*PresetLines*/, const std::string& /*Creator*/,
                   const std::string& /*Notice*/) {
  try {
    if (!LutWritableAsCube(Lut)) throw std::runtime_error("LUT is not a cube");
    const int32_t N = Lut.Size;
    std::string Text;
    Text.reserve(static_cast<std::size_t>(Lut.Count) * 30 + 256);
    Text +=
        "Version\t\t2\nFormat\t\tany\nType\t\t3D\nFrom\t\t0.000000 1.000000\nTo\t\t0.0 1.0\n"
        "Black\t\t0.0\nWhite\t\t1.0\n";
    Text += "Length\t\t" + std::to_string(N) + "\nLUT:\n{\n";
    const int64_t N64 = N;
    std::string Block;
    for (int64_t b = 0; b < N64; ++b) {
      Block.clear();
      for (int64_t k = b * N64 * N64; k < (b + 1) * N64 * N64; ++k) {
        Block += '\t';
        AppendSixDecimals(Block, Lut.R[k]);
        Block += ' ';
        AppendSixDecimals(Block, Lut.G[k]);
        Block += ' ';
        AppendSixDecimals(Block, Lut.B[k]);
        Block += '\n';
      }
      Text += Block;
    }
    Text += "}\n";
    LogNonFiniteLutValues(Lut, FileName);
    if (!SaveStringToFile(FileName, Text, ErrorMessageProc)) {
      ErrorMessageProc("Error while saving LUT to " + FileName);
      return false;
    }
    return true;
  } catch (...) {
    ErrorMessageProc("Error while saving LUT to " + FileName);
    return false;
  }
}

}  // namespace kromel
