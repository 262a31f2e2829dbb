#include "analysis/image_spectrum.h"

#include <algorithm>
#include <exception>

#include "foundation/error_sink.h"
#include "images/fft.h"

namespace kromel {

namespace {

constexpr int32_t BlockLength = 1024;

// Runs one block through the transform and adds its log spectrum.
class TBlockSpectra {
public:
  TBlockSpectra(TSample32& Spectrum, TSample32& Temp, int32_t Rate, int32_t Divisor)
      : FSpectrum(Spectrum), FTemp(Temp), FRate(Rate), FMaxFreq(Rate / 2),
        FMinFreq(FMaxFreq / std::max(Divisor, int32_t(1))) {
    FBlock.Init();
    FBlock.Alloc(BlockLength);
    FFFT.Alloc();
    FFFT.Init(BlockLength);
  }
  ~TBlockSpectra() {
    FFFT.Free();
    FBlock.Dispose();
  }
  bool Ready() const { return FBlock.HoldsData() && FFFT.Allocated(); }
  float* Block() { return FBlock.Data; }
  void AddBlock() {
    FFFT.LoadInput(FBlock);
    FFFT.ApplyBlackmanHarrisWindow();
    FFFT.Perform_FFT();
    FFFT.GetLogSpectrum(FTemp, FMinFreq, FMaxFreq, FRate, FFTWeightLinear);
    for (int64_t I = 0; I < FSpectrum.Count; ++I) FSpectrum.Data[I] += FTemp.Data[I];
  }

private:
  TSample32& FSpectrum;
  TSample32& FTemp;
  int32_t FRate, FMaxFreq, FMinFreq;
  TSample32 FBlock;
  TFFT FFFT;
};

}  // namespace

void CalcImage32FFT(const TImage64& Image, TSample32& Spectrum, int32_t Divisor) {
  if (!Spectrum.HoldsData() || Spectrum.Count <= 0) return;
  TSample32 Temp;
  Temp.Init();
  try {
    Spectrum.Clear();
    if (!Temp.Alloc(Spectrum.Count)) return;
    Temp.Clear();
    if (HasArea(Image)) {
      const int32_t X0 = std::clamp(Image.MarginLeft, 0, Image.Width);
      const int32_t X1 = std::clamp(Image.Width - Image.MarginRight, X0, Image.Width);
      const int32_t Y0 = std::clamp(Image.MarginTop, 0, Image.Height);
      const int32_t Y1 = std::clamp(Image.Height - Image.MarginBottom, Y0, Image.Height);
      const int32_t Rate = int32_t(std::min<int64_t>(16LL * Image.Width, INT32_MAX));
      TBlockSpectra Spectra(Spectrum, Temp, Rate, Divisor);
      if (Spectra.Ready()) {
        const auto Sample = [&](int32_t X, int32_t Y) {
          return (float(Image.Pixels[int64_t(Y) * Image.Width + X].G) - 32768.0f) * 0.25f;
        };
        for (int32_t Y = Y0; Y < Y1; ++Y)
          for (int32_t S = X0; S + BlockLength <= X1; S += BlockLength / 2) {
            for (int32_t I = 0; I < BlockLength; ++I) Spectra.Block()[I] = Sample(S + I, Y);
            Spectra.AddBlock();
          }
        for (int32_t X = X0; X < X1; ++X)
          for (int32_t S = Y0; S + BlockLength <= Y1; S += BlockLength / 2) {
            for (int32_t I = 0; I < BlockLength; ++I) Spectra.Block()[I] = Sample(X, S + I);
            Spectra.AddBlock();
          }
      }
    }
    Spectrum.Normalize();
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in CalcImage32FFT");
  }
  Temp.Dispose();
}

}  // namespace kromel
