#include "engine/log_decoder.h"

#include <exception>

#include "engine/lut_procedures.h"
#include "foundation/messages.h"

namespace kromel {

TLogDecoderAdjustments::TLogDecoderAdjustments(TParameterList* List)
    : TLUTProcessingUnit(List, "LogDecoder"),
      InputLog(AddInteger("InputLog", LogIndexOff, 0, LogIndexCustom)),
      MaxColor(AddInteger("MaxColor", 0, 0, 0xFFFFFF)),
      CustomLog(std::make_unique<T1DLut>()) {
  CustomLog->Name = "Custom Log";
}

void TLogDecoderAdjustments::Process(T3DLut* Src, T3DLut* Dst,
                                     const TColorModelPreferences& Settings) {
  if (!LutsGiven(Src, Dst, "TLogDecoderAdjustments.Process")) return;
  if (!CopyLutIfOther(*Src, *Dst)) return;
  const int32_t Log = InputLog->Value;
  if (Log != LogIndexOff) {
    LutLogToLinear(*Dst, *Dst, Log, CustomLog.get());
    Dst->DisplayReferred = false;
  } else {
    LutLinearToGamma(*Dst, *Dst, Settings.Profile, 2.4f);
  }
  Dst->ColorSpace = lcsLinearRGB;
  try {
    const uint32_t C = static_cast<uint32_t>(MaxColor->Value);
    SetChannelMaxima(*Dst, static_cast<float>(C & 0xFF) / 255,
                     static_cast<float>((C >> 8) & 0xFF) / 255,
                     static_cast<float>((C >> 16) & 0xFF) / 255, Log, CustomLog.get());
  } catch (const std::exception&) {
    DebugShowMessage("Exception in ProcessBasic 1");
  }
}

void TLogDecoderAdjustments::DecodeColor(TBGRAPixel128& Result,
                                         const TBGRAPixel128& Color) const {
  Result = Color;
  LogToLinear(Result.R, Result.G, Result.B, InputLog->Value, CustomLog.get());
}

}  // namespace kromel
