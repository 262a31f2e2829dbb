// Wave markers (TWaveMarkersList) and the WAV chunks every multi-part
// writer shares: "cue " (4 + 24 n bytes: count, then identifier, position,
// chunk tag, chunk start, block start, sample offset) and "LIST"/"adtl"
// (4 + 268 n bytes: "labl", size 260, identifier, 256 text bytes). The
// "Mark" stream block is "Mark", -2, 100, n and n 17-byte records (Time,
// AltTime, Kind, Value, Param).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"

namespace kromel {

enum class TMarkerKind : uint8_t {
  mkGeneric,
  mkLoopStart,
  mkLoopEnd,
  mkSampleStart,
  mkSampleEnd,
  mkAutoBeatMarker,
  mkAutoBeatMarkerDisabled,
  mkNoteSplit,
  mkGridMarker,
  mkGridMarkerMedium,
  mkGridMarkerLight,
  mkGridMarkerVeryLight,
  mkRedGridMarker,
  mkQuantizeMarker,
  mkBPMMarker
};
constexpr int32_t MarkerKindCount = 15;

// Bit n for ordinal n.
using MarkerSet = uint16_t;
constexpr MarkerSet MarkerBit(TMarkerKind K) { return MarkerSet(1u << unsigned(K)); }

// The kind's name in summaries.
std::string MarkerKindName(TMarkerKind K);

constexpr int32_t MaxMarkerNameLength = 79;

struct TWaveMarker {
  int32_t Time = 0;
  int32_t AltTime = -1;
  TMarkerKind Kind = TMarkerKind::mkGeneric;
  float Value = 0.0f;
  int32_t Param = 0;
  std::string Name;  // at most 79 characters
};
using PWaveMarker = TWaveMarker*;

int32_t CompareMarkers(const TWaveMarker* A, const TWaveMarker* B);

// One cue point as the readers use it.
struct TCuePoint {
  uint32_t Position = 0;
  uint8_t Tag[4] = {'d', 'a', 't', 'a'};
};
struct TCueLabel {
  uint32_t Id = 0;
  std::string Text;
};

// The cue points of the first "cue " chunk, sorted by position (equal
// positions keep their order); the count is bounded by the chunk's bytes.
// False when there is no chunk.
bool ReadCuePoints(TByteStream& S, std::vector<TCuePoint>& Points);
// The "labl" subchunks of the first "LIST" chunk; texts end at the first
// zero byte and never run past their subchunk or the chunk.
void ReadCueLabels(TByteStream& S, std::vector<TCueLabel>& Labels);

// Data parts of the chunks (zeroed, then filled).
struct TCueEntry {
  uint32_t Id = 0;
  uint32_t Position = 0;
  const char* Tag = "data";
};
std::vector<uint8_t> BuildCueChunk(const std::vector<TCueEntry>& Entries);
std::vector<uint8_t> BuildLabelList(const std::vector<TCueLabel>& Labels);
// Appends "cue " and "LIST" to a WAV file and updates its RIFF size, all
// through the safe writer; false when the file is left unchanged.
bool AppendCueChunks(const std::string& FileName, const std::vector<uint8_t>& Cue,
                     const std::vector<uint8_t>& Labels);

class TWaveMarkersList {
 public:
  TWaveMarkersList() = default;
  virtual ~TWaveMarkersList();
  TWaveMarkersList(const TWaveMarkersList&) = delete;
  TWaveMarkersList& operator=(const TWaveMarkersList&) = delete;

  // The list owns the records.
  std::vector<PWaveMarker> Markers;

  int32_t Count() const { return int32_t(Markers.size()); }
  int32_t Add(int32_t Time, int32_t AltTime, TMarkerKind Kind, float Value, int32_t Param,
              const std::string& Name);
  void Clear();
  void Delete(int32_t Index);
  void DeleteKind(TMarkerKind Kind);
  void RemoveZeroGeneric();
  void Assign(const TWaveMarkersList& Source);
  void AssignRange(const TWaveMarkersList& Source, int32_t From, int32_t To);
  void AddFrom(const TWaveMarkersList& Source, float MinValue);
  void Shift(int32_t Delta);
  void Stretch(float K);
  void UpdateAutoBeat(float Threshold);
  void Sort();

  PWaveMarker GetMarker(int32_t Index) const;
  int32_t GetMarkerTime(int32_t Index) const;
  uint8_t GetMarkerKind(int32_t Index) const;
  int32_t CountOfKind(TMarkerKind Kind) const;
  int32_t CountInSet(MarkerSet Kinds) const;
  int32_t GetMarkerTimeByKind(int32_t N, TMarkerKind Kind) const;
  int32_t GetMarkerTimeInSet(int32_t N, MarkerSet Kinds) const;
  void GetMarkerInSet(TWaveMarker& Marker, int32_t N, MarkerSet Kinds) const;
  int32_t IndexOfKind(int32_t N, TMarkerKind Kind) const;
  int32_t IndexOfTime(int32_t Time) const;
  int32_t OrdinalInSetFrom(MarkerSet Kinds, int32_t Time) const;
  int32_t CountBefore(int32_t Time) const;
  int32_t NearestMarker(int32_t Time) const;
  int32_t NearestMarkerInSet(int32_t Time, MarkerSet Kinds) const;

  void LoadFromWav(const std::string& FileName);
  // Appends cue points 1..n and labels 0..n-1 ("Cue 0", ...).
  void SaveToWav(const std::string& FileName) const;
  void SaveToStream(TByteStream& S) const;
  // A bad or cut-short block leaves the list empty and the position back.
  void LoadFromStream(TByteStream& S);
  void SaveToTextFile(const std::string& FileName) const;
  // Throws std::invalid_argument for a field that is not a number.
  void LoadFromTextFile(const std::string& FileName);
  void ToText(std::string& Text, int32_t MaxCount) const;
};

}  // namespace kromel
