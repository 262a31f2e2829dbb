#include "fileio/lut_files_by_name.h"

#include <exception>

#include "fileio/file_extension.h"
#include "fileio/image_files.h"
#include "fileio/lut_image_files.h"
#include "foundation/ascii_case.h"
#include "foundation/error_sink.h"
#include "images/image64.h"
#include "lut/lut_file_3dl.h"
#include "lut/lut_file_cube.h"
#include "lut/lut_icc.h"
#include "lut/lut_images.h"
#include "platform/translate.h"

namespace kromel {

const char* const LUTFileNameFilter = "*.3dl;*.cube;*.png;*.tif;*.tiff;*.icc;*.icm;*.dcp";

namespace {

// A picture file read as a GPU or Hald LUT; the image is freed on every path.
bool LoadFromImageFile(T3DLut& Lut, const std::string& FileName) {
  TImage64 Image;
  bool Ok = false;
  try {
    if (!LoadImage64FromFile(Image, FileName, false, 1.0f)) {
      ErrorMessageProc("Failed to load LUT from " + FileName);
    } else {
      Ok = LutImageLayoutOfFile(FileName) == TLutImageLayout::GPU
               ? LoadFromGPUImage(Lut, Image, false)
               : LoadFromHaldImage(Lut, Image, false);
      if (Ok) Lut.Name = FileName;
    }
  } catch (const std::exception&) {
    ErrorMessageProc("Failed to load LUT from " + FileName);
    Ok = false;
  }
  Image.Dispose();
  return Ok;
}

}  // namespace

std::string UpperLutFileExt(const std::string& FileName) {
  return UpperFileExtension(FileName);
}

bool LoadFromFile(T3DLut& Lut, const std::string& FileName, bool ShowErrors, cmsHPROFILE Working,
                  TImageProfile ImageProfile, bool CaptureOneGamma) {
  const std::string Ext = UpperLutFileExt(FileName);
  if (Ext == ".ICC")
    return ICCTo3DLUT(FileName, Lut, Working, ShowErrors, ImageProfile, CaptureOneGamma);
  if (Ext == ".PNG" || Ext == ".TIF" || Ext == ".TIFF") return LoadFromImageFile(Lut, FileName);
  if (Ext == ".3DL") return LoadFrom3DL(&Lut, FileName, ShowErrors, nullptr);
  if (Ext == ".CUBE") return LoadFromCube(&Lut, FileName, ShowErrors, nullptr);
  return false;
}

bool IsLUTFileName(const std::string& FileName) {
  const std::string Ext = UpperLutFileExt(FileName);
  if (Ext.empty()) return false;
  const std::string Wanted = "*" + Ext;
  const std::string Filter = UpperAscii(LUTFileNameFilter);
  size_t Start = 0;
  for (;;) {
    const size_t End = Filter.find(';', Start);
    if (Filter.compare(Start, End == std::string::npos ? std::string::npos : End - Start,
                       Wanted) == 0)
      return true;
    if (End == std::string::npos) return false;
    Start = End + 1;
  }
}

std::string GetInfoText(const T3DLut& Lut) {
  std::string Text;
  Text += _("LUT Name: ") + Lut.Name + "\n";
  Text += _("LUT Size: ") + std::to_string(Lut.NLRH) + "\n";
  Text += "LUT Color profile: " + Lut.ImageProfile + "\n";
  Text += "LUT Input curve: " + Lut.InputGamma + "\n";
  return Text;
}

}  // namespace kromel
