// Chart matching: a 3D LUT that maps the source colours of colour pairs onto
// their targets through a tetrahedral body, the clean-up and ordering of the
// pairs, and the black/white compensation of a chart photograph.
#pragma once
#include <cstdint>

#include "images/image128.h"
#include "images/image64.h"
#include "lut/lut.h"
#include "matching/colour_chart.h"
#include "matching/colour_pairs.h"
#include "matching/tetrahedralization.h"
#include "params/dot_grid.h"

namespace kromel {

enum class TProfileLUTResult {
  Done,          // the LUT maps the pairs
  NoSourceData,  // every source colour is black; LUT = identity
  BuildFailed,   // the body could not be built or filled (also when memory
                 // ran out); LUT = identity
};

// SortOrder: 1..7 the strategy rows (saturation, luminance, minimum,
// maximum, saturation + luminance, maximum + 0.3 saturation, luminance + 0.3
// saturation); any other value the default neutral-axis order. Src and Dst
// change in place (duplicates averaged, anchors appended, pairs whose
// sources coincide merged, with a warning when their targets differ);
// Flags do not. Every patch maps onto its target and the identity pairs give
// the identity; beyond the pairs' hull the map runs to the pairs' 3 x 3
// least-squares matrix at a box just around the unit cube. Smoothing
// keeps affine maps. The viewer switches are accepted and ignored here.
TProfileLUTResult CreateProfileLUT(T3DLut& LUT, TImage128& Src, TImage128& Dst,
                                   const TBooleanArray& Flags, bool ShowViewer, bool Report,
                                   float Tolerance, float LowSaturationFraction,
                                   bool NoExtrapolation, bool ShowSteps, int32_t SortOrder,
                                   const TProgressCallback& Progress, bool Smooth);

// Orders the pairs held by T by SortOrder as CreateProfileLUT does, moving
// T's neutral flags along. False when a strategy refused.
bool OrderPairsForTetrahedralization(TTetrahedralization& T, int32_t SortOrder);

// First i < j (usable targets) whose sources are within 0.0035 city-block
// while their targets differ by more than 0.021; -1, -1 when none.
bool FindCloseSourceColors(const TImage128& Src, const TImage128& Dst, int32_t& I1,
                           int32_t& I2);
void ColorPairsAverageDuplicates(TImage128& Src, TImage128& Dst, const TBooleanArray& Flags);
bool ColorPairsDiffer(const TBGRAPixel128& Src1, const TBGRAPixel128& Src2, float Threshold,
                      float RelThreshold);

// Ascending by a key of B's colours, stable; Flags (when given and long
// enough) move with their pairs. False and nothing changed when counts differ.
bool SortImage128PairsBySaturation(TImage128& A, TImage128& B, TBooleanArray* Flags = nullptr);
bool SortImage128PairsByLuminance(TImage128& A, TImage128& B, TBooleanArray* Flags = nullptr);
bool SortImage128PairsByMaximum(TImage128& A, TImage128& B, float Weight,
                                TBooleanArray* Flags = nullptr);
bool SortImage128PairsBySatLum(TImage128& A, TImage128& B, float Weight,
                               TBooleanArray* Flags = nullptr);
// Valid pairs rebuilt from dark to light along the neutral axis, invalid
// ones dropped; Flags is cut to the new pair count.
bool SortImage128PairsForTetrahedralization(TImage128& A, TImage128& B, TBooleanArray& Flags);

// Moves each patch's local black and white onto the chart-wide averages.
void ColorChartApplyCompensationToImage(TImage64& Image, const TImage128& Spare,
                                        const TColorChartTable& Chart,
                                        const T2DEnvelopeDots& Grid);

}  // namespace kromel
