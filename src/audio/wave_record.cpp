#include "audio/wave_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/endian_bytes.h"
#include "images/fft.h"
#include "audio/sample_rate.h"
#include "audio/wav_files.h"
#include "foundation/paths.h"
#include "images/sample_ops.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr char BlockTag[] = "SAMW";

int64_t HeldOf(const TSample32& S) { return S.Data != nullptr ? S.Count : 0; }

// The channels of the record's current mode.
int32_t ChannelsOf(const TWave& W, const TSample32* Ch[2]) {
  if (!W.IsStereo) {
    Ch[0] = &W.Mono;
    return 1;
  }
  Ch[0] = &W.Stereo.Left;
  Ch[1] = &W.Stereo.Right;
  return 2;
}

std::string CutName(const std::string& S) { return S.substr(0, MaxWaveNameLength); }

// Running peak per bin of (M - 1) i / N; the last bin is never written.
template <class FramePeak>
void EnvelopeBins(int64_t N, TSample32& Env, FramePeak Peak) {
  const int64_t M = HeldOf(Env);
  if (N <= 0 || M <= 0) return;
  int64_t Bin = 0;
  float Run = 0.0f;
  for (int64_t I = 0; I < N; ++I) {
    const int64_t B = (M - 1) * I / N;
    if (B != Bin) {
      Env.Data[Bin] = Run;
      Run = 0.0f;
      Bin = B;
    }
    Run = std::max(Run, Peak(I));
  }
  Env.Data[Bin] = Run;
}

}  // namespace

void InitSampleRecord(TWave& W) {
  W.Mono.Init();
  W.Stereo.Init();
  W.SetSampleRate(44100);
  W.Reserved = 1;
}

int32_t WaveLength(const TWave* W) { return W == nullptr ? -1 : W->Length(); }

bool TWave::Alloc(bool Stereo_, int32_t Length_) {
  IsStereo = Stereo_;
  return IsStereo ? Stereo.Alloc(Length_) : Mono.Alloc(std::max(Length_, 0));
}

bool TWave::SetLength(int32_t Length_) {
  return IsStereo ? Stereo.SetLength(Length_) : Mono.SetLength(Length_);
}

void TWave::Dispose() {
  if (IsStereo)
    Stereo.Dispose();
  else
    Mono.Dispose();
}

void TWave::Clear() {
  if (IsStereo)
    Stereo.Clear();
  else
    Mono.Clear();
}

int32_t TWave::GetSampleRate() const { return IsStereo ? Stereo.Left.SampleRate : Mono.SampleRate; }

void TWave::SetSampleRate(int32_t Rate) {
  if (IsStereo) {
    Stereo.Left.SampleRate = Rate;
    Stereo.Right.SampleRate = Rate;
  } else {
    Mono.SampleRate = Rate;
  }
}

int32_t TWave::Length() const { return IsStereo ? int32_t(Stereo.Left.Count) : int32_t(Mono.Count); }

TWave& TWave::SetCount(int32_t Count) {
  if (IsStereo)
    Stereo.SetCount(Count);
  else
    Mono.Count = Count;
  return *this;
}

bool TWave::IsEmpty() const { return IsStereo ? !Stereo.Left.HoldsData() : !Mono.HoldsData(); }

int32_t TWave::SizeInBytes() const { return int32_t(Mono.SizeInBytes() + Stereo.SizeInBytes()); }

void TWave::Assign(const TWave& Source) {
  const TWave Src = Source;  // Source may be this record
  Name = Src.Name;
  if (Src.Length() < 1) {
    SetSampleRate(Src.GetSampleRate());
    Dispose();
    return;
  }
  if (IsStereo != Src.IsStereo) {
    Dispose();
    Alloc(Src.IsStereo, Src.Length());
  }
  if (IsStereo)
    Src.Stereo.CopyTo(Stereo);
  else if (Mono.HoldsData())
    Src.Mono.CopyTo(Mono);
}

void TWave::OverwriteAt(const TWave& Source, int32_t Offset) {
  if (IsStereo) {
    const TSample32& L = Source.IsStereo ? Source.Stereo.Left : Source.Mono;
    const TSample32& R = Source.IsStereo ? Source.Stereo.Right : Source.Mono;
    Stereo.Left.OverwriteAt(L, Offset);
    Stereo.Right.OverwriteAt(R, Offset);
  } else {
    Mono.OverwriteAt(Source.IsStereo ? Source.Stereo.Left : Source.Mono, Offset);
  }
}

