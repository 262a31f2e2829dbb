#include "engine/processing_unit.h"

#include "foundation/messages.h"

namespace kromel {

TLUTProcessingUnit::TLUTProcessingUnit(TParameterList* List, const std::string& SectionName)
    : TSectionPreset(List, SectionName) {}

void TLUTProcessingUnit::Process(T3DLut*, T3DLut*, const TColorModelPreferences&) {
  DebugShowMessage("Virtual ProcessingUnit.Process call");
}

void TLUTProcessingUnit::Process1i(T3DLut*, T3DLut*, T3DLut*, const TColorModelPreferences&) {
  DebugShowMessage("Virtual ProcessingUnit.Process1i call");
}

void TLUTProcessingUnit::Process2i(T3DLut*, T3DLut*, T3DLut*, T3DLut*,
                                   const TColorModelPreferences&) {
  DebugShowMessage("Virtual ProcessingUnit.Process2i call");
}

void TLUTProcessingUnit::ProcessCombine(T3DLut*, T3DLut*, T3DLut*,
                                        const TColorModelPreferences&) {
  DebugShowMessage("Virtual ProcessingUnit.ProcessCombine call");
}

void TLUTProcessingUnit::ProcessMask(T3DLut*&, T3DLut*&, T3DLut*&, T3DLut*, T3DLut*,
                                     const TColorModelPreferences&) {
  DebugShowMessage("Virtual ProcessingUnit.ProcessMask call");
}

bool TLUTProcessingUnit::LutsGiven(const T3DLut* Src, const T3DLut* Dst, const char* Where) {
  if (Src != nullptr && Dst != nullptr) return true;
  DebugShowMessage(std::string("Error in ") + Where + ": LUT=nil");
  return false;
}

TControlledParameterSingle* TLUTProcessingUnit::AddSingle(const std::string& Name,
                                                          float Default) {
  auto* P = new TControlledParameterSingle(&Children, Name, Default);
  P->SetRange(0, 1);
  return P;
}

TControlledParameterInteger* TLUTProcessingUnit::AddInteger(const std::string& Name,
                                                            int32_t Value, int32_t Min,
                                                            int32_t Max) {
  auto* P = new TControlledParameterInteger(&Children, Name, Value);
  P->SetRange(Min, Max);
  return P;
}

}  // namespace kromel
