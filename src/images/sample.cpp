#include "images/sample.h"

#include <sys/types.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

#include "foundation/byte_stream.h"
#include "foundation/error_sink.h"

namespace kromel {

// Samples are stored little-endian, as they lie in memory here.
static_assert(std::endian::native == std::endian::little);

namespace {

// Indices are 32-bit, so no buffer holds 2^31 samples or more.
constexpr int64_t MaxSampleCount = INT32_MAX;

const char Tag32[4] = {'S', 'A', 'M', 'P'};
const char Tag16[4] = {'S', 'A', 'M', '2'};
constexpr int64_t ChunkHeaderBytes = 16;

int64_t Held(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }
int64_t Held(const TSample16& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

void StoreLE32(uint8_t* B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B[I] = uint8_t(V >> (8 * I));
}
void StoreLE64(uint8_t* B, uint64_t V) {
  for (int I = 0; I < 8; ++I) B[I] = uint8_t(V >> (8 * I));
}
uint32_t LoadLE32(const uint8_t* B) {
  uint32_t V = 0;
  for (int I = 3; I >= 0; --I) V = V << 8 | B[I];
  return V;
}
uint64_t LoadLE64(const uint8_t* B) {
  uint64_t V = 0;
  for (int I = 7; I >= 0; --I) V = V << 8 | B[I];
  return V;
}

// The places a chunk is read from: a file or a byte stream.
struct TChunkSource {
  std::function<int64_t()> Position;
  std::function<bool(int64_t)> Seek;
  std::function<int64_t()> Remaining;  // bytes after the position, -1 unknown
  std::function<bool(void*, int64_t)> ReadExactly;
};

TChunkSource FileSource(std::FILE* F) {
  TChunkSource S;
  S.Position = [F] { return int64_t(ftello(F)); };
  S.Seek = [F](int64_t Pos) {
    std::clearerr(F);
    return fseeko(F, off_t(Pos), SEEK_SET) == 0;
  };
  S.Remaining = [F]() -> int64_t {
    const off_t Here = ftello(F);
    if (Here < 0 || fseeko(F, 0, SEEK_END) != 0) return -1;
    const off_t End = ftello(F);
    if (End < 0 || fseeko(F, Here, SEEK_SET) != 0) return -1;
    return End - Here;
  };
  S.ReadExactly = [F](void* Buffer, int64_t Count) {
    return Count <= 0 || std::fread(Buffer, 1, size_t(Count), F) == size_t(Count);
  };
  return S;
}

TChunkSource StreamSource(TByteStream& Stream) {
  TChunkSource S;
  S.Position = [&Stream] { return Stream.Position(); };
  S.Seek = [&Stream](int64_t Pos) { return Stream.SetPosition(Pos); };
  S.Remaining = [&Stream] { return Stream.Remaining(); };
  S.ReadExactly = [&Stream](void* Buffer, int64_t Count) {
    return Count <= 0 || Stream.Read(Buffer, Count) == Count;
  };
  return S;
}

// Reads a "SAMP" or "SAM2" chunk into Target. Target changes only when a
// whole chunk was read; otherwise the position goes back to the tag.
bool ReadSampleChunk(const TChunkSource& Source, TSample32& Target, const char* Routine) {
  const int64_t Start = Source.Position();
  if (Start < 0) return false;
  auto Fail = [&](const std::string& Why) {
    Source.Seek(Start);
    ErrorMessageProc(std::string("Exception in ") + Routine + ": " + Why);
    return false;
  };
  uint8_t Header[ChunkHeaderBytes];
  const int64_t Left = Source.Remaining();
  if (Left < 4 || !Source.ReadExactly(Header, 4) ||
      (std::memcmp(Header, Tag32, 4) != 0 && std::memcmp(Header, Tag16, 4) != 0)) {
    Source.Seek(Start);
    return false;
  }
  const bool Is16 = std::memcmp(Header, Tag16, 4) == 0;
  if (Left < ChunkHeaderBytes || !Source.ReadExactly(Header + 4, ChunkHeaderBytes - 4))
    return Fail("chunk header cut short");
  const int32_t Rate = int32_t(LoadLE32(Header + 4));
  const int64_t Count = int64_t(LoadLE64(Header + 8));
  const int64_t Width = Is16 ? 2 : 4;
  if (Count < 0 || Count > MaxSampleCount)
    return Fail("invalid sample count " + std::to_string(Count));
  if (Count > (Left - ChunkHeaderBytes) / Width)
    return Fail("Count=" + std::to_string(Count) + " but only " +
                std::to_string(Left - ChunkHeaderBytes) + " bytes follow");

  TSample32 Read;
  Read.Init();
  Read.SampleRate = Rate;
  if (Count > 0) {
    if (!Read.Alloc(Count)) return Fail("not enough memory, Count=" + std::to_string(Count));
    bool Ok = false;
    if (Is16) {
      TSample16 Words;
      Words.Init();
      Words.Alloc(Count);
      Ok = Words.Data != nullptr && Source.ReadExactly(Words.Data, Count * 2);
      if (Ok) ConvertSample16To32(Words, Read);
      Words.Dispose();
    } else {
      Ok = Source.ReadExactly(Read.Data, Count * 4);
    }
    if (!Ok) {
      Read.Dispose();
      return Fail("samples cut short, Count=" + std::to_string(Count));
    }
    Read.SampleRate = Rate;
  }
  Target.Dispose();
  Target.Data = Read.Data;
  Target.Count = Count;
  Target.SampleRate = Rate;
  return true;
}

bool WriteBytes(std::FILE* F, const void* Data, size_t Count) {
  return Count == 0 || std::fwrite(Data, 1, Count, F) == Count;
}

}  // namespace

void SampleGetMem(void*& P, int64_t Size) {
  P = nullptr;
  if (Size <= 0 || uint64_t(Size) > SIZE_MAX / 2) return;
  P = std::malloc(size_t(Size));
}

void SampleFreeMem(void* P) { std::free(P); }

// ---- TSample32 ----------------------------------------------------------

void TSample32::Init() {
  Data = nullptr;
  Count = 0;
}

bool TSample32::Alloc(int64_t N) {
  Data = nullptr;
  if (N < 0 || N > MaxSampleCount) {
    ErrorMessageProc("Exception in TSample32.Alloc Size=" + std::to_string(N));
    return false;
  }
  void* P = nullptr;
  SampleGetMem(P, N * 4);
  if (P == nullptr) return false;
  Data = static_cast<float*>(P);
  Count = N;
  return true;
}

void TSample32::Dispose() {
  if (Data == nullptr) return;
  SampleFreeMem(Data);
  Data = nullptr;
  Count = 0;
}

void TSample32::Clear() { ClearSamples32(*this); }

void TSample32::Fill(float V) { FillSamples32(*this, V); }

bool TSample32::SetLength(int64_t N) {
  N = std::max<int64_t>(N, 0);
  if (N == 0) {
    Dispose();
    return true;
  }
  if (Data != nullptr && N == Count) return true;
  TSample32 New;
  New.Init();
  if (!New.Alloc(N)) return false;
  New.Clear();
  if (Data != nullptr) {
    std::memcpy(New.Data, Data, size_t(std::min(Held(*this), N)) * 4);
    SampleFreeMem(Data);
  }
  Data = New.Data;
  Count = N;
  return true;
}

void TSample32::CopyTo(TSample32& Dst) const {
  if (Data == nullptr || Dst.Data == nullptr) return;
  if (Dst.Count < Count) {
    ErrorMessageProc("TSample32.CopyTo - Size mismatch, Count=" + std::to_string(Count) +
                     " Dst.Count=" + std::to_string(Dst.Count));
    return;
  }
  Dst.SampleRate = SampleRate;
  Dst.Count = Count;
  if (Dst.Data != Data) std::memmove(Dst.Data, Data, size_t(Held(*this)) * 4);
}

void TSample32::Copy(const TSample32& Src) { Src.CopyTo(*this); }

void TSample32::AssignRange(TSample32& View, const TSample32& Src, int64_t From, int64_t To) {
  const int64_t N = Held(Src);
  From = std::clamp<int64_t>(From, 0, N);
  To = std::min(To, N);
  View.Count = std::max<int64_t>(To - From, 0);
  View.Data = Src.Data != nullptr ? Src.Data + From : nullptr;
  View.SampleRate = Src.SampleRate;
}

// The old samples are freed once the copy exists; an empty range empties
// the buffer.
void TSample32::CopyRangeFrom(const TSample32& Src, int64_t From, int64_t To) {
  TSample32 View;
  AssignRange(View, Src, From, To);
  TSample32 New;
  New.Init();
  if (View.Count > 0) {
    if (!New.Alloc(View.Count)) return;
    View.CopyTo(New);
  }
  New.SampleRate = View.SampleRate;
  Dispose();
  *this = New;
}

void TSample32::OverwriteAt(const TSample32& Src, int64_t Offset) {
  if (Data == nullptr || Src.Data == nullptr) return;
  if (Offset < 0 || Offset > Held(*this) || Src.Count > Held(*this) - Offset) {
    ErrorMessageProc("TSample32.OverwriteAt - Size mismatch, Count=" + std::to_string(Count) +
                     " Offset=" + std::to_string(Offset) + " Src.Count=" +
                     std::to_string(Src.Count));
    return;
  }
  std::memmove(Data + Offset, Src.Data, size_t(Held(Src)) * 4);
}

void TSample32::DeleteRange(int64_t From, int64_t To) {
  const int64_t N = Held(*this);
  From = std::max<int64_t>(From, 0);
  To = std::min(To, N);
  if (From >= To) return;
  std::memmove(Data + From, Data + To, size_t(N - To) * 4);
  SetLength(N - (To - From));
}

int64_t TSample32::SizeInBytes() const { return Data != nullptr ? Count * 4 : 0; }

void TSample32::Reverse() {
  const int64_t N = Held(*this);
  std::reverse(Data, Data + N);
}

bool TSample32::WriteToFile(std::FILE* F) {
  if (Data == nullptr) Count = 0;
  uint8_t Header[ChunkHeaderBytes];
  std::memcpy(Header, Tag32, 4);
  StoreLE32(Header + 4, uint32_t(SampleRate));
  StoreLE64(Header + 8, uint64_t(Count));
  bool Ok = F != nullptr && WriteBytes(F, Header, sizeof(Header));
  if (Ok && Count > 0) Ok = WriteBytes(F, Data, size_t(Count) * 4);
  if (!Ok) ErrorMessageProc("Exception in TSample32.WriteToFile, write failed");
  return Ok;
}

bool TSample32::WriteToFile16(std::FILE* F) {
  if (Data == nullptr) Count = 0;
  uint8_t Header[ChunkHeaderBytes];
  std::memcpy(Header, Tag16, 4);
  StoreLE32(Header + 4, uint32_t(SampleRate));
  StoreLE64(Header + 8, uint64_t(Count));
  bool Ok = F != nullptr && WriteBytes(F, Header, sizeof(Header));
  if (Ok && Count > 0) {
    TSample16 Words;
    Words.Init();
    Words.Alloc(Count);
    Ok = Words.Data != nullptr;
    if (Ok) {
      ConvertSample32To16(*this, Words);
      Ok = WriteBytes(F, Words.Data, size_t(Count) * 2);
    }
    Words.Dispose();
  }
  if (!Ok) ErrorMessageProc("Exception in TSample32.WriteToFile16, write failed");
  return Ok;
}

bool TSample32::ReadFromFile(std::FILE* F) {
  if (F == nullptr) return false;
  return ReadSampleChunk(FileSource(F), *this, "TSample32.ReadFromFile");
}

bool TSample32::LoadFromStream(TByteStream& S) {
  return ReadSampleChunk(StreamSource(S), *this, "TSample32.LoadFromStream");
}

// ---- TSample16 ----------------------------------------------------------

void TSample16::Init() {
  Data = nullptr;
  Count = 0;
}

void TSample16::Alloc(int64_t N) {
  Count = N;
  void* P = nullptr;
  if (N > 0 && N <= MaxSampleCount) SampleGetMem(P, N * 2);
  Data = static_cast<int16_t*>(P);
}

void TSample16::Dispose() {
  if (Data == nullptr) return;
  SampleFreeMem(Data);
  Data = nullptr;
}

void TSample16::Clear() { ClearSamples16(*this); }

void TSample16::Fill(int16_t V) {
  const int64_t N = Held(*this);
  std::fill(Data, Data + N, V);
}

// A failed allocation keeps the old samples.
void TSample16::SetLength(int64_t N) {
  if (Data != nullptr && N == Count) return;
  if (N <= 0) {
    Dispose();
    Count = 0;
    return;
  }
  const TSample16 Old = *this;
  const int64_t Keep = std::min(Held(Old), N);
  Alloc(N);
  if (Data == nullptr) {
    if (Old.Data != nullptr) *this = Old;
    return;
  }
  if (Old.Data != nullptr) {
    Clear();
    std::memcpy(Data, Old.Data, size_t(Keep) * 2);
    SampleRate = Old.SampleRate;
    Count = N;
    SampleFreeMem(Old.Data);
  }
}

void TSample16::CopyTo(TSample16& Dst) const {
  if (Data == nullptr || Dst.Data == nullptr) return;
  if (Dst.Count < Count) {
    ErrorMessageProc("TSample16.CopyTo - Size mismatch, Count=" + std::to_string(Count) +
                     " Dst.Count=" + std::to_string(Dst.Count));
    return;
  }
  Dst.SampleRate = SampleRate;
  Dst.Count = Count;
  if (Dst.Data != Data) std::memmove(Dst.Data, Data, size_t(Held(*this)) * 2);
}

void TSample16::Copy(const TSample16& Src) { Src.CopyTo(*this); }

void TSample16::Reverse() {
  const int64_t N = Held(*this);
  std::reverse(Data, Data + N);
}

// ---- free routines --------------------------------------------------------

void ClearSamples32(TSample32& S) {
  const int64_t N = Held(S);
  if (N > 0) std::memset(S.Data, 0, size_t(N) * 4);
}

void FillSamples32(TSample32& S, float V) {
  const int64_t N = Held(S);
  std::fill(S.Data, S.Data + N, V);
}

void ClearSamples16(TSample16& S) {
  const int64_t N = Held(S);
  if (N > 0) std::memset(S.Data, 0, size_t(N) * 2);
}

void ConvertSample16To32(const TSample16& Src, TSample32& Dst) {
  const int64_t N = Held(Src);
  if (Src.Data != nullptr && Held(Dst) < N) {
    ErrorMessageProc("ConvertSample16To32 - Size mismatch, Src.Count=" + std::to_string(N) +
                     " Dst.Count=" + std::to_string(Held(Dst)));
    return;
  }
  Dst.SampleRate = Src.SampleRate;
  for (int64_t I = 0; I < N; ++I) Dst.Data[I] = float(double(Src.Data[I]) / 32767.0);
}

int16_t SingleToSample16(float V) {
  const float P = V * 32767.0f;
  if (std::isnan(P)) return 0;
  return int16_t(std::clamp(std::trunc(P), -32767.0f, 32767.0f));
}

void ConvertSample32To16(const TSample32& Src, TSample16& Dst) {
  const int64_t N = Held(Src);
  if (Src.Data != nullptr && Held(Dst) < N) {
    ErrorMessageProc("ConvertSample32To16 - Size mismatch, Src.Count=" + std::to_string(N) +
                     " Dst.Count=" + std::to_string(Held(Dst)));
    return;
  }
  for (int64_t I = 0; I < N; ++I) Dst.Data[I] = SingleToSample16(Src.Data[I]);
}

void ConvertSample16To8(const TSample16& Src, TSample8& Dst) {
  const int64_t N = Held(Src);
  Dst.Count = N;
  void* P = nullptr;
  SampleGetMem(P, N);
  Dst.Data = static_cast<uint8_t*>(P);
  if (Dst.Data == nullptr) {
    Dst.Count = 0;
    return;
  }
  for (int64_t I = 0; I < N; ++I) Dst.Data[I] = uint8_t((Src.Data[I] / 256) ^ 128);
}

int32_t ClipToSmallInt(int32_t I) { return std::clamp(I, -32767, 32767); }

int32_t ClipToScaledSmallInt(int32_t I) {
  constexpr int32_t Limit = 32767 * 32768;
  return std::clamp(I, -Limit, Limit);
}

void AllocRGBSamples(TRGBSamples32& T, int32_t N) {
  T.R.Alloc(N);
  T.G.Alloc(N);
  T.B.Alloc(N);
}

void DisposeRGBSamples(TRGBSamples32& T) {
  T.R.Dispose();
  T.G.Dispose();
  T.B.Dispose();
}

void SetRGBSamplesCount(TRGBSamples32& T, int32_t N) {
  T.R.Count = N;
  T.G.Count = N;
  T.B.Count = N;
}

void InitRGBSamples(TRGBSamples32& T) {
  T.R.Init();
  T.G.Init();
  T.B.Init();
}

void AllocRGBSamplesPair(TRGBSamples32Pair& P, int32_t N) {
  AllocRGBSamples(P[1], N);
  AllocRGBSamples(P[0], N);
}

void DisposeRGBSamplesPair(TRGBSamples32Pair& P) {
  DisposeRGBSamples(P[1]);
  DisposeRGBSamples(P[0]);
}

void SetRGBSamplesPairCount(TRGBSamples32Pair& P, int32_t N) {
  SetRGBSamplesCount(P[1], N);
  SetRGBSamplesCount(P[0], N);
}

void FillSingle(void*) { ErrorMessageProc("FillSingle not implemented"); }
void MixSamples(TSample32&, TSample32&, TSample32&) {
  ErrorMessageProc("MixSamples not implemented");
}
void SampleAddConstant(TSample32&, float) { ErrorMessageProc("SampleAddConstant not implemented"); }
void MixInPitch32(TSample32&, const TSample32&, int32_t, float, float, float) {
  ErrorMessageProc("MixInPitch32 not implemented");
}
void MixInPitch32(TSample32&, const TSample32&, int32_t, float, float) {
  ErrorMessageProc("MixInPitch32 not implemented");
}
void MixInPitch32(TSample32&, const TSample32&, int32_t, float) {
  ErrorMessageProc("MixInPitch32 not implemented");
}
void MixInPitch32(TSample32&, const TSample32&, float, float) {
  ErrorMessageProc("MixInPitch32 not implemented");
}
void MixInPitch32(void*) { ErrorMessageProc("MixInPitch32 not implemented"); }
void PrevFPUDen_Buffer() { ErrorMessageProc("PrevFPUDen_Buffer not implemented"); }

}  // namespace kromel
