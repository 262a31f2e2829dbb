// Seeds for the sound_file fuzz target, written by our own WAV writers and
// a small AIFF-C file: fuzz_make_sound_corpus <repo>/fuzz/corpus
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "audio/riff_chunks.h"
#include "audio/surround_sample.h"
#include "audio/wav_files.h"
#include "audio/file_store.h"
#include "audio/multi_wave.h"
#include "audio/wav_meta_chunks.h"
#include "audio/wave_markers.h"
#include "audio/wave_record.h"
#include "seed_writer.h"

using namespace kromel;

namespace {

const char* const Target = "sound_file";

std::string Dir() { return (fuzz::SeedRoot() / Target).string() + "/"; }

TSample32 Tone(int N, int Rate) {
  TSample32 S;
  S.Init();
  S.Alloc(N);
  for (int I = 0; I < N; ++I) S.Data[I] = 0.8f * std::sin(0.3f * float(I));
  S.SampleRate = Rate;
  return S;
}

void WavSeeds() {
  std::filesystem::create_directories(Dir());
  TSample32 M = Tone(9, 8000);
  Save_WAV16From32(M, Dir() + "mono16.wav");
  Save_WAV24(M, Dir() + "mono24.wav");
  TStereoSample32 S;
  S.Left = M;
  S.Right = Tone(9, 8000);
  Save_WAV16StereoFrom32(S, Dir() + "stereo16.wav");
  Save_WAV24Stereo(S, Dir() + "stereo24.wav");
  TSurroundSample32 Sound;
  Sound.Alloc(3, 5);
  for (int C = 0; C < 3; ++C) std::copy_n(M.Data, 5, Sound.Channels[C].Data);
  Sound.SetSampleRate(8000);
  Sound.SaveToWav32(Dir() + "three32.wav");
  Sound.Dispose();
  Save_WavComment(Dir() + "mono16.wav", {"A", "B"});
  S.Dispose();
}

void AiffSeed() {
  std::string B = "FORM";
  auto BE = [&](uint32_t V, int N) {
    for (int I = N - 1; I >= 0; --I) B.push_back(char(V >> (8 * I)));
  };
  BE(4 + 8 + 22 + 8 + 8 + 8, 4);
  B += "AIFCCOMM";
  BE(22, 4);
  BE(2, 2);
  BE(2, 4);
  BE(16, 2);
  B += std::string("\x40\x0D\xAC\x44\0\0\0\0\0\0", 10);
  B += "sowtSSND";
  BE(16, 4);
  BE(0, 8);
  B += std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
  fuzz::Put(Target, "stereo_sowt.aifc", B);
}

// A two-part wave with cue and label chunks, a "SAMW" block, a "FILE"
// chunk and a "Mark" block, each from our own writers.
void RecordSeeds() {
  std::filesystem::create_directories(Dir());
  static TMultiWave M;
  M.Init();
  M.Count = 2;
  for (int P = 0; P < 2; ++P) {
    InitSampleRecord(M.Parts[size_t(P)]);
    M.Parts[size_t(P)].Mono = Tone(15, 8000);
    M.Parts[size_t(P)].Name = "P" + std::to_string(P);
  }
  M.SaveToWav(Dir() + "two_parts.wav");
  TWaveMarkersList L;
  L.Add(3, -1, TMarkerKind::mkSampleStart, 0, 0, "");
  L.Add(7, 2, TMarkerKind::mkBPMMarker, 120, 1, "");
  TMemoryStream Mark;
  L.SaveToStream(Mark);
  fuzz::Put(Target, "markers.mark", Mark.Bytes());
  TFileStore Store;
  Store.FileName = "a.wav";
  Store.Write("RIFF", 4);
  TMemoryStream File;
  Store.SaveToStream(File);
  fuzz::Put(Target, "store.file", File.Bytes());
  const std::string Block = Dir() + "stereo.samw";
  if (std::FILE* F = std::fopen(Block.c_str(), "wb")) {
    TWave W;
    InitSampleRecord(W);
    W.IsStereo = true;
    W.Stereo.Left = M.Parts[0].Mono;
    W.Stereo.Right = M.Parts[1].Mono;
    W.WriteToFile(F);
    std::fclose(F);
  }
  M.Dispose();
}

}  // namespace

int main(int argc, char** argv) { return fuzz::WriteSeeds(argc, argv, {WavSeeds, AiffSeed, RecordSeeds}); }
