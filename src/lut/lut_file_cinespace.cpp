// Cinespace writer.
#include "lut/lut_file_cinespace.h"

#include <exception>

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "lut/lut_text_lines.h"

namespace kromel {

bool Save3DLutCinespace(const T3DLut& Lut, const std::string& FileName) {
  try {
    if (!LutWritableAsCube(Lut)) throw std::runtime_error("LUT is not a cube");
    const int32_t N = Lut.Size;
    if (N != 32)
      ErrorMessageProc("T3DLut.Save3DLutCinespace: Wrong number of levels. Probably won't work!");
    std::string Text;
    Text.reserve(static_cast<std::size_t>(Lut.Count) * 31 + 256);
    Text += "CSPLUTV100\n3D\n\nBEGIN METADATA\nSTENDUP\nEND METADATA\n\n";
    for (int i = 0; i < 3; ++i) Text += "2\n0.00 1.00\n0.00 1.00\n";
    Text += "\n";
    const std::string NText = std::to_string(N);
    Text += NText + " " + NText + " " + NText + "\n";
    for (int64_t k = 0; k < Lut.Count; ++k) {
      AppendSixDecimals(Text, Lut.R[k]);
      Text += "  ";
      AppendSixDecimals(Text, Lut.G[k]);
      Text += "  ";
      AppendSixDecimals(Text, Lut.B[k]);
      Text += '\n';
    }
    LogNonFiniteLutValues(Lut, FileName);
    return SaveStringToFile(FileName, Text, ErrorMessageProc);
  } catch (...) {
    ErrorMessageProc("Exception in T3DLut.Save3DLutCinespace to " + FileName);
    return false;
  }
}

}  // namespace kromel
