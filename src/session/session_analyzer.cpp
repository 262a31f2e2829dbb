#include "session/session_analyzer.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "analysis/image_histograms.h"
#include "analysis/scopes.h"
#include "images/owned_image.h"
#include "images/sample.h"
#include "lut/lut.h"
#include "lut/lut_mask.h"

namespace kromel {

namespace {

TSample32 View(std::vector<float>& V) {
  TSample32 S;
  S.Count = static_cast<int64_t>(V.size());
  S.Data = V.data();
  return S;
}

std::vector<uint32_t> PixelsOf(const TImage32& I) {
  std::vector<uint32_t> V(static_cast<size_t>(std::max(0, I.Size)));
  for (size_t K = 0; K < V.size(); ++K) V[K] = I.Pixels[K].Value;
  return V;
}

}  // namespace

uint32_t AverageGrey(uint32_t Color) {
  const uint32_t G = ((Color & 255) + ((Color >> 8) & 255) + ((Color >> 16) & 255)) / 3;
  return G | (G << 8) | (G << 16);
}

void TSessionAnalyzer::SetSettings(const TAnalyzerSettings& Settings) {
  std::lock_guard<std::mutex> Guard(FLock);
  FSettings = Settings;
}

TAnalyzerSettings TSessionAnalyzer::Settings() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FSettings;
}

TAnalyzerResults TSessionAnalyzer::Results() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FResults;
}

void TSessionAnalyzer::Compute(const TAnalyzerSettings& S, const TImage32& I, bool Partial,
                               TAnalyzerResults& Out) {
  if (!Partial) {
    if (S.Histogram) {
      Out.HistR.assign(256, 0.0f);
      Out.HistG.assign(256, 0.0f);
      Out.HistB.assign(256, 0.0f);
      TSample32 R = View(Out.HistR), G = View(Out.HistG), B = View(Out.HistB);
      TOwnedImage<TImage64> Rows;
      Rows.Image.Alloc(256, 1);
      Rows.Image.Clear();
      switch (S.HistogramKind) {
        case THistogramKind::RGB: CalcImageHistograms(I, nullptr, R, G, B, 0); break;
        case THistogramKind::Saturation: CalcChromaRangeHistogram(I, R); break;
        case THistogramKind::Luminance: CalcLumaHistogramColored(I, Rows.Image, R); break;
        case THistogramKind::SaturationLum: CalcChromaByLumaColored(I, Rows.Image, R); break;
        case THistogramKind::Hue: CalcHueHistogramColored(I, Rows.Image, R); break;
      }
      if (S.HistogramKind != THistogramKind::RGB) {
        Out.HistG = Out.HistR;
        Out.HistB = Out.HistR;
      }
      Out.HistogramColorRows.assign(256 * 4, 0);
      std::memcpy(Out.HistogramColorRows.data(), Rows.Image.Pixels, 256 * sizeof(TPixel64));
    }
    if (S.Waveform && S.WaveformWidth > 0 && S.WaveformHeight > 1) {
      TOwnedImage<TImage32> W;
      if (W.Image.Alloc(S.WaveformWidth, S.WaveformHeight - 1)) {
        W.Image.Clear();
        if (S.Parade)
          BuildWaveformParade(I, W.Image, true);
        else
          BuildWaveform(I, W.Image, true);
        Out.Waveform = PixelsOf(W.Image);
        Out.WaveformWidth = W.Image.Width;
        Out.WaveformHeight = W.Image.Height;
      }
    }
    if (S.ColorSort) {
      TOwnedImage<TImage32> C;
      if (C.Image.Alloc(256, 50)) {
        C.Image.Clear();
        BuildSortedColorStrip(I, C.Image, S.ColorSortKey == 0);
        Out.ColorSort = PixelsOf(C.Image);
      }
    }
  }
  if (S.Vectorscope) {
    TOwnedImage<TImage32> V;
    if (V.Image.Alloc(512, 512)) {
      V.Image.Clear();
      BuildVectorscope(I, V.Image, S.VectorscopeMode, S.VectorscopeYUVCube,
                       static_cast<float>(S.VectorscopeZoom + 1),
                       static_cast<float>(S.VectorscopeDrag) / 200.0f);
      Out.Vectorscope = PixelsOf(V.Image);
    }
  }
  if (!Partial) {
    TColor Min = 0, Max = 0;
    Out.AverageColor = CalcAverageColor(I, Min, Max, true);
    Out.MinColor = Min;
    Out.MaxColor = Max;
  }
}

bool TSessionAnalyzer::Calc(const TAnalyzerSources& Sources, bool Partial) {
  const TAnalyzerSettings S = Settings();
  if (!S.WindowVisible) return true;
  try {
    // The analysed image: the reference, the unprocessed source, or the
    // rendered image.
    TOwnedImage<TImage32> Before;
    const TImage32* I = Sources.Work;
    const TImage64* Q = Sources.Source16;
    if (S.AnalyzeReference) {
      I = Sources.Reference;
      Q = Sources.Reference16;
    } else if (S.ShowBefore && Sources.Source16 != nullptr && !Sources.Source16->IsEmpty()) {
      Before.Image.Alloc(Sources.Source16->Width, Sources.Source16->Height);
      Sources.Source16->CopyToImage32(Before.Image);
      I = &Before.Image;
    }
    if (I == nullptr || I->Pixels == nullptr || I->Size <= 0) return false;
    TOwnedImage<TImage32> Masked;
    if (S.MaskMode != 0 && Sources.Mask != nullptr && Q != nullptr && I->Size > 1 &&
        Q->Size == I->Size && Masked.Image.Alloc(I->Width, I->Height)) {
      if (S.MaskMode == 1)
        ProcessMaskAlpha64(*Sources.Mask, *Q, *I, Masked.Image);
      else
        ProcessMaskAlphaInverted64(*Sources.Mask, *Q, *I, Masked.Image);
      I = &Masked.Image;
    }
    if (Sources.MaskDone) Sources.MaskDone();
    TAnalyzerResults Out;
    {
      // Partial runs keep the other pictures of the last computation.
      std::lock_guard<std::mutex> Guard(FLock);
      // Without a whole computation to keep, a partial one does it all.
      if (Partial && FResults.Generation == 0) Partial = false;
      if (Partial) Out = FResults;
    }
    Compute(S, *I, Partial, Out);
    std::lock_guard<std::mutex> Guard(FLock);
    Out.Generation = FResults.Generation + 1;
    FResults = std::move(Out);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace kromel
