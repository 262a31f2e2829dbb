// TLogEncoderAdjustments: encodes the first stage's result into an output
// log curve; the result is display-referred gamma RGB again.
#pragma once
#include "engine/processing_unit.h"

namespace kromel {

class TLogEncoderAdjustments : public TLUTProcessingUnit {
public:
  explicit TLogEncoderAdjustments(TParameterList* List);

  TControlledParameterInteger* OutputLog;  // a TLogProfile value
  // The output channel maxima before decoding; (1, 1, 1) means unlimited.
  float OutputMaxR = 1;
  float OutputMaxG = 1;
  float OutputMaxB = 1;

  void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings) override;
};

}  // namespace kromel
