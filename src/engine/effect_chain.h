// TLUTEffectChain: a section holding processing units at chosen positions,
// with three links per unit to other units of the chain (-1: none) that
// follow insertions and deletions.
#pragma once
#include <cstdint>
#include <vector>

#include "engine/processing_unit.h"

namespace kromel {

struct TLUTEffectBlock {
  int32_t Link1 = -1;
  int32_t Link2 = -1;
  int32_t Link3 = -1;
};
using TLUTEffectBlocksArray = std::vector<TLUTEffectBlock>;

// A new unit by type code (0 Basic, 1 log decoder, 2 log encoder), not
// registered anywhere (List is not used). Any other code is reported
// ("Error in CreateLUTEffect, et=" + code) and gives null.
TLUTProcessingUnit* CreateLUTEffect(int32_t EffectType, TParameterList* List);

class TLUTEffectChain : public TSectionPreset {
public:
  explicit TLUTEffectChain(TParameterList* List, const std::string& SectionName = "EffectChain");

  // One entry per child, in child order.
  TLUTEffectBlocksArray Blocks;

  // Takes ownership of Unit (created without a list) and inserts it at
  // Position (above the count: appended). A null unit or a negative
  // Position is reported and refused: false, the chain unchanged and Unit
  // still the caller's.
  bool InsertEffect(TLUTProcessingUnit* Unit, int32_t Position);
  // CreateLUTEffect then InsertEffect; the new unit, or null (reported) for
  // an unknown type or a negative Position, the chain unchanged.
  TLUTProcessingUnit* AddEffect(int32_t EffectType, int32_t Position);
  // Destroys the unit at Index and renumbers the links. An index outside
  // the chain is reported ("TLUTEffectChain.DeleteEffect invalid index")
  // and changes nothing.
  void DeleteEffect(int32_t Index);
  TLUTProcessingUnit* GetEffect(int32_t Index) const;
};

}  // namespace kromel
