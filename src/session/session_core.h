// TKromelSession: the main window's state and operations without widgets.
// It owns the preset and the window's controls bound to it, the calculation
// pipeline (preset calculator, stage LUTs, main LUT), the calculator and
// renderer threads, the full-size work image with its display-size copies,
// the file names and the flags. The Qt window, the command line, batch runs
// and the tests all drive this one class; the window implements
// TSessionView to receive what must be drawn.
//
// Threads: the preset, the controls and every field here belong to the main
// thread. UpdateImage posts a snapshot of the preset to the pipeline; the
// calculator thread calculates the latest snapshot and publishes each
// finished LUT into a guarded copy that the renderer reads. An edit
// therefore never waits for a calculation, and a calculation whose
// snapshot was replaced stops at its next stage. SourceImage and WorkImage,
// which the renderer reads, change only while the renderer is blocked.
//
// Events: any number of views subscribe (preview, pages, analyzer); they
// are told on the main thread, in the order they subscribed.
#pragma once
#include <FreeImage.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/main_controls.h"
#include "engine/kromel_preset.h"
#include "engine/lut_calculator_thread.h"
#include "engine/lut_pipeline.h"
#include "foundation/recent_files.h"
#include "images/image32.h"
#include "images/image64.h"
#include "images/image_vbpp.h"
#include "lut/lut_renderer.h"
#include "lut/lut_statistics.h"
#include "session/job_progress.h"
#include "session/session_analyzer.h"
#include "session/session_settings.h"
#include "fileio/freeimage_io.h"

namespace kromel {

class TSessionPlugin;

// What a view does with the session's results; always called on the main
// thread. Every method has an empty default, so a view overrides only what
// it shows.
class TSessionView {
 public:
  virtual ~TSessionView() = default;
  // WorkImage holds a new render of SourceImage.
  virtual void ShowProcessedImage(const TImage32& /*WorkImage*/) {}
  virtual void UpdateAnalyzerWindow() {}
  virtual void UpdatePicker() {}
  // A calculation finished (Succeeded: the main LUT is new).
  virtual void LutCalculated(bool /*Succeeded*/) {}
  // The work image was replaced or reshaped.
  virtual void SourceImageChanged() {}
  // Caption-relevant state changed (file name, modified mark).
  virtual void UpdateCaption() {}
  // The RAW load set up LogC input decoding; the preset side records it.
  virtual void RawSettingsApplied() {}
  // A short notice that needs no answer.
  virtual void ShowPopupNotification(const std::string& /*Text*/) {}
};

// The RGB working spaces the assign and convert commands offer.
enum class TWorkingProfile : int32_t;


// The JPEG quality of a " JPEG Save quality " item (95 for none).
int32_t JpegQualityOfItem(int32_t Item);

// The six lazily redrawn page backgrounds.
struct TDistributionDirtyFlags {
  bool ABDistributionDirty = false;
  bool CLDistributionDirty = false;
  bool CurvesHistogramsDirty = false;
  bool Curves2DDistributionDirty = false;
  bool MaskHistogramDirty = false;
  bool SignalPathDirty = false;
  void SetAll(bool SignalPath = true) {
    ABDistributionDirty = CLDistributionDirty = CurvesHistogramsDirty = true;
    Curves2DDistributionDirty = MaskHistogramDirty = true;
    if (SignalPath) SignalPathDirty = true;
  }
};

class TKromelSession : public TLutCalculationHost, public TRendererHost {
 public:
  // Builds everything with the default preset at LutSize (0: the working
  // size of the preferences), reading Settings (not owned; the composition
  // root's) by reference, so what the Preferences window or the command
  // line sets holds at once. Without Settings the session keeps a default
  // record of its own. Not ready (nothing calculated or rendered) until
  // Show.
  explicit TKromelSession(TSessionView* View = nullptr, TSessionSettings* Settings = nullptr,
                          int32_t LutSize = 0);
  ~TKromelSession() override;
  TKromelSession(const TKromelSession&) = delete;
  TKromelSession& operator=(const TKromelSession&) = delete;

  // ---- lifecycle
  // Sets the ready flag, creates the renderer and runs the first update.
  void Show();
  // Clears the ready flag, pauses the renderer, then ends the calculator and
  // the renderer (in that order) waiting without limit. Idempotent.
  void Close();

