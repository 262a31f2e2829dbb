// The dot-grid model: the dot record, sizing, layouts, lookup and the
// "DGRD" chunk.
#include "params/dot_grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <numbers>
#include <string>

#include "foundation/byte_stream.h"
#include "foundation/messages.h"
#include "foundation/utf16.h"
#include "params/envelope_math.h"
#include "platform/canvas.h"

namespace kromel {

namespace {

constexpr char GridChunkMagic[4] = {'D', 'G', 'R', 'D'};
constexpr int32_t GridChunkHeader = 16;
constexpr int32_t GridChunkVersion = 2;
constexpr double TwoPi = 2.0 * std::numbers::pi;

// Typed value codes of the chunk.
constexpr uint8_t TypeInt8 = 0x02;
constexpr uint8_t TypeInt16 = 0x03;
constexpr uint8_t TypeInt32 = 0x04;
constexpr uint8_t TypeString8 = 0x06;
constexpr uint8_t TypeFalse = 0x08;
constexpr uint8_t TypeTrue = 0x09;
constexpr uint8_t TypeLString8 = 0x0C;
constexpr uint8_t TypeWString = 0x12;
constexpr uint8_t TypeUtf8String = 0x14;
constexpr uint8_t TypeUString = 0x15;

void PutLE32(uint8_t* P, uint32_t V) {
  for (int I = 0; I < 4; ++I) P[I] = static_cast<uint8_t>(V >> (8 * I));
}

uint32_t GetLE32(const uint8_t* P) {
  return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}

void PutFloat(uint8_t* P, float V) {
  uint32_t U;
  std::memcpy(&U, &V, 4);
  PutLE32(P, U);
}

float GetFloat(const uint8_t* P) {
  const uint32_t U = GetLE32(P);
  float V;
  std::memcpy(&V, &U, 4);
  return V;
}

void AppendLE(std::string& S, uint32_t V, int Bytes) {
  for (int I = 0; I < Bytes; ++I) S += static_cast<char>((V >> (8 * I)) & 0xFF);
}

// An integer in the shortest of the three typed forms.
void AppendInteger(std::string& S, int32_t V) {
  if (V >= -128 && V <= 127) {
    S += static_cast<char>(TypeInt8);
    AppendLE(S, static_cast<uint32_t>(V), 1);
  } else if (V >= -32768 && V <= 32767) {
    S += static_cast<char>(TypeInt16);
    AppendLE(S, static_cast<uint32_t>(V), 2);
  } else {
    S += static_cast<char>(TypeInt32);
    AppendLE(S, static_cast<uint32_t>(V), 4);
  }
}

// Reads typed values; any mismatch or shortage throws.
class TTypedReader {
public:
  explicit TTypedReader(TByteStream& Stream) : S(Stream) {}

