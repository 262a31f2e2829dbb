// The WAV, AIFF and RIFF chunk readers over arbitrary bytes, from a stream
// and from a file. A reader that answers True must hand back buffers of the
// counts it claims; one that answers False must leave no data behind.
#include <cstdint>
#include <vector>

#include "audio/aiff_files.h"
#include "audio/riff_chunks.h"
#include "audio/surround_sample.h"
#include "audio/wav_files.h"
#include "audio/file_store.h"
#include "audio/multi_surround_wave.h"
#include "audio/multi_wave.h"
#include "audio/wav_meta_chunks.h"
#include "audio/wave_markers.h"
#include "audio/wave_record.h"
#include "fuzz_support.h"
#include "platform/message_sink.h"

using namespace kromel;

namespace {

void CheckSound(bool Ok, TSurroundSample32& Sound) {
  if (Ok) {
    FUZZ_CHECK(Sound.NumChannels >= 1 && Sound.NumChannels <= MaxSurroundChannels);
    for (int32_t C = 0; C < Sound.NumChannels; ++C)
      FUZZ_CHECK(Sound.Channels[size_t(C)].Count == 0 || Sound.Channels[size_t(C)].Data != nullptr);
  }
  Sound.Dispose();
}

void CheckStereo(bool Ok, TStereoSample32& S) {
  if (Ok) FUZZ_CHECK(S.Left.Data != nullptr || S.Left.Count == 0);
  else FUZZ_CHECK(S.Left.Data == nullptr && S.Right.Data == nullptr);
  S.Dispose();
}

// The "SAMW", "FILE" and "Mark" readers at the start of the bytes, and the
// cue and label readers over the whole.
void Records(TMemoryStream& S, size_t Size) {
  TWave W;
  InitSampleRecord(W);
  S.SetPosition(0);
  if (W.LoadFromStream(S)) {
    const int64_t N = W.Length();
    FUZZ_CHECK(N >= 0);
    if (N > 0) FUZZ_CHECK(W.IsStereo ? W.Stereo.Left.Data && W.Stereo.Right.Data : W.Mono.Data != nullptr);
  } else {
    FUZZ_CHECK(W.IsEmpty());
  }
  W.Dispose();
  S.SetPosition(0);
  TFileStore Store;
  if (Store.LoadFromStream(S)) FUZZ_CHECK(Store.Size() + 264 <= int64_t(Size));
  else FUZZ_CHECK(Store.Size() == 0 && S.Position() == 0);
  S.SetPosition(0);
  TWaveMarkersList Markers;
  Markers.LoadFromStream(S);
  FUZZ_CHECK(int64_t(Markers.Count()) * 13 <= int64_t(Size));
  // No markers: refused (nothing read), or an empty list's head of "Mark",
  // the version words and the count 0 (8, 12 or 16 bytes).
  if (Markers.Count() == 0) FUZZ_CHECK(S.Position() == 0 || S.Position() == 8 || S.Position() == 12 ||
                                    S.Position() == 16);
  std::vector<TCuePoint> Points;
  if (ReadCuePoints(S, Points)) FUZZ_CHECK(Points.size() * 24 <= Size);
  std::vector<TCueLabel> Labels;
  ReadCueLabels(S, Labels);
  for (const TCueLabel& L : Labels) FUZZ_CHECK(L.Text.size() <= Size);
}

void Streams(const uint8_t* Data, size_t Size) {
  const std::string Bytes = fuzz::AsText(Data, Size);
  TMemoryStream S(Bytes);
  TChunkData Chunk;
  uint32_t ChunkSize = 0;
  for (const char* Name : {"fmt ", "data", "LIST", "COMM", "SSND"}) {
    S.SetPosition(0);
    if (ReadChunkFromStream(S, Name, Chunk, ChunkSize, Name[0] == 'C' || Name[0] == 'S'))
      FUZZ_CHECK(Chunk.size() == ChunkSize && int64_t(ChunkSize) <= int64_t(Size));
    if (FindChunkInStream(S, Name, ChunkSize, false))
      FUZZ_CHECK(S.Position() + int64_t(ChunkSize) <= int64_t(Size));
  }
  if (ReadListInfoChunkFromStream(S, "ICMT", ChunkSize, Chunk)) FUZZ_CHECK(Chunk.size() == ChunkSize);
  std::vector<std::string> Names;
  S.SetPosition(12);
  ListChunkNames(S, Names);
  S.SetPosition(0);
  int32_t A = 0, B = 0;
  bool Loop = false;
  Load_WavLoopParamsFromStream(S, A, B, Loop);
  S.SetPosition(0);
  ReadAcidTempoFromStream(S);

  TStereoSample32 St;
  St.Init();
  CheckStereo(Load_WAVTo32_ToStereoFromStream(S, St), St);
  bool HighRes = false;
  CheckStereo(LoadStereoFromAiffStream(S, St, false, HighRes), St);
  TSurroundSample32 Sound;
  CheckSound(Sound.LoadFromWavStream(S, "", false, HighRes), Sound);
  CheckSound(Sound.LoadPartFromWavStream(S, false, HighRes, 3, 5), Sound);
  TSample16 W;
  W.Init();
  if (Load_WAV16FromStream(S, W, false)) FUZZ_CHECK(W.Count == 0 || W.Data != nullptr);
  W.Dispose();
  TMemoryStream Out(Bytes);
  AppendListInfoChunk(Out, "ICMT", 3, "ab");
  Records(S, Size);
}

void Files(const uint8_t* Data, size_t Size) {
  const std::string File = fuzz::ScratchFolder() + "in.wav";
  fuzz::PutFile(File, Data, Size);
  TStereoSample32 St;
  St.Init();
  CheckStereo(LoadWaveToSample(File, St, false), St);
  CheckStereo(Load_WAV24to32_Stereo(File, St), St);
  TSample32 M;
  M.Init();
  Load_WAV24to32(File, M);
  M.Dispose();
  TSurroundSample32 Sound;
  bool HighRes = false;
  CheckSound(Sound.LoadFromAiffFile(File, false, HighRes), Sound);
  std::vector<std::string> Lines;
  Load_WavComment(File, Lines);
  GetWavFrameCountEstimate(File, false);

  static TMultiWave Multi;  // large: kept out of the stack
  static TMultiSurroundWave MultiSurround;
  static TMultiWave16 Multi16;
  if (Multi.LoadFromWav(File, false, HighRes)) FUZZ_CHECK(Multi.Count >= 1 && Multi.Count <= MaxMultiParts);
  Multi.Dispose();
  const float Gains[MaxSurroundChannels] = {1.0f, 0.5f};
  int32_t Channels = 0;
  Multi.LoadFromSurroundWav(File, false, Gains, Gains, MaxSurroundChannels, Channels, 2);
  FUZZ_CHECK(Multi.Count <= MaxMultiParts);
  Multi.Dispose();
  MultiSurround.LoadFromWav(File, false, HighRes, -1);
  FUZZ_CHECK(MultiSurround.Count <= MaxMultiParts);
  MultiSurround.Dispose();
  Multi16.LoadFromWav(File);
  Multi16.Dispose();
  TWaveMarkersList Markers;
  Markers.LoadFromWav(File);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  static THeadlessMessageSink Quiet;
  Quiet.EchoToStderr = false;
  SetMessageSink(&Quiet);
  Streams(Data, Size);
  Files(Data, Size);
  Quiet.Clear();
  return 0;
}
