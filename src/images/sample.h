// Sample buffers: TSample32 (Singles), TSample16 (16-bit) and TSample8
// (unsigned 8-bit, 128 = silence). Plain value records: Init before the
// first use, Alloc or SetLength for samples, Dispose to free them. A buffer
// whose Data is null holds no data. A view (AssignRange) points into another
// buffer's memory and is never disposed.
#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kromel {

class TByteStream;

struct TSample32 {
  int64_t Count = 0;
  float* Data = nullptr;
  int32_t SampleRate = 0;

  bool HoldsData() const { return Data != nullptr; }

  // Forgets the samples without freeing them; Count becomes 0.
  void Init();
  // Takes N samples (not cleared). False, with Data null and Count
  // unchanged, when they can't be had; the old samples are not freed.
  bool Alloc(int64_t N);
  void Dispose();
  void Clear();
  void Fill(float V);
  // New length keeping the leading samples and SampleRate; added samples
  // read 0. N <= 0 disposes. False (buffer unchanged) without memory.
  bool SetLength(int64_t N);
  // Copies SampleRate, Count and the samples into Dst, which must hold
  // data with room for them; otherwise reports and copies nothing.
  void CopyTo(TSample32& Dst) const;
  void Copy(const TSample32& Src);
  // View of Src's samples From to To - 1 (From kept inside Src).
  static void AssignRange(TSample32& View, const TSample32& Src, int64_t From, int64_t To);
  void CopyRangeFrom(const TSample32& Src, int64_t From, int64_t To);
  // Copies Src into this buffer from Offset; reports and does nothing when
  // Src does not fit.
  void OverwriteAt(const TSample32& Src, int64_t Offset);
  void DeleteRange(int64_t From, int64_t To);
  int64_t SizeInBytes() const;
  void Reverse();

  // The "SAMP" (Singles) and "SAM2" (16-bit) chunks; false when the file
  // refused a write.
  bool WriteToFile(std::FILE* F);
  bool WriteToFile16(std::FILE* F);
  // Read either chunk. Without a tag: False, no report, position restored.
  // A bad or short chunk: reported, False, buffer and position unchanged.
  bool ReadFromFile(std::FILE* F);
  bool LoadFromStream(TByteStream& S);

  // In-place transforms (sample_ops.cpp).
  void Scale(float F);
  void AddConstant(float V);
  void SubtractAndClip(float V);
  void RaiseToFloor(float V);
  void ClipNegative();
  void Clip();
  void ClipTo999();
  void ScaleAndClip(float Factor);
  void FlushDenormals();
  void Normalize();
  void SubtractPeakPercent(int32_t P);
  void AddRamp();
  void SubtractRamp();
  void FillRamp(float From, float To);
  void FadeOut(int32_t N);
  void Integrate();
  void ToDecibelScale(float Low, float High);
  void FromDecibels();
  void BlendDifference(float& State, float Amount);
  void BlendLeakyIntegral(float& State, float Amount);
  void RunningMax16();
  void RunningMax64();

  // Statistics and searches (sample_ops.cpp); every sample is examined.
  float Peak() const;
  float Max() const;
  float Min() const;
  // First index of the extreme; -1 without data.
  int64_t MaxIndex() const;
  int64_t PeakIndex() const;
  int64_t FirstAbove(float T) const;
  bool IsSilent() const;
  bool HasInvalidValues() const;
  float SumAbs() const;
  float MeanAbs() const;
  float Mean() const;
  int64_t LastNonZeroIndex() const;
  int64_t FindZeroCrossing(int64_t From, int64_t To) const;
  float AverageRange(int64_t Start, int64_t N) const;
  float AverageRangeWrapped(int64_t Start, int64_t N) const;
  float AverageRangeUnwrapped(int64_t Start, int64_t N) const;

  // Resampling (sample_ops.cpp).
  void DownSample2x();
  void Decimate2x();
  void UpSample2x();
  void PeakEnvelopeTo(TSample32& Dst) const;

  // Interpolation, test signals, text (sample_ops.cpp).
  float ValueAt(float X) const;
  float InverseLookup(float V) const;
  void FillTestSweep();
  void FillSweep();
  void FillNoise();
  void ToText(std::string& S, int32_t N) const;
};

