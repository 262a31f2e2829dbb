// Helpers for the audio tests: byte builders for hand-made files.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "images/sample.h"

namespace kromel::testing {

using TBytes = std::vector<uint8_t>;

inline void Append(TBytes& B, const std::string& S) { B.insert(B.end(), S.begin(), S.end()); }
inline void AppendLE(TBytes& B, uint64_t V, int Bytes) {
  for (int I = 0; I < Bytes; ++I) B.push_back(uint8_t(V >> (8 * I)));
}
inline void AppendBE(TBytes& B, uint64_t V, int Bytes) {
  for (int I = Bytes - 1; I >= 0; --I) B.push_back(uint8_t(V >> (8 * I)));
}

// A RIFF/WAVE file with a 16-byte "fmt " chunk and Data as its "data".
inline TBytes MakeWav(uint16_t Tag, uint16_t Channels, uint32_t Rate, uint16_t Bits,
                      const TBytes& Data) {
  TBytes B;
  Append(B, "RIFF");
  AppendLE(B, uint32_t(36 + Data.size()), 4);
  Append(B, "WAVEfmt ");
  AppendLE(B, 16, 4);
  AppendLE(B, Tag, 2);
  AppendLE(B, Channels, 2);
  AppendLE(B, Rate, 4);
  AppendLE(B, Rate * Channels * (Bits / 8), 4);
  AppendLE(B, Channels * (Bits / 8), 2);
  AppendLE(B, Bits, 2);
  Append(B, "data");
  AppendLE(B, uint32_t(Data.size()), 4);
  B.insert(B.end(), Data.begin(), Data.end());
  return B;
}

inline TSample32 MakeSample(std::initializer_list<float> Values, int32_t Rate = 44100) {
  TSample32 S;
  S.Init();
  S.Alloc(int64_t(Values.size()));
  int I = 0;
  for (float V : Values) S.Data[I++] = V;
  S.SampleRate = Rate;
  return S;
}

}  // namespace kromel::testing
