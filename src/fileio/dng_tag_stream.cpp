#include "fileio/dng_tag_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/numeric.h"

namespace kromel {

int32_t TagTypeSize(uint32_t Type) {
  static const int32_t Sizes[16] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 2, 8};
  return Type < 16 ? Sizes[Type] : 0;
}

bool TDNGFileStream::LoadFromFile(const std::string& FileName) {
  Clear();
  std::string Bytes;
  if (!LoadFileToString(FileName, Bytes)) return false;
  WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  SetPosition(0);
  return true;
}

bool TDNGFileStream::SaveToFile(const std::string& FileName) const {
  return SaveBufferToFile(FileName, Memory(), Size());
}

void TDNGFileStream::Seek(int64_t Pos) {
  if (!SetPosition(Pos)) throw EStreamError("Stream seek error");
}

uint8_t TDNGFileStream::ReadByte() {
  uint8_t B = 0;
  ReadBuffer(&B, 1);
  return B;
}

uint16_t TDNGFileStream::ReadWord() {
  uint8_t B[2];
  ReadBuffer(B, 2);
  return BigEndian ? uint16_t(B[0] << 8 | B[1]) : uint16_t(B[1] << 8 | B[0]);
}

uint64_t TDNGFileStream::ReadOrdered(int Bytes) {
  uint8_t B[8];
  ReadBuffer(B, Bytes);
  uint64_t V = 0;
  for (int i = 0; i < Bytes; ++i) V = V << 8 | B[BigEndian ? i : Bytes - 1 - i];
  return V;
}

uint32_t TDNGFileStream::ReadLong() { return static_cast<uint32_t>(ReadOrdered(4)); }

uint64_t TDNGFileStream::ReadInt64() { return ReadOrdered(8); }

float TDNGFileStream::ReadFloat() { return std::bit_cast<float>(ReadLong()); }

double TDNGFileStream::ReadDouble() {
  const uint64_t First = ReadLong();
  const uint64_t Second = ReadLong();
  return std::bit_cast<double>(BigEndian ? (First << 32 | Second) : (Second << 32 | First));
}

TDNGRational TDNGFileStream::ReadRational() {
  TDNGRational R;
  R.Numerator = static_cast<int32_t>(ReadLong());
  R.Denominator = static_cast<int32_t>(ReadLong());
  return R;
}

bool TDNGFileStream::ReadString(uint32_t Count, bool Trim, std::string& Text) {
  Text.clear();
  if (Count == 0) return false;
  if (int64_t(Count) > Remaining()) throw EStreamError("Stream read error");
  Text.resize(Count);
  ReadBuffer(Text.data(), Count);
  if (!Text.empty() && Text.back() == '\0') Text.pop_back();
  if (Trim) {
    const std::size_t First = Text.find_first_not_of(' ');
    if (First == std::string::npos) {
      Text.clear();
    } else {
      Text.erase(0, First);
      Text.erase(Text.find_last_not_of(' ') + 1);
    }
  }
  return true;
}

int32_t TDNGFileStream::ReadMatrix(uint32_t Count, int32_t Rows, int32_t Columns, TDNGMatrix& Matrix) {
  if (Rows != 3 || Columns != 3) return 1;
  if (Count != uint32_t(Rows * Columns)) {
    SetPosition(std::min(Size(), Position() + 8 * int64_t(Rows) * Columns));
    Matrix.IsSet = true;
    return 2;
  }
  TDNGRational R[9];
  for (TDNGRational& X : R) X = ReadRational();
  for (int i = 0; i < 9; ++i) {
    Matrix.Rationals[i] = R[i];
    Matrix.Values[i] = R[i].Denominator != 0 ? double(R[i].Numerator) / R[i].Denominator : 0.0;
  }
  Matrix.IsSet = true;
  return 0;
}

void TDNGFileStream::ReadHueSatMapData(TDNGHSVTable& Table) {
  Seek(Table.TagOffset);
  const int64_t Count = Table.FullCount();
  const int64_t Stored = Table.SkipSat0 ? Count / Table.SatDivisions * (Table.SatDivisions - 1) : Count;
  // Every stored entry is three floats: check before allocating.
  if (Count <= 0 || Stored * 12 > Remaining()) throw EStreamError("Stream read error");
  Table.Entries.clear();
  Table.Entries.reserve(static_cast<std::size_t>(Count));
  for (int32_t v = 0; v < Table.ValDivisions; ++v)
    for (int32_t h = 0; h < Table.HueDivisions; ++h)
      for (int32_t s = 0; s < Table.SatDivisions; ++s) {
        if (s == 0 && Table.SkipSat0) {
          Table.AddEntry(0, 1, 1);
          continue;
        }
        const float Hue = ReadFloat();
        const float Sat = ReadFloat();
        const float Val = ReadFloat();
        Table.AddEntry(Hue, Sat, Val);
      }
}

void TDNGFileStream::ReadToneCurve(TDNGHVTable& Curve) {
  Seek(Curve.TagOffset);
  const int32_t N = Curve.TagCount / 2;
  if (N > Curve.GetCount() || int64_t(N) * 8 > Remaining()) throw EStreamError("Stream read error");
  for (int32_t i = 0; i < N; ++i) {
    const float X = ReadFloat();
    Curve.SetPoint(i, X, ReadFloat());
  }
}

