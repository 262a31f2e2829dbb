// TImage32 lines, outlines, crosses, ramps, the YCbCr plane, text and colour
// sampling; text on a canvas through the text rasteriser.
#include <algorithm>
#include <cmath>

#include "foundation/text_tokens.h"
#include "foundation/wide_string_list.h"
#include "images/draw_clip.h"
#include "images/image32.h"
#include "images/text_raster.h"
#include "platform/canvas.h"

namespace kromel {

namespace {

bool HasPixels(const TImage32& I) {
  return I.Pixels != nullptr && I.Size > 0 && I.Width > 0 && I.Height > 0;
}

// The pixel at (X, Y), or nullptr outside the image.
TVPixel32* At(TImage32& I, int64_t X, int64_t Y) {
  if (!HasPixels(I) || X < 0 || Y < 0 || X >= I.Width || Y >= I.Height) return nullptr;
  return &I.Row(int32_t(Y))[X];
}

// The points of a line after the start is raised to 0 and the end lowered
// into the image; Every 2 visits every second point. Points still outside
// the image are skipped, so nothing is written outside it.
template <class TFn>
void LinePoints(TImage32& I, int64_t X1, int64_t Y1, int64_t X2, int64_t Y2, int64_t Every,
                TFn Fn) {
  if (!HasPixels(I)) return;
  // A line wholly on one side of the image draws nothing.
  if ((X1 < 0 && X2 < 0) || (Y1 < 0 && Y2 < 0) || (X1 >= I.Width && X2 >= I.Width) ||
      (Y1 >= I.Height && Y2 >= I.Height))
    return;
  X1 = std::max<int64_t>(X1, 0);
  Y1 = std::max<int64_t>(Y1, 0);
  X2 = std::min<int64_t>(X2, I.Width - 1);
  Y2 = std::min<int64_t>(Y2, I.Height - 1);
  const int64_t Steps = std::max(std::abs(X2 - X1), std::abs(Y2 - Y1));
  if (Steps == 0) {  // one point, mixed once
    if (TVPixel32* P = At(I, X1, Y1)) Fn(*P);
    return;
  }
  // Only the steps that may land in the image are walked.
  int64_t K0 = 0, K1 = Steps;
  drawclip::ClipLineSteps(X1, X2 - X1, Steps, I.Width, K0, K1);
  drawclip::ClipLineSteps(Y1, Y2 - Y1, Steps, I.Height, K0, K1);
  K0 = std::max<int64_t>(K0, 0);
  for (int64_t K = (K0 + Every - 1) / Every * Every; K <= K1; K += Every)
    if (TVPixel32* P = At(I, drawclip::LineAt(X1, X2 - X1, K, Steps), drawclip::LineAt(Y1, Y2 - Y1, K, Steps)))
      Fn(*P);
}

void FillRows(TImage32& I, uint8_t Alpha, int32_t (*Level)(const TImage32&, int32_t X, int32_t Y,
                                                           int32_t From, int32_t To),
              int32_t From = 0, int32_t To = 255) {
  if (!HasPixels(I)) return;
  for (int32_t Y = 0; Y < I.Height; ++Y)
    for (int32_t X = 0; X < I.Width; ++X) {
      const uint32_t L = uint32_t(std::clamp(Level(I, X, Y, From, To), 0, 255));
      I.Row(Y)[X].Value = L * 0x010101u | uint32_t(Alpha) << 24;
    }
}

// The lines of a text cut at every CR, each keeping its CR; a last piece
// without one is taken whole.
std::vector<std::string> CrPieces(const std::string& Text) {
  std::vector<std::string> Out;
  size_t Start = 0;
  while (Start < Text.size()) {
    const size_t Cr = Text.find('\r', Start);
    const size_t End = Cr == std::string::npos ? Text.size() : Cr + 1;
    Out.push_back(Text.substr(Start, End - Start));
    Start = End;
  }
  return Out;
}

// The canvas font's rendered line, without the control characters.
bool RenderCanvasText(const TCanvas& Canvas, std::string Text, TTextCoverage& Out) {
  std::erase_if(Text, [](char C) { return C == '\r' || C == '\n'; });
  return RenderTextLine(Text, Canvas.Font.Name, Canvas.Font.Size, Canvas.Font.Style, Out);
}

void MeasureCanvasText(const TCanvas& Canvas, std::string Text, int32_t& W, int32_t& H) {
  std::erase_if(Text, [](char C) { return C == '\r' || C == '\n'; });
  MeasureTextLine(Text, Canvas.Font.Name, Canvas.Font.Size, Canvas.Font.Style, W, H);
}

// Draws a line of text in the font colour over the canvas's pixels.
void TextOut(TCanvas& Canvas, int32_t X, int32_t Y, const std::string& Text) {
  TTextCoverage C;
  if (!RenderCanvasText(Canvas, Text, C)) return;
  const TColor Ink = Canvas.Font.Color;
  for (int32_t R = 0; R < C.Height; ++R)
    for (int32_t K = 0; K < C.Width; ++K) {
      const uint32_t A = C.At(K, R);
      const int64_t PX = int64_t(X) + K, PY = int64_t(Y) + R;
      if (A == 0 || PX < 0 || PY < 0 || PX >= Canvas.Bitmap().Width() ||
          PY >= Canvas.Bitmap().Height())
        continue;
      const TColor Old = Canvas.Pixel(int32_t(PX), int32_t(PY));
      TColor New = 0;
      for (int Shift = 0; Shift < 24; Shift += 8) {
        const uint32_t V = (((Old >> Shift) & 0xFF) * (255 - A) + ((Ink >> Shift) & 0xFF) * A + 127) / 255;
        New |= V << Shift;
      }
      Canvas.SetPixel(int32_t(PX), int32_t(PY), New);
    }
}

}  // namespace

void TImage32::DrawLine(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Colour) {
  LinePoints(*this, X1, Y1, X2, Y2, 1, [Colour](TVPixel32& P) { P.Value = Colour; });
}

void TImage32::DrawLineHalf(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Colour) {
  LinePoints(*this, X1, Y1, X2, Y2, 1, [Colour](TVPixel32& P) {
    P.Value = ((P.Value >> 1) & 0x7F7F7F) + ((Colour >> 1) & 0x7F7F7F);
  });
}

void TImage32::DrawLineQuarter(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Colour) {
  LinePoints(*this, X1, Y1, X2, Y2, 1, [Colour](TVPixel32& P) {
    P.Value = ((P.Value >> 2) & 0x3F3F3F) * 3 + ((Colour >> 2) & 0x3F3F3F);
  });
}

void TImage32::DrawLineDashed(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, uint32_t Colour) {
  LinePoints(*this, X1, Y1, X2, Y2, 2, [Colour](TVPixel32& P) { P.Value = Colour; });
}

void TImage32::DrawRectangle(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom,
                             uint32_t Colour) {
  if (!HasPixels(*this)) return;
  auto Set = [&](int64_t X, int64_t Y) {
    if (TVPixel32* P = At(*this, X, Y)) P->Value = Colour;
  };
  for (int64_t X = std::max(0, Left); X <= std::min(Width - 1, Right); ++X) {
    Set(X, Top);
    Set(X, Bottom);
  }
  for (int64_t Y = int64_t(std::max(0, Top)) + 1; Y <= int64_t(std::min(Height - 1, Bottom)) - 1; ++Y) {
    Set(Left, Y);
    Set(Right, Y);
  }
}

void TImage32::DrawCross(int32_t X, int32_t Y) {
  X = std::min(std::max(X, 3), Width - 4);
  Y = std::min(std::max(Y, 3), Height - 4);
  for (int32_t K = -3; K <= 3; ++K) {
    if (TVPixel32* P = At(*this, int64_t(X) + K, Y)) P->Value = 0;
    if (TVPixel32* P = At(*this, X, int64_t(Y) + K)) P->Value = 0;
  }
}

void TImage32::DrawHorizontalGradient(uint8_t Alpha) {
  FillRows(*this, Alpha, [](const TImage32& I, int32_t X, int32_t, int32_t, int32_t) {
    return int32_t(int64_t(X) * 255 / I.Width);
  });
}

// An image one row high is black.
void TImage32::DrawVerticalGradient(uint8_t Alpha) {
  FillRows(*this, Alpha, [](const TImage32& I, int32_t, int32_t Y, int32_t, int32_t) {
    return int32_t(int64_t(Y) * 255 / std::max(I.Height - 1, 1));
  });
}

// An image one row high has level From.
void TImage32::DrawVerticalGradientRange(int32_t From, int32_t To, uint8_t Alpha) {
  FillRows(
      *this, Alpha,
      [](const TImage32& I, int32_t, int32_t Y, int32_t F, int32_t T) {
        return int32_t(F + int64_t(Y) * (int64_t(T) - F) / std::max(I.Height - 1, 1));
      },
      From, To);
}

void TImage32::DrawYCbCrPlane(int32_t Luma) {
  if (!HasPixels(*this)) return;
  for (int32_t Y = 0; Y < Height; ++Y)
    for (int32_t X = 0; X < Width; ++X) {
      const double Cr = X - 128.0, Cb = double(Height) - Y - 128.0;
      int64_t C[3] = {int64_t(std::nearbyint(Luma + 1.402 * Cr)),
                      int64_t(std::nearbyint(Luma - 0.344 * Cb - 0.714 * Cr)),
                      int64_t(std::nearbyint(Luma + 1.772 * Cb))};
      const int64_t L = std::min({C[0], C[1], C[2]});
      if (L < 0) {
        const int64_t M = (30 * C[0] + 59 * C[1] + 11 * C[2]) / 100;
        for (int64_t& V : C) V = L < M && Luma != 0 ? M + M * (V - M) / (M - L) : 0;
      }
      for (int64_t& V : C) V = std::clamp<int64_t>(V, 0, 255);
      Row(Y)[X].BGRA = {uint8_t(C[2]), uint8_t(C[1]), uint8_t(C[0]), 255};
    }
}

void TImage32::DrawText(int32_t X, int32_t Y, const std::string& Text, int32_t FontSize,
                        int32_t HAlign, TVerticalAlignment VAlign) {
  TRawBitmap Bitmap(0, 0, pf32bit);
  TCanvas Canvas(Bitmap);
  Canvas.Font.Name = "Times New Roman";
  Canvas.Font.Size = FontSize;
  int32_t W = 0, H = 0;
  MeasureTextLines(Canvas, Text, W, H);
  if (W <= 0 || H <= 0) return;
  Bitmap.SetSize(W + 5, H + 5);
  Canvas.Brush.Color = 0xFFFFFF;
  Canvas.FillRect(0, 0, Bitmap.Width(), Bitmap.Height());
  DrawTextLines(Canvas, Text, 0, 0, Bitmap.Width(), Bitmap.Height(), HAlign);
  TImage32 Work;
  Work.CopyFrom(Bitmap);
  Work.SetAlpha(255);
  if (HAlign == 2) X -= W / 2;
  if (VAlign == tvaCenter) Y -= H / 2;
  DrawImage(Work, X, Y);
  Work.Dispose();
}

uint32_t TImage32::GetAverageColor(int32_t X, int32_t Y, int32_t Radius) const {
  if (!HasPixels(*this)) return 0;
  const int64_t R = std::max(Radius, 0);
  const int64_t X0 = std::max<int64_t>(X - R, 0), X1 = std::min<int64_t>(X + R, Width - 1);
  const int64_t Y0 = std::max<int64_t>(Y - R, 0), Y1 = std::min<int64_t>(Y + R, Height - 1);
  int64_t Sum[4] = {0, 0, 0, 0}, N = 0;
  for (int64_t J = Y0; J <= Y1; ++J)
    for (int64_t I = X0; I <= X1; ++I) {
      const TBGRAPixel32 P = Row(int32_t(J))[I].BGRA;
      if (P.A <= 128) continue;
      Sum[0] += P.B;
      Sum[1] += P.G;
      Sum[2] += P.R;
      Sum[3] += P.A;
      ++N;
    }
  if (N == 0) return 0;
  return uint32_t(Sum[0] / N) | uint32_t(Sum[1] / N) << 8 | uint32_t(Sum[2] / N) << 16 |
         uint32_t(Sum[3] / N) << 24;
}

void DrawGrayRamp(TCanvas& Canvas, int32_t Count, int32_t Height) {
  if (Count < 1) return;
  Canvas.Pen.Style = psSolid;
  for (int32_t K = 0; K <= Count; ++K) {
    const uint32_t L = uint32_t(int64_t(K) * 255 / Count);
    Canvas.Pen.Color = L * 0x010101u | 0xFF000000u;
    Canvas.MoveTo(K, 0);
    Canvas.LineTo(K, Height);
  }
}

void MeasureTextLines(TCanvas& Canvas, const std::string& Text, int32_t& Width, int32_t& Height) {
  Width = Height = 0;
  for (const std::string& Piece : CrPieces(Text)) {
    int32_t W = 0, H = 0;
    MeasureCanvasText(Canvas, Piece + " ", W, H);
    Width = std::max(Width, W);
    Height += H;
  }
}

void DrawTextLines(TCanvas& Canvas, const std::string& Text, int32_t X, int32_t Y, int32_t Width,
                   int32_t Height, int32_t Alignment) {
  TWideStringList Lines;
  Lines.SetText(Text);
  int32_t W = 0, LineHeight = 0;
  MeasureCanvasText(Canvas, "ABC", W, LineHeight);
  const int32_t Total = LineHeight * Lines.GetCount();
  for (int32_t K = 0; K < Lines.GetCount(); ++K) {
    const std::string Line = Lines.Get(K);
    int32_t LineW = 0, H = 0;
    MeasureCanvasText(Canvas, Line, LineW, H);
    int32_t Offset = Alignment == 2 ? Width / 2 - LineW / 2 : Alignment == 1 ? Width - LineW : 0;
    Offset = std::max(Offset, 0);
    for (int32_t C = 0; C < CountTabColumns(Line); ++C)
      TextOut(Canvas, X + Offset + 42 * C, Y + LineHeight * K + Height / 2 - Total / 2,
              GetTabColumn(Line, C));
  }
}

}  // namespace kromel
