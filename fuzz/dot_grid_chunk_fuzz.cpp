// The grid chunk "DGRD" read from a byte stream, chunk after chunk. A
// refused chunk leaves the grid and the stream position as they were; an
// accepted one holds 1..256 columns and rows, maps points, looks up dots and
// cells inside the grid, survives the reshaping operations, and writes back
// to a chunk that reads to the same bytes.
#include <cmath>
#include <string>

#include "foundation/byte_stream.h"
#include "fuzz_support.h"
#include "params/dot_grid.h"
#include "platform/message_sink.h"

using namespace kromel;

namespace {

std::string Bytes(const T2DEnvelopeDots& Grid) {
  TMemoryStream S;
  FUZZ_CHECK(Grid.SaveToStream(S, Grid.Name));
  return S.Bytes();
}

void ExerciseMapping(const T2DEnvelopeDots& Grid) {
  const int32_t N = Grid.Cols();
  const int32_t M = Grid.Rows();
  const float Points[][2] = {{0, 0},       {-1000, 250},   {999.5f, -999.5f}, {3e9f, -3e9f},
                             {1e-30f, 7}, {-0.0f, -1e20f}, {NAN, 1},          {INFINITY, 0}};
  for (const auto& P : Points) {
    float X = P[0], Y = P[1], Z = 0, S = 0, W = 0;
    Grid.Interpolation(X, Y, Z);
    X = P[0], Y = P[1];
    Grid.InterpolationSelection(X, Y, Z, S);
    X = P[0], Y = P[1];
    Grid.InterpolationSelectionDot(X, Y, Z, W, N / 2, 0);
  }
  const int32_t Ints[][2] = {{0, 0}, {-2147483647 - 1, 2147483647}, {Grid.MaxX, Grid.MinY}, {17, -33}};
  for (const auto& P : Ints) {
    int32_t Col, Row;
    Grid.GetDotAt(P[0], P[1], Col, Row);
    FUZZ_CHECK(Col >= 0 && Col < N && Row >= 0 && Row < M);
    Grid.GetCellAt(P[0], P[1], Col, Row);
    FUZZ_CHECK(Col >= (N < 2 && !Grid.Circular ? -1 : 0) && Col < N);
    FUZZ_CHECK(Row >= (M < 2 ? -1 : 0) && Row < M);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  fuzz::QuietMessages();
  TMemoryStream Stream(fuzz::AsText(Data, Size));
  T2DEnvelopeDots Grid;
  Grid.SetColCount(3);
  Grid.SetRowCount(3);
  Grid.SetRanges(-1000, -1000, 1000, 1000);
  Grid.InitializeRectangular(true);
  for (int Round = 0; Round < 16; ++Round) {
    const int64_t Start = Stream.Position();
    const std::string Before = Bytes(Grid);
    int Changes = 0;
    Grid.OnChange = [&Changes](void*) { ++Changes; };
    if (!Grid.LoadFromStream(Stream, true)) {
      FUZZ_CHECK(Stream.Position() == Start);
      FUZZ_CHECK(Bytes(Grid) == Before);
      FUZZ_CHECK(Changes == 0);
      // Look for a chunk further on.
      if (!Stream.SetPosition(Start + 1)) break;
      continue;
    }
    FUZZ_CHECK(Stream.Position() > Start);
    FUZZ_CHECK(Grid.ColCount >= 1 && Grid.ColCount <= DotGridMaxCount);
    FUZZ_CHECK(Grid.RowCount >= 1 && Grid.RowCount <= DotGridMaxCount);
    FUZZ_CHECK(Grid.Cols() == Grid.ColCount && Grid.Rows() == Grid.RowCount);
    FUZZ_CHECK(Changes <= 1);
    ExerciseMapping(Grid);

    // The editing operations run after every load of a small grid.
    if (int64_t(Grid.ColCount) * Grid.RowCount <= 100) {
      T2DEnvelopeDots Work = Grid;
      Work.InterpolateUntouchedDots();
      Work.Smooth(true, true, true, false, true, false);
      Work.SmoothTensions(100);
      Work.RemoveOverlappings();
      Work.FixGridSavingAngle();
      Work.ResetDistance(false);
      Work.BlendAngleToDefault(false, 0.5f);
      Work.PullInPushOut(10, -10, 0.7f, true, true, true, true, false);
      Work.SetSectorScale(0, 2.5f);
      ExerciseMapping(Work);
      (void)Work.GetMaxTension();
      (void)Work.GetMinTension();
    }

    TMemoryStream Copy;
    FUZZ_CHECK(Grid.SaveToStream(Copy, "copy"));
    FUZZ_CHECK(Copy.Position() == Copy.Size());
    Copy.SetPosition(0);
    T2DEnvelopeDots Back;
    FUZZ_CHECK(Back.LoadFromStream(Copy, true));
    FUZZ_CHECK(Copy.Position() == Copy.Size());
    FUZZ_CHECK(Bytes(Back) == Bytes(Grid));
  }
  SetMessageSink(nullptr);
  return 0;
}
