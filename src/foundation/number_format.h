// Number texts written into files and shown in windows, and the readers of
// numbers at the start of a text. "." is the decimal point whatever the locale.
#pragma once
#include <cstdint>
#include <string>

namespace kromel {

std::string IntToStrZeroPad(int32_t V, int32_t Width);
std::string Int64ToStrZeroPad(int64_t V, int32_t Width);
std::string IntToStrPad3(int32_t V);
std::string IntToStrPad4(int32_t V);
std::string IntToStrSigned(int32_t V);
std::string IntToStrSigned3(int32_t V);
std::string IntToStrGrouped(int32_t V);

// Fixed decimals: X * 10^d in the input's precision, rounded half to even.
std::string FloatToStrD1(float X);
std::string FloatToStrD1Signed(float X);
std::string FloatToStrD2(float X);
std::string FloatToStrD2Plus(float X);
std::string FloatToStrD2Signed(float X);
std::string FloatToStrD3(float X);
std::string FloatToStrD4(float X);
std::string FloatToStrD5(float X);
std::string FloatToStrD6(double X);
std::string FloatToStrD8(double X);
// The general float text (shortest round-trip digits, fixed below 1e15).
std::string FloatToStrGeneral(float X);
std::string FloatToStrGeneral(double X);

std::string AmpToDBText(float X);
std::string PanToStr(float X);
std::string QuartersToFraction(float V);
std::string LeadingSpacesToZeros(const std::string& S);
std::string StrToHexDump(const std::string& S);
std::string BoolToTrueFalse(bool B);
std::string BoolToOnOff(bool B);

float StrToFloatLeading(const std::string& S);
double StrToDoubleLeading(const std::string& S);
// The leading whole number (0 when none); beyond the 32-bit range it saturates.
int32_t StrToIntLeading(const std::string& S);
int64_t HexToInt(const std::string& S);
int32_t EvalIntegerSum(const std::string& S);

}  // namespace kromel
