#include "audio/peak_profile.h"

#include <algorithm>
#include <cmath>

#include "audio/wave_record.h"

namespace kromel {

namespace {

constexpr int32_t ProfileBlockSize = 512;

// How a column is written out when the mapping moves on to column P.
enum class TWriteOut {
  MergeThenPrevious,  // merge the new frame, then write column P - 1
  Previous,           // write column P - 1
  FillUpTo,           // write every column from the current one to P - 1
};

struct TSource {
  const float* L = nullptr;
  const float* R = nullptr;  // null for mono
  int64_t Frames = 0;

  float Low(int64_t I) const { return R != nullptr ? std::min(L[I], R[I]) : L[I]; }
  float High(int64_t I) const { return R != nullptr ? std::max(L[I], R[I]) : L[I]; }
};

TSource MonoSource(const TSample32& S) {
  return {S.Data, nullptr, S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0};
}

TSource StereoSource(const TStereoSample32& S) {
  if (S.Left.Data == nullptr) return {};
  if (S.Right.Data == nullptr) return MonoSource(S.Left);
  return {S.Left.Data, S.Right.Data, std::max<int64_t>(std::min(S.Left.Count, S.Right.Count), 0)};
}

int64_t Columns(const TSample32& MinDst, const TSample32& MaxDst) {
  if (MinDst.Data == nullptr || MaxDst.Data == nullptr) return 0;
  return std::max<int64_t>(std::min(MinDst.Count, MaxDst.Count), 0);
}

void ClearColumns(TSample32& MinDst, TSample32& MaxDst) {
  const int64_t W = Columns(MinDst, MaxDst);
  std::fill_n(MinDst.Data, W, 0.0f);
  std::fill_n(MaxDst.Data, W, 0.0f);
}

bool ProfileUsable(const TWaveProfile* P) {
  return P != nullptr && P->BlockSize > 0 && P->Min.Data != nullptr && P->Max.Data != nullptr;
}

// Reduces frames From .. To-2 of Src into the columns.
void Reduce(const TSource& Src, int64_t From, int64_t To, TSample32& MinDst, TSample32& MaxDst,
            const TWaveProfile* Profile, TWriteOut Mode) {
  const int64_t W = Columns(MinDst, MaxDst);
  From = std::clamp<int64_t>(From, 0, Src.Frames);
  To = std::clamp<int64_t>(To, From, Src.Frames);
  if (W == 0 || To - From < 2) return;
  const double Span = double(To - From);
  const auto ColumnOf = [&](int64_t I) {
    return int64_t(std::nearbyint(double(W) * double(I - From) / Span));
  };
  const auto Put = [&](int64_t C, float Lo, float Hi) {
    if (C < 0 || C >= W) return;
    MinDst.Data[C] = Lo;
    MaxDst.Data[C] = Hi;
  };
  const bool Blocks = ProfileUsable(Profile);
  const int64_t BS = Blocks ? Profile->BlockSize : 0;
  const int64_t BlockCount = Blocks ? std::min(Profile->Min.Count, Profile->Max.Count) : 0;

  int64_t C = -1;
  float Lo = Src.Low(From);
  float Hi = Src.High(From);
  for (int64_t I = From; I < To - 1;) {
    const int64_t P = ColumnOf(I);
    if (P != C) {
      if (Mode == TWriteOut::MergeThenPrevious) {
        Lo = std::min(Lo, Src.Low(I));
        Hi = std::max(Hi, Src.High(I));
      }
      if (Mode == TWriteOut::FillUpTo) {
        for (int64_t K = std::max<int64_t>(C, 0); C >= 0 && K < P; ++K) Put(K, Lo, Hi);
      } else if (P > 0) {
        Put(P - 1, Lo, Hi);
      }
      Lo = Src.Low(I);
      Hi = Src.High(I);
      C = P;
    }
    // A whole block of this column at once; only aligned blocks, which hold
    // exactly frames I .. I + BS - 1.
    const int64_t K = BS > 0 ? I / BS : 0;
    if (BS > 0 && I % BS == 0 && K < BlockCount && I + BS < To - 1 && ColumnOf(I + BS) == P) {
      Lo = std::min(Lo, Profile->Min.Data[K]);
      Hi = std::max(Hi, Profile->Max.Data[K]);
      I += BS;
    } else {
      Lo = std::min(Lo, Src.Low(I));
      Hi = std::max(Hi, Src.High(I));
      ++I;
    }
  }
  Put(C, Lo, Hi);
}

}  // namespace

void TWaveProfile::Init() {
  Min.Init();
  Max.Init();
  BlockSize = 0;
}

void TWaveProfile::Dispose() {
  Min.Dispose();
  Max.Dispose();
}

void TWaveProfile::Build(const TSample32& Sample) {
  BlockSize = ProfileBlockSize;
  Dispose();
  const TSource Src = MonoSource(Sample);
  const int64_t Blocks = (Src.Frames + BlockSize - 1) / BlockSize;
  if (Blocks == 0 || !Min.Alloc(Blocks) || !Max.Alloc(Blocks)) {
    Dispose();
    return;
  }
  for (int64_t K = 0; K < Blocks; ++K) {
    const int64_t First = K * BlockSize;
    const int64_t End = std::min(First + BlockSize, Src.Frames);
    Min.Data[K] = *std::min_element(Src.L + First, Src.L + End);
    Max.Data[K] = *std::max_element(Src.L + First, Src.L + End);
  }
}

void MonoMinMaxProfile(const TSample32& Sample, TSample32& MinDst, TSample32& MaxDst,
                       const TWaveProfile* Profile) {
  const TSource Src = MonoSource(Sample);
  Reduce(Src, 0, Src.Frames, MinDst, MaxDst, Profile, TWriteOut::MergeThenPrevious);
}

void StereoMinMaxProfile(const TStereoSample32& Stereo, TSample32& MinDst, TSample32& MaxDst) {
  const TSource Src = StereoSource(Stereo);
  if (Src.L == nullptr) {
    ClearColumns(MinDst, MaxDst);
    return;
  }
  Reduce(Src, 0, Src.Frames, MinDst, MaxDst, nullptr, TWriteOut::Previous);
}

void MonoMinMaxProfileRange(const TSample32& Sample, TSample32& MinDst, TSample32& MaxDst,
                            int32_t From, int32_t To, const TWaveProfile* Profile) {
  Reduce(MonoSource(Sample), From, To, MinDst, MaxDst, Profile, TWriteOut::FillUpTo);
}

void StereoMinMaxProfileRange(const TStereoSample32& Stereo, TSample32& MinDst,
                              TSample32& MaxDst, int32_t From, int32_t To,
                              const TWaveProfile* Profile) {
  const TSource Src = StereoSource(Stereo);
  if (Src.L == nullptr) {
    ClearColumns(MinDst, MaxDst);
    return;
  }
  Reduce(Src, From, To, MinDst, MaxDst, Profile, TWriteOut::Previous);
}

void WaveMinMaxProfile(const TWave& Wave, TSample32& MinDst, TSample32& MaxDst,
                       const TWaveProfile* Profile) {
  if (Wave.IsStereo)
    StereoMinMaxProfile(Wave.Stereo, MinDst, MaxDst);
  else
    MonoMinMaxProfile(Wave.Mono, MinDst, MaxDst, Profile);
}

void WaveMinMaxProfileRange(const TWave& Wave, TSample32& MinDst, TSample32& MaxDst,
                            int32_t From, int32_t To, const TWaveProfile* Profile) {
  if (Wave.IsStereo)
    StereoMinMaxProfileRange(Wave.Stereo, MinDst, MaxDst, From, To, Profile);
  else
    MonoMinMaxProfileRange(Wave.Mono, MinDst, MaxDst, From, To, Profile);
}

}  // namespace kromel
