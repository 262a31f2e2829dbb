// TFFT: the radix-2 Fourier transform object with its windows and magnitude
// readers. A plain value: Alloc once (every buffer at the largest size),
// Init for a length, run as often as needed, Free at the end. Without a
// successful Alloc every operation does nothing.
//
// The forward transform uses the kernel e^(+2 pi i jk/n), the inverse
// e^(-2 pi i jk/n); neither scales. Magnitude readers report
// sqrt(re^2 + im^2) / 512.
#pragma once
#include <cstdint>

#include "images/sample.h"

namespace kromel {

constexpr int32_t MaxFFTSize = 131072;

// Frequency weighting of the spectrum readers.
enum : int32_t { FFTWeightNone = 0, FFTWeightSqrt = 1, FFTWeightLinear = 2 };
// Window kinds of Perform_FFT_Buf.
enum : int32_t { FFTWindowNone = 0, FFTWindowBlackmanHarris = 1, FFTWindowHann = 2 };

struct TFFT {
  int32_t Position = 0;  // write position of AddSample
  int32_t Size = 0;      // transform length n, a power of two
  int32_t Bits = 0;      // binary digits of the requested length
  int32_t SqrtSize = 0;  // round(sqrt(requested length))
  int32_t Spare0 = 0;
  int32_t Spare1 = 0;    // 2n
  int32_t* BitReverseTable = nullptr;
  TSample32 InRe, OutRe, InIm, OutIm;
  TSample32 AlphaFwd, BetaFwd, AlphaInv, BetaInv;  // indexed by block length
  TSample32 Work;  // holds data exactly when Alloc succeeded

  bool Allocated() const { return Work.Data != nullptr && BitReverseTable != nullptr; }

  // Reports "Error: Not enough memory for TFFT.Alloc!" on failure.
  void Alloc();
  void Free();
  // Length is limited to 1..MaxFFTSize and lowered to a power of two.
  void Init(int32_t Length);

  // Clears the input and copies Buf into InRe (zero-padded or cut to n).
  void LoadInput(const TSample32& Buf);
  // Ignored once n samples are held.
  void AddSample(float Value);
  void Perform_FFT();
  // LoadInput, then the window of kind Window, then Perform_FFT.
  void Perform_FFT_Buf(const TSample32& Buf, int32_t Window);
  void Perform_IFFT();
  // Output back to input, inverse transform, OutRe into Dest scaled by
  // 1/8192 whatever n is (Dest must have room for n samples).
  void InverseToBuffer(TSample32& Dest);

  // Periodic Hann: 0.5 (1 - cos(2 pi i/n)).
  void ApplyHannWindow();
  // Four-term Blackman-Harris with x = 2 pi i/(n - 1).
  void ApplyBlackmanHarrisWindow();
  void SmoothInput();
  // Scales every output bin louder than Limit down to it; answers how many.
  int32_t LimitMagnitudes(float Limit);

  // Readers. Points whose bin falls outside the transform are written as 0,
  // except that the log readers stop at the first bin at or above n.
  void GetMagnitudes(TSample32& Dest) const;
  float MagnitudeAt(int32_t Index) const;
  void GetLinearSpectrum(TSample32& Dest, int32_t LowHz, int32_t HighHz, int32_t SampleRate,
                         int32_t Weighting) const;
  void GetLinearSpectrumOf(const TSample32& A, const TSample32& B, TSample32& Dest,
                           int32_t LowHz, int32_t HighHz, float Gain, int32_t SampleRate,
                           int32_t Weighting) const;
  // Dest[i] at LowHz (HighHz/LowHz)^(i/Count); nothing unless LowHz,
  // HighHz and SampleRate are positive.
  void GetLogSpectrum(TSample32& Dest, int32_t LowHz, int32_t HighHz, int32_t SampleRate,
                      int32_t Weighting) const;
  void GetLogSpectrumOf(const TSample32& A, const TSample32& B, TSample32& Dest, int32_t LowHz,
                        int32_t HighHz, float Gain, int32_t SampleRate, int32_t Weighting) const;
};

// The low Bits - 1 bits of Value in reverse order.
int32_t BitReverse(int32_t Value, int32_t Bits);
// k when Value is 2^k, otherwise 1.
int32_t IntLog2(int32_t Value);

}  // namespace kromel
