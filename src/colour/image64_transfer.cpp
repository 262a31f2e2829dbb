#include "colour/image64_transfer.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "colour/log_curves.h"
#include "colour/rgb_lab_xyz.h"
#include "foundation/error_sink.h"

namespace kromel {

namespace {

// rnd(V) limited to 0..65535; NaN gives 0.
inline uint16_t RoundWord(double V) {
  if (!(V > 0)) return 0;
  if (V >= 65535.0) return 65535;
  return static_cast<uint16_t>(std::nearbyint(V));
}

inline float WordToValue(uint16_t W) { return static_cast<float>(W / 65535.0); }

// Replaces the red, green and blue words of every pixel by Map[word].
// Every word maps through the same function, so one table of all 65536
// results serves the whole image.
template <class F>
void MapImageWords(TImage64& Image, F Curve) {
  if (Image.Pixels == nullptr || Image.Size <= 0) return;
  std::vector<uint16_t> Map(65536);
  for (int W = 0; W < 65536; ++W) Map[W] = Curve(static_cast<uint16_t>(W));
  TPixel64* P = Image.Pixels;
  for (int32_t I = 0; I < Image.Size; ++I, ++P) {
    P->R = Map[P->R];
    P->G = Map[P->G];
    P->B = Map[P->B];
  }
}

}  // namespace

void Image64ConvertLinearToLogC(TImage64& Image, float Exposure) {
  try {
    MapImageWords(Image, [Exposure](uint16_t W) {
      const float X = static_cast<float>(static_cast<double>(Exposure) * WordToValue(W));
      return RoundWord(65535.0 * LinearToLogC(X));
    });
  } catch (...) {
    ErrorMessageProc("Exception in Image64ConvertLinearToLogC");
  }
}

void Image64ConvertLinearToSRGB(TImage64& Image) {
  try {
    MapImageWords(
        Image, [](uint16_t W) { return RoundWord(65535.0 * LinearToGammaSRGB(WordToValue(W))); });
  } catch (...) {
    ErrorMessageProc("Exception in Image64ConvertLinearToSRGB");
  }
}

void Image64GammaToLinearByProfile(TImage64& Image, TImageProfile Profile) {
  MapImageWords(Image, [Profile](uint16_t W) {
    return RoundWord(65535.0f * GammaToLinearByProfile(Profile, WordToValue(W)));
  });
}

void Image64LinearToGammaByProfile(TImage64& Image, TImageProfile Profile) {
  MapImageWords(Image, [Profile](uint16_t W) {
    return RoundWord(65535.0f * LinearToGammaByProfile(Profile, WordToValue(W)));
  });
}

void LABCMSSingletoPixel64(TCMSTransform Transform, float L, float A, float B, TPixel64& Pixel) {
  try {
    if (CMSTransformUsable(Transform)) {
      const float In[4] = {L, A, B, 0.0f};
      CMSDoTransformProc(Transform, In, &Pixel, 1);
      return;
    }
    float R, G, Bl;
    LABtoRGBSingle(L, A, B, R, G, Bl);
    Pixel.Init(RoundWord(65535.0 * R), RoundWord(65535.0 * G), RoundWord(65535.0 * Bl), 65535);
  } catch (...) {
    ErrorMessageProc("Exception in LABCMSSingletoPixel64");
  }
}

}  // namespace kromel
