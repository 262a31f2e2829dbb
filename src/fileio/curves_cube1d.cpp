#include "fileio/curves_cube1d.h"

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"

namespace kromel {

std::string CurveCube1DText(const TEnvelopeDots& Master, TImageProfile Profile) {
  // Blanks after the domain keywords: other readers refuse a tab there.
  std::string S = "LUT_1D_SIZE 256\nDOMAIN_MIN 0.0 0.0 0.0\nDOMAIN_MAX 1.0 1.0 1.0\n";
  for (int32_t I = 0; I < 256; ++I) {
    const float Y = Master.GetValueS(float(I) / 255.0f * 16384.0f) / 32767.0f;
    const std::string V = FloatToStrD5(GammaToLinearByProfile(Profile, Y));
    S += V + " " + V + " " + V + "\n";
  }
  return S;
}

bool SaveCurveAs1DCube(const std::string& FileName, const TEnvelopeDots& Master,
                       TImageProfile Profile) {
  return SaveStringToFile(FileName, CurveCube1DText(Master, Profile), ErrorMessageProc);
}

}  // namespace kromel
