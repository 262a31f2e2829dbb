// Date-time values as day counts (days since 1899-12-30, time as the
// fraction of a day) and their text forms.
#pragma once
#include <string>

namespace kromel {

using TDateTime = double;

TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second,
                         int MilliSecond);
void DecodeDateTime(TDateTime Value, int& Year, int& Month, int& Day, int& Hour, int& Minute,
                    int& Second, int& MilliSecond);
// The current local date and time.
TDateTime NowLocal();
// "yyyy-mm-dd hh:nn:ss.zzz" (23 characters).
std::string FormatTimestamp(TDateTime Value);
// Reads "yyyy-mm-dd" or "yyyy/mm/dd", optionally followed by a blank or "T"
// and "hh:nn", "hh:nn:ss" or "hh:nn:ss.zzz". Throws std::invalid_argument
// when the text is not such a date.
TDateTime StrToDateTime(const std::string& Text);

}  // namespace kromel
