// The colour chart table: rows of reference patches (CIE Lab, weight, RGB,
// name, flags, position, compensation references), the start-up chart, the
// reshaping operations and the CGATS-style chart files (".cie", ".txt").
//
// Patch (row r, column c) is record r x Columns + c, rows from the top.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "images/image128.h"

namespace kromel {

// One patch. Plain bytes: an all-zero record is a valid blank patch.
struct TColorCheckerPixel128 {
  float LabL;  // 0 marks a patch without reference data
  float LabA;
  float LabB;
  float Weight;  // 0 leaves the patch out of matching
  float Red;     // 0..1
  float Green;
  float Blue;
  uint8_t NameLength;  // short name: a length byte and 7 characters
  char NameChars[7];
  bool Neutral;
  bool Empty;
  float PosX;  // PosX = PosY = 0: no position
  float PosY;
  bool Barrier;
  int32_t BlackRef[3];  // -1 where none
  int32_t WhiteRef[3];

  std::string Name() const;
  // Longer names are cut to 7 characters.
  void SetName(const std::string& S);
  bool HasPosition() const { return PosX != 0 || PosY != 0; }
};

using TColorCheckerPixelArray = std::vector<TColorCheckerPixel128>;

// Column letters (A..Z, then AA, AB, ...) followed by Row + 1.
std::string ColorChartPatchName(int32_t Column, int32_t Row);

// The holder calls Init once and Dispose when done (the destructor
// disposes too). Copy with Assign.
struct TColorChartTable {
  int32_t Count = 0;
  TColorCheckerPixelArray Patches;
  TImage128 BlackCompensation;
  TImage128 WhiteCompensation;
  int32_t Columns = 0;
  int32_t Rows = 0;
  float BlackAverage[3] = {};  // red, green, blue
  float WhiteAverage[3] = {};
  bool CompensationValid = false;

  TColorChartTable() = default;
  ~TColorChartTable() { Dispose(); }
  TColorChartTable(const TColorChartTable&) = delete;
  TColorChartTable& operator=(const TColorChartTable&) = delete;

  void Init();
  // N zeroed records (N below 0 gives none).
  void Alloc(int32_t N);
  // Frees the patches and both compensation images; Columns, Rows, the
  // averages and CompensationValid stay.
  void Dispose();
  // Copies Count records (Source may be this table's own array), then at
  // least Columns x Rows records, and fills missing positions.
  void SetPatches(const TColorCheckerPixel128* Source, int32_t Count, int32_t NewColumns,
                  int32_t NewRows);
  // Keeps the first min(Count, N) records (new ones zeroed); Rows = N /
  // Columns.
  void SetCount(int32_t N);
  // Patches, Columns and Rows of Other; this table's compensation images
  // are freed.
  void Assign(const TColorChartTable& Other);
  // Every record zeroed, then Empty.
  void Clear();
  void Transpose();
  void FlipVertical();
  void FlipHorizontal();
  void MakeGrayRamp();
  void MakeTestChart();
  void MarkNeutralPatches();
  int32_t CountNeutralPatches() const;
  int32_t CountNearNeutral(float Threshold) const;
  // Colour of compensation pixel i into pixel i of Dest for every patch
  // below Columns x Rows that both images hold; Dest's alpha untouched.
  void GetBlackCompensation(TImage128& Dest) const;
  void GetWhiteCompensation(TImage128& Dest) const;

  // Index of patch (Row, Column); the caller keeps both inside the grid.
  int32_t PatchIndex(int32_t Row, int32_t Column) const { return Row * Columns + Column; }
  // Columns x Rows records exist (and the grid is not empty).
  bool GridIsComplete() const;

  // The chart file reader: True and the table replaced on success; on any
  // failure a message and the table as it was.
  bool LoadColorChart(const std::string& FileName);
  // The same from the file's text (FileName only names it in messages).
  bool LoadColorChartFromText(const std::string& Text, const std::string& FileName);
  // Writes Columns x Rows patches column by column.
  bool SaveColorChart(const std::string& FileName, const std::string& Info) const;
  std::string ColorChartText(const std::string& Info) const;
  bool SaveColorChartAsArray(const std::string& FileName) const;
};

// The 24-patch start-up chart (6 columns, 4 rows).
constexpr int32_t StartupChartColumns = 6;
constexpr int32_t StartupChartRows = 4;
TColorCheckerPixelArray StartupColorChartPatches();
// Init'ed Table gets the start-up chart through SetPatches.
void SetStartupColorChart(TColorChartTable& Table);

}  // namespace kromel
