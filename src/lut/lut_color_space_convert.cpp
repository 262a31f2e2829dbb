#include "lut/lut_color_space_convert.h"

#include <string>

#include "colour/colour_models.h"
#include "colour/hsv_hsl.h"
#include "foundation/error_sink.h"

namespace kromel {

namespace {

// Node (r, g, b) of Source through Convert into the same node of
// Destination, blue outermost, red fastest.
template <class TConvert>
void ConvertNodes(const char* Routine, const T3DLut& Source, T3DLut& Destination,
                  TConvert Convert) {
  if (Source.NLRH != Destination.NLRH || Source.NLGS != Destination.NLGS ||
      Source.NLBL != Destination.NLBL) {
    ErrorMessageProc(std::string("Error in ") + Routine + ": Sizes differ");
    return;
  }
  const int64_t Nodes = int64_t(Source.NLRH) * Source.NLGS * Source.NLBL;
  // Planes that do not hold every node would be over-run.
  if (Source.R == nullptr || Source.G == nullptr || Source.B == nullptr ||
      Destination.R == nullptr || Destination.G == nullptr || Destination.B == nullptr ||
      Source.Count < Nodes || Destination.Count < Nodes)
    return;
  for (int64_t i = 0; i < Nodes; ++i) {
    float R, G, B;
    Convert(Source.R[i], Source.G[i], Source.B[i], R, G, B);
    Destination.R[i] = R;
    Destination.G[i] = G;
    Destination.B[i] = B;
  }
}

}  // namespace

void ConvertLUT_RGBtoSXY(const T3DLut& Source, T3DLut& Destination) {
  ConvertNodes("ConvertLUT_RGBtoSXY", Source, Destination,
               [](float r, float g, float b, float& X, float& Y, float& Z) {
                 float V1, V2, V3;
                 RGBtoSXYSingle(r, g, b, V1, V2, V3);
                 X = V1 / 100;
                 Y = V2 / 100;
                 Z = V3 / 100;
               });
}

void ConvertLUT_SXYtoRGB(const T3DLut& Source, T3DLut& Destination) {
  ConvertNodes("ConvertLUT_SXYtoRGB", Source, Destination,
               [](float r, float g, float b, float& R, float& G, float& B) {
                 SXYtoRGBSingle(100 * r, 100 * g, 100 * b, R, G, B);
               });
}

void ConvertLUT_RGBtoSXYPolar(const T3DLut& Source, T3DLut& Destination) {
  ConvertNodes("ConvertLUT_RGBtoSXYPolar", Source, Destination,
               [](float r, float g, float b, float& X, float& Y, float& Z) {
                 float H, C, S;
                 RGBtoSXYPolarSingle(r, g, b, H, C, S);
                 X = H;
                 Y = C / 100;
                 Z = S / 100;
               });
}

void ConvertLUT_SXYPolartoRGB(const T3DLut& Source, T3DLut& Destination) {
  ConvertNodes("ConvertLUT_SXYPolartoRGB", Source, Destination,
               [](float r, float g, float b, float& R, float& G, float& B) {
                 SXYPolartoRGBSingle(r, 100 * g, 100 * b, R, G, B);
               });
}

void ConvertLUT_RGBtoHSLLab(const T3DLut& Source, T3DLut& Destination) {
  ConvertNodes("ConvertLUT_RGBtoHSLLab", Source, Destination,
               [](float r, float g, float b, float& X, float& Y, float& Z) {
                 float L, A, Bv;
                 RGBtoHSLLab(L, A, Bv, r, g, b);
                 X = L / 100;
                 Y = A / 100;
                 Z = Bv / 100;
               });
}

void ConvertLUT_HSLLabtoRGB(const T3DLut& Source, T3DLut& Destination) {
  ConvertNodes("ConvertLUT_HSLLabtoRGB", Source, Destination,
               [](float r, float g, float b, float& R, float& G, float& B) {
                 HSLLabtoRGB(R, G, B, 100 * r, 100 * g, 100 * b);
               });
}

}  // namespace kromel
