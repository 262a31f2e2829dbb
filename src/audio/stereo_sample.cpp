#include "audio/stereo_sample.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <string>

#include "foundation/error_sink.h"
#include "images/sample_ops.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }
int64_t Held(const TSample16& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

// Frames a conversion may touch: what the source holds, when the
// destination has room; otherwise reported and 0.
int64_t FramesFitting(const char* Routine, int64_t Source, int64_t Dest) {
  if (Source <= Dest) return Source;
  ErrorMessageProc(std::string(Routine) + " - Size mismatch, Source=" + std::to_string(Source) +
                   " Dest=" + std::to_string(Dest));
  return 0;
}

int64_t StereoHeld(const TStereoSample32& S) { return std::min(Held(S.Left), Held(S.Right)); }
int64_t StereoHeld(const TStereoSample16& S) { return std::min(Held(S.Left), Held(S.Right)); }
int64_t RawHeld(int32_t Frames, const void* Data) {
  return Data != nullptr ? std::max<int64_t>(Frames, 0) : 0;
}

}  // namespace

int16_t RoundToSample16(float V) {
  if (std::isnan(V)) return 0;
  const float S = std::nearbyint(std::clamp(V, -1.0f, 1.0f) * 32767.0f);
  return int16_t(S);
}

// ---- TStereoSample32 -----------------------------------------------------

void TStereoSample32::Init() {
  Left.Init();
  Right.Init();
}

bool TStereoSample32::Alloc(int32_t FrameCount) {
  if (!Left.Alloc(FrameCount)) return false;
  if (!Right.Alloc(FrameCount)) {
    Left.Dispose();
    return false;
  }
  return true;
}

bool TStereoSample32::SetLength(int32_t FrameCount) {
  FrameCount = std::max(FrameCount, 0);
  if (!Left.SetLength(FrameCount)) return false;
  return Right.SetLength(FrameCount);
}

void TStereoSample32::SetCount(int32_t FrameCount) {
  Left.Count = FrameCount;
  Right.Count = FrameCount;
}

void TStereoSample32::Dispose() {
  Left.Dispose();
  Right.Dispose();
}

void TStereoSample32::Clear() {
  Left.Clear();
  Right.Clear();
}

void TStereoSample32::Copy(const TStereoSample32& Source) {
  if (Left.HoldsData() && Source.Left.HoldsData()) Source.Left.CopyTo(Left);
  if (Right.HoldsData() && Source.Right.HoldsData()) Source.Right.CopyTo(Right);
}

void TStereoSample32::CopyTo(TStereoSample32& Dest) const {
  if (Left.HoldsData() && Dest.Left.HoldsData()) Left.CopyTo(Dest.Left);
  if (Right.HoldsData() && Dest.Right.HoldsData()) Right.CopyTo(Dest.Right);
}

void TStereoSample32::AssignRange(const TStereoSample32& Source, int32_t From, int32_t To) {
  From = std::max(From, 0);
  TSample32::AssignRange(Left, Source.Left, From, To);
  TSample32::AssignRange(Right, Source.Right, From, std::min<int64_t>(To, Source.Left.Count));
  Left.SampleRate = Source.Left.SampleRate;
  Right.SampleRate = Source.Left.SampleRate;
}

void TStereoSample32::DeleteRange(int32_t From, int32_t To) {
  Left.DeleteRange(From, To);
  Right.DeleteRange(From, To);
}

int32_t TStereoSample32::SizeInBytes() const {
  return int32_t(Left.SizeInBytes() + Right.SizeInBytes());
}

bool TStereoSample32::WriteToFile(std::FILE* F) { return Left.WriteToFile(F) && Right.WriteToFile(F); }
bool TStereoSample32::WriteToFile16(std::FILE* F) {
  return Left.WriteToFile16(F) && Right.WriteToFile16(F);
}
bool TStereoSample32::ReadFromFile(std::FILE* F) { return Left.ReadFromFile(F) && Right.ReadFromFile(F); }
bool TStereoSample32::LoadFromStream(TByteStream& S) {
  return Left.LoadFromStream(S) && Right.LoadFromStream(S);
}

