// The file dispatcher: opens any supported file by its extension through
// the session's and the presets' loaders. Loaders that belong to other
// windows or panels (external LUT, colour chart, batch preset, swatches)
// are handed in by whoever owns them; without one the file is refused with
// a clear message.
#pragma once
#include <functional>
#include <string>

#include "session/session_core.h"
#include "session/session_presets.h"

namespace kromel {

enum class TLoadOutcome { Ignored, Loaded, Failed, Unsupported };

struct TFileLoaders {
  std::function<bool(const std::string&)> ExternalLut;
  std::function<bool(const std::string&)> ColorChart;
  std::function<bool(const std::string&)> BatchPreset;
  std::function<bool(const std::string&)> Swatches;
};

class TSessionFiles {
 public:
  TSessionFiles(TKromelSession& Session, TSessionPresets& Presets)
      : Session(Session), Presets(Presets) {}

  TKromelSession& Session;
  TSessionPresets& Presets;
  TFileLoaders Loaders;

  // Opens FileName by its extension (the table of FileActionFor); with
  // ResolveLast "*LAST*.ACO/.LUX/.LUC/.CUBE" name the newest recent file.
  TLoadOutcome LoadAnyFile(const std::string& FileName, bool WarnExisting, bool ResolveLast);

 private:
  TLoadOutcome Through(const std::function<bool(const std::string&)>& Loader,
                       const std::string& FileName, const char* What);
  // Curves read by Read into the curves unit; Switch: the switch of
  // CurvesMRGBRadioGroup to turn on (the curves page too), none when < 0.
  TLoadOutcome LoadCurves(int32_t Switch, const std::string& Step,
                          const std::function<bool(TRGBCurvesAdjustments&)>& Read);
};

}  // namespace kromel
