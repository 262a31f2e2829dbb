// A copy of a preset's state for a calculation on another thread: every
// parameter value, curve and grid, and the data the units hold besides
// their parameters (the external LUT, the mask's 3D LUT and picked ranges,
// the custom log curve, the output maxima). The copy fires no change event.
#pragma once

namespace kromel {

class TKromelPreset;
class T2DEnvelopeDots;

// To takes From's state. Both are TKromelPreset objects, so their sections
// match child for child; a mismatch (a chain of another shape) is reported
// and gives false with To partly copied. When FromGrid is one of From's
// grids, *ToGrid receives the matching grid of To (null otherwise).
bool CopyPresetState(const TKromelPreset& From, TKromelPreset& To,
                     const T2DEnvelopeDots* FromGrid = nullptr,
                     const T2DEnvelopeDots** ToGrid = nullptr);

}  // namespace kromel
