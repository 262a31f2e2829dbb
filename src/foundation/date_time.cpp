#include "foundation/date_time.h"
#include "foundation/numeric.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace kromel {

namespace {

// Days from 1970-01-01 for a proleptic Gregorian date.
long long DaysFromCivil(long long Y, unsigned M, unsigned D) {
  Y -= M <= 2;
  const long long Era = (Y >= 0 ? Y : Y - 399) / 400;
  const unsigned Yoe = static_cast<unsigned>(Y - Era * 400);
  const unsigned Doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
  const unsigned Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
  return Era * 146097 + static_cast<long long>(Doe) - 719468;
}

void CivilFromDays(long long Z, int& Y, int& M, int& D) {
  Z += 719468;
  const long long Era = (Z >= 0 ? Z : Z - 146096) / 146097;
  const unsigned Doe = static_cast<unsigned>(Z - Era * 146097);
  const unsigned Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
  const unsigned Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
  const unsigned Mp = (5 * Doy + 2) / 153;
  D = static_cast<int>(Doy - (153 * Mp + 2) / 5 + 1);
  M = static_cast<int>(Mp < 10 ? Mp + 3 : Mp - 9);
  Y = static_cast<int>(static_cast<long long>(Yoe) + Era * 400 + (M <= 2));
}

constexpr long long DaysFrom1899To1970 = 25569;

bool IsLeap(int Y) { return (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0; }

int DaysInMonth(int Y, int M) {
  static const int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return (M == 2 && IsLeap(Y)) ? 29 : Days[M - 1];
}

}  // namespace

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second,
                         int MilliSecond) {
  double Days = static_cast<double>(DaysFromCivil(Year, Month, Day) + DaysFrom1899To1970);
  double Time = (Hour * 3600000.0 + Minute * 60000.0 + Second * 1000.0 + MilliSecond) / 86400000.0;
  return Days + Time;
}

void DecodeDateTime(TDateTime Value, int& Year, int& Month, int& Day, int& Hour, int& Minute,
                    int& Second, int& MilliSecond) {
  // Whole milliseconds, rounded, so that encode and decode round-trip.
  // NaN reads as day 0; values beyond 2^62 milliseconds saturate there.
  constexpr long long MaxMs = 1LL << 62;
  const long long Ms =
      std::clamp<long long>(RoundToInt64Saturated(Value * 86400000.0), -MaxMs, MaxMs);
  long long DayCount = Ms >= 0 ? Ms / 86400000 : -((-Ms + 86399999) / 86400000);
  long long InDay = Ms - DayCount * 86400000;
  CivilFromDays(DayCount - DaysFrom1899To1970, Year, Month, Day);
  Hour = static_cast<int>(InDay / 3600000);
  Minute = static_cast<int>(InDay / 60000 % 60);
  Second = static_cast<int>(InDay / 1000 % 60);
  MilliSecond = static_cast<int>(InDay % 1000);
}

TDateTime NowLocal() {
  using namespace std::chrono;
  auto Now = system_clock::now();
  std::time_t T = system_clock::to_time_t(Now);
  int Ms = static_cast<int>(duration_cast<milliseconds>(Now.time_since_epoch()).count() % 1000);
  if (Ms < 0) Ms += 1000;
  std::tm Local{};
  localtime_r(&T, &Local);
  return EncodeDateTime(Local.tm_year + 1900, Local.tm_mon + 1, Local.tm_mday, Local.tm_hour,
                        Local.tm_min, Local.tm_sec, Ms);
}

std::string FormatTimestamp(TDateTime Value) {
  int Y, Mo, D, H, Mi, S, Ms;
  DecodeDateTime(Value, Y, Mo, D, H, Mi, S, Ms);
  char Buf[48];
  std::snprintf(Buf, sizeof Buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", Y, Mo, D, H, Mi, S, Ms);
  return Buf;
}

TDateTime StrToDateTime(const std::string& Text) {
  std::size_t P = 0;
  auto Fail = [&]() -> TDateTime {
    throw std::invalid_argument("'" + Text + "' is not a valid date and time");
  };
  auto SkipBlanks = [&] {
    while (P < Text.size() && (Text[P] == ' ' || Text[P] == '\t')) ++P;
  };
  auto Number = [&](int MinDigits, int MaxDigits, int& Out) {
    int Digits = 0;
    Out = 0;
    while (P < Text.size() && Digits < MaxDigits && Text[P] >= '0' && Text[P] <= '9') {
      Out = Out * 10 + (Text[P] - '0');
      ++P;
      ++Digits;
    }
    return Digits >= MinDigits;
  };
  SkipBlanks();
  int Y, Mo, D, H = 0, Mi = 0, S = 0, Ms = 0;
  if (!Number(4, 4, Y)) return Fail();
  if (P >= Text.size() || (Text[P] != '-' && Text[P] != '/')) return Fail();
  const char Sep = Text[P++];
  if (!Number(1, 2, Mo)) return Fail();
  if (P >= Text.size() || Text[P] != Sep) return Fail();
  ++P;
  if (!Number(1, 2, D)) return Fail();
  if (P < Text.size() && (Text[P] == ' ' || Text[P] == 'T')) {
    ++P;
    SkipBlanks();
    if (P < Text.size()) {
      if (!Number(1, 2, H)) return Fail();
      if (P >= Text.size() || Text[P] != ':') return Fail();
      ++P;
      if (!Number(1, 2, Mi)) return Fail();
      if (P < Text.size() && Text[P] == ':') {
        ++P;
        if (!Number(1, 2, S)) return Fail();
        if (P < Text.size() && Text[P] == '.') {
          ++P;
          const std::size_t Start = P;
          if (!Number(1, 3, Ms)) return Fail();
          for (std::size_t K = P - Start; K < 3; ++K) Ms *= 10;
        }
      }
    }
  }
  SkipBlanks();
  if (P != Text.size()) return Fail();
  if (Mo < 1 || Mo > 12 || D < 1 || D > DaysInMonth(Y, Mo) || H > 23 || Mi > 59 || S > 59)
    return Fail();
  return EncodeDateTime(Y, Mo, D, H, Mi, S, Ms);
}

}  // namespace kromel
