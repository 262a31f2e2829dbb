// Shared by the LUT fuzz targets: everything a reader may change in a LUT
// as comparable bytes and shape checks.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "foundation/byte_codecs.h"
#include "fuzz_support.h"
#include "lut/lut.h"
#include "lut/lut1d.h"

namespace kromel::fuzz {

// Error reports counted, not shown: a refused read must report, an
// accepted one must not.
inline int& Reports() {
  static int Count = 0;
  return Count;
}
inline void CountReport(const std::string& /*Text*/) { ++Reports(); }
inline void CountReports() {
  ErrorMessageProc = &CountReport;
  Reports() = 0;
}

inline void AppendInt(std::string& S, int64_t V) { S += std::to_string(V) + "|"; }

// A plane's bytes, or for a large plane its CRC-64 (copies of planes of up
// to 256^3 nodes would slow every run).
inline void AppendPlane(std::string& S, const float* P, int32_t Count) {
  if (P == nullptr) {
    S += "-|";
    return;
  }
  const std::size_t Bytes = sizeof(float) * static_cast<std::size_t>(Count);
  if (Bytes <= 65536)
    S.append(reinterpret_cast<const char*>(P), Bytes);
  else
    S += "crc" + std::to_string(CRC64OfBuffer(P, Bytes));
  S += "|";
}

// The node planes of a 3D LUT (R, G, B; A too when WithA).
inline std::string Planes(const T3DLut& L, bool WithA) {
  std::string S;
  AppendPlane(S, L.R, L.Count);
  AppendPlane(S, L.G, L.Count);
  AppendPlane(S, L.B, L.Count);
  if (WithA) AppendPlane(S, L.A, L.Count);
  return S;
}

// A 3D LUT's name, shape and embedded preset.
inline std::string Header(const T3DLut& L) {
  std::string S = L.Name + "|";
  for (int64_t V : {int64_t(L.Size), int64_t(L.Count), int64_t(L.NLRH), int64_t(L.NLGS),
                    int64_t(L.NLBL), int64_t(L.NonCubic), int64_t(L.Valid)})
    AppendInt(S, V);
  S += L.Preset ? "P" + L.Preset->Bytes() + "|" : "-|";
  return S;
}

// Everything a failed 3D read must leave as it was.
inline std::string Snapshot(const T3DLut& L) { return Header(L) + Planes(L, true); }

inline std::string Snapshot(const T1DLut& L) {
  std::string S = L.Name + "|";
  AppendInt(S, L.Size);
  AppendInt(S, L.Count);
  AppendInt(S, L.Valid);
  AppendPlane(S, L.R, L.Count);
  AppendPlane(S, L.G, L.Count);
  AppendPlane(S, L.B, L.Count);
  AppendPlane(S, L.A, L.Count);
  return S;
}

// A 3D LUT as a successful read must leave it: all planes or none, level
// counts valid, Count their product, Size the level count of a cubic LUT.
inline void CheckShape(const T3DLut& L) {
  if (L.R == nullptr) {
    FUZZ_CHECK(L.G == nullptr && L.B == nullptr && L.A == nullptr);
    FUZZ_CHECK(L.Size == 0 && L.Count == 0 && L.NLRH == 0 && L.NLGS == 0 && L.NLBL == 0);
    return;
  }
  FUZZ_CHECK(L.HasPlanes());
  FUZZ_CHECK(ValidLutLevels(L.NLRH) && ValidLutLevels(L.NLGS) && ValidLutLevels(L.NLBL));
  FUZZ_CHECK(int64_t(L.Count) == int64_t(L.NLRH) * L.NLGS * L.NLBL);
  const bool Cubic = L.NLRH == L.NLGS && L.NLRH == L.NLBL;
  FUZZ_CHECK(L.NonCubic == !Cubic);
  FUZZ_CHECK(L.Size == (Cubic ? L.NLRH : 0));
}

// The LUT a read starts from: a 3-level identity cube named "before".
inline void PrepareCube(T3DLut& Lut) {
  FUZZ_CHECK(Lut.SetSize(3));
  Lut.SetDefault();
  Lut.Name = "before";
}

// A cube as an accepted file read must leave it: sound shape, named after
// the file, every value finite.
inline void CheckFileCube(const T3DLut& Lut, const std::string& File) {
  CheckShape(Lut);
  FUZZ_CHECK(!Lut.NonCubic && Lut.Name == File);
  for (const float* P : {Lut.R, Lut.G, Lut.B})
    for (int32_t k = 0; k < Lut.Count; ++k) FUZZ_CHECK(std::isfinite(P[k]));
}

// Lut written to File and read back as Back: the same size, named after the
// file, and Near(value written, value read) for every value.
template <class TNear>
void CheckReadBack(const T3DLut& Lut, const T3DLut& Back, const std::string& File, TNear Near) {
  FUZZ_CHECK(Back.Size == Lut.Size && Back.Name == File);
  const float* In[3] = {Lut.R, Lut.G, Lut.B};
  const float* Out[3] = {Back.R, Back.G, Back.B};
  for (int c = 0; c < 3; ++c)
    for (int32_t k = 0; k < Lut.Count; ++k) FUZZ_CHECK(Near(In[c][k], Out[c][k]));
}

inline void CheckShape(const T1DLut& L) {
  if (L.R == nullptr) {
    FUZZ_CHECK(L.G == nullptr && L.B == nullptr && L.A == nullptr);
    FUZZ_CHECK(L.Size == 0 && L.Count == 0);
    return;
  }
  FUZZ_CHECK(L.G != nullptr && L.B != nullptr && L.A != nullptr);
  FUZZ_CHECK(L.Size >= Min1DLutEntries && L.Size <= Max1DLutEntries && L.Count == L.Size);
}

}  // namespace kromel::fuzz