  uint8_t Byte() {
    uint8_t B;
    S.ReadBuffer(&B, 1);
    return B;
  }
  uint32_t Unsigned(int Bytes) {
    uint8_t B[4] = {};
    S.ReadBuffer(B, Bytes);
    return GetLE32(B);
  }
  int32_t Integer() {
    switch (Byte()) {
      case TypeInt8: return static_cast<int8_t>(Unsigned(1));
      case TypeInt16: return static_cast<int16_t>(Unsigned(2));
      case TypeInt32: return static_cast<int32_t>(Unsigned(4));
      default: throw EStreamError("integer expected");
    }
  }
  bool Boolean() {
    switch (Byte()) {
      case TypeFalse: return false;
      case TypeTrue: return true;
      default: throw EStreamError("Boolean expected");
    }
  }
  // A text of any of the accepted forms, bounded by the bytes left.
  void SkipText() {
    int64_t Bytes = 0;
    switch (Byte()) {
      case TypeWString:
      case TypeUString: Bytes = 2 * int64_t(Unsigned(4)); break;
      case TypeUtf8String:
      case TypeLString8: Bytes = Unsigned(4); break;
      case TypeString8: Bytes = Unsigned(1); break;
      default: throw EStreamError("text expected");
    }
    Skip(Bytes);
  }
  void Skip(int64_t Bytes) {
    if (Bytes < 0 || Bytes > S.Remaining() || !S.SetPosition(S.Position() + Bytes))
      throw EStreamError("Stream read error");
  }

private:
  TByteStream& S;
};

// A double as an index: NaN gives 0, huge values stay far outside any grid.
int32_t IndexOf(double V) {
  if (std::isnan(V)) return 0;
  return static_cast<int32_t>(std::clamp(V, -1.0e9, 1.0e9));
}

// Pins the four corner dots of an N x M grid (none when it is empty).
void PinCorners(TDotColumns& Dots, int32_t N, int32_t M) {
  if (N > 0 && M > 0) {
    Dots[0][0].Pinned = true;
    Dots[size_t(N - 1)][0].Pinned = true;
    Dots[0][size_t(M - 1)].Pinned = true;
    Dots[size_t(N - 1)][size_t(M - 1)].Pinned = true;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TDotPoint

int32_t TDotPoint::GetDistance() const {
  return RoundToInt32(std::sqrt(double(X) * X + double(Y) * Y));
}

void TDotPoint::Rotate(float Angle) {
  const double C = std::cos(double(Angle));
  const double S = std::sin(double(Angle));
  const double OldX = X;
  const double OldY = Y;
  X = RoundToInt32(C * OldX - S * OldY);
  Y = RoundToInt32(OldX * S + C * OldY);
}

void TDotPoint::SetDistance(int32_t D) {
  const float Len = std::sqrt(float(X) * float(X) + float(Y) * float(Y));
  if (!(Len > 0.001f)) return;
  X = RoundToInt32(double(D) * (float(X) / Len));
  Y = RoundToInt32(double(D) * (float(Y) / Len));
}

void TDotPoint::Scale(float Factor) {
  X = RoundToInt32(double(X) * Factor);
  Y = RoundToInt32(double(Y) * Factor);
}

float TDotPoint::GetAngle() const { return std::atan2(float(X), float(Y)); }

void TDotPoint::SetAngle(float Angle) { Rotate(GetAngle() - Angle); }

void TDotPoint::AssignValues(const TDotPoint& Source) {
  X = Source.X;
  Y = Source.Y;
  Z = Source.Z;
  Color = Source.Color;
}

void TDotPoint::AssignValuesAndPin(const TDotPoint& Source) {
  AssignValues(Source);
  Pinned = Source.Pinned;
}

void TDotPoint::ToRecord(uint8_t (&R)[DotPointRecordSize]) const {
  PutLE32(R + 0, static_cast<uint32_t>(X));
  PutLE32(R + 4, static_cast<uint32_t>(Y));
  PutLE32(R + 8, static_cast<uint32_t>(Spare1));
  PutLE32(R + 12, static_cast<uint32_t>(Color));
  PutLE32(R + 16, static_cast<uint32_t>(Z));
  R[20] = static_cast<uint8_t>(Count);
  R[21] = static_cast<uint8_t>(uint16_t(Count) >> 8);
  R[22] = static_cast<uint8_t>(State);
  R[23] = static_cast<uint8_t>(uint16_t(State) >> 8);
  PutLE32(R + 24, static_cast<uint32_t>(Spare2));
  PutLE32(R + 28, static_cast<uint32_t>(Spare3));
  R[32] = Pinned ? 1 : 0;
  R[33] = Spare4 ? 1 : 0;
  R[34] = Selected ? 1 : 0;
  R[35] = Active ? 1 : 0;
  PutFloat(R + 36, U);
  PutFloat(R + 40, V);
  R[44] = Excluded ? 1 : 0;
  R[45] = Empty ? 1 : 0;
  PutLE32(R + 46, static_cast<uint32_t>(MarkColor));
}

void TDotPoint::FromRecord(const uint8_t (&R)[DotPointRecordSize]) {
  X = static_cast<int32_t>(GetLE32(R + 0));
  Y = static_cast<int32_t>(GetLE32(R + 4));
  Spare1 = static_cast<int32_t>(GetLE32(R + 8));
  Color = static_cast<int32_t>(GetLE32(R + 12));
  Z = static_cast<int32_t>(GetLE32(R + 16));
  Count = static_cast<int16_t>(uint16_t(R[20]) | uint16_t(R[21]) << 8);
  State = static_cast<int16_t>(uint16_t(R[22]) | uint16_t(R[23]) << 8);
  Spare2 = static_cast<int32_t>(GetLE32(R + 24));
  Spare3 = static_cast<int32_t>(GetLE32(R + 28));
  Pinned = R[32] != 0;
  Spare4 = R[33] != 0;
  Selected = R[34] != 0;
  Active = R[35] != 0;
  U = GetFloat(R + 36);
  V = GetFloat(R + 40);
  Excluded = R[44] != 0;
  Empty = R[45] != 0;
  MarkColor = static_cast<int32_t>(GetLE32(R + 46));
}

// ---------------------------------------------------------------------------
// Size and copying

int32_t T2DEnvelopeDots::Cols() const {
  const size_t N = std::min(Dots.size(), DefaultDots.size());
  return ColCount <= 0 ? 0 : static_cast<int32_t>(std::min<size_t>(size_t(ColCount), N));
}

int32_t T2DEnvelopeDots::Rows() const {
  const int32_t N = Cols();
  if (N == 0 || RowCount <= 0) return 0;
  size_t M = size_t(RowCount);
  for (int32_t C = 0; C < N; ++C)
    M = std::min({M, Dots[size_t(C)].size(), DefaultDots[size_t(C)].size()});
  return static_cast<int32_t>(M);
}

void T2DEnvelopeDots::SetSize(int32_t NewCols, int32_t NewRows) {
  NewCols = std::max(NewCols, 0);
  NewRows = std::max(NewRows, 0);
  RowCount = NewRows;
  ColCount = NewCols;
  const size_t NC = size_t(NewCols);
  const size_t NR = size_t(NewRows);
  bool Same = Dots.size() == NC && DefaultDots.size() == NC && Labels.size() == NC;
  for (size_t C = 0; Same && C < NC; ++C)
    Same = Dots[C].size() == NR && DefaultDots[C].size() == NR && Labels[C].size() == NR;
  if (Same) return;

  PatternMode = false;
  AllPinned = false;
  CurCol = -1;
  CurRow = -1;
  Dots.resize(NC);
  DefaultDots.resize(NC);
  Labels.resize(NC);
  for (size_t C = 0; C < NC; ++C) {
    Dots[C].resize(NR);
    DefaultDots[C].resize(NR);
    Labels[C].resize(NR);
    for (size_t R = 0; R < NR; ++R) {
      TDotPoint& D = Dots[C][R];
      D.Active = true;
      DefaultDots[C][R].Active = true;
      D.U = NewCols == 1 ? 0.0f : float(C) / float(NewCols - 1);
      D.V = NewRows == 1 ? 0.0f : float(R) / float(NewRows - 1);
    }
  }
}

void T2DEnvelopeDots::SetRowCount(int32_t N) {
  if (N < 1) N = 1;
  SetSize(ColCount, N);
  if (CurCol > ColCount - 1) CurCol = ColCount - 1;
  if (CurRow > RowCount - 1) CurRow = RowCount - 1;
  SavedSelection.resize(size_t(ColCount));
  for (auto& Column : SavedSelection) Column.resize(size_t(RowCount));
}

void T2DEnvelopeDots::SetColCount(int32_t N) {
  if (N == ColCount) return;
  if (N < 1) N = 1;
  SetSize(N, RowCount);
  if (CurCol > ColCount - 1) CurCol = ColCount - 1;
  if (CurRow > RowCount - 1) CurRow = RowCount - 1;
  SavedSelection.resize(size_t(ColCount));
  for (auto& Column : SavedSelection) Column.resize(size_t(RowCount));
}

void T2DEnvelopeDots::SetRanges(int32_t NewMinX, int32_t NewMinY, int32_t NewMaxX,
                                int32_t NewMaxY) {
  MinX = NewMinX;
  MinY = NewMinY;
  MaxX = NewMaxX;
  MaxY = NewMaxY;
}

void T2DEnvelopeDots::Assign(const T2DEnvelopeDots& Source) {
  if (&Source == this) return;
  MinX = Source.MinX;
  MinY = Source.MinY;
  MaxX = Source.MaxX;
  MaxY = Source.MaxY;
  Circular = Source.Circular;
  SetSize(Source.ColCount, Source.RowCount);
  const int32_t N = std::min(Cols(), Source.Cols());
  const int32_t M = std::min(Rows(), Source.Rows());
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      Dots[size_t(C)][size_t(R)] = Source.Dots[size_t(C)][size_t(R)];
      DefaultDots[size_t(C)][size_t(R)] = Source.DefaultDots[size_t(C)][size_t(R)];
    }
}

void T2DEnvelopeDots::FreeDots() {
  Dots.clear();
  DefaultDots.clear();
  Labels.clear();
}

// ---------------------------------------------------------------------------
// Layouts and defaults

void T2DEnvelopeDots::InitializeRectangular(bool ActivateAll) {
  Circular = false;
  SetSize(ColCount, RowCount);
  const int32_t N = Cols();
  const int32_t M = Rows();
  const double SX = N >= 2 ? (double(MaxX) - MinX) / (N - 1) : 0.0;
  const double SY = M >= 2 ? (double(MaxY) - MinY) / (M - 1) : 0.0;
  const int32_t MidX = static_cast<int32_t>((int64_t(MinX) + MaxX) / 2);
  const int32_t MidY = static_cast<int32_t>((int64_t(MinY) + MaxY) / 2);
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      TDotPoint& D = Dots[size_t(C)][size_t(R)];
      D.X = N == 1 ? MidX : RoundToInt32(MinX + SX * C);
      D.Y = M == 1 ? MidY : RoundToInt32(MinY + SY * R);
      D.Z = 0;
      D.Pinned = false;
      D.Selected = false;
      if (ActivateAll) D.Active = true;
    }
  PinCorners(Dots, N, M);
  StoreAsDefault();
}

void T2DEnvelopeDots::InitializeCircular(bool ActivateAll) {
  Circular = true;
  SetSize(ColCount, RowCount);
  const int32_t N = Cols();
  const int32_t M = Rows();
  const int32_t MidX = static_cast<int32_t>((int64_t(MinX) + MaxX) / 2);
  const int32_t MidY = static_cast<int32_t>((int64_t(MinY) + MaxY) / 2);
  const double W = double(MaxX) - MinX;
  const double H = double(MaxY) - MinY;
  for (int32_t C = 0; C < N; ++C) {
    const float A = static_cast<float>(TwoPi * C / N);
    for (int32_t R = 0; R < M; ++R) {
      // A single ring lies at the centre.
      const float F = M > 1 ? float(R) / float(M - 1) : 0.0f;
      TDotPoint& D = Dots[size_t(C)][size_t(R)];
      D.X = SatInt32(int64_t(MidX) + RoundToInt32(std::sin(double(A)) * F * W * 0.5));
      D.Y = SatInt32(int64_t(MidY) + RoundToInt32(std::cos(double(A)) * F * H * 0.5));
      DefaultDots[size_t(C)][size_t(R)].X = D.X;
      DefaultDots[size_t(C)][size_t(R)].Y = D.Y;
      D.Z = 0;
      D.Pinned = R == 0 || R == M - 1;
      D.Selected = false;
      if (ActivateAll) D.Active = true;
    }
  }
  PinCorners(Dots, N, M);
}

void T2DEnvelopeDots::StoreAsDefault() {
  const int32_t N = Cols();
  const int32_t M = Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) DefaultDots[size_t(C)][size_t(R)] = Dots[size_t(C)][size_t(R)];
}

void T2DEnvelopeDots::StoreDefaultPositions() {
  const int32_t N = Cols();
  const int32_t M = Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      const TDotPoint& D = Dots[size_t(C)][size_t(R)];
      TDotPoint& E = DefaultDots[size_t(C)][size_t(R)];
      E.X = D.X;
      E.Y = D.Y;
      E.Color = D.Color;
      E.U = D.U;
      E.V = D.V;
    }
}