  // ---- events (main thread)
  // Observer (not owned; null ignored) is told of every event from now on,
  // once however often it subscribes, until it unsubscribes.
  void Subscribe(TSessionView* Observer);
  void Unsubscribe(TSessionView* Observer);
  // Tells every observer, on the main thread: from another thread the call
  // is posted and runs at the main thread's next drain (not at all once
  // the session is gone).
  void Notify(const std::function<void(TSessionView&)>& Event);

  // ---- state
 private:
  std::unique_ptr<TSessionSettings> FOwnSettings;  // without a root's; before Settings
  // The one settings record and its preferences (main thread).
  TSessionSettings& Settings;
  TPreferences& Prefs;

 public:
  // The settings record the session reads (the root's), main thread only.
  TSessionSettings& SessionSettings() { return Settings; }
  TPreferences& Preferences() { return Prefs; }
  const TPreferences& Preferences() const { return Prefs; }
  // Where long jobs (LoadPicture, CompileLut and the exports built on it,
  // SaveImage) report progress and ask for cancel; not owned, may be null.
  TJobProgress* Progress = nullptr;
  std::atomic<bool> Ready{false};  // MainFormReady
  int32_t UpdateLockCount = 0;
  bool RendererCreatePending = false;
  bool CloseRequested = false;
  bool PresetUnmodified = true;
  bool SavingInProgress = false;
  TDistributionDirtyFlags Dirty;

  std::unique_ptr<TKromelPreset> Preset;
  TMainWindowControls Controls;  // Controls.Controllers: the registry
  std::unique_ptr<TLUTCalculator> LutCalculator;
  // The calculation: the stage LUTs and the main LUT belong to whichever
  // run holds Calculator.PresetLock; the main thread posts snapshots.
  TLutPipeline& Pipeline() { return *FPipeline; }
  const TLutPipeline& Pipeline() const { return *FPipeline; }
  // The renderer thread, null until the first RendererCreate.
  TLutRenderer* Renderer() const { return FRenderer.get(); }

  // The full-size work image (the preview control's Image) and its profile.
  TImage64 Image;
  FIICCPROFILE ImageProfileData{};
  std::string ImageFileName;
  std::string OriginalImageFileName;
  std::string ImageProfileSourceFile;
  int32_t LastImageWidth = 0;
  int32_t LastImageHeight = 0;
  // The reference image (split and crop commands).
  TImage64 ReferenceImage;
  // The renderer's input (the image at the view's size) and output; the
  // renderer reads them, so they change only inside GetProcessingBitmap.
  const TImageVBPP& SourceImage() const { return FSourceImage; }
  const TImage32& WorkImage() const { return FWorkImage; }
  int32_t ViewWidth = 0;  // the visible part's size; 0: the image's own
  int32_t ViewHeight = 0;

  // The analyzer's settings (set on the main thread) and results.
  TSessionAnalyzer Analyzer;
  // The reference as the analyzer sees it (main thread; null clears it).
  void SetAnalyzerReference(const TImage64* Reference);

  TRecentFiles RecentImages;
  TRecentFiles RecentPresets;
  TRecentFiles RecentSwatches;
  TRecentFiles RecentExternalLuts;

  // ---- host plug-in link (session_plugin.cpp); closed by Close
  std::unique_ptr<TSessionPlugin> Plugin;
  // "/PLUGIN": a new link in Folder (empty: the temporary folder), kept
  // whatever happens; true when plug-in mode was entered.
  bool OpenPlugin(const std::string& Folder = {});

  // ---- the update lock, as a scope guard
  class TUpdateLock {
   public:
    explicit TUpdateLock(TKromelSession& S) : FS(S) { ++FS.UpdateLockCount; }
    ~TUpdateLock() { --FS.UpdateLockCount; }
    TUpdateLock(const TUpdateLock&) = delete;
    TUpdateLock& operator=(const TUpdateLock&) = delete;

   private:
    TKromelSession& FS;
  };

  // Runs Fn on the preset (main thread; calculations read snapshots, so
  // nothing is waited for); returns its result.
  template <class TFn>
  auto EditPreset(TFn Fn) {
    return Fn(*Preset);
  }

