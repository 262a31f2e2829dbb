#include "foundation/platform_helpers.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <numbers>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/files.h"
#include "foundation/paths.h"
#include "platform/folders.h"
#include "platform/message_sink.h"
#include "platform/process_runner.h"
#include "platform/prompt.h"
#include "platform/ui_state.h"

namespace kromel {

namespace {

std::atomic<bool> GSpaceKeyDown{false};

int32_t Channel(TColor C, int Shift) { return static_cast<int32_t>((C >> Shift) & 0xFF); }
TColor Pack(int32_t R, int32_t G, int32_t B) {
  return static_cast<TColor>(R & 0xFF) | (static_cast<TColor>(G & 0xFF) << 8) |
         (static_cast<TColor>(B & 0xFF) << 16);
}

// Halves to even, for weights computed from a position already in 0..1.
int32_t RoundWeight(double V) { return static_cast<int32_t>(std::nearbyint(V)); }

float ClampPosition(float X) {
  if (std::isnan(X) || X < 0) return 0;
  return X > 1 ? 1 : X;
}

// Frac with the sign of its argument.
double Frac(double X) { return X - std::trunc(X); }

void CutFirstDirectory(std::string& Folder) {
  if (Folder == "\\") {
    Folder.clear();
    return;
  }
  bool Root = !Folder.empty() && Folder[0] == '\\';
  if (Root) Folder.erase(0, 1);
  if (!Folder.empty() && Folder[0] == '.') Folder.erase(0, std::min<std::size_t>(4, Folder.size()));
  std::size_t Slash = Folder.find('\\');
  if (Slash != std::string::npos) {
    Folder.erase(0, Slash + 1);
    Folder.insert(0, "...\\");
  } else {
    Folder.clear();
  }
  if (Root) Folder.insert(0, "\\");
}

}  // namespace

std::string GetTempFolder() { return TempFolder(); }

std::string GetProgramFileName() {
  PlatformShowMessage("GetModuleFileName not found");
  return {};
}

bool IsAltKeyDown() { return (GetKeyState(18) & 0x80) != 0; }
bool IsShiftKeyDown() { return (GetKeyState(16) & 0x8000) != 0; }
bool IsCommandKeyDown() { return ((GetKeyState(91) | GetKeyState(92)) & 0x8000) != 0; }
bool IsNumLockKeyDown() { return GetKeyState(144) < 0; }
bool IsSpaceKeyDown() { return GSpaceKeyDown.load(); }
void SetSpaceKeyDown(bool Down) { GSpaceKeyDown.store(Down); }
int32_t GetModalLevel() { return ModalLevel(); }

std::string MinimizeName(const std::string& FileName,
                         const std::function<int32_t(const std::string&)>& TextWidth, int32_t MaxLen) {
  std::string Result = FileName;
  std::string Folder = ExtractFilePathW(FileName);
  const std::string Name = ExtractFileNameW(FileName);
  std::string Drive;
  if (Folder.size() >= 2 && Folder[1] == ':') {
    Drive = Folder.substr(0, 2);
    Folder.erase(0, 2);
  }
  while ((!Folder.empty() || !Drive.empty()) && TextWidth(Result) > MaxLen) {
    if (Folder == "\\...\\") {
      Drive.clear();
      Folder = "...\\";
    } else if (Folder.empty()) {
      Drive.clear();
    } else {
      CutFirstDirectory(Folder);
    }
    Result = Drive + Folder + Name;
  }
  return Result;
}

bool WriteBlockWithRetry(int Fd, const void* Buffer, int32_t Count) {
  if (Count <= 0) return true;
  off_t Start = lseek(Fd, 0, SEEK_CUR);
  if (Start < 0) return false;
  const char* P = static_cast<const char*>(Buffer);
  for (;;) {
    std::size_t Done = 0;
    while (Done < static_cast<std::size_t>(Count)) {
      ssize_t N = write(Fd, P + Done, static_cast<std::size_t>(Count) - Done);
      if (N < 0 && errno == EINTR) continue;
      if (N <= 0) break;
      Done += static_cast<std::size_t>(N);
    }
    if (Done == static_cast<std::size_t>(Count)) return true;
    if (!PlatformAskOkCancel("Error",
                             "Can't write the file. Check if destination drive have enough free space and try again."))
      return false;
    if (lseek(Fd, Start, SEEK_SET) < 0) return false;
  }
}

bool SaveBufferToFileUTF8(const std::string& FileName, const void* Buffer, int32_t Count) {
  return SaveBufferToFile(FileName, Buffer, Count);
}

int32_t RunProcessAndWait(const std::string& Name, const std::vector<std::string>& Args, uint16_t) {
  std::string Line = FormatCommandLine(Name, Args) + "\n";
  std::fputs(Line.c_str(), stdout);
  std::fflush(stdout);
  TProcessOptions Options;
  Options.StderrToStdout = true;
  pid_t Pid = StartProcess(Name, Args, Options);
  if (Pid < 0) return -1;
  return WaitForProcess(Pid);
}

bool RunProcessNoWait(const std::string& Name, const std::vector<std::string>& Args, uint16_t) {
  std::string Line = FormatCommandLine(Name, Args) + "\n";
  std::fputs(Line.c_str(), stdout);
  std::fflush(stdout);
  pid_t Pid = StartProcess(Name, Args);
  if (Pid < 0) return false;
  ReapProcessInBackground(Pid);
  return true;
}

TColor AddColors(TColor A, TColor B) {
  return Pack(std::min(Channel(A, 0) + Channel(B, 0), 255), std::min(Channel(A, 8) + Channel(B, 8), 255),
              std::min(Channel(A, 16) + Channel(B, 16), 255));
}

TColor SubtractColors(TColor A, TColor B) {
  return Pack(std::max(Channel(A, 0) - Channel(B, 0), 0), std::max(Channel(A, 8) - Channel(B, 8), 0),
              std::max(Channel(A, 16) - Channel(B, 16), 0));
}

TColor BlendColors(TColor A, TColor B, int32_t W) {
  W = std::clamp(W, 0, 256);
  auto Mix = [&](int Shift) { return ((256 - W) * Channel(A, Shift) + W * Channel(B, Shift)) >> 8; };
  return Pack(Mix(0), Mix(8), Mix(16));
}

TColor OffsetColor(TColor C, int32_t DR, int32_t DG, int32_t DB) {
  auto Limit = [](int64_t V) { return static_cast<int32_t>(std::max<int64_t>(std::min<int64_t>(V, 255), 0)); };
  return Pack(Limit(int64_t(Channel(C, 0)) + DR), Limit(int64_t(Channel(C, 8)) + DG),
              Limit(int64_t(Channel(C, 16)) + DB));
}

int32_t ColorDistance(TColor A, TColor B) {
  return std::abs(Channel(A, 0) - Channel(B, 0)) + std::abs(Channel(A, 8) - Channel(B, 8)) +
         std::abs(Channel(A, 16) - Channel(B, 16));
}

TColor GradientColor3(TColor C1, TColor C2, TColor C3, float X) {
  X = ClampPosition(X);
  if (X < 0.5f) return BlendColors(C1, C2, RoundWeight(double(X) * 2 * 256));
  return BlendColors(C2, C3, RoundWeight((double(X) - 0.5) * 2 * 256));
}

TColor GradientColor4(TColor C1, TColor C2, TColor C3, TColor C4, float X) {
  X = ClampPosition(X);
  if (X < 0.333f) return BlendColors(C1, C2, std::min(RoundWeight(double(X) / 0.333 * 256), 256));
  if (X < 0.666f) return BlendColors(C2, C3, std::min(RoundWeight((double(X) - 0.333) / 0.333 * 256), 256));
  return BlendColors(C3, C4, std::min(RoundWeight((double(X) - 0.666) / 0.333 * 256), 256));
}

bool DoubleToReal48(uint8_t (&R)[6], double D) {
  uint8_t B[8];
  std::memcpy(B, &D, 8);
  uint64_t Bits;
  std::memcpy(&Bits, &D, 8);
  const int Exponent = static_cast<int>((Bits >> 52) & 0x7FF);
  if (D == 0 || Exponent <= 893) {
    std::memset(R, 0, 6);
    return true;
  }
  if (Exponent >= 1150) return false;
  R[0] = static_cast<uint8_t>(Exponent - 894);
  R[1] = 0;
  for (int K = 2; K <= 5; ++K) R[K] = static_cast<uint8_t>((B[K + 1] << 3) | (B[K] >> 5));
  R[5] = static_cast<uint8_t>((R[5] & 0x7F) | (B[7] & 0x80));
  return true;
}

int32_t HexTextToInt(const std::string& S) {
  uint32_t R = 0;
  for (char Ch : S) {
    unsigned char C = static_cast<unsigned char>(Ch);
    if (C >= 'a' && C <= 'z') C = static_cast<unsigned char>(C - 32);
    R = R * 16 + C - 48;
    if (C > '9') R -= 7;
  }
  return static_cast<int32_t>(R);
}

int32_t StrToIntVal(const std::string& S) {
  std::size_t P = 0;
  while (P < S.size() && (S[P] == ' ' || S[P] == '\t')) ++P;
  bool Negative = false;
  if (P < S.size() && (S[P] == '+' || S[P] == '-')) Negative = S[P++] == '-';
  int Base = 10;
  if (P < S.size() && S[P] == '$') {
    Base = 16;
    ++P;
  } else if (P + 1 < S.size() && S[P] == '0' && (S[P + 1] == 'x' || S[P + 1] == 'X')) {
    Base = 16;
    P += 2;
  }
  if (P >= S.size()) return 0;
  int64_t V = 0;
  for (; P < S.size(); ++P) {
    char C = S[P];
    int Digit;
    if (C >= '0' && C <= '9') Digit = C - '0';
    else if (Base == 16 && C >= 'a' && C <= 'f') Digit = C - 'a' + 10;
    else if (Base == 16 && C >= 'A' && C <= 'F') Digit = C - 'A' + 10;
    else return 0;
    V = V * Base + Digit;
    if (V > int64_t(INT32_MAX) + 1) return 0;
  }
  if (Negative) V = -V;
  if (V > INT32_MAX || V < INT32_MIN) return 0;
  return static_cast<int32_t>(V);
}

float SinhSingle(float X) { return std::sinh(X); }

float SquareWave(float X) { return Frac(double(X) / (2 * std::numbers::pi)) > 0.5 ? 1.0f : -1.0f; }

float TriangleWave(float X) {
  double F = Frac(double(X) * 0.5 / std::numbers::pi + 10);
  return static_cast<float>(F < 0.5 ? F * 4 - 1 : 1 - (F - 0.5) * 4);
}

float SeededRandom(int32_t N) {
  // A generator of its own, so the program's random draws are untouched.
  const uint32_t U = static_cast<uint32_t>(N);
  std::mt19937 Engine(U * 1612798u + U * U);
  Engine();
  return static_cast<float>(Engine() >> 8) * (1.0f / 16777216.0f);
}

bool HasCyrillicVowel1251(const std::string& S) {
  static const unsigned char Vowels[] = {0xA8, 0xB8, 0xC0, 0xC5, 0xC8, 0xCE, 0xD3, 0xDB, 0xDD, 0xDE,
                                         0xDF, 0xE0, 0xE5, 0xE8, 0xEE, 0xF3, 0xFB, 0xFD, 0xFE, 0xFF};
  for (char C : S)
    for (unsigned char V : Vowels)
      if (static_cast<unsigned char>(C) == V) return true;
  return false;
}

void SwapCardinals(uint32_t& A, uint32_t& B) { std::swap(A, B); }

bool CopyFileBlocks(const std::string& Source, const std::string& Dest) {
  int In = open(Source.c_str(), O_RDONLY | O_CLOEXEC);
  if (In < 0) {
    PlatformShowMessage(std::string("Error: ") + std::strerror(errno));
    return false;
  }
  TSafeFileWriter Out(Dest);
  bool Ok = Out.Opened();
  char Block[4096];
  while (Ok) {
    ssize_t N = read(In, Block, sizeof Block);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) {
      Ok = false;
      break;
    }
    if (N == 0) break;
    Ok = Out.Write(Block, static_cast<std::size_t>(N));
  }
  int ReadError = errno;
  close(In);
  if (Ok) Ok = Out.Commit();
  if (!Ok) {
    int Code = Out.ErrorCode() ? Out.ErrorCode() : ReadError;
    Out.Discard();
    PlatformShowMessage(std::string("Error: ") + std::strerror(Code ? Code : EIO));
  }
  return Ok;
}

int64_t FileSizeOf(const std::string& FileName) {
  struct stat St;
  if (stat(FileName.c_str(), &St) != 0 || S_ISDIR(St.st_mode)) return 0;
  return static_cast<int64_t>(St.st_size);
}

bool DeleteFileConfirm(const std::string& Name) {
  if (!PlatformAskOkCancel("Confirm", "Do you want to delete file " + Name + "?")) return false;
  return DeleteFileSafe(Name);
}

void IgnoreText(int32_t, int32_t, const std::string&, const void*) {}
void DoNothing() {}

}  // namespace kromel
