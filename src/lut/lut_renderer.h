// The preview renderer: a background thread that, on request, copies the
// main LUT, passes the working image through it into the processed image
// (on an OpenCL device that is not the processor itself, else in eight bands:
// seven workers and the renderer thread), applies the display mode and hands
// the refresh to the main thread in one blocking call.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "images/image32.h"
#include "images/image_vbpp.h"
#include "lut/lut.h"
#include "lut/lut_opencl.h"
#include "lut/lut_tetrahedral.h"
#include "platform/kromel_thread.h"

namespace kromel {

// The main LUT with the lock its writer and its readers share, so a copy
// never sees a half-written LUT.
class TGuardedLut {
 public:
  // Runs Fn(Lut) under the lock (the calculator's writes).
  template <class TFn>
  void Write(TFn Fn) {
    std::lock_guard<std::mutex> Guard(FLock);
    Fn(FLut);
    ++FGeneration;
  }
  // Dest = a copy of the LUT as one writer left it.
  bool CopyTo(T3DLut& Dest) const {
    std::lock_guard<std::mutex> Guard(FLock);
    return Dest.CopyFrom(FLut);
  }
  uint64_t Generation() const {
    std::lock_guard<std::mutex> Guard(FLock);
    return FGeneration;
  }

 private:
  mutable std::mutex FLock;
  T3DLut FLut;
  uint64_t FGeneration = 0;
};

// What the renderer needs of the main window. The images stay put while a
// render may run (the window blocks the renderer around every change).
class TRendererHost {
 public:
  virtual ~TRendererHost() = default;
  // The window's ready flag (settings and command line applied, not closing).
  virtual bool MainFormReady() const = 0;
  // A consistent copy of the main LUT into Lut.
  virtual bool CopyMainLut(T3DLut& Lut) = 0;
  virtual TImageVBPP& WorkingImage() = 0;
  virtual TImage32& ProcessedImage() = 0;
  // The preview's display mode and its main view's bitmap width (debug log).
  virtual uint8_t DisplayMode() const = 0;
  virtual int32_t PreviewBitmapWidth() const = 0;
  // On the renderer thread: the analyzer data; False when it failed.
  virtual bool CalcAnalyzer(bool Partial) = 0;
  virtual void SetPreviewImageChanged() = 0;
  // On the main thread, through blocking calls from the renderer.
  virtual void ShowProcessedImage() = 0;
  virtual void UpdateAnalyzerWindow() = 0;
  virtual void UpdatePicker() = 0;
};

// One band of rows. Start posts a job; the worker runs it and reports done
// under its own lock, so a start between two jobs is never lost.
class TImageLutProcessorWorker : public TKromelThread {
 public:
  TImageLutProcessorWorker();
  ~TImageLutProcessorWorker() override;

  // Runs Look over Source into Dest; stops between row chunks once Abort is set.
  void Start(const TPreparedLut& Look, const std::atomic<bool>& Abort);
  // Waits until the posted job is done.
  void WaitDone();
  bool Done() const;

  TImageVBPPBand Source;  // the working image's band
  TImageView32 Dest;      // the processed image's band

 protected:
  void Execute() override;

 private:
  mutable std::mutex FLock;
  std::condition_variable FWake;
  bool FPending = false;
  bool FDone = true;
  const TPreparedLut* FLook = nullptr;
  const std::atomic<bool>* FAbort = nullptr;
};

class TLutRenderer : public TKromelThread {
 public:
  static constexpr int32_t WorkerCount = 8;

  // Creates the workers (suspended) and the OpenCL processor; the thread
  // starts at the first request.
  explicit TLutRenderer(TRendererHost& Host, bool TryOpenCL = true);
  // Ends the renderer thread (a running render is aborted), then the workers.
  ~TLutRenderer() override;

  // Main window: ask for a render (requests during a render give one more).
  void RequestRender();
  // Blocks the renderer: a running render is aborted and waited for (pending
  // main-thread calls run meanwhile); requests stay pending until ClearStop.
  // Returns only when no render runs.
  void StopAndWait();
  void ClearStop();
  bool StopRequested() const { return FStopRequested.load(); }
  bool Busy() const { return FBusy.load(); }
  int64_t RenderCount() const { return FRenderCount.load(); }

  std::atomic<bool> UseOpenCL{true};
  // A device that is the processor itself (no GPU) is slower than the
  // workers: it is used only when this is set.
  std::atomic<bool> UseOpenCLOnCPU{false};
  TCLLUTProcessor* CLProcessor() { return FCL.get(); }
  // Which path the last render took: true for the device.
  bool LastRenderOnDevice() const { return FLastOnDevice.load(); }

 protected:
  void Execute() override;

 private:
  void Render();
  void RenderOnCPU();
  void ShowError(const std::string& Text);

  TRendererHost& FHost;
  T3DLut FLut;            // private copy of the main LUT
  TPreparedLut FLook;     // built once per render before the image is touched,
                          // shared by the workers
  std::unique_ptr<TImageLutProcessorWorker> FWorkers[WorkerCount];
  std::unique_ptr<TCLLUTProcessor> FCL;
  std::mutex FLock;  // guards the request, stop and busy transitions
  std::condition_variable FChanged;
  std::atomic<bool> FRenderRequest{false};
  std::atomic<bool> FStopRequested{false};
  std::atomic<bool> FBusy{false};
  std::atomic<bool> FLastOnDevice{false};
  std::atomic<int64_t> FRenderCount{0};
  std::atomic<int32_t> FStep{0};
};

}  // namespace kromel
