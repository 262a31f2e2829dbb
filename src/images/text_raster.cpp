#include "images/text_raster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

#include "foundation/error_sink.h"
#include "foundation/utf16.h"

namespace kromel {

namespace {

// FreeType and fontconfig are not thread-safe on one library handle: every
// use goes through this lock.
std::mutex FontLock;
FT_Library Library = nullptr;
std::map<std::string, FT_Face> Faces;  // by family and style; nullptr: not found
FcConfig* Fonts = nullptr;  // our own configuration, apart from any other user's
bool MissingReported = false;

std::string FamilyFor(const std::string& Name) {
  if (Name == "Times New Roman" || Name == "Times") return "Liberation Serif";
  if (Name == "Arial" || Name == "Helvetica" || Name.empty() || Name == "default")
    return "Liberation Sans";
  if (Name == "Courier New" || Name == "Courier") return "Liberation Mono";
  return Name;
}

// The face file fontconfig matches for the family and style; empty when none.
std::string MatchFile(const std::string& Family, uint32_t Style) {
  if (Fonts == nullptr) Fonts = FcInitLoadConfigAndFonts();
  if (Fonts == nullptr) return {};
  FcPattern* Pattern = FcPatternCreate();
  if (Pattern == nullptr) return {};
  FcPatternAddString(Pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(Family.c_str()));
  FcPatternAddInteger(Pattern, FC_WEIGHT, (Style & fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(Pattern, FC_SLANT, (Style & fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(Pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(Fonts, Pattern, FcMatchPattern);
  FcDefaultSubstitute(Pattern);
  FcResult Result = FcResultNoMatch;
  FcPattern* Match = FcFontMatch(Fonts, Pattern, &Result);
  std::string File;
  FcChar8* Path = nullptr;
  if (Match != nullptr && FcPatternGetString(Match, FC_FILE, 0, &Path) == FcResultMatch && Path)
    File = reinterpret_cast<const char*>(Path);
  if (Match != nullptr) FcPatternDestroy(Match);
  FcPatternDestroy(Pattern);
  return File;
}

// Releases the faces, FreeType and our font configuration at exit.
void ReleaseFonts() {
  std::lock_guard<std::mutex> Guard(FontLock);
  for (auto& [Key, Face] : Faces)
    if (Face != nullptr) FT_Done_Face(Face);
  Faces.clear();
  if (Library != nullptr) FT_Done_FreeType(Library);
  Library = nullptr;
  if (Fonts != nullptr) FcConfigDestroy(Fonts);
  Fonts = nullptr;
}

// The cached face, or nullptr (reported once per run). Called under the lock.
FT_Face FaceFor(const std::string& Name, uint32_t Style) {
  const std::string Family = FamilyFor(Name);
  const std::string Key = Family + "/" + std::to_string(Style & (fsBold | fsItalic));
  const auto Found = Faces.find(Key);
  if (Found != Faces.end()) return Found->second;
  FT_Face Face = nullptr;
  if (Library == nullptr && FT_Init_FreeType(&Library) == 0) std::atexit(ReleaseFonts);
  if (Library != nullptr) {
    const std::string File = MatchFile(Family, Style);
    if (!File.empty() && FT_New_Face(Library, File.c_str(), 0, &Face) != 0) Face = nullptr;
  }
  if (Face == nullptr && !MissingReported) {
    MissingReported = true;
    ErrorMessageProc("Font not found: " + Family + "; text is not drawn");
  }
  Faces[Key] = Face;
  return Face;
}

std::u32string CodePoints(const std::string& Text) {
  const std::u16string U = Utf8ToUtf16(Text);
  std::u32string Out;
  for (size_t K = 0; K < U.size(); ++K) {
    const char16_t C = U[K];
    if (C >= 0xD800 && C < 0xDC00 && K + 1 < U.size() && U[K + 1] >= 0xDC00 && U[K + 1] < 0xE000) {
      Out.push_back(0x10000 + ((char32_t(C) - 0xD800) << 10) + (char32_t(U[K + 1]) - 0xDC00));
      ++K;
    } else {
      Out.push_back(C);
    }
  }
  return Out;
}

struct TLayout {
  int32_t Width = 0, Height = 0, Ascent = 0;
  std::vector<int32_t> PenX;  // 26.6 pen position of every glyph
};

// Places the glyphs; the box spans the advances and every glyph's ink.
bool Layout(FT_Face Face, const std::u32string& Codes, TLayout& L) {
  const FT_Size_Metrics& M = Face->size->metrics;
  L.Ascent = int32_t((M.ascender + 63) >> 6);
  const int32_t Descent = int32_t((-M.descender + 63) >> 6);
  L.Height = std::max(L.Ascent + Descent, 1);
  int64_t Pen = 0, Right = 0;
  FT_UInt Previous = 0;
  for (const char32_t C : Codes) {
    const FT_UInt Index = FT_Get_Char_Index(Face, C);
    if (Previous != 0 && Index != 0 && FT_HAS_KERNING(Face)) {
      FT_Vector K;
      if (FT_Get_Kerning(Face, Previous, Index, FT_KERNING_DEFAULT, &K) == 0) Pen += K.x;
    }
    Pen = std::max<int64_t>(Pen, 0);
    L.PenX.push_back(int32_t(Pen));
    if (FT_Load_Glyph(Face, Index, FT_LOAD_DEFAULT) != 0) return false;
    const FT_Glyph_Metrics& G = Face->glyph->metrics;
    Right = std::max<int64_t>(Right, Pen + G.horiBearingX + G.width);
    Pen += Face->glyph->advance.x;
    Previous = Index;
  }
  L.Width = int32_t((std::max(Pen, Right) + 63) >> 6) + 1;
  return L.Width < 1 << 20;
}

// Face sized for the call, or nullptr. Called under the lock.
FT_Face SizedFace(const std::string& Family, int32_t PixelSize, uint32_t Style) {
  if (PixelSize < 1 || PixelSize > 1000) return nullptr;
  FT_Face Face = FaceFor(Family, Style);
  if (Face == nullptr || FT_Set_Pixel_Sizes(Face, 0, FT_UInt(PixelSize)) != 0) return nullptr;
  return Face;
}

}  // namespace

void MeasureTextLine(const std::string& Text, const std::string& Family, int32_t PixelSize,
                     uint32_t Style, int32_t& Width, int32_t& Height) {
  Width = Height = 0;
  if (Text.empty()) return;
  std::lock_guard<std::mutex> Guard(FontLock);
  FT_Face Face = SizedFace(Family, PixelSize, Style);
  TLayout L;
  if (Face == nullptr || !Layout(Face, CodePoints(Text), L)) return;
  Width = L.Width;
  Height = L.Height;
}

bool RenderTextLine(const std::string& Text, const std::string& Family, int32_t PixelSize,
                    uint32_t Style, TTextCoverage& Out) {
  Out = TTextCoverage();
  if (Text.empty()) return false;
  std::lock_guard<std::mutex> Guard(FontLock);
  FT_Face Face = SizedFace(Family, PixelSize, Style);
  const std::u32string Codes = CodePoints(Text);
  TLayout L;
  if (Face == nullptr || !Layout(Face, Codes, L)) return false;
  Out.Width = L.Width;
  Out.Height = L.Height;
  Out.Baseline = L.Ascent;
  Out.Alpha.assign(size_t(L.Width) * size_t(L.Height), 0);
  for (size_t K = 0; K < Codes.size(); ++K) {
    if (FT_Load_Char(Face, Codes[K], FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot G = Face->glyph;
    const FT_Bitmap& B = G->bitmap;
    if (B.pixel_mode != FT_PIXEL_MODE_GRAY || B.buffer == nullptr) continue;
    const int64_t Left = (L.PenX[K] >> 6) + G->bitmap_left;
    const int64_t Top = int64_t(L.Ascent) - G->bitmap_top;
    for (int64_t R = 0; R < int64_t(B.rows); ++R) {
      const int64_t Y = Top + R;
      if (Y < 0 || Y >= Out.Height) continue;
      const uint8_t* Src = B.buffer + R * B.pitch;
      for (int64_t C = 0; C < int64_t(B.width); ++C) {
        const int64_t X = Left + C;
        if (X < 0 || X >= Out.Width) continue;
        uint8_t& D = Out.Alpha[size_t(Y * Out.Width + X)];
        D = std::max(D, Src[C]);
      }
    }
  }
  // Underline and strike-out as one-pixel-high bars (thicker for big type).
  const int32_t Thick = std::max(1, PixelSize / 14);
  auto Bar = [&](int32_t Row) {
    for (int32_t Y = std::max(Row, 0); Y < std::min(Row + Thick, Out.Height); ++Y)
      std::fill_n(Out.Alpha.begin() + int64_t(Y) * Out.Width, Out.Width - 1, uint8_t(255));
  };
  if (Style & fsUnderline) Bar(L.Ascent + std::max(1, PixelSize / 10));
  if (Style & fsStrikeOut) Bar(L.Ascent - PixelSize * 3 / 10);
  return true;
}

}  // namespace kromel