void TWave::AssignRange(const TWave& Source, int32_t From, int32_t To) {
  IsStereo = Source.IsStereo;
  From = std::max(From, 0);
  To = std::min(To, Source.Length());
  if (To < From) To = From;
  if (IsStereo) {
    Stereo.AssignRange(Source.Stereo, From, To);
  } else {
    TSample32::AssignRange(Mono, Source.Mono, From, To);
  }
}

bool TWave::CopyRange(const TWave& Source, int32_t From, int32_t To) {
  Dispose();
  TWave View;
  InitSampleRecord(View);
  View.AssignRange(Source, From, To);
  View.Name = Source.Name;
  Mono.Init();
  Stereo.Init();
  const bool Ok = Alloc(Source.IsStereo, View.Length());
  if (Ok) {
    SetSampleRate(View.GetSampleRate());
    if (View.Length() > 0) Assign(View);
  }
  return Ok;
}

void TWave::CopyTo(TWave& Dest) const {
  Dest.IsStereo = IsStereo;
  if (IsStereo)
    Stereo.CopyTo(Dest.Stereo);
  else if (Mono.HoldsData() && Dest.Mono.HoldsData())
    Mono.CopyTo(Dest.Mono);
}

void TWave::DeleteRange(int32_t From, int32_t To) {
  if (IsStereo)
    Stereo.DeleteRange(From, To);
  else
    Mono.DeleteRange(From, To);
}

void TWave::ToMono() {
  if (!IsStereo) return;
  const int64_t N = HeldOf(Stereo.Left);
  Mono.Init();
  if (Mono.Alloc(N)) {
    for (int64_t I = 0; I < N; ++I) {
      const float R = I < HeldOf(Stereo.Right) ? Stereo.Right.Data[I] : 0.0f;
      Mono.Data[I] = (Stereo.Left.Data[I] + R) * 0.5f;
    }
  }
  Mono.SampleRate = Stereo.Left.SampleRate;
  IsStereo = false;
  Stereo.Dispose();
  Stereo.Init();
}

void TWave::ToStereoSample(TStereoSample32& Dest) const {
  if (!Dest.Alloc(Length())) return;
  if (IsStereo) {
    Stereo.CopyTo(Dest);
  } else if (Mono.HoldsData()) {
    Mono.CopyTo(Dest.Left);
    Mono.CopyTo(Dest.Right);
  }
}

void MixWaveIntoStereo(TStereoSample32 Dest, const TWave& Source, float GainLeft,
                       float GainRight) {
  MixIn32(Dest.Left, Source.IsStereo ? Source.Stereo.Left : Source.Mono, GainLeft);
  MixIn32(Dest.Right, Source.IsStereo ? Source.Stereo.Right : Source.Mono, GainRight);
}

void TWave::Add(const TWave& B, TWave& Dest) const {
  if (IsStereo != B.IsStereo || IsStereo != Dest.IsStereo) return;
  if (IsStereo)
    Stereo.Add(B.Stereo, Dest.Stereo);
  else
    AddSamples32(Mono, B.Mono, Dest.Mono);
}

float TWave::Peak() const { return IsStereo ? Stereo.Peak() : Mono.Peak(); }

void TWave::Scale(float Factor) {
  if (IsStereo)
    Stereo.Scale(Factor);
  else
    Mono.Scale(Factor);
}

void TWave::DownSample2x() {
  if (IsStereo) {
    Stereo.Left.DownSample2x();
    Stereo.Right.DownSample2x();
  } else {
    Mono.DownSample2x();
  }
}

void TWave::TrimSilence() {
  int64_t N;
  if (IsStereo) {
    if (!Stereo.Left.HoldsData() || !Stereo.Right.HoldsData() || Length() <= 0) return;
    N = std::max(Stereo.Left.LastNonZeroIndex(), Stereo.Right.LastNonZeroIndex());
  } else {
    if (!Mono.HoldsData()) return;
    N = Mono.LastNonZeroIndex();
  }
  if (N != Length()) SetLength(int32_t(std::max<int64_t>(N, 0)));
}

bool TWave::HasInvalidValues() const {
  return IsStereo ? Stereo.Left.HasInvalidValues() || Stereo.Right.HasInvalidValues()
                  : Mono.HasInvalidValues();
}

bool TWave::Equals(const TWave& Other) const {
  if (IsStereo != Other.IsStereo) return false;
  if (!IsStereo) return SamplesEqual(Mono, Other.Mono);
  return SamplesEqual(Stereo.Left, Other.Stereo.Left) &&
         SamplesEqual(Stereo.Right, Other.Stereo.Right);
}