struct TSample16 {
  int64_t Count = 0;
  int16_t* Data = nullptr;
  int32_t SampleRate = 0;

  bool HoldsData() const { return Data != nullptr; }

  void Init();
  // Count = N, then N samples (Data null when they can't be had).
  void Alloc(int64_t N);
  // Frees the samples; Count stays.
  void Dispose();
  void Clear();
  void Fill(int16_t V);
  void SetLength(int64_t N);
  void CopyTo(TSample16& Dst) const;
  void Copy(const TSample16& Src);
  void Reverse();

  // sample_ops.cpp; 16-bit results keep the low 16 bits.
  void Differentiate();
  void Integrate();
  void SwapBytes();
  bool IsSilent() const;
};

struct TSample8 {
  int64_t Count = 0;
  uint8_t* Data = nullptr;
};

enum class TLoopKind : uint8_t { NoLoop, ForwardLoop, PingPongLoop };

struct TInstrument32 {
  TSample32 Sample;
  int64_t LoopStart = 0;
  int64_t LoopEnd = 0;
  TLoopKind LoopKind = TLoopKind::NoLoop;
  std::array<uint8_t, 31> Name{};  // length byte, then up to 30 characters
};

struct TInstrument16 {
  TSample16 Sample;
  int64_t LoopStart = 0;
  int64_t LoopEnd = 0;
  TLoopKind LoopKind = TLoopKind::NoLoop;
  std::array<uint8_t, 31> Name{};
};

using SingleArray = std::array<float, 11>;

// One buffer per colour channel; some callers keep two in a row.
struct TRGBSamples32 {
  TSample32 R, G, B;
};
using TRGBSamples32Pair = std::array<TRGBSamples32, 2>;

// Size bytes into P, or null (no report) when they can't be had.
void SampleGetMem(void*& P, int64_t Size);
// Frees what P points to; P itself is left as it was.
void SampleFreeMem(void* P);

void ClearSamples32(TSample32& S);
void FillSamples32(TSample32& S, float V);
void ClearSamples16(TSample16& S);

// Dst must hold data with room for Src.Count samples, else reported and
// skipped. 32 -> 16 truncates v x 32767 and clamps to -32767..32767.
void ConvertSample16To32(const TSample16& Src, TSample32& Dst);
void ConvertSample32To16(const TSample32& Src, TSample16& Dst);
// Allocates Dst anew (whatever it held is not freed).
void ConvertSample16To8(const TSample16& Src, TSample8& Dst);
int32_t ClipToSmallInt(int32_t I);
int32_t ClipToScaledSmallInt(int32_t I);
// Trunc(V x 32767) clamped to -32767..32767; NaN gives 0.
int16_t SingleToSample16(float V);

void AllocRGBSamples(TRGBSamples32& T, int32_t N);
void DisposeRGBSamples(TRGBSamples32& T);
void SetRGBSamplesCount(TRGBSamples32& T, int32_t N);
void InitRGBSamples(TRGBSamples32& T);
void AllocRGBSamplesPair(TRGBSamples32Pair& P, int32_t N);
void DisposeRGBSamplesPair(TRGBSamples32Pair& P);
void SetRGBSamplesPairCount(TRGBSamples32Pair& P, int32_t N);

// Entry points that only report "<name> not implemented".
void FillSingle(void* P);
void MixSamples(TSample32& A, TSample32& B, TSample32& C);
void SampleAddConstant(TSample32& S, float V);
void MixInPitch32(TSample32& Dst, const TSample32& Src, int32_t Offset, float Pitch, float Gain,
                  float Phase);
void MixInPitch32(TSample32& Dst, const TSample32& Src, int32_t Offset, float Pitch, float Gain);
void MixInPitch32(TSample32& Dst, const TSample32& Src, int32_t Offset, float Pitch);
void MixInPitch32(TSample32& Dst, const TSample32& Src, float Pitch, float Gain);
void MixInPitch32(void* P);
void PrevFPUDen_Buffer();

}  // namespace kromel
