// Processors that keep their state between buffers of one stream:
// sample-and-hold, differentiator, leaky integrator, automatic level
// control and limiter. All work in place.
#pragma once
#include <cstdint>
#include <random>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

class TSampleAndHoldProcessor {
public:
  static constexpr int32_t RingSize = 4096;

  float Held = 0;
  int32_t Rate = 44100;  // holds per second
  float Amount = 1;      // 0..1
  float Factor = 0;
  float Counter = 0;
  TSample32 Buffer;  // mode 3's delay line, owned
  int32_t WritePos = 0;
  uint8_t Mode = 0;  // 0 hold, 1 random hold, 2 gate, 3 comb

  TSampleAndHoldProcessor();
  ~TSampleAndHoldProcessor();
  TSampleAndHoldProcessor(const TSampleAndHoldProcessor&) = delete;
  TSampleAndHoldProcessor& operator=(const TSampleAndHoldProcessor&) = delete;

  void Reset();
  // Pos has no effect.
  void Process(TSample32& Sample, int32_t Pos);

private:
  std::mt19937 FRandom{0x5eed};
  float Random();
};

struct TDerivativeProcessor {
  float Last = 0;
  void Init() { Last = 0; }
  void Process(TSample32& Sample);
};

struct TIntegrateProcessor {
  float Sum = 0;
  void Init() { Sum = 0; }
  void Process(TSample32& Sample);
};

// Levels the output towards full scale with at most MaxGain of boost; the
// envelope moves linearly, full scale per attack or release time.
struct TCompressorProcessor {
  float Unused = 0;
  float MaxGain = 100;
  float AttackMs = 30;
  float ReleaseMs = 100;
  float Envelope = 1;
  float Smoothed = 1;
  void Init();
  void Process(TSample32& Sample);
};

// Drives the input by GainDB and keeps the output below 0.98 of full
// scale (a frame's louder channel rules in the stereo form).
struct TLimiterProcessor {
  float Unused = 0;
  float GainDB = 6;
  float Gain = 1;
  void Init();
  void Process(TSample32& Sample);
  void ProcessStereo(TStereoSample32& Stereo);
};

}  // namespace kromel