int32_t TWave::FindQuietPoint(int32_t From, int32_t To) const {
  return IsStereo ? Stereo.FindQuietestFrame(From, To) : int32_t(Mono.FindZeroCrossing(From, To));
}

void TWave::PeakEnvelopeTo(TSample32& Envelope) const {
  const TSample32* Ch[2];
  const int32_t C = ChannelsOf(*this, Ch);
  int64_t N = HeldOf(*Ch[0]);
  if (C == 2) N = std::min(N, HeldOf(*Ch[1]));
  EnvelopeBins(N, Envelope, [&](int64_t I) {
    float P = std::fabs(Ch[0]->Data[I]);
    if (C == 2) P = std::max(P, std::fabs(Ch[1]->Data[I]));
    return P;
  });
}

void TWave::EnvelopeTo(TSample32& Envelope) const {
  if (IsStereo)
    Stereo.PeakEnvelopeTo(Envelope);
  else
    Mono.PeakEnvelopeTo(Envelope);
}

void TWave::SpectrumProfile(TSample32& Profile) const {
  const int64_t M = HeldOf(Profile);
  if (M <= 0 || M > (int64_t(1) << 26)) return;
  const int32_t B = int32_t(16 * M);
  TFFT F;
  F.Init(B);
  TSample32 Block, Spectrum;
  Block.Init();
  Spectrum.Init();
  if (!Block.Alloc(B) || !Spectrum.Alloc(M)) {
    Block.Dispose();
    F.Free();
    return;
  }
  Spectrum.Clear();
  Profile.Clear();
  const TSample32* Ch[2];
  const int32_t C = ChannelsOf(*this, Ch);
  int64_t N = HeldOf(*Ch[0]);
  if (C == 2) N = std::min(N, HeldOf(*Ch[1]));
  const int64_t K = N / B;
  for (int64_t k = 0; k < K; ++k) {
    const float* L = Ch[0]->Data + k * B;
    if (C == 2) {
      const float* R = Ch[1]->Data + k * B;
      for (int32_t I = 0; I < B; ++I) Block.Data[I] = (L[I] + R[I]) * 0.5f;
    } else {
      std::memcpy(Block.Data, L, size_t(B) * sizeof(float));
    }
    F.LoadInput(Block);
    F.ApplyHannWindow();
    F.Perform_FFT();
    F.GetLogSpectrum(Spectrum, 30, 20000, 44100, 0);
    AddSamples32(Spectrum, Profile, Profile);
  }
  if (K >= 1) {
    Profile.Scale(float(1.0 / double(K)));
    Profile.ToDecibelScale(-90.0f, -12.0f);
  }
  Block.Dispose();
  Spectrum.Dispose();
  F.Free();
}

// ---- loaders ---------------------------------------------------------------

namespace {

template <class MonoLoad, class StereoLoad>
bool LoadRecord(TWave& W, MonoLoad LoadMono, StereoLoad LoadStereo) {
  W.Dispose();
  W.Mono.Init();
  W.Stereo.Init();
  if (LoadMono(W.Mono)) {
    W.IsStereo = false;
    return true;
  }
  W.Mono.Dispose();
  W.Mono.Init();
  if (LoadStereo(W.Stereo)) {
    W.IsStereo = true;
    return true;
  }
  W.Stereo.Dispose();
  W.Stereo.Init();
  return false;
}

}  // namespace

bool Load_WAV2432ToRecord(const std::string& FileName, TWave& W, bool ShowErrors) {
  return LoadRecord(
      W, [&](TSample32& S) { return Load_WAV2432_Mono(FileName, S, false); },
      [&](TStereoSample32& S) { return Load_WAV2432_Stereo(FileName, S, ShowErrors); });
}

bool Load_WAV24ToRecord(const std::string& FileName, TWave& W, bool) {
  return LoadRecord(
      W, [&](TSample32& S) { return Load_WAV24to32(FileName, S); },
      [&](TStereoSample32& S) { return Load_WAV24to32_Stereo(FileName, S); });
}

bool Load_WAVReservedToRecord(const std::string&, TWave& W, bool) {
  W.Dispose();
  return false;
}

bool Load_WAV16ToRecord(const std::string& FileName, TWave& W, bool ShowErrors) {
  return LoadRecord(
      W, [&](TSample32& S) { return Load_Wav16To32(FileName, S, false); },
      [&](TStereoSample32& S) { return Load_WAV_StereoTo32(FileName, S, ShowErrors); });
}

