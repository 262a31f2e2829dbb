// TLUTProcessingUnit: the base of every adjustment unit. A unit is a section
// whose children are its parameters; the preset calculator calls the one
// operation its stage needs, and the base bodies only complain.
//
// LUT arguments may be null where a caller has none (a unit reports what it
// cannot work without). Src and Dst may be the same LUT.
#pragma once
#include <cstdint>
#include <string>

#include "colour/lut_color_space.h"
#include "lut/lut.h"
#include "params/parameters.h"

namespace kromel {

// Which operation a unit answers (the calculator does not consult it).
enum TLUTProcessType : uint8_t {
  ptProcess = 0,
  ptProcess1i = 1,
  ptProcess2i = 2,
  ptProcessCombine = 3,
};

class TLUTProcessingUnit : public TSectionPreset {
public:
  TLUTProcessingUnit(TParameterList* List, const std::string& SectionName);

  uint8_t ProcessType = ptProcess;

  // One in, one out.
  virtual void Process(T3DLut* Src, T3DLut* Dst, const TColorModelPreferences& Settings);
  // One in, an intermediate and a final out.
  virtual void Process1i(T3DLut* Src, T3DLut* Dst1, T3DLut* Dst2,
                         const TColorModelPreferences& Settings);
  // One in, one out; Src2 and Src3 (optional) receive intermediate results.
  virtual void Process2i(T3DLut* Src, T3DLut* Src2, T3DLut* Src3, T3DLut* Dst,
                         const TColorModelPreferences& Settings);
  // A processed LUT combined with an unprocessed one (null Dry: identity).
  virtual void ProcessCombine(T3DLut* Wet, T3DLut* Dry, T3DLut* Dst,
                              const TColorModelPreferences& Settings);
  // Builds the mask LUTs; the unit may replace the three objects the caller
  // holds.
  virtual void ProcessMask(T3DLut*& MaskSource, T3DLut*& MaskKey, T3DLut*& Mask, T3DLut* Src,
                           T3DLut* Dst, const TColorModelPreferences& Settings);

protected:
  // False, reporting "Error in " + Where + ": LUT=nil", when a LUT is missing.
  static bool LutsGiven(const T3DLut* Src, const T3DLut* Dst, const char* Where);
  // A Single or Integer parameter created in Children (owned by the section)
  // with the range of its control: a Single is a bar's normalised 0..1, a
  // switch 0..1, a selector 0..Max.
  TControlledParameterSingle* AddSingle(const std::string& Name, float Default);
  TControlledParameterInteger* AddInteger(const std::string& Name, int32_t Value, int32_t Min,
                                          int32_t Max);
  TControlledParameterInteger* AddSwitch(const std::string& Name, int32_t Value) {
    return AddInteger(Name, Value, 0, 1);
  }
};

}  // namespace kromel
