#include "session/session_core.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "colour/colour_models.h"
#include "fileio/image_files.h"
#include "foundation/debug_log.h"
#include "foundation/error_sink.h"
#include "platform/folders.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_plugin.h"

namespace kromel {

namespace {

void Log(const char* Text) {
  if (DebugLogEnabled()) DebugLogAdd(Text, 0);
}

// The translated text with Path in place of %s.
std::string WithPath(const char* Text, const std::string& Path) {
  std::string S = _(Text);
  const auto At = S.find("%s");
  if (At != std::string::npos) S.replace(At, 2, Path);
  return S;
}

bool ReadableWritable(const std::string& Path) { return ::access(Path.c_str(), R_OK | W_OK) == 0; }

// The start-up warnings about the temporary and configuration folders.
void CheckFolders() {
  const std::string Temp = TempFolder();
  if (!DirectoryExists(Temp))
    PlatformShowMessage(WithPath(
        "Warning! Temp folder (%s) does not exists. This may cause problems using the program. "
        "Please create this directory or change the folder in system preferences (Windows only)",
        Temp));
  else if (!ReadableWritable(Temp))
    PlatformShowMessage(WithPath(
        "Warning! Temp folder (%s) does not have permissions for writing or reading. This may "
        "cause problems using the program. Please set the permissions for this folder.",
        Temp));
  std::string Config = ConfigFolder();
  if (!Config.empty() && Config.back() != '/') Config += '/';
  std::error_code Ignored;
  if (!DirectoryExists(Config) && !std::filesystem::create_directories(Config, Ignored) &&
      !DirectoryExists(Config))
    PlatformShowMessage(WithPath(
        "Warning! Failed to create the directory for storing the config file (%s). Please set "
        "the permissions for the user folder in order to save your preferences.",
        Config));
  else if (!ReadableWritable(Config))
    PlatformShowMessage(WithPath(
        "Warning! Config file (%s) does not have permissions for writing or reading. This may "
        "cause problems using the program. Please set the permissions for this file.",
        Config));
}

}  // namespace

namespace {
TSessionSettings& SettingsOrOwn(TSessionSettings* Given,
                                std::unique_ptr<TSessionSettings>& Own) {
  if (Given != nullptr) return *Given;
  Own = std::make_unique<TSessionSettings>();
  return *Own;
}
}  // namespace

TKromelSession::TKromelSession(TSessionView* View, TSessionSettings* SettingsRecord,
                               int32_t LutSize)
    : Settings(SettingsOrOwn(SettingsRecord, FOwnSettings)), Prefs(Settings.Preferences) {
  Subscribe(View);
  Image.Init();
  ReferenceImage.Init();
  FWorkImage.Init();
  ImageProfileData = EmptyICCProfile();
  try {
    CheckFolders();
  } catch (...) {
    PlatformShowMessage("Exception in FormCreate 1.11");
  }
  TUpdateLock Lock(*this);
  Preset = std::make_unique<TKromelPreset>();
  Controls.LinkControlsToPreset(*Preset);
  FPipeline = std::make_unique<TLutPipeline>(*Preset);
  FPipeline->Ready = false;
  int32_t Size = std::max(3, LutSize > 0 ? LutSize : Prefs.WorkingLutSize());
  if (!ValidLutLevels(Size)) Size = 33;
  FPipeline->SetLutSize(Size);
  Publish();
  LutCalculator = std::make_unique<TLUTCalculator>(*this);
}

TKromelSession::~TKromelSession() {
  *FAlive = false;
  Close();
  Image.Dispose();
  ReferenceImage.Dispose();
  SetAnalyzerReference(nullptr);
  FWorkImage.Dispose();
  FSourceImage.Dispose();
  FreeICCProfileData(ImageProfileData);
}

void TKromelSession::Show() {
  Log("MainForm.FormShow start");
  if (CloseRequested) return;
  Ready = true;
  SetPipelineReady(true);
  GetProcessingBitmap();
  RendererCreate();
  UpdateImage(true, false);
}

void TKromelSession::Close() {
  Log("KRMF.FormClose start");
  Ready = false;
  SetPipelineReady(false);
  // The link goes first: no LUT or frame passes once closing has begun.
  Plugin.reset();
  RendererBlock();
  // The calculator first, then the renderer; each is waited for until its
  // thread has really ended (pending main-thread calls run meanwhile). A
  // calculation under way stops at its next stage.
  if (LutCalculator) {
    LutCalculator->Stop();
    LutCalculator.reset();
  }
  RendererDestroy();
  // Messages and events the threads posted before they ended.
  if (IsMainThread()) DrainMainThreadCalls();
  Log("KRMF.FormClose end");
}

// ---- events

void TKromelSession::Subscribe(TSessionView* Observer) {
  if (Observer == nullptr) return;
  if (std::find(FObservers.begin(), FObservers.end(), Observer) == FObservers.end())
    FObservers.push_back(Observer);
}

void TKromelSession::Unsubscribe(TSessionView* Observer) {
  FObservers.erase(std::remove(FObservers.begin(), FObservers.end(), Observer),
                   FObservers.end());
}

void TKromelSession::Notify(const std::function<void(TSessionView&)>& Event) {
  if (!IsMainThread()) {
    std::weak_ptr<bool> Alive = FAlive;
    PostToMainThread([this, Alive, Event] {
      const auto Live = Alive.lock();
      if (Live && *Live) Notify(Event);
    });
    return;
  }
  // A copy: an observer may unsubscribe while it is told.
  const std::vector<TSessionView*> Observers = FObservers;
  for (TSessionView* Observer : Observers)
    if (std::find(FObservers.begin(), FObservers.end(), Observer) != FObservers.end())
      Event(*Observer);
}

// ---- calculation

void TKromelSession::SetPipelineReady(bool Value) { FPipeline->Ready = Value; }

TKromelSession::TCalculatorPause::TCalculatorPause(TKromelSession& S)
    : FCalc(S.LutCalculator.get()) {
  if (FCalc != nullptr) FCalc->PauseUntilIdle();
}

TKromelSession::TCalculatorPause::~TCalculatorPause() {
  if (FCalc != nullptr) FCalc->Unpause();
}

void TKromelSession::Publish() {
  FPublished.Write([this](T3DLut& Lut) {
    if (!Lut.CopyFrom(FPipeline->MainLut)) Lut.FreeData();
  });
}

bool TKromelSession::CopyMainLut(T3DLut& Lut) { return FPublished.CopyTo(Lut); }

bool TKromelSession::CalcLut() {
  const int32_t Now = ++FRunning;
  int32_t Max = FMaxConcurrent.load();
  while (Now > Max && !FMaxConcurrent.compare_exchange_weak(Max, Now)) {
  }
  // The latest snapshot the main thread posted; the preset itself is not
  // read here, so edits go on meanwhile.
  bool Done = false;
  if (Ready) {
    Done = FPipeline->RunSnapshot() == TLutPipeline::TRunResult::Done;
    if (Done) Publish();
  }
  ++FCalcRuns;
  --FRunning;
  return Done;
}

bool TKromelSession::RunWasAbandoned() { return FPipeline->RunWasAbandoned(); }

void TKromelSession::AbandonRun() { FPipeline->AbandonRun(); }

void TKromelSession::PostSnapshot() {
  FPipeline->VolumeOverflow = Prefs.ClipToWhite;
  // The run takes the preset's model into its own context; the readers
  // outside a run (plots, histograms, the grid extent) follow it here.
  SetColorModel(Preset->ColorModel->Value);
  FPipeline->PostSnapshot();
}

bool TKromelSession::CalcLutTransform(T3DLut& ALut) {
  if (!Ready) return false;
  return FPipeline->CalcLutTransform(ALut);
}

void TKromelSession::LUTCalculationFinished(bool Succeeded) {
  try {
    if (!Ready) return;
    Notify([Succeeded](TSessionView& V) { V.LutCalculated(Succeeded); });
    if (Succeeded && Plugin) Plugin->LutCalculated();
    ProcessImageStart();
  } catch (...) {
    ErrorMessageProc("Kromel Pro: Exception in LutCalcFinished 1");
  }
  DrainMainThreadCalls();
}

void TKromelSession::UpdateImage(bool ShowResult, bool Sync) {
  if (!Ready || !FRenderer || UpdateLockCount > 0) return;
  if (!LutCalculator && !Sync) {
    Log("UpdateImage Cancel, thread nil");
    return;
  }
  (void)ShowResult;  // the view state belongs to the window
  DrainMainThreadCalls();
  try {
    if (Sync) {
      Log("UpdateImage Start1");
      bool Done = false;
      PostSnapshot();  // a run under way goes stale and stops at once
      {
        TCalculatorPause Pause(*this);
        Done = CalcLut();
      }
      LUTCalculationFinished(Done);
      Log("UpdateImage Finish");
    } else {
      PostSnapshot();
      LutCalculator->Request();
      LutCalculator->Resume();
    }
  } catch (...) {
    ErrorMessageProc("Kromel Pro: Exception in Do 2");
  }
}

void TKromelSession::ProcessImageStart() {
  if (!Ready || !FRenderer || UpdateLockCount > 0) return;
  try {
    Log("ProcessImageStart");
    FRenderer->UseOpenCL = Prefs.OpenCLEnable;
    FRenderer->RequestRender();
  } catch (...) {
    ErrorMessageProc("Exception in ProcessImageStart");
  }
}

void TKromelSession::InvalidateLutStages(int32_t Level) {
  if (!Ready) return;
  FPipeline->InvalidateLutStages(Level);
  if (Level <= 3) Dirty.ABDistributionDirty = Dirty.CLDistributionDirty = true;
  if (Level <= 4) Dirty.CurvesHistogramsDirty = true;
  if (Level <= 5) Dirty.Curves2DDistributionDirty = Dirty.MaskHistogramDirty = true;
}

void TKromelSession::MaskChanged() {
  // Built now when no run holds the mask LUTs, else before the next run.
  FPipeline->RequestMaskUpdate();
  InvalidateLutStages(1);
}

bool TKromelSession::UpdateMaskKeyLut(T3DLut& Lut) {
  // A calculator of its own over the preset: no run is waited for.
  TKromelPresetCalculator Calc;
  Calc.Preset = Preset.get();
  FPipeline->ApplyRunOptions();
  return Lut.EnsureSize(FPipeline->LutSize) && Calc.CalcLutMaskKey(Lut, FPipeline->Settings);
}

bool TKromelSession::SetLUTSize(int32_t Size) {
  // Below 2 or above 256 nothing is applied; 2..4 are reported and applied.
  if (Size < 5 || !ValidLutLevels(Size))
    PlatformShowMessage("Error in Set 3DLUT Size: Size " + std::to_string(Size) + " is unusable");
  if (!ValidLutLevels(Size)) return false;
  if (Size == FPipeline->LutSize) return true;
  {
    TRendererBlockGuard Block(*this);
    FPipeline->AbandonRun();
    TCalculatorPause Pause(*this);
    FPipeline->SetLutSize(Size);
    Publish();
  }
  UpdateImage(true, false);
  return true;
}

int32_t TKromelSession::GetExportLutSize() const {
  return Prefs.AlwaysSave64 ? Prefs.ExportLutSize : FPipeline->LutSize;
}

std::unique_ptr<T3DLUTWithStatistics> TKromelSession::CompileLut(int32_t Size, bool Flag) {
  TJobScope Job(Progress, _("Compiling LUT"));
  try {
    if (!ValidLutLevels(Size)) throw std::invalid_argument("size");
    T3DLut A, B, C, E;
    auto R = std::make_unique<T3DLUTWithStatistics>();
    if (!A.SetSize(Size) || !B.SetSize(Size) || !C.SetSize(Size) || !E.SetSize(Size) ||
        !R->SetSize(Size))
      return nullptr;
    {
      // A calculator of its own over the preset (main thread): the stage
      // LUTs and a run under way are left alone.
      TKromelPresetCalculator Calc;
      Calc.Preset = Preset.get();
      Calc.ContinueRun = [&Job](int32_t Block) {
        Job.Step((Block - 1) / 7.0);
        return !Job.Cancelled();
      };
      FPipeline->VolumeOverflow = Prefs.ClipToWhite;
      FPipeline->ApplyRunOptions();
      TColorModelPreferences Settings = FPipeline->Settings;
      if (!Calc.CalcLutMaskKey(B, Settings)) return nullptr;
      T3DLut* Source = &B;
      T3DLut* Key = &A;
      T3DLut* Mask = &A;
      Calc.ProcessMask(Source, Key, Mask, nullptr, nullptr, Settings);
      if (!Calc.CalcLutTransform(*R, R.get(), R.get(), nullptr, &E, R.get(), R.get(), &B, &C, &A,
                                 Size, Settings, smNone, nullptr)) {
        if (Calc.Abandoned) return nullptr;  // cancelled
        throw std::runtime_error("calculation");
      }
      if (!Prefs.DontSavePresetsToLUTs && !AttachPresetStream(*R, Flag))
        throw std::runtime_error("preset");
    }
    Job.Step(1);
    Job.Succeed(true);
    return R;
  } catch (...) {
    ErrorMessageProc("Exception in CompileLut");
    return nullptr;
  }
}

// ---- renderer

void TKromelSession::RendererCreate() {
  Log("RendererCreate start");
  if (!Ready) return;
  if (UpdateLockCount > 0) {
    RendererCreatePending = true;
    return;
  }
  RendererCreatePending = false;
  if (!FRenderer) FRenderer = std::make_unique<TLutRenderer>(*this, Prefs.OpenCLEnable);
  FRenderer->ClearStop();
  Log("RendererCreate end");
}

bool TKromelSession::RendererBlock() {
  if (!FRenderer) {
    Log("RendererBlock Not needed - thread=nil");
    return false;
  }
  if (FRenderer->StopRequested()) {
    Log("RendererBlock start - already blocked");
    return false;
  }
  Log("RendererBlock start");
  FRenderer->StopAndWait();
  Log("RendererBlock Finished");
  return true;
}

void TKromelSession::SetViewSource(const TImage64& Visible) {
  if (CloseRequested || !HasArea(Visible)) return;
  {
    TRendererBlockGuard Block(*this);
    if (FSourceImage.Image64.Width != Visible.Width || FSourceImage.Image64.Height != Visible.Height ||
        FSourceImage.Image64.Pixels == nullptr)
      FSourceImage.Realloc(Visible.Width, Visible.Height, true);
    std::copy(Visible.Pixels, Visible.Pixels + Visible.Size, FSourceImage.Image64.Pixels);
    FSourceImage.Image64.CopyMarginsFrom(Visible);
    if (FWorkImage.Width != Visible.Width || FWorkImage.Height != Visible.Height ||
        FWorkImage.Pixels == nullptr)
      FWorkImage.SetSize(Visible.Width, Visible.Height);
  }
  ProcessImageStart();
}

void TKromelSession::RendererDestroy() { FRenderer.reset(); }

void TKromelSession::GetProcessingBitmap() {
  if (CloseRequested || !Ready || ViewSourceFromWindow) return;
  Log("GetProcessingBitmap start");
  // Fit the image into the view keeping its aspect; never above full size.
  int32_t W = Image.Width, H = Image.Height;
  if (ViewWidth > 0 && ViewHeight > 0 && W > 0 && H > 0 && (W > ViewWidth || H > ViewHeight)) {
    const double Scale = std::min(static_cast<double>(ViewWidth) / W,
                                  static_cast<double>(ViewHeight) / H);
    W = std::max(1, static_cast<int32_t>(W * Scale));
    H = std::max(1, static_cast<int32_t>(H * Scale));
  }
  // The renderer reads both images: they change only while it is blocked.
  TRendererBlockGuard Block(*this);
  try {
    if (Image.IsEmpty()) {
      FSourceImage.Dispose();
      FWorkImage.Dispose();
    } else {
      if (W == Image.Width && H == Image.Height) {
        FSourceImage.Image64.Copy(Image);
      } else {
        FSourceImage.Dispose();
        FSourceImage.Image64.Init();
        Image.DrawFittedToImage64(FSourceImage.Image64, W, H, 0, 0);
      }
      if (FWorkImage.Width != W || FWorkImage.Height != H || FWorkImage.Pixels == nullptr)
        FWorkImage.SetSize(W, H);
    }
  } catch (...) {
    ErrorMessageProc("Kromel Pro: GetProcessingBitmap - Exception 3");
  }
  Log(UpdateLockCount < 1 ? "GetProcessingBitmap finish" : "GetProcessingBitmap cancel");
}

void TKromelSession::ShowProcessedImage() {
  if (FPreviewRefreshDepth > 0) return;
  ++FPreviewRefreshDepth;
  try {
    Notify([this](TSessionView& V) { V.ShowProcessedImage(FWorkImage); });
  } catch (...) {
    ErrorMessageProc("Exception in ShowProcessedImage");
  }
  --FPreviewRefreshDepth;
}

void TKromelSession::UpdateAnalyzerWindow() {
  Notify([](TSessionView& V) { V.UpdateAnalyzerWindow(); });
}

void TKromelSession::UpdatePicker() {
  Notify([](TSessionView& V) { V.UpdatePicker(); });
}

}  // namespace kromel