bool T2DEnvelopeDots::IsDefault() const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  for (int32_t C = 0; C < N; ++C)
    for (int32_t R = 0; R < M; ++R) {
      const TDotPoint& D = Dots[size_t(C)][size_t(R)];
      const TDotPoint& E = DefaultDots[size_t(C)][size_t(R)];
      if (std::llabs(int64_t(D.X) - E.X) > 1 || std::llabs(int64_t(D.Y) - E.Y) > 1 || D.Z != E.Z)
        return false;
    }
  return true;
}

// ---------------------------------------------------------------------------
// Lookup

namespace {

// Column and row of (X, Y) on an N x M grid, each scaled coordinate taken
// to a whole number by Round; negatives become 0, the upper ends are left
// to the caller.
template <typename TRound>
void GridIndexAt(const T2DEnvelopeDots& G, int32_t N, int32_t M, int32_t X, int32_t Y,
                 TRound Round, int32_t& Col, int32_t& Row) {
  if (G.Circular) {
    const double R = (double(G.MaxX) - G.MinX) * 0.5;
    Row = IndexOf(Round((M - 1) * std::sqrt(double(X) * X + double(Y) * Y) / R));
    Col = N > 0 ? IndexOf(Round(N * std::atan2(double(X), double(Y)) / TwoPi + N)) % N : 0;
  } else {
    Col = IndexOf(Round((N - 1) * (double(X) - G.MinX) / (double(G.MaxX) - G.MinX)));
    Row = IndexOf(Round((M - 1) * (double(Y) - G.MinY) / (double(G.MaxY) - G.MinY)));
  }
  if (Col < 0) Col = 0;
  if (Row < 0) Row = 0;
}

}  // namespace

