#include "engine/mask_slot.h"

namespace kromel {

namespace {

class TMaskStandIn final : public TLUTProcessingUnit {
public:
  explicit TMaskStandIn(TParameterList* List) : TLUTProcessingUnit(List, "Mask") {}
};

}  // namespace

TLUTProcessingUnit* CreateMaskUnit(TParameterList* List) { return new TMaskStandIn(List); }

bool IsMaskStandIn(const TLUTProcessingUnit* Unit) {
  return dynamic_cast<const TMaskStandIn*>(Unit) != nullptr;
}

}  // namespace kromel
