// The analyzer's content against the scope builders of matching/, and its
// buffers while the renderer runs and two threads compute.
#include <atomic>
#include <cmath>
#include <chrono>
#include <thread>

#include "analysis/image_histograms.h"
#include "analysis/scopes.h"
#include "fileio/image_save.h"
#include "images/owned_image.h"
#include "platform/main_thread.h"
#include "session/session_analyzer.h"
#include "session/session_test_support.h"

namespace kromel::session_test {
namespace {

// A photograph-like picture: smooth light and colour with grain, a few
// transparent pixels.
void MakePhoto(TImage32& Img, int32_t W, int32_t H) {
  Img.Alloc(W, H);
  uint32_t Seed = 99;
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      Seed = Seed * 1664525u + 1013904223u;
      const double N = double((Seed >> 24) & 15) - 7.5;
      const double U = double(X) / W, V = double(Y) / H;
      auto Ch = [&](double Base) { return uint8_t(std::clamp(Base * 255 + N, 0.0, 255.0)); };
      TBGRAPixel32& P = Img.Pixels[int64_t(Y) * W + X].BGRA;
      P.R = Ch(0.15 + 0.8 * U * (0.6 + 0.4 * std::sin(V * 7)));
      P.G = Ch(0.1 + 0.7 * V * (0.5 + 0.5 * std::cos(U * 5)));
      P.B = Ch(0.05 + 0.6 * (1 - U) * (1 - V));
      P.A = (X + Y) % 97 == 0 ? 0 : 255;
    }
}

std::vector<float> Samples(const TSample32& S) { return {S.Data, S.Data + S.Count}; }

std::vector<uint32_t> Pixels(const TImage32& I) {
  std::vector<uint32_t> V(size_t(I.Size));
  for (size_t K = 0; K < V.size(); ++K) V[K] = I.Pixels[K].Value;
  return V;
}

TAnalyzerSettings AllPanels() {
  TAnalyzerSettings S;
  S.WindowVisible = S.Histogram = S.Waveform = S.Vectorscope = S.ColorSort = true;
  S.WaveformWidth = 300;
  S.WaveformHeight = 120;
  S.VectorscopeZoom = 1;
  S.VectorscopeDrag = 40;
  return S;
}

struct TOwnedSample {
  TSample32 S;
  TOwnedSample() {
    S.Init();
    S.Alloc(256);
  }
  ~TOwnedSample() { S.Dispose(); }
};

TEST(Analyzer, EqualsTheScopeBuildersOnTheSamePixels) {
  TOwnedImage<TImage32> Photo;
  MakePhoto(Photo.Image, 160, 90);
  const TAnalyzerSettings S = AllPanels();
  TAnalyzerResults R;
  TSessionAnalyzer::Compute(S, Photo.Image, false, R);

  TOwnedSample HR, HG, HB;
  CalcImageHistograms(Photo.Image, nullptr, HR.S, HG.S, HB.S, 0);
  EXPECT_EQ(R.HistR, Samples(HR.S));
  EXPECT_EQ(R.HistG, Samples(HG.S));
  EXPECT_EQ(R.HistB, Samples(HB.S));

  TOwnedImage<TImage32> Wave, Vector, Sort;
  Wave.Image.Alloc(300, 119);
  Wave.Image.Clear();
  BuildWaveform(Photo.Image, Wave.Image, true);
  EXPECT_EQ(R.Waveform, Pixels(Wave.Image));
  EXPECT_EQ(R.WaveformWidth, 300);
  EXPECT_EQ(R.WaveformHeight, 119);
  Vector.Image.Alloc(512, 512);
  Vector.Image.Clear();
  BuildVectorscope(Photo.Image, Vector.Image, 0, false, 2.0f, 0.2f);
  EXPECT_EQ(R.Vectorscope, Pixels(Vector.Image));
  Sort.Image.Alloc(256, 50);
  Sort.Image.Clear();
  BuildSortedColorStrip(Photo.Image, Sort.Image, true);
  EXPECT_EQ(R.ColorSort, Pixels(Sort.Image));
  TColor Min = 0, Max = 0;
  EXPECT_EQ(R.AverageColor, CalcAverageColor(Photo.Image, Min, Max, true));
  EXPECT_EQ(R.MinColor, Min);
  EXPECT_EQ(R.MaxColor, Max);

  // The parade and the other histogram kinds.
  TAnalyzerSettings P = S;
  P.Parade = true;
  TSessionAnalyzer::Compute(P, Photo.Image, false, R);
  Wave.Image.Clear();
  BuildWaveformParade(Photo.Image, Wave.Image, true);
  EXPECT_EQ(R.Waveform, Pixels(Wave.Image));
  using TKindFn = void (*)(const TImage32&, TImage64&, TSample32&);
  const std::pair<THistogramKind, TKindFn> Kinds[] = {
      {THistogramKind::Luminance, &CalcLumaHistogramColored},
      {THistogramKind::SaturationLum, &CalcChromaByLumaColored},
      {THistogramKind::Hue, &CalcHueHistogramColored}};
  for (const auto& [Kind, Fn] : Kinds) {
    P.HistogramKind = Kind;
    TSessionAnalyzer::Compute(P, Photo.Image, false, R);
    TOwnedSample H;
    TOwnedImage<TImage64> Row;
    Row.Image.Alloc(256, 1);
    Fn(Photo.Image, Row.Image, H.S);
    EXPECT_EQ(R.HistR, Samples(H.S)) << int(Kind);
    EXPECT_EQ(R.HistB, Samples(H.S)) << int(Kind);
    EXPECT_EQ(0, std::memcmp(R.HistogramColorRows.data(), Row.Image.Pixels, 256 * 8));
  }
  P.HistogramKind = THistogramKind::Saturation;
  TSessionAnalyzer::Compute(P, Photo.Image, false, R);
  TOwnedSample Sat;
  CalcChromaRangeHistogram(Photo.Image, Sat.S);
  EXPECT_EQ(R.HistG, Samples(Sat.S));
}

TEST(Analyzer, AverageGreyAndSwatchPlaces) {
  EXPECT_EQ(AverageGrey(0x00102030u), 0x00202020u);
  EXPECT_EQ(AverageGrey(0x00FFFF00u), 0x00AAAAAAu);
  EXPECT_EQ(AverageGrey(0x00000001u), 0u);
  EXPECT_EQ(NextSwatchTop(0, 99), 0);
  EXPECT_EQ(NextSwatchTop(1, 0), 34);
  EXPECT_EQ(NextSwatchTop(2, 34), 68);
}

TEST(Analyzer, HiddenWindowPartialRunsAndSources) {
  TOwnedImage<TImage32> Photo, Ref;
  MakePhoto(Photo.Image, 40, 30);
  MakePhoto(Ref.Image, 20, 20);
  TSessionAnalyzer A;
  TAnalyzerSources Src;
  Src.Work = &Photo.Image;
  Src.Reference = &Ref.Image;
  EXPECT_TRUE(A.Calc(Src, false));
  EXPECT_EQ(A.Results().Generation, 0);  // hidden: nothing computed
  TAnalyzerSettings S = AllPanels();
  A.SetSettings(S);
  ASSERT_TRUE(A.Calc(Src, false));
  const TAnalyzerResults Full = A.Results();
  EXPECT_EQ(Full.Generation, 1);
  // A partial run redoes the vectorscope alone and keeps the rest.
  S.VectorscopeZoom = 3;
  A.SetSettings(S);
  ASSERT_TRUE(A.Calc(Src, true));
  const TAnalyzerResults Part = A.Results();
  EXPECT_EQ(Part.Generation, 2);
  EXPECT_EQ(Part.HistR, Full.HistR);
  EXPECT_EQ(Part.Waveform, Full.Waveform);
  EXPECT_NE(Part.Vectorscope, Full.Vectorscope);
  // "Ref." analyses the reference.
  S.AnalyzeReference = true;
  A.SetSettings(S);
  ASSERT_TRUE(A.Calc(Src, false));
  TAnalyzerResults OfRef;
  TSessionAnalyzer::Compute(S, Ref.Image, false, OfRef);
  EXPECT_EQ(A.Results().HistR, OfRef.HistR);
  Src.Reference = nullptr;
  EXPECT_FALSE(A.Calc(Src, false));
  // "Show before" analyses the 16-bit source.
  S.AnalyzeReference = false;
  S.ShowBefore = true;
  A.SetSettings(S);
  TOwnedImage<TImage64> Source;
  Source.Image.Alloc(40, 30);
  Source.Image.CopyFromImage32(Photo.Image);
  Src.Source16 = &Source.Image;
  ASSERT_TRUE(A.Calc(Src, false));
  TOwnedImage<TImage32> Back;
  Back.Image.Alloc(40, 30);
  Source.Image.CopyToImage32(Back.Image);
  TSessionAnalyzer::Compute(S, Back.Image, false, OfRef);
  EXPECT_EQ(A.Results().HistR, OfRef.HistR);
}

TEST(Analyzer, MaskModesScaleAlpha) {
  TOwnedImage<TImage32> Photo;
  MakePhoto(Photo.Image, 30, 20);
  TOwnedImage<TImage64> Q;
  Q.Image.Alloc(30, 20);
  Q.Image.CopyFromImage32(Photo.Image);
  T3DLut Mask;
  ASSERT_TRUE(Mask.EnsureSize(5));
  for (int64_t K = 0; K < 125; ++K) Mask.R[K] = 1.0f;  // everything inside
  TSessionAnalyzer A;
  TAnalyzerSettings S = AllPanels();
  TAnalyzerSources Src;
  Src.Work = &Photo.Image;
  Src.Source16 = &Q.Image;
  Src.Mask = &Mask;
  TAnalyzerResults Full;
  TSessionAnalyzer::Compute(S, Photo.Image, false, Full);
  struct {
    int32_t Mode;
    bool SameAsFull;
  } const Cases[] = {{0, true}, {1, true}, {2, false}};
  for (const auto& C : Cases) {
    S.MaskMode = C.Mode;
    A.SetSettings(S);
    ASSERT_TRUE(A.Calc(Src, false));
    EXPECT_EQ(A.Results().HistR == Full.HistR, C.SameAsFull) << C.Mode;
  }
  // Outside an all-inside mask nothing is counted.
  for (float V : A.Results().HistR) EXPECT_EQ(V, 0.0f);
}

// Hands every render to the analyzer on the main thread.
class TAnalyzingView : public TSessionView {
 public:
  TSessionAnalyzer* Analyzer = nullptr;
  int Shown = 0;
  void ShowProcessedImage(const TImage32& Work) override {
    TAnalyzerSources Src;
    Src.Work = &Work;
    Analyzer->Calc(Src, false);
    ++Shown;
  }
};

bool Complete(const TAnalyzerResults& R, const TAnalyzerSettings& A, const TAnalyzerSettings& B) {
  if (R.Generation == 0) return true;
  if (R.HistR.size() != 256 || R.HistG.size() != 256 || R.HistB.size() != 256) return false;
  if (R.Vectorscope.size() != 512u * 512u || R.ColorSort.size() != 256u * 50u) return false;
  if (R.Waveform.size() != size_t(R.WaveformWidth) * size_t(R.WaveformHeight)) return false;
  return (R.WaveformWidth == A.WaveformWidth && R.WaveformHeight == A.WaveformHeight - 1) ||
         (R.WaveformWidth == B.WaveformWidth && R.WaveformHeight == B.WaveformHeight - 1);
}

TEST_F(SessionTest, AnalyzerBuffersStayCompleteWhileThePreviewRenders) {
  TOwnedImage<TImage32> Photo;
  MakePhoto(Photo.Image, 64, 48);
  const std::string Path = File("photo.png");
  ASSERT_TRUE(SaveImage32ToFile(Photo.Image, Path));

  TSessionAnalyzer Analyzer;
  TAnalyzerSettings A = AllPanels(), B = AllPanels();
  B.WaveformWidth = 128;
  B.WaveformHeight = 64;
  B.Parade = true;
  B.HistogramKind = THistogramKind::Hue;
  Analyzer.SetSettings(A);
  TAnalyzingView View;
  View.Analyzer = &Analyzer;
  TKromelSession S(&View, nullptr, 9);
  S.Show();
  ASSERT_TRUE(S.LoadPicture(Path, true, false, true));

  // A second thread computes as the renderer's end-of-render step would.
  std::atomic<bool> Stop{false};
  std::atomic<int> WorkerRuns{0};
  std::thread Worker([&] {
    TAnalyzerSources Src;
    Src.Work = &Photo.Image;
    while (!Stop.load()) {
      Analyzer.Calc(Src, false);
      ++WorkerRuns;
    }
  });
  int Incomplete = 0;
  // Until both sides have computed several times (bounded).
  for (int Step = 0; Step < 3000 && (Step < 40 || View.Shown < 5 || WorkerRuns.load() < 5);
       ++Step) {
    if (Step >= 40) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    MakeNonTrivial(S, 0.3f + 0.01f * float(Step), 0.6f);
    S.UpdateImage(true, false);
    Analyzer.SetSettings(Step % 2 != 0 ? A : B);
    DrainMainThreadCalls();
    if (!Complete(Analyzer.Results(), A, B)) ++Incomplete;
  }
  S.UpdateImage(true, true);
  DrainMainThreadCalls();
  Stop = true;
  Worker.join();
  S.Close();
  EXPECT_EQ(Incomplete, 0);
  EXPECT_GT(View.Shown, 0);
  EXPECT_GT(Analyzer.Results().Generation, 1);
  // After the storm a computation equals the one of the settings alone.
  Analyzer.SetSettings(B);
  TAnalyzerSources Src;
  Src.Work = &Photo.Image;
  ASSERT_TRUE(Analyzer.Calc(Src, false));
  TAnalyzerResults Expected;
  TSessionAnalyzer::Compute(B, Photo.Image, false, Expected);
  const TAnalyzerResults Got = Analyzer.Results();
  EXPECT_EQ(Got.HistR, Expected.HistR);
  EXPECT_EQ(Got.Waveform, Expected.Waveform);
  EXPECT_EQ(Got.Vectorscope, Expected.Vectorscope);
}

}  // namespace
}  // namespace kromel::session_test
