#include "session/session_core.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "colour/colour_models.h"
#include "fileio/image_files.h"
#include "foundation/debug_log.h"
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

TKromelSession::TKromelSession(TSessionView* View, const TSessionPreferences& Prefs)
    : View(View), Prefs(Prefs) {
  Image.Init();
  ReferenceImage.Init();
  WorkImage.Init();
  ImageProfileData = EmptyICCProfile();
  try {
    CheckFolders();
  } catch (...) {
    PlatformShowMessage("Exception in FormCreate 1.11");
  }
  TUpdateLock Lock(*this);
  Preset = std::make_unique<TKromelPreset>();
  Controls.LinkControlsToPreset(*Preset);
  Pipeline = std::make_unique<TLutPipeline>(*Preset);
  Pipeline->Ready = false;
  int32_t Size = std::max(3, Prefs.LutSize);
  if (!ValidLutLevels(Size)) Size = 33;
  Pipeline->SetLutSize(Size);
  Publish();
  LutCalculator = std::make_unique<TLUTCalculator>(*this);
}

TKromelSession::~TKromelSession() {
  Close();
  Image.Dispose();
  ReferenceImage.Dispose();
  WorkImage.Dispose();
  SourceImage.Dispose();
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
  // thread has really ended (pending main-thread calls run meanwhile).
  if (LutCalculator) {
    LutCalculator->Terminate();
    LutCalculator->Resume();
    LutCalculator->WaitFor();
    LutCalculator.reset();
  }
  Renderer.reset();
  Log("KRMF.FormClose end");
}

// ---- calculation

void TKromelSession::SetPipelineReady(bool Value) {
  std::lock_guard<TPresetLock> Guard(Pipeline->Calculator.PresetLock);
  Pipeline->Ready = Value;
}

TKromelSession::TCalculatorPause::TCalculatorPause(TKromelSession& S)
    : FCalc(S.LutCalculator.get()) {
  if (FCalc != nullptr) FCalc->PauseUntilIdle();
}

TKromelSession::TCalculatorPause::~TCalculatorPause() {
  if (FCalc != nullptr) FCalc->Unpause();
}

void TKromelSession::Publish() {
  FPublished.Write([this](T3DLut& Lut) {
    if (!Lut.CopyFrom(Pipeline->MainLut)) Lut.FreeData();
  });
}

bool TKromelSession::CopyMainLut(T3DLut& Lut) { return FPublished.CopyTo(Lut); }

bool TKromelSession::CalcLut() {
  const int32_t Now = ++FRunning;
  int32_t Max = FMaxConcurrent.load();
  while (Now > Max && !FMaxConcurrent.compare_exchange_weak(Max, Now)) {
  }
  bool Done = false;
  {
    std::lock_guard<TPresetLock> Guard(Pipeline->Calculator.PresetLock);
    Pipeline->VolumeOverflow = Prefs.ClipToWhite;
    // The run takes the preset's model into its own context; the readers
    // outside a run (plots, histograms, the grid extent) follow it here.
    SetColorModel(Pipeline->Preset.ColorModel->Value);
    Done = Pipeline->CalcLut();
    if (Done) Publish();
  }
  ++FCalcRuns;
  --FRunning;
  return Done;
}

bool TKromelSession::CalcLutTransform(T3DLut& ALut) {
  if (!Ready) return false;
  return Pipeline->CalcLutTransform(ALut);
}

void TKromelSession::LUTCalculationFinished(bool Succeeded) {
  try {
    if (!Ready) return;
    if (View != nullptr) View->LutCalculated(Succeeded);
    if (Succeeded && Plugin) Plugin->LutCalculated();
    ProcessImageStart();
  } catch (...) {
    ErrorMessageProc("Kromel Pro: Exception in LutCalcFinished 1");
  }
  DrainMainThreadCalls();
}

void TKromelSession::UpdateImage(bool ShowResult, bool Sync) {
  if (!Ready || !Renderer || UpdateLockCount > 0) return;
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
      {
        TCalculatorPause Pause(*this);
        Done = CalcLut();
      }
      LUTCalculationFinished(Done);
      Log("UpdateImage Finish");
    } else {
      LutCalculator->Request();
      LutCalculator->Resume();
    }
  } catch (...) {
    ErrorMessageProc("Kromel Pro: Exception in Do 2");
  }
}

void TKromelSession::ProcessImageStart() {
  if (!Ready || !Renderer || UpdateLockCount > 0) return;
  try {
    Log("ProcessImageStart");
    Renderer->UseOpenCL = Prefs.OpenCLEnable;
    Renderer->RequestRender();
  } catch (...) {
    ErrorMessageProc("Exception in ProcessImageStart");
  }
}

void TKromelSession::InvalidateLutStages(int32_t Level) {
  if (!Ready) return;
  Pipeline->InvalidateLutStages(Level);
  if (Level <= 3) Dirty.ABDistributionDirty = Dirty.CLDistributionDirty = true;
  if (Level <= 4) Dirty.CurvesHistogramsDirty = true;
  if (Level <= 5) Dirty.Curves2DDistributionDirty = Dirty.MaskHistogramDirty = true;
}

