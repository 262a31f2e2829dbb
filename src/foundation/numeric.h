// Small numeric helpers: larger/smaller of several values, clamps, median,
// decibels, signed power, angles, random integers, rotations.
#pragma once
#include <cstdint>
#include <utility>
#include <vector>

namespace kromel {

using TIntegerArray = std::vector<int32_t>;
using TBooleanArray = std::vector<bool>;

union Large_Integer {
  struct {
    uint32_t LowPart;
    int32_t HighPart;
  };
  int64_t QuadPart;
};

// Two-value members return A only when strictly greater (smaller); ties and
// unordered pairs give B. Longer members keep the earliest extreme, and a
// NaN never replaces the running result.
float MaxSingle(float A, float B);
float MinSingle(float A, float B);
float MaxSingle3(float A, float B, float C);
float MinSingle3(float A, float B, float C);
float MaxSingle4(float A, float B, float C, float D);
float MinSingle4(float A, float B, float C, float D);
float MaxSingle5(float A, float B, float C, float D, float E);
float MinSingle5(float A, float B, float C, float D, float E);
float MaxSingle6(float A, float B, float C, float D, float E, float F);
float MinSingle6(float A, float B, float C, float D, float E, float F);
float MaxSingle7(float A, float B, float C, float D, float E, float F, float G);
float MaxSingle9(float A, float B, float C, float D, float E, float F, float G, float H, float I);
float MaxSingle10(float A, float B, float C, float D, float E, float F, float G, float H, float I,
                  float J);
double MaxDouble(double A, double B);
double MinDouble(double A, double B);
double MinDouble3(double A, double B, double C);
double MinDouble4(double A, double B, double C, double D);
int32_t MaxInteger(int32_t A, int32_t B);
int32_t MinInteger(int32_t A, int32_t B);
int32_t MaxInteger3(int32_t A, int32_t B, int32_t C);
int32_t MinInteger3(int32_t A, int32_t B, int32_t C);
int32_t MaxInteger4(int32_t A, int32_t B, int32_t C, int32_t D);
int32_t MinInteger4(int32_t A, int32_t B, int32_t C, int32_t D);
int32_t MaxInteger5(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E);
int32_t MaxInteger6(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E, int32_t F);
int32_t MaxInteger9(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E, int32_t F, int32_t G,
                    int32_t H, int32_t I);
int32_t MaxInteger10(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E, int32_t F, int32_t G,
                     int32_t H, int32_t I, int32_t J);

// X rounded (halves to even) into the 64-bit range: NaN gives 0 and values
// beyond the range its nearest end, so no cast is undefined.
int64_t RoundToInt64Saturated(double X);

int32_t ClampInteger(int32_t V, int32_t Lo, int32_t Hi);
// NaN passes through unchanged.
inline float Clamp01(float X) { return X < 0 ? 0.0f : (X > 1 ? 1.0f : X); }
int32_t ClampByte(int32_t V);
int32_t ClampSmallInt(int32_t V);           // -32767..32767
int32_t ClampPositiveSmallInt(int32_t V);   // 0..32767
int32_t NonZero(int32_t V);
// 3 or 2 for a strict minimum in C or B, else 1.
int32_t IndexOfMin3(int32_t A, int32_t B, int32_t C);

int32_t Median5(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E);
float AmpToDB(float X);
float DBToAmp(float X);
double SignedPower(double X, double E);
float AngleDifference(float A, float B);
bool AngleInRange(float X, float Lo, float Hi);
// Uniform over 0..N-1; 0 when N < 1.
int32_t RandomInteger(int32_t N);
// Uniform in [0, 1); one generator per thread, so workers can dither freely.
float RandomFloat01();
uint32_t RotateRight32(uint32_t V, unsigned Count);
uint32_t RotateLeft32(uint32_t V, unsigned Count);
uint64_t RotateLeft64(uint64_t V, unsigned Count);

template <class T>
inline void SwapValues(T& A, T& B) {
  std::swap(A, B);
}
inline void SwapIntegers(int32_t& A, int32_t& B) { SwapValues(A, B); }

// Bytes currently allocated on the heap.
uint64_t GetMemoryUsed();

}  // namespace kromel
