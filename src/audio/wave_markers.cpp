#include "audio/wave_markers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "foundation/endian_bytes.h"
#include "audio/file_stream.h"
#include "audio/riff_chunks.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "foundation/text_tokens.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr int32_t CueEntryBytes = 24;
constexpr int32_t LabelBytes = 268;
constexpr int32_t LabelSize = 260;
constexpr int32_t LabelTextBytes = 256;
constexpr int32_t MarkRecordBytes = 17;
constexpr int32_t OldMarkRecordBytes = 13;

const char* const KindNames[MarkerKindCount] = {
    "Generic",        "LoopStart",         "LoopEnd",          "SampleStart",
    "SampleEnd",      "AutoBeatMarker",    "AutoBeatMarkerDisabl", "NoteSplit",
    "GridMarker",     "GridMarkerMedium",  "GridMarkerLight",  "GridMarkerVeryLight",
    "RedGridMarker",  "QuantizeMarker",    "BPMMarker"};

bool InSet(MarkerSet Kinds, TMarkerKind K) { return (Kinds & MarkerBit(K)) != 0; }

TWaveMarker CopyWithoutName(const TWaveMarker& M) {
  TWaveMarker C;
  C.Time = M.Time;
  C.Kind = M.Kind;
  C.Param = M.Param;
  C.Value = M.Value;
  return C;
}

template <class T>
T ParseNumber(const std::string& Text) {
  T V{};
  const char* B = Text.data();
  const char* E = B + Text.size();
  const auto R = std::from_chars(B, E, V);
  if (R.ec != std::errc() || R.ptr != E || Text.empty())
    throw std::invalid_argument("\"" + Text + "\" is not a valid number");
  return V;
}

}  // namespace

std::string MarkerKindName(TMarkerKind K) {
  const int32_t I = int32_t(K);
  return I < MarkerKindCount ? KindNames[I] : std::string();
}

int32_t CompareMarkers(const TWaveMarker* A, const TWaveMarker* B) {
  if (A->Time != B->Time) return A->Time < B->Time ? -1 : 1;
  if (A == B) return 0;
  auto First = [](TMarkerKind K) {
    return K == TMarkerKind::mkGeneric || K == TMarkerKind::mkLoopStart;
  };
  if (First(A->Kind)) return -1;
  if (First(B->Kind)) return 1;
  return 0;
}

// ---- cue and label chunks --------------------------------------------------

bool ReadCuePoints(TByteStream& S, std::vector<TCuePoint>& Points) {
  Points.clear();
  TChunkData Data;
  uint32_t Size = 0;
  if (!ReadChunk(S, "cue ", Data, Size) || Data.size() < 4) return false;
  const uint64_t Room = (Data.size() - 4) / CueEntryBytes;
  const uint64_t N = std::min<uint64_t>(LoadLE32(Data.data()), Room);
  Points.resize(size_t(N));
  for (size_t I = 0; I < N; ++I) {
    const uint8_t* E = Data.data() + 4 + CueEntryBytes * I;
    Points[I].Position = LoadLE32(E + 4);
    std::memcpy(Points[I].Tag, E + 8, 4);
  }
  std::stable_sort(Points.begin(), Points.end(), [](const TCuePoint& A, const TCuePoint& B) {
    return A.Position < B.Position;
  });
  return true;
}

void ReadCueLabels(TByteStream& S, std::vector<TCueLabel>& Labels) {
  Labels.clear();
  TChunkData Data;
  uint32_t Size = 0;
  if (!ReadChunk(S, "LIST", Data, Size)) return;
  const size_t End = Data.size();
  size_t Off = 4;
  while (Off + 8 <= End) {
    const uint8_t* P = Data.data() + Off;
    const uint32_t Sub = LoadLE16(P + 4);
    if (ChunkNameIs(P, "labl") && Off + 10 <= End) {
      TCueLabel L;
      L.Id = LoadLE16(P + 8);
      const size_t TextEnd = std::min(End, Off + 8 + size_t(Sub));
      for (size_t I = Off + 12; I < TextEnd && Data[I] != 0; ++I) L.Text += char(Data[I]);
      Labels.push_back(std::move(L));
    }
    Off += 8 + ((Sub + 1) & 0xFFFE);
  }
}

