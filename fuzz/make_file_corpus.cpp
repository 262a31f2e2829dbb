// Writes the seed corpora of the image-file, RAW and profile fuzz targets:
// fuzz_make_file_corpus <repo>/fuzz/corpus. Files are overwritten. Pictures
// are small and come from FreeImage's own encoders; the DNG comes from the
// test fixture writer; the profiles from Little CMS and our builders.
#include <FreeImage.h>
#include <lcms2.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "colour/icc_profiles.h"
#include "fileio/dng_camera_profile.h"
#include "fileio/dng_color_profile.h"
#include "seed_writer.h"
#include "tiff_fixtures.h"

using namespace kromel;
using kromel::fuzz::Put;

namespace {

std::vector<uint8_t> ProfileBytes(cmsHPROFILE P) {
  cmsUInt32Number N = 0;
  std::vector<uint8_t> B;
  if (P != nullptr && cmsSaveProfileToMem(P, nullptr, &N) && N > 0) {
    B.resize(N);
    if (!cmsSaveProfileToMem(P, B.data(), &N)) B.clear();
  }
  if (P != nullptr) cmsCloseProfile(P);
  return B;
}

cmsHPROFILE AsInput(cmsHPROFILE P) {
  if (P != nullptr) cmsSetDeviceClass(P, cmsSigInputClass);
  return P;
}

// A W x H bitmap of type Type (bpp for standard bitmaps) with a gradient.
FIBITMAP* Gradient(FREE_IMAGE_TYPE Type, int Bpp, int W, int H) {
  FIBITMAP* B = FreeImage_AllocateT(Type, W, H, Bpp);
  if (B == nullptr) return nullptr;
  const unsigned Bytes = FreeImage_GetLine(B);
  for (int Y = 0; Y < H; ++Y) {
    BYTE* Row = FreeImage_GetScanLine(B, Y);
    if (Type == FIT_RGBF || Type == FIT_RGBAF) {
      float* F = reinterpret_cast<float*>(Row);
      for (unsigned K = 0; K < Bytes / sizeof(float); ++K) F[K] = float(K + Y) / 16.0f;
    } else if (Type == FIT_RGB16 || Type == FIT_RGBA16) {
      WORD* Wd = reinterpret_cast<WORD*>(Row);
      for (unsigned K = 0; K < Bytes / 2; ++K) Wd[K] = WORD(K * 4099 + Y * 257);
    } else {
      for (unsigned K = 0; K < Bytes; ++K) Row[K] = BYTE(K * 37 + Y * 11);
    }
  }
  if (Bpp == 8 && Type == FIT_BITMAP) {
    RGBQUAD* Pal = FreeImage_GetPalette(B);
    for (int I = 0; I < 256; ++I) Pal[I] = {BYTE(I), BYTE(255 - I), BYTE(I / 2), 0};
  }
  return B;
}

void Save(FIBITMAP* B, FREE_IMAGE_FORMAT Fif, const std::string& Name, int Flags = 0) {
  if (B == nullptr) return;
  FIMEMORY* M = FreeImage_OpenMemory(nullptr, 0);
  BYTE* Data = nullptr;
  DWORD Size = 0;
  if (FreeImage_SaveToMemory(Fif, B, M, Flags) && FreeImage_AcquireMemory(M, &Data, &Size))
    Put("image_file", Name, Data, Size);
  else
    std::fprintf(stderr, "could not write %s\n", Name.c_str());
  FreeImage_CloseMemory(M);
}

void ImageFiles() {
  const std::vector<uint8_t> SRGB = ProfileBytes(cmsCreate_sRGBProfile());
  struct TCase {
    FREE_IMAGE_FORMAT Fif;
    FREE_IMAGE_TYPE Type;
    int Bpp;
    const char* Name;
    bool Profile;
  };
  const TCase Cases[] = {
      {FIF_PNG, FIT_BITMAP, 24, "rgb8.png", false},
      {FIF_PNG, FIT_BITMAP, 32, "rgba8_icc.png", true},
      {FIF_PNG, FIT_BITMAP, 8, "palette.png", false},
      {FIF_PNG, FIT_RGBA16, 64, "rgba16.png", false},
      {FIF_JPEG, FIT_BITMAP, 24, "rgb.jpg", false},
      {FIF_JPEG, FIT_BITMAP, 24, "rgb_icc.jpg", true},
      {FIF_TIFF, FIT_RGB16, 48, "rgb16_icc.tif", true},
      {FIF_TIFF, FIT_RGBF, 96, "rgbf.tif", false},
      {FIF_BMP, FIT_BITMAP, 24, "rgb.bmp", false},
      {FIF_BMP, FIT_BITMAP, 8, "palette.bmp", false},
      {FIF_TARGA, FIT_BITMAP, 32, "rgba.tga", false},
      {FIF_GIF, FIT_BITMAP, 8, "palette.gif", false},
      {FIF_EXR, FIT_RGBAF, 128, "rgbaf.exr", false},
      {FIF_PSD, FIT_BITMAP, 24, "rgb.psd", false},
  };
  for (const TCase& C : Cases) {
    FIBITMAP* B = Gradient(C.Type, C.Bpp, 8, 6);
    if (C.Profile && B != nullptr)
      FreeImage_CreateICCProfile(B, const_cast<uint8_t*>(SRGB.data()), long(SRGB.size()));
    Save(B, C.Fif, C.Name);
    FreeImage_Unload(B);
  }
  Put("image_file", "rgb16.tif",
      fileio_test::MakeRGB16Tiff(4, 3, std::vector<uint16_t>(36, 40000)));
}

void RawFiles() {
  fileio_test::TDngFixture Dng;
  Dng.Width = 16;
  Dng.Height = 12;
  Put("raw_file", "rggb.dng", fileio_test::MakeTestDng(Dng));
  Dng.Neutral.clear();
  Dng.Red = 60000;
  Put("raw_file", "rggb_no_neutral.dng", fileio_test::MakeTestDng(Dng));
}

void Profiles() {
  Put("icc_lut", "abstract_lab_3.icc", CreateAbstractLabProfile(3));
  Put("icc_lut", "input_srgb.icc", ProfileBytes(AsInput(cmsCreate_sRGBProfile())));
  Put("icc_lut", "input_adobe.icc", ProfileBytes(AsInput(CreateAdobeRGBProfile())));
  cmsToneCurve* Gamma = cmsBuildGamma(nullptr, 2.2);
  Put("icc_lut", "input_gray.icc", ProfileBytes(AsInput(cmsCreateGrayProfile(cmsD50_xyY(), Gamma))));
  cmsFreeToneCurve(Gamma);
  Put("icc_lut", "display_srgb.icc", ProfileBytes(cmsCreate_sRGBProfile()));
}

// Camera profiles from our writer and an XML profile text.
void CameraProfiles() {
  TDNGCameraProfile Minimal;
  Minimal.UniqueCameraModel = "Camera X";
  const std::string M = Minimal.SaveToBytes();
  Put("dcp_profile", "minimal.dcp", std::vector<uint8_t>(M.begin(), M.end()));
  TDNGCameraProfile Full;
  Full.UniqueCameraModel = "Maker Cam";
  Full.ProfileName = "Look";
  for (int i = 0; i < 9; ++i) Full.ColorMatrix1.Values[i] = Full.ForwardMatrix1.Values[i] = i % 4 == 0;
  Full.ColorMatrix2 = Full.ColorMatrix1;
  Full.ColorMatrix2.IsSet = true;
  Full.SetHueSatMap(1, std::make_unique<TDNGHSVTable>(4, 3, 1));
  Full.HueSatMap1->SetIdentity();
  Full.LookTable = std::make_unique<TDNGHSVTable>(3, 2, 2);
  Full.LookTable->SetIdentity();
  Full.LookTableEncoding = 1;
  Full.ToneCurve = std::make_unique<TDNGHVTable>(5);
  Full.ToneCurve->SetACR3Curve();
  const std::string F = Full.SaveToBytes();
  Put("dcp_profile", "full.dcp", std::vector<uint8_t>(F.begin(), F.end()));
  std::string X = "<dcpData>\n<ProfileHueSatMapDims hueDivisions=\"2\" satDivisions=\"2\" valDivisions=\"1\"/>\n"
                  "<ForwardMatrix1>\n<Element Row=\"0\" Col=\"0\">0.75</Element>\n</ForwardMatrix1>\n";
  for (int h = 0; h < 2; ++h)
    for (int s = 0; s < 2; ++s)
      X += "<Element HueDiv=\"" + std::to_string(h) + "\" SatDiv=\"" + std::to_string(s) +
           "\" ValDiv=\"0\" HueShift=\"1.5\" SatScale=\"1\" ValScale=\"0.9\"/>\n";
  X += "</dcpData>\n";
  Put("dng_xml", "two_by_two.xml", std::vector<uint8_t>(X.begin(), X.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_make_file_corpus <corpus folder>\n");
    return 2;
  }
  kromel::fuzz::SeedRoot() = argv[1];
  ImageFiles();
  RawFiles();
  Profiles();
  CameraProfiles();
  return 0;
}
