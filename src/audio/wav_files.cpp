#include "audio/wav_files.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/file_stream.h"
#include "audio/riff_chunks.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr int64_t BlockFrames = 16384;
const std::string Lf = "\n\r";

void Show(bool ShowError, const std::string& Text) {
  if (ShowError) PlatformShowMessage(Text);
}

// Reads L.Frames frames into Count new channels (disposed again on failure).
bool LoadChannels(TByteStream& S, const TWavLayout& L, TSample32* const* Ch, int32_t Count) {
  for (int32_t C = 0; C < Count; ++C) {
    if (!Ch[C]->Alloc(L.Frames)) {
      for (int32_t D = 0; D < C; ++D) Ch[D]->Dispose();
      return false;
    }
    Ch[C]->SampleRate = L.Format.SamplesPerSec;
  }
  std::vector<uint8_t> Block(size_t(std::min(L.Frames, BlockFrames) * L.Format.BlockAlign));
  bool Ok = S.SetPosition(L.DataStart);
  for (int64_t Pos = 0; Ok && Pos < L.Frames; Pos += BlockFrames) {
    const int64_t N = std::min(L.Frames - Pos, BlockFrames);
    const int64_t Bytes = N * L.Format.BlockAlign;
    Ok = S.Read(Block.data(), Bytes) == Bytes;
    if (Ok) DecodeInterleaved(Block.data(), N, Count, L.Encoding, false, Ch, Pos);
  }
  if (!Ok)
    for (int32_t C = 0; C < Count; ++C) Ch[C]->Dispose();
  return Ok;
}

bool IsEncoding(const TWavLayout& L, std::initializer_list<TSampleEncoding> Allowed) {
  return L.HasEncoding && std::find(Allowed.begin(), Allowed.end(), L.Encoding) != Allowed.end();
}

// A mono reader's result copied into both channels of Stereo.
bool MonoToStereo(TStereoSample32& Stereo) {
  if (!Stereo.Right.Alloc(Stereo.Left.Count)) {
    Stereo.Left.Dispose();
    return false;
  }
  Stereo.Left.CopyTo(Stereo.Right);
  return true;
}

bool Load2432(TByteStream& S, TSample32* const* Ch, int32_t Channels, bool ShowError,
              const std::string& Prefix, bool Only24) {
  for (int32_t C = 0; C < Channels; ++C) Ch[C]->Data = nullptr;
  TWavLayout L;
  const TWavProbe P = ProbeWav(S, L);
  if (P == TWavProbe::NotRiff) {
    Show(ShowError, "Error loading " + Prefix + Lf + "File corrupt");
    return false;
  }
  if (P == TWavProbe::NoFmt) {
    Show(ShowError, "Can't load wave \"\" - fmt chunk not found");
    return false;
  }
  if (P == TWavProbe::NotWave || P == TWavProbe::BadFormat) {
    Show(ShowError, "Error loading " + Prefix + Lf + "Not a wave file");
    return false;
  }
  // Layouts for other readers are declined silently.
  if (L.Format.Channels != Channels) {
    if (Channels == 2) Show(ShowError, "Error loading " + Prefix + Lf + " wrong number of channels");
    return false;
  }
  if (!IsEncoding(L, {TSampleEncoding::Int24}) &&
      (Only24 || !IsEncoding(L, {TSampleEncoding::Int32, TSampleEncoding::Float32}))) {
    Show(ShowError, "Error loading " + Prefix + Lf + "Not a wave file");
    return false;
  }
  if (P == TWavProbe::NoData) {
    Show(ShowError, "Error loading " + Prefix + Lf + "No DATA chunk found");
    return false;
  }
  if (L.Frames == 0) {
    Show(ShowError, "Error loading " + Prefix + Lf + "no sample data");
    return false;
  }
  if (!LoadChannels(S, L, Ch, Channels)) {
    Show(ShowError, "Failed to load Wav: not enough memory");
    return false;
  }
  return true;
}

}  // namespace

// ---- 8/16-bit ------------------------------------------------------------

