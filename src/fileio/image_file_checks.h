// Completeness checks for the formats whose FreeImage decoders do not notice
// missing data by themselves: Photoshop files (whose RLE reader runs past its
// rows on short data) and OpenEXR files (whose reader fills missing chunks
// with nothing and reports success). Each walks the file's structure and
// says whether every part it names lies within the data. And a bound on the
// picture a file of a given size may describe, checked on the header before
// any decoder allocates the picture.
#pragma once
#include <cstdint>
#include <functional>

namespace kromel {

// Reads Count bytes at Pos into Buffer; false when the data ends first.
using TReadAt = std::function<bool(int64_t Pos, void* Buffer, int64_t Count)>;

// PSD and PSB: header, the three length-prefixed sections and the image
// data; RLE rows must each unpack to exactly one row within their byte count.
bool PsdDataComplete(const TReadAt& Read, int64_t Size);

// Single-part scan-line and tiled OpenEXR: the header and every chunk of the
// offset table. Multi-part and deep files: their headers only.
bool ExrDataComplete(const TReadAt& Read, int64_t Size);

// Most picture bytes (before compression) one byte of a file may describe:
// well above what deflate, LZW, JPEG, RLE or PIZ reach on flat pictures.
inline constexpr int64_t MaxPictureBytesPerFileByte = 4096;

// True when a W x H picture of Bpp bits a pixel fits the image types (at
// most 2^31 - 1 pixels) and a file of FileSize bytes can describe it.
bool PlausiblePictureSize(int64_t Width, int64_t Height, int64_t Bpp, int64_t FileSize);

// GIF, whose decoder cannot read a header alone: the first frame's size
// from its image descriptor, checked with PlausiblePictureSize at 8 bits.
// False when no image descriptor lies within the data.
bool GifFrameSizePlausible(const TReadAt& Read, int64_t Size);

}  // namespace kromel
