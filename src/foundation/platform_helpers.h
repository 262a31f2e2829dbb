// Helpers between the program and the platform: the temporary folder, key
// states, the modal level, path shortening, block writes with a retry prompt,
// external processes, packed-colour arithmetic, the six-byte real and small
// utilities (wave shapes, a repeatable random value, file copy and size).
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kromel {

// A packed colour: red in the lowest byte, then green, then blue.
using TColor = uint32_t;

// The per-user temporary folder, without a final "/".
std::string GetTempFolder();
// Shows "GetModuleFileName not found" and returns an empty text.
std::string GetProgramFileName();

bool IsAltKeyDown();       // key 18, bit 7 of its state
bool IsShiftKeyDown();     // key 16, bit 15
bool IsCommandKeyDown();   // key 91 or 92, bit 15
bool IsNumLockKeyDown();   // key 144, state negative
// The space bar as the main window's key events report it.
bool IsSpaceKeyDown();
void SetSpaceKeyDown(bool Down);
int32_t GetModalLevel();

// FileName shortened until TextWidth of it is at most MaxLen: leading folders
// become "...\"; a "/"-separated path loses its whole folder part at once.
std::string MinimizeName(const std::string& FileName,
                         const std::function<int32_t(const std::string&)>& TextWidth, int32_t MaxLen);

// Writes Count bytes at the current position of Fd. While fewer were written,
// asks "Error" / "Can't write the file. Check if destination drive have enough
// free space and try again."; OK writes the block again from the same
// position, Cancel gives false.
bool WriteBlockWithRetry(int Fd, const void* Buffer, int32_t Count);
// Replaces the file with Count bytes (through a temporary file); true when
// all were written.
bool SaveBufferToFileUTF8(const std::string& FileName, const void* Buffer, int32_t Count);

// Runs Name with Args (an argument vector, no shell), standard error joined
// to standard output, and waits: the exit code, 128 + signal for a killed
// child, -1 when it could not be started. The command is echoed to standard
// output first. ShowMode has no effect on this platform.
int32_t RunProcessAndWait(const std::string& Name, const std::vector<std::string>& Args,
                          uint16_t ShowMode = 0);
// Starts it and returns at once; false when it could not be started.
bool RunProcessNoWait(const std::string& Name, const std::vector<std::string>& Args,
                      uint16_t ShowMode = 0);

TColor AddColors(TColor A, TColor B);
TColor SubtractColors(TColor A, TColor B);
// ((256 - W) * A + W * B) >> 8 per channel; W is held to 0..256.
TColor BlendColors(TColor A, TColor B, int32_t W);
TColor OffsetColor(TColor C, int32_t DR, int32_t DG, int32_t DB);
int32_t ColorDistance(TColor A, TColor B);
TColor GradientColor3(TColor C1, TColor C2, TColor C3, float X);
// Segments start at 0.333 and 0.666; the weight is capped at 256.
TColor GradientColor4(TColor C1, TColor C2, TColor C3, TColor C4, float X);

// The six-byte real: byte 0 the exponent biased by 129, bytes 1..5 the
// fraction lowest byte first, the sign in the top bit of byte 5. False (R
// unchanged) when D is too large, infinite or NaN.
bool DoubleToReal48(uint8_t (&R)[6], double D);

// Hexadecimal digits to an integer without validation (32-bit, wrapping).
int32_t HexTextToInt(const std::string& S);
// A decimal (or "$"/"0x" hexadecimal) integer text; 0 when it is none.
int32_t StrToIntVal(const std::string& S);
float SinhSingle(float X);
float SquareWave(float X);
float TriangleWave(float X);
// A repeatable value in [0, 1) for N; other random draws are not affected.
float SeededRandom(int32_t N);
// True when a byte is a Russian vowel in Windows-1251.
bool HasCyrillicVowel1251(const std::string& S);
void SwapCardinals(uint32_t& A, uint32_t& B);
// Copies in blocks of 4096 bytes through a temporary file beside Dest. A
// source that cannot be opened shows "Error: " + the reason; a target that
// cannot be written shows the same and leaves no partial copy; both give false.
bool CopyFileBlocks(const std::string& Source, const std::string& Dest);
// Size in bytes; 0 when the file cannot be opened.
int64_t FileSizeOf(const std::string& FileName);
// Asks "Do you want to delete file " + Name + "?"; deletes on OK.
bool DeleteFileConfirm(const std::string& Name);
void IgnoreText(int32_t A, int32_t B, const std::string& Text, const void* P);
void DoNothing();

}  // namespace kromel