bool Load_WAV16FromStream(TByteStream& S, TSample16& Sample, bool ShowError, bool) {
  const int64_t Start = S.Position();
  Sample.Data = nullptr;
  TWavLayout L;
  const TWavProbe P = ProbeWav(S, L);
  switch (P) {
    case TWavProbe::NotRiff:
      Show(ShowError,
           "Load_WAV16FromStream: Can't load wave \"\" - Not RIFF header at position " +
               std::to_string(Start));
      return false;
    case TWavProbe::NoFmt:
      Show(ShowError, "Load_WAV16FromStream: Can't load wave \"\" - fmt chunk not found");
      return false;
    case TWavProbe::NotWave:
      Show(ShowError, "Load_WAV16FromStream: Can't load wave \"\" - Not a WAV file");
      return false;
    default: break;
  }
  if (P == TWavProbe::BadFormat || L.Format.Channels != 1 ||
      !IsEncoding(L, {TSampleEncoding::UInt8, TSampleEncoding::Int16})) {
    S.SetPosition(Start);
    return false;
  }
  if (P == TWavProbe::NoData) {
    Show(ShowError, "Can't load wave \"\" - Data chunk not found (m)");
    return false;
  }
  if (L.Frames == 0) {
    Show(ShowError, "Can't load wave \"\" - no sample data");
    return false;
  }
  Sample.SampleRate = L.Format.SamplesPerSec;
  Sample.Alloc(L.Frames);
  if (L.Frames > 0 && Sample.Data == nullptr) {
    ErrorMessageProc("Exception in Load_WAV16FromStream");
    return false;
  }
  const int64_t Bytes = L.Frames * L.Format.BlockAlign;
  std::vector<uint8_t> Raw(static_cast<size_t>(Bytes));
  if (!S.SetPosition(L.DataStart) || S.Read(Raw.data(), Bytes) != Bytes) {
    Sample.Dispose();
    return false;
  }
  for (int64_t I = 0; I < L.Frames; ++I)
    Sample.Data[I] = L.Encoding == TSampleEncoding::UInt8
                         ? int16_t((int32_t(Raw[size_t(I)]) - 128) * 255)
                         : int16_t(Raw[size_t(2 * I)] | Raw[size_t(2 * I + 1)] << 8);
  return true;
}

bool Load_WAV16(const std::string& FileName, TSample16& Sample, bool ShowError) {
  TFileReadStream S(FileName);
  if (!OpenedForReading(S, ShowError)) {
    Sample.Data = nullptr;
    return false;
  }
  return Load_WAV16FromStream(S, Sample, ShowError, false);
}

namespace {

bool Sample16To32(bool Loaded, TSample16& Words, TSample32& Sample) {
  if (!Loaded) return false;
  Sample.SampleRate = Words.SampleRate;
  const bool Ok = Sample.Alloc(std::max<int64_t>(Words.Count, 0));
  if (Ok) ConvertSample16To32(Words, Sample);
  Words.Dispose();
  return Ok;
}

}  // namespace

bool Load_Wav16To32FromStream(TByteStream& S, TSample32& Sample, bool ShowError) {
  Sample.Dispose();
  TSample16 Words;
  Words.Init();
  return Sample16To32(Load_WAV16FromStream(S, Words, ShowError), Words, Sample);
}

bool Load_Wav16To32(const std::string& FileName, TSample32& Sample, bool ShowError) {
  Sample.Dispose();
  TSample16 Words;
  Words.Init();
  return Sample16To32(Load_WAV16(FileName, Words, ShowError), Words, Sample);
}

bool Load_WAV_StereoFromStream(TByteStream& S, TRawStereoSample16& Raw, bool ShowError) {
  Raw.Data = nullptr;
  TWavLayout L;
  const TWavProbe P = ProbeWav(S, L);
  if (P == TWavProbe::NotRiff || P == TWavProbe::NotWave || P == TWavProbe::BadFormat) {
    Show(ShowError, "Can't load wave \"\" - Not a WAV file");
    return false;
  }
  if (P == TWavProbe::NoFmt) {
    Show(ShowError, "Load_WAV_StereoFromStream: Can't load wave \"\" - fmt chunk not found");
    return false;
  }
  if (L.Format.Channels != 2 || !IsEncoding(L, {TSampleEncoding::UInt8, TSampleEncoding::Int16}))
    return false;
  if (P == TWavProbe::NoData) {
    Show(ShowError, "Can't load wave \"\" - Data chunk not found (m)");
    return false;
  }
  if (L.Frames == 0) {
    Show(ShowError, "Can't load wave \"\" - Data chunk size is zero (m) - no sample data");
    return false;
  }
  Raw.SampleRate = L.Format.SamplesPerSec;
  if (!Raw.Alloc(int32_t(std::min<int64_t>(L.Frames, INT32_MAX / 4)))) return false;
  const int64_t Bytes = int64_t(Raw.FrameCount) * L.Format.BlockAlign;
  std::vector<uint8_t> Bytes8(static_cast<size_t>(Bytes));
  if (!S.SetPosition(L.DataStart) || S.Read(Bytes8.data(), Bytes) != Bytes) {
    Raw.Dispose();
    return false;
  }
  for (int64_t I = 0; I < 2 * int64_t(Raw.FrameCount); ++I)
    Raw.Data[I] = L.Encoding == TSampleEncoding::UInt8
                      ? int16_t((int32_t(Bytes8[size_t(I)]) - 128) * 255)
                      : int16_t(Bytes8[size_t(2 * I)] | Bytes8[size_t(2 * I + 1)] << 8);
  return true;
}