std::vector<uint8_t> BuildCueChunk(const std::vector<TCueEntry>& Entries) {
  std::vector<uint8_t> B(4 + CueEntryBytes * Entries.size(), 0);
  StoreLE32(B.data(), uint32_t(Entries.size()));
  for (size_t I = 0; I < Entries.size(); ++I) {
    uint8_t* E = B.data() + 4 + CueEntryBytes * I;
    StoreLE32(E, Entries[I].Id);
    StoreLE32(E + 4, Entries[I].Position);
    std::memcpy(E + 8, Entries[I].Tag, 4);
    StoreLE32(E + 20, Entries[I].Position);
  }
  return B;
}

std::vector<uint8_t> BuildLabelList(const std::vector<TCueLabel>& Labels) {
  std::vector<uint8_t> B(4 + LabelBytes * Labels.size(), 0);
  std::memcpy(B.data(), "adtl", 4);
  for (size_t I = 0; I < Labels.size(); ++I) {
    uint8_t* E = B.data() + 4 + LabelBytes * I;
    std::memcpy(E, "labl", 4);
    StoreLE32(E + 4, LabelSize);
    StoreLE32(E + 8, Labels[I].Id);
    const size_t N = std::min<size_t>(Labels[I].Text.size(), LabelTextBytes - 1);
    std::memcpy(E + 12, Labels[I].Text.data(), N);
  }
  return B;
}

bool AppendCueChunks(const std::string& FileName, const std::vector<uint8_t>& Cue,
                     const std::vector<uint8_t>& Labels) {
  std::string Bytes;
  if (!LoadFileToString(FileName, Bytes) || Bytes.size() < 12) return false;
  TMemoryStream S(Bytes);
  if (!S.SetPosition(S.Size())) return false;
  if (!WriteChunk(S, "cue ", uint32_t(Cue.size()), Cue.data()) ||
      !WriteChunk(S, "LIST", uint32_t(Labels.size()), Labels.data()) || !UpdateFileSize(S))
    return false;
  const std::string Out = S.Bytes();
  return SaveBufferToFile(FileName, Out.data(), int64_t(Out.size()));
}

// ---- the list --------------------------------------------------------------

TWaveMarkersList::~TWaveMarkersList() { Clear(); }

int32_t TWaveMarkersList::Add(int32_t Time, int32_t AltTime, TMarkerKind Kind, float Value,
                              int32_t Param, const std::string& Name) {
  auto* M = new TWaveMarker;
  M->Time = Time;
  M->AltTime = AltTime;
  M->Kind = Kind;
  M->Value = Value;
  M->Param = Param;
  M->Name = Name.substr(0, MaxMarkerNameLength);
  Markers.push_back(M);
  return Count() - 1;
}

void TWaveMarkersList::Clear() {
  while (!Markers.empty()) {
    delete Markers.back();
    Markers.pop_back();
  }
}

void TWaveMarkersList::Delete(int32_t Index) {
  if (Index < 0 || Index >= Count()) return;
  delete Markers[size_t(Index)];
  Markers.erase(Markers.begin() + Index);
}

void TWaveMarkersList::DeleteKind(TMarkerKind Kind) {
  for (int32_t I = Count() - 1; I >= 0; --I)
    if (Markers[size_t(I)]->Kind == Kind) Delete(I);
}

void TWaveMarkersList::RemoveZeroGeneric() {
  for (int32_t I = Count() - 1; I >= 0; --I)
    if (Markers[size_t(I)]->Kind == TMarkerKind::mkGeneric && Markers[size_t(I)]->Time == 0)
      Delete(I);
}

void TWaveMarkersList::Assign(const TWaveMarkersList& Source) {
  if (&Source == this) {
    for (PWaveMarker M : Markers) *M = CopyWithoutName(*M);
    return;
  }
  Clear();
  AddFrom(Source, -INFINITY);
}

void TWaveMarkersList::AssignRange(const TWaveMarkersList& Source, int32_t From, int32_t To) {
  std::vector<TWaveMarker> Kept;
  for (PWaveMarker M : Source.Markers)
    if (M->Time >= From && M->Time <= To) {
      Kept.push_back(CopyWithoutName(*M));
      Kept.back().Time -= From;
    }
  Clear();
  for (const TWaveMarker& M : Kept) Add(M.Time, -1, M.Kind, M.Value, M.Param, "");
}