void TStereoSample32::Scale(float Factor) {
  Left.Scale(Factor);
  Right.Scale(Factor);
}

void TStereoSample32::ScaleClipped(float Gain) {
  Left.ScaleAndClip(Gain);
  Right.ScaleAndClip(Gain);
}

void TStereoSample32::ClipTo999() {
  Left.ClipTo999();
  Right.ClipTo999();
}

void TStereoSample32::Fill(float Value) {
  Left.Fill(Value);
  if (Right.HoldsData()) Right.Fill(Value);
}

void TStereoSample32::FillTestSweep() {
  Left.FillTestSweep();
  if (Right.HoldsData() && Held(Right) >= Held(Left)) Left.CopyTo(Right);
}

float TStereoSample32::Peak() const { return std::max(Left.Peak(), Right.Peak()); }
float TStereoSample32::Max() const { return std::max(Left.Max(), Right.Max()); }

void TStereoSample32::Normalize() {
  const int64_t N = StereoHeld(*this);
  float P = 1e-7f;
  for (int64_t I = 0; I < N; ++I) P = std::max({P, std::fabs(Left.Data[I]), std::fabs(Right.Data[I])});
  const float Div = P * 1.05f;
  Scale(1.0f / Div);
}

void TStereoSample32::SetWidth(float Width) {
  if (Width == 1.0f) return;
  const int64_t N = StereoHeld(*this);
  for (int64_t I = 0; I < N; ++I) {
    const float Mid = Left.Data[I] + Right.Data[I];
    const float Side = Left.Data[I] - Right.Data[I];
    Left.Data[I] = (Mid + Side * Width) * 0.5f;
    Right.Data[I] = (Mid - Side * Width) * 0.5f;
  }
}

void TStereoSample32::ToMono(TSample32& Dest) const {
  if (!Dest.HoldsData() && !Dest.Alloc(Held(Left))) return;
  const int64_t N = FramesFitting("TStereoSample32.ToMono", StereoHeld(*this), Held(Dest));
  for (int64_t I = 0; I < N; ++I) Dest.Data[I] = (Left.Data[I] + Right.Data[I]) * 0.5f;
}

void TStereoSample32::MixIn(const TStereoSample32& Source, float Gain) {
  MixIn32(Left, Source.Left, Gain);
  if (Right.HoldsData() && Source.Right.HoldsData()) MixIn32(Right, Source.Right, Gain);
}

void TStereoSample32::MixInMono(const TSample32& Mono, float GainLeft, float GainRight) {
  if (GainLeft != 0.0f) MixIn32(Left, Mono, GainLeft);
  if (GainRight != 0.0f || GainLeft == 0.0f) MixIn32(Right, Mono, GainRight);
}

void TStereoSample32::Add(const TStereoSample32& B, TStereoSample32& Dest) const {
  AddSamples32(Left, B.Left, Dest.Left);
  if (Right.HoldsData()) AddSamples32(Right, B.Right, Dest.Right);
}

void TStereoSample32::Smooth(const TStereoSample32& Source, float Target, float Rate, float& Mix) {
  const int64_t N = FramesFitting("TStereoSample32.Smooth", StereoHeld(Source), StereoHeld(*this));
  for (int64_t I = 0; I < N; ++I) {
    Left.Data[I] = Source.Left.Data[I] * Mix + (1.0f - Mix) * Left.Data[I];
    Right.Data[I] = Source.Right.Data[I] * Mix + (1.0f - Mix) * Right.Data[I];
    Mix = Target * Rate + (1.0f - Rate) * Mix;
  }
  if (Mix < 1e-8f) Mix = 0.0f;
}

