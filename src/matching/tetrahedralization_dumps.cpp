#include "matching/tetrahedralization_dumps.h"

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "images/pixel128.h"

namespace kromel {

std::string TetrahedralizationOBJText(const TImage128& Points, const TTetrahedralization& T) {
  std::string S = "# List of vertices\r\n";
  const int32_t N = Points.Data ? Points.Size : 0;
  for (int32_t I = 0; I < N; ++I) {
    const TBGRAPixel128& P = Points.Data[I];
    S += "v " + FloatToStrD3(P.R) + " " + FloatToStrD3(P.G) + " " + FloatToStrD3(P.B) + "\r\n";
  }
  S += "\r\n# List of faces\r\n";
  static constexpr int Faces[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 1, 3}, {1, 2, 3}};
  for (const TTetrahedron& Tet : T.Tetrahedra) {
    if (Tet.Points[0] < 0) continue;
    for (const auto& F : Faces)
      S += "f " + std::to_string(Tet.Points[size_t(F[0])] + 1) + " " +
           std::to_string(Tet.Points[size_t(F[1])] + 1) + " " +
           std::to_string(Tet.Points[size_t(F[2])] + 1) + "\r\n";
  }
  return S;
}

bool DumpTetrahedralizationOBJ(const TImage128& Points, const TTetrahedralization& T,
                               const std::string& FileName) {
  return SaveStringToFile(FileName, TetrahedralizationOBJText(Points, T), ErrorMessageProc);
}

void BuildMatchingText(const TTetrahedralization& T, std::string& S) {
  const int32_t N = T.PairCount();
  S = "Matching " + std::to_string(N) + "\r\n";
  for (int32_t I = 0; I < N; ++I) {
    std::string A, B;
    Pixel128ToRGBText(T.Src(I), A);
    Pixel128ToRGBText(T.Dst(I), B);
    S += A + " -> " + B;
    if (I < int32_t(T.NeutralFlags.size()) && T.NeutralFlags[size_t(I)]) S += " Neutral";
    S += "\r\n";
  }
}

}  // namespace kromel
