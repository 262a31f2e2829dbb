#include "fileio/curves_xmp.h"

#include "fileio/curve_file_support.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/paths.h"

namespace kromel {

namespace {

std::string Attribute(const std::string& Name, const std::string& Value) {
  return "   " + Name + "=\"" + Value + "\"\n";
}

// A language alternative; an empty Item gives the empty element form.
std::string Alternative(const std::string& Element, const std::string& Item) {
  const std::string Li = Item.empty() ? "     <rdf:li xml:lang=\"x-default\"/>\n"
                                      : "     <rdf:li xml:lang=\"x-default\">" + Item + "</rdf:li>\n";
  return "   <" + Element + ">\n    <rdf:Alt>\n" + Li + "    </rdf:Alt>\n   </" + Element + ">\n";
}

std::string Sequence(const std::string& Element, const TEnvelopeDots& Curve, bool EmptyLine) {
  std::string S = "   <" + Element + ">\n    <rdf:Seq>\n";
  if (EmptyLine) S += "\n";
  for (int32_t I = 0; I < Curve.NumDots; ++I) {
    const TCurveDotPoint& D = Curve.Dot(I);
    S += "     <rdf:li>" + std::to_string(int64_t(D.X) * 255 / 16384) + ", " +
         std::to_string(int64_t(D.Y) * 255 / 32767) + "</rdf:li>\n";
  }
  return S + "    </rdf:Seq>\n   </" + Element + ">\n";
}

}  // namespace

std::string XMPCurvesText(const std::string& FileName, const TEnvelopeDots& Master,
                          const TEnvelopeDots& Red, const TEnvelopeDots& Green,
                          const TEnvelopeDots& Blue, const std::string& Extra) {
  const std::string Name = XMLEscapeText(RemoveFileExt(ExtractFileNameW(FileName)));
  std::string S =
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"Adobe XMP Core 5.6-c140 79.160451, "
      "2017/05/06-01:08:21        \">\n"
      " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
      "  <rdf:Description rdf:about=\"\"\n"
      "    xmlns:crs=\"http://ns.adobe.com/camera-raw-settings/1.0/\"\n";
  static const char* const Fixed[][2] = {
      {"crs:PresetType", "Normal"}, {"crs:Cluster", ""}, {"crs:UUID", nullptr},
      {"crs:SupportsAmount", "False"}, {"crs:SupportsColor", "True"},
      {"crs:SupportsMonochrome", "True"}, {"crs:SupportsHighDynamicRange", "True"},
      {"crs:SupportsNormalDynamicRange", "True"}, {"crs:SupportsSceneReferred", "True"},
      {"crs:SupportsOutputReferred", "True"}, {"crs:CameraModelRestriction", ""},
      {"crs:Copyright", ""}, {"crs:ContactInfo", ""}, {"crs:Version", "10.3"},
      {"crs:ProcessVersion", "6.7"}, {"crs:ParametricShadows", "0"},
      {"crs:ParametricDarks", "0"}, {"crs:ParametricLights", "0"},
      {"crs:ParametricHighlights", "0"}, {"crs:ParametricShadowSplit", "25"},
      {"crs:ParametricMidtoneSplit", "50"}, {"crs:ParametricHighlightSplit", "75"},
      {"crs:ConvertToGrayscale", "False"}, {"crs:ToneCurveName2012", "Custom"}};
  for (const auto& A : Fixed) S += Attribute(A[0], A[1] != nullptr ? A[1] : NewGUIDText(false));
  S += Extra + "\n";
  S += "   crs:HasSettings=\"True\">\n";
  S += Alternative("crs:Name", Name) + Alternative("crs:ShortName", "") +
       Alternative("crs:SortName", Name) + Alternative("crs:Group", "Kromel") +
       Alternative("crs:Description", "");
  S += Sequence("crs:ToneCurvePV2012", Master, false) + Sequence("crs:ToneCurvePV2012Red", Red, false) +
       Sequence("crs:ToneCurvePV2012Green", Green, true) +
       Sequence("crs:ToneCurvePV2012Blue", Blue, true);
  S += "   <crs:Look\n    crs:Name=\"\"/>\n  </rdf:Description>\n </rdf:RDF>\n</x:xmpmeta>\n\n";
  return S;
}

bool SaveXMPCurves(const std::string& FileName, const TEnvelopeDots* Master,
                   const TEnvelopeDots* Red, const TEnvelopeDots* Green, const TEnvelopeDots* Blue,
                   const std::string& Extra) {
  if (Master == nullptr || Red == nullptr || Green == nullptr || Blue == nullptr) {
    ErrorMessageProc("Exception in SaveXMPCurves " + FileName);
    return false;
  }
  return SaveStringToFile(FileName, XMPCurvesText(FileName, *Master, *Red, *Green, *Blue, Extra),
                          ErrorMessageProc);
}

}  // namespace kromel
