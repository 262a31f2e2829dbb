// The hidden "Discrete Colors" page: up to five source colours mapped onto
// five target colours, evaluated over the nodes of a LUT, and its mask
// preview, which renders the working image through the harmony of one pair
// into an image of its own. Neither takes part in the processing chain.
#pragma once
#include <array>
#include <cstdint>

#include "images/image32.h"
#include "platform/raw_bitmap.h"

namespace kromel {

class T3DLut;
class TKromelSession;

struct THarmonyPair {
  TColor Source = 0;  // brush colours, red in the lowest byte
  TColor Target = 0;
  bool TargetVisible = true;  // a pair takes part only while it is
  int32_t Priority = 0;       // -100..100: chroma weight or radius
  int32_t Variation = 0;      // -100..100: how much own deviation survives
  int32_t LumRange = 0;       // 0..100: lightness range
};

struct THarmonySettings {
  std::array<THarmonyPair, 5> Pairs;
  bool Total = false;          // "Total" mode, else "Selective"
  int32_t VariationLimit = 50; // 0..100
  int32_t Luminosity = 0;      // 0..255: how far the target's lightness replaces the source's
  int32_t SmoothItem = 2;      // "No smoothing", x1, x5, x10, x25
};

// The blending curve of Selective mode: 0 outside -1..1, at most 1.
float HarmonyWeight(float X);

// Fills Lut's nodes (its size is kept) with the harmony of Settings.
// Index >= 0: the preview of that pair only (Total: other pairs' nodes
// black; Selective: each node's own colour scaled by the pair's weight); no smoothing then.
// False when Lut holds no planes.
bool CalcLutHarmony(const THarmonySettings& Settings, int32_t Index, T3DLut& Lut);

// The mask preview of pair Index: the session's source image through the
// harmony of that pair, at the session's LUT size, into Out (sized to the
// source). The main LUT and the stage LUTs stay as they are. False when
// there is no source image.
bool HarmonyMaskPreview(const TKromelSession& Session, const THarmonySettings& Settings, int32_t Index,
                        TImage32& Out);

}  // namespace kromel
