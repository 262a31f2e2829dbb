// From a 24-megapixel JPEG named on the command line to the first graded
// preview frame of the main window (offscreen platform), and the shares of
// decoding, the first LUT and the first render measured alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/main_form.h"
#include "engine/kromel_preset.h"
#include "engine/lut_pipeline.h"
#include "fileio/image_files.h"
#include "fileio/image_save.h"
#include "platform/main_thread.h"
#include "widgets/image_with_zoom.h"
#include "widgets/widgets_init.h"

namespace kromel {
namespace {

const std::string& Photo() {
  static const std::string Name = [] {
    const std::string F = (std::filesystem::temp_directory_path() / "kromel_bench_24mp.jpg").string();
    if (!std::filesystem::exists(F)) {
      TImage64 I;
      I.Alloc(6000, 4000);
      for (int32_t Y = 0; Y < 4000; ++Y)
        for (int32_t X = 0; X < 6000; ++X) {
          const uint64_t H = uint64_t(Y * 6000 + X) * 0x9E3779B97F4A7C15ull;
          I.Pixels[Y * 6000 + X].Init(uint16_t(X * 10 + (H & 1023)), uint16_t(Y * 16 + (H >> 10 & 1023)),
                                      uint16_t(30000 + (H >> 20 & 4095)), 65535);
        }
      SaveImage64ToFile8bit(I, F, EmptyICCProfile());
      I.Dispose();
    }
    return F;
  }();
  return Name;
}

QApplication& App() {
  static int Argc = 1;
  static char Name[] = "bench";
  static char* Argv[] = {Name, nullptr};
  static QApplication* A = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto* P = new QApplication(Argc, Argv);
    InstallWidgetServices();
    return P;
  }();
  return *A;
}

void BM_WindowToFirstGradedFrame(benchmark::State& State) {
  App();
  Photo();
  const std::string Settings =
      (std::filesystem::temp_directory_path() / "kromel_bench_settings.xml").string();
  for (auto _ : State) {
    TKromelMainForm Form(std::make_shared<TSettingsFile>(Settings));
    Form.resize(2560, 1440);
    Form.OpenFiles({Photo()});
    Form.show();
    while (!(Form.ShownRenders() > 0 && Form.Preview().Layout.ResultReady)) {
      QCoreApplication::processEvents();
      DrainMainThreadCalls();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    State.PauseTiming();
    Form.Session().PresetUnmodified = true;
    Form.close();
    State.ResumeTiming();
  }
}
BENCHMARK(BM_WindowToFirstGradedFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_StartShareDecode(benchmark::State& State) {
  Photo();
  for (auto _ : State) {
    TImage64 I;
    benchmark::DoNotOptimize(LoadImage64FromFile(I, Photo(), false, 1.0f));
    I.Dispose();
  }
}
BENCHMARK(BM_StartShareDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_StartShareFirstLut(benchmark::State& State) {
  for (auto _ : State) {
    TKromelPreset P;
    P.LogDecoder->MaxColor->SetValue(MaxColorWhite);
    TLutPipeline Pipeline(P);
    Pipeline.SetLutSize(25);
    benchmark::DoNotOptimize(Pipeline.CalcLut());
  }
}
BENCHMARK(BM_StartShareFirstLut)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kromel