void TWaveMarkersList::AddFrom(const TWaveMarkersList& Source, float MinValue) {
  const size_t N = Source.Markers.size();  // a list may add from itself
  for (size_t I = 0; I < N; ++I) {
    const TWaveMarker M = *Source.Markers[I];
    if (M.Value > MinValue) Add(M.Time, -1, M.Kind, M.Value, M.Param, "");
  }
}

void TWaveMarkersList::Shift(int32_t Delta) {
  for (PWaveMarker M : Markers) M->Time += Delta;
}

void TWaveMarkersList::Stretch(float K) {
  if (K == 0.0f) {
    PlatformShowMessage("TWaveMarkersList.Stretch error: K=0");
    return;
  }
  for (PWaveMarker M : Markers) {
    if (M->Kind == TMarkerKind::mkBPMMarker) {
      M->Value = std::nearbyint(M->Value / K);
    } else {
      const float T = std::nearbyint(float(M->Time) * K);
      M->Time = std::isfinite(T) && std::fabs(T) < 2147483520.0f ? int32_t(T) : M->Time;
    }
  }
}

void TWaveMarkersList::UpdateAutoBeat(float Threshold) {
  for (PWaveMarker M : Markers)
    if (M->Kind == TMarkerKind::mkAutoBeatMarker ||
        M->Kind == TMarkerKind::mkAutoBeatMarkerDisabled)
      M->Kind = Threshold < M->Value ? TMarkerKind::mkAutoBeatMarker
                                     : TMarkerKind::mkAutoBeatMarkerDisabled;
}

void TWaveMarkersList::Sort() {
  std::stable_sort(Markers.begin(), Markers.end(),
                   [](const TWaveMarker* A, const TWaveMarker* B) {
                     return CompareMarkers(A, B) < 0;
                   });
}

PWaveMarker TWaveMarkersList::GetMarker(int32_t Index) const {
  return Index >= 0 && Index < Count() ? Markers[size_t(Index)] : nullptr;
}

int32_t TWaveMarkersList::GetMarkerTime(int32_t Index) const {
  const PWaveMarker M = GetMarker(Index);
  return M ? M->Time : -1;
}

uint8_t TWaveMarkersList::GetMarkerKind(int32_t Index) const {
  const PWaveMarker M = GetMarker(Index);
  return M ? uint8_t(M->Kind) : 255;
}

int32_t TWaveMarkersList::CountOfKind(TMarkerKind Kind) const {
  return CountInSet(MarkerBit(Kind));
}

int32_t TWaveMarkersList::CountInSet(MarkerSet Kinds) const {
  return int32_t(std::count_if(Markers.begin(), Markers.end(),
                               [&](const TWaveMarker* M) { return InSet(Kinds, M->Kind); }));
}

int32_t TWaveMarkersList::GetMarkerTimeByKind(int32_t N, TMarkerKind Kind) const {
  return GetMarkerTimeInSet(N, MarkerBit(Kind));
}

int32_t TWaveMarkersList::GetMarkerTimeInSet(int32_t N, MarkerSet Kinds) const {
  TWaveMarker M;
  GetMarkerInSet(M, N, Kinds);
  return M.Time;
}

void TWaveMarkersList::GetMarkerInSet(TWaveMarker& Marker, int32_t N, MarkerSet Kinds) const {
  Marker.Time = -1;
  if (N < 0) return;
  for (const TWaveMarker* M : Markers)
    if (InSet(Kinds, M->Kind) && N-- == 0) {
      Marker = *M;
      return;
    }
}

int32_t TWaveMarkersList::IndexOfKind(int32_t N, TMarkerKind Kind) const {
  if (N < 0) return -1;
  for (int32_t I = 0; I < Count(); ++I)
    if (Markers[size_t(I)]->Kind == Kind && N-- == 0) return I;
  return -1;
}

int32_t TWaveMarkersList::IndexOfTime(int32_t Time) const {
  for (int32_t I = 0; I < Count(); ++I)
    if (Markers[size_t(I)]->Time == Time) return I;
  return -1;
}

