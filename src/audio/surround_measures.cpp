// Copies, measures and whole-sound edits of TSurroundSample32.
#include <algorithm>
#include <cmath>

#include "audio/stereo_sample.h"
#include "audio/surround_sample.h"
#include "images/sample_ops.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

// True when every channel long enough to have frame I holds exactly 0 there.
bool FrameIsSilent(const TSurroundSample32& S, int64_t I) {
  for (int32_t C = 0; C < S.NumChannels; ++C) {
    const TSample32& Ch = S.Channels[size_t(C)];
    if (I < Held(Ch) && Ch.Data[I] != 0.0f) return false;
  }
  return true;
}

TStereoSample32 StereoView(const TSurroundSample32& S) {
  TStereoSample32 V;
  V.Left = S.Channels[0];
  V.Right = S.Channels[1];
  return V;
}

}  // namespace

void TSurroundSample32::Assign(const TSurroundSample32& Source) {
  Dispose();
  if (Source.NumChannels < 1 || Source.NumChannels > MaxSurroundChannels ||
      Source.Channels[0].Count <= 0)
    return;
  if (!Alloc(Source.NumChannels, Source.Length())) return;
  for (int32_t C = 0; C < NumChannels; ++C) Channels[size_t(C)].Copy(Source.Channels[size_t(C)]);
  Name = Source.Name;
}

void TSurroundSample32::CopyFrom(const TSurroundSample32& Source) {
  if (Source.NumChannels != NumChannels) {
    PlatformShowMessage("TSurroundSample32.CopyFrom - Channel count mismatch");
    return;
  }
  for (int32_t C = 0; C < NumChannels; ++C) Channels[size_t(C)].Copy(Source.Channels[size_t(C)]);
  Name = Source.Name;
}

void TSurroundSample32::CopyRange(const TSurroundSample32& Source, int32_t From, int32_t To) {
  Dispose();
  TSurroundSample32 View;
  View.AssignRange(Source, From, To);
  if (View.NumChannels < 1 || View.NumChannels > MaxSurroundChannels) return;
  if (!Alloc(View.NumChannels, View.Length())) return;
  for (int32_t C = 0; C < NumChannels; ++C) Channels[size_t(C)].Copy(View.Channels[size_t(C)]);
  Name = Source.Name;
}

float TSurroundSample32::SumAbs() const {
  float Sum = 0.0f;
  for (int32_t C = 0; C < NumChannels; ++C) Sum += Channels[size_t(C)].SumAbs();
  return Sum;
}

int32_t TSurroundSample32::LastNonZeroIndex() const {
  int64_t Last = -1;
  for (int32_t C = 0; C < NumChannels; ++C)
    Last = std::max(Last, Channels[size_t(C)].LastNonZeroIndex());
  return int32_t(Last);
}

bool TSurroundSample32::HasInvalidValues() const {
  for (int32_t C = 0; C < NumChannels; ++C) {
    const TSample32& Ch = Channels[size_t(C)];
    for (int64_t I = 0; I < Held(Ch); ++I)
      if (!std::isfinite(Ch.Data[I])) return true;
  }
  return false;
}

bool TSurroundSample32::SamplesEqual(const TSurroundSample32& Other) const {
  if (Other.NumChannels != NumChannels) return false;
  for (int32_t C = 0; C < NumChannels; ++C)
    if (!kromel::SamplesEqual(Channels[size_t(C)], Other.Channels[size_t(C)])) return false;
  return true;
}

int32_t TSurroundSample32::NonSilentLength() const {
  int64_t First = 0;
  int64_t Last = Length();
  while (First < Last && FrameIsSilent(*this, First)) ++First;
  while (Last > First && FrameIsSilent(*this, Last)) --Last;
  return int32_t(Last - First);
}

int32_t TSurroundSample32::ClipCount() const {
  int32_t Clipped = 0;
  const int64_t N = Length();
  for (int64_t I = 0; I < N; ++I)
    for (int32_t C = 0; C < NumChannels; ++C) {
      const TSample32& Ch = Channels[size_t(C)];
      if (I < Held(Ch) && std::fabs(Ch.Data[I]) > 0.99f) {
        ++Clipped;
        break;
      }
    }
  return Clipped;
}

void TSurroundSample32::Normalize() { Scale(1.0f / (Peak() + 1e-9f)); }

void TSurroundSample32::DeleteRange(int32_t From, int32_t To) {
  for (int32_t C = 0; C < NumChannels; ++C) Channels[size_t(C)].DeleteRange(From, To);
}

void TSurroundSample32::OverwriteAt(const TSurroundSample32& Source, int32_t Offset) {
  const int32_t N = std::min(NumChannels, Source.NumChannels);
  for (int32_t C = 0; C < N; ++C) Channels[size_t(C)].OverwriteAt(Source.Channels[size_t(C)], Offset);
  if (NumChannels == 2 && Source.NumChannels == 1)
    Channels[1].OverwriteAt(Source.Channels[0], Offset);
}

void TSurroundSample32::StereoToMono() {
  if (NumChannels != 2) return;
  AddSamples32(Channels[0], Channels[1], Channels[0]);
  Channels[0].Scale(0.5f);
  Channels[1].Dispose();
  Channels[1].Init();
  NumChannels = 1;
}

void TSurroundSample32::MixToMono(TSample32& Dest) const {
  if (NumChannels < 1) return;
  Dest.Dispose();
  if (!Dest.Alloc(Length())) return;
  Dest.Clear();
  Dest.SampleRate = Channels[0].SampleRate;
  const int64_t N0 = std::min(Held(Channels[0]), Dest.Count);
  std::copy(Channels[0].Data, Channels[0].Data + N0, Dest.Data);
  for (int32_t C = 1; C < NumChannels; ++C) AddSamples32(Dest, Channels[size_t(C)], Dest);
}

float TSurroundSample32::SideToMidRatio() const {
  return NumChannels == 2 ? StereoView(*this).SideToMidRatio() : 0.0f;
}

float TSurroundSample32::StereoAngle() const {
  return NumChannels == 2 ? StereoView(*this).StereoAngle() : -1.0f;
}

}  // namespace kromel
