// The volume plane: RGB weight triples as points of a flat colour plane (red
// at the top, green lower left, blue lower right, neutral in the centre) with
// the gain 1.1^E apart; the channel mixer's three grid dots; the painted
// plane; the luma blend of the 2D-curve grid.
//
// Circular False warps the unit disc onto the hexagon of the primaries and
// secondaries; True leaves it round. Mixer dots are row 0, columns 0..2 of a
// grid: X and Y in thousandths of a plane unit, Z = nearest(25 E).
#pragma once
#include "colour/channel_mixer.h"

namespace kromel {

class T2DEnvelopeDots;
class TRawBitmap;

void VolumeXYToRGB(float& R, float& G, float& B, bool Circular, bool Normalize, bool Compensate,
                   float X, float Y, float E);
void VolumeXYToRGBDouble(double& R, double& G, double& B, bool Circular, bool Normalize,
                         bool Compensate, float X, float Y, float E);
// The way back (with Normalize and without Compensate) for weight sums of at
// least 0.00001. The two middle flags are not used.
void RGBToVolumeXY(float& X, float& Y, float& E, bool Circular, bool Unused1, bool Unused2,
                   float R, float G, float B);

// Places the three mixer dots from the matrix's rows (or, with Columns, its
// balanced columns and the row gains), then fires the grid's change.
void ChannelMixerToGridBox(const TChannelMixerParams& P, T2DEnvelopeDots* Grid, bool Circular,
                           bool Columns);
// The matrix from the three dots; offsets untouched. A missing grid or one
// without the three dots is reported and leaves P as it was.
void GridBoxToChannelMixer(T2DEnvelopeDots* Grid, TChannelMixerParams& P, bool Exponent,
                           bool Circular, bool Columns);

// Paints the plane into the bitmap at its current size.
void DrawVolumePlaneBackground(TRawBitmap& Bitmap, bool Circular);

// Moves every dot's X + Y towards its rest position's sum, keeping X:Y, then
// clamps the dots into the ranges. Grids under 2 x 2 are left alone.
void Curves2DBlendLuma(T2DEnvelopeDots& Grid, float Amount);

}  // namespace kromel