  // ---- pipeline
  int32_t LutSize() const { return FPipeline->LutSize; }
  // A consistent copy of the main LUT (any thread).
  bool CopyMainLut(T3DLut& Lut) override;
  void UpdateImage(bool ShowResult, bool Sync);
  // The latest posted snapshot into the main LUT (calculator thread, or
  // the main thread while the calculator is paused).
  bool CalcLut() override;
  bool RunWasAbandoned() override;
  void AbandonRun() override;
  // The preset and the run options as the next calculation's input.
  void PostSnapshot();
  bool CalcLutTransform(T3DLut& ALut) override;
  void LUTCalculationFinished(bool Succeeded) override;
  void ProcessImageStart();
  void InvalidateLutStages(int32_t Level) override;
  void MaskChanged();
  bool UpdateMaskKeyLut(T3DLut& Lut);
  // Refuses sizes outside 2..256 (message, LUT kept); 2..4 are reported and
  // applied. True when Size is the working size afterwards.
  bool SetLUTSize(int32_t Size);
  int32_t GetExportLutSize() const;
  // The complete LUT of the current preset at Size, the stage LUTs left
  // alone, with the preset stream attached (unless the preferences say not
  // to); null, reported, on failure, and null without a word when Progress
  // was cancelled (checked between the stages).
  std::unique_ptr<T3DLUTWithStatistics> CompileLut(int32_t Size, bool Flag);
  void RendererCreate();
  // True when this call paused the renderer (the caller then calls
  // RendererCreate); false when there is none or it was paused already.
  bool RendererBlock();
  // Ends the renderer thread (the next RendererCreate makes a new one).
  void RendererDestroy();
  // Rebuilds SourceImage and WorkImage from Image at the view size (not
  // while the window supplies the visible part).
  void GetProcessingBitmap();
  // The window's preview supplies the renderer's input: the visible part of
  // Image at the viewport's size. Copies it and renders it.
  void SetViewSource(const TImage64& Visible);
  bool ViewSourceFromWindow = false;
  // The preview's display mode (0..9) that the renderer applies.
  std::atomic<uint8_t> PreviewDisplayMode{0};
  // Blocks the renderer for the scope; unblocks when the block was its own.
  class TRendererBlockGuard {
   public:
    explicit TRendererBlockGuard(TKromelSession& S) : FS(S), FBlocked(S.RendererBlock()) {}
    ~TRendererBlockGuard() {
      if (FBlocked) FS.RendererCreate();
    }
    TRendererBlockGuard(const TRendererBlockGuard&) = delete;
    TRendererBlockGuard& operator=(const TRendererBlockGuard&) = delete;

   private:
    TKromelSession& FS;
    bool FBlocked;
  };

  // ---- images (session_images.cpp)
  bool LoadPicture(const std::string& FileName, bool Silent, bool WarnExisting, bool FitToWindow);
  void SourceImageChanged();

  // ---- image edits (session_edits.cpp); each ends with the edit refresh
  void TurnImage(bool Clockwise);
  void FlipImage(bool Vertical);
  // Halves the image by averaging 2 x 2 blocks (the window confirms first).
  void HalveImage();
  void FillAlphaChannel();
  // Pixels with alpha below 32768 become white; every alpha is kept.
  void FillTransparentWithWhite();
  // Horizontally: the right half (from W / 2) becomes the reference and
  // the left half the work image; vertically the same with rows.
  void SplitImage(bool Horizontally);
  // False, with the message, when no pixel has alpha.
  bool CropToAlphaSelection();
  // Bakes the LUT compiled at the export size into the image; the window
  // then resets the preset and records its undo step.
  bool ProcessImageWithCurrentLut();

  // ---- export (session_export.cpp)
  // Writes the LUT compiled at GetExportLutSize by the file's extension.
  bool SaveLut(const std::string& FileName);
  // Writes Image processed by the current LUT by extension: TIFF and PNG
  // 16-bit with the alpha channel (unless the preferences say not to),
  // JPEG at the preferences' quality; other names are refused.
  bool SaveImage(const std::string& FileName);
  // Out = Image through the LUT compiled at GetExportLutSize.
  bool ProcessFullImage(TImage64& Out);