void TKromelSession::MaskChanged() {
  {
    std::lock_guard<TPresetLock> Guard(Pipeline->Calculator.PresetLock);
    TKromelPresetCalculator& C = Pipeline->Calculator;
    TMaskAdjustments* Mask = C.MaskUnit();
    const int32_t Type = Mask != nullptr ? Mask->MaskType->Value : 0;
    if (Type != 18 && Type != 19) {
      T3DLut* Source = C.LutMaskSource.get();
      T3DLut* Key = C.LutMaskKey.get();
      T3DLut* Dest = C.LutMask.get();
      C.ProcessMask(Source, Key, Dest, nullptr, nullptr, Pipeline->Settings);
    }
  }
  InvalidateLutStages(1);
}

bool TKromelSession::UpdateMaskKeyLut(T3DLut& Lut) {
  TCalculatorPause Pause(*this);
  std::lock_guard<TPresetLock> Guard(Pipeline->Calculator.PresetLock);
  Pipeline->ApplyRunOptions();
  return Lut.EnsureSize(Pipeline->LutSize) &&
         Pipeline->Calculator.CalcLutMaskKey(Lut, Pipeline->Settings);
}

bool TKromelSession::SetLUTSize(int32_t Size) {
  // Below 2 or above 256 nothing is applied; 2..4 are reported and applied.
  if (Size < 5 || !ValidLutLevels(Size))
    PlatformShowMessage("Error in Set 3DLUT Size: Size " + std::to_string(Size) + " is unusable");
  if (!ValidLutLevels(Size)) return false;
  if (Size == Pipeline->LutSize) return true;
  {
    TRendererBlockGuard Block(*this);
    TCalculatorPause Pause(*this);
    Pipeline->SetLutSize(Size);
    Publish();
  }
  UpdateImage(true, false);
  return true;
}

int32_t TKromelSession::GetExportLutSize() const {
  return Prefs.AlwaysSave64 ? Prefs.ExportLutSize : Pipeline->LutSize;
}

std::unique_ptr<T3DLUTWithStatistics> TKromelSession::CompileLut(int32_t Size, bool Flag) {
  try {
    if (!ValidLutLevels(Size)) throw std::invalid_argument("size");
    T3DLut A, B, C, E;
    auto R = std::make_unique<T3DLUTWithStatistics>();
    if (!A.SetSize(Size) || !B.SetSize(Size) || !C.SetSize(Size) || !E.SetSize(Size) ||
        !R->SetSize(Size))
      return nullptr;
    {
      std::lock_guard<TPresetLock> Guard(Pipeline->Calculator.PresetLock);
      TKromelPresetCalculator& Calc = Pipeline->Calculator;
      Pipeline->VolumeOverflow = Prefs.ClipToWhite;
      Pipeline->ApplyRunOptions();
      if (!Calc.CalcLutMaskKey(B, Pipeline->Settings)) return nullptr;
      T3DLut* Source = &B;
      T3DLut* Key = &A;
      T3DLut* Mask = &A;
      Calc.ProcessMask(Source, Key, Mask, nullptr, nullptr, Pipeline->Settings);
      if (!Calc.CalcLutTransform(*R, R.get(), R.get(), nullptr, &E, R.get(), R.get(), &B, &C, &A,
                                 Size, Pipeline->Settings, smNone, nullptr))
        throw std::runtime_error("calculation");
      if (!Prefs.DontSavePresetIntoLut && !AttachPresetStream(*R, Flag))
        throw std::runtime_error("preset");
    }
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
  if (!Renderer) Renderer = std::make_unique<TLutRenderer>(*this, Prefs.OpenCLEnable);
  Renderer->ClearStop();
  Log("RendererCreate end");
}

bool TKromelSession::RendererBlock() {
  if (!Renderer) {
    Log("RendererBlock Not needed - thread=nil");
    return false;
  }
  if (Renderer->StopRequested()) {
    Log("RendererBlock start - already blocked");
    return false;
  }
  Log("RendererBlock start");
  Renderer->StopAndWait();
  Log("RendererBlock Finished");
  return true;
}

void TKromelSession::SetViewSource(const TImage64& Visible) {
  if (CloseRequested || !HasArea(Visible)) return;
  {
    TRendererBlockGuard Block(*this);
    if (SourceImage.Image64.Width != Visible.Width || SourceImage.Image64.Height != Visible.Height ||
        SourceImage.Image64.Pixels == nullptr)
      SourceImage.Realloc(Visible.Width, Visible.Height, true);
    std::copy(Visible.Pixels, Visible.Pixels + Visible.Size, SourceImage.Image64.Pixels);
    if (WorkImage.Width != Visible.Width || WorkImage.Height != Visible.Height ||
        WorkImage.Pixels == nullptr)
      WorkImage.SetSize(Visible.Width, Visible.Height);
  }
  ProcessImageStart();
}

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
      SourceImage.Dispose();
      WorkImage.Dispose();
    } else {
      if (W == Image.Width && H == Image.Height) {
        SourceImage.Image64.Copy(Image);
      } else {
        SourceImage.Dispose();
        SourceImage.Image64.Init();
        Image.DrawFittedToImage64(SourceImage.Image64, W, H, 0, 0);
      }
      if (WorkImage.Width != W || WorkImage.Height != H || WorkImage.Pixels == nullptr)
        WorkImage.SetSize(W, H);
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
    if (View != nullptr) View->ShowProcessedImage(WorkImage);
  } catch (...) {
    ErrorMessageProc("Exception in ShowProcessedImage");
  }
  --FPreviewRefreshDepth;
}

void TKromelSession::UpdateAnalyzerWindow() {
  if (View != nullptr) View->UpdateAnalyzerWindow();
}

void TKromelSession::UpdatePicker() {
  if (View != nullptr) View->UpdatePicker();
}

}  // namespace kromel
