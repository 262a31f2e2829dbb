#include "foundation/paths.h"

#include <unistd.h>

#include <cstring>
#include <limits>
#include <vector>

#include "foundation/ascii_case.h"
#include "foundation/number_format.h"
#include "foundation/text_tokens.h"
#include "foundation/utf16.h"
#include "platform/command_line.h"

namespace kromel {

namespace {

bool EndsWithCI(const std::string& S, const char* Suffix) {
  const std::size_t N = std::strlen(Suffix);
  if (S.size() < N) return false;
  for (std::size_t I = 0; I < N; ++I)
    if (UpperAscii(S[S.size() - N + I]) != UpperAscii(Suffix[I])) return false;
  return true;
}

bool StartsWithCI(const std::string& S, const std::string& Prefix) {
  if (S.size() < Prefix.size()) return false;
  for (std::size_t I = 0; I < Prefix.size(); ++I)
    if (UpperAscii(S[I]) != UpperAscii(Prefix[I])) return false;
  return true;
}

std::size_t CharCount(const std::string& S) {
  std::size_t N = 0;
  for (char C : S)
    if (!IsContinuationByte(C)) ++N;
  return N;
}

void DropLastChar(std::string& S) {
  while (!S.empty()) {
    const char C = S.back();
    S.pop_back();
    if (!IsContinuationByte(C)) break;
  }
}

// Repeats deleting the first character of the leftmost Pair until none is left.
void CollapsePairs(std::string& S, const char* Pair) {
  std::size_t P = S.find(Pair);
  while (P != std::string::npos) {
    S.erase(P, 1);
    P = S.find(Pair, P > 0 ? P - 1 : 0);
  }
}

std::size_t LastPathOrDrive(const std::string& S) { return S.find_last_of("/:"); }

// The extension rule of RemoveFileExt, on any string of units.
template <class Str>
Str RemoveExtRule(const Str& S) {
  const std::size_t N = S.size();
  if (N > 4 && S[N - 4] == '.') return S.substr(0, N - 4);
  if (N > 5 && S[N - 5] == '.') return S.substr(0, N - 5);
  return S;
}

// The rule of StripFileExt, on any string of units.
template <class Str>
void StripExtRule(Str& S) {
  while (S.size() > 1 && S.back() == ' ') S.pop_back();
  const std::size_t N = S.size();
  if (N > 4 && S[N - 4] == '.' && S[N - 3] != ' ' && S[N - 2] != ' ') {
    S.resize(N - 4);
    return;
  }
  if (N > 5 && S[N - 5] == '.' && S[N - 4] != ' ' && S[N - 3] != ' ' && S[N - 2] != ' ') S.resize(N - 5);
}

void RemoveFinalExtCI(std::string& S, const char* Ext, std::size_t MinLength) {
  if (S.size() >= MinLength && EndsWithCI(S, Ext)) S.resize(S.size() - std::strlen(Ext));
}

// File-name part of Path after StripFileExt, and the length of its final run
// of digits (the whole name when it is all digits).
std::string NumberedName(const std::string& Path, std::size_t& DigitCount) {
  const std::size_t Slash = Path.rfind('/');
  std::string Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
  StripFileExt(Name);
  DigitCount = 0;
  while (DigitCount < Name.size() && Name[Name.size() - 1 - DigitCount] >= '0' &&
         Name[Name.size() - 1 - DigitCount] <= '9')
    ++DigitCount;
  return Name;
}

std::string ExecutablePath() {
  std::vector<char> Buf(4096);
  for (int Try = 0; Try < 4; ++Try) {
    const ssize_t N = readlink("/proc/self/exe", Buf.data(), Buf.size());
    if (N < 0) break;
    if (static_cast<std::size_t>(N) < Buf.size()) return std::string(Buf.data(), static_cast<std::size_t>(N));
    Buf.resize(Buf.size() * 4);
  }
  return ParamStr(0);
}

}  // namespace

void IncludeTrailingSlash(std::string& S) {
  if (!S.empty() && S.back() != '/' && S.back() != '\\') S += '/';
}

void IncludeTrailingSlashW(std::string& S) { IncludeTrailingSlash(S); }

void IncludeTrailingSlashShort(std::string& S) {
  const std::size_t Nul = S.find('\0');
  if (Nul != std::string::npos) S.resize(Nul);
  if (S.size() >= 255) return;
  IncludeTrailingSlash(S);
}

void ExcludeTrailingSlash(std::string& S) {
  if (S.size() >= 2 && S.back() == '/') S.pop_back();
}

void ExcludeTrailingSlashW(std::string& S) {
  if (CharCount(S) >= 2 && S.back() == '/') S.pop_back();
}

std::string WithoutTrailingSlash(const std::string& S) {
  std::string R = S;
  ExcludeTrailingSlash(R);
  return R;
}

void NormalizeSlashes(std::string& S) {
  CollapsePairs(S, "\\\\");
  CollapsePairs(S, "//");
  CollapsePairs(S, "\\/");
  CollapsePairs(S, "/\\");
}

void NormalizeSlashesW(std::string& S) {
  CollapsePairs(S, "\\\\");
  CollapsePairs(S, "//");
}

std::string CollapseDoubleSlashesW(const std::string& S) {
  return StringReplaceW(StringReplaceW(S, "//", "/", true), "//", "/", true);
}

void StripToParentFolder(std::string& S) {
  if (CharCount(S) > 3 && S.back() == '/') S.pop_back();
  while (CharCount(S) >= 4 && S.back() != '/') DropLastChar(S);
}

std::string ExtractFilePathW(const std::string& S) {
  const std::size_t P = LastPathOrDrive(S);
  return P == std::string::npos ? std::string() : S.substr(0, P + 1);
}

std::string ExtractFileNameW(const std::string& S) {
  const std::size_t P = LastPathOrDrive(S);
  return P == std::string::npos ? S : S.substr(P + 1);
}

void StripFileExt(std::string& S) { StripExtRule(S); }

void StripFileExtW(std::string& S) {
  std::u16string W = Utf8ToUtf16(S);
  StripExtRule(W);
  S = Utf16ToUtf8(W);
}

std::string RemoveFileExt(const std::string& S) { return RemoveExtRule(S); }
std::string RemoveFileExtW(const std::string& S) { return RemoveExtRule(S); }
void RemoveFileExtShort(std::string& S) { S = RemoveExtRule(S); }
void RemoveFixedExt1(std::string& S) { RemoveFinalExtCI(S, ".bak", 5); }
void RemoveFixedExt2(std::string& S) { RemoveFinalExtCI(S, ".old", 5); }
void RemoveWavExt(std::string& S) { RemoveFinalExtCI(S, ".wav", 4); }

std::string InsertBeforeFileExt(const std::string& Name, const std::string& Text) {
  const std::size_t Slash = Name.rfind('/');
  const std::size_t NameStart = Slash == std::string::npos ? 0 : Slash + 1;
  const std::size_t Dot = Name.rfind('.');
  if (Dot == std::string::npos || Dot <= NameStart) return Name + Text;
  return Name.substr(0, Dot) + Text + Name.substr(Dot);
}

int32_t GetFileNameNumber(const std::string& Path) {
  std::size_t Digits = 0;
  const std::string Name = NumberedName(Path, Digits);
  if (Digits == 0) return -1;
  int64_t Value = 0;
  for (std::size_t I = Name.size() - Digits; I < Name.size(); ++I) {
    Value = Value * 10 + (Name[I] - '0');
    if (Value > std::numeric_limits<int32_t>::max()) return -1;
  }
  return static_cast<int32_t>(Value);
}

std::string SetFileNameNumber(const std::string& Path, int32_t Value) {
  std::size_t Digits = 0;
  std::string Name = NumberedName(Path, Digits);
  if (Digits == 0) return {};
  Name.resize(Name.size() - Digits);
  Name += IntToStrZeroPad(Value, static_cast<int32_t>(Digits));
  const std::size_t Slash = Path.rfind('/');
  const std::string Folder = Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
  const std::string FileName = Path.substr(Folder.size());
  const std::size_t Dot = FileName.rfind('.');
  const std::string Ext = (Dot == std::string::npos || Dot == 0) ? std::string() : FileName.substr(Dot);
  return Folder + Name + Ext;
}

std::string MakeValidFileName(const std::string& S) {
  std::string R;
  R.reserve(S.size());
  for (std::size_t I = 0; I < S.size(); ++I) {
    const char C = S[I];
    switch (C) {
      case '"': break;
      case '*': case '>': case '<': case ':': case '/': case '\\': R += '-'; break;
      case ',': case '|': R += '_'; break;
      case '?': R += '!'; break;
      default:
        if (C == '\xC2' && I + 1 < S.size() && S[I + 1] == '\xA5') {  // the yen sign
          R += '_';
          ++I;
        } else {
          R += C;
        }
    }
  }
  return R;
}

std::string EncodeURLParam(const std::string& S) {
  std::string T = StringReplaceW(S, "%20", " ", true);
  for (char& C : T)
    if (C == '%' || C == '&' || C == '=' || C == '?' || C == '!') C = '_';
  static const char Hex[] = "0123456789ABCDEF";
  std::string R;
  R.reserve(T.size());
  for (char C : T) {
    const auto B = static_cast<unsigned char>(C);
    if ((B >= 'A' && B <= 'Z') || (B >= 'a' && B <= 'z') || (B >= '0' && B <= '9') || B == '-' || B == '.' ||
        B == '_' || B == '~') {
      R += C;
    } else {
      R += '%';
      R += Hex[B >> 4];
      R += Hex[B & 15];
    }
  }
  return R;
}

std::string ParamStrW(int32_t N) { return ParamStr(N); }

std::string ProgramFolderW() { return ExtractFilePathW(ExecutablePath()); }

std::string ApplicationFolder() {
  std::string Path = ExecutablePath();
  // Only a path component ending in ".app" is a bundle.
  const std::size_t Bundle = UpperAscii(Path).find(".APP/");
  if (Bundle != std::string::npos) Path.resize(Bundle);
  const std::size_t Slash = Path.rfind('/');
  return Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
}

bool HasCommandLineParam(const std::string& Text) {
  const std::string Wanted = UpperAscii(Text);
  for (int32_t I = 1; I <= ParamCount(); ++I)
    if (UpperAscii(ParamStr(I)) == Wanted) return true;
  return false;
}

std::string FindCommandLineParam(const std::string& Prefix) {
  if (Prefix.empty()) return {};
  for (int32_t I = 1; I <= ParamCount(); ++I) {
    const std::string Arg = ParamStr(I);
    if (StartsWithCI(Arg, Prefix)) return Arg;
  }
  return {};
}

}  // namespace kromel
