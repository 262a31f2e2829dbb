// The analyzer's computation for the renderer and the main window.
#include <algorithm>
#include <memory>
#include <mutex>

#include "foundation/debug_log.h"
#include "platform/main_thread.h"
#include "session/session_core.h"

namespace kromel {

namespace {
// The analysed reference is fitted into this box (the display size the
// analyzer needs; the full picture would only cost time).
constexpr int32_t AnalyzerReferenceSide = 1024;
}  // namespace

void TKromelSession::SetAnalyzerReference(const TImage64* Reference) {
  std::lock_guard<std::mutex> Guard(FAnalyzerRefLock);
  if (Reference == nullptr || Reference->Pixels == nullptr || Reference->Size <= 0) {
    FAnalyzerRef.Dispose();
    FAnalyzerRef16.Dispose();
    return;
  }
  int32_t W = Reference->Width, H = Reference->Height;
  if (W > AnalyzerReferenceSide || H > AnalyzerReferenceSide) {
    const double F = double(AnalyzerReferenceSide) / double(std::max(W, H));
    W = std::max(2, int32_t(double(W) * F));
    H = std::max(2, int32_t(double(H) * F));
    Reference->DrawFittedToImage64(FAnalyzerRef16, W, H, 0, 0);
  } else {
    FAnalyzerRef16.Copy(*Reference);
  }
  FAnalyzerRef.Dispose();
  if (FAnalyzerRef16.Pixels == nullptr || !FAnalyzerRef.Alloc(FAnalyzerRef16.Width, FAnalyzerRef16.Height)) {
    FAnalyzerRef.Dispose();
    return;
  }
  FAnalyzerRef16.CopyToImage32(FAnalyzerRef);
}

bool TKromelSession::CalcAnalyzer(bool Partial) {
  if (DebugLogEnabled()) DebugLogAdd("Calc analyzer", 0);
  if (!Ready.load()) return true;
  const bool OnMain = IsMainThread();
  // The update lock is the main thread's; the renderer only renders
  // outside of it.
  if (OnMain && UpdateLockCount > 0) return true;
  if (!Analyzer.Settings().WindowVisible) return true;
  // On the main thread the renderer pauses for the computation: it writes
  // the work image and reads the source.
  std::unique_ptr<TRendererBlockGuard> Block;
  if (OnMain) Block = std::make_unique<TRendererBlockGuard>(*this);
  TAnalyzerSources Sources;
  Sources.Work = &FWorkImage;
  Sources.Source16 = &FSourceImage.Image64;
  std::lock_guard<std::mutex> RefGuard(FAnalyzerRefLock);
  Sources.Reference = FAnalyzerRef.Pixels ? &FAnalyzerRef : nullptr;
  Sources.Reference16 = FAnalyzerRef16.Pixels ? &FAnalyzerRef16 : nullptr;
  // The mask stage belongs to whichever run holds the stages; without it
  // the pictures are of the whole image. It is held only while the masked
  // copy is made, so the next calculation does not wait for the scopes.
  TKromelPresetCalculator& Calc = FPipeline->Calculator;
  std::unique_lock<TPresetLock> Stages(Calc.PresetLock, std::defer_lock);
  if (Analyzer.Settings().MaskMode != 0 && Stages.try_lock() && Calc.LutMask) {
    Sources.Mask = Calc.LutMask.get();
    Sources.MaskDone = [&Stages] { Stages.unlock(); };
  }
  // Nothing to look at yet is no failure.
  const TImage32* Looked = Analyzer.Settings().AnalyzeReference ? Sources.Reference : Sources.Work;
  if (Looked == nullptr || Looked->Pixels == nullptr) return true;
  return Analyzer.Calc(Sources, Partial);
}

}  // namespace kromel
