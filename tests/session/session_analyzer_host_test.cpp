// The session's analyzer: computed by the renderer after each render and by
// the main thread with the renderer paused, never both at once.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "fileio/image_save.h"
#include "images/owned_image.h"
#include "analysis/image_histograms.h"
#include "analysis/scopes.h"
#include "platform/main_thread.h"
#include "session/session_analyzer.h"
#include "session/session_test_support.h"

namespace kromel::session_test {
namespace {

void MakeGradient(TImage32& Img, int32_t W, int32_t H) {
  Img.Alloc(W, H);
  for (int32_t Y = 0; Y < H; ++Y)
    for (int32_t X = 0; X < W; ++X) {
      TBGRAPixel32& P = Img.Pixels[int64_t(Y) * W + X].BGRA;
      P.R = uint8_t(40 + X * 200 / W);
      P.G = uint8_t(30 + Y * 180 / H);
      P.B = uint8_t(120 + int32_t(60 * std::sin(double(X + Y) / 9)));
      P.A = 255;
    }
}

class TCountingView : public TSessionView {
 public:
  std::atomic<int> Updates{0};
  void UpdateAnalyzerWindow() override { ++Updates; }
};

TEST_F(SessionTest, RendererAndMainThreadComputeTheAnalyzerInTurn) {
  TOwnedImage<TImage32> Photo;
  MakeGradient(Photo.Image, 96, 64);
  const std::string Path = File("gradient.png");
  ASSERT_TRUE(SaveImage32ToFile(Photo.Image, Path));
  TCountingView View;
  TKromelSession S(&View, nullptr, 9);
  TAnalyzerSettings A;
  A.WindowVisible = A.Histogram = A.Waveform = A.Vectorscope = true;
  A.WaveformWidth = 200;
  A.WaveformHeight = 80;
  TAnalyzerSettings B = A;
  B.Parade = true;
  B.HistogramKind = THistogramKind::Luminance;
  B.WaveformWidth = 120;
  B.WaveformHeight = 50;
  S.Analyzer.SetSettings(A);
  S.Show();
  ASSERT_TRUE(S.LoadPicture(Path, true, false, true));
  S.SetAnalyzerReference(&S.Image);
  int Incomplete = 0;
  for (int Step = 0; Step < 2000 && (Step < 30 || View.Updates.load() < 5); ++Step) {
    if (Step >= 30) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    MakeNonTrivial(S, 0.3f + 0.01f * float(Step % 40), 0.6f);
    S.UpdateImage(true, false);
    S.Analyzer.SetSettings(Step % 2 ? A : B);
    // A handler's computation (the renderer waits for it).
    if (Step % 5 == 0) EXPECT_TRUE(S.CalcAnalyzer(Step % 10 == 0));
    DrainMainThreadCalls();
    const TAnalyzerResults R = S.Analyzer.Results();
    if (R.Generation == 0) continue;
    const bool Sized = R.HistR.size() == 256 && R.Vectorscope.size() == 512u * 512u &&
                       R.Waveform.size() == size_t(R.WaveformWidth) * size_t(R.WaveformHeight) &&
                       ((R.WaveformWidth == 200 && R.WaveformHeight == 79) ||
                        (R.WaveformWidth == 120 && R.WaveformHeight == 49));
    if (!Sized) ++Incomplete;
  }
  S.UpdateImage(true, true);
  DrainMainThreadCalls();
  EXPECT_EQ(Incomplete, 0);
  EXPECT_GT(View.Updates.load(), 0);
  // With the renderer paused, the last computation is the scope builders'
  // on the rendered image.
  {
    TKromelSession::TRendererBlockGuard Block(S);
    S.Analyzer.SetSettings(A);
    ASSERT_TRUE(S.CalcAnalyzer(false));
    const TAnalyzerResults R = S.Analyzer.Results();
    TAnalyzerResults Expected;
    TSessionAnalyzer::Compute(A, S.WorkImage(), false, Expected);
    EXPECT_EQ(R.HistR, Expected.HistR);
    EXPECT_EQ(R.Waveform, Expected.Waveform);
    EXPECT_EQ(R.Vectorscope, Expected.Vectorscope);
    // The reference as the analysed image.
    TAnalyzerSettings Ref = A;
    Ref.AnalyzeReference = true;
    S.Analyzer.SetSettings(Ref);
    ASSERT_TRUE(S.CalcAnalyzer(false));
    TOwnedImage<TImage32> Ref32;
    Ref32.Image.Alloc(S.Image.Width, S.Image.Height);
    S.Image.CopyToImage32(Ref32.Image);
    TAnalyzerResults FromRef;
    TSessionAnalyzer::Compute(Ref, Ref32.Image, false, FromRef);
    EXPECT_EQ(S.Analyzer.Results().HistR, FromRef.HistR);
  }
  // A hidden window computes nothing.
  const int64_t Gen = S.Analyzer.Results().Generation;
  A.WindowVisible = false;
  S.Analyzer.SetSettings(A);
  EXPECT_TRUE(S.CalcAnalyzer(false));
  EXPECT_EQ(S.Analyzer.Results().Generation, Gen);
  S.Close();
}

}  // namespace
}  // namespace kromel::session_test
