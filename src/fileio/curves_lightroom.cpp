#include "fileio/curves_lightroom.h"

#include <array>
#include <exception>
#include <memory>

#include "foundation/ascii_case.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"
#include "lut/lut_text_lines.h"

namespace kromel {

namespace {

constexpr int32_t TemplateMaxDots = 14;

// A Lua string literal.
std::string LuaQuoted(const std::string& S) {
  std::string Q = "\"";
  for (char C : S) {
    if (C == '"' || C == '\\') Q += '\\';
    Q += C;
  }
  return Q + "\"";
}

std::string KeyLine(int Tabs, const std::string& Key, const std::string& Value) {
  return std::string(size_t(Tabs), '\t') + Key + " = " + Value + ",\n";
}

std::string TemplateTitle(const std::string& FileName) {
  std::string Title = ExtractFileNameW(FileName);
  const size_t P = UpperAscii(Title).find(".LRTEMPLATE");
  if (P != std::string::npos) Title.erase(P, 11);
  return Title;
}

void AppendTable(std::string& Text, const char* Header, const TEnvelopeDots& Source) {
  TEnvelopeDots Copy;
  Copy.CopyFrom(&Source);
  Copy.ReduceDots(TemplateMaxDots);
  Text += std::string("\t\t\t") + Header + " = {\n";
  for (int32_t I = 0; I < Copy.NumDots; ++I) {
    const TCurveDotPoint& D = Copy.Dot(I);
    Text += "\t\t\t\t" + std::to_string(int64_t(D.X) * 255 / 16384) + ",\n";
    Text += "\t\t\t\t" + std::to_string(int64_t(D.Y) * 255 / 32767) + ",\n";
  }
  Text += "\t\t\t},\n";
}

bool IsBlankLine(std::string_view Line) { return TrimLutTextBlanks(Line).empty(); }

// The leading integer of a line (blanks first skipped), as on the 0..255 scale.
bool LeadingNumber(std::string_view Line, int32_t& Value) {
  const std::string S(TrimLutTextLeading(Line));
  if (S.empty() || !((S[0] >= '0' && S[0] <= '9') || S[0] == '-' || S[0] == '+')) return false;
  Value = StrToIntLeading(S);
  return true;
}

}  // namespace

std::string LRTemplateCurvesText(const std::string& FileName, const TEnvelopeDots& Master,
                                 const TEnvelopeDots& Red, const TEnvelopeDots& Green,
                                 const TEnvelopeDots& Blue, const std::string& Extra) {
  std::string Name = FileName;
  NormalizeSlashes(Name);
  const std::string Title = LuaQuoted(TemplateTitle(Name));
  std::string Text = "s = {\n";
  Text += KeyLine(1, "id", LuaQuoted(NewGUIDText(true)));
  Text += KeyLine(1, "internalName", Title);
  Text += KeyLine(1, "title", Title);
  Text += KeyLine(1, "type", "\"Develop\"");
  Text += "\tvalue = {\n\t\tsettings = {\n";
  if (!Extra.empty()) Text += Extra + "\n";
  Text +=
      "\t\t\tParametricDarks = 0,\n\t\t\tParametricHighlightSplit = 75,\n"
      "\t\t\tParametricHighlights = 0,\n\t\t\tParametricLights = 0,\n"
      "\t\t\tParametricMidtoneSplit = 50,\n\t\t\tParametricShadowSplit = 25,\n"
      "\t\t\tParametricShadows = 0,\n";
  Text += KeyLine(3, "ProcessVersion", "\"6.7\"");
  Text += KeyLine(3, "ToneCurveName2012", "\"Custom\"");
  AppendTable(Text, "ToneCurvePV2012", Master);
  AppendTable(Text, "ToneCurvePV2012Blue", Blue);
  AppendTable(Text, "ToneCurvePV2012Green", Green);
  AppendTable(Text, "ToneCurvePV2012Red", Red);
  Text += "\t\t},\n";
  Text += KeyLine(2, "uuid", LuaQuoted(NewGUIDText(true)));
  Text += "\t},\n\tversion = 0,\n}\n";
  return Text;
}

bool SaveLRTemplateCurves(const std::string& FileName, const TEnvelopeDots* Master,
                          const TEnvelopeDots* Red, const TEnvelopeDots* Green,
                          const TEnvelopeDots* Blue, const std::string& Extra) {
  std::string Name = FileName;
  try {
    if (Master == nullptr || Red == nullptr || Green == nullptr || Blue == nullptr) {
      ErrorMessageProc("Exception in SaveLRTemplateCurves 0 to " + FileName);
      return false;
    }
    NormalizeSlashes(Name);
    const std::string Text = LRTemplateCurvesText(Name, *Master, *Red, *Green, *Blue, Extra);
    const std::string Folder = ExtractFilePathW(Name);
    if (Folder.size() > 1 && !DirectoryExistsW(Folder)) ForceFoldersW(Folder);

    TSafeFileWriter Writer(Name);
    if (!Writer.Opened() || !Writer.Write(Text.data(), Text.size()) || !Writer.Commit()) {
      const int Error = Writer.ErrorCode();
      Writer.Discard();
      ErrorMessageProc(FormatCurveMessage(
          TranslateCurveMessage("Error #%d saving LRTemplate curves: can't write to %s"), Error, Name));
      return false;
    }
    return true;
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in SaveLRTemplateCurves to " + Name);
    return false;
  }
}

void ReadLRTemplateCurve(const std::vector<std::string_view>& Lines, size_t& Index,
                         std::vector<TCurveFilePoint>& Points) {
  Points.clear();
  ++Index;
  const auto Ends = [&](size_t I) { return I >= Lines.size() || Lines[I].find('}') != std::string_view::npos; };
  while (!Ends(Index)) {
    if (IsBlankLine(Lines[Index])) {
      ++Index;
      continue;
    }
    int32_t X = 0, Y = 0;
    const bool HaveX = LeadingNumber(Lines[Index], X);
    ++Index;
    if (!HaveX) continue;
    while (Index < Lines.size() && IsBlankLine(Lines[Index])) ++Index;
    // A value left without its pair before the table ends adds no dot.
    if (Index >= Lines.size() || !LeadingNumber(Lines[Index], Y)) continue;
    Points.push_back({X / 255.0 * 16384.0, Y / 255.0 * 32767.0});
    if (!Ends(Index)) ++Index;
  }
}

bool LoadLRTemplateCurves(const std::string& FileName, TEnvelopeDots* Master, TEnvelopeDots* Red,
                          TEnvelopeDots* Green, TEnvelopeDots* Blue) {
  std::string Text;
  if (!LoadFileToString(FileName, Text)) return false;
  const std::vector<std::string_view> Lines = SplitLutTextLines(Text);
  const std::array<const char*, 4> Keys = {"TONECURVEPV2012 ", "TONECURVEPV2012RED",
                                           "TONECURVEPV2012GREEN", "TONECURVEPV2012BLUE"};
  const std::array<TEnvelopeDots*, 4> Curves = {Master, Red, Green, Blue};
  std::array<std::unique_ptr<std::vector<TCurveDotPoint>>, 4> Read;
  std::vector<TCurveFilePoint> Points;
  for (size_t I = 0; I < Lines.size(); ++I) {
    const std::string Upper = UpperAscii(std::string(Lines[I]));
    for (size_t K = 0; K < Keys.size(); ++K) {
      if (Upper.find(Keys[K]) == std::string::npos) continue;
      // A table written on its header line is not read.
      if (Upper.find('}') != std::string::npos) break;
      ReadLRTemplateCurve(Lines, I, Points);
      if (Curves[K] == nullptr) break;
      Read[K] = std::make_unique<std::vector<TCurveDotPoint>>(
          CurveDotsFromPoints(Points, Curves[K]->AllowNegative));
      if (Read[K]->size() < 2) {
        ErrorMessageProc("LoadLRTemplateCurves failed - curve from file " + FileName +
                         " can't be loaded");
        return false;
      }
      break;
    }
  }
  for (size_t K = 0; K < Curves.size(); ++K)
    if (Read[K]) SetCurveDots(*Curves[K], *Read[K]);
  return true;
}

}  // namespace kromel
