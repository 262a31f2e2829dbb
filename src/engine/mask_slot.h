// The Mask section of the preset document: the mask unit, created through
// this one routine so the preset keeps its fixed order.
#pragma once
#include "engine/processing_unit.h"

namespace kromel {

// A new Mask section registered in List (owned by the section holding List).
TLUTProcessingUnit* CreateMaskUnit(TParameterList* List);
// True when the Mask section is not the mask unit.
bool IsMaskStandIn(const TLUTProcessingUnit* Unit);

}  // namespace kromel