void T2DEnvelopeDots::GetDotAt(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  GridIndexAt(*this, N, M, X, Y, [](double V) { return std::nearbyint(V); }, Col, Row);
  if (Col >= N) Col = N - 1;
  if (Row >= M) Row = M - 1;
}

void T2DEnvelopeDots::GetCellAt(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  GridIndexAt(*this, N, M, X, Y, [](double V) { return std::trunc(V); }, Col, Row);
  if (Circular) {
    if (Col >= N) Col = N - 1;
  } else if (Col >= N - 1) {
    Col = N - 2;
  }
  if (Row >= M - 1) Row = M - 2;
}

// ---------------------------------------------------------------------------
// The "DGRD" chunk

bool T2DEnvelopeDots::SaveToStream(TByteStream& Stream, const std::string& ChunkName) const {
  const int32_t N = Cols();
  const int32_t M = Rows();
  try {
    std::string S(GridChunkMagic, 4);
    AppendInteger(S, GridChunkHeader);
    AppendInteger(S, GridChunkVersion);
    const std::u16string Units = Utf8ToUtf16(ChunkName);
    S += static_cast<char>(TypeWString);
    AppendLE(S, static_cast<uint32_t>(Units.size()), 4);
    S += Utf16ToLEBytes(Units);
    S += static_cast<char>(Circular ? TypeTrue : TypeFalse);
    AppendInteger(S, MinX);
    AppendInteger(S, MinY);
    AppendInteger(S, MaxX);
    AppendInteger(S, MaxY);
    AppendInteger(S, M);
    AppendInteger(S, N);
    AppendInteger(S, DotPointRecordSize);
    S.reserve(S.size() + 2 * size_t(N) * size_t(M) * DotPointRecordSize);
    uint8_t Record[DotPointRecordSize];
    for (const TDotColumns* Array : {&Dots, &DefaultDots})
      for (int32_t R = 0; R < M; ++R)
        for (int32_t C = 0; C < N; ++C) {
          (*Array)[size_t(C)][size_t(R)].ToRecord(Record);
          S.append(reinterpret_cast<const char*>(Record), DotPointRecordSize);
        }
    Stream.WriteBuffer(S.data(), int64_t(S.size()));
    return true;
  } catch (const std::exception&) {
    AppendAndShowMessages("Exception in TDisplacementGridBox.SaveToStream");
    return false;
  }
}

