#include "audio/cabinet_taps.h"

#include <initializer_list>
#include <string>
#include <tuple>
#include <vector>

#include "foundation/messages.h"

namespace kromel {

namespace {

// Types 1..10 start with a direct tap and spread six more over 511 samples;
// types 11..13 are short, within 19 samples.
const std::array<TConvTaps, CabinetTapTypes> CabinetTables = {{
    {{{0, 0.3f}, {1, 0.2f}, {4, 0.4f}, {6, -0.1f}, {17, 0.3f}, {18, 0.2f}, {128, 0.1f}}},
    {{{0, 0.25f}, {1, 0.2f}, {2, 0.15f}, {9, -0.4f}, {13, 0.3f}, {14, 0.4f}, {108, 0.1f}}},
    {{{0, 0.3f}, {2, 0.25f}, {5, 0.3f}, {7, -0.15f}, {21, 0.2f}, {64, 0.1f}, {200, 0.05f}}},
    {{{0, 0.25f}, {3, 0.3f}, {8, 0.2f}, {11, -0.2f}, {33, 0.25f}, {97, 0.1f}, {256, 0.08f}}},
    {{{0, 0.3f}, {1, 0.3f}, {3, 0.2f}, {12, -0.25f}, {29, 0.2f}, {150, 0.12f}, {311, 0.06f}}},
    {{{0, 0.25f}, {4, 0.35f}, {9, 0.1f}, {15, -0.1f}, {46, 0.2f}, {180, 0.1f}, {390, 0.07f}}},
    {{{0, 0.3f}, {2, 0.2f}, {6, 0.25f}, {19, -0.2f}, {57, 0.15f}, {222, 0.12f}, {444, 0.05f}}},
    {{{0, 0.25f}, {1, 0.25f}, {7, 0.3f}, {23, -0.15f}, {77, 0.2f}, {255, 0.1f}, {480, 0.06f}}},
    {{{0, 0.3f}, {3, 0.2f}, {10, 0.3f}, {31, -0.2f}, {90, 0.15f}, {300, 0.1f}, {500, 0.05f}}},
    {{{0, 0.25f}, {23, 0.2f}, {51, 0.35f}, {99, 0.1f}, {103, 0.3f}, {249, 0.15f}, {511, 0.15f}}},
    {{{3, 0.789f}, {5, 0.3f}, {7, -0.191f}, {9, 0.12f}, {12, -0.1f}, {15, 0.08f}, {19, 0.05f}}},
    {{{3, 0.6f}, {4, 0.25f}, {6, -0.15f}, {8, 0.2f}, {11, -0.12f}, {14, 0.1f}, {17, 0.06f}}},
    {{{3, 0.45f}, {5, 0.35f}, {8, 0.2f}, {10, -0.191f}, {13, 0.15f}, {16, -0.08f}, {19, 0.07f}}},
}};

struct TLiveSet {
  std::vector<TConvTap> Taps;
  float OutGain = 1.0f;
};

// A decaying comb of Count taps from Delay 1 with the given spacing, used for
// the tap sets whose values are ours to choose.
TLiveSet DecayingSet(int Count, int Spacing, float First, float Decay, float OutGain) {
  TLiveSet S;
  S.OutGain = OutGain;
  float G = First;
  for (int I = 0; I < Count; ++I) {
    S.Taps.push_back({uint16_t(1 + I * Spacing + (I % 3)), (I % 4 == 3) ? -G : G});
    G *= Decay;
  }
  return S;
}

std::vector<TLiveSet> MakeLiveSets() {
  std::vector<TLiveSet> Sets(33);
  Sets[0] = {{{2, 0.3f}, {4, 0.28f}, {6, 0.26f}, {9, 0.3f}, {10, 0.28f}, {11, -0.28f}, {17, 0.26f}}, 1};
  Sets[1] = {{{2, 0.12f}, {4, 0.24f}, {6, 0.11f}, {9, 0.12f}, {10, 0.11f}, {11, 0.11f}, {19, 0.12f}}, 1};
  Sets[6] = {{{1, 0.13f}, {4, 0.15f}, {23, 0.11f}, {25, 0.17f}, {53, 0.11f}, {59, 0.12f}, {61, 0.11f},
              {93, 0.1f}, {123, 0.09f}, {124, 0.09f}, {189, 0.13f}},
             1.3f};
  Sets[19] = {{{1, 0.4f}, {25, 0.08f}, {26, 0.07f}, {126, 0.1f}, {327, 0.09f}, {328, 0.08f},
               {728, 0.08f}, {729, 0.07f}, {1329, 0.1f}, {1330, 0.07f}, {2230, 0.06f}, {2231, 0.05f}},
              0.6f};
  Sets[30] = {{{1, 0.67f}, {2, 0.728f}, {3, 0.673f}, {4, 0.328f}, {128, -0.167f}, {129, -0.532f},
               {130, -0.682f}, {131, -0.517f}, {132, -0.126f}},
              0.5f};
  // Type 28: 29 taps over delays 1..33, a damped ring ending at 0.007.
  {
    TLiveSet S;
    const std::initializer_list<std::pair<int, float>> Head = {{1, 0.4f}, {2, 0.19f}, {4, -0.17f},
                                                               {5, -0.34f}, {6, -0.15f}, {8, 0.082f}};
    for (const auto& [D, G] : Head) S.Taps.push_back({uint16_t(D), G});
    float G = 0.082f;
    for (int D = 9; D <= 33; ++D) {
      if (D == 12 || D == 20) continue;
      G *= 0.9f;
      S.Taps.push_back({uint16_t(D), (D % 2 == 0 ? 1.0f : -1.0f) * (D == 33 ? 0.007f : G)});
    }
    Sets[27] = S;
  }
  // Output gains other than 1 for the sets built below.
  const auto GainOf = [](int Type) {
    switch (Type) {
      case 7: case 33: case 30: return 1.3f;
      case 8: return 1.2f;
      case 25: return 1.4f;
      case 26: case 29: return 0.8f;
      case 27: return 1.6f;
      case 31: case 32: return 0.5f;
      default: return Type >= 14 && Type <= 20 ? 0.6f : 1.0f;
    }
  };
  for (int Type = 1; Type <= 33; ++Type) {
    TLiveSet& S = Sets[size_t(Type - 1)];
    if (!S.Taps.empty()) continue;
    const int Count = 6 + (Type * 7) % 18;                 // 6..23 taps
    const int Spacing = Type <= 13 ? 2 + Type % 4 : 9 + 7 * (Type % 9);  // up to ~2230
    S = DecayingSet(Count, Spacing, 0.35f, 0.85f, GainOf(Type));
  }
  return Sets;
}

const std::vector<TLiveSet>& LiveSets() {
  static const std::vector<TLiveSet> Sets = MakeLiveSets();
  return Sets;
}

const std::vector<TLiveSet>& LiveSetsB() {
  static const std::vector<TLiveSet> Sets = [] {
    std::vector<TLiveSet> S(6);
    S[0] = {{{1, 0.8f}, {2, -0.1f}, {128, -0.167f}, {129, -0.532f}, {130, -0.682f}, {131, -0.517f},
             {132, -0.126f}},
            0.35f};
    S[1] = {{{1, 0.167f}, {2, -0.535f}, {3, -0.68f}, {4, -0.517f}, {5, -0.434f}, {6, -0.517f},
             {7, -0.866f}, {8, -0.475f}, {9, -0.144f}, {10, -0.075f}, {11, -0.029f}, {12, -0.01f},
             {13, 0.475f}, {13, 0.115f}},
            0.3f};
    for (const auto& [Index, G1, G3] : {std::tuple{2, 0.47f, 0.473f}, std::tuple{4, 0.27f, 0.273f}})
      S[size_t(Index)] = {{{1, G1}, {2, 0.728f}, {3, G3}, {4, 0.228f}, {127, 0.407f}, {128, -0.167f},
                           {129, -0.532f}, {130, -0.682f}, {131, -0.517f}, {132, -0.126f}},
                          0.3f};
    S[3] = {{{1, 0.12f}, {2, 0.67f}, {3, 0.128f}, {4, 0.038f}, {167, 0.047f}, {168, 0.147f},
             {169, 0.062f}, {210, 0.052f}, {211, 0.125f}, {212, 0.02f}},
            0.8f};
    S[5] = {{{1, 0.77f}, {2, 0.228f}, {3, 0.073f}, {4, 0.028f}, {6, 0.073f}, {7, 0.128f},
             {8, 0.073f}, {9, 0.033f}},
            0.9f};
    return S;
  }();
  return Sets;
}

// The ring must hold Size samples; the position is kept inside it.
bool RingReady(TLoopBuf32& Ring, int32_t Size, const char* Routine) {
  if (Ring.Buffer.Data == nullptr || Ring.Buffer.Count < Size) {
    DebugShowMessage(std::string(Routine) + ": the ring holds fewer than " + std::to_string(Size) +
                     " samples");
    return false;
  }
  Ring.Position &= Size - 1;
  return true;
}

bool HasSamples(const TSample32& S) { return S.Data != nullptr && S.Count > 0; }

// Tapped delay line on a ring of Size samples (a power of two); Tap(j) gives
// tap j, summed in table order in single precision.
template <class TTapAt>
void TappedDelay(TSample32& Sample, TLoopBuf32& Ring, int32_t Size, size_t TapCount, TTapAt TapAt,
                 const char* Routine) {
  if (!HasSamples(Sample) || !RingReady(Ring, Size, Routine)) return;
  float* R = Ring.Buffer.Data;
  const int32_t Mask = Size - 1;
  int32_t Pos = Ring.Position;
  for (int64_t I = 0; I < Sample.Count; ++I) {
    R[Pos] = Sample.Data[I];
    float Sum = 0.0f;
    for (size_t J = 0; J < TapCount; ++J) {
      const TConvTap T = TapAt(J);
      Sum += R[(Pos - int32_t(T.Delay)) & Mask] * T.Gain;
    }
    Sample.Data[I] = Sum;
    Pos = (Pos + 1) & Mask;
  }
  Ring.Position = Pos;
}

void LiveCabinet(TSample32& Sample, TLoopBuf32& Ring, int32_t CabType,
                 const std::vector<TLiveSet>& Sets, const char* Routine) {
  if (CabType == 0 || !HasSamples(Sample) || !RingReady(Ring, LiveCabinetRingSize, Routine)) return;
  const TLiveSet* Set = CabType >= 1 && size_t(CabType) <= Sets.size() ? &Sets[size_t(CabType - 1)]
                                                                       : nullptr;
  float* R = Ring.Buffer.Data;
  constexpr int32_t Mask = LiveCabinetRingSize - 1;
  for (int64_t I = 0; I < Sample.Count; ++I) {
    const int32_t Pos = Ring.Position;
    R[Pos] = Sample.Data[I];
    long double Sum = 0;
    if (Set != nullptr)
      for (const TConvTap& T : Set->Taps) Sum += (long double)R[(Pos - int32_t(T.Delay)) & Mask] * T.Gain;
    Sample.Data[I] = Set != nullptr ? float(Sum * Set->OutGain) : 0.0f;
    Ring.Position = (Pos + 1) & Mask;
  }
}

}  // namespace

const TConvTaps& CabinetTaps(int32_t CabType) {
  const int32_t Index = CabType >= 1 && CabType <= CabinetTapTypes ? CabType - 1 : 0;
  return CabinetTables[size_t(Index)];
}

void ConvolveTaps(TSample32& Sample, TLoopBuf32& Ring, const TConvTaps& Taps) {
  TappedDelay(Sample, Ring, CabinetRingSize, Taps.size(), [&](size_t J) { return Taps[J]; },
              "ConvolveTaps");
}

void ConvolveImpulse(TSample32& Sample, TLoopBuf32& Ring, const TSample32& Impulse) {
  if (!HasSamples(Impulse)) {
    // An empty impulse passes nothing, but the ring still hears the input.
    TappedDelay(Sample, Ring, CabinetRingSize, 0, [](size_t) { return TConvTap{}; },
                "ConvolveImpulse");
    return;
  }
  if (Impulse.Count > CabinetRingSize) {
    DebugShowMessage("ConvolveImpulse: an impulse of " + std::to_string(Impulse.Count) +
                     " samples is longer than the ring");
    return;
  }
  TappedDelay(Sample, Ring, CabinetRingSize, size_t(Impulse.Count),
              [&](size_t J) { return TConvTap{uint16_t(J), Impulse.Data[J]}; }, "ConvolveImpulse");
}

void ConvolveLiveTaps(TSample32& Sample, TLoopBuf32& Ring, const TLiveTaps& Taps) {
  TappedDelay(Sample, Ring, LiveTapsRingSize, Taps.size(), [&](size_t J) { return Taps[J]; },
              "ConvolveLiveTaps");
}

void ConvolveAdvTaps(TSample32& Sample, TLoopBuf32& Ring, const TAdvConvTaps& Taps) {
  if (!HasSamples(Sample) || !RingReady(Ring, AdvTapsRingSize, "ConvolveAdvTaps")) return;
  constexpr int32_t Mask = CabinetRingSize - 1;
  float* Bank[4];
  for (int K = 0; K < 4; ++K) Bank[K] = Ring.Buffer.Data + K * CabinetRingSize;
  int32_t Pos = Ring.Position & Mask;
  for (int64_t I = 0; I < Sample.Count; ++I) {
    const int32_t P1 = (Pos - 1) & Mask, P2 = (Pos - 2) & Mask;
    Bank[0][Pos] = Sample.Data[I];
    for (int K = 1; K < 4; ++K)
      Bank[K][Pos] = (2 * Bank[K - 1][P1] + Bank[K - 1][Pos] + Bank[K - 1][P2]) * 0.25f;
    float Sum = 0.0f;
    for (const TAdvConvTap& T : Taps)
      if (T.Bank <= 3) Sum += Bank[T.Bank][(Pos - int32_t(T.Delay)) & Mask] * T.Gain;
    Sample.Data[I] = Sum;
    Pos = (Pos + 1) & Mask;
  }
  Ring.Position = Pos;
}

void ProcessLiveCabinet(TSample32& Sample, TLoopBuf32& Ring, int32_t CabType) {
  LiveCabinet(Sample, Ring, CabType, LiveSets(), "ProcessLiveCabinet");
}

void ProcessLiveCabinetB(TSample32& Sample, TLoopBuf32& Ring, int32_t CabType) {
  LiveCabinet(Sample, Ring, CabType, LiveSetsB(), "ProcessLiveCabinetB");
}

bool TCabinetSimProcessor::Init() {
  Done();
  if (!FRing.Buffer.Alloc(CabinetRingSize)) return false;
  FRing.Buffer.Clear();
  FRing.Position = 0;
  return true;
}

void TCabinetSimProcessor::Done() { FRing.Buffer.Dispose(); }

void TCabinetSimProcessor::Clear() {
  if (FRing.Buffer.Data != nullptr) FRing.Buffer.Clear();
}

void TCabinetSimProcessor::Process(TSample32& Sample, int32_t CabType) {
  if (CabType >= 1 && CabType <= CabinetTapTypes)
    ConvolveTaps(Sample, FRing, CabinetTables[size_t(CabType - 1)]);
  else if (CabType >= 14 && CabType <= 30)
    ConvolveImpulse(Sample, FRing, Impulses[size_t(CabType - 14)]);
}

}  // namespace kromel
