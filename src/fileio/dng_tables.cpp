#include "fileio/dng_tables.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "colour/acr3_tone_curve.h"
#include "colour/hsv_hsl.h"
#include "colour/log_gamma.h"
#include "foundation/error_sink.h"
#include "foundation/number_format.h"
#include "foundation/numeric.h"

namespace kromel {

namespace {

TDNGHSV Mean(const TDNGHSV& A, const TDNGHSV& B) {
  return {(A.HueShift + B.HueShift) / 2, (A.SatScale + B.SatScale) / 2,
          (A.ValScale + B.ValScale) / 2};
}

}  // namespace

// --- TDNGHSVTable ---

int64_t TDNGHSVTable::FullCount() const {
  if (HueDivisions <= 0 || SatDivisions <= 0 || ValDivisions <= 0) return 0;
  return int64_t(HueDivisions) * SatDivisions * ValDivisions;
}

void TDNGHSVTable::AddEntry(float HueShift, float SatScale, float ValScale) {
  Entries.push_back({HueShift, SatScale, ValScale});
}

void TDNGHSVTable::SetEntry(int64_t Index, float HueShift, float SatScale, float ValScale) {
  if (Index >= 0 && Index < GetCount()) Entries[static_cast<std::size_t>(Index)] = {HueShift, SatScale, ValScale};
}

TDNGHSV TDNGHSVTable::GetEntry(int64_t Index) const {
  if (Index >= 0 && Index < GetCount()) return Entries[static_cast<std::size_t>(Index)];
  return {};
}

TDNGHSV& TDNGHSVTable::GetEntryPtr(int32_t h, int32_t s, int32_t v) {
  h = h < 0 ? 0 : (h >= HueDivisions ? HueDivisions - 1 : h);
  s = s < 0 ? 0 : (s >= SatDivisions ? SatDivisions - 1 : s);
  v = v < 0 ? 0 : (v >= ValDivisions ? ValDivisions - 1 : v);
  return Entries[static_cast<std::size_t>(s + int64_t(SatDivisions) * (h + int64_t(HueDivisions) * v))];
}

const TDNGHSV& TDNGHSVTable::GetEntryPtr(int32_t h, int32_t s, int32_t v) const {
  return const_cast<TDNGHSVTable*>(this)->GetEntryPtr(h, s, v);
}

void TDNGHSVTable::SetIdentity() { Entries.assign(static_cast<std::size_t>(FullCount()), TDNGHSV{}); }

void TDNGHSVTable::ApplyToHSV(float& Hue, float& Sat, float& Val) const {
  if (!IsFull()) return;
  InterpolateHSVCorrection(Hue, Sat, Val, HueDivisions, SatDivisions, ValDivisions,
                           [this](int32_t h, int32_t s, int32_t v) -> const TDNGHSV& { return GetEntryPtr(h, s, v); });
}

void TDNGHSVTable::ApplyToRGB(float& R, float& G, float& B, int32_t Encoding) const {
  float H = 0, S = 0, V = 0;
  RGBtoHSV(H, S, V, R, G, B);
  if (Encoding > 0) V = LinearToGammaSRGB(V);
  ApplyToHSV(H, S, V);
  if (Encoding > 0) V = GammaSRGBToLinear(V);
  HSVtoRGB(R, G, B, H, S, V);
}

void TDNGHSVTable::UpsampleHue2X() {
  try {
    if (!IsFull()) {
      ErrorMessageProc("UpsampleHue2X error - sizes mismatch");
      return;
    }
    const TDNGHSVTable Old = *this;
    HueDivisions = 2 * Old.HueDivisions;
    SetIdentity();
    for (int32_t v = 0; v < ValDivisions; ++v)
      for (int32_t k = 0; k < Old.HueDivisions; ++k)
        for (int32_t s = 0; s < SatDivisions; ++s) {
          GetEntryPtr(2 * k, s, v) = Old.GetEntryPtr(k, s, v);
          GetEntryPtr(2 * k + 1, s, v) =
              Mean(Old.GetEntryPtr(k, s, v), Old.GetEntryPtr((k + 1) % Old.HueDivisions, s, v));
        }
  } catch (...) {
    ErrorMessageProc("Exception in TDNGHSVTable.UpsampleHue2X");
  }
}

void TDNGHSVTable::UpsampleVal2X() {
  try {
    if (!IsFull()) {
      ErrorMessageProc("UpsampleVal2X error - sizes mismatch");
      return;
    }
    const TDNGHSVTable Old = *this;
    ValDivisions = 2 * Old.ValDivisions - 1;
    SetIdentity();
    for (int32_t k = 0; k < Old.ValDivisions; ++k)
      for (int32_t h = 0; h < HueDivisions; ++h)
        for (int32_t s = 0; s < SatDivisions; ++s) {
          GetEntryPtr(h, s, 2 * k) = Old.GetEntryPtr(h, s, k);
          if (k + 1 < Old.ValDivisions)
            GetEntryPtr(h, s, 2 * k + 1) = Mean(Old.GetEntryPtr(h, s, k), Old.GetEntryPtr(h, s, k + 1));
        }
  } catch (...) {
    ErrorMessageProc("Exception in TDNGHSVTable.UpsampleVal2X");
  }
}

void TDNGHSVTable::UpsampleSat2X() {
  try {
    if (!IsFull()) {
      char Text[160];
      std::snprintf(Text, sizeof Text, "UpsampleSat2X error - sizes mismatch: HD=%d SD=%d VD=%d, Len=%lld",
                    HueDivisions, SatDivisions, ValDivisions, static_cast<long long>(GetCount()));
      ErrorMessageProc(Text);
      return;
    }
    const TDNGHSVTable Old = *this;
    SatDivisions = 2 * Old.SatDivisions - 1;
    SetIdentity();
    for (int32_t v = 0; v < ValDivisions; ++v)
      for (int32_t h = 0; h < HueDivisions; ++h)
        for (int32_t k = 0; k < Old.SatDivisions; ++k) {
          GetEntryPtr(h, 2 * k, v) = Old.GetEntryPtr(h, k, v);
          if (k + 1 < Old.SatDivisions)
            GetEntryPtr(h, 2 * k + 1, v) =
                k == 0 ? Old.GetEntryPtr(h, 1, v) : Mean(Old.GetEntryPtr(h, k, v), Old.GetEntryPtr(h, k + 1, v));
        }
  } catch (...) {
    ErrorMessageProc("Exception in TDNGHSVTable.UpsampleSat2X");
  }
}

bool TDNGHSVTable::CheckHueDiscontinuity() const {
  try {
    if (!IsFull()) return false;
    const int32_t H = HueDivisions, S = SatDivisions, V = ValDivisions;
    bool Reported = false;
    for (int32_t h = 0; h < H && !Reported; ++h)
      for (int32_t s = 0; s < S && !Reported; ++s)
        for (int32_t v = 0; v < V && !Reported; ++v) {
          const float Ampl = GetEntryPtr(h, s, v).ValScale;
          if (Ampl > 7) {
            char Text[200];
            std::snprintf(Text, sizeof Text,
                          "TDNGHSVTable Brightness over amplification found at H=%d/%d, S=%d, V=%d/%d, VAmpl=%lld",
                          h, H, s, v, V, static_cast<long long>(RoundToInt64Saturated(Ampl)));
            ErrorMessageProc(Text);
            Reported = true;
          }
        }
    for (int32_t h = 0; h < H; ++h)
      for (int32_t s = 0; s < S; ++s)
        for (int32_t v = 0; v < V; ++v)
          if (std::fabs(GetEntryPtr(h, s, v).HueShift - GetEntryPtr((h + 1) % H, s, v).HueShift) > 170)
            return true;
    return false;
  } catch (...) {
    ErrorMessageProc("Exception in TDNGHSVTable.CheckHueDiscontinuity");
    return false;
  }
}

void TDNGHSVTable::Dump() const {
  std::printf("H         |S         |V\n");
  for (const TDNGHSV& E : Entries)
    if (E.HueShift != 0 || E.SatScale != 0 || E.ValScale != 0)
      std::printf("%s  |%s  |%s\n", FloatToStrD8(E.HueShift).c_str(), FloatToStrD8(E.SatScale).c_str(),
                  FloatToStrD8(E.ValScale).c_str());
  std::printf("\n");
}

// --- TDNGHVTable ---

void TDNGHVTable::Clear() {
  for (TDNGHV& P : Points) P = {};
}

void TDNGHVTable::SetPoint(int32_t Index, float X, float Y) {
  if (Index >= 0 && Index < GetCount()) Points[static_cast<std::size_t>(Index)] = {X, Y};
}

TDNGHV TDNGHVTable::GetPoint(int32_t Index) const {
  if (Index >= 0 && Index < GetCount()) return Points[static_cast<std::size_t>(Index)];
  return {};
}

namespace {

// Piecewise-linear evaluation over the points' In field giving Out.
template <float TDNGHV::*In, float TDNGHV::*Out>
float EvaluatePoints(const std::vector<TDNGHV>& P, float X) {
  if (P.empty()) return 1;
  if (X < P[0].*In && P[0].*In > 0) return P[0].*Out * X / (P[0].*In);
  for (std::size_t i = 0; i + 1 < P.size(); ++i) {
    const float D = P[i + 1].*In - P[i].*In;
    if (P[i].*In <= X && X <= P[i + 1].*In && D > 0)
      return P[i].*Out + (X - P[i].*In) / D * (P[i + 1].*Out - P[i].*Out);
  }
  return 1;
}

}  // namespace

float TDNGHVTable::Evaluate(float X) const { return EvaluatePoints<&TDNGHV::X, &TDNGHV::Y>(Points, X); }

float TDNGHVTable::EvaluateInverse(float Y) const { return EvaluatePoints<&TDNGHV::Y, &TDNGHV::X>(Points, Y); }

void TDNGHVTable::SetIdentity() {
  const int32_t N = GetCount();
  for (int32_t i = 0; i < N; ++i) {
    const float X = N > 1 ? float(i) / float(N - 1) : 0.0f;
    Points[static_cast<std::size_t>(i)] = {X, X};
  }
}

void TDNGHVTable::SetACR3Curve() {
  const int32_t N = GetCount();
  for (int32_t i = 0; i < N; ++i) {
    const float X = N > 1 ? float(i) / float(N - 1) : 0.0f;
    Points[static_cast<std::size_t>(i)] = {X, dng_tone_curve_acr3_calc(X)};
  }
}

// --- Base 85 ---

const char Adobe85Alphabet[86] =
    "!#$%'()*+-./0123456789:=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]^`abcdefghijklmnopqrstuvwxyz{|}";

void DecodeAdobe85(ByteArray& Output, const std::string& Text) {
  int8_t Digit[256];
  std::memset(Digit, -1, sizeof Digit);
  for (int i = 0; i < 85; ++i) Digit[static_cast<uint8_t>(Adobe85Alphabet[i])] = static_cast<int8_t>(i);
  Output.assign(Text.size() * 4 / 5, 0);
  for (std::size_t g = 0; g + 5 <= Text.size(); g += 5) {
    uint32_t Value = 0;
    for (std::size_t k = 0; k < 5; ++k) {
      const char C = Text[g + k];
      const int D = Digit[static_cast<uint8_t>(C)];
      if (D < 0) {
        std::string Msg = "Error in DecodeAdobe85 at index " + std::to_string(g + k) + " char: ";
        if (k < 3)
          Msg += C;
        else
          Msg += "\"" + std::string(1, C) + "\" (code " + std::to_string(static_cast<uint8_t>(C)) + ")";
        ErrorMessageProc(Msg);
        return;
      }
      Value = Value * 85 + static_cast<uint32_t>(D);
    }
    const std::size_t o = g / 5 * 4;
    for (int b = 0; b < 4; ++b) Output[o + b] = static_cast<uint8_t>(Value >> (8 * b));
  }
}

}  // namespace kromel
