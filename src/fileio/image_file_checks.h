// Completeness checks for the formats whose FreeImage decoders do not notice
// missing data by themselves: Photoshop files (whose RLE reader runs past its
// rows on short data) and OpenEXR files (whose reader fills missing chunks
// with nothing and reports success). Each walks the file's structure and
// says whether every part it names lies within the data.
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
// offset table. Multi-part and deep files are not looked into (True).
bool ExrDataComplete(const TReadAt& Read, int64_t Size);

}  // namespace kromel
