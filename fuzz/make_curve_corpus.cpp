// Writes the seed corpora of the curve and swatch file fuzz targets with
// the program's own writers: fuzz_make_curve_corpus <repo>/fuzz/corpus.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fileio/curves_acv.h"
#include "fileio/curves_capture_one.h"
#include "fileio/curves_lightroom.h"
#include "fileio/curves_rawtherapee.h"
#include "fileio/curves_xmp.h"
#include "fileio/swatches_aco.h"
#include "seed_writer.h"

using namespace kromel;
using kromel::fuzz::Put;

namespace {

struct TCurves {
  TEnvelopeDots Master, Red, Green, Blue, Luma;
  TCurves() {
    const int32_t Dots[5][4][2] = {{{0, 0}, {4096, 6000}, {12000, 28000}, {16384, 32767}},
                                   {{0, 2000}, {8192, 18000}, {16384, 30000}, {16384, 30000}},
                                   {{0, 0}, {16384, 32767}, {0, 0}, {0, 0}},
                                   {{0, 32767}, {9000, 12000}, {16384, 0}, {0, 0}},
                                   {{0, 5000}, {16384, 25000}, {0, 0}, {0, 0}}};
    const int32_t Counts[5] = {4, 3, 2, 3, 2};
    TEnvelopeDots* All[5] = {&Master, &Red, &Green, &Blue, &Luma};
    for (int K = 0; K < 5; ++K) {
      All[K]->NumDots = Counts[K];
      for (int I = 0; I < Counts[K]; ++I) All[K]->Dot(I) = {Dots[K][I][0], Dots[K][I][1], 0};
      All[K]->CalcSpline();
    }
  }
};

// Writes through Save into a scratch file and stores it as seed Name of Target.
template <class F>
void Seed(const std::string& Target, const std::string& Name, F Save) {
  const std::string Tmp = (std::filesystem::temp_directory_path() / ("kromel_seed_" + Name)).string();
  if (!Save(Tmp)) {
    std::fprintf(stderr, "could not write %s\n", Name.c_str());
    return;
  }
  std::ifstream In(Tmp, std::ios::binary);
  Put(Target, Name, std::string(std::istreambuf_iterator<char>(In), {}));
  std::filesystem::remove(Tmp);
}

void Curves() {
  TCurves C;
  Seed("acv_curves", "four.acv", [&](const std::string& F) {
    return SaveACVCurves(F, &C.Master, &C.Red, &C.Green, &C.Blue);
  });
  Seed("acv_curves", "master.acv", [&](const std::string& F) {
    return SaveACVCurves(F, &C.Master, nullptr, nullptr, nullptr);
  });
  Seed("lrtemplate_curves", "look.lrtemplate", [&](const std::string& F) {
    return SaveLRTemplateCurves(F, &C.Master, &C.Red, &C.Green, &C.Blue, "\t\t\tCameraProfile = \"P\",");
  });
  // The template reader also meets the Camera Raw form's key names.
  Seed("lrtemplate_curves", "look.xmp", [&](const std::string& F) {
    return SaveXMPCurves(F, &C.Master, &C.Red, &C.Green, &C.Blue, "");
  });
  Seed("copreset_curves", "look.copreset", [&](const std::string& F) {
    return SaveCaptureOneCurves(F, &C.Master, &C.Red, &C.Green, &C.Blue, &C.Luma);
  });
  Seed("rtc_curve", "look.rtc", [&](const std::string& F) { return SaveRTCCurve(F, C.Master); });
  Put("json_curves", "trc.json",
      std::string("{\"RedTRC\": [0, 0.1, 0.4, 1],\n \"GreenTRC\": [0,\r\n 0.5, 1],\n"
                  " \"BlueTRC\": [0.0, 0.25, 0.5, 0.75, 1.0]}\n"));
}

void Swatches() {
  TImage32 Row;
  if (!Row.Alloc(3, 1)) return;
  Row.Pixels[0].BGRA = {10, 20, 30, 255};
  Row.Pixels[1].BGRA = {200, 100, 0, 128};
  Row.Pixels[2].BGRA = {0, 0, 255, 0};
  Seed("aco_swatches", "three.aco", [&](const std::string& F) { return SaveSwatchesToACO(F, Row); });
  Row.Dispose();
  // A greyscale and a CMYK entry, which the writer never makes.
  Put("aco_swatches", "grey_cmyk.aco",
      std::string("\x00\x01\x00\x02\x00\x08\x13\x88\x00\x00\x00\x00\x27\x10"
                  "\x00\x02\x01\x02\x03\x04\x05\x06\x07\x08",
                  24));
}

}  // namespace

int main(int argc, char** argv) { return kromel::fuzz::WriteSeeds(argc, argv, {Curves, Swatches}); }