int32_t TWaveMarkersList::OrdinalInSetFrom(MarkerSet Kinds, int32_t Time) const {
  int32_t Ord = 0;
  for (const TWaveMarker* M : Markers) {
    if (!InSet(Kinds, M->Kind)) continue;
    if (M->Time >= Time) return Ord;
    ++Ord;
  }
  return -1;
}

int32_t TWaveMarkersList::CountBefore(int32_t Time) const {
  for (int32_t I = Count() - 1; I >= 0; --I)
    if (Markers[size_t(I)]->Time < Time) return I + 1;
  return 0;
}

int32_t TWaveMarkersList::NearestMarker(int32_t Time) const {
  return NearestMarkerInSet(Time, MarkerSet(0xFFFF));
}

int32_t TWaveMarkersList::NearestMarkerInSet(int32_t Time, MarkerSet Kinds) const {
  int32_t Best = -1;
  int64_t BestDist = 0;
  for (int32_t I = 0; I < Count(); ++I) {
    const TWaveMarker* M = Markers[size_t(I)];
    if (!InSet(Kinds, M->Kind)) continue;
    const int64_t D = std::llabs(int64_t(M->Time) - Time);
    if (Best < 0 || D < BestDist) {
      Best = I;
      BestDist = D;
    }
  }
  return Best;
}

// ---- exchange --------------------------------------------------------------

void TWaveMarkersList::LoadFromWav(const std::string& FileName) {
  Clear();
  TFileReadStream S(FileName);
  std::vector<TCuePoint> Points;
  if (!S.Opened() || !ReadCuePoints(S, Points)) return;
  bool First = true;
  int32_t Last = 0;
  for (const TCuePoint& P : Points) {
    const int32_t T = int32_t(P.Position);
    if (!First && T == Last) continue;
    TMarkerKind K = TMarkerKind::mkGeneric;
    if (ChunkNameIs(P.Tag, "strt")) K = TMarkerKind::mkSampleStart;
    if (ChunkNameIs(P.Tag, "end ")) K = TMarkerKind::mkSampleEnd;
    Add(T, -1, K, 0.0f, 0, "");
    First = false;
    Last = T;
  }
}

void TWaveMarkersList::SaveToWav(const std::string& FileName) const {
  if (Markers.empty()) return;
  std::vector<TCueEntry> Cue;
  std::vector<TCueLabel> Labels;
  for (int32_t I = 0; I < Count(); ++I) {
    const TWaveMarker* M = Markers[size_t(I)];
    TCueEntry E;
    E.Id = uint32_t(I + 1);
    E.Position = uint32_t(M->Time);
    if (M->Kind == TMarkerKind::mkSampleStart) E.Tag = "strt";
    if (M->Kind == TMarkerKind::mkSampleEnd) E.Tag = "end ";
    Cue.push_back(E);
    Labels.push_back({uint32_t(I), "Cue " + std::to_string(I)});
  }
  AppendCueChunks(FileName, BuildCueChunk(Cue), BuildLabelList(Labels));
}

void TWaveMarkersList::SaveToStream(TByteStream& S) const {
  std::vector<uint8_t> B(16 + MarkRecordBytes * Markers.size());
  std::memcpy(B.data(), "Mark", 4);
  StoreLE32(B.data() + 4, uint32_t(-2));
  StoreLE32(B.data() + 8, 100);
  StoreLE32(B.data() + 12, uint32_t(Markers.size()));
  uint8_t* P = B.data() + 16;
  for (const TWaveMarker* M : Markers) {
    StoreLE32(P, uint32_t(M->Time));
    StoreLE32(P + 4, uint32_t(M->AltTime));
    P[8] = uint8_t(M->Kind);
    uint32_t V;
    std::memcpy(&V, &M->Value, 4);
    StoreLE32(P + 9, V);
    StoreLE32(P + 13, uint32_t(M->Param));
    P += MarkRecordBytes;
  }
  S.WriteBuffer(B.data(), int64_t(B.size()));
}

