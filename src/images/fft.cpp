#include "images/fft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <numbers>
#include <string>

#include "foundation/error_sink.h"

namespace kromel {

namespace {

constexpr int64_t TableLength = MaxFFTSize + 1;
constexpr long double Pi = std::numbers::pi_v<long double>;

TSample32* AllocOrder(TFFT& F, int I) {
  TSample32* Order[] = {&F.AlphaFwd, &F.AlphaInv, &F.BetaFwd, &F.BetaInv, &F.InRe,
                        &F.InIm,     &F.OutRe,    &F.OutIm,   &F.Work};
  return I < 9 ? Order[I] : nullptr;
}

void ClearN(TSample32& S, int32_t N) {
  if (S.Data != nullptr && N > 0) std::memset(S.Data, 0, size_t(N) * sizeof(float));
}

float Magnitude(float Re, float Im) { return std::sqrt(Re * Re + Im * Im); }

float Weighted(float Value, double Hz, int32_t Weighting) {
  const double F = std::max(Hz, 0.0);
  if (Weighting == FFTWeightSqrt) return float(Value * std::sqrt(F) / 25.0);
  if (Weighting == FFTWeightLinear) return float(Value * F / 600.0);
  return Value;
}

// In-place radix-2 butterflies over data already in bit-reversed order,
// turning w by the table pair (Alpha, Beta) of each block length.
void Butterflies(float* Re, float* Im, int32_t N, const float* Alpha, const float* Beta) {
  for (int32_t L = 2; L <= N; L *= 2) {
    const int32_t H = L / 2;
    const float A = Alpha[L];
    const float B = Beta[L];
    for (int32_t K0 = 0; K0 < N; K0 += L) {
      float Wr = 1.0f;
      float Wi = 0.0f;
      for (int32_t M = 0; M < H; ++M) {
        const int32_t K = K0 + M;
        const int32_t J = K + H;
        const float Tr = Wr * Re[J] - Wi * Im[J];
        const float Ti = Wr * Im[J] + Wi * Re[J];
        Re[J] = Re[K] - Tr;
        Im[J] = Im[K] - Ti;
        Re[K] += Tr;
        Im[K] += Ti;
        const float NextWr = Wr - (A * Wr + B * Wi);
        Wi = Wi - (A * Wi - B * Wr);
        Wr = NextWr;
      }
    }
  }
}

void Scatter(const TFFT& F, TSample32& Re, TSample32& Im) {
  const int32_t N = F.Size;
  ClearN(Re, N);
  ClearN(Im, N);
  for (int32_t I = 0; I < N; ++I) {
    const int32_t T = F.BitReverseTable[I];
    Re.Data[T] = F.InRe.Data[I];
    Im.Data[T] = F.InIm.Data[I];
  }
}

// The log axis: LowHz 2^(-log2(LowHz/HighHz) i/Count).
double LogAxisHz(int32_t LowHz, int32_t HighHz, int64_t I, int64_t Count) {
  const float Octaves = -std::log2(float(LowHz) / float(HighHz));
  const long double E = (long double)Octaves * (double(I) / double(Count));
  return double((long double)LowHz * std::exp2(E));
}

bool LogAxisValid(const TSample32& Dest, int32_t LowHz, int32_t HighHz, int32_t SampleRate) {
  return Dest.Data != nullptr && Dest.Count > 0 && LowHz > 0 && HighHz > 0 && SampleRate > 0;
}

// Bins of the pair (A, B) a reader may use: none without data.
int64_t ReadableBins(int32_t Size, const TSample32& A, const TSample32& B) {
  if (A.Data == nullptr || B.Data == nullptr) return 0;
  return std::max<int64_t>(std::min<int64_t>({int64_t(Size), A.Count, B.Count}), 0);
}

int64_t NearestBin(double X) {
  if (!std::isfinite(X) || std::fabs(X) > 1.0e15) return -1;
  return int64_t(std::nearbyint(X));
}

}  // namespace

int32_t BitReverse(int32_t Value, int32_t Bits) {
  int32_t R = 0;
  for (int32_t I = 0; I < Bits - 1; ++I) R = (R << 1) | ((Value >> I) & 1);
  return R;
}

int32_t IntLog2(int32_t Value) {
  for (int32_t K = 0; K < 31; ++K)
    if (Value == (int32_t(1) << K)) return K;
  return 1;
}

void TFFT::Alloc() {
  Free();
  void* P = nullptr;
  SampleGetMem(P, TableLength * int64_t(sizeof(int32_t)));
  BitReverseTable = static_cast<int32_t*>(P);
  bool Ok = BitReverseTable != nullptr;
  for (int I = 0; Ok && I < 9; ++I) {
    TSample32& S = *AllocOrder(*this, I);
    S.Init();
    Ok = S.Alloc(TableLength);
    if (Ok) S.Clear();
  }
  if (!Ok) {
    Free();
    ErrorMessageProc("Error: Not enough memory for TFFT.Alloc!");
  }
}

void TFFT::Free() {
  for (int I = 8; I >= 0; --I) AllocOrder(*this, I)->Dispose();
  if (BitReverseTable != nullptr) SampleFreeMem(BitReverseTable);
  BitReverseTable = nullptr;
}

void TFFT::Init(int32_t Length) {
  Size = std::clamp(Length, int32_t(1), MaxFFTSize);
  SqrtSize = int32_t(std::nearbyint(std::sqrt(double(Size))));
  Bits = 0;
  for (int32_t V = Size; V > 0; V >>= 1) ++Bits;
  Size = int32_t(1) << (Bits - 1);
  Spare0 = 0;
  Spare1 = 2 * Size;
  Position = 0;
  if (!Allocated()) return;
  for (int32_t I = 0; I < Size; ++I) BitReverseTable[I] = BitReverse(I, Bits);
  for (int32_t L = 1; L <= Size; ++L) {
    const long double S = std::sin(Pi / L);
    AlphaFwd.Data[L] = float(2 * S * S);
    BetaFwd.Data[L] = float(std::sin(2 * Pi / L));
    AlphaInv.Data[L] = float(2 * S * S);  // 2 sin^2(-pi/L) is the same value
    BetaInv.Data[L] = float(std::sin(-2 * Pi / L));
  }
  InRe.Count = InIm.Count = OutRe.Count = OutIm.Count = Work.Count = Size;
}

void TFFT::LoadInput(const TSample32& Buf) {
  if (!Allocated()) return;
  ClearN(InRe, Size);
  ClearN(InIm, Size);
  const int64_t N = Buf.Data != nullptr ? std::min<int64_t>(Buf.Count, Size) : 0;
  if (N > 0) std::memcpy(InRe.Data, Buf.Data, size_t(N) * sizeof(float));
  InRe.Count = InIm.Count = Size;
}

void TFFT::AddSample(float Value) {
  if (!Allocated() || Position < 0 || Position >= Size) return;
  InRe.Data[Position] = Value;
  InIm.Data[Position] = 0.0f;
  ++Position;
}

void TFFT::Perform_FFT() {
  if (!Allocated()) return;
  try {
    Scatter(*this, OutRe, OutIm);
    Butterflies(OutRe.Data, OutIm.Data, Size, AlphaFwd.Data, BetaFwd.Data);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TFFT.Perform_FFT");
  }
}

void TFFT::Perform_FFT_Buf(const TSample32& Buf, int32_t Window) {
  if (!Allocated()) return;
  try {
    LoadInput(Buf);
    if (Window == FFTWindowBlackmanHarris) ApplyBlackmanHarrisWindow();
    if (Window == FFTWindowHann) ApplyHannWindow();
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TFFT.Perform_FFT_Buf 1: Length=" + std::to_string(Buf.Count));
    return;
  }
  try {
    Perform_FFT();
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in TFFT.Perform_FFT_Buf: Length=" + std::to_string(Buf.Count));
  }
}

void TFFT::Perform_IFFT() {
  if (!Allocated()) return;
  Scatter(*this, OutRe, OutIm);
  Butterflies(OutRe.Data, OutIm.Data, Size, AlphaInv.Data, BetaInv.Data);
}

void TFFT::InverseToBuffer(TSample32& Dest) {
  if (!Allocated()) return;
  if (Dest.Data == nullptr || Dest.Count < Size) {
    ErrorMessageProc("TFFT.InverseToBuffer - Size mismatch, Size=" + std::to_string(Size) +
                     " Dest=" + std::to_string(Dest.Data != nullptr ? Dest.Count : 0));
    return;
  }
  std::memcpy(InRe.Data, OutRe.Data, size_t(Size) * sizeof(float));
  std::memcpy(InIm.Data, OutIm.Data, size_t(Size) * sizeof(float));
  Perform_IFFT();
  ClearN(Work, Size);
  std::memcpy(Dest.Data, OutRe.Data, size_t(Size) * sizeof(float));
  Dest.Count = Size;
  Dest.Scale(1.0f / 8192.0f);
}

void TFFT::ApplyHannWindow() {
  if (InRe.Data == nullptr || !Allocated()) return;
  for (int32_t I = 0; I < Size; ++I)
    InRe.Data[I] = float(InRe.Data[I] * 0.5L * (1.0L - std::cos(2 * Pi * I / Size)));
}

void TFFT::ApplyBlackmanHarrisWindow() {
  if (InRe.Data == nullptr || !Allocated()) return;
  const int32_t Span = std::max(Size - 1, int32_t(1));
  for (int32_t I = 0; I < Size; ++I) {
    const long double X = float(2 * Pi * I / Span);
    InRe.Data[I] = float(InRe.Data[I] * (0.35875L - 0.48829L * std::cos(X) +
                                         0.14128L * std::cos(2 * X) - 0.01168L * std::cos(3 * X)));
  }
}

void TFFT::SmoothInput() {
  if (!Allocated()) return;
  for (TSample32* S : {&InRe, &InIm})
    for (int32_t I = 1; I < Size; ++I) S->Data[I] = 0.1f * S->Data[I] + 0.9f * S->Data[I - 1];
}

int32_t TFFT::LimitMagnitudes(float Limit) {
  if (!Allocated()) return 0;
  int32_t Limited = 0;
  for (int32_t I = 0; I < Size; ++I) {
    const float M = Magnitude(OutRe.Data[I], OutIm.Data[I]);
    if (M > Limit) {
      OutRe.Data[I] *= Limit / M;
      OutIm.Data[I] *= Limit / M;
      ++Limited;
    }
  }
  return Limited;
}

void TFFT::GetMagnitudes(TSample32& Dest) const {
  if (!Allocated() || Dest.Data == nullptr) return;
  for (int64_t I = 0; I < Dest.Count; ++I)
    Dest.Data[I] = I < Size ? Magnitude(OutRe.Data[I], OutIm.Data[I]) : 0.0f;
}

float TFFT::MagnitudeAt(int32_t Index) const {
  if (!Allocated() || Index < 0 || Index >= Size) return 0.0f;
  return Magnitude(OutRe.Data[Index], OutIm.Data[Index]) / 512.0f;
}

void TFFT::GetLinearSpectrum(TSample32& Dest, int32_t LowHz, int32_t HighHz, int32_t SampleRate,
                             int32_t Weighting) const {
  if (!Allocated()) return;
  GetLinearSpectrumOf(OutRe, OutIm, Dest, LowHz, HighHz, 1.0f, SampleRate, Weighting);
}

void TFFT::GetLinearSpectrumOf(const TSample32& A, const TSample32& B, TSample32& Dest,
                               int32_t LowHz, int32_t HighHz, float Gain, int32_t SampleRate,
                               int32_t Weighting) const {
  const int64_t Bins = ReadableBins(Size, A, B);
  if (Dest.Data == nullptr || Dest.Count < 2 || SampleRate <= 0 || Bins == 0) return;
  for (int64_t I = 0; I < Dest.Count; ++I) {
    const double F = LowHz + double(I) * (double(HighHz) - LowHz) / double(Dest.Count - 1);
    const int64_t Bin = NearestBin((Size - 1) * F / SampleRate);
    Dest.Data[I] = Bin >= 0 && Bin < Bins
                       ? Weighted(Magnitude(A.Data[Bin], B.Data[Bin]) * Gain / 512.0f, F, Weighting)
                       : 0.0f;
  }
}

void TFFT::GetLogSpectrum(TSample32& Dest, int32_t LowHz, int32_t HighHz, int32_t SampleRate,
                          int32_t Weighting) const {
  if (!Allocated()) return;
  GetLogSpectrumOf(OutRe, OutIm, Dest, LowHz, HighHz, 1.0f, SampleRate, Weighting);
}

void TFFT::GetLogSpectrumOf(const TSample32& A, const TSample32& B, TSample32& Dest,
                            int32_t LowHz, int32_t HighHz, float Gain, int32_t SampleRate,
                            int32_t Weighting) const {
  const int64_t Bins = ReadableBins(Size, A, B);
  if (!LogAxisValid(Dest, LowHz, HighHz, SampleRate) || Bins == 0) return;
  for (int64_t I = 0; I < Dest.Count; ++I) {
    const double F = LogAxisHz(LowHz, HighHz, I, Dest.Count);
    const int64_t Bin = NearestBin(double(Size) * F / SampleRate);
    if (Bin < 0 || Bin >= Bins) break;
    Dest.Data[I] = Weighted(Magnitude(A.Data[Bin], B.Data[Bin]) * Gain / 512.0f, F, Weighting);
  }
}

}  // namespace kromel
