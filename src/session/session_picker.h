// The colour picker's readouts: the colour under the pointer before and
// after the LUT, where it sits on the curves (input scale 0..16384, -1
// hides a marker) and on the grids.
#pragma once
#include <array>
#include <cstdint>

namespace kromel {

class T3DLut;

// round(L x 16384 / 100): the lightness curves' marker.
int32_t LightnessMarker(float L);
// round(sqrt(A^2 + B^2) x 16384 / 130): the chroma curves' marker; the
// scale ends at chroma 130.
int32_t ChromaMarker(float A, float B);

struct TPickerState {
  uint32_t PickerColor = 0;       // BGRA under the pointer
  uint32_t PickerColorAfter = 0;  // the same through the LUT
  bool PickerUnprocessed = false;
  bool PointerOverPreview = false;
  float GridA = 0, GridB = 0, GridL = 0;  // PickerGridPosition
  int32_t PickerMode = 0;
  // The after colour: the colour itself when unprocessed, else through the
  // LUT in the gamma of the LUT's colour space (alpha kept).
  void UpdateAfter(const T3DLut& MainLut);
  // The grid position from a colour (taken as it is when unprocessed,
  // else the caller hands the stage colour).
  void SetGridPosition(uint32_t StageColour);
  // Left button: 7 -> 0; any other: 0 -> 7.
  void StepPickerMode(bool LeftButton) { PickerMode = (PickerMode + (LeftButton ? 1 : 7)) % 8; }
};

// The curves page's markers.
struct TCurvesPickerInput {
  uint32_t Stage2Colour = 0;  // BGRA through stage 2
  uint32_t Stage3Colour = 0;  // BGRA through stage 3
  uint8_t CurveMode = 0;      // master mode switch position
  int32_t SatLumIndex = 0;    // which lum/sat envelope is shown
  int32_t MRGBIndex = 0;      // > 0: one channel only
  bool ImageDragActive = false;
  bool TatActive = false;     // a curves targeted drag runs
  bool PointerOverPreview = true;
};
struct TCurvesPickerMarkers {
  std::array<int32_t, 4> SatLum{-1, -1, -1, -1};  // envelopes 0..3
  std::array<int32_t, 4> MRGB{-1, -1, -1, -1};    // master, red, green, blue
};
TCurvesPickerMarkers CurvesPickerMarkers(const TCurvesPickerInput& In);

// The mask page's three curve markers for the channel selector position:
// 20 HSP, 21 LCh (chroma x 0.0078125), else the mask key colour's bytes.
std::array<int32_t, 3> MaskPickerMarkers(int32_t Selector, uint32_t PickerColor,
                                         uint32_t MaskKeyColour);

}  // namespace kromel