void TStereoSample32::PeakEnvelopeTo(TSample32& Dest) const {
  const int64_t Count = StereoHeld(*this);
  const int64_t Bins = Held(Dest);
  if (Count == 0 || Bins == 0) return;
  int64_t Current = -1;
  float M = 0.0f;
  for (int64_t I = 0; I < Count; ++I) {
    const int64_t Bin = I * (Bins - 1) / Count;
    if (Bin > Current) {
      if (Current != -1) Dest.Data[Current] = M;
      M = 0.0f;
      Current = Bin;
    }
    M = std::max({M, std::fabs(Left.Data[I]), std::fabs(Right.Data[I])});
  }
  Dest.Data[Current] = M;
}

int32_t TStereoSample32::FindQuietestFrame(int32_t From, int32_t To) const {
  const int32_t Last = int32_t(StereoHeld(*this)) - 2;
  if (From > Last) return Last;
  To = std::min(To, Last);
  From = std::max(From, 1);
  int32_t Best = From;
  float BestLevel = 0.0f;
  for (int32_t I = From; I <= To; ++I) {
    const float Level = std::fabs(Left.Data[I]) + std::fabs(Right.Data[I]);
    if (I == From || Level < BestLevel) {
      Best = I;
      BestLevel = Level;
    }
  }
  return Best;
}

float TStereoSample32::SideToMidRatio() const {
  const int64_t N = StereoHeld(*this);
  if (N < 1) return 0.0f;
  float MaxSide = 0.0f, MaxMid = 0.0f;
  for (int64_t I = 0; I < N; ++I) {
    MaxSide = std::max(MaxSide, std::fabs(Left.Data[I] - Right.Data[I]));
    MaxMid = std::max(MaxMid, std::fabs(Left.Data[I] + Right.Data[I]));
  }
  return MaxMid < 1e-4f ? 1.0f : MaxSide / MaxMid;
}

float TStereoSample32::StereoAngle() const {
  const int64_t N = StereoHeld(*this);
  float Sum = 0.0f;
  int64_t Counted = 0;
  for (int64_t I = 0; I < N; ++I) {
    float Mid = Left.Data[I] + Right.Data[I];
    float Side = Left.Data[I] - Right.Data[I];
    if (Mid < 0.0f) {
      Mid = -Mid;
      Side = -Side;
    }
    if (!(Mid > 0.05f)) continue;
    const double Pi = std::numbers::pi;
    Sum += float((std::atan2(double(Mid), double(Side)) - Pi / 2) / (Pi / 4));
    ++Counted;
  }
  return Counted == 0 ? 0.0f : Sum / float(Counted);
}

// ---- TStereoSample16 -----------------------------------------------------

void TStereoSample16::Init() {
  Left.Init();
  Right.Init();
}

void TStereoSample16::Alloc(int32_t FrameCount) {
  Left.Alloc(FrameCount);
  Right.Alloc(FrameCount);
}

void TStereoSample16::SetLength(int32_t FrameCount) {
  Left.SetLength(FrameCount);
  Right.SetLength(FrameCount);
}

void TStereoSample16::Clear() {
  Left.Clear();
  Right.Clear();
}

void TStereoSample16::Dispose() {
  Left.Dispose();
  Right.Dispose();
}

void TStereoSample16::Copy(const TStereoSample16& Source) {
  if (Left.HoldsData() && Source.Left.HoldsData()) Source.Left.CopyTo(Left);
  if (Right.HoldsData() && Source.Right.HoldsData()) Source.Right.CopyTo(Right);
}

// ---- raw frames ----------------------------------------------------------

void TRawStereoSample16::Init() { Data = nullptr; }

bool TRawStereoSample16::Alloc(int32_t Frames) {
  FrameCount = std::max(Frames, 0);
  void* P = nullptr;
  SampleGetMem(P, int64_t(FrameCount) * 4);
  Data = static_cast<int16_t*>(P);
  return Data != nullptr || FrameCount == 0;
}

