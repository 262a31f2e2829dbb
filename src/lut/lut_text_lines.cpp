// Line and word helpers of the LUT text formats.
#include "lut/lut_text_lines.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "foundation/ascii_case.h"
#include "foundation/debug_log.h"
#include "foundation/number_format.h"

namespace kromel {

std::vector<std::string_view> SplitLutTextLines(std::string_view Text) {
  const std::size_t Nul = Text.find('\0');
  if (Nul != std::string_view::npos) Text = Text.substr(0, Nul);
  std::vector<std::string_view> Lines;
  std::size_t Start = 0;
  const std::size_t N = Text.size();
  for (std::size_t P = 0; P < N; ++P) {
    const char C = Text[P];
    if (C != '\r' && C != '\n') continue;
    Lines.push_back(Text.substr(Start, P - Start));
    if (C == '\r' && P + 1 < N && Text[P + 1] == '\n') ++P;
    Start = P + 1;
  }
  if (Start < N) Lines.push_back(Text.substr(Start));
  return Lines;
}

bool IsLutTextBlank(char C) { return C == ' ' || C == '\t' || C == '\v' || C == '\f'; }

std::string_view TrimLutTextLeading(std::string_view S) {
  std::size_t P = 0;
  while (P < S.size() && IsLutTextBlank(S[P])) ++P;
  return S.substr(P);
}

std::string_view TrimLutTextBlanks(std::string_view S) {
  S = TrimLutTextLeading(S);
  std::size_t E = S.size();
  while (E > 0 && IsLutTextBlank(S[E - 1])) --E;
  return S.substr(0, E);
}

void SplitLutTextWords(std::string_view Line, std::vector<std::string_view>& Words) {
  Words.clear();
  std::size_t P = 0;
  const std::size_t N = Line.size();
  while (P < N) {
    while (P < N && IsLutTextBlank(Line[P])) ++P;
    const std::size_t Start = P;
    while (P < N && !IsLutTextBlank(Line[P])) ++P;
    if (P > Start) Words.push_back(Line.substr(Start, P - Start));
  }
}

bool ParseLutInteger(std::string_view S, int64_t& Value) {
  if (!S.empty() && S[0] == '+') S.remove_prefix(1);
  if (S.empty() || S[0] == '+') return false;
  const auto Res = std::from_chars(S.data(), S.data() + S.size(), Value);
  return Res.ec == std::errc() && Res.ptr == S.data() + S.size();
}

bool ParseLutFloat(std::string_view S, float& Value) {
  if (!S.empty() && S[0] == '+') S.remove_prefix(1);
  if (S.empty() || S[0] == '+') return false;
  // Only digits, sign, "." and exponent: no "inf", "nan" or hex forms.
  for (char C : S)
    if (!((C >= '0' && C <= '9') || C == '.' || C == '-' || C == '+' || C == 'e' || C == 'E'))
      return false;
  float V = 0;
  const auto Res = std::from_chars(S.data(), S.data() + S.size(), V, std::chars_format::general);
  if (Res.ec != std::errc() || Res.ptr != S.data() + S.size() || !std::isfinite(V)) return false;
  Value = V;
  return true;
}

std::string UpperLutText(std::string_view S) { return UpperAscii(std::string(S)); }

bool StartsWithCubeKeyword(std::string_view Word) {
  const char C = Word.empty() ? '0' : Word[0];
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}

std::string_view LutTextDataPart(std::string_view Line) {
  const std::size_t Hash = Line.find('#');
  if (Hash != std::string_view::npos) Line = Line.substr(0, Hash);
  return TrimLutTextBlanks(Line);
}

bool ParseCubeNodeWords(const std::vector<std::string_view>& Words, float V[3], bool OneForAll) {
  if (OneForAll && Words.size() == 1) {
    if (!ParseLutFloat(Words[0], V[0])) return false;
    V[1] = V[2] = V[0];
    return true;
  }
  if (Words.size() != 3) return false;
  for (std::size_t c = 0; c < 3; ++c)
    if (!ParseLutFloat(Words[c], V[c])) return false;
  return true;
}

bool CubeDomainLineIsUnit(const std::vector<std::string_view>& Words, std::string_view RangeKey) {
  if (Words.empty()) return true;
  const std::string Key = UpperLutText(Words[0]);
  const bool Range = Key == RangeKey;
  if (Key != "DOMAIN_MIN" && Key != "DOMAIN_MAX" && !Range) return true;
  const std::size_t Count = Range ? 2 : 3;
  if (Words.size() != Count + 1) return false;
  for (std::size_t i = 0; i < Count; ++i) {
    float V = 0;
    if (!ParseLutFloat(Words[i + 1], V)) return false;
    const float Want = Key == "DOMAIN_MIN" || (Range && i == 0) ? 0.0f : 1.0f;
    if (V != Want) return false;
  }
  return true;
}

std::string LutLineNote(std::size_t Index, std::string_view Line) {
  constexpr std::size_t MaxShown = 80;
  Line = TrimLutTextBlanks(Line);
  std::string Note = "\nLine " + std::to_string(Index + 1) + ": ";
  Note += Line.substr(0, MaxShown);
  if (Line.size() > MaxShown) Note += "...";
  return Note;
}

void CollectPresetBlock(const std::vector<std::string_view>& Lines, std::size_t First,
                        TPresetLines& Preset) {
  for (std::size_t i = First; i < Lines.size(); ++i) {
    const std::string_view Line = Lines[i];
    if (!Preset) {
      std::string_view T = Line;
      while (!T.empty() && IsLutTextBlank(T.back())) T.remove_suffix(1);
      if (UpperLutText(T) == "#64BLOB") Preset = std::make_unique<std::vector<std::string>>();
      continue;
    }
    if (Line.size() > 1 && Line[0] == '#') Preset->emplace_back(Line.substr(1));
  }
}

void AppendPresetBlock(std::string& Text, const std::vector<std::string>& PresetLines,
                       const char* LineEnd) {
  Text += "#64BLOB";
  Text += LineEnd;
  for (const std::string& L : PresetLines) {
    Text += '#';
    Text += L;
    Text += LineEnd;
  }
}

void AppendCommentLines(std::string& Text, const std::string& Comment, const char* LineEnd) {
  std::vector<std::string_view> Lines = SplitLutTextLines(Comment);
  while (!Lines.empty() && Lines.back().empty()) Lines.pop_back();
  for (std::string_view L : Lines) {
    if (L.empty() || L[0] != '#') Text += '#';
    Text += L;
    Text += LineEnd;
  }
}

bool LutWritableAsCube(const T3DLut& Lut) {
  return Lut.R != nullptr && Lut.G != nullptr && Lut.B != nullptr && !Lut.NonCubic &&
         ValidLutLevels(Lut.Size) && Lut.NLRH == Lut.Size && Lut.NLGS == Lut.Size &&
         Lut.NLBL == Lut.Size && int64_t(Lut.Count) == int64_t(Lut.Size) * Lut.Size * Lut.Size;
}

float WritableLutValue(float V) {
  if (std::isnan(V)) return 0.0f;
  if (std::isinf(V)) return V > 0 ? 1.0f : 0.0f;
  return V;
}

void LogNonFiniteLutValues(const T3DLut& Lut, const std::string& FileName) {
  if (!DebugLogEnabled()) return;
  const float* Planes[3] = {Lut.R, Lut.G, Lut.B};
  int64_t Count = 0;
  for (const float* P : Planes)
    if (P != nullptr)
      Count += std::count_if(P, P + std::max<int64_t>(Lut.Count, 0),
                             [](float V) { return !std::isfinite(V); });
  if (Count > 0)
    DebugLogAdd(std::to_string(Count) +
                    " LUT values that are not finite written as 0 (NaN) or clamped to 0..1 "
                    "(infinities) to " +
                    FileName,
                0);
}

void AppendSixDecimals(std::string& Text, float V) {
  V = WritableLutValue(V);
  const double P = static_cast<double>(V) * 1000000.0;
  if (!(std::fabs(P) < 9.0e18)) {
    Text += FloatToStrD6(static_cast<double>(V));
    return;
  }
  const int64_t N = static_cast<int64_t>(std::nearbyint(P));
  uint64_t M = N < 0 ? uint64_t(0) - static_cast<uint64_t>(N) : static_cast<uint64_t>(N);
  char Buf[32];
  int Len = 0, Digits = 0;
  while (M > 0 || Digits < 7) {
    Buf[Len++] = static_cast<char>('0' + M % 10);
    M /= 10;
    if (++Digits == 6) Buf[Len++] = '.';
  }
  if (N < 0) Text += '-';
  for (int i = Len - 1; i >= 0; --i) Text += Buf[i];
}

}  // namespace kromel
