#include "audio/sample_codec.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace kromel {

namespace {

// The Bytes-byte integer at P as an unsigned value, lowest byte first.
uint32_t LoadUnsigned(const uint8_t* P, int Bytes, bool BigEndian) {
  uint32_t V = 0;
  for (int I = 0; I < Bytes; ++I) V |= uint32_t(P[BigEndian ? Bytes - 1 - I : I]) << (8 * I);
  return V;
}

void StoreUnsigned(uint8_t* P, uint32_t V, int Bytes, bool BigEndian) {
  for (int I = 0; I < Bytes; ++I) P[BigEndian ? Bytes - 1 - I : I] = uint8_t(V >> (8 * I));
}

int32_t SignExtend(uint32_t V, int Bits) {
  const uint32_t Sign = 1u << (Bits - 1);
  return int32_t((V ^ Sign) - Sign);
}

// Round(V x Scale) clamped to -Scale..Scale; NaN gives 0.
int32_t ScaledInteger(float V, float Scale) {
  if (std::isnan(V)) return 0;
  return int32_t(std::nearbyint(std::clamp(V, -1.0f, 1.0f) * Scale));
}

}  // namespace

int32_t BytesPerSample(TSampleEncoding E) {
  switch (E) {
    case TSampleEncoding::UInt8:
    case TSampleEncoding::Int8: return 1;
    case TSampleEncoding::Int16: return 2;
    case TSampleEncoding::Int24: return 3;
    default: return 4;
  }
}

bool SampleEncodingOf(uint16_t FormatTag, uint16_t Bits, TSampleEncoding& E) {
  if (FormatTag == 3 && Bits == 32) {
    E = TSampleEncoding::Float32;
    return true;
  }
  if (FormatTag != 1) return false;
  switch (Bits) {
    case 8: E = TSampleEncoding::UInt8; return true;
    case 16: E = TSampleEncoding::Int16; return true;
    case 24: E = TSampleEncoding::Int24; return true;
    case 32: E = TSampleEncoding::Int32; return true;
    default: return false;
  }
}

float LimitFloatSample(float V) {
  if (std::isnan(V) || V > 100) return 1000.0f;
  return V < -100 ? -1000.0f : V;
}

float DecodeSample(const uint8_t* P, TSampleEncoding E, bool BigEndian) {
  switch (E) {
    case TSampleEncoding::UInt8: return float(int32_t(P[0]) - 128) / 128.0f;
    case TSampleEncoding::Int8: return float(int8_t(P[0])) / 128.0f;
    case TSampleEncoding::Int16:
      return float(SignExtend(LoadUnsigned(P, 2, BigEndian), 16)) / 32767.0f;
    case TSampleEncoding::Int24:
      return float(double(SignExtend(LoadUnsigned(P, 3, BigEndian), 24)) / 8388608.0);
    case TSampleEncoding::Int32:
      return float(double(int32_t(LoadUnsigned(P, 4, BigEndian))) / 2147483648.0);
    case TSampleEncoding::Float32:
      return LimitFloatSample(std::bit_cast<float>(LoadUnsigned(P, 4, BigEndian)));
  }
  return 0.0f;
}

void EncodeSample(float V, uint8_t* P, TSampleEncoding E, bool BigEndian) {
  switch (E) {
    case TSampleEncoding::UInt8:
      P[0] = uint8_t(std::clamp(ScaledInteger(V, 128.0f) + 128, 0, 255));
      return;
    case TSampleEncoding::Int8:
      P[0] = uint8_t(std::clamp(ScaledInteger(V, 128.0f), -128, 127));
      return;
    case TSampleEncoding::Int16:
      StoreUnsigned(P, uint32_t(ScaledInteger(V, 32767.0f)), 2, BigEndian);
      return;
    case TSampleEncoding::Int24:
      StoreUnsigned(P, uint32_t(ScaledInteger(V, 8388607.0f)), 3, BigEndian);
      return;
    case TSampleEncoding::Int32: {
      // 2^31 - 1 is not a float: clamp in double.
      const double D = std::isnan(V) ? 0.0 : std::clamp(double(V), -1.0, 1.0) * 2147483647.0;
      StoreUnsigned(P, uint32_t(int32_t(std::nearbyint(D))), 4, BigEndian);
      return;
    }
    case TSampleEncoding::Float32:
      StoreUnsigned(P, std::bit_cast<uint32_t>(V), 4, BigEndian);
      return;
  }
}

void DecodeInterleaved(const uint8_t* Src, int64_t Frames, int32_t Channels, TSampleEncoding E,
                       bool BigEndian, TSample32* const* Channel, int64_t DestOffset) {
  const int32_t W = BytesPerSample(E);
  for (int64_t F = 0; F < Frames; ++F)
    for (int32_t C = 0; C < Channels; ++C)
      Channel[C]->Data[DestOffset + F] = DecodeSample(Src + (F * Channels + C) * W, E, BigEndian);
}

void EncodeInterleaved(uint8_t* Dest, int64_t Frames, int32_t Channels, TSampleEncoding E,
                       bool BigEndian, const TSample32* const* Channel, int64_t SrcOffset) {
  const int32_t W = BytesPerSample(E);
  for (int64_t F = 0; F < Frames; ++F)
    for (int32_t C = 0; C < Channels; ++C)
      EncodeSample(Channel[C]->Data[SrcOffset + F], Dest + (F * Channels + C) * W, E, BigEndian);
}

}  // namespace kromel
