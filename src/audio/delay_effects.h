// Effects on delay lines and resonators: echoes, ping-pong, comb, flanger,
// two reverbs, a pitched resonance, a two-pole resonator cascade and a
// small mass-and-spring string. The caller owns every ring; each routine
// checks that the ring holds what it needs and keeps every index inside
// it. A zero or negative delay is refused (reported, buffer unchanged).
#pragma once
#include <array>
#include <cstdint>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

// Thirteen 2048-sample rings with the reverbs' write position and input
// low-pass state, so consecutive buffers continue the tail.
struct TReverbBufs {
  static constexpr int32_t RingSize = 2048;
  std::array<TSample32, 13> Rings{};
  int32_t Pos = 0;
  float LowPass = 0;

  bool Init();
  void Done();
  void Clear();
};

using TFilterArray = std::array<double, 49>;
using PFilterArray = TFilterArray*;

constexpr int32_t ResonanceRingSize = 8192;
constexpr int32_t MaxResonanceStages = 48;  // 24 two-pole sections

struct TResonanceRec {
  TSample16 Sample;
  int32_t LowPass = 0;   // 1/256 per kHz of pitch
  int32_t Feedback = 0;  // 1/1024
  int32_t Unused1 = 0;
  int32_t Freq = 0;  // Hz without a control signal
  TSample16* Control = nullptr;  // 4 units per Hz
  int32_t PrevOut = 0;
  int32_t Unused2 = 0;
  TSample16 Ring;  // 8192 samples
  TFilterArray FilterState{};
};

struct TResonanceRec32 {
  TSample32 Sample;
  int32_t LowPass = 0;
  int32_t Feedback = 0;
  int32_t Unused1 = 0;
  int32_t Freq = 0;
  TSample32* Control = nullptr;
  float PrevOut = 0;
  float Unused2 = 0;
  TSample32 Ring;  // 8192 samples
  TFilterArray FilterState{};
};

extern int32_t ResonanceStages;
extern int32_t ResonanceFlag;

// Rings hold at least DelayLen samples (16-bit) / at least 2 (float; a
// longer delay is lowered to the ring). Positions start at 0 each call.
void Echo16(TSample16& Sample, TSample16& Ring, int32_t Feed, int32_t Feedback, int32_t DelayLen,
            int32_t Damp, bool Prefill, bool Reset);
void Echo32(TSample32& Sample, TSample32& Ring, int32_t Feed, int32_t Feedback, int32_t DelayLen,
            int32_t Damp, bool Prefill, bool Reset);
// Rings of 65536 samples per channel.
void PingPongEcho32(TStereoSample32& Stereo, TStereoSample32& Rings, int32_t Feed, int32_t Self,
                    int32_t Cross, int32_t DelayLeft, int32_t DelayRight, int32_t Damp, bool Reset);
void PingPongEchoWide32(TStereoSample32& Stereo, TStereoSample32& Rings, int32_t Feed, int32_t Self,
                        int32_t Cross, int32_t DelayLeft, int32_t DelayRight, int32_t Damp,
                        int32_t Width, bool Reset);
void CombFilter32(TSample32& Sample, TSample32& Ring, int64_t Pos, int32_t OutFeed, int32_t Len,
                  int32_t InFeed, int32_t Damp);
// Ring of 8192; delays in samples at 44100 Hz, kept so the sweep stays
// inside the ring.
void Flanger32(TSample32& Sample, TSample32& Ring, int64_t Pos, int32_t Mix, int32_t MinDelay,
               int32_t MaxDelay, int32_t Rate, int32_t Feedback, float& Phase);
void Reverb13(TSample32& Sample, TReverbBufs& Bufs, int32_t Dry, int32_t Wet, int32_t Decay,
              int32_t Damp, bool Reset);
void Reverb9(TSample32& Sample, TReverbBufs& Bufs, int32_t Dry, int32_t Wet, int32_t Decay,
             int32_t Damp, bool Reset);
// Pos advances by the samples processed.
void ResonanceProcess16(TResonanceRec& Rec, int64_t& Pos);
void ResonanceProcess32(TResonanceRec32& Rec, int64_t& Pos);
// Stages rounded up to even and capped at 48; 0 changes nothing.
void SetResonanceStages(uint8_t Stages, bool Flag);
void ClearResonanceStages();
void ResonantFilter32(TResonanceRec32& Rec, TSample32& Sample, double Freq, double Bandwidth);

// One shared string (one caller at a time).
void StringModelInit();
void StringModel(TSample32& Sample, float Freq, float Noise, float Damping);
void StringModelB(TSample32& Sample, float Freq, float Damping);
void StringModelC(TSample32& Sample, float Freq, float Damping);

}  // namespace kromel
