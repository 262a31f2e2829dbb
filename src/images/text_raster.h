// One line of text rasterised to 8-bit coverage through FreeType, the font
// picked by fontconfig. "Times New Roman" and "Arial" map to their
// metric-compatible Liberation faces; "default" or an empty name gives the
// sans face. A missing font draws nothing and is reported once per run.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kromel {

// Font style set bits.
enum TFontStyleBit : uint32_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Coverage of a line of text: Width x Height bytes, rows from the top, 0
// empty to 255 full. Every covered pixel lies inside the box.
struct TTextCoverage {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Baseline = 0;  // row of the baseline
  std::vector<uint8_t> Alpha;
  uint8_t At(int32_t X, int32_t Y) const { return Alpha[size_t(Y) * size_t(Width) + size_t(X)]; }
};

// Renders Text (UTF-8) at PixelSize pixels per em; False (Out empty) when
// the text is empty, the size is not 1..1000 or no font can be loaded.
bool RenderTextLine(const std::string& Text, const std::string& Family, int32_t PixelSize,
                    uint32_t Style, TTextCoverage& Out);

// The box RenderTextLine fills, without rendering; 0 x 0 when it would fail.
void MeasureTextLine(const std::string& Text, const std::string& Family, int32_t PixelSize,
                     uint32_t Style, int32_t& Width, int32_t& Height);

// The drawing of a caption into a 16-bit image: FontSize below 7 counts as
// 7; the line is centred on Y vertically and, with Align 2, on X
// horizontally (otherwise X is its left edge). Paint(pixel, coverage) for
// every covered pixel inside the image.
template <class TImage, class TPaint>
void DrawTextCoverage(TImage& I, int32_t X, int32_t Y, const std::string& Text, int32_t FontSize,
                      uint32_t Style, int32_t Align, TPaint Paint) {
  if (Text.empty() || I.Pixels == nullptr) return;
  TTextCoverage C;
  if (!RenderTextLine(Text, "default", FontSize < 7 ? 7 : FontSize, Style, C)) return;
  const int64_t Top = int64_t(Y) - C.Height / 2;
  const int64_t Left = Align == 2 ? int64_t(X) - C.Width / 2 : int64_t(X);
  for (int32_t R = 0; R < C.Height; ++R) {
    const int64_t PY = Top + R;
    if (PY < 0 || PY >= I.Height) continue;
    for (int32_t K = 0; K < C.Width; ++K) {
      const int64_t PX = Left + K;
      const uint8_t V = C.At(K, R);
      if (V != 0 && PX >= 0 && PX < I.Width) Paint(I.Row(int32_t(PY))[PX], V);
    }
  }
}

}  // namespace kromel
