#include "audio/wav_meta_chunks.h"

#include <bit>
#include <charconv>
#include <cmath>

#include "foundation/endian_bytes.h"
#include "audio/file_stream.h"
#include "audio/riff_chunks.h"
#include "foundation/ascii_case.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "foundation/text_scan.h"
#include "foundation/text_tokens.h"
#include "platform/folders.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr uint32_t MinLoopChunk = 55;
constexpr uint32_t AcidBytes = 24;

void LoopFromChunk(const TChunkData& Data, uint32_t Size, int32_t& LoopStart, int32_t& LoopEnd,
                   bool& HasLoop) {
  if (Size < MinLoopChunk) return;
  LoopStart = int32_t(LoadLE32(Data.data() + 44));
  LoopEnd = int32_t(LoadLE32(Data.data() + 48));
  HasLoop = LoopStart < LoopEnd && LoopEnd > 0;
}

float TempoFromChunk(const TChunkData& Data, uint32_t Size) {
  if (Size < AcidBytes) return -1.0f;
  const float Tempo = std::bit_cast<float>(LoadLE32(Data.data() + 20));
  if (std::fabs(Tempo - 120.0f) < 0.00001f && LoadLE16(Data.data() + 6) == 0x8000) return -1.0f;
  return Tempo;
}

// Removes the first occurrence of Part, compared ignoring ASCII case.
std::string RemoveFirstCI(const std::string& Text, const std::string& Part) {
  const size_t P = UpperAscii(Text).find(UpperAscii(Part));
  return P == std::string::npos ? Text : Text.substr(0, P) + Text.substr(P + Part.size());
}

const char* const KitSuffixes[] = {
    "_master", "_hit", "_muted hit", "_pedal", "_closedt", "_closeds", "_halft", "_halfs",
    "_opent", "_opens", "_quartert", "_quarters", "_threeqt", "_threeqs", "_endless sweep",
    "_quick sweep", "_edge", "_halfedge", "_bell", "_bellT", "_drag", "_rim", "_flam", "_SS",
    "_Rim Click", "_Butt", "_Crescendo", "_Alt", "_ChokedHit 2", "_ChokedHit", "_Swell",
    "_Splash", "_Bell 2", "_Hit 2", "_Hit 3", "_Half"};

// An attribute's value, quoted or bare.
std::string AttributeValue(const std::string& Line, const std::string& Key) {
  const std::string Quoted = Key + "\"";
  return Line.find(Quoted) != std::string::npos ? GetAttributeValueAfter(Line, Quoted)
                                                : GetAttributeValueAfter(Line, Key);
}

}  // namespace

void Load_WavLoopParams(const std::string& FileName, int32_t& LoopStart, int32_t& LoopEnd,
                        bool& HasLoop) {
  LoopStart = LoopEnd = 0;
  HasLoop = false;
  TChunkData Data;
  uint32_t Size = 0;
  if (ReadChunkFromFile(FileName, "SMPL", Data, Size)) LoopFromChunk(Data, Size, LoopStart, LoopEnd, HasLoop);
}

void Load_WavLoopParamsFromStream(TByteStream& S, int32_t& LoopStart, int32_t& LoopEnd,
                                  bool& HasLoop) {
  LoopStart = LoopEnd = 0;
  HasLoop = false;
  TChunkData Data;
  uint32_t Size = 0;
  if (ReadChunkFromStream(S, "smpl", Data, Size, false))
    LoopFromChunk(Data, Size, LoopStart, LoopEnd, HasLoop);
}

float ReadAcidTempo(const std::string& FileName) {
  TChunkData Data;
  uint32_t Size = 0;
  return ReadChunkFromFile(FileName, "acid", Data, Size) ? TempoFromChunk(Data, Size) : -1.0f;
}

float ReadAcidTempoFromStream(TByteStream& S) {
  TChunkData Data;
  uint32_t Size = 0;
  return ReadChunkFromStream(S, "acid", Data, Size, false) ? TempoFromChunk(Data, Size) : -1.0f;
}

bool Load_WavComment(const std::string& FileName, std::vector<std::string>& Lines) {
  if (!FileExists(FileName)) {
    PlatformShowMessage("Load_WavComment Error - File " + FileName + " not found!");
    return false;
  }
  TChunkData Data;
  uint32_t Size = 0;
  if (!ReadListInfoChunkFromFile(FileName, "ICMT", Size, Data)) return false;
  std::string Text(Data.begin(), Data.end());
  Text = Text.substr(0, Text.find('\0'));
  size_t P;
  while ((P = Text.find("\r\n")) != std::string::npos) {
    Lines.push_back(Text.substr(0, P));
    Text.erase(0, P + 2);
  }
  Lines.push_back(Text);
  return true;
}

bool Save_WavComment(const std::string& FileName, const std::vector<std::string>& Lines) {
  if (Lines.empty()) return true;
  if (Lines.size() == 1 && Lines[0].empty()) return false;
  std::string Text;
  for (size_t I = 0; I < Lines.size(); ++I) Text += (I > 0 ? "\r\n" : "") + Lines[I];
  Text.push_back('\0');
  return AppendListInfoChunkToFile(FileName, "ICMT", uint32_t(Text.size()), Text.data());
}

bool ParseBFDXML_Comment(const std::string& FileName, std::vector<std::string>& Lines,
                         bool ShowError) {
  std::string Name = FileName;
  StripFileExt(Name);
  for (const char* Suffix : KitSuffixes) Name = RemoveSuffixCI(Name, Suffix);
  Name += "_info.xml";
  if (!FileExists(Name)) {
    const size_t At = UpperAscii(Name).find("@BFD_");
    if (At != std::string::npos) Name.erase(At, 1);
  }
  std::string Text;
  if (!FileExists(Name) || !LoadFileToString(Name, Text)) {
    if (ShowError)
      PlatformShowMessage("Error: can't find BFD XML file \r" + Name + "\r for \r" + FileName);
    return false;
  }
  Lines.clear();
  for (const std::string& Line : SplitTextLines(Text)) {
    if (Line.find("<BFD2AudioChanInfo chanName=") == std::string::npos) continue;
    const std::string ChanName = AttributeValue(Line, "<BFD2AudioChanInfo chanName=");
    const std::string IndexText = AttributeValue(Line, "chanIndex=");
    int32_t Index = 0;
    const auto [End, Err] = std::from_chars(IndexText.data(), IndexText.data() + IndexText.size(), Index);
    if (Err != std::errc() || End != IndexText.data() + IndexText.size() || Index < 0 ||
        Index >= INT32_MAX - 1) {
      PlatformShowMessage("ParseBFDXML_Comment error: bad channel index: " + IndexText);
      continue;
    }
    ++Index;
    const std::string Encoding = UpperAscii(AttributeValue(Line, "encoding="));
    if (Encoding == "STEREOLEFT")
      Lines.push_back("Channel " + std::to_string(Index) + "-" + std::to_string(Index + 1) + " " +
                      RemoveFirstCI(ChanName, " LEFT"));
    else if (Encoding == "MONO")
      Lines.push_back("Channel " + std::to_string(Index) + " " + ChanName);
    else if (Encoding != "STEREORIGHT")
      PlatformShowMessage("ParseBFDXML_Comment error: unknown encoding: " + Encoding);
  }
  SortStringsLogical(Lines);
  return true;
}

}  // namespace kromel
