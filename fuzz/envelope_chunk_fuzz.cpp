// The curve chunk "EnvG" read from a byte stream until a read fails. A
// refused chunk leaves the curve as it was; an accepted one holds at most
// 131 dots, evaluates and draws without harm, and writes back to a chunk
// that reads to the same dots.
#include <cstring>

#include "foundation/byte_stream.h"
#include "fuzz_support.h"
#include "params/envelope_dots.h"
#include "platform/canvas.h"
#include "platform/raw_bitmap.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  TMemoryStream Stream(fuzz::AsText(Data, Size));
  TEnvelopeDots Curve;
  Curve.ResetDiagonal(3);
  for (int Round = 0; Round < 64; ++Round) {
    const int64_t Start = Stream.Position();
    const TDotsArray Before = Curve.Dots;
    const int32_t Count = Curve.NumDots;
    if (!Curve.LoadFromStream(Stream)) {
      FUZZ_CHECK(Curve.NumDots == Count);
      FUZZ_CHECK(std::memcmp(Curve.Dots.data() + 2, Before.data() + 2,
                             sizeof(TCurveDotPoint) * size_t(Count)) == 0);
      if (Stream.Position() <= Start) break;
      continue;
    }
    FUZZ_CHECK(Curve.NumDots >= 0 && Curve.NumDots <= EnvelopeMaxDots);
    FUZZ_CHECK(Stream.Position() > Start);
    for (int32_t X = -100; X <= 16500; X += 331) {
      const float V = Curve.GetValueS(static_cast<float>(X));
      FUZZ_CHECK(!(V > 32767.0f && Curve.NumDots >= 3 && Curve.Smooth != 0));
    }
    TRawBitmap Bitmap(64, 40, pf32bit);
    TCanvas Canvas(Bitmap);
    Curve.Draw(&Canvas, 2, 2, 60, 36, 32767, 36, true, false, true);

    TMemoryStream Copy;
    FUZZ_CHECK(Curve.SaveToStream(Copy));
    FUZZ_CHECK(Copy.Size() == 20 + 12 * int64_t(Curve.NumDots));
    Copy.SetPosition(0);
    TEnvelopeDots Back;
    FUZZ_CHECK(Back.LoadFromStream(Copy));
    FUZZ_CHECK(Back.NumDots == Curve.NumDots);
    for (int32_t I = 0; I < Curve.NumDots; ++I)
      FUZZ_CHECK(Back.Dot(I).Flags == Curve.Dot(I).Flags);
  }
  return 0;
}