bool Load_WAV_Stereo(const std::string& FileName, TRawStereoSample16& Raw, bool ShowError) {
  TFileReadStream S(FileName);
  if (!S.Opened()) {
    Raw.Data = nullptr;
    Show(ShowError, "Error opening file " + FileName);
    return false;
  }
  return Load_WAV_StereoFromStream(S, Raw, ShowError);
}

namespace {

template <class TStereo, class FConvert>
bool RawToStereo(bool Loaded, TRawStereoSample16& Raw, TStereo& Stereo, FConvert Convert) {
  if (!Loaded) return false;
  bool Ok = true;
  if constexpr (std::is_same_v<TStereo, TStereoSample32>)
    Ok = Stereo.Alloc(Raw.FrameCount);
  else {
    Stereo.Alloc(Raw.FrameCount);
    Ok = Stereo.Left.HoldsData() && Stereo.Right.HoldsData();
    if (!Ok) Stereo.Dispose();
  }
  if (Ok) {
    Stereo.Left.SampleRate = Raw.SampleRate;
    Stereo.Right.SampleRate = Raw.SampleRate;
    Convert(Raw, Stereo);
  }
  Raw.Dispose();
  return Ok;
}

}  // namespace

bool Load_WAV_StereoTo32FromStream(TByteStream& S, TStereoSample32& Stereo, bool ShowError) {
  Stereo.Dispose();
  TRawStereoSample16 Raw;
  Raw.Init();
  return RawToStereo(Load_WAV_StereoFromStream(S, Raw, ShowError), Raw, Stereo,
                     ConvertRaw16ToStereo32);
}

bool Load_WAV_StereoTo32(const std::string& FileName, TStereoSample32& Stereo, bool ShowError) {
  Stereo.Dispose();
  TRawStereoSample16 Raw;
  Raw.Init();
  return RawToStereo(Load_WAV_Stereo(FileName, Raw, ShowError), Raw, Stereo,
                     ConvertRaw16ToStereo32);
}

bool Load_WAV_StereoTo16(const std::string& FileName, TStereoSample16& Stereo, bool ShowError) {
  TRawStereoSample16 Raw;
  Raw.Init();
  return RawToStereo(Load_WAV_Stereo(FileName, Raw, ShowError), Raw, Stereo,
                     ConvertRaw16ToStereo16);
}

bool Load_WavToMono32(const std::string& FileName, TSample32& Sample, bool ShowError) {
  if (Load_Wav16To32(FileName, Sample, false)) return true;
  TStereoSample32 Stereo;
  Stereo.Init();
  if (!Load_WAV_StereoTo32(FileName, Stereo, ShowError)) return false;
  Sample.Init();
  const bool Ok = Sample.Alloc(Stereo.Length());
  if (Ok) {
    Stereo.ToMono(Sample);
    Sample.SampleRate = Stereo.Left.SampleRate;
  }
  Stereo.Dispose();
  return Ok;
}

// ---- 24/32-bit -----------------------------------------------------------

bool Load_WAV2432_MonoFromStream(TByteStream& S, TSample32& Sample, bool ShowError) {
  TSample32* Ch[1] = {&Sample};
  return Load2432(S, Ch, 1, ShowError, "Load_WAV2432_MonoFromStream: ", false);
}