bool TWave::Resample(TWave& Dest, int32_t NewRate) const {
  const int32_t Rate = GetSampleRate();
  if (Rate < 10) {
    PlatformShowMessage("Source samplerate invalid! No resampling!");
    return false;
  }
  const double Frames = std::nearbyint(double(NewRate) * (double(Length()) / Rate) + 10);
  if (NewRate < 10 || !(Frames <= INT32_MAX)) return false;
  TWave Result = Dest;
  if (!Result.Alloc(IsStereo, int32_t(Frames))) return false;
  Result.Clear();
  Result.SetSampleRate(NewRate);
  if (IsStereo) {
    ResampleSample32(Stereo.Left, Result.Stereo.Left);
    ResampleSample32(Stereo.Right, Result.Stereo.Right);
  } else {
    ResampleSample32(Mono, Result.Mono);
  }
  Dest = Result;
  return true;
}

bool TWave::LoadFromFile(const std::string& FileName, bool ShowErrors, bool& HighResolution) {
  bool Ok = Load_WAV2432ToRecord(FileName, *this, false) ||
            Load_WAV24ToRecord(FileName, *this, false);
  HighResolution = Ok;
  if (!Ok)
    Ok = Load_WAVReservedToRecord(FileName, *this, false) ||
         Load_WAV16ToRecord(FileName, *this, ShowErrors);
  if (Ok) Name = CutName(ExtractFileNameW(FileName));
  return Ok;
}

bool TWave::SaveToFile(const std::string& FileName) const {
  return IsStereo ? Save_WAV16StereoFrom32(Stereo, FileName) : Save_WAV16From32(Mono, FileName);
}

bool TWave::SaveToFile24(const std::string& FileName) const {
  if (Length() <= 0) {
    PlatformShowMessage("Can not save empty sample!");
    return false;
  }
  return IsStereo ? Save_WAV24Stereo(Stereo, FileName) : Save_WAV24(Mono, FileName);
}

// ---- "SAMW" blocks ---------------------------------------------------------

bool TWave::WriteToFile(std::FILE* F) {
  uint8_t H[8];
  std::memcpy(H, BlockTag, 4);
  StoreLE32(H + 4, IsStereo ? 2 : 1);
  if (F == nullptr || std::fwrite(H, 1, 8, F) != 8) return false;
  return IsStereo ? Stereo.WriteToFile16(F) : Mono.WriteToFile16(F);
}

namespace {

// After the tag and channel count: the one or two channel chunks.
template <class ReadChunk>
bool ReadBlockChannels(TWave& W, uint32_t Channels, ReadChunk Read) {
  W.Mono.Init();
  W.Stereo.Init();
  W.IsStereo = Channels == 2;
  bool Ok = W.IsStereo ? Read(W.Stereo.Left) && Read(W.Stereo.Right) : Read(W.Mono);
  // The wave's length is the left channel's: a shorter right one would be
  // read past its end.
  if (Ok && W.IsStereo && W.Stereo.Left.Count != W.Stereo.Right.Count) Ok = false;
  if (!Ok) {
    W.Mono.Dispose();
    W.Stereo.Dispose();
    W.Mono.Init();
    W.Stereo.Init();
  }
  return Ok;
}

}  // namespace

bool TWave::ReadFromFile(std::FILE* F) {
  if (F == nullptr) return false;
  Dispose();
  const long P = std::ftell(F);
  uint8_t H[8];
  const size_t Got = std::fread(H, 1, 8, F);
  const uint32_t C = Got == 8 ? LoadLE32(H + 4) : 0;
  if (Got != 8 || std::memcmp(H, BlockTag, 4) != 0 || (C != 1 && C != 2)) {
    std::fseek(F, P, SEEK_SET);
    return false;
  }
  return ReadBlockChannels(*this, C, [F](TSample32& S) { return S.ReadFromFile(F); });
}

bool TWave::LoadFromStream(TByteStream& S) {
  Dispose();
  const int64_t P = S.Position();
  uint8_t H[8];
  if (S.Read(H, 4) != 4) {
    S.SetPosition(P);
    return false;
  }
  if (std::memcmp(H, "RIFF", 4) == 0) {
    Mono.Init();
    Stereo.Init();
    IsStereo = true;
    S.SetPosition(P);
    return Load_WAVTo32_ToStereoFromStream(S, Stereo);
  }
  const uint32_t C = S.Read(H + 4, 4) == 4 ? LoadLE32(H + 4) : 0;
  if (std::memcmp(H, BlockTag, 4) != 0 || (C != 1 && C != 2)) {
    S.SetPosition(P);
    return false;
  }
  return ReadBlockChannels(*this, C, [&S](TSample32& X) { return X.LoadFromStream(S); });
}

