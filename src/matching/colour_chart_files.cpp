// Chart files in CGATS text form: the reader, the writer and the plain
// dump of the reference values.
#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "foundation/text_tokens.h"
#include "matching/colour_chart.h"
#include "platform/translate.h"

namespace kromel {

namespace {

// More patches than any printed chart holds; a file that asks for more is
// refused before anything is allocated.
constexpr int64_t MaxChartPatches = 262144;
constexpr double MaxLabL = 110;
constexpr double MaxLabAB = 200;

bool IsBlankOrControl(char C) { return static_cast<unsigned char>(C) <= 32; }
bool IsUpperLetter(char C) { return C >= 'A' && C <= 'Z'; }
bool IsDigitChar(char C) { return C >= '0' && C <= '9'; }

std::vector<std::string> ChartLines(const std::string& Text) {
  std::vector<std::string> Lines = SplitTextLines(Text);
  for (std::string& Line : Lines) {
    std::replace(Line.begin(), Line.end(), '\t', ' ');
    size_t First = 0, Last = Line.size();
    while (First < Last && IsBlankOrControl(Line[First])) ++First;
    while (Last > First && IsBlankOrControl(Line[Last - 1])) --Last;
    Line = Line.substr(First, Last - First);
  }
  return Lines;
}

std::vector<std::string> Words(const std::string& Line) {
  std::vector<std::string> W;
  size_t P = 0;
  while (P < Line.size()) {
    while (P < Line.size() && Line[P] == ' ') ++P;
    const size_t Begin = P;
    while (P < Line.size() && Line[P] != ' ') ++P;
    if (P > Begin) W.push_back(Line.substr(Begin, P - Begin));
  }
  return W;
}

// Word N, or the last word when the line has fewer (as GetWord).
std::string WordAt(const std::vector<std::string>& W, int32_t N) {
  if (W.empty() || N < 0) return {};
  return W[std::min(size_t(N), W.size() - 1)];
}

int32_t WordPosition(const std::vector<std::string>& W, const std::string& Word) {
  const auto It = std::find(W.begin(), W.end(), Word);
  return It == W.end() ? -1 : int32_t(It - W.begin());
}

std::string UpperCase(std::string S) {
  for (char& C : S)
    if (C >= 'a' && C <= 'z') C = char(C - 32);
  return S;
}

int64_t FindLineCI(const std::vector<std::string>& Lines, const std::string& Upper) {
  for (size_t I = 0; I < Lines.size(); ++I)
    if (Lines[I].size() == Upper.size() && UpperCase(Lines[I]) == Upper) return int64_t(I);
  return -1;
}

// The letter index of a patch name (A = 0, AA = 26) and where its number
// starts.
int32_t NameLetters(const std::string& Name, size_t& NumberStart) {
  int32_t Letter = int32_t(static_cast<unsigned char>(Name[0])) - 65;
  NumberStart = 1;
  if (IsUpperLetter(Name[1])) {
    Letter = (Letter + 1) * 26 + (Name[1] - 65);
    NumberStart = 2;
  }
  return Letter;
}

struct TChartParseError {
  std::string Text;
};

}  // namespace

bool TColorChartTable::LoadColorChart(const std::string& FileName) {
  std::error_code Ec;
  if (!std::filesystem::exists(FileName, Ec)) {
    ErrorMessageProc(_("Failed to load Color Chart from ") + FileName + "\n" + _("File not found."));
    return false;
  }
  std::string Text;
  if (!LoadFileToString(FileName, Text)) {
    ErrorMessageProc(_("Failed to load Color Chart from ") + FileName);
    return false;
  }
  return LoadColorChartFromText(Text, FileName);
}

bool TColorChartTable::LoadColorChartFromText(const std::string& Text,
                                              const std::string& FileName) {
  try {
    const std::vector<std::string> Lines = ChartLines(Text);
    auto Fail = [](const std::string& Message) { throw TChartParseError{Message}; };

    const int32_t NumSets = StrToIntLeading(GetListValueByKey(Lines, "NUMBER_OF_SETS"));
    std::string RowLength = GetListValueByKey(Lines, "LGOROWLENGTH");
    RowLength.erase(std::remove(RowLength.begin(), RowLength.end(), '"'), RowLength.end());
    int32_t NewColumns = StrToIntLeading(RowLength);
    if (NewColumns < 1) NewColumns = 4;
    int32_t NewRows = NumSets / NewColumns;
    if (NumSets < 3) Fail("Parsing error #0 - Number of sets <3");

    const int64_t FormatAt = FindLineCI(Lines, "BEGIN_DATA_FORMAT");
    if (FormatAt < 0 || FormatAt + 1 >= int64_t(Lines.size())) Fail("Parsing error #1");
    const std::vector<std::string> Format = Words(UpperCase(Lines[size_t(FormatAt + 1)]));
    const int32_t LCol = WordPosition(Format, "LAB_L");
    const int32_t ACol = WordPosition(Format, "LAB_A");
    const int32_t BCol = WordPosition(Format, "LAB_B");
    int32_t NameCol = WordPosition(Format, "SAMPLE_NAME");
    if (LCol < 1) Fail("Parsing error #2 - Can not find LAB_L column");
    if (ACol < 1) Fail("Parsing error #2 - Can not find LAB_A column");
    if (BCol < 1) Fail("Parsing error #2 - Can not find LAB_B column");

    const int64_t DataAt = FindLineCI(Lines, "BEGIN_DATA");
    if (DataAt < 0 || int64_t(Lines.size()) - (DataAt + 1) < int64_t(NumSets) + 1)
      Fail("Parsing error #3");
    std::vector<std::vector<std::string>> Data;
    Data.resize(size_t(NumSets));
    for (int32_t K = 0; K < NumSets; ++K) Data[size_t(K)] = Words(Lines[size_t(DataAt + 1 + K)]);

    int32_t CountA = 0, CountGS = 0, Base = 1;
    for (int32_t K = 0; K < NumSets; ++K) {
      const std::string& Line = Lines[size_t(DataAt + 1 + K)];
      const std::vector<std::string>& W = Data[size_t(K)];
      const std::string Second = WordAt(W, 1);
      if ((!Line.empty() && Line[0] == 'A') ||
          (Second.size() >= 2 && Second[0] == 'A' && IsDigitChar(Second[1])))
        ++CountA;
      const std::string First = WordAt(W, 0);
      if (First.size() >= 3 && First[0] == 'G' && First[1] == 'S' && IsDigitChar(First[2])) {
        ++CountGS;
        if (First[2] == '0') Base = 0;
      }
    }
    if (CountA > 0) NewRows = CountA;
    if (CountGS > CountA) {
      CountA = CountGS;
      NewRows = CountGS;
      NameCol = 0;
    }
    // Fewer sets than one row and no names to count rows by: nothing to
    // divide the sets by.
    if (NewRows < 1) Fail("Parsing error #0 - Number of sets <3");
    const std::string ShortName = "Parsing error #3 - Using patch names as indexes failed";
    if (CountA == 0) {
      NewColumns = NumSets / NewRows;
    } else {
      int32_t LetterGroup = -1, Previous = INT_MIN;
      for (int32_t K = 0; K < NumSets && NameCol >= 0; ++K) {
        const std::string Word = WordAt(Data[size_t(K)], NameCol);
        if (Word.size() < 2) Fail(ShortName);
        size_t NumberStart = 0;
        const int32_t Letter = NameLetters(Word, NumberStart);
        if (Letter != Previous) ++LetterGroup;
        Previous = Letter;
      }
      NewColumns = LetterGroup >= 2 ? LetterGroup + 1 : NumSets / NewRows;
    }
    const int64_t Grid = int64_t(NewColumns) * NewRows;
    if (Grid < 1 || Grid > MaxChartPatches)
      Fail("Parsing error #3 - Chart of " + std::to_string(Grid) + " patches is not supported");

    TColorChartTable Parsed;
    Parsed.Init();
    Parsed.Alloc(int32_t(Grid));
    Parsed.Clear();
    int32_t LetterGroup = -1, Previous = INT_MIN;
    for (int32_t K = 0; K < NumSets; ++K) {
      const std::string& Line = Lines[size_t(DataAt + 1 + K)];
      const std::vector<std::string>& W = Data[size_t(K)];
      int64_t Index = K;
      std::string Word;
      if (NameCol >= 0) {
        Word = WordAt(W, NameCol);
        if (Word.size() < 2) Fail(ShortName);
        size_t NumberStart = 0;
        const int32_t Letter = NameLetters(Word, NumberStart);
        if (Letter != Previous) ++LetterGroup;
        Previous = Letter;
        const int64_t Number = int64_t(StrToIntLeading(Word.substr(NumberStart))) - Base;
        if (CountA > 0) Index = int64_t(LetterGroup) * CountA + Number;
        if (Index < 0 || Index >= Grid)
          Fail("Parsing error #4 - Patch named " + Word + " (" + std::to_string(Index) +
               ") is outside number of sets (" + std::to_string(NumSets) + ")");
      }
      if (Index < 0 || Index >= Grid)
        Fail("Parsing error #5 - Patch named (" + Word + ") N" + std::to_string(Index) +
             " is outside number of sets (" + std::to_string(NumSets) + ")");
      TColorCheckerPixel128& P = Parsed.Patches[size_t(Index)];
      if (NameCol >= 0) P.SetName(Word);
      // Reference values are real colours: L* 0..110, a* and b* within
      // +-200; anything else (or a value a Single cannot hold) is refused.
      const double L = StrToDoubleLeading(WordAt(W, LCol));
      const double A = StrToDoubleLeading(WordAt(W, ACol));
      const double B = StrToDoubleLeading(WordAt(W, BCol));
      if (!(L >= 0 && L <= MaxLabL) || !(std::fabs(A) <= MaxLabAB) || !(std::fabs(B) <= MaxLabAB))
        Fail("Parsing error #6 - Lab value out of range in line " +
             std::to_string(DataAt + 2 + K) + ": " + Line);
      P.LabL = float(L);
      P.LabA = float(A);
      P.LabB = float(B);
      P.Empty = P.LabL == 0;
      P.Neutral = UpperCase(Line).find("GS") != std::string::npos;
    }
    Parsed.Columns = NewRows;
    Parsed.Rows = NewColumns;
    if (Parsed.CountNeutralPatches() == 0) Parsed.MarkNeutralPatches();

    Dispose();
    Patches = std::move(Parsed.Patches);
    Count = Parsed.Count;
    Columns = Parsed.Columns;
    Rows = Parsed.Rows;
    CompensationValid = false;
    Parsed.Count = 0;
    return true;
  } catch (const TChartParseError& E) {
    ErrorMessageProc(_("Failed to load Color Chart from ") + FileName + "\n" + E.Text);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TColorChartTable.LoadColorChart");
  }
  return false;
}

std::string TColorChartTable::ColorChartText(const std::string& Info) const {
  const int32_t N = Columns * Rows;
  std::string S = "NUMBER_OF_SETS\t" + std::to_string(N) + "\n";
  S += "LGOROWLENGTH\t" + std::to_string(Columns) + "\n";
  S += "INFO\t\"" + Info + "\"\n";
  S += "INSTRUMENTATION\t\"Kromel\"\n";
  S += "BEGIN_DATA_FORMAT\n";
  S += "SampleID\tSAMPLE_NAME\tRGB_R\tRGB_G\tRGB_B\tLAB_L\tLAB_A\tLAB_B\n";
  S += "END_DATA_FORMAT\n";
  S += "BEGIN_DATA\n";
  for (int32_t I = 0; I < N; ++I) {
    const int32_t C = I / Rows, R = I % Rows;
    const TColorCheckerPixel128& P = Patches[size_t(PatchIndex(R, C))];
    float L = std::max(P.LabL, 0.001f);
    if (P.Empty) L = 0;
    S += std::to_string(I + 1) + "\t" + ColorChartPatchName(C, R) + "\t" + FloatToStrD2(P.Red) +
         "\t" + FloatToStrD2(P.Green) + "\t" + FloatToStrD2(P.Blue) + "\t" + FloatToStrD3(L) +
         "\t" + FloatToStrD2(P.LabA) + "\t" + FloatToStrD2(P.LabB) + "\n";
  }
  S += "END_DATA\n";
  return S;
}

bool TColorChartTable::SaveColorChart(const std::string& FileName,
                                      const std::string& Info) const {
  // Exactly the grid is written, so NUMBER_OF_SETS matches the data lines.
  if (!GridIsComplete()) {
    ErrorMessageProc("Error in TColorChartTable.SaveColorChart: " + std::to_string(Count) +
                     " patches do not fill " + std::to_string(Columns) + " x " +
                     std::to_string(Rows));
    return false;
  }
  std::string Text;
  try {
    Text = ColorChartText(Info);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TColorChartTable.SaveColorChart, I=0 J=0");
    return false;
  }
  return SaveStringToFile(FileName, Text, ErrorMessageProc);
}

bool TColorChartTable::SaveColorChartAsArray(const std::string& FileName) const {
  std::string Text;
  for (int32_t I = 0; I < Count; ++I) {
    const TColorCheckerPixel128& P = Patches[size_t(I)];
    if (I > 0) Text += "\n";
    Text += "         (L : " + FloatToStrD2(P.LabL) + "; A: " + FloatToStrD2(P.LabA) +
            "; B: " + FloatToStrD2(P.LabB) + "),";
  }
  return SaveStringToFile(FileName, Text, ErrorMessageProc);
}

}  // namespace kromel