bool Load_WAV2432_Mono(const std::string& FileName, TSample32& Sample, bool ShowError) {
  TFileReadStream S(FileName);
  if (!OpenedForReading(S, ShowError)) {
    Sample.Data = nullptr;
    return false;
  }
  return Load_WAV2432_MonoFromStream(S, Sample, ShowError);
}

bool Load_WAV2432_StereoFromStream(TByteStream& S, TStereoSample32& Stereo, bool ShowError) {
  TSample32* Ch[2] = {&Stereo.Left, &Stereo.Right};
  return Load2432(S, Ch, 2, ShowError, "", false);
}

bool Load_WAV2432_Stereo(const std::string& FileName, TStereoSample32& Stereo, bool ShowError) {
  TFileReadStream S(FileName);
  if (!S.Opened()) {
    Stereo.Left.Data = Stereo.Right.Data = nullptr;
    Show(ShowError, "Error loading " + FileName + Lf + "Can't open file");
    return false;
  }
  TSample32* Ch[2] = {&Stereo.Left, &Stereo.Right};
  return Load2432(S, Ch, 2, ShowError, FileName, false);
}

bool Load_WAV24to32(const std::string& FileName, TSample32& Sample) {
  TFileReadStream S(FileName);
  TSample32* Ch[1] = {&Sample};
  Sample.Data = nullptr;
  return S.Opened() && Load2432(S, Ch, 1, false, FileName, true);
}

bool Load_WAV24to32_Stereo(const std::string& FileName, TStereoSample32& Stereo) {
  TFileReadStream S(FileName);
  TSample32* Ch[2] = {&Stereo.Left, &Stereo.Right};
  Stereo.Left.Data = Stereo.Right.Data = nullptr;
  return S.Opened() && Load2432(S, Ch, 2, false, FileName, true);
}

// ---- dispatchers ---------------------------------------------------------

bool LoadWaveToSample(const std::string& FileName, TStereoSample32& Stereo, bool ShowError) {
  Stereo.Dispose();
  bool Ok = (Load_WAV2432_Mono(FileName, Stereo.Left, false) && MonoToStereo(Stereo)) ||
            (Load_Wav16To32(FileName, Stereo.Left, false) && MonoToStereo(Stereo)) ||
            Load_WAV_StereoTo32(FileName, Stereo, false) ||
            Load_WAV2432_Stereo(FileName, Stereo, false);
  if (!Ok) Show(ShowError, "Error loading wave " + FileName);
  return Ok;
}

bool Load_WAVTo32_ToStereoFromStream(TByteStream& S, TStereoSample32& Stereo) {
  Stereo.Dispose();
  const int64_t Start = S.Position();
  auto Again = [&] { return S.SetPosition(Start); };
  const bool Ok = (Load_WAV2432_MonoFromStream(S, Stereo.Left, false) && MonoToStereo(Stereo)) ||
                  (Again() && Load_WAV2432_StereoFromStream(S, Stereo, false)) ||
                  (Again() && Load_WAV_StereoTo32FromStream(S, Stereo, false)) ||
                  (Again() && Load_Wav16To32FromStream(S, Stereo.Left, false) &&
                   MonoToStereo(Stereo));
  if (!Ok) S.SetPosition(Start);
  return Ok;
}

// ---- writers -------------------------------------------------------------

bool WriteWavFile(const std::string& FileName, const TWavHeader& Header, const void* Data,
                  int64_t DataBytes) {
  TWavHeader H = Header;
  const bool Pad = (H.DataSize & 1) != 0;
  if (Pad) H.RiffSize += 1;
  uint8_t B[WavHeaderBytes];
  H.ToBytes(B);
  TSafeFileWriter W(FileName);
  const uint8_t Zero = 0;
  return W.Opened() && W.Write(B, sizeof B) &&
         (DataBytes <= 0 || W.Write(Data, size_t(DataBytes))) && (!Pad || W.Write(&Zero, 1)) &&
         W.Commit();
}