bool T2DEnvelopeDots::LoadFromStream(TByteStream& Stream, bool ShowErrors) {
  const int64_t Start = Stream.Position();
  uint8_t Magic[4];
  if (Stream.Read(Magic, 4) != 4 || std::memcmp(Magic, GridChunkMagic, 4) != 0) {
    if (ShowErrors)
      AppendAndShowMessages("TDisplacementGridBox.LoadFromStream - Error reading grid, file corrupt");
    Stream.SetPosition(Start);
    return false;
  }

  // Everything is read into a copy; the grid takes it only when the whole
  // chunk was sound.
  T2DEnvelopeDots Work = *this;
  Work.OnChange = nullptr;
  bool Changed = false;
  int32_t AtCol = 0;
  int32_t AtRow = 0;
  try {
    TTypedReader In(Stream);
    In.Integer();  // header value
    const int32_t Version = In.Integer();
    if (Version > GridChunkVersion)
      AppendAndShowMessages("Displacement grid: loading data, saved with newer version. Loading may fail!");
    In.SkipText();
    if (Version >= 2) {
      Work.Circular = In.Boolean();
      Work.MinX = In.Integer();
      Work.MinY = In.Integer();
      Work.MaxX = In.Integer();
      Work.MaxY = In.Integer();
    } else if (Work.Circular) {
      Work.SetRanges(-1000, -1000, 1000, 1000);
    }
    const int32_t NewRows = In.Integer();
    const int32_t NewCols = In.Integer();
    if (NewRows < 1 || NewRows > DotGridMaxCount || NewCols < 1 || NewCols > DotGridMaxCount)
      throw EStreamError("grid size out of range");
    const int32_t RecordSize = In.Integer();
    if (RecordSize < 1) throw EStreamError("bad record size");
    if (2 * int64_t(NewRows) * NewCols * RecordSize > Stream.Remaining())
      throw EStreamError("Stream read error");

    Work.SetRowCount(NewRows);
    Work.SetColCount(NewCols);
    Changed = NewRows != RowCount || NewCols != ColCount;
    const size_t Used = size_t(std::min(RecordSize, DotPointRecordSize));
    uint8_t Record[DotPointRecordSize];
    for (TDotColumns* Array : {&Work.Dots, &Work.DefaultDots}) {
      const bool Current = Array == &Work.Dots;
      for (AtRow = 0; AtRow < NewRows; ++AtRow)
        for (AtCol = 0; AtCol < NewCols; ++AtCol) {
          TDotPoint& D = (*Array)[size_t(AtCol)][size_t(AtRow)];
          D.ToRecord(Record);  // a short record keeps the later fields
          Stream.ReadBuffer(Record, int64_t(Used));
          In.Skip(RecordSize - int64_t(Used));
          D.FromRecord(Record);
          if (RecordSize <= 35) D.Active = true;
          if (Current && !Changed) {
            const TDotPoint& Old = Dots[size_t(AtCol)][size_t(AtRow)];
            Changed = D.X != Old.X || D.Y != Old.Y || D.Pinned != Old.Pinned || D.Z != Old.Z;
          }
        }
    }
  } catch (const std::exception&) {
    AppendAndShowMessages("Exception in TDisplacementGridBox.LoadFromStream, X=" +
                          std::to_string(AtCol) + " Y=" + std::to_string(AtRow));
    Stream.SetPosition(Start);
    return false;
  }

  TNotifyEvent Handler = std::move(OnChange);
  *this = std::move(Work);
  OnChange = std::move(Handler);
  if (Changed && OnChange) OnChange(this);
  return true;
}

// ---------------------------------------------------------------------------
// Drawing

void DrawDotCross(TCanvas* Canvas, int32_t X, int32_t Y, int32_t Size) {
  if (Canvas == nullptr) return;
  const auto P = [](int32_t A, int64_t B) { return SatInt32(int64_t(A) + B); };
  const int64_t S = Size;
  Canvas->Pen.Color = 0;
  Canvas->MoveTo(P(X, -S), P(Y, -S + 1));
  Canvas->LineTo(P(X, S + 1), P(Y, S + 2));
  Canvas->MoveTo(P(X, S), P(Y, -S + 1));
  Canvas->LineTo(P(X, -S - 1), P(Y, S + 2));
  Canvas->Pen.Color = 0xFFFFFF;
  Canvas->MoveTo(P(X, -S), P(Y, -S));
  Canvas->LineTo(P(X, S + 1), P(Y, S + 1));
  Canvas->MoveTo(P(X, S), P(Y, -S));
  Canvas->LineTo(P(X, -S - 1), P(Y, S + 1));
}

}  // namespace kromel