void TWaveMarkersList::LoadFromStream(TByteStream& S) {
  Clear();
  const int64_t P = S.Position();
  auto Fail = [&] {
    Clear();
    S.SetPosition(P);
  };
  uint8_t H[4];
  if (S.Read(H, 4) != 4 || !ChunkNameIs(H, "Mark")) return Fail();
  auto Read32 = [&](int32_t& V) {
    uint8_t B[4];
    if (S.Read(B, 4) != 4) return false;
    V = int32_t(LoadLE32(B));
    return true;
  };
  int32_t Version = 0, Unused = 0, N = 0;
  if (!Read32(Version)) return Fail();
  if (Version >= 0) {
    Version = -1;
    S.SetPosition(S.Position() - 4);
  }
  const bool HasAlt = Version < -1;
  if (HasAlt && !Read32(Unused)) return Fail();
  const int32_t Rec = HasAlt ? MarkRecordBytes : OldMarkRecordBytes;
  if (!Read32(N) || N < 0 || int64_t(N) * Rec > S.Remaining()) return Fail();
  std::vector<uint8_t> B(size_t(N) * size_t(Rec));
  if (S.Read(B.data(), int64_t(B.size())) != int64_t(B.size())) return Fail();
  for (int32_t I = 0; I < N; ++I) {
    const uint8_t* R = B.data() + size_t(I) * size_t(Rec);
    const int32_t Time = int32_t(LoadLE32(R));
    int32_t Alt = -1;
    if (HasAlt) {
      Alt = int32_t(LoadLE32(R + 4));
      R += 4;
    }
    float V;
    const uint32_t Bits = LoadLE32(R + 5);
    std::memcpy(&V, &Bits, 4);
    const TMarkerKind K = R[4] < MarkerKindCount ? TMarkerKind(R[4]) : TMarkerKind::mkGeneric;
    Add(Time, Alt, K, V, int32_t(LoadLE32(R + 9)), "");
  }
}

void TWaveMarkersList::SaveToTextFile(const std::string& FileName) const {
  std::string T;
  for (const TWaveMarker* M : Markers)
    T += std::to_string(M->Time) + ";" + std::to_string(M->AltTime) + ";" +
         std::to_string(int32_t(M->Kind)) + ";" + FloatToStrGeneral(M->Value) + ";" +
         std::to_string(M->Param) + ";" + M->Name + ";\n";
  SaveStringToFile(FileName, T, ErrorMessageProc);
}

void TWaveMarkersList::LoadFromTextFile(const std::string& FileName) {
  std::string Text;
  if (!LoadFileToString(FileName, Text)) {
    PlatformShowMessage("TWaveMarkersList.LoadFromTextFile - file not found: " + FileName);
    return;
  }
  size_t Pos = 0;
  while (Pos < Text.size()) {
    size_t End = Text.find('\n', Pos);
    if (End == std::string::npos) End = Text.size();
    std::string Line = Text.substr(Pos, End - Pos);
    Pos = End + 1;
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    if (Line.empty()) continue;
    const int32_t Time = ParseNumber<int32_t>(GetSemicolonItem(Line, 0));
    const int32_t Alt = ParseNumber<int32_t>(GetSemicolonItem(Line, 1));
    const int32_t Kind = ParseNumber<int32_t>(GetSemicolonItem(Line, 2));
    const float Value = ParseNumber<float>(GetSemicolonItem(Line, 3));
    const int32_t Param = ParseNumber<int32_t>(GetSemicolonItem(Line, 4));
    const uint8_t K = uint8_t(Kind);
    // Kinds beyond the known ones read as generic markers.
    Add(Time, Alt, K < MarkerKindCount ? TMarkerKind(K) : TMarkerKind::mkGeneric, Value, Param,
        GetSemicolonItem(Line, 5));
  }
}

void TWaveMarkersList::ToText(std::string& Text, int32_t MaxCount) const {
  Text.clear();
  const int32_t N = MaxCount < 0 ? Count() : std::min(MaxCount, Count());
  for (int32_t I = 0; I < N; ++I) {
    const TWaveMarker* M = Markers[size_t(I)];
    Text += MarkerKindName(M->Kind) + " - " + std::to_string(M->Time);
    if (!M->Name.empty()) Text += " (" + M->Name + ", " + FloatToStrD1(M->Value) + ")";
    Text += "\n\r";
  }
}

}  // namespace kromel
