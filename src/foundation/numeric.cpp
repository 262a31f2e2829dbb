#include "foundation/numeric.h"

#include <bit>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <malloc.h>
#include <mutex>
#include <random>

namespace kromel {

namespace {

template <class T>
T MaxOf(std::initializer_list<T> L) {
  auto It = L.begin();
  T R = *It;
  for (++It; It != L.end(); ++It)
    if (*It > R) R = *It;
  return R;
}

template <class T>
T MinOf(std::initializer_list<T> L) {
  auto It = L.begin();
  T R = *It;
  for (++It; It != L.end(); ++It)
    if (*It < R) R = *It;
  return R;
}

constexpr long double PiL = 3.141592653589793238462643383279502884L;

}  // namespace

float MaxSingle(float A, float B) { return A > B ? A : B; }
float MinSingle(float A, float B) { return A < B ? A : B; }
float MaxSingle3(float A, float B, float C) { return MaxOf({A, B, C}); }
float MinSingle3(float A, float B, float C) { return MinOf({A, B, C}); }
float MaxSingle4(float A, float B, float C, float D) { return MaxOf({A, B, C, D}); }
float MinSingle4(float A, float B, float C, float D) { return MinOf({A, B, C, D}); }
float MaxSingle5(float A, float B, float C, float D, float E) { return MaxOf({A, B, C, D, E}); }
float MinSingle5(float A, float B, float C, float D, float E) { return MinOf({A, B, C, D, E}); }
float MaxSingle6(float A, float B, float C, float D, float E, float F) {
  return MaxOf({A, B, C, D, E, F});
}
float MinSingle6(float A, float B, float C, float D, float E, float F) {
  return MinOf({A, B, C, D, E, F});
}
float MaxSingle7(float A, float B, float C, float D, float E, float F, float G) {
  return MaxOf({A, B, C, D, E, F, G});
}
float MaxSingle9(float A, float B, float C, float D, float E, float F, float G, float H, float I) {
  return MaxOf({A, B, C, D, E, F, G, H, I});
}
float MaxSingle10(float A, float B, float C, float D, float E, float F, float G, float H, float I,
                  float J) {
  return MaxOf({A, B, C, D, E, F, G, H, I, J});
}
double MaxDouble(double A, double B) { return A > B ? A : B; }
double MinDouble(double A, double B) { return A < B ? A : B; }
double MinDouble3(double A, double B, double C) { return MinOf({A, B, C}); }
double MinDouble4(double A, double B, double C, double D) { return MinOf({A, B, C, D}); }
int32_t MaxInteger(int32_t A, int32_t B) { return A > B ? A : B; }
int32_t MinInteger(int32_t A, int32_t B) { return A < B ? A : B; }
int32_t MaxInteger3(int32_t A, int32_t B, int32_t C) { return MaxOf({A, B, C}); }
int32_t MinInteger3(int32_t A, int32_t B, int32_t C) { return MinOf({A, B, C}); }
int32_t MaxInteger4(int32_t A, int32_t B, int32_t C, int32_t D) { return MaxOf({A, B, C, D}); }
int32_t MinInteger4(int32_t A, int32_t B, int32_t C, int32_t D) { return MinOf({A, B, C, D}); }
int32_t MaxInteger5(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E) {
  return MaxOf({A, B, C, D, E});
}
int32_t MaxInteger6(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E, int32_t F) {
  return MaxOf({A, B, C, D, E, F});
}
int32_t MaxInteger9(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E, int32_t F, int32_t G,
                    int32_t H, int32_t I) {
  return MaxOf({A, B, C, D, E, F, G, H, I});
}
int32_t MaxInteger10(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E, int32_t F, int32_t G,
                     int32_t H, int32_t I, int32_t J) {
  return MaxOf({A, B, C, D, E, F, G, H, I, J});
}

int32_t ClampInteger(int32_t V, int32_t Lo, int32_t Hi) {
  if (V < Lo) V = Lo;
  if (V > Hi) V = Hi;
  return V;
}

int64_t RoundToInt64Saturated(double X) {
  if (std::isnan(X)) return 0;
  // 2^63 is exact as a double; everything below it converts.
  constexpr double Limit = 9223372036854775808.0;
  if (X >= Limit) return std::numeric_limits<int64_t>::max();
  if (X <= -Limit) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(std::nearbyint(X));
}

int32_t ClampByte(int32_t V) { return ClampInteger(V, 0, 255); }
int32_t ClampSmallInt(int32_t V) { return ClampInteger(V, -32767, 32767); }
int32_t ClampPositiveSmallInt(int32_t V) { return ClampInteger(V, 0, 32767); }
int32_t NonZero(int32_t V) { return V == 0 ? 1 : V; }

int32_t IndexOfMin3(int32_t A, int32_t B, int32_t C) {
  if (C < A && C < B) return 3;
  if (B < A && B < C) return 2;
  return 1;
}

int32_t Median5(int32_t A, int32_t B, int32_t C, int32_t D, int32_t E) {
  auto Order = [](int32_t& X, int32_t& Y) {
    if (X > Y) std::swap(X, Y);
  };
  Order(A, B);
  Order(B, C);
  Order(C, D);
  if (D > E) D = E;
  Order(A, B);
  Order(B, C);
  Order(C, D);
  if (A > B) B = A;
  if (B > C) C = B;
  if (C > D) C = D;
  return C;
}

float AmpToDB(float X) {
  if (X < 1e-9f) return -200.0f;
  return static_cast<float>(20.0L * std::log10(static_cast<long double>(X)));
}

float DBToAmp(float X) {
  const float E = X / 6.0f;
  return static_cast<float>(std::pow(2.0L, static_cast<long double>(E)));
}

double SignedPower(double X, double E) {
  if (X == 0 || E == 1) return X;
  const double M = std::exp(E * std::log(std::fabs(X)));
  return X < 0 ? -M : M;
}

float AngleDifference(float A, float B) {
  long double D = static_cast<float>(B - A);
  if (D < -PiL) D += 2 * PiL;
  if (D > PiL) D -= 2 * PiL;
  return static_cast<float>(D);
}

bool AngleInRange(float X, float Lo, float Hi) {
  const float Middle = (Lo + Hi) / 2;
  long double V = X;
  if (V > Middle + PiL) V -= 2 * PiL;
  return Lo < V && V < Hi;
}

int32_t RandomInteger(int32_t N) {
  if (N < 1) return 0;
  static std::mutex Lock;
  static std::mt19937 Engine{std::random_device{}()};
  std::uniform_int_distribution<int32_t> Dist(0, N - 1);
  std::lock_guard<std::mutex> Guard(Lock);
  return Dist(Engine);
}

float RandomFloat01() {
  thread_local std::mt19937 Engine{std::random_device{}()};
  return std::uniform_real_distribution<float>(0.0f, 1.0f)(Engine);
}

uint32_t RotateRight32(uint32_t V, unsigned Count) { return std::rotr(V, static_cast<int>(Count % 32)); }
uint32_t RotateLeft32(uint32_t V, unsigned Count) { return std::rotl(V, static_cast<int>(Count % 32)); }
uint64_t RotateLeft64(uint64_t V, unsigned Count) { return std::rotl(V, static_cast<int>(Count % 64)); }

uint64_t GetMemoryUsed() {
  struct mallinfo2 Info = mallinfo2();
  return static_cast<uint64_t>(Info.uordblks) + static_cast<uint64_t>(Info.hblkhd);
}

}  // namespace kromel