  // ---- image profile (session_profiles.cpp)
  std::string ImageProfileDescription = "sRGB";
  float ImageGamma = 2.4f;
  // The description and gamma of ImageProfileData (sRGB without one, or
  // with the message when its bytes cannot be opened).
  void LoadInputProfile();
  // Takes Profile's bytes as the image profile; unless AssignOnly the
  // pixels of the image and the reference are converted into it first.
  // False, Profile freed and nothing changed, when a conversion fails.
  bool SetImageProfile(FIICCPROFILE& Profile, bool AssignOnly);
  // An ICC file as the image profile; "File not found: " when missing.
  bool AssignProfileFromFile(const std::string& FileName, bool AssignOnly);
  bool SetWorkingProfile(TWorkingProfile Which, bool AssignOnly);

  // ---- files and RAW settings (session_files.cpp, session_raw.cpp)
  // The metadata of the loaded file (a 10 x 10 bitmap), or none.
  TFreeBitmapPtr ImageBitmap;
  // The file-information text: size, unique levels and the metadata.
  std::string FileInformationText() const;
  // The previous or next JPEG, PNG or TIFF (lower- or upper-case
  // extension) of the image's folder; a popup notification when none.
  bool LoadAdjacentImage(bool Previous);
  // Temperature and tint (and, with AdjustExposure and Exposure >= 0, the
  // exposure) from per-channel gains.
  void SetWhiteBalanceFromRGB(bool Inverse, bool AdjustExposure, float R, float G, float B,
                              float Exposure);
  // Crops the reference (when it holds pixels) and the image to their
  // centre quarters.
  void CropCenterPart();
  // After a non-RAW load with LOG decoding on: asks whether to turn it off
  // (unless the preferences say not to ask; the answer's box sets that).
  void AskToTurnOffLogDecoding();

  // ---- statistics
  int64_t CalculationCount() const { return FCalcRuns.load(); }
  int32_t MaxConcurrentCalculations() const { return FMaxConcurrent.load(); }

  // ---- TRendererHost
  bool MainFormReady() const override { return Ready.load(); }
  TImageVBPP& WorkingImage() override { return FSourceImage; }
  TImage32& ProcessedImage() override { return FWorkImage; }
  uint8_t DisplayMode() const override { return PreviewDisplayMode.load(); }
  int32_t PreviewBitmapWidth() const override { return FWorkImage.Width; }
  // The analyzer's pictures (session_analyzer_host.cpp): on the renderer
  // thread after each render, or on the main thread with the renderer
  // paused, so the rendered image is never read while it is written.
  bool CalcAnalyzer(bool Partial) override;
  void SetPreviewImageChanged() override {}
  void ShowProcessedImage() override;
  void UpdateAnalyzerWindow() override;
  void UpdatePicker() override;

 private:
  // The calculator's pause for a scope, waiting until it is really idle.
  class TCalculatorPause {
   public:
    explicit TCalculatorPause(TKromelSession& S);
    ~TCalculatorPause();

   private:
    TLUTCalculator* FCalc;
  };
  void Publish();
  // The pipeline's own ready flag, which the calculator reads under the lock.
  void SetPipelineReady(bool Value);
  void EditRefresh();
  // SaveLut for the picture, ICC, DCP and curve formats; false when Ext is
  // none of them (Saved untouched).
  bool SaveLutInOtherFormat(const std::string& FileName, const std::string& Ext, bool& Saved);
  // Attaches the preset in its chunked form to Lut (PresetLock held).
  bool AttachPresetStream(T3DLut& Lut, bool WithEmbeddedPreset);
  std::unique_ptr<TLutPipeline> FPipeline;
  std::unique_ptr<TLutRenderer> FRenderer;
  TImageVBPP FSourceImage;
  TImage32 FWorkImage;
  std::vector<TSessionView*> FObservers;
  // Cleared on destruction; events posted from other threads check it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  TGuardedLut FPublished;
  std::atomic<int32_t> FRunning{0};
  std::atomic<int32_t> FMaxConcurrent{0};
  std::atomic<int64_t> FCalcRuns{0};
  int32_t FPreviewRefreshDepth = 0;
  std::mutex FAnalyzerRefLock;  // guards the two below
  TImage32 FAnalyzerRef;
  TImage64 FAnalyzerRef16;
};

}  // namespace kromel
