// The one place where UTF-8 text in memory meets UTF-16 code units in bytes.
#pragma once
#include <cstdint>
#include <string>

namespace kromel {

// True for the second and later bytes of a UTF-8 character.
inline bool IsContinuationByte(char C) { return (static_cast<unsigned char>(C) & 0xC0) == 0x80; }

// UTF-8 to UTF-16 code units; malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& Text);
// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& Text);
// Code units as little-endian bytes and back (an odd last byte is dropped).
std::string Utf16ToLEBytes(const std::u16string& Text);
std::u16string LEBytesToUtf16(const char* Data, std::size_t Size);

}  // namespace kromel
