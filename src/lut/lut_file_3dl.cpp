// 3DL reader and writer.
#include "lut/lut_file_3dl.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <vector>

#include "foundation/error_sink.h"
#include "foundation/files.h"

namespace kromel {

namespace {

constexpr const char* Crlf = "\r\n";
constexpr std::string_view OwnHeader = "pt 3DLUT created by";

void AppendInt(std::string& Text, int64_t V) {
  char Buf[24];
  const auto Res = std::to_chars(Buf, Buf + sizeof Buf, V);
  Text.append(Buf, Res.ptr);
}

// v * 4095 in single precision, halves to even, limited to 0..4095.
int32_t To12Bit(float V) {
  const float P = V * 4095.0f;
  if (!(P > 0)) return 0;
  if (P >= 4095.0f) return 4095;
  return static_cast<int32_t>(std::nearbyint(P));
}

std::string Compose3DL(const T3DLut& Lut, const std::vector<std::string>* PresetLines,
                       const std::string& Creator, const std::string& Notice,
                       const std::string& Comment) {
  const int32_t N = Lut.Size;
  std::string Text;
  Text.reserve(static_cast<std::size_t>(N) * N * N * 16 + 256);
  Text += '#';
  AppendInt(Text, N);
  Text += "pt 3DLUT created by ";
  Text += Creator;
  Text += Crlf;
  std::string Note = Notice;
  while (!Note.empty() && Note.back() == ' ') Note.pop_back();
  if (!Note.empty()) {
    Text += "#Copyright ";
    Text += Note;
    Text += Crlf;
  }
  if (!Lut.InputGamma.empty()) {
    Text += "#INPUTGAMMA ";
    Text += Lut.InputGamma;
    Text += Crlf;
  }
  if (!Comment.empty()) AppendCommentLines(Text, Comment, Crlf);
  for (int32_t i = 0; i < N; ++i) {
    const double Q = static_cast<double>(i) * 1023.0 / static_cast<double>(N - 1);
    AppendInt(Text, static_cast<int64_t>(static_cast<long double>(Q) + 0.99L));
    Text += ' ';
  }
  Text += Crlf;
  Text += Crlf;
  std::string Block;
  const int64_t N64 = N;
  for (int32_t r = 0; r < N; ++r) {
    Block.clear();
    for (int32_t g = 0; g < N; ++g)
      for (int32_t b = 0; b < N; ++b) {
        const int64_t k = r + N64 * (g + N64 * b);
        AppendInt(Block, To12Bit(Lut.R[k]));
        Block += ' ';
        AppendInt(Block, To12Bit(Lut.G[k]));
        Block += ' ';
        AppendInt(Block, To12Bit(Lut.B[k]));
        Block += Crlf;
      }
    Text += Block;
  }
  if (PresetLines != nullptr) {
    Text += Crlf;
    AppendPresetBlock(Text, *PresetLines, Crlf);
  }
  return Text;
}

void Report(bool Show, const std::string& Text) {
  if (Show) ErrorMessageProc(Text);
}

}  // namespace

bool SaveTo3DL(const T3DLut& Lut, const std::string& FileName,
               const std::vector<std::string>* PresetLines, const std::string& Creator,
               const std::string& Notice, const std::string& Comment, bool ShowErrors) {
  std::string Text;
  try {
    if (!LutWritableAsCube(Lut)) throw std::runtime_error("LUT is not a cube");
    Text = Compose3DL(Lut, PresetLines, Creator, Notice, Comment);
  } catch (...) {
    // Nothing is written after a failure here.
    ErrorMessageProc("Error 1 while saving 3DL to " + FileName);
    return false;
  }
  try {
    LogNonFiniteLutValues(Lut, FileName);
    const bool Ok = SaveStringToFile(FileName, Text, ErrorMessageProc);
    if (!Ok) Report(ShowErrors, "Error saving 3DL to " + FileName);
    return Ok;
  } catch (...) {
    ErrorMessageProc("Error 2 while saving 3DL to " + FileName);
    return false;
  }
}

bool LoadFrom3DL(T3DLut* Lut, const std::string& FileName, bool ShowErrors,
                 TPresetLines* PresetLines) {
  try {
    std::string Text;
    if (!LoadFileToString(FileName, Text)) {
      Report(ShowErrors, "Failed to read 3DL LUT from " + FileName);
      return false;
    }
    const std::vector<std::string_view> Lines = SplitLutTextLines(Text);
    std::size_t Cursor = 0;

    // Header up to the shaper line (the first one starting with "0").
    std::string ImageProfile, InputGamma;
    bool OwnFile = false;
    std::string_view Shaper;
    while (Cursor < Lines.size()) {
      std::string_view Line = TrimLutTextLeading(Lines[Cursor++]);
      while (!Line.empty() && Line.back() == ' ') Line.remove_suffix(1);
      Shaper = Line;
      if (!Line.empty() && Line[0] == '0') break;
      if (Line.substr(0, 13) == "#IMAGEPROFILE")
        ImageProfile = std::string(Line.substr(std::min<std::size_t>(13, Line.size())));
      else if (Line.substr(0, 11) == "#INPUTGAMMA")
        InputGamma = std::string(TrimLutTextBlanks(Line.substr(11)));
      if (Line.find(OwnHeader) != std::string_view::npos) OwnFile = true;
    }
    std::vector<std::string_view> Words;
    SplitLutTextWords(Shaper, Words);
    const int64_t N = std::max<int64_t>(1, static_cast<int64_t>(Words.size()));

    bool Result = false;
    if (Lut != nullptr) {
      const std::string Corrupt =
          "3DL Import - Corrupt file: " + FileName + "\nLUT Size: " + std::to_string(N);
      if (!ValidLutLevels(N)) {
        Report(ShowErrors, Corrupt);
        return false;
      }
      // Count the node lines before touching the LUT.
      const int64_t Count = N * N * N;
      auto IsNodeLine = [](std::string_view L) {
        L = TrimLutTextLeading(L);
        return !L.empty() && L[0] != '#';
      };
      const std::size_t First = Cursor;
      int64_t Found = 0;
      while (Found < Count && Cursor < Lines.size())
        if (IsNodeLine(Lines[Cursor++])) ++Found;
      if (Found < Count) {
        Report(ShowErrors, Corrupt);
        return false;
      }
      // Every node must read as three whole numbers before the LUT changes.
      std::vector<float> Planes[3];
      for (auto& P : Planes) P.resize(static_cast<std::size_t>(Count));
      int64_t Largest = 0;
      std::size_t Line = First;
      for (int64_t r = 0; r < N; ++r)
        for (int64_t g = 0; g < N; ++g)
          for (int64_t b = 0; b < N; ++b) {
            while (!IsNodeLine(Lines[Line])) ++Line;
            SplitLutTextWords(LutTextDataPart(Lines[Line]), Words);
            const std::size_t k = static_cast<std::size_t>(r + N * (g + N * b));
            int64_t V[3] = {0, 0, 0};
            bool Ok = Words.size() == 3;
            for (std::size_t c = 0; Ok && c < 3; ++c)
              Ok = ParseLutInteger(Words[c], V[c]) && V[c] <= INT32_MAX && V[c] >= INT32_MIN;
            if (!Ok) {
              Report(ShowErrors, Corrupt + LutLineNote(Line, Lines[Line]));
              return false;
            }
            ++Line;
            for (std::size_t c = 0; c < 3; ++c) {
              Largest = std::max(Largest, V[c]);
              Planes[c][k] = static_cast<float>(V[c]);
            }
          }
      int64_t Divisor = 1023;
      if (OwnFile && Largest <= 4095) {
        Divisor = 4095;
      } else {
        while (Divisor < Largest) Divisor = Divisor * 2 + 1;
      }
      const float Factor = static_cast<float>(1.0 / static_cast<double>(Divisor));
      if (!Lut->EnsureSize(static_cast<int32_t>(N))) {
        Report(ShowErrors, Corrupt);
        return false;
      }
      float* Dest[3] = {Lut->R, Lut->G, Lut->B};
      for (int c = 0; c < 3; ++c)
        for (int64_t k = 0; k < Count; ++k)
          Dest[c][k] = Planes[c][static_cast<std::size_t>(k)] * Factor;
      Lut->ImageProfile = ImageProfile;
      Lut->InputGamma = InputGamma;
      Lut->Name = FileName;
      Result = true;
    }
    if (PresetLines != nullptr) CollectPresetBlock(Lines, Cursor, *PresetLines);
    return Result;
  } catch (...) {
    ErrorMessageProc("Exception in T3DLut.LoadFrom3DL: " + FileName);
    return false;
  }
}

}  // namespace kromel
