// The TIFF/DNG tag stream under the camera-profile reader and writer: a
// byte stream that knows its byte order ("II" or "MM"), typed reads and
// writes, matrices, hue/sat tables and tone curves at file positions, and
// IFD entries written one at a time with their data appended at the end.
//
// The whole file is held in memory: reads are checked against its size
// (a short read or a seek outside throws EStreamError) and a written
// stream goes to disk in one piece through the safe file writer.
#pragma once
#include <cstdint>
#include <string>

#include "fileio/dng_tables.h"
#include "foundation/byte_stream.h"

namespace kromel {

struct TDNGRational {
  int32_t Numerator = 0;
  int32_t Denominator = 0;
};

// One colour-matrix tag: the nine values row by row, the rationals they
// were read from, and whether the matrix is set.
struct TDNGMatrix {
  double Values[9] = {};
  TDNGRational Rationals[9] = {};
  bool IsSet = false;
};

// TIFF field types.
enum : uint16_t {
  ttByte = 1, ttAscii = 2, ttShort = 3, ttLong = 4, ttRational = 5, ttSByte = 6,
  ttUndefined = 7, ttSShort = 8, ttSLong = 9, ttSRational = 10, ttFloat = 11, ttDouble = 12,
  ttIFD = 13,
};

// Bytes of one value of a field type; 0 outside 1..15.
int32_t TagTypeSize(uint32_t Type);

class TDNGFileStream : public TMemoryStream {
 public:
  bool BigEndian = false;
  int32_t EntriesWritten = 0;

  // The file's bytes at position 0; false (stream empty) when it cannot be
  // read.
  bool LoadFromFile(const std::string& FileName);
  // Everything written, through the safe file writer.
  bool SaveToFile(const std::string& FileName) const;

  void SetBigEndian(bool Value) { BigEndian = Value; }
  void SetByteOrder(bool Value) { BigEndian = Value; }
  // To Pos in 0..Size(), else EStreamError.
  void Seek(int64_t Pos);

  uint8_t ReadByte();
  uint16_t ReadWord();
  uint32_t ReadLong();
  uint64_t ReadInt64();
  float ReadFloat();
  double ReadDouble();
  TDNGRational ReadRational();
  // Count bytes (0: false, Text empty); one final NUL dropped; Trim removes
  // leading and trailing blanks.
  bool ReadString(uint32_t Count, bool Trim, std::string& Text);

  static bool TypeMatches(uint32_t Type, uint32_t T) { return Type == T; }
  static bool TypeMatchesAny(uint32_t Type, uint32_t T1, uint32_t T2) { return Type == T1 || Type == T2; }
  static bool CountIsOne(uint32_t Count) { return Count == 1; }
  static bool CountMatches(uint32_t Count, uint32_t Expected) { return Count == Expected; }
  static bool CountWithin(uint32_t Count, uint32_t Min, uint32_t Max) {
    return Count >= Min && Count <= (Max > Min ? Max : Min);
  }

  // 0: nine values read; 1: Rows or Columns not 3 (nothing read); 2: Count
  // not Rows x Columns (the matrix skipped and marked set).
  int32_t ReadMatrix(uint32_t Count, int32_t Rows, int32_t Columns, TDNGMatrix& Matrix);
  // The table's entries from its TagOffset (saturation fastest); an entry
  // whose data lies outside the file throws EStreamError.
  void ReadHueSatMapData(TDNGHSVTable& Table);
  void ReadToneCurve(TDNGHVTable& Curve);

  void WriteWord(uint16_t Value);
  void WriteLong(uint32_t Value);
  void WriteFloat(float Value);
  void WriteRational(int32_t Numerator, int32_t Denominator);
  // One IFD entry at IFDBase + 10 + 12 EntriesWritten; true when the value
  // is inline, false when the entry holds the data end's offset and the
  // caller must write the data now.
  bool WriteTag(uint32_t IFDBase, uint16_t Tag, uint16_t Type, uint32_t Count, uint32_t Value);
  void WriteStringTag(uint32_t IFDBase, uint16_t Tag, const std::string& Text);
  void WriteShortTag(uint32_t IFDBase, uint16_t Tag, uint16_t Value);
  void WriteLongTag(uint32_t IFDBase, uint16_t Tag, uint32_t Value);
  // Numerator round(Value x 32768) over 32768.
  void WriteSRationalTag(uint32_t IFDBase, uint16_t Tag, double Value);
  // Nine rationals round(value x 10000) over 10000.
  void WriteMatrixTag(uint32_t IFDBase, uint16_t Tag, const TDNGMatrix& Matrix);
  void WriteHueSatMapDimsTag(uint32_t IFDBase, uint16_t Tag, const TDNGHSVTable& Table);
  void WriteHueSatMapDataTag(uint32_t IFDBase, uint16_t Tag, const TDNGHSVTable& Table);
  void WriteToneCurveTag(uint32_t IFDBase, uint16_t Tag, const TDNGHVTable& Curve);

 private:
  // Bytes (1..8) in the stream's byte order.
  uint64_t ReadOrdered(int Bytes);
  void WriteBytes(const std::string& Bytes);
};

}  // namespace kromel
