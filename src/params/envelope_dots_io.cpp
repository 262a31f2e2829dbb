// The curve model's drawing routine and its "EnvG" chunk.
#include <algorithm>
#include <cstring>
#include <exception>

#include "foundation/endian_bytes.h"
#include "foundation/byte_stream.h"
#include "foundation/error_sink.h"
#include "params/envelope_dots.h"
#include "params/envelope_math.h"
#include "platform/canvas.h"

namespace kromel {

namespace {

constexpr char EnvelopeChunkMagic[4] = {'E', 'n', 'v', 'G'};
constexpr int32_t EnvelopeChunkVersion = 1;
constexpr int32_t EnvelopeRecordSize = 12;

const char* const CorruptCurveText = "TEnvelopeDots.LoadFromStream - Error reading curve, file corrupt";

void PutInt32(uint8_t* P, int32_t V) { StoreLE32(P, static_cast<uint32_t>(V)); }

}  // namespace

// ---------------------------------------------------------------------------
// Drawing

void TEnvelopeDots::Draw(TCanvas* Canvas, int32_t Left, int32_t Top, int32_t Width,
                         int32_t Height, int32_t Range, int32_t BaseOffset, bool ShowSelection,
                         bool Inactive, bool Bold) {
  if (Canvas == nullptr || Range == 0 || Width <= 0) return;
  const int64_t Base = int64_t(Top) + BaseOffset;
  const auto PY = [&](int64_t V) { return SatInt32(Base - int64_t(Height) * V / Range); };
  const auto PX = [&](int64_t X) { return SatInt32(Left + int64_t(Width) * X / EnvelopeMaxX); };
  const int32_t N = std::clamp(NumDots, 0, EnvelopeMaxDots);
  const TColor CurveColor = static_cast<TColor>(Color) & 0xFFFFFF;

  Canvas->Pen.Color = 0xFFFFFF;
  Canvas->Brush.Style = bsClear;
  Canvas->Pen.Style = Inactive ? psDot : psSolid;
  Canvas->Pen.Width = Bold && !Inactive ? 2 : 1;
  Canvas->MoveTo(Left, SatInt32(int64_t(PY(Dot(0).Y)) + 1));

  Canvas->Pen.Color = CurveColor;
  if (Smooth != 0 || Circular) {
    for (int32_t Px = 0; Px <= Width; ++Px)
      Canvas->LineTo(SatInt32(int64_t(Left) + Px),
                     PY(GetValue(static_cast<int32_t>(int64_t(Px) * EnvelopeMaxX / Width))));
  } else {
    for (int32_t I = 0; I < N; ++I)
      Canvas->LineTo(PX(Dot(I).X), SatInt32(int64_t(PY(Dot(I).Y)) + 1));
    if (N > 0) Canvas->LineTo(SatInt32(int64_t(Left) + Width), SatInt32(int64_t(PY(Dot(N - 1).Y)) + 1));
  }

  const TColor DotColor = Inactive ? CurveColor : 0xFFFFFF;
  Canvas->Pen.Color = DotColor;
  Canvas->Brush.Color = DotColor;
  Canvas->Brush.Style = bsSolid;
  for (int32_t I = 0; I < N; ++I) {
    const int32_t X = PX(Dot(I).X);
    const int32_t Y = SatInt32(int64_t(PY(Dot(I).Y)) + 1);
    Canvas->Rectangle(SatInt32(int64_t(X) - 3), SatInt32(int64_t(Y) - 3), SatInt32(int64_t(X) + 3),
                      SatInt32(int64_t(Y) + 3));
    if (ShowSelection && I == SelectedDot) {
      // The dots drawn after the selected one keep this pen and brush.
      Canvas->Pen.Color = 0x909090;
      Canvas->Pen.Style = psDot;
      Canvas->Pen.Width = 1;
      Canvas->Brush.Style = bsClear;
      Canvas->MoveTo(X, Top);
      Canvas->LineTo(X, SatInt32(int64_t(Top) + Height));
      Canvas->Rectangle(SatInt32(int64_t(X) - 4), SatInt32(int64_t(Y) - 4),
                        SatInt32(int64_t(X) + 4), SatInt32(int64_t(Y) + 4));
    }
  }
}

// ---------------------------------------------------------------------------
// The "EnvG" chunk

bool TEnvelopeDots::SaveToStream(TByteStream& Stream) const {
  const int32_t N = std::clamp(NumDots, 0, EnvelopeMaxDots);
  try {
    uint8_t Head[8];
    std::memcpy(Head, EnvelopeChunkMagic, 4);
    PutInt32(Head + 4, 16);  // placeholder, patched below
    Stream.WriteBuffer(Head, 8);
    const int64_t P = Stream.Position();
    uint8_t Body[12 + EnvelopeMaxDots * EnvelopeRecordSize];
    PutInt32(Body, EnvelopeChunkVersion);
    PutInt32(Body + 4, N);
    PutInt32(Body + 8, EnvelopeRecordSize);
    for (int32_t I = 0; I < N; ++I) {
      uint8_t* R = Body + 12 + I * EnvelopeRecordSize;
      PutInt32(R, Dot(I).X);
      PutInt32(R + 4, Dot(I).Y);
      PutInt32(R + 8, Dot(I).Flags);
    }
    Stream.WriteBuffer(Body, 12 + int64_t(N) * EnvelopeRecordSize);
    const int64_t E = Stream.Position();
    uint8_t Size[4];
    PutInt32(Size, static_cast<int32_t>(E - P));
    if (!Stream.SetPosition(P - 4)) throw EStreamError("Stream seek error");
    Stream.WriteBuffer(Size, 4);
    if (!Stream.SetPosition(E)) throw EStreamError("Stream seek error");
    return true;
  } catch (const std::exception& Error) {
    ErrorMessageProc(std::string("Exception in TEnvelopeDots.SaveToStream: ") + Error.what());
    return false;
  }
}

bool TEnvelopeDots::LoadFromStream(TByteStream& Stream) {
  const int64_t Start = Stream.Position();
  uint8_t Magic[4];
  if (Stream.Read(Magic, 4) != 4 || std::memcmp(Magic, EnvelopeChunkMagic, 4) != 0) {
    // As before: the four bytes are consumed.
    ErrorMessageProc(CorruptCurveText);
    return false;
  }
  // Corrupt input changes nothing: the curve stays as it was and the stream
  // goes back to the chunk's start, or past the chunk when its size field
  // can be trusted to skip it.
  const auto Refuse = [&](int64_t SizeField) {
    const int64_t End = Start + 8 + SizeField;
    const bool Skippable = SizeField >= 12 && End <= Stream.Size();
    Stream.SetPosition(Skippable ? End : Start);
    ErrorMessageProc(CorruptCurveText);
    return false;
  };
  uint8_t Head[16];
  if (Stream.Read(Head, 16) != 16) return Refuse(-1);
  const int32_t SizeField = LoadLE32Signed(Head);
  const int32_t Version = LoadLE32Signed(Head + 4);
  const int32_t NewCount = LoadLE32Signed(Head + 8);
  const int32_t RecordSize = LoadLE32Signed(Head + 12);
  if (NewCount < 0 || NewCount > EnvelopeMaxDots || RecordSize < 1 ||
      RecordSize > EnvelopeRecordSize)
    return Refuse(SizeField);
  const int64_t Bytes = int64_t(NewCount) * RecordSize;
  if (Stream.Remaining() < Bytes) return Refuse(-1);
  if (Version > EnvelopeChunkVersion)
    ErrorMessageProc("EnvelopeGraphBoxVersion: loading data, saved with newer version. Loading may fail!");

  // Records are read over the current dots, so a shorter record leaves the
  // fields it does not cover as they were.
  TDotsArray NewDots = Dots;
  uint8_t Record[EnvelopeRecordSize];
  for (int32_t I = 0; I < NewCount; ++I) {
    if (Stream.Read(Record, RecordSize) != RecordSize) return Refuse(-1);
    uint8_t Merged[EnvelopeRecordSize];
    TCurveDotPoint& P = NewDots[static_cast<size_t>(I + 2)];
    PutInt32(Merged, P.X);
    PutInt32(Merged + 4, P.Y);
    PutInt32(Merged + 8, P.Flags);
    std::memcpy(Merged, Record, static_cast<size_t>(RecordSize));
    // Any Int32 coordinates are taken: the curve's arithmetic is safe for them.
    P = {LoadLE32Signed(Merged), LoadLE32Signed(Merged + 4), LoadLE32Signed(Merged + 8)};
  }

  bool Changed = NewCount != NumDots;
  for (int32_t I = 0; I < NewCount && !Changed; ++I) {
    const TCurveDotPoint& A = NewDots[static_cast<size_t>(I + 2)];
    const TCurveDotPoint& B = Dot(I);
    Changed = A.X != B.X || A.Y != B.Y || A.Flags != B.Flags;
  }
  // An isolated curve consumes the chunk and keeps its dots.
  if (!Isolate) {
    Dots = NewDots;
    NumDots = NewCount;
  }
  CalcSpline();
  if (Changed) {
    Repaint();
    if (OnChange) OnChange(GraphControl);
  }
  return true;
}

}  // namespace kromel
