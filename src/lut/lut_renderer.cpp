// The preview renderer. Flags are atomics; the request, stop and busy
// transitions happen under one lock, and every wait is on a condition with
// a bounded wait, so no wake-up is lost and StopAndWait never returns while
// a render runs.
#include "lut/lut_renderer.h"

#include <chrono>
#include <thread>

#include "foundation/debug_log.h"
#include "foundation/messages.h"
#include "images/image32_display_mode.h"
#include "lut/lut_apply.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr auto PollInterval = std::chrono::milliseconds(10);
// Rows a worker passes between two looks at the abort flag.
constexpr int32_t ChunkRows = 64;

void LogLine(const std::string& Text) {
  if (DebugLogEnabled()) DebugLogAdd(Text, 0);
}

// Source's band through Look into Dest, in chunks of rows, until Abort.
void ProcessBand(const TPreparedLut& Look, const TImageVBPPBand& Source, TImageView32& Dest,
                 const std::atomic<bool>& Abort) {
  const int32_t Rows = Source.GetHeight();
  if (Rows <= 0 || Source.IsEmpty()) return;
  for (int32_t Row = 0; Row < Rows && !Abort.load(); Row += ChunkRows) {
    const int32_t Count = std::min(ChunkRows, Rows - Row);
    TImageView32 D = RowBand<TVPixel32>(Dest, Row, Count);
    ProcessImageVBPP(Look, RowBand(Source, Row, Count), D, false, true);
  }
}

}  // namespace

// --- Workers ---

TImageLutProcessorWorker::TImageLutProcessorWorker() : TKromelThread(DefaultStackSize) {}

TImageLutProcessorWorker::~TImageLutProcessorWorker() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    Terminate();
  }
  FWake.notify_all();
  WaitFor();
}

void TImageLutProcessorWorker::Start(const TPreparedLut& Look, const std::atomic<bool>& Abort) {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FLook = &Look;
    FAbort = &Abort;
    FDone = false;
    FPending = true;
  }
  if (!Resume()) {
    // No thread to be had: the band runs here.
    {
      std::lock_guard<std::mutex> Guard(FLock);
      FPending = false;
    }
    ProcessBand(Look, Source, Dest, Abort);
    std::lock_guard<std::mutex> Guard(FLock);
    FDone = true;
    return;
  }
  FWake.notify_all();
}

void TImageLutProcessorWorker::WaitDone() {
  std::unique_lock<std::mutex> Guard(FLock);
  while (!FDone) FWake.wait_for(Guard, PollInterval);
}

bool TImageLutProcessorWorker::Done() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FDone;
}

void TImageLutProcessorWorker::Execute() {
  for (;;) {
    const TPreparedLut* Look;
    const std::atomic<bool>* Abort;
    {
      std::unique_lock<std::mutex> Guard(FLock);
      while (!FPending && !Terminated()) FWake.wait_for(Guard, PollInterval);
      if (!FPending) return;
      FPending = false;
      Look = FLook;
      Abort = FAbort;
    }
    try {
      ProcessBand(*Look, Source, Dest, *Abort);
    } catch (...) {
    }
    {
      std::lock_guard<std::mutex> Guard(FLock);
      FDone = true;
    }
    FWake.notify_all();
  }
}

// --- Renderer ---

TLutRenderer::TLutRenderer(TRendererHost& Host, bool TryOpenCL)
    : TKromelThread(DefaultStackSize), FHost(Host) {
  LogLine("LR.Create start");
  for (auto& W : FWorkers) W = std::make_unique<TImageLutProcessorWorker>();
  if (TryOpenCL) {
    try {
      FCL = std::make_unique<TCLLUTProcessor>();
    } catch (...) {
      FCL.reset();
    }
  }
  LogLine("LR.Create end");
}

TLutRenderer::~TLutRenderer() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FStopRequested = true;
    Terminate();
  }
  FChanged.notify_all();
  // A render may wait in a call onto the main thread: keep serving those.
  while (Started() && !Finished()) {
    DrainMainThreadCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  WaitFor();
  for (auto& W : FWorkers) W.reset();
  FCL.reset();
  LogLine("TLutRenderer.Destroy");
}

void TLutRenderer::RequestRender() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FRenderRequest = true;
  }
  FChanged.notify_all();
  Resume();
}

void TLutRenderer::StopAndWait() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FStopRequested = true;
  }
  for (;;) {
    {
      std::unique_lock<std::mutex> Guard(FLock);
      if (!FBusy) return;
      FChanged.wait_for(Guard, std::chrono::milliseconds(1));
      if (!FBusy) return;
    }
    DrainMainThreadCalls();
  }
}

