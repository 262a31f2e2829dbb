#include "fileio/dng_color_profile.h"

#include <unordered_map>

#include "fileio/dng_camera_profile.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"

namespace kromel {

namespace {

// The text after the first Key, or empty.
std::string After(const std::string& Text, const std::string& Key) {
  const std::size_t P = Text.find(Key);
  return P == std::string::npos ? std::string() : Text.substr(P + Key.size(), 64);
}

std::string Quoted(int64_t N) { return "\"" + std::to_string(N) + "\""; }

constexpr const char* ElementKey = "<Element HueDiv=";

// Divisions of at least 1 whose product stays within MaxDNGTableEntries;
// each factor is bounded before it is multiplied, so nothing overflows.
bool DivisionsFit(int32_t H, int32_t S, int32_t V) {
  if (H <= 0 || S <= 0 || V <= 0) return false;
  if (H > MaxDNGTableEntries || S > MaxDNGTableEntries || V > MaxDNGTableEntries) return false;
  const int64_t HS = int64_t(H) * S;
  return HS <= MaxDNGTableEntries && HS * V <= MaxDNGTableEntries;
}

}  // namespace

bool TDNGColorProfile::SetSize(int32_t Hues, int32_t Sats, int32_t Vals) {
  Corrections.clear();
  HueDivisions = SatDivisions = ValDivisions = 0;
  if (!DivisionsFit(Hues, Sats, Vals)) return false;
  HueDivisions = Hues;
  SatDivisions = Sats;
  ValDivisions = Vals;
  Corrections.assign(static_cast<std::size_t>(int64_t(Hues) * Sats * Vals), TDNGCorrection{});
  return true;
}

bool TDNGColorProfile::LoadFromFile(const std::string& FileName) {
  std::string Ignored;
  LoadFileToString(FileName, Ignored);
  return false;
}

bool TDNGColorProfile::LoadFromXML(const std::string& FileName) {
  try {
    std::string Text;
    if (!LoadFileToString(FileName, Text)) return false;
    const int32_t H = StrToIntLeading(After(Text, "hueDivisions=\""));
    const int32_t S = StrToIntLeading(After(Text, "satDivisions=\""));
    const int32_t V = StrToIntLeading(After(Text, "valDivisions=\""));
    if (!DivisionsFit(H, S, V)) return false;
    std::string Matrix;
    const std::size_t MStart = Text.find("<ForwardMatrix1");
    const std::size_t MEnd = MStart == std::string::npos ? MStart : Text.find("</ForwardMatrix1>", MStart);
    if (MEnd != std::string::npos) Matrix = Text.substr(MStart, MEnd - MStart);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        ForwardMatrix1[3 * r + c] =
            StrToDoubleLeading(After(Matrix, "<Element Row=" + Quoted(r) + " Col=" + Quoted(c) + ">"));
    // The first line holding each element's division triple.
    std::unordered_map<std::string, std::string> Lines;
    std::size_t LineStart = 0;
    while (LineStart < Text.size()) {
      std::size_t LineEnd = Text.find('\n', LineStart);
      if (LineEnd == std::string::npos) LineEnd = Text.size();
      const std::string Line = Text.substr(LineStart, LineEnd - LineStart);
      for (std::size_t P = Line.find(ElementKey); P != std::string::npos; P = Line.find(ElementKey, P + 1)) {
        // Key: through the closing quote of ValDiv's number.
        const std::size_t V0 = Line.find(" ValDiv=\"", P);
        const std::size_t V1 = V0 == std::string::npos ? V0 : Line.find('"', V0 + 9);
        if (V1 != std::string::npos) Lines.emplace(Line.substr(P, V1 + 1 - P), Line);
      }
      LineStart = LineEnd + 1;
    }
    if (int64_t(Lines.size()) < int64_t(H) * S * V || !SetSize(H, S, V)) return false;
    for (int32_t h = 0; h < H; ++h)
      for (int32_t s = 0; s < S; ++s)
        for (int32_t v = 0; v < V; ++v) {
          const auto It = Lines.find(ElementKey + Quoted(h) + " SatDiv=" + Quoted(s) + " ValDiv=" + Quoted(v));
          if (It == Lines.end()) return false;
          TDNGCorrection& C = Corrections[static_cast<std::size_t>(v + int64_t(V) * (s + int64_t(S) * h))];
          C.HueShift = StrToFloatLeading(After(It->second, "HueShift=\""));
          C.SatScale = StrToFloatLeading(After(It->second, "SatScale=\""));
          C.ValScale = StrToFloatLeading(After(It->second, "ValScale=\""));
        }
    return true;
  } catch (...) {
    ErrorMessageProc("Exception in TDNGColorProfile.LoadFromXML");
    return false;
  }
}

void TDNGColorProfile::ApplyToHSV(float& Hue, float& Sat, float& Val) const {
  if (Corrections.size() != std::size_t(int64_t(HueDivisions) * SatDivisions * ValDivisions)) return;
  InterpolateHSVCorrection(Hue, Sat, Val, HueDivisions, SatDivisions, ValDivisions,
                           [this](int32_t h, int32_t s, int32_t v) -> const TDNGCorrection& {
                             return Corrections[static_cast<std::size_t>(
                                 v + int64_t(ValDivisions) * (s + int64_t(SatDivisions) * h))];
                           });
}

}  // namespace kromel