namespace {

// Channels encoded into one buffer and written with Header.
bool SaveChannels(const std::string& FileName, TWavHeader& Header, const TSample32* const* Ch,
                  int32_t Channels, int64_t Frames, TSampleEncoding E) {
  const int64_t Bytes = Frames * Channels * BytesPerSample(E);
  std::vector<uint8_t> Data;
  try {
    Data.resize(size_t(Bytes));
  } catch (const std::bad_alloc&) {
    PlatformShowMessage("Not enough memory for temp buffer while saving wav");
    return false;
  }
  EncodeInterleaved(Data.data(), Frames, Channels, E, false, Ch, 0);
  return WriteWavFile(FileName, Header, Data.data(), Bytes);
}

int64_t HeldFrames(const TSample32& S) { return S.Data != nullptr ? std::max<int64_t>(S.Count, 0) : 0; }

}  // namespace

bool Save_WAV16(const TSample16& Sample, const std::string& FileName) {
  const int64_t N = Sample.Data != nullptr ? std::max<int64_t>(Sample.Count, 0) : 0;
  TWavHeader H;
  H.Init16Mono44100(int32_t(N));
  H.Format.SamplesPerSec = Sample.SampleRate;
  H.Format.AvgBytesPerSec = Sample.SampleRate * 2;
  const bool Ok = WriteWavFile(FileName, H, Sample.Data, N * 2);
  if (!Ok) PlatformShowMessage("Error saving file " + FileName);
  return Ok;
}

bool Save_WAV16From32(const TSample32& Sample, const std::string& FileName) {
  const TSample32* Ch[1] = {&Sample};
  TWavHeader H;
  H.Set(WavFormatPcm, 1, Sample.SampleRate, 16, int32_t(HeldFrames(Sample)));
  return SaveChannels(FileName, H, Ch, 1, HeldFrames(Sample), TSampleEncoding::Int16);
}

bool Save_WAV16Stereo(const TRawStereoSample16& Raw, const std::string& FileName) {
  const int32_t N = Raw.Data != nullptr ? std::max(Raw.FrameCount, 0) : 0;
  TWavHeader H;
  H.Init16Stereo(Raw.SampleRate, N);
  return WriteWavFile(FileName, H, Raw.Data, int64_t(N) * 4);
}

bool Save_WAV16StereoFrom32(const TStereoSample32& Stereo, const std::string& FileName) {
  const int64_t N = std::min(HeldFrames(Stereo.Left), HeldFrames(Stereo.Right));
  TRawStereoSample16 Raw;
  Raw.Init();
  if (!Raw.Alloc(int32_t(N))) return false;
  Raw.SampleRate = Stereo.Left.SampleRate;
  ConvertStereo32ToRaw16(Stereo, Raw);
  const bool Ok = Save_WAV16Stereo(Raw, FileName);
  Raw.Dispose();
  return Ok;
}

bool Save_WAV16StereoRS(const TStereoSample32& Stereo, const std::string& FileName) {
  return Save_WAV16StereoFrom32(Stereo, FileName);
}

bool Save_WAV8(const TSample8& Sample, const std::string& FileName, int32_t SampleRate) {
  const int64_t N = Sample.Data != nullptr ? std::max<int64_t>(Sample.Count, 0) : 0;
  TWavHeader H;
  H.Set(WavFormatPcm, 1, SampleRate, 8, int32_t(N));
  return WriteWavFile(FileName, H, Sample.Data, N);
}

bool Save_WAV24(const TSample32& Sample, const std::string& FileName) {
  const TSample32* Ch[1] = {&Sample};
  TWavHeader H;
  H.Init24Mono44100(int32_t(HeldFrames(Sample)));
  H.Format.SamplesPerSec = Sample.SampleRate;
  H.Format.AvgBytesPerSec = Sample.SampleRate * 3;
  const bool Ok = SaveChannels(FileName, H, Ch, 1, HeldFrames(Sample), TSampleEncoding::Int24);
  if (!Ok) PlatformShowMessage("Can't create file " + FileName);
  return Ok;
}

bool Save_WAV24Stereo(const TStereoSample32& Stereo, const std::string& FileName) {
  const int64_t N = std::min(HeldFrames(Stereo.Left), HeldFrames(Stereo.Right));
  const TSample32* Ch[2] = {&Stereo.Left, &Stereo.Right};
  TWavHeader H;
  H.Init24Stereo44100(int32_t(N));
  H.Format.SamplesPerSec = Stereo.Left.SampleRate;
  H.Format.AvgBytesPerSec = Stereo.Left.SampleRate * 6;
  return SaveChannels(FileName, H, Ch, 2, N, TSampleEncoding::Int24);
}

}  // namespace kromel
