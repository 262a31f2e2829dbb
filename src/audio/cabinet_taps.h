// Loudspeaker-cabinet colouring by short sparse impulse responses: every
// output sample is a weighted sum of a few delayed inputs kept in a ring that
// lives on between calls, so consecutive buffers join seamlessly.
#pragma once
#include <array>
#include <cstdint>

#include "audio/stereo_sample.h"
#include "images/sample.h"

namespace kromel {

struct TConvTap {
  uint16_t Delay = 0;  // samples; 0 is the current input
  float Gain = 0.0f;
};
using TConvTaps = std::array<TConvTap, 7>;

struct TAdvConvTap {
  uint16_t Delay = 0;
  float Gain = 0.0f;
  uint16_t Bank = 0;  // 0..3: which smoothed copy of the input the tap reads
};
using TAdvConvTaps = std::array<TAdvConvTap, 7>;

using TLiveTaps = std::array<TConvTap, 30>;

// Ring sizes: the tap forms read back at most Size - 1 samples.
constexpr int32_t CabinetRingSize = 512;
constexpr int32_t AdvTapsRingSize = 4 * CabinetRingSize;  // four banks of 512
constexpr int32_t LiveTapsRingSize = 2048;
constexpr int32_t LiveCabinetRingSize = 8192;
constexpr int32_t CabinetTapTypes = 13;
constexpr int32_t CabinetImpulseSlots = 17;

// Each routine needs a ring of at least its size (Buffer allocated by the
// owner, Position kept between calls); a smaller ring is reported and the
// samples are left as they are.
void ConvolveTaps(TSample32& Sample, TLoopBuf32& Ring, const TConvTaps& Taps);
// Taps (j, Impulse[j]); an impulse longer than the ring is refused.
void ConvolveImpulse(TSample32& Sample, TLoopBuf32& Ring, const TSample32& Impulse);
void ConvolveLiveTaps(TSample32& Sample, TLoopBuf32& Ring, const TLiveTaps& Taps);
void ConvolveAdvTaps(TSample32& Sample, TLoopBuf32& Ring, const TAdvConvTaps& Taps);
// CabType 0 leaves the buffer alone; a type without a tap set gives silence.
void ProcessLiveCabinet(TSample32& Sample, TLoopBuf32& Ring, int32_t CabType);
void ProcessLiveCabinetB(TSample32& Sample, TLoopBuf32& Ring, int32_t CabType);

const TConvTaps& CabinetTaps(int32_t CabType);  // types 1..13

class TCabinetSimProcessor {
public:
  TCabinetSimProcessor() = default;
  ~TCabinetSimProcessor() { Done(); }
  TCabinetSimProcessor(const TCabinetSimProcessor&) = delete;
  TCabinetSimProcessor& operator=(const TCabinetSimProcessor&) = delete;

  bool Init();
  void Done();
  // Forgets the past; the position stays.
  void Clear();
  // Types 1..13: the built-in taps; 14..30: impulse slot CabType - 14 (an
  // empty slot gives silence); anything else leaves the buffer alone.
  void Process(TSample32& Sample, int32_t CabType);

  // Impulse responses of types 14..30, owned by whoever fills them.
  std::array<TSample32, CabinetImpulseSlots> Impulses{};

private:
  TLoopBuf32 FRing;
};

}  // namespace kromel
