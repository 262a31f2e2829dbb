#include "foundation/utf16.h"

namespace kromel {

namespace {
constexpr char32_t Replacement = 0xFFFD;

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

void AppendUtf16(std::u16string& Out, char32_t C) {
  if (C >= 0x10000) {
    C -= 0x10000;
    Out += static_cast<char16_t>(0xD800 + (C >> 10));
    Out += static_cast<char16_t>(0xDC00 + (C & 0x3FF));
  } else {
    Out += static_cast<char16_t>(C);
  }
}
}  // namespace

std::u16string Utf8ToUtf16(const std::string& Text) {
  std::u16string Out;
  Out.reserve(Text.size());
  const auto* S = reinterpret_cast<const unsigned char*>(Text.data());
  const std::size_t N = Text.size();
  std::size_t I = 0;
  while (I < N) {
    const unsigned char B = S[I];
    int Extra;
    char32_t C;
    char32_t Min;
    if (B < 0x80) {
      Extra = 0, C = B, Min = 0;
    } else if ((B & 0xE0) == 0xC0) {
      Extra = 1, C = B & 0x1F, Min = 0x80;
    } else if ((B & 0xF0) == 0xE0) {
      Extra = 2, C = B & 0x0F, Min = 0x800;
    } else if ((B & 0xF8) == 0xF0) {
      Extra = 3, C = B & 0x07, Min = 0x10000;
    } else {
      AppendUtf16(Out, Replacement);
      ++I;
      continue;
    }
    std::size_t J = I + 1;
    bool Ok = true;
    for (int K = 0; K < Extra; ++K, ++J) {
      if (J >= N || (S[J] & 0xC0) != 0x80) {
        Ok = false;
        break;
      }
      C = (C << 6) | (S[J] & 0x3F);
    }
    if (!Ok || C < Min || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) {
      AppendUtf16(Out, Replacement);
      I = Ok ? J : I + 1;
      continue;
    }
    AppendUtf16(Out, C);
    I = J;
  }
  return Out;
}

std::string Utf16ToUtf8(const std::u16string& Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (std::size_t I = 0; I < Text.size(); ++I) {
    char32_t C = Text[I];
    if (C >= 0xD800 && C <= 0xDBFF && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 &&
        Text[I + 1] <= 0xDFFF) {
      C = 0x10000 + ((C - 0xD800) << 10) + (Text[I + 1] - 0xDC00);
      ++I;
    } else if (C >= 0xD800 && C <= 0xDFFF) {
      C = Replacement;
    }
    AppendUtf8(Out, C);
  }
  return Out;
}

std::string Utf16ToLEBytes(const std::u16string& Text) {
  std::string Out;
  Out.reserve(Text.size() * 2);
  for (char16_t C : Text) {
    Out += static_cast<char>(C & 0xFF);
    Out += static_cast<char>(C >> 8);
  }
  return Out;
}

std::u16string LEBytesToUtf16(const char* Data, std::size_t Size) {
  std::u16string Out;
  Out.reserve(Size / 2);
  const auto* B = reinterpret_cast<const unsigned char*>(Data);
  for (std::size_t I = 0; I + 1 < Size; I += 2)
    Out += static_cast<char16_t>(B[I] | (B[I + 1] << 8));
  return Out;
}

}  // namespace kromel
