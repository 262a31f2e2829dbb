#include "engine/mask_slot.h"

#include "engine/mask_unit.h"

namespace kromel {

TLUTProcessingUnit* CreateMaskUnit(TParameterList* List) { return new TMaskAdjustments(List); }

bool IsMaskStandIn(const TLUTProcessingUnit* Unit) {
  return dynamic_cast<const TMaskAdjustments*>(Unit) == nullptr;
}

}  // namespace kromel
