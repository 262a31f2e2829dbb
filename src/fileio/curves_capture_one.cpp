#include "fileio/curves_capture_one.h"

#include <array>
#include <string_view>
#include <vector>

#include "fileio/curve_file_support.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "foundation/text_scan.h"
#include "foundation/text_tokens.h"
#include "lut/lut_text_lines.h"

namespace kromel {

namespace {

std::string Element(const std::string& Key, const std::string& Value) {
  return "\t<E K=\"" + Key + "\" V=\"" + Value + "\" />\n";
}

std::string PresetName(const std::string& FileName) {
  std::string Name = ExtractFileNameW(FileName);
  for (size_t P; (P = Name.find(".copreset")) != std::string::npos;) Name.erase(P, 9);
  return Name;
}

}  // namespace

std::string CaptureOneCurveText(const TEnvelopeDots& Curve) {
  std::string S;
  for (int32_t I = 0; I < Curve.NumDots; ++I) {
    const TCurveDotPoint& D = Curve.Dot(I);
    if (I > 0) S += ';';
    S += FloatToStrD4(float(D.X) / 16384.0f) + "," + FloatToStrD4(float(D.Y) / 32767.0f);
  }
  return S;
}

bool SaveCaptureOneCurves(const std::string& FileName, const TEnvelopeDots* Master,
                          const TEnvelopeDots* Red, const TEnvelopeDots* Green,
                          const TEnvelopeDots* Blue, const TEnvelopeDots* Luminance) {
  if (Master == nullptr || Red == nullptr || Green == nullptr || Blue == nullptr ||
      Luminance == nullptr) {
    ErrorMessageProc("Exception in SaveCaptureOneCurves " + FileName);
    return false;
  }
  std::string S = "<?xml version=\"1.0\"?>\n<SL Engine=\"1200\">\n";
  S += Element("GradationCurve", CaptureOneCurveText(*Master));
  S += Element("GradationCurveBlue", CaptureOneCurveText(*Blue));
  S += Element("GradationCurveGreen", CaptureOneCurveText(*Green));
  S += Element("GradationCurveRed", CaptureOneCurveText(*Red));
  S += Element("GradationCurveY", CaptureOneCurveText(*Luminance));
  S += Element("Name", XMLEscapeText(PresetName(FileName)));
  S += Element("StyleSource", "Curve");
  S += Element("UUID", "{" + NewGUIDText(true) + "}");
  S += "</SL>\n";
  return SaveStringToFile(FileName, S, ErrorMessageProc);
}

bool ParseCaptureOneCurve(const std::string& Line, TEnvelopeDots& Curve) {
  const std::string Value = TextBeforeKey(TextAfterKey(Line, " V=\""), "\"");
  if (Value.empty()) {
    ErrorMessageProc(TranslateCurveMessage("Failed to parse Capture One curve preset"));
    return false;
  }
  std::vector<TCurveFilePoint> Points;
  const int32_t Items = CountSemicolonItems(Value);
  for (int32_t I = 0; I < Items; ++I) {
    const std::string Item = GetSemicolonItem(Value, I);
    if (TrimBlanks(Item).empty()) continue;
    const float X = StrToFloatLeading(GetCommaItem(Item, 0));
    const float Y = StrToFloatLeading(GetCommaItem(Item, 1));
    Points.push_back({double(X) * 16384.0, double(Y) * 32767.0});
  }
  if (Points.size() < 2) {
    ErrorMessageProc(TranslateCurveMessage("Failed to parse Capture One curve preset, error 2"));
    return false;
  }
  return SetCurveDots(Curve, CurveDotsFromPoints(Points, Curve.AllowNegative));
}

bool LoadCaptureOneCurves(const std::string& FileName, TEnvelopeDots* Master, TEnvelopeDots* Red,
                          TEnvelopeDots* Green, TEnvelopeDots* Blue, TEnvelopeDots* Luminance) {
  std::string Text;
  if (!LoadFileToString(FileName, Text)) {
    ErrorMessageProc(TranslateCurveMessage("Failed to load ") + FileName);
    return false;
  }
  std::vector<std::string> Lines;
  for (std::string_view L : SplitLutTextLines(Text)) Lines.emplace_back(L);
  const std::array<std::pair<const char*, TEnvelopeDots*>, 5> Keys = {{{"GradationCurve", Master},
                                                                      {"GradationCurveBlue", Blue},
                                                                      {"GradationCurveGreen", Green},
                                                                      {"GradationCurveRed", Red},
                                                                      {"GradationCurveY", Luminance}}};
  for (const auto& [Key, Curve] : Keys) {
    if (Curve == nullptr) continue;
    ParseCaptureOneCurve(FindLineContaining(Lines, std::string("<E K=\"") + Key + "\""), *Curve);
  }
  return true;
}

}  // namespace kromel
