// Line and word helpers of the LUT text formats.
#include "lut/lut_text_lines.h"

#include <charconv>
#include <cmath>

#include "foundation/ascii_case.h"
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

void AppendSixDecimals(std::string& Text, float V) {
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
