// Helpers shared by the sample-processing routines: the samples a buffer
// really holds, and a work buffer freed on leaving its scope.
#pragma once
#include <algorithm>
#include <cstdint>

#include "images/sample.h"

namespace kromel {

inline int64_t HeldSamples(const TSample32& S) {
  return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0;
}

struct TWorkSample {
  TSample32 S;
  // Count samples at Rate, uncleared; Ready() is false when they can't be had.
  TWorkSample(int64_t Count, int32_t Rate) {
    S.Init();
    if (Count > 0 && S.Alloc(Count)) S.SampleRate = Rate;
  }
  ~TWorkSample() { S.Dispose(); }
  TWorkSample(const TWorkSample&) = delete;
  TWorkSample& operator=(const TWorkSample&) = delete;
  bool Ready() const { return S.Data != nullptr; }
};

}  // namespace kromel
