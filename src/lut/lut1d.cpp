#include "lut/lut1d.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "foundation/numeric.h"
#include "foundation/byte_codecs.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/text_tokens.h"
#include "images/image32.h"
#include "lut/lut_chunks.h"
#include "lut/lut_text_lines.h"
#include "platform/folders.h"

namespace kromel {

namespace {

bool ValidEntryCount(int64_t N) { return N >= Min1DLutEntries && N <= Max1DLutEntries; }

uint64_t PlaneCRC(const float* Plane, int32_t Count) {
  return CRC64OfBuffer(Plane, static_cast<std::size_t>(std::max(Count, 0)) * sizeof(float));
}

}  // namespace

bool T1DLut::SetSize(int32_t N) {
  FreeData();
  Valid = false;
  if (!ValidEntryCount(N)) {
    ErrorMessageProc("Error in T1DLut.SetSize - N=" + std::to_string(N));
    return false;
  }
  if (!AllocPlanes(N)) return false;
  Size = N;
  return true;
}

bool T1DLut::EnsureSize(int32_t N) {
  if (N == Size && R != nullptr) return true;
  Valid = false;
  FreeData();
  return SetSize(N);
}

void T1DLut::SetDefault() {
  if (R != nullptr && G != nullptr && B != nullptr && Size >= Min1DLutEntries) {
    for (int32_t i = 0; i < Size; ++i)
      R[i] = G[i] = B[i] = static_cast<float>(double(i) / double(Size - 1));
  }
  Valid = false;
  Name.clear();
}

void T1DLut::ProcessColor1DSingle(float& Red, float& Green, float& Blue) const {
  if (R == nullptr || G == nullptr || B == nullptr || Size < Min1DLutEntries) return;
  const int32_t N = Size;
  auto Through = [N](float V, const float* X, bool& Bad) {
    if (V < 0) V = 0;
    if (V > 1) V = 1;
    if (V != V) {
      Bad = true;
      V = 0;
    }
    const float P = static_cast<float>(N - 1) * V;
    int32_t I = static_cast<int32_t>(P);
    if (I > N - 2) I = N - 2;
    const float F = P - static_cast<float>(I);
    return (1 - F) * X[I] + F * X[I + 1];
  };
  bool Bad = false;
  Red = Through(Red, R, Bad);
  Green = Through(Green, G, Bad);
  Blue = Through(Blue, B, Bad);
  if (Bad) ErrorMessageProc("Exception in T3DLut.ProcessColor1DSingle");
}

void T1DLut::ProcessImage(const TImage32& Src, TImage32& Dst, bool Dither) const {
  if (R == nullptr || Size < Min1DLutEntries || Dst.Pixels == nullptr) return;
  const int64_t Pixels = int64_t(std::max(Dst.Width, 0)) * std::max(Dst.Height, 0);
  if (Src.Pixels == nullptr || int64_t(Src.Width) * Src.Height < Pixels || Src.Size < Pixels) {
    ErrorMessageProc("Error in T1DLut.ProcessImage - source smaller than destination");
    return;
  }
  for (int64_t k = 0; k < Pixels; ++k) {
    const TBGRAPixel32 S = Src.Pixels[k].BGRA;
    if (S.A == 0) {
      Dst.Pixels[k] = Src.Pixels[k];
      continue;
    }
    float In[3] = {static_cast<float>(S.R / 255.0), static_cast<float>(S.G / 255.0),
                   static_cast<float>(S.B / 255.0)};
    if (Dither) {
      const uint8_t Bytes[3] = {S.R, S.G, S.B};
      for (int c = 0; c < 3; ++c)
        if (Bytes[c] != 255) In[c] += RandomFloat01() / 255.0f;
    }
    float Out[3] = {In[0], In[1], In[2]};
    ProcessColor1DSingle(Out[0], Out[1], Out[2]);
    const float Alpha = S.A;
    uint8_t Res[3];
    for (int c = 0; c < 3; ++c) {
      const float V = (255 - Alpha) * In[c] + Alpha * Out[c];
      Res[c] = V != V ? 0 : static_cast<uint8_t>(std::clamp(std::nearbyint(V), 0.0f, 255.0f));
    }
    TVPixel32 P;
    P.BGRA = {Res[2], Res[1], Res[0], S.A};
    Dst.Pixels[k] = P;
  }
  Dst.CopyMarginsFrom(Src);
}

bool T1DLut::SaveToStream(TByteStream& Stream) const {
  const bool Has = R != nullptr && G != nullptr && B != nullptr && Size > 0 && Size <= Count;
  const int32_t N = Has ? Size : 0;
  try {
    WriteChunkTag(Stream, Lut1DChunkTag);
    WriteChunkInt32(Stream, 12 * N + 20);
    WriteChunkInt32(Stream, N);
    WriteChunkInt32(Stream, Lut1DChunkVersion);
    WriteWideStringToStream(Name, Stream);
  } catch (...) {
    ErrorMessageProc("Exception in 1DLUT.SaveToStream 0, NumLevels=" + std::to_string(N));
    return false;
  }
  try {
    if (N > 0) {
      WriteChunkSingles(Stream, R, N);
      WriteChunkSingles(Stream, G, N);
      WriteChunkSingles(Stream, B, N);
    }
  } catch (...) {
    ErrorMessageProc("Exception in 1DLUT.SaveToStream 1, NumLevels=" + std::to_string(N));
    return false;
  }
  return true;
}

bool T1DLut::LoadFromStream(TByteStream& Stream, bool& Changed) {
  Changed = false;
  const int64_t Start = Stream.Position();
  auto Fail = [&](const char* Text) {
    ErrorMessageProc(Text);
    Stream.SetPosition(Start);
    return false;
  };
  try {
    char Tag[4];
    if (!ReadChunkTag(Stream, Tag) || std::memcmp(Tag, Lut1DChunkTag, 4) != 0) {
      Stream.SetPosition(Start);
      FreeData();
      ErrorMessageProc("Error loading T1DLUT from stream!");
      return false;
    }
    int32_t BlockSize = 0, N = 0, Version = 0;
    std::string NewName;
    bool NamePresent = false;
    if (!ReadChunkInt32(Stream, BlockSize) || !ReadChunkInt32(Stream, N) ||
        (!IsVersionOneBlockSize(BlockSize, N) && !ReadChunkInt32(Stream, Version)) ||
        !ReadChunkName(Stream, NewName, NamePresent) || (N != 0 && !ValidEntryCount(N)))
      return Fail("Exception in T3DLut.LoadFromStream 1");
    if (N > Stream.Remaining() / 12) return Fail("Exception in T1DLut.LoadFromStream 2");

    T1DLut Loaded;
    if (N > 0) {
      if (!Loaded.SetSize(N)) return Fail("Exception in T1DLut.LoadFromStream 2");
      ReadChunkSingles(Stream, Loaded.R, N);
      ReadChunkSingles(Stream, Loaded.G, N);
      ReadChunkSingles(Stream, Loaded.B, N);
    }

    const uint64_t OldR = PlaneCRC(R, Size), OldG = PlaneCRC(G, Size), OldB = PlaneCRC(B, Size);
    const bool SizeChanged = Size != Loaded.Size;
    FreeData();
    std::swap(R, Loaded.R);
    std::swap(G, Loaded.G);
    std::swap(B, Loaded.B);
    std::swap(A, Loaded.A);
    Size = Loaded.Size;
    Count = Loaded.Count;
    Valid = false;
    if (NamePresent) Name = NewName;
    Changed = SizeChanged || OldR != PlaneCRC(R, Size) || OldG != PlaneCRC(G, Size) ||
              OldB != PlaneCRC(B, Size);
    if (Changed && OnChange) OnChange(this);
    return true;
  } catch (...) {
    return Fail("Exception in T1DLut.LoadFromStream 2");
  }
}

bool T1DLut::LoadFromCube(const std::string& FileName, bool ShowErrors) {
  try {
    if (!FileExists(FileName)) {
      if (ShowErrors) ErrorMessageProc("File not found: " + FileName);
      return false;
    }
    std::string Text;
    if (!LoadFileToString(FileName, Text)) {
      if (ShowErrors) ErrorMessageProc("Failed to read Cube LUT from " + FileName);
      return false;
    }
    const std::vector<std::string_view> Lines = SplitLutTextLines(Text);
    std::size_t Cursor = 0;

    // The size line: the first one naming LUT_1D_SIZE (else the last line).
    std::string_view SizeLine;
    while (Cursor < Lines.size()) {
      const std::string_view Line = TrimLutTextLeading(Lines[Cursor++]);
      SizeLine = Line;
      if (!Line.empty() && UpperLutText(Line).find("LUT_1D_SIZE") != std::string::npos) break;
    }
    int64_t N = 0;
    const std::size_t Key = UpperLutText(SizeLine).find("LUT_1D_SIZE");
    std::vector<std::string_view> Words;
    if (Key != std::string::npos) {
      SplitLutTextWords(SizeLine.substr(Key + 11), Words);
      if (Words.size() == 1 && !ParseLutInteger(Words[0], N)) {
        // A number too long for 64 bits is still a size that is too high.
        const bool Digits = Words[0].find_first_not_of("0123456789") == std::string_view::npos;
        N = Digits ? INT64_MAX : 0;
      }
    }
    if (N <= 1) N = 0;
    if (N < 1 || N > Max1DLutEntries) {
      if (ShowErrors)
        ErrorMessageProc(N > Max1DLutEntries
                             ? "Cube Import error, LUT_1D_SIZE is too high: " + FileName
                             : "Cube Import error: LUT_1D_SIZE missing - Corrupt file: " + FileName);
      return false;
    }
    // The input domain, from anywhere in the file: only 0..1 is applied.
    for (std::string_view Line : Lines) {
      SplitLutTextWords(LutTextDataPart(Line), Words);
      if (!CubeDomainLineIsUnit(Words, "LUT_1D_INPUT_RANGE")) {
        if (ShowErrors)
          ErrorMessageProc("Cube Import error, only an input domain of 0..1 is supported: " +
                           FileName);
        return false;
      }
    }

    std::vector<float> Values[3];
    for (auto& V : Values) V.resize(static_cast<std::size_t>(N));
    for (int64_t i = 0; i < N; ++i) {
      // Keyword lines (DOMAIN_MIN, LUT_1D_INPUT_RANGE, TITLE, ...) carry no
      // entry; a data line starts with a number.
      Words.clear();
      std::size_t Line = Cursor;
      while (Words.empty() && Cursor < Lines.size()) {
        Line = Cursor;
        SplitLutTextWords(LutTextDataPart(Lines[Cursor++]), Words);
        if (!Words.empty() && StartsWithCubeKeyword(Words[0])) Words.clear();
      }
      if (Words.empty()) {
        ErrorMessageProc("1D CUBE Import - Corrupt file: " + FileName);
        return false;
      }
      float V[3] = {0, 0, 0};
      if (!ParseCubeNodeWords(Words, V, true)) {
        ErrorMessageProc("1D CUBE Import - Corrupt file: " + FileName +
                         LutLineNote(Line, Lines[Line]));
        return false;
      }
      for (int c = 0; c < 3; ++c) Values[c][static_cast<std::size_t>(i)] = V[c];
    }
    if (!EnsureSize(static_cast<int32_t>(N))) return false;
    std::copy(Values[0].begin(), Values[0].end(), R);
    std::copy(Values[1].begin(), Values[1].end(), G);
    std::copy(Values[2].begin(), Values[2].end(), B);
    Name = FileName;
    return true;
  } catch (...) {
    ErrorMessageProc("Exceptin in T1DLut.LoadFromCUBE " + FileName);
    return false;
  }
}

}  // namespace kromel