// ---- TWave16 ---------------------------------------------------------------

void InitSample16Record(TWave16& W) {
  W.Mono.Init();
  W.Stereo.Init();
  W.SetSampleRate(44100);
  W.Reserved = 1;
}

void TWave16::Alloc(bool Stereo_, int32_t Length_) {
  IsStereo = Stereo_;
  if (IsStereo)
    Stereo.Alloc(Length_);
  else
    Mono.Alloc(Length_);
}

void TWave16::SetLength(int32_t Length_) {
  if (IsStereo)
    Stereo.SetLength(Length_);
  else
    Mono.SetLength(Length_);
}

void TWave16::Dispose() {
  Mono.Dispose();
  Stereo.Dispose();
}

int32_t TWave16::Length() const {
  return IsStereo ? int32_t(Stereo.Left.Count) : int32_t(Mono.Count);
}

int32_t TWave16::GetSampleRate() const {
  return IsStereo ? Stereo.Left.SampleRate : Mono.SampleRate;
}

void TWave16::SetSampleRate(int32_t Rate) {
  if (IsStereo) {
    Stereo.Left.SampleRate = Rate;
    Stereo.Right.SampleRate = Rate;
  } else {
    Mono.SampleRate = Rate;
  }
}

void TWave16::Assign(const TWave16& Source) {
  const TWave16 Src = Source;
  if (IsStereo != Src.IsStereo) {
    Dispose();
    Mono.Init();
    Stereo.Init();
    Alloc(Src.IsStereo, Src.Length());
  }
  if (IsStereo)
    Stereo.Copy(Src.Stereo);
  else if (Mono.HoldsData() && Src.Mono.HoldsData())
    Src.Mono.CopyTo(Mono);
}

void TWave16::AssignRange(const TWave16& Source, int32_t From, int32_t To) {
  IsStereo = Source.IsStereo;
  From = std::max(From, 0);
  To = std::max(std::min(To, Source.Length()), From);
  auto View = [&](TSample16& V, const TSample16& S) {
    const bool Has = S.Data != nullptr && From <= S.Count;
    V.Count = Has ? std::min<int64_t>(To, S.Count) - From : 0;
    V.Data = Has ? S.Data + From : nullptr;
    V.SampleRate = S.SampleRate;
  };
  if (IsStereo) {
    View(Stereo.Left, Source.Stereo.Left);
    View(Stereo.Right, Source.Stereo.Right);
  } else {
    View(Mono, Source.Mono);
  }
}

void TWave16::CopyRange(const TWave16& Source, int32_t From, int32_t To) {
  Dispose();
  TWave16 View;
  InitSample16Record(View);
  View.AssignRange(Source, From, To);
  Mono.Init();
  Stereo.Init();
  Alloc(Source.IsStereo, View.Length());
  SetSampleRate(View.GetSampleRate());
  if (View.Length() > 0) Assign(View);
}

bool TWave16::LoadFromFile(const std::string& FileName) {
  Dispose();
  Mono.Init();
  Stereo.Init();
  bool Ok = Load_WAV16(FileName, Mono, false);
  IsStereo = !Ok;
  if (!Ok) {
    Mono.Dispose();
    Mono.Init();
    Ok = Load_WAV_StereoTo16(FileName, Stereo, false);
  }
  if (Ok) Name = ExtractFileNameW(FileName);
  return Ok;
}

bool TWave16::SaveToFile(const std::string& FileName) const {
  if (!IsStereo) return Save_WAV16(Mono, FileName);
  // The 16-bit channels go to the file through float frames.
  TStereoSample32 F;
  F.Init();
  if (!F.Alloc(Length())) return false;
  ConvertSample16To32(Stereo.Left, F.Left);
  ConvertSample16To32(Stereo.Right, F.Right);
  F.Left.SampleRate = F.Right.SampleRate = GetSampleRate();
  const bool Ok = Save_WAV16StereoFrom32(F, FileName);
  F.Dispose();
  return Ok;
}

MultiInstrument16::~MultiInstrument16() {
  for (auto It = Items.rbegin(); It != Items.rend(); ++It) {
    TInstrument16* I = *It;
    if (I == nullptr) continue;
    I->Sample.Dispose();
    I->Sample.Count = 0;
    delete I;
  }
  Items.clear();
}

}  // namespace kromel
