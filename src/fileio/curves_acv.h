// Photoshop curves files (.acv): big-endian, version 4, a curve count, then
// each curve as a point count and (output, input) byte-scale pairs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "params/envelope_dots.h"

namespace kromel {

constexpr int32_t ACVMaxReadPoints = 50;
constexpr int32_t ACVMaxSavePoints = 19;

// Fills master, red, green and blue (each may be null) in this order from
// the file's curves; a null curve consumes none. Curves past the count the
// file announces keep their dots. A bad header, a point count outside
// 2..50, a curve whose points all share one input or a file that ends
// inside an announced curve gives a message and False, and no curve is
// changed.
bool LoadACVCurves(const std::string& FileName, TEnvelopeDots* Master, TEnvelopeDots* Red,
                   TEnvelopeDots* Green, TEnvelopeDots* Blue);
// Master is required. Every given curve must hold 2..19 dots; otherwise a
// message, False and no file. Written through a temporary file.
bool SaveACVCurves(const std::string& FileName, const TEnvelopeDots* Master,
                   const TEnvelopeDots* Red, const TEnvelopeDots* Green, const TEnvelopeDots* Blue);

// One curve at Pos of Bytes: its dots in Dots and Pos past it. False for a
// point count outside 2..50, too few bytes or every point on one input.
bool ReadACVCurve(const std::vector<uint8_t>& Bytes, size_t& Pos, std::vector<TCurveDotPoint>& Dots);
// Appends the curve's count and points (output Y / 128, input X * 255 /
// 16384 to the nearest, halves down); nothing for fewer than 2 or more
// than 50 dots (False).
bool WriteACVCurve(std::vector<uint8_t>& Bytes, const TEnvelopeDots& Curve);

}  // namespace kromel
