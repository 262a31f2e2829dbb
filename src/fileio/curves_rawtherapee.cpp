#include "fileio/curves_rawtherapee.h"

#include <vector>

#include "fileio/curve_file_support.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "foundation/text_tokens.h"
#include "lut/lut_text_lines.h"
#include "params/envelope_math.h"

namespace kromel {

std::string RTCCurveText(const TEnvelopeDots& Curve) {
  std::string S = "Spline\n";
  for (int32_t I = 0; I < Curve.NumDots; ++I) {
    const TCurveDotPoint& D = Curve.Dot(I);
    S += FloatToStrD5(float(D.X) / 16384.0f) + " " + FloatToStrD5(float(D.Y) / 32767.0f) + "\n";
  }
  return S;
}

bool SaveRTCCurve(const std::string& FileName, const TEnvelopeDots& Curve) {
  return SaveStringToFile(FileName, RTCCurveText(Curve), ErrorMessageProc);
}

bool LoadRTCCurve(const std::string& FileName, TEnvelopeDots& Curve) {
  std::string Text;
  if (!LoadFileToString(FileName, Text)) {
    ErrorMessageProc("Failed to read JSON Curves from " + FileName);
    return false;
  }
  // Gathered on a curve of the same range, so that merging works as on Curve.
  TEnvelopeDots Read;
  Read.AllowNegative = Curve.AllowNegative;
  for (std::string_view View : SplitLutTextLines(Text)) {
    if (View.size() <= 2 || View[0] < '0' || View[0] > '9') continue;
    const std::string Line(View);
    const float X = StrToFloatLeading(GetWord(Line, 0)), Y = StrToFloatLeading(GetWord(Line, 1));
    if (!(X >= 0 && X <= 1 && Y >= 0 && Y <= 1)) continue;
    Read.AddDot(RoundToInt32(double(X) * 16384.0), RoundToInt32(double(Y) * 32767.0), 100);
  }
  std::vector<TCurveDotPoint> Dots;
  for (int32_t I = 0; I < Read.NumDots; ++I) Dots.push_back(Read.Dot(I));
  if (!SetCurveDots(Curve, Dots)) {
    ErrorMessageProc("Failed to read RawTherapee curve from " + FileName + ": fewer than 2 points");
    return false;
  }
  return true;
}

}  // namespace kromel