void TDNGFileStream::WriteWord(uint16_t Value) {
  const uint8_t B[2] = {uint8_t(BigEndian ? Value >> 8 : Value), uint8_t(BigEndian ? Value : Value >> 8)};
  WriteBuffer(B, 2);
}

void TDNGFileStream::WriteLong(uint32_t Value) {
  uint8_t B[4];
  for (int i = 0; i < 4; ++i) B[BigEndian ? 3 - i : i] = static_cast<uint8_t>(Value >> (8 * i));
  WriteBuffer(B, 4);
}

void TDNGFileStream::WriteFloat(float Value) { WriteLong(std::bit_cast<uint32_t>(Value)); }

void TDNGFileStream::WriteRational(int32_t Numerator, int32_t Denominator) {
  WriteLong(static_cast<uint32_t>(Numerator));
  WriteLong(static_cast<uint32_t>(Denominator));
}

void TDNGFileStream::WriteBytes(const std::string& Bytes) {
  WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

bool TDNGFileStream::WriteTag(uint32_t IFDBase, uint16_t Tag, uint16_t Type, uint32_t Count, uint32_t Value) {
  const int64_t DataEnd = Position();
  try {
    Seek(int64_t(IFDBase) + 10 + 12 * int64_t(EntriesWritten));
    WriteWord(Tag);
    WriteWord(Type);
    WriteLong(Count);
    const bool Inline = int64_t(TagTypeSize(Type)) * Count <= 4;
    WriteLong(Inline ? Value : static_cast<uint32_t>(DataEnd - IFDBase));
    ++EntriesWritten;
    Seek(DataEnd);
    return Inline;
  } catch (...) {
    ErrorMessageProc("Exception in TDNGFileStream.WriteTag, TN=" + std::to_string(Count));
    SetPosition(DataEnd);
    return false;
  }
}

void TDNGFileStream::WriteStringTag(uint32_t IFDBase, uint16_t Tag, const std::string& Text) {
  try {
    std::string Data = Text;
    if (Data.empty() || Data.back() != '\0') Data += '\0';
    if (Data.size() % 2 != 0) Data += '\0';
    uint8_t Head[4] = {0, 0, 0, 0};
    std::memcpy(Head, Data.data(), Data.size() < 4 ? Data.size() : 4);
    uint32_t Value = 0;
    // Memory order: the characters land in the value field in text order.
    for (int i = 0; i < 4; ++i) Value |= uint32_t(Head[i]) << (8 * (BigEndian ? 3 - i : i));
    if (!WriteTag(IFDBase, Tag, ttAscii, static_cast<uint32_t>(Text.size() + 1), Value)) WriteBytes(Data);
  } catch (...) {
    ErrorMessageProc("Exception in write string tag: " + Text);
  }
}

void TDNGFileStream::WriteShortTag(uint32_t IFDBase, uint16_t Tag, uint16_t Value) {
  WriteTag(IFDBase, Tag, ttShort, 1, Value);
}

void TDNGFileStream::WriteLongTag(uint32_t IFDBase, uint16_t Tag, uint32_t Value) {
  WriteTag(IFDBase, Tag, ttLong, 1, Value);
}

namespace {

int32_t ScaledNumerator(double Value, double Scale) {
  return static_cast<int32_t>(static_cast<uint32_t>(RoundToInt64Saturated(Value * Scale)));
}

}  // namespace

void TDNGFileStream::WriteSRationalTag(uint32_t IFDBase, uint16_t Tag, double Value) {
  if (!WriteTag(IFDBase, Tag, ttSRational, 1, 0)) WriteRational(ScaledNumerator(Value, 32768), 32768);
}

void TDNGFileStream::WriteMatrixTag(uint32_t IFDBase, uint16_t Tag, const TDNGMatrix& Matrix) {
  if (WriteTag(IFDBase, Tag, ttSRational, 9, 0)) return;
  for (double V : Matrix.Values) WriteRational(ScaledNumerator(V, 10000), 10000);
}

void TDNGFileStream::WriteHueSatMapDimsTag(uint32_t IFDBase, uint16_t Tag, const TDNGHSVTable& Table) {
  if (WriteTag(IFDBase, Tag, ttLong, 3, 0)) return;
  WriteLong(static_cast<uint32_t>(Table.HueDivisions));
  WriteLong(static_cast<uint32_t>(Table.SatDivisions));
  WriteLong(static_cast<uint32_t>(Table.ValDivisions));
}

void TDNGFileStream::WriteHueSatMapDataTag(uint32_t IFDBase, uint16_t Tag, const TDNGHSVTable& Table) {
  const int64_t Count = Table.FullCount();
  if (!Table.IsFull()) throw EStreamError("Hue/sat table not full");
  if (WriteTag(IFDBase, Tag, ttFloat, static_cast<uint32_t>(Count * 3), 0)) return;
  for (const TDNGHSV& E : Table.Entries) {
    WriteFloat(E.HueShift);
    WriteFloat(E.SatScale);
    WriteFloat(E.ValScale);
  }
}

void TDNGFileStream::WriteToneCurveTag(uint32_t IFDBase, uint16_t Tag, const TDNGHVTable& Curve) {
  if (WriteTag(IFDBase, Tag, ttFloat, static_cast<uint32_t>(2 * Curve.GetCount()), 0)) return;
  for (const TDNGHV& P : Curve.Points) {
    WriteFloat(P.X);
    WriteFloat(P.Y);
  }
}

}  // namespace kromel
