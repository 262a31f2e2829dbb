#include "engine/effect_chain.h"

#include "engine/basic_adjustments.h"
#include "engine/log_decoder.h"
#include "engine/log_encoder.h"
#include "foundation/messages.h"

namespace kromel {

namespace {

void ShiftLinksForInsert(int32_t& Link, int32_t Position) {
  if (Link >= Position) ++Link;
}

void ShiftLinksForDelete(int32_t& Link, int32_t Index) {
  if (Link == Index)
    Link = -1;
  else if (Link > Index)
    --Link;
}

}  // namespace

TLUTProcessingUnit* CreateLUTEffect(int32_t EffectType, TParameterList*) {
  switch (EffectType) {
    case 0: return new TBasicAdjustments(nullptr);
    case 1: return new TLogDecoderAdjustments(nullptr);
    case 2: return new TLogEncoderAdjustments(nullptr);
    default:
      DebugShowMessage("Error in CreateLUTEffect, et=" + std::to_string(EffectType));
      return nullptr;
  }
}

TLUTEffectChain::TLUTEffectChain(TParameterList* List, const std::string& SectionName)
    : TSectionPreset(List, SectionName) {}

bool TLUTEffectChain::InsertEffect(TLUTProcessingUnit* Unit, int32_t Position) {
  if (Unit == nullptr || Position < 0) {
    DebugShowMessage("TLUTEffectChain.InsertEffect invalid position");
    return false;
  }
  const int32_t Count = static_cast<int32_t>(Blocks.size());
  if (Position > Count) Position = Count;
  Children.InsertParameter(Position, Unit);
  Blocks.insert(Blocks.begin() + Position, TLUTEffectBlock{});
  for (TLUTEffectBlock& Block : Blocks) {
    ShiftLinksForInsert(Block.Link1, Position);
    ShiftLinksForInsert(Block.Link2, Position);
    ShiftLinksForInsert(Block.Link3, Position);
  }
  return true;
}

TLUTProcessingUnit* TLUTEffectChain::AddEffect(int32_t EffectType, int32_t Position) {
  if (Position < 0) {
    DebugShowMessage("TLUTEffectChain.InsertEffect invalid position");
    return nullptr;
  }
  TLUTProcessingUnit* Unit = CreateLUTEffect(EffectType, &Children);
  if (Unit == nullptr) return nullptr;
  InsertEffect(Unit, Position);
  return Unit;
}

void TLUTEffectChain::DeleteEffect(int32_t Index) {
  if (Index < 0 || Index >= static_cast<int32_t>(Blocks.size())) {
    DebugShowMessage("TLUTEffectChain.DeleteEffect invalid index");
    return;
  }
  TControlledParameter* Child = Children.Get(Index);
  if (Child != nullptr) {
    Children.UnregisterParameter(Child);
    if (Child->Owner == &Children) Child->Owner = nullptr;
    delete Child;
  }
  Blocks.erase(Blocks.begin() + Index);
  for (TLUTEffectBlock& Block : Blocks) {
    ShiftLinksForDelete(Block.Link1, Index);
    ShiftLinksForDelete(Block.Link2, Index);
    ShiftLinksForDelete(Block.Link3, Index);
  }
}

TLUTProcessingUnit* TLUTEffectChain::GetEffect(int32_t Index) const {
  return dynamic_cast<TLUTProcessingUnit*>(Children.Get(Index));
}

}  // namespace kromel
