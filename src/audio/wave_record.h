// TWave: one named sound, mono or stereo float buffers, with a note; and
// its 16-bit twin TWave16. Plain value records: a copy shares the samples;
// only the mode IsStereo names holds memory; a view (AssignRange) points
// into another record and is never disposed. The "SAMW" sample block is
// "SAMW", a 32-bit channel count (1 or 2) and that many "SAM2"/"SAMP"
// channel chunks.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/stereo_sample.h"
#include "foundation/byte_stream.h"
#include "images/sample.h"

namespace kromel {

constexpr int32_t MaxWaveNameLength = 255;

struct TWave {
  int32_t Reserved = 0;
  bool IsStereo = false;
  TSample32 Mono;
  TStereoSample32 Stereo;
  std::string Name;  // at most 255 characters
  int32_t Note = 0;  // -1 "---", 0 "C-2" .. 128 "G#8"

  bool Alloc(bool Stereo, int32_t Length);
  bool SetLength(int32_t Length);
  void Dispose();
  void Clear();
  int32_t GetSampleRate() const;
  void SetSampleRate(int32_t Rate);
  int32_t Length() const;
  TWave& SetCount(int32_t Count);
  bool IsEmpty() const;
  int32_t SizeInBytes() const;

  void Assign(const TWave& Source);
  // No bound test: Offset + Source length must fit this record.
  void OverwriteAt(const TWave& Source, int32_t Offset);
  // View of Source's frames From..To-1 (To kept within the length).
  void AssignRange(const TWave& Source, int32_t From, int32_t To);
  bool CopyRange(const TWave& Source, int32_t From, int32_t To);
  void CopyTo(TWave& Dest) const;
  void DeleteRange(int32_t From, int32_t To);
  void ToMono();
  void ToStereoSample(TStereoSample32& Dest) const;
  // Dest = this + B over the shorter length, when all three share a mode.
  void Add(const TWave& B, TWave& Dest) const;

  float Peak() const;
  void Scale(float Factor);
  void DownSample2x();
  // Dest = this record at NewRate, in this record's mode, allocated here
  // (Dest's old memory is not freed). False, Dest unchanged, when either
  // rate is below 10 or the memory can't be had.
  bool Resample(TWave& Dest, int32_t NewRate) const;
  void TrimSilence();
  bool HasInvalidValues() const;
  bool Equals(const TWave& Other) const;
  int32_t FindQuietPoint(int32_t From, int32_t To) const;
  void PeakEnvelopeTo(TSample32& Envelope) const;
  void EnvelopeTo(TSample32& Envelope) const;
  // Mean log spectrum (30..20000 Hz) of whole blocks of 16 x Profile's
  // count frames, mapped -90..-12 dB to 0..1. An empty Profile is refused.
  void SpectrumProfile(TSample32& Profile) const;

  bool LoadFromFile(const std::string& FileName, bool ShowErrors, bool& HighResolution);
  bool SaveToFile(const std::string& FileName) const;
  bool SaveToFile24(const std::string& FileName) const;
  bool WriteToFile(std::FILE* F);
  // Without a "SAMW" tag: False, position unchanged.
  bool ReadFromFile(std::FILE* F);
  // A "SAMW" block or a WAV image ("RIFF") at the position.
  bool LoadFromStream(TByteStream& S);
};
using PWave = TWave*;

// Empties both modes without freeing, rate 44100, Reserved 1.
void InitSampleRecord(TWave& W);
// -1 for no record.
int32_t WaveLength(const TWave* W);
void MixWaveIntoStereo(TStereoSample32 Dest, const TWave& Source, float GainLeft,
                       float GainRight);

// The record loaders: each disposes W first and sets IsStereo on success.
// 24/32-bit, 24-bit and 8/16-bit WAV; mono first, then stereo.
bool Load_WAV2432ToRecord(const std::string& FileName, TWave& W, bool ShowErrors);
bool Load_WAV24ToRecord(const std::string& FileName, TWave& W, bool ShowErrors);
bool Load_WAVReservedToRecord(const std::string& FileName, TWave& W, bool ShowErrors);
bool Load_WAV16ToRecord(const std::string& FileName, TWave& W, bool ShowErrors);

struct TWave16 {
  int32_t Reserved = 0;
  bool IsStereo = false;
  TSample16 Mono;
  TStereoSample16 Stereo;
  std::string Name;

  void Alloc(bool Stereo, int32_t Length);
  void SetLength(int32_t Length);
  // Frees both modes.
  void Dispose();
  int32_t Length() const;
  int32_t GetSampleRate() const;
  void SetSampleRate(int32_t Rate);
  void Assign(const TWave16& Source);
  void AssignRange(const TWave16& Source, int32_t From, int32_t To);
  void CopyRange(const TWave16& Source, int32_t From, int32_t To);
  bool LoadFromFile(const std::string& FileName);
  bool SaveToFile(const std::string& FileName) const;
};

void InitSample16Record(TWave16& W);

struct TInstrumentBank {
  std::vector<void*> Instruments;
};

// Owns its instruments and their samples.
class MultiInstrument16 {
 public:
  MultiInstrument16() = default;
  virtual ~MultiInstrument16();
  MultiInstrument16(const MultiInstrument16&) = delete;
  MultiInstrument16& operator=(const MultiInstrument16&) = delete;
  std::vector<TInstrument16*> Items;
};

// A mono 8- or 16-bit PCM WAV file as a new instrument at the end of
// Multi's Items (8-bit samples become (b - 128) x 255).
bool LoadWavToMultiInstrument(const std::string& FileName, MultiInstrument16& Multi);
// The same into Instrument, whatever the channel count.
bool LoadWavToInstrument16(const std::string& FileName, TInstrument16& Instrument);

}  // namespace kromel
