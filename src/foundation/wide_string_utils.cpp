#include "foundation/wide_string_utils.h"

#include <vector>

#include "foundation/utf16.h"

namespace kromel {

namespace {

const char Base64Chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char DirectChars[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:?";
const char OptionalChars[] = {0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x2A, 0x3B, 0x3C, 0x3D,
                              0x3E, 0x40, 0x5B, 0x5D, 0x5E, 0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0};
const char SpaceChars[] = "\t\r\n ";

struct TUTF7Tables {
  uint8_t MustShiftSafe[128];
  uint8_t MustShiftOptional[128];
  int16_t Base64Value[128];

  TUTF7Tables() {
    for (int I = 0; I < 128; ++I) {
      MustShiftSafe[I] = 1;
      MustShiftOptional[I] = 1;
      Base64Value[I] = -1;
    }
    for (const char* P = DirectChars; *P; ++P) MustShiftSafe[uint8_t(*P)] = MustShiftOptional[uint8_t(*P)] = 0;
    for (const char* P = SpaceChars; *P; ++P) MustShiftSafe[uint8_t(*P)] = MustShiftOptional[uint8_t(*P)] = 0;
    for (const char* P = OptionalChars; *P; ++P) MustShiftOptional[uint8_t(*P)] = 0;
    for (int I = 0; I < 64; ++I) Base64Value[uint8_t(Base64Chars[I])] = int16_t(I);
  }
};

const TUTF7Tables& Tables() {
  static const TUTF7Tables T;  // built once, thread-safe
  return T;
}

bool IsBase64(char32_t C) { return C < 128 && Tables().Base64Value[C] >= 0; }

}  // namespace

int ConvertUCS2toUTF7(const char16_t*& Source, const char16_t* SourceEnd, char*& Target,
                      char* TargetEnd, bool Optional, bool Verbose) {
  const uint8_t* MustShift = Optional ? Tables().MustShiftOptional : Tables().MustShiftSafe;
  bool Shifted = false;
  uint32_t Bits = 0;
  int BitCount = 0;
  auto Put = [&](char C) {
    if (Target >= TargetEnd) return false;
    *Target++ = C;
    return true;
  };
  for (;;) {
    bool Done = Source >= SourceEnd;
    char16_t R = Done ? 0 : *Source++;
    bool NeedShift = !Done && (R >= 0x80 || MustShift[R]);
    if (NeedShift && !Shifted) {
      if (!Put('+')) return UTF7TargetFull;
      if (R == u'+') {
        if (!Put('-')) return UTF7TargetFull;
      } else {
        Shifted = true;
      }
    }
    if (Shifted) {
      if (NeedShift) {
        Bits = (Bits << 16) | R;
        BitCount += 16;
      } else {
        int Pad = (6 - BitCount % 6) % 6;
        Bits <<= Pad;
        BitCount += Pad;
      }
      while (Target < TargetEnd && BitCount >= 6) {
        BitCount -= 6;
        *Target++ = Base64Chars[(Bits >> BitCount) & 0x3F];
      }
      if (BitCount >= 6) return UTF7TargetFull;
      if (!NeedShift) {
        if (Verbose || (!Done && (IsBase64(R) || R == u'-'))) {
          if (!Put('-')) return UTF7TargetFull;
        }
        Shifted = false;
      }
    }
    if (!NeedShift && !Done) {
      if (!Put(static_cast<char>(R))) return UTF7TargetFull;
    }
    if (Done) return UTF7Done;
  }
}

int ConvertUTF7toUCS2(const char*& Source, const char* SourceEnd, char16_t*& Target,
                      char16_t* TargetEnd) {
  int Result = UTF7Done;
  bool Shifted = false, First = false, WroteOne = false;
  uint32_t Bits = 0;
  int BitCount = 0;
  for (;;) {
    bool Done = Source >= SourceEnd;
    unsigned char C = Done ? 0 : static_cast<unsigned char>(*Source++);
    if (Shifted) {
      if (Done || C > 0x7F || !IsBase64(C)) {
        Shifted = false;
        if (!Done && (C == '+' || C == '-')) {
          if (C == '-' && First) {
            if (Target >= TargetEnd) return UTF7TargetFull;
            *Target++ = u'+';
          } else if (!WroteOne) {
            Result = UTF7Invalid;
          }
          Done = Source >= SourceEnd;
          C = Done ? 0 : static_cast<unsigned char>(*Source++);
        } else if (!WroteOne) {
          Result = UTF7Invalid;
        }
        if (BitCount > 0 && (Bits & ((1u << BitCount) - 1)) != 0) Result = UTF7Invalid;
        Bits = 0;
        BitCount = 0;
      } else {
        Bits = (Bits << 6) | static_cast<uint32_t>(Tables().Base64Value[C]);
        BitCount += 6;
        First = false;
        while (BitCount >= 16 && Target < TargetEnd) {
          BitCount -= 16;
          *Target++ = static_cast<char16_t>((Bits >> BitCount) & 0xFFFF);
          WroteOne = true;
        }
        if (BitCount >= 16) return UTF7TargetFull;
      }
    }
    if (!Shifted && !Done) {
      if (C == '+') {
        Shifted = true;
        First = true;
        WroteOne = false;
      } else {
        if (Target >= TargetEnd) return UTF7TargetFull;
        *Target++ = static_cast<char16_t>(C);
        if (C > 0x7F) Result = UTF7Invalid;
      }
    }
    if (Done) return Result;
  }
}

std::string WideStringToUTF7(const std::string& Text) {
  if (Text.empty()) return {};
  std::u16string U = Utf8ToUtf16(Text);
  std::string Out(U.size() * 7, '\0');
  const char16_t* Src = U.data();
  char* Tgt = Out.data();
  if (ConvertUCS2toUTF7(Src, U.data() + U.size(), Tgt, Out.data() + Out.size(), true, false) != UTF7Done)
    throw EUTF7Error("Buffer overflow");
  Out.resize(static_cast<std::size_t>(Tgt - Out.data()));
  return Out;
}

std::string UTF7ToWideString(const std::string& Text) {
  if (Text.empty()) return {};
  std::u16string Out(Text.size(), u'\0');
  const char* Src = Text.data();
  char16_t* Tgt = Out.data();
  int R = ConvertUTF7toUCS2(Src, Text.data() + Text.size(), Tgt, Out.data() + Out.size());
  if (R == UTF7Invalid) throw EUTF7Error("Invalid UTF7");
  if (R != UTF7Done) throw EUTF7Error("Buffer overflow");
  Out.resize(static_cast<std::size_t>(Tgt - Out.data()));
  return Utf16ToUtf8(Out);
}

TStreamBOM DetectStreamBOM(std::istream& Stream) {
  std::istream::pos_type Start = Stream.tellg();
  if (Start == std::istream::pos_type(-1)) return bomNone;
  Stream.seekg(0, std::ios::end);
  std::istream::pos_type End = Stream.tellg();
  Stream.seekg(Start);
  if (End == std::istream::pos_type(-1) || !Stream) {
    Stream.clear();
    Stream.seekg(Start);
    return bomNone;
  }
  std::streamoff Remaining = End - Start;
  unsigned char B[3];
  if (Remaining >= 2) {
    Stream.read(reinterpret_cast<char*>(B), 2);
    if (Stream.gcount() == 2) {
      if (B[0] == 0xFF && B[1] == 0xFE) return bomUTF16LE;
      if (B[0] == 0xFE && B[1] == 0xFF) return bomUTF16BE;
    }
    Stream.clear();
    Stream.seekg(Start);
    if (Remaining >= 3) {
      Stream.read(reinterpret_cast<char*>(B), 3);
      if (Stream.gcount() == 3 && B[0] == 0xEF && B[1] == 0xBB && B[2] == 0xBF) return bomUTF8;
      Stream.clear();
      Stream.seekg(Start);
    }
  }
  return bomNone;
}

void SwapWideCharBytes(std::u16string& Text) {
  for (char16_t& C : Text) {
    if (C == 0) break;
    C = static_cast<char16_t>((C >> 8) | (C << 8));
  }
}

int32_t WidePos(const std::u16string& SubStr, const std::u16string& S) {
  if (SubStr.empty() || SubStr.size() > S.size()) return 0;
  std::size_t P = S.find(SubStr);
  return P == std::u16string::npos ? 0 : static_cast<int32_t>(P + 1);
}

}  // namespace kromel
