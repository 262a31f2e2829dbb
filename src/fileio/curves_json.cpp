#include "fileio/curves_json.h"

#include <cmath>
#include <exception>
#include <vector>

#include "colour/log_gamma.h"
#include "fileio/curve_file_support.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "foundation/text_scan.h"

namespace kromel {

namespace {

// The array after the first Key, "[" and before the next "]".
std::string CurveArray(const std::string& Text, const std::string& Key) {
  return TextBeforeKey(TextAfterKey(TextAfterKey(Text, "\"" + Key + "\":"), "["), "]");
}

}  // namespace

bool JSONParseCurve(const std::string& ArrayText, TEnvelopeDots& Curve) {
  int32_t I = 0;
  try {
    std::vector<float> Values;
    std::string Item;
    for (size_t P = 0; P <= ArrayText.size(); ++P) {
      const char C = P < ArrayText.size() ? ArrayText[P] : ',';
      if (C == '\n' || C == '\r' || C == ' ') continue;
      if (C != ',') {
        if (Item.size() < 20) Item += C;  // the number is read from the first 20 characters
        continue;
      }
      Values.push_back(StrToFloatLeading(Item));
      Item.clear();
    }
    if (Values.size() < 2) {
      ErrorMessageProc("Failed to read JSON curve: fewer than 2 values");
      return false;
    }
    const int64_t Last = int64_t(Values.size()) - 1;
    std::vector<TCurveFilePoint> Points;
    for (I = 0; I <= 256; I += 4) {
      float V = Values[size_t(Last * I / 256)];
      V = std::isnan(V) || V < 0 ? 0.0f : (V > 1 ? 1.0f : V);
      V = LinearToGammaProPhoto(V);
      Points.push_back({double(float(I) / 256.0f) * 16384.0, double(V) * 32768.0});
    }
    return SetCurveDots(Curve, CurveDotsFromPoints(Points, Curve.AllowNegative));
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in JSONParseCurve, I=" + std::to_string(I));
    return false;
  }
}

bool LoadJSONCurves(const std::string& FileName, TEnvelopeDots& Red, TEnvelopeDots& Green,
                    TEnvelopeDots& Blue) {
  std::string Text;
  if (!LoadFileToString(FileName, Text)) {
    ErrorMessageProc("Failed to read JSON Curves from " + FileName);
    return false;
  }
  const bool R = JSONParseCurve(CurveArray(Text, "RedTRC"), Red);
  const bool G = JSONParseCurve(CurveArray(Text, "GreenTRC"), Green);
  const bool B = JSONParseCurve(CurveArray(Text, "BlueTRC"), Blue);
  return R && G && B;
}

}  // namespace kromel
