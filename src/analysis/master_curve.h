// One master curve out of three channel curves, and the master folded back
// into them.
#pragma once
#include "params/envelope_dots.h"

namespace kromel {

// Master becomes the average of R, G and B. IntoChannels: each channel becomes
// itself after the inverse master, so master then channel gives the old
// channel; otherwise each channel's outputs pass through the inverse master.
// Reports "Exception in ExtractMasterCurveFromRGB" on failure.
void ExtractMasterCurveFromRGB(TEnvelopeDots& R, TEnvelopeDots& G, TEnvelopeDots& B,
                               TEnvelopeDots& Master, bool IntoChannels);

// Folds Master into each channel (MasterAfter: the master acts after the
// channel, else before it), leaving the channels' combined effect.
void FoldMasterCurveIntoRGB(TEnvelopeDots& R, TEnvelopeDots& G, TEnvelopeDots& B,
                            const TEnvelopeDots& Master, bool MasterAfter);

// True when the curve is the diagonal within one curve unit everywhere.
bool CurveIsIdentity(const TEnvelopeDots& Curve);

}  // namespace kromel