void TLutRenderer::ClearStop() {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FStopRequested = false;
  }
  FChanged.notify_all();
}

void TLutRenderer::Execute() {
  for (;;) {
    {
      std::unique_lock<std::mutex> Guard(FLock);
      FChanged.wait_for(Guard, PollInterval,
                        [this] { return Terminated() || (FRenderRequest && !FStopRequested); });
      if (Terminated()) break;
      if (!FRenderRequest || FStopRequested) continue;
      FRenderRequest = false;
      FBusy = true;
    }
    Render();
    {
      std::lock_guard<std::mutex> Guard(FLock);
      FBusy = false;
    }
    FChanged.notify_all();
    WakeMainThreadWaiter();
  }
  LogLine("TLutRenderer Finished");
}

void TLutRenderer::ShowError(const std::string& Text) {
  RunOnMainThreadBlocking([&Text] { PlatformShowMessage(Text); });
}

void TLutRenderer::RenderOnCPU() {
  TImageVBPP& Work = FHost.WorkingImage();
  TImage32& Out = FHost.ProcessedImage();
  const int32_t H = Work.GetHeight(), P = Out.Height;
  for (int32_t i = 0; i < WorkerCount; ++i) {
    TImageLutProcessorWorker& W = *FWorkers[i];
    W.Source = RowBand(Work, RowBandStart(H, i), RowBandRows(H, i));
    W.Dest = RowBand<TVPixel32>(Out, RowBandStart(P, i), RowBandRows(P, i));
  }
  // The first band runs on this thread, which would only wait otherwise.
  for (int32_t i = 1; i < WorkerCount; ++i) FWorkers[i]->Start(FLook, FStopRequested);
  if (Work.Image32.Pixels != nullptr)
    Out.CopyMarginsFrom(Work.Image32);
  else
    Out.CopyMarginsFrom(Work.Image64);
  try {
    ProcessBand(FLook, FWorkers[0]->Source, FWorkers[0]->Dest, FStopRequested);
  } catch (...) {
  }
  for (int32_t i = 1; i < WorkerCount; ++i) FWorkers[i]->WaitDone();
}

void TLutRenderer::Render() {
  if (!FHost.MainFormReady()) return;
  LogLine("TLutRenderer.Render start, KromelMainForm.ImageWithZoom1.ViewZoomMain.Bitmap.Width=" +
          std::to_string(FHost.PreviewBitmapWidth()));
  FStep = 0;
  try {
    FStep = 3;
    // Without a LUT that can be applied the preview stays as it is.
    if (!FHost.CopyMainLut(FLut) ||
        !FLook.Prepare(FLut, FHost.WorkingImage().GetSize() >=
                                 4 * int64_t(FLut.NLRH) * FLut.NLGS * FLut.NLBL)) {
      LogLine("TLutRenderer.Render: no usable main LUT (" + std::to_string(FLut.NLRH) + "x" +
              std::to_string(FLut.NLGS) + "x" + std::to_string(FLut.NLBL) +
              "), the preview is left as it was");
      return;
    }
    if (FLut.ColorSpace != lcsProfileRGB)
      DebugShowMessage("Error in LUTRenderer.Render: Wrong LUT colorspace");
    FStep = 4;
    TImage32& Out = FHost.ProcessedImage();
    bool Done = false;
    if (UseOpenCL && FCL != nullptr && (!FCL->DeviceIsCPU() || UseOpenCLOnCPU))
      Done = FCL->ProcessImage64To32WithLUT(FHost.WorkingImage().Image64, Out, FLut);
    FLastOnDevice = Done;
    if (Done)
      Out.CopyMarginsFrom(FHost.WorkingImage().Image64);
    else
      RenderOnCPU();
    // A render cut short by a stop leaves a partial image: nothing more.
    if (FStopRequested) return;
    if (!FHost.CalcAnalyzer(false))
      ShowError("TLutRenderer.Render Exception in CalcAnalyzer - " + std::to_string(FStep.load()));
    ++FStep;
    ProcessImage32DisplayMode(Out, FHost.DisplayMode());
    FHost.SetPreviewImageChanged();
    ++FStep;
    if (!Terminated() && FHost.MainFormReady() && !FStopRequested) {
      // One round trip for the three.
      RunOnMainThreadBlocking([this] {
        FHost.ShowProcessedImage();
        FHost.UpdateAnalyzerWindow();
        FHost.UpdatePicker();
      });
    }
    ++FStep;
    ++FRenderCount;
  } catch (...) {
    ShowError("TLutRenderer.Render Exception " + std::to_string(FStep.load()));
  }
}

}  // namespace kromel