void TRawStereoSample16::Dispose() {
  SampleFreeMem(Data);
  Data = nullptr;
}

void TRawStereoSample32::Init() { Data = nullptr; }

bool TRawStereoSample32::Alloc(int32_t Frames) {
  FrameCount = std::max(Frames, 0);
  void* P = nullptr;
  SampleGetMem(P, int64_t(FrameCount) * 8);
  Data = static_cast<float*>(P);
  return Data != nullptr || FrameCount == 0;
}

void TRawStereoSample32::Clear() {
  if (Data != nullptr) std::memset(Data, 0, size_t(FrameCount) * 8);
}

void TRawStereoSample32::Dispose() {
  SampleFreeMem(Data);
  Data = nullptr;
}

bool TStereoLoopBuf32::Alloc(int32_t Length) {
  const bool L = Left.Buffer.Alloc(Length);
  const bool R = Right.Buffer.Alloc(Length);
  return L && R;
}

void TStereoLoopBuf32::Clear() {
  Left.Buffer.Clear();
  Right.Buffer.Clear();
}

void TStereoLoopBuf32::Dispose() {
  Left.Buffer.Dispose();
  Right.Buffer.Dispose();
}

// ---- conversions ---------------------------------------------------------

void ConvertStereo32ToRaw16(const TStereoSample32& Source, TRawStereoSample16& Dest) {
  const int64_t N = FramesFitting("ConvertStereo32ToRaw16", StereoHeld(Source),
                                  RawHeld(Dest.FrameCount, Dest.Data));
  for (int64_t I = 0; I < N; ++I) {
    Dest.Data[2 * I] = RoundToSample16(Source.Left.Data[I]);
    Dest.Data[2 * I + 1] = RoundToSample16(Source.Right.Data[I]);
  }
}

void ConvertSamples32To16(const TSample32& Source, TSample16& Dest) {
  const int64_t N = FramesFitting("ConvertSamples32To16", Held(Source), Held(Dest));
  for (int64_t I = 0; I < N; ++I) Dest.Data[I] = RoundToSample16(Source.Data[I]);
}

void Convert32Sto16RS(const TStereoSample32& Source, TRawStereoSample16& Dest) {
  ConvertStereo32ToRaw16(Source, Dest);
}

void Convert32to16RS(const TStereoSample32& Source, TRawStereoSample16& Dest) {
  ConvertStereo32ToRaw16(Source, Dest);
}

void ConvertRaw32ToStereo32(const TRawStereoSample32& Source, TStereoSample32& Dest) {
  const int64_t N = FramesFitting("ConvertRaw32ToStereo32", RawHeld(Source.FrameCount, Source.Data),
                                  StereoHeld(Dest));
  for (int64_t I = 0; I < N; ++I) {
    Dest.Left.Data[I] = Source.Data[2 * I];
    Dest.Right.Data[I] = Source.Data[2 * I + 1];
  }
}

void ConvertRaw16ToStereo32(const TRawStereoSample16& Source, TStereoSample32& Dest) {
  const int64_t N = FramesFitting("ConvertRaw16ToStereo32", RawHeld(Source.FrameCount, Source.Data),
                                  StereoHeld(Dest));
  for (int64_t I = 0; I < N; ++I) {
    Dest.Left.Data[I] = float(Source.Data[2 * I]) / 32767.0f;
    Dest.Right.Data[I] = float(Source.Data[2 * I + 1]) / 32767.0f;
  }
}

void ConvertRaw16ToStereo16(const TRawStereoSample16& Source, TStereoSample16& Dest) {
  const int64_t N = FramesFitting("ConvertRaw16ToStereo16", RawHeld(Source.FrameCount, Source.Data),
                                  StereoHeld(Dest));
  for (int64_t I = 0; I < N; ++I) {
    Dest.Left.Data[I] = Source.Data[2 * I];
    Dest.Right.Data[I] = Source.Data[2 * I + 1];
  }
}

}  // namespace kromel
