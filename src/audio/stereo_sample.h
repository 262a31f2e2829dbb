// Stereo sample buffers: two mono channels (TStereoSample32,
// TStereoSample16), the interleaved frames of WAV files (TRawStereoSample16,
// TRawStereoSample32) and the stereo ring of the live cabinet routines.
// Plain value records: whoever allocates disposes; a copy of the record
// shares the samples. A stereo buffer whose Right holds no data is mono.
#pragma once
#include <cstdint>
#include <cstdio>

#include "images/sample.h"

namespace kromel {

class TByteStream;

struct TStereoSample32 {
  TSample32 Left;
  TSample32 Right;

  void Init();
  // Both channels or neither (a failing Left leaves Right as it was).
  bool Alloc(int32_t FrameCount);
  // True only when both channels changed length.
  bool SetLength(int32_t FrameCount);
  void SetCount(int32_t FrameCount);
  int32_t Length() const { return int32_t(Left.Count); }
  int32_t SampleRate() const { return Left.SampleRate; }
  void Dispose();
  void Clear();
  void Copy(const TStereoSample32& Source);
  void CopyTo(TStereoSample32& Dest) const;
  // View of Source's frames From..To-1; never disposed.
  void AssignRange(const TStereoSample32& Source, int32_t From, int32_t To);
  void DeleteRange(int32_t From, int32_t To);
  int32_t SizeInBytes() const;
  bool WriteToFile(std::FILE* F);
  bool WriteToFile16(std::FILE* F);
  bool ReadFromFile(std::FILE* F);
  bool LoadFromStream(TByteStream& S);

  void Scale(float Factor);
  void ScaleClipped(float Gain);
  void ClipTo999();
  void Fill(float Value);
  void FillTestSweep();
  float Peak() const;
  float Max() const;
  // Loudest sample ends at 1/1.05 of full scale.
  void Normalize();
  void SetWidth(float Width);
  void ToMono(TSample32& Dest) const;
  void MixIn(const TStereoSample32& Source, float Gain);
  void MixInMono(const TSample32& Mono, float GainLeft, float GainRight);
  void Add(const TStereoSample32& B, TStereoSample32& Dest) const;
  // Crossfade towards Source whose weight Mix glides towards Target.
  void Smooth(const TStereoSample32& Source, float Target, float Rate, float& Mix);
  void PeakEnvelopeTo(TSample32& Dest) const;
  int32_t FindQuietestFrame(int32_t From, int32_t To) const;
  float SideToMidRatio() const;
  // Mean pan of the loud frames: -1 left, 0 centre, +1 right.
  float StereoAngle() const;
};

struct TStereoSample16 {
  TSample16 Left;
  TSample16 Right;

  void Init();
  void Alloc(int32_t FrameCount);
  void SetLength(int32_t FrameCount);
  void Clear();
  void Dispose();
  void Copy(const TStereoSample16& Source);
};

// Interleaved 16-bit frames, left first (4 bytes a frame).
struct TRawStereoSample16 {
  int32_t FrameCount = 0;
  int16_t* Data = nullptr;
  int32_t SampleRate = 0;

  void Init();
  bool Alloc(int32_t Frames);
  void Dispose();
};

// Interleaved float frames, left first (8 bytes a frame).
struct TRawStereoSample32 {
  int32_t FrameCount = 0;
  float* Data = nullptr;
  int32_t SampleRate = 0;

  void Init();
  bool Alloc(int32_t Frames);
  void Clear();
  void Dispose();
};

struct TLoopBuf32 {
  TSample32 Buffer;
  int32_t Position = 0;
};

struct TStereoLoopBuf32 {
  TLoopBuf32 Left;
  TLoopBuf32 Right;

  bool Alloc(int32_t Length);
  void Clear();
  void Dispose();
};

// Float -> 16-bit: v x 32767 rounded (ties to even), clamped to
// -32767..32767. Destinations must already hold the frames; none of these
// allocates, changes a count or sets a rate. Each copies the frames both
// sides hold and reports a size mismatch otherwise.
void ConvertStereo32ToRaw16(const TStereoSample32& Source, TRawStereoSample16& Dest);
void ConvertSamples32To16(const TSample32& Source, TSample16& Dest);
void Convert32Sto16RS(const TStereoSample32& Source, TRawStereoSample16& Dest);
void Convert32to16RS(const TStereoSample32& Source, TRawStereoSample16& Dest);
// Interleaved -> two channels: floats copied, 16-bit divided by 32767.
void ConvertRaw32ToStereo32(const TRawStereoSample32& Source, TStereoSample32& Dest);
void ConvertRaw16ToStereo32(const TRawStereoSample16& Source, TStereoSample32& Dest);
void ConvertRaw16ToStereo16(const TRawStereoSample16& Source, TStereoSample16& Dest);

// v x 32767 rounded, ties to even, clamped to -32767..32767; NaN gives 0.
int16_t RoundToSample16(float V);

}  // namespace kromel
