// The value types of DNG camera profiles: hue/saturation/value tables
// (hue/sat maps and look tables), tone curves as (x, y) points, and Adobe's
// base-85 text encoding of binary data.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kromel {

struct TDNGHSV {
  float HueShift = 0;  // degrees
  float SatScale = 1;
  float ValScale = 1;
};

struct TDNGHV {
  float X = 0;
  float Y = 0;
};

using ByteArray = std::vector<uint8_t>;

// Entry (h, s, v) at index s + Sats (h + Hues v): saturation fastest, then
// hue, then value. Hue division h stands for h x 360 / Hues degrees.
class TDNGHSVTable {
 public:
  TDNGHSVTable(int32_t Hues, int32_t Sats, int32_t Vals)
      : HueDivisions(Hues), SatDivisions(Sats), ValDivisions(Vals) {}

  std::vector<TDNGHSV> Entries;
  int32_t TagCount = 0;
  int64_t TagOffset = 0;
  bool SkipSat0 = false;
  int32_t HueDivisions = 0;
  int32_t SatDivisions = 0;
  int32_t ValDivisions = 0;

  void Clear() { Entries.clear(); }
  int64_t GetCount() const { return static_cast<int64_t>(Entries.size()); }
  void SetTagCount(int32_t V) { TagCount = V; }
  void SetTagOffset(int64_t V) { TagOffset = V; }
  void SetSkipSat0(bool V) { SkipSat0 = V; }
  bool IsValid() const { return TagCount > 0 && TagOffset > 0; }
  // Hues x Sats x Vals, 0 for a negative division.
  int64_t FullCount() const;
  // True when the entries fill every division (and there is at least one).
  bool IsFull() const { return FullCount() > 0 && GetCount() == FullCount(); }
  void AddEntry(float HueShift, float SatScale, float ValScale);
  void SetEntry(int64_t Index, float HueShift, float SatScale, float ValScale);
  // The entry at Index; identity (0, 1, 1) outside the entries.
  TDNGHSV GetEntry(int64_t Index) const;
  // Entry (h, s, v), negative indices as 0, each limited to its division
  // count; only on a full table.
  TDNGHSV& GetEntryPtr(int32_t h, int32_t s, int32_t v);
  const TDNGHSV& GetEntryPtr(int32_t h, int32_t s, int32_t v) const;
  // Resizes to every division, each entry (0, 1, 1).
  void SetIdentity();
  // Trilinear lookup with the hue wrapping at 360: the shift added, sat and
  // val scaled. A table that is not full leaves the colour alone.
  void ApplyToHSV(float& Hue, float& Sat, float& Val) const;
  // Through HSV; Encoding > 0 applies the table to the sRGB-encoded value.
  void ApplyToRGB(float& R, float& G, float& B, int32_t Encoding) const;
  void UpsampleHue2X();
  void UpsampleVal2X();
  void UpsampleSat2X();
  // Reports the first value scale above 7; true when the hue shifts of two
  // neighbouring hue divisions differ by more than 170 degrees.
  bool CheckHueDiscontinuity() const;
  // The entries as text on standard output.
  void Dump() const;
};

// A tone curve of points in ascending x.
class TDNGHVTable {
 public:
  explicit TDNGHVTable(int32_t Count) : Points(Count > 0 ? static_cast<std::size_t>(Count) : 0) {}

  std::vector<TDNGHV> Points;
  int32_t TagCount = 0;
  int64_t TagOffset = 0;

  void Clear();
  int32_t GetCount() const { return static_cast<int32_t>(Points.size()); }
  void SetTagCount(int32_t V) { TagCount = V; }
  void SetTagOffset(int64_t V) { TagOffset = V; }
  bool IsValid() const { return TagCount > 0 && TagOffset > 0; }
  void AddPoint(float X, float Y) { Points.push_back({X, Y}); }
  void SetPoint(int32_t Index, float X, float Y);
  // The point at Index; (0, 0) outside.
  TDNGHV GetPoint(int32_t Index) const;
  // Linear from the origin below the first point, linear between points,
  // 1 where no segment holds X (also on a curve without points).
  float Evaluate(float X) const;
  float EvaluateInverse(float Y) const;
  // Point i = (i / (n - 1), i / (n - 1)); a single point is (0, 0).
  void SetIdentity();
  // Point i = (x, dng_tone_curve_acr3_calc(x)), x = i / (n - 1).
  void SetACR3Curve();
};

// Division index of a scaled coordinate: its integer part within 0..Max.
inline int32_t HSVLowIndex(float Scaled, int32_t Max) {
  if (!(Scaled > 0)) return 0;
  if (Scaled >= float(Max)) return Max;
  return static_cast<int32_t>(Scaled);
}

// The trilinear hue/sat/val correction over H x S x V divisions (all
// above 0), hue wrapping at 360; Entry(h, s, v) gives a division's
// correction. Non-finite colours are left alone.
template <class TLookup>
void InterpolateHSVCorrection(float& Hue, float& Sat, float& Val, int32_t H, int32_t S, int32_t V,
                              const TLookup& Entry) {
  if (H <= 0 || S <= 0 || V <= 0 || !(Hue == Hue && Sat == Sat && Val == Val)) return;
  if (Hue - Hue != 0 || Sat - Sat != 0 || Val - Val != 0) return;  // infinities
  if (Hue < 0) Hue += 360;
  float hs = H * Hue / 360;
  const float ss = (S - 1) * Sat;
  const float vs = (V - 1) * Val;
  int32_t hLo = HSVLowIndex(hs, H);
  if (hLo >= H) {
    hs -= H;
    hLo = 0;
    if (!(hs < 1)) hs = 0;  // hues beyond two turns are not wrapped further
  }
  const int32_t sLo = HSVLowIndex(ss, S - 1), vLo = HSVLowIndex(vs, V - 1);
  const int32_t hHi = (hLo + 1) % H;
  const int32_t sHi = sLo + 1 < S - 1 ? sLo + 1 : S - 1;
  const int32_t vHi = vLo + 1 < V - 1 ? vLo + 1 : V - 1;
  const float fh = hs - hLo, fs = ss - sLo, fv = vs - vLo;
  float Out[3] = {0, 0, 0};
  for (int c = 0; c < 8; ++c) {
    const bool bh = c & 1, bs = c & 2, bv = c & 4;
    const float W = (bh ? fh : 1 - fh) * (bs ? fs : 1 - fs) * (bv ? fv : 1 - fv);
    const TDNGHSV& E = Entry(bh ? hHi : hLo, bs ? sHi : sLo, bv ? vHi : vLo);
    Out[0] += W * E.HueShift;
    Out[1] += W * E.SatScale;
    Out[2] += W * E.ValScale;
  }
  Hue += Out[0];
  Sat *= Out[1];
  Val *= Out[2];
  if (Hue > 360) Hue -= 360;
}

// "!" .. "}" without the double quote, "&", ",", ";", "<", ">", "\" and "_".
extern const char Adobe85Alphabet[86];

// Output = (length x 4) / 5 bytes; every group of five characters gives
// one 32-bit value, least significant byte first. An invalid character is
// reported and ends the decoding (bytes not produced stay zero).
void DecodeAdobe85(ByteArray& Output, const std::string& Text);

}  // namespace kromel
