// The analyzer's content: histograms, waveform, vectorscope, sorted colour
// strip and the darkest, average and lightest colours of the analysed
// image, computed by the scope builders of matching/.
//
// Threads: the window sets the settings on the main thread (menu ticks,
// the analyzer's selectors); Calc copies them once under the lock, builds
// every picture into buffers of its own and publishes them under the same
// lock, so the renderer thread and a main-thread handler may both call it
// and a reader always sees one complete computation. Nothing here touches
// a widget.
#pragma once
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "images/image32.h"
#include "images/image64.h"

namespace kromel {

class T3DLut;

enum class THistogramKind : int32_t { RGB, Saturation, Luminance, SaturationLum, Hue };

struct TAnalyzerSettings {
  bool WindowVisible = false;
  bool Histogram = false, Waveform = false, Vectorscope = false, Averages = true,
       ColorSort = false;
  THistogramKind HistogramKind = THistogramKind::RGB;
  bool Parade = false;
  int32_t WaveformWidth = 256, WaveformHeight = 200;  // the waveform control
  int32_t VectorscopeMode = 0;
  bool VectorscopeYUVCube = false;
  int32_t VectorscopeZoom = 0;   // the window's zoom; the scope uses zoom + 1
  int32_t VectorscopeDrag = 0;   // horizontal drag total; gain = drag / 200
  bool AnalyzeReference = false; // "Ref."
  bool ShowBefore = false;       // View > show before
  int32_t ColorSortKey = 0;      // 0 hue, 1 luma
  int32_t MaskMode = 0;          // 0 "Full", 1 "Inside", 2 "Outside"
};

// One complete computation.
struct TAnalyzerResults {
  std::vector<float> HistR, HistG, HistB;  // 256 each
  std::vector<uint16_t> HistogramColorRows; // 256 x RGBA of the coloured kinds
  std::vector<uint32_t> Waveform;          // WaveformWidth x (WaveformHeight - 1)
  int32_t WaveformWidth = 0, WaveformHeight = 0;
  std::vector<uint32_t> Vectorscope;       // 512 x 512
  std::vector<uint32_t> ColorSort;         // 256 x 50
  uint32_t AverageColor = 0, MinColor = 0, MaxColor = 0;  // TColor
  int64_t Generation = 0;  // counts completed computations
};

// The images the analyzer may look at (views: headers only).
struct TAnalyzerSources {
  const TImage32* Work = nullptr;       // the rendered image
  const TImage64* Source16 = nullptr;   // the renderer's 16-bit input
  const TImage32* Reference = nullptr;  // the reference at display size
  const TImage64* Reference16 = nullptr;
  // The mask LUT (stage 8) the caller keeps unchanged until MaskDone is
  // called (once the masked copy is made, or at once without one); with
  // MaskMode 1 or 2 each pixel's alpha is scaled by the mask (or its
  // inverse) at the 16-bit companion's colour.
  const T3DLut* Mask = nullptr;
  std::function<void()> MaskDone;
};

// The average watch's second plate: the grey (g, g, g) of a TColor with
// g = (R + G + B) div 3.
uint32_t AverageGrey(uint32_t Color);
// A new swatch's Top: 34 pixels below the previous one (the first at 0).
constexpr int32_t NextSwatchTop(int32_t Count, int32_t PreviousTop) {
  return Count == 0 ? 0 : PreviousTop + 34;
}

class TSessionAnalyzer {
 public:
  void SetSettings(const TAnalyzerSettings& Settings);
  TAnalyzerSettings Settings() const;
  // Any thread. False when the window is hidden or the image is empty.
  // Partial: only the vectorscope.
  bool Calc(const TAnalyzerSources& Sources, bool Partial);
  // A copy of the last complete computation.
  TAnalyzerResults Results() const;
  // The same computation without any state (the window's tests and the
  // main thread may call it on any image).
  static void Compute(const TAnalyzerSettings& S, const TImage32& I, bool Partial,
                      TAnalyzerResults& Out);

 private:
  mutable std::mutex FLock;
  TAnalyzerSettings FSettings;
  TAnalyzerResults FResults;
};

}  // namespace kromel
