#include "foundation/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "foundation/ascii_case.h"
#include "foundation/numeric.h"

namespace kromel {

namespace {

std::string UnsignedDigits(uint64_t V) {
  char Buf[24];
  auto R = std::to_chars(Buf, Buf + sizeof Buf, V);
  return std::string(Buf, R.ptr);
}

uint64_t Magnitude(int64_t V) {
  return V < 0 ? static_cast<uint64_t>(0) - static_cast<uint64_t>(V) : static_cast<uint64_t>(V);
}

std::string PadLeft(std::string S, std::size_t Width, char Fill) {
  if (S.size() < Width) S.insert(0, Width - S.size(), Fill);
  return S;
}

template <class F>
std::string GeneralText(F X) {
  if (std::isnan(X)) return "Nan";
  if (std::isinf(X)) return X > 0 ? "+Inf" : "-Inf";
  char Buf[64];
  const F A = std::fabs(X);
  const bool Fixed = A == 0 || (A >= static_cast<F>(1e-5) && A < static_cast<F>(1e15));
  auto R = std::to_chars(Buf, Buf + sizeof Buf, X,
                         Fixed ? std::chars_format::fixed : std::chars_format::scientific);
  std::string S(Buf, R.ptr);
  for (char& C : S)
    if (C == 'e') C = 'E';
  return S;
}

// Digits of N with a "." before the last D of them.
std::string FixedFromScaled(int64_t N, int D) {
  std::string T = Int64ToStrZeroPad(N, D + 1);
  T.insert(T.size() - static_cast<std::size_t>(D), ".");
  return T;
}

constexpr double Int64Limit = 9.2233720368547e18;

// Scales in float for the Single members; a value outside the integer range
// (or NaN) falls back to the general text.
std::string FixedSingle(float X, int D) {
  static const float Scale[] = {1.0f, 10.0f, 100.0f, 1000.0f, 10000.0f, 100000.0f};
  const float P = X * Scale[D];
  if (!(std::fabs(static_cast<double>(P)) < Int64Limit)) return GeneralText(X);
  return FixedFromScaled(static_cast<int64_t>(std::nearbyint(P)), D);
}

std::string FixedDouble(double X, int D) {
  const double P = X * std::pow(10.0, D);
  if (!(std::fabs(P) < Int64Limit)) return GeneralText(X);
  return FixedFromScaled(static_cast<int64_t>(std::nearbyint(P)), D);
}

bool NeedsGeneral(float X) { return std::isnan(X) || std::fabs(X) >= 1e8f; }

std::string PlusUnlessMinus(std::string S) {
  if (S.empty() || S[0] != '-') S.insert(0, "+");
  return S;
}

float FracF(float X) { return X - std::trunc(X); }

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// Length of the longest number at the start of S (after blanks), in the
// runtime's float syntax; Start receives the first non-blank position.
std::size_t FloatPrefix(const std::string& S, std::size_t& Start) {
  std::size_t P = 0;
  while (P < S.size() && (S[P] == ' ' || S[P] == '\t')) ++P;
  Start = P;
  if (P < S.size() && (S[P] == '+' || S[P] == '-')) ++P;
  std::size_t Digits = 0;
  while (P < S.size() && IsDigit(S[P])) ++P, ++Digits;
  if (P < S.size() && S[P] == '.') {
    std::size_t Q = P + 1;
    std::size_t Frac = 0;
    while (Q < S.size() && IsDigit(S[Q])) ++Q, ++Frac;
    if (Digits + Frac > 0) {
      P = Q;
      Digits += Frac;
    }
  }
  if (Digits == 0) return 0;
  if (P < S.size() && (S[P] == 'e' || S[P] == 'E')) {
    std::size_t Q = P + 1;
    if (Q < S.size() && (S[Q] == '+' || S[Q] == '-')) ++Q;
    std::size_t ExpDigits = 0;
    while (Q < S.size() && IsDigit(S[Q])) ++Q, ++ExpDigits;
    if (ExpDigits > 0) P = Q;
  }
  return P - Start;
}

template <class F>
F LeadingFloat(const std::string& S) {
  std::size_t Start = 0;
  const std::size_t Len = FloatPrefix(S, Start);
  if (Len == 0) return 0;
  std::string T = S.substr(Start, Len);
  if (T[0] == '+') T.erase(0, 1);
  if (T[0] == '.' || (T[0] == '-' && T.size() > 1 && T[1] == '.'))
    T.insert(T[0] == '-' ? 1 : 0, "0");
  F V = 0;
  auto R = std::from_chars(T.data(), T.data() + T.size(), V);
  if (R.ec == std::errc::result_out_of_range) {
    const bool Negative = T[0] == '-';
    const std::size_t E = T.find_first_of("eE");
    const bool Tiny = E != std::string::npos && T.find('-', E) != std::string::npos;
    if (Tiny) return 0;
    return Negative ? -std::numeric_limits<F>::infinity() : std::numeric_limits<F>::infinity();
  }
  return R.ec == std::errc() ? V : 0;
}

// Strict decimal 32-bit conversion: the whole text must be an integer.
bool StrictInt32(const std::string& S, int32_t& Out) {
  if (S.empty()) return false;
  auto R = std::from_chars(S.data(), S.data() + S.size(), Out);
  return R.ec == std::errc() && R.ptr == S.data() + S.size();
}

}  // namespace

std::string Int64ToStrZeroPad(int64_t V, int32_t Width) {
  std::string T = UnsignedDigits(Magnitude(V));
  if (Width > 1) T = PadLeft(T, static_cast<std::size_t>(Width), '0');
  return V < 0 ? "-" + T : T;
}

std::string IntToStrZeroPad(int32_t V, int32_t Width) { return Int64ToStrZeroPad(V, Width); }

std::string IntToStrPad3(int32_t V) { return PadLeft(std::to_string(V), 3, ' '); }
std::string IntToStrPad4(int32_t V) { return PadLeft(std::to_string(V), 4, ' '); }

std::string IntToStrSigned(int32_t V) {
  const char Sign = V < 0 ? '-' : (V > 0 ? '+' : ' ');
  return Sign + UnsignedDigits(Magnitude(V));
}

std::string IntToStrSigned3(int32_t V) {
  return PadLeft((V < 0 ? "-" : "+") + UnsignedDigits(Magnitude(V)), 3, ' ');
}

std::string IntToStrGrouped(int32_t V) {
  const std::string D = UnsignedDigits(Magnitude(V));
  std::string Out;
  for (std::size_t I = 0; I < D.size(); ++I) {
    if (I > 0 && (D.size() - I) % 3 == 0) Out += ' ';
    Out += D[I];
  }
  return V < 0 ? "-" + Out : Out;
}

std::string FloatToStrD1(float X) { return FixedSingle(X, 1); }
std::string FloatToStrD1Signed(float X) { return PlusUnlessMinus(FixedSingle(X, 1)); }
std::string FloatToStrD2(float X) { return NeedsGeneral(X) ? GeneralText(X) : FixedSingle(X, 2); }
std::string FloatToStrD2Plus(float X) {
  return NeedsGeneral(X) ? GeneralText(X) : PlusUnlessMinus(FixedSingle(X, 2));
}
std::string FloatToStrD2Signed(float X) {
  if (NeedsGeneral(X)) return GeneralText(X);
  return (X >= 0 ? "+" : "") + FixedSingle(X, 2);
}
std::string FloatToStrD3(float X) { return NeedsGeneral(X) ? GeneralText(X) : FixedSingle(X, 3); }
std::string FloatToStrD4(float X) { return FixedSingle(X, 4); }
std::string FloatToStrD5(float X) { return FixedSingle(X, 5); }
std::string FloatToStrD6(double X) { return FixedDouble(X, 6); }
std::string FloatToStrD8(double X) { return FixedDouble(X, 8); }
std::string FloatToStrGeneral(float X) { return GeneralText(X); }
std::string FloatToStrGeneral(double X) { return GeneralText(X); }

std::string AmpToDBText(float X) {
  if (X < 1e-9f) return "Off";
  return FloatToStrD1(static_cast<float>(20.0L * std::log10(static_cast<long double>(X))));
}

std::string PanToStr(float X) {
  if (X == 0) return "<C>";
  if (X < 0) return std::to_string(RoundToInt64Saturated(-X * 100.0f)) + " L";
  return std::to_string(RoundToInt64Saturated(X * 100.0f)) + " R";
}

std::string QuartersToFraction(float V) {
  float N = V * 16.0f;
  float D = 64.0f;
  if (FracF(N * 3.0f) <= 0.001f && FracF(N) > 0.001f) {
    N = N * 3.0f;
    D = D * 3.0f;
  }
  for (int I = 0; I < 3; ++I)
    if (FracF(N * 0.5f) <= 0.001f) {
      N *= 0.5f;
      D *= 0.5f;
    }
  for (int I = 0; I < 4; ++I)
    if (FracF(N * 0.5f) <= 0.001f && FracF(D * 0.5f) <= 0.001f) {
      N *= 0.5f;
      D *= 0.5f;
    }
  const std::string Numerator =
      FracF(N) <= 0.001f ? std::to_string(RoundToInt64Saturated(N)) : FloatToStrD1(N);
  return Numerator + "/" + std::to_string(RoundToInt64Saturated(D));
}

std::string LeadingSpacesToZeros(const std::string& S) {
  std::string R = S;
  for (char& C : R) {
    if (C != ' ') break;
    C = '0';
  }
  return R;
}

std::string StrToHexDump(const std::string& S) {
  std::string R = "(1)";
  char Buf[8];
  for (unsigned char C : S) {
    std::snprintf(Buf, sizeof Buf, " %04X", static_cast<unsigned>(C));
    R += Buf;
  }
  return R;
}

std::string BoolToTrueFalse(bool B) { return B ? "True" : "False"; }
std::string BoolToOnOff(bool B) { return B ? "On" : "Off"; }

float StrToFloatLeading(const std::string& S) { return LeadingFloat<float>(S); }
double StrToDoubleLeading(const std::string& S) { return LeadingFloat<double>(S); }

int32_t StrToIntLeading(const std::string& S) {
  std::size_t P = 0;
  while (P < S.size() && (S[P] == ' ' || S[P] == '\t')) ++P;
  bool Negative = false;
  if (P < S.size() && (S[P] == '+' || S[P] == '-')) Negative = S[P++] == '-';
  // Digits beyond the 32-bit range saturate.
  const int64_t Limit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + (Negative ? 1 : 0);
  int64_t V = 0;
  for (; P < S.size() && IsDigit(S[P]); ++P) V = std::min(Limit, V * 10 + (S[P] - '0'));
  return static_cast<int32_t>(Negative ? -V : V);
}

int64_t HexToInt(const std::string& S) {
  if (S.empty()) return 0;
  std::string T = UpperAscii(S);
  if (T.back() == 'H') T.pop_back();
  uint64_t V = 0;
  for (char C : T) {
    int Digit;
    if (C >= '0' && C <= '9')
      Digit = C - '0';
    else if (C >= 'A' && C <= 'F')
      Digit = C - 'A' + 10;
    else
      return 0;
    V = (V << 4) + static_cast<uint64_t>(Digit);
  }
  return static_cast<int64_t>(V);
}

int32_t EvalIntegerSum(const std::string& S) {
  char Sign = '+';
  std::string Rest = S;
  int64_t Sum = 0;
  auto TrimFront = [&Rest] {
    std::size_t K = 0;
    while (K < Rest.size() && Rest[K] == ' ') ++K;
    Rest.erase(0, K);
  };
  while (!Rest.empty()) {
    const std::size_t Cut = std::min(Rest.find_first_of(" -+"), Rest.size());
    int32_t Number = 0;
    if (!StrictInt32(Rest.substr(0, Cut), Number)) Number = 0;
    Rest.erase(0, Cut);
    TrimFront();
    Sum = Sign == '+' ? Sum + Number : Sum - Number;
    if (!Rest.empty()) {
      Sign = Rest[0];
      Rest.erase(0, 1);
      // Blanks after a sign belong to it ("10 + 5" is 15).
      TrimFront();
    }
  }
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(Sum)));
}

}  // namespace kromel
