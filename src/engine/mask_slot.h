// The Mask section of the preset document. Until the mask unit exists a
// plain unit named "Mask" with no parameters holds its place, so the preset
// keeps its fixed order and writes "<tab section="Mask">" and "</tab>".
//
// To put the real unit in: make CreateMaskUnit return the mask unit created
// in List (e.g. "return new TMaskAdjustments(List);") and give
// TKromelPreset a typed accessor for it. Nothing else changes: the preset
// creates the Mask section through this one routine. The stand-in answers
// ProcessMask with the base report, so the calculator must not call it until
// then (IsMaskStandIn tells).
#pragma once
#include "engine/processing_unit.h"

namespace kromel {

// A new Mask section registered in List (owned by the section holding List).
TLUTProcessingUnit* CreateMaskUnit(TParameterList* List);
// True while the Mask section is the parameterless stand-in.
bool IsMaskStandIn(const TLUTProcessingUnit* Unit);

}  // namespace kromel
