#include <memory>

#include "controls/binary_preset.h"
#include "fileio/curves_acv.h"
#include "fileio/file_extension.h"
#include "fileio/image_save.h"
#include "foundation/byte_codecs.h"
#include "foundation/debug_log.h"
#include "lut/lut_apply.h"
#include "lut/lut_file_3dl.h"
#include "lut/lut_file_cinespace.h"
#include "lut/lut_file_cube.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"

namespace kromel {

namespace {
constexpr const char* Creator = "Kromel Pro";

// The LUT's embedded preset as "#64BLOB" lines; empty without one.
std::vector<std::string> PresetLinesOf(const T3DLut& Lut) {
  if (!Lut.Preset) return {};
  return EncodeStreamToLines(*Lut.Preset);
}
}  // namespace

int32_t JpegQualityOfItem(int32_t Item) {
  static const int32_t Qualities[4] = {50, 75, 95, 100};
  return Item >= 0 && Item < 4 ? Qualities[Item] : 95;
}

bool TKromelSession::AttachPresetStream(T3DLut& Lut, bool WithEmbeddedPreset) {
  auto Stream = std::make_unique<TMemoryStream>();
  if (!SavePresetToStream(*Preset, Controls.Controllers, *Stream, WithEmbeddedPreset, ""))
    return false;
  Lut.Preset = std::move(Stream);
  return true;
}

bool TKromelSession::SaveLut(const std::string& FileName) {
  if (DebugLogEnabled()) DebugLogAdd("SaveTo3DLUT Click", 0);
  const std::string Ext = UpperFileExtension(FileName);
  SavingInProgress = true;
  bool Saved = false;
  if (Ext == ".ACV") {
    const TRGBCurvesAdjustments& C = *Preset->RGBCurves;
    Saved = SaveACVCurves(FileName, &C.Master->Curve, &C.Red->Curve, &C.Green->Curve,
                          &C.Blue->Curve);
  } else if (Ext == ".3DL" || Ext == ".CUBE" || Ext == ".CSP" || Ext == ".CMS") {
    const std::unique_ptr<T3DLUTWithStatistics> Lut = CompileLut(GetExportLutSize(), true);
    if (Lut) {
      const std::vector<std::string> PresetLines = PresetLinesOf(*Lut);
      const std::vector<std::string>* Lines = PresetLines.empty() ? nullptr : &PresetLines;
      if (Ext == ".3DL")
        Saved = SaveTo3DL(*Lut, FileName, Lines, Creator, "", "", true);
      else if (Ext == ".CUBE")
        Saved = Save3dLutCube(*Lut, FileName, Lines, Creator, "");
      else if (Ext == ".CSP")
        Saved = Save3DLutCinespace(*Lut, FileName);
      else
        Saved = SaveCubeWithComments(*Lut, FileName, Lines, Creator);
    }
  } else if (!SaveLutInOtherFormat(FileName, Ext, Saved)) {
    PlatformShowMessage(_("Unsupported 3DLUT file type: ") + FileName);
  }
  SavingInProgress = false;
  return Saved;
}

bool TKromelSession::ProcessFullImage(TImage64& Out) {
  const std::unique_ptr<T3DLUTWithStatistics> Lut = CompileLut(GetExportLutSize(), false);
  if (!Lut || Image.IsEmpty()) return false;
  Out.Copy(Image);
  if (Out.IsEmpty()) return false;
  ProcessImage64(*Lut, Image, Out, Prefs.SaveAlphaChannel);
  return true;
}

bool TKromelSession::SaveImage(const std::string& FileName) {
  TImage64 Out;
  bool Saved = false;
  const std::string Ext = UpperFileExtension(FileName);
  if (Ext != ".TIF" && Ext != ".TIFF" && Ext != ".PNG" && Ext != ".JPG" && Ext != ".JPEG") {
    PlatformShowMessage(_("Unsupported image file type (use .tif, .png or .jpg): ") + FileName);
    return false;
  }
  SavingInProgress = true;
  if (!ProcessFullImage(Out)) {
    PlatformShowMessage(_("No image to save"));
  } else {
    TImageSaveOptions Options;
    Options.KeepAlpha = Prefs.SaveAlphaChannel;
    Options.JpegQuality = JpegQualityOfItem(Prefs.JPEGQuality);
    Saved = SaveImage64ToFileAs(Out, FileName, ImageProfileData, Options);
  }
  SavingInProgress = false;
  Out.Dispose();
  return Saved;
}

}  // namespace kromel
