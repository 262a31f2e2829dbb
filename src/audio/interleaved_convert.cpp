#include "audio/interleaved_convert.h"

#include <cmath>
#include <string>

#include "audio/fpu_helpers.h"
#include "audio/sample_codec.h"
#include "audio/work_sample.h"
#include "foundation/error_sink.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

// The encoding of a packed signed sample of Bytes bytes; false for others.
bool SignedEncoding(int32_t Bytes, TSampleEncoding& E) {
  switch (Bytes) {
    case 1: E = TSampleEncoding::Int8; return true;
    case 2: E = TSampleEncoding::Int16; return true;
    case 3: E = TSampleEncoding::Int24; return true;
    case 4: E = TSampleEncoding::Float32; return true;
    default: return false;
  }
}

bool Holds(const TSample32& S, int64_t N, const char* Routine) {
  if (N <= 0 || HeldSamples(S) >= N) return true;
  ErrorMessageProc(std::string("Exception in ") + Routine + " - destination holds " +
                   std::to_string(HeldSamples(S)) + " of " + std::to_string(N) + " samples");
  return false;
}

}  // namespace

void ConvertInterleavedToSample32(const void* Data, int32_t Count, int32_t BytesPerSample, TSample32& Dest,
                                  bool /*BigEndian*/) {
  TSampleEncoding E;
  if (Data == nullptr || !SignedEncoding(BytesPerSample, E) || !Holds(Dest, Count, "ConvertInterleavedToSample32"))
    return;
  const auto* P = static_cast<const uint8_t*>(Data);
  for (int32_t I = 0; I < Count; ++I) Dest.Data[I] = DecodeSample(P + int64_t(I) * BytesPerSample, E, true);
}

void ConvertInterleavedToStereo32(const void* Data, int32_t Frames, int32_t BytesPerSample, TStereoSample32& Dest,
                                  bool BigEndian) {
  TSampleEncoding E;
  if (Data == nullptr || !SignedEncoding(BytesPerSample, E) ||
      !Holds(Dest.Left, Frames, "ConvertInterleavedToStereo32") ||
      !Holds(Dest.Right, Frames, "ConvertInterleavedToStereo32"))
    return;
  const auto* P = static_cast<const uint8_t*>(Data);
  // 24-bit full scale is 8388607 here rather than 2^23.
  const double Rescale = BytesPerSample == 3 ? 8388608.0 / 8388607.0 : 1.0;
  for (int32_t F = 0; F < Frames; ++F) {
    const uint8_t* Frame = P + int64_t(F) * 2 * BytesPerSample;
    Dest.Left.Data[F] = float(DecodeSample(Frame, E, BigEndian) * Rescale);
    Dest.Right.Data[F] = float(DecodeSample(Frame + BytesPerSample, E, BigEndian) * Rescale);
  }
}

void ConvertInterleavedToSurround32(const void* Data, int32_t Channels, int32_t Frames, int32_t BytesPerSample,
                                    TSurroundSample32& Dest, bool SwapBytes) {
  FPUClearExceptions();
  TSampleEncoding E;
  if (Data == nullptr || !SignedEncoding(BytesPerSample, E) || Channels < 1 || Channels > MaxSurroundChannels)
    return;
  for (int32_t C = 0; C < Channels; ++C)
    if (!Holds(Dest.Channels[size_t(C)], Frames, "ConvertInterleavedToSurround32")) return;
  const auto* P = static_cast<const uint8_t*>(Data);
  for (int32_t F = 0; F < Frames; ++F)
    for (int32_t C = 0; C < Channels; ++C) {
      Dest.Channels[size_t(C)].Data[F] =
          DecodeSample(P + (int64_t(F) * Channels + C) * BytesPerSample, E, SwapBytes);
    }
}

void ConvertSurround32ToInterleaved(void* Data, int32_t Channels, int32_t SampleFrames, int32_t BytesPerSample,
                                    const TSurroundSample32& Source) {
  if (Data == nullptr || Channels < 1 || Channels > MaxSurroundChannels) return;
  for (int32_t C = 0; C < Channels; ++C)
    if (Source.Channels[size_t(C)].Data == nullptr) {
      PlatformShowMessage("Error: ConvertSurround32ToInterleaved - Channel " + std::to_string(C) + " is nil");
      return;
    }
  if (BytesPerSample == 1) {
    PlatformShowMessage("ConvertSurround32ToInterleaved 8 bit! Not implemented!");
    return;
  }
  TSampleEncoding E;
  if (!SignedEncoding(BytesPerSample, E)) return;
  auto* P = static_cast<uint8_t*>(Data);
  for (int32_t F = 0; F < SampleFrames; ++F)
    for (int32_t C = 0; C < Channels; ++C) {
      const TSample32& Ch = Source.Channels[size_t(C)];
      EncodeSample(F < Ch.Count ? Ch.Data[F] : 0.0f, P + (int64_t(F) * Channels + C) * BytesPerSample, E, false);
    }
}

void ConvertStereo32ToInterleaved(void* Data, int32_t Channels, int32_t Frames, int32_t BytesPerSample,
                                  const TStereoSample32& Source) {
  // A 24-bit frame narrower than two slots would put R into the next frame.
  if (Data == nullptr || (BytesPerSample != 2 && BytesPerSample != 3) || (BytesPerSample == 3 && Channels < 2))
    return;
  if (!Holds(Source.Left, Frames, "ConvertStereo32ToInterleaved") ||
      !Holds(Source.Right, Frames, "ConvertStereo32ToInterleaved"))
    return;
  auto* P = static_cast<uint8_t*>(Data);
  const TSampleEncoding E = BytesPerSample == 2 ? TSampleEncoding::Int16 : TSampleEncoding::Int24;
  // 16-bit frames are always two samples wide; 24-bit ones Channels wide.
  const int64_t Slots = BytesPerSample == 2 ? 2 : Channels;
  for (int32_t F = 0; F < Frames; ++F) {
    EncodeSample(Source.Left.Data[F], P + (F * Slots) * BytesPerSample, E, false);
    EncodeSample(Source.Right.Data[F], P + (F * Slots + 1) * BytesPerSample, E, false);
  }
}

}  // namespace kromel
