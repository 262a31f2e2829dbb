// Gamut boundary tables: for each lightness row and compass-angle column the
// chroma radius beyond which a working model's inverse conversion no longer
// keeps the lightness. The limit operations read a table; the builders,
// the smoother and the writers produce one.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "colour/colour_types.h"

namespace kromel {

constexpr int GamutRows = 512;     // row i: lightness 100*i/511
constexpr int GamutColumns = 513;  // column j: angle 2*pi*j/512; 512 repeats 0
constexpr float GamutNoLimit = 300.0f;

using TLuminanceGamut = std::array<float, GamutColumns>;
using TColorSpaceGamut = std::array<TLuminanceGamut, GamutRows>;  // 1 MB: keep off the stack

// The cell a lookup at lightness L (0..100) and Hue (turns, 0..1) starts
// from: Row 0..510, Column 0..511; the limit also reads its neighbours.
void GamutCellOf(float L, float Hue, int& Row, int& Column);

// Scales (A, B) towards 0 so that their radius does not exceed the boundary
// at lightness L (0..100) and angle atan2(A, B). L is not changed.
void ClampABToGamut(float& L, float& A, float& B, const TColorSpaceGamut& Gamut);
// Hue is a fraction of a turn; a negative Hue gains 1 (written back).
// Chroma is lowered to the boundary when above it.
void ClampChromaToGamut(float& Hue, float& Chroma, float L, const TColorSpaceGamut& Gamut);

// The first radius (at 0.05 resolution) at which Inverse then Forward no
// longer returns Lightness within 0.001; 300 when none of the tested radii
// fails. Theta is the compass angle in radians.
float GamutBoundaryRadius(TRGBToVariableSingleProc Forward, TVariableToRGBSingleProc Inverse,
                          float Lightness, double Theta);
double GamutBoundaryRadiusDouble(TRGBToVariableDoubleProc Forward, TVariableToRGBDoubleProc Inverse,
                                 double Lightness, double Theta);

// Fill every cell from a model's conversion pair. The model's own gamut
// switch must be off while they run. The Rows forms fill rows First..Last
// only, so that a tool can share the work among threads.
void BuildColorSpaceGamut(TRGBToVariableSingleProc Forward, TVariableToRGBSingleProc Inverse,
                          TColorSpaceGamut& Gamut);
void BuildColorSpaceGamutRows(TRGBToVariableSingleProc Forward, TVariableToRGBSingleProc Inverse,
                              TColorSpaceGamut& Gamut, int FirstRow, int LastRow);
void BuildColorSpaceGamutDouble(TRGBToVariableDoubleProc Forward, TVariableToRGBDoubleProc Inverse,
                                TColorSpaceGamut& Gamut);
void BuildColorSpaceGamutDoubleRows(TRGBToVariableDoubleProc Forward,
                                    TVariableToRGBDoubleProc Inverse, TColorSpaceGamut& Gamut,
                                    int FirstRow, int LastRow);

// Raises the cells of rows First..Last so that every colour on the faces of
// the RGB cube (edges and corners, where the cusps lie, included) is inside
// the boundary at its own cell, one step of 0.05 to spare: sampling the
// lightness and angle around a cell misses the narrow peak of a cusp.
void RaiseColorSpaceGamutToSurface(TRGBToVariableDoubleProc Forward, TColorSpaceGamut& Gamut,
                                   int FirstRow, int LastRow);

// One dilation pass towards higher rows and columns; row 0 stays.
void SmoothColorSpaceGamut(TColorSpaceGamut& Gamut);

// Writes the table as declaration text ("Var <Name> : TColorSpaceGamut = (").
// Written to a temporary file and renamed over FileName; False (reported)
// on failure, with any old file left as it was.
bool SaveColorSpaceGamut(const TColorSpaceGamut& Gamut, const std::string& FileName,
                         const std::string& Name);

// Compact binary form of a table, as embedded in the library:
//   bytes 0..3   "KGAM"
//   bytes 4..7   version 1 (uint32, little-endian)
//   bytes 8..11  rows 512, bytes 12..15 columns 513 (uint32, little-endian)
//   then rows*columns uint16 little-endian, row after row: the radius in
//   hundredths (0..30000).
constexpr std::size_t GamutDataHeaderSize = 16;
constexpr std::size_t GamutDataSize =
    GamutDataHeaderSize + 2u * static_cast<std::size_t>(GamutRows) * GamutColumns;
std::string EncodeGamutData(const TColorSpaceGamut& Gamut);
// False, leaving Gamut unchanged, when Data is not a valid table.
bool DecodeGamutData(const uint8_t* Data, std::size_t Size, TColorSpaceGamut& Gamut);
bool SaveGamutData(const TColorSpaceGamut& Gamut, const std::string& FileName);

}  // namespace kromel
