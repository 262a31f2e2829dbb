#include "engine/log_encoder.h"

#include <exception>

#include "engine/lut_procedures.h"
#include "foundation/messages.h"

namespace kromel {

TLogEncoderAdjustments::TLogEncoderAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "LogEncoder"),
      OutputLog(AddInteger("OutputLog", LogIndexOff, 0, LogIndexPQ)) {}

void TLogEncoderAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                     const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TLogEncoderAdjustments.Process")) return;
  const int32_t Log = OutputLog->Value;
  if (Log == LogIndexOff) {
    CopyLutIfOther(*Src, *Dst);
    return;
  }
  try {
    ProcessColorModelConversion(*Src, Dst, lcsLinearRGB, &Settings);
    SetChannelMaxima(*Dst, OutputMaxR, OutputMaxG, OutputMaxB, Log, nullptr);
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ProcessBasic 1");
  }
  ProcessGammaToLog(*Dst, *Dst, Log);
  Dst->ColorSpace = lcsProfileRGB;
  Dst->DisplayReferred = true;
}

}  // namespace kromel
