// Applying a LUT to colours, images and LUTs.
#include "lut/lut_apply.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <random>
#include <vector>

#include "colour/colour_model_prefs.h"
#include "colour/hsv_hsl.h"
#include "colour/lut_color_space.h"
#include "foundation/numeric.h"
#include "lut/lut_lookup.h"
#include "lut/lut_tetrahedral.h"
#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "platform/main_thread.h"
#include "platform/prompt.h"

namespace kromel {

namespace {

// byte / 255 in double precision, stored as floats.
const float* ByteUnits() {
  static const std::vector<float> Table = [] {
    std::vector<float> T(256);
    for (uint32_t B = 0; B < 256; ++B) T[B] = static_cast<float>(B / 255.0);
    return T;
  }();
  return Table.data();
}

inline float ByteUnit(uint32_t B) { return ByteUnits()[B & 255]; }

// The prepared lookup over an interleaved copy of the nodes when the image
// has at least four pixels per node (the copy pays for itself), else over
// the planes in place.
struct TLookup {
  TLookup(const T3DLut& Lut, int64_t Pixels) {
    Prepared.Prepare(Lut, Pixels >= 4 * int64_t(Lut.NLRH) * Lut.NLGS * Lut.NLBL);
  }
  inline void operator()(float& R, float& G, float& B) const { Prepared.Lookup(R, G, B); }
  TPreparedLut Prepared;
};

// Algorithm of the byte colour forms: channels through TetrahedralInterpolation.
void ProcessBytes(const T3DLut& Lut, uint32_t& Red, uint32_t& Green, uint32_t& Blue) {
  const int32_t N = Lut.Size;
  auto Pos = [N](uint32_t C) {
    return static_cast<float>(static_cast<double>(int64_t(N - 1) * C) / 255.0);
  };
  const float PR = Pos(Red), PG = Pos(Green), PB = Pos(Blue);
  Red = RoundClamp(TetrahedralInterpolation(Lut, Lut.R, PB, PG, PR) * 255.0f, 255.0f);
  Green = RoundClamp(TetrahedralInterpolation(Lut, Lut.G, PB, PG, PR) * 255.0f, 255.0f);
  Blue = RoundClamp(TetrahedralInterpolation(Lut, Lut.B, PB, PG, PR) * 255.0f, 255.0f);
}

// One BGRA pixel as ProcessImage treats it.
inline void ProcessPixel32(const TPreparedLut& Look, const TVPixel32& S, TVPixel32& D, bool Dither) {
  const TBGRAPixel32 P = S.BGRA;
  if (P.A == 0) {
    D = S;
    return;
  }
  float V[3] = {ByteUnit(P.R), ByteUnit(P.G), ByteUnit(P.B)};
  if (Dither) {
    const uint8_t Bytes[3] = {P.R, P.G, P.B};
    for (int c = 0; c < 3; ++c)
      if (Bytes[c] != 255) V[c] += RandomFloat01() / 255.0f;
  }
  float L[3] = {V[0], V[1], V[2]};
  Look.Lookup(L[0], L[1], L[2]);
  const float A = P.A, InvA = static_cast<float>(255 - P.A);
  uint8_t O[3];
  for (int c = 0; c < 3; ++c) O[c] = static_cast<uint8_t>(RoundClamp(InvA * V[c] + A * L[c], 255.0f));
  D.BGRA = {O[2], O[1], O[0], P.A};
}

inline void ProcessPixel24(const TLookup& Look, const uint8_t* S, uint8_t* D, bool Dither) {
  float V[3] = {ByteUnit(S[2]), ByteUnit(S[1]), ByteUnit(S[0])};
  if (Dither)
    for (int c = 0; c < 3; ++c)
      if (S[2 - c] != 255) V[c] += RandomFloat01() / 255.0f;
  Look(V[0], V[1], V[2]);
  D[2] = static_cast<uint8_t>(RoundClamp(V[0] * 255.0f, 255.0f));
  D[1] = static_cast<uint8_t>(RoundClamp(V[1] * 255.0f, 255.0f));
  D[0] = static_cast<uint8_t>(RoundClamp(V[2] * 255.0f, 255.0f));
}

bool Checks64(const T3DLut& Lut, int64_t SrcSize, int64_t DstSize) {
  if (SrcSize != DstSize) {
    ErrorMessageProc("Error T3DLut.ProcessImage64 - different image sizes!");
    return false;
  }
  if (Lut.Size <= 0 || Lut.R == nullptr || Lut.G == nullptr || Lut.B == nullptr) {
    ErrorMessageProc("T3DLUT.ProcessImage64: LUT not initialized! Processing canceled!");
    return false;
  }
  return true;
}

// Pixels an image header really spans: Width * Height, at most Size.
template <class TImage>
int64_t Spanned(const TImage& I) {
  if (I.Width <= 0 || I.Height <= 0) return 0;
  return std::min<int64_t>(int64_t(I.Width) * I.Height, I.Size);
}

std::string ColorSpaceText(const T3DLut& Lut) { return LUTColorSpaceName(Lut.ColorSpace); }

bool LutHasCube(const T3DLut& Lut) {
  return Lut.R != nullptr && Lut.G != nullptr && Lut.B != nullptr && Lut.Size >= MinLutLevels &&
         int64_t(Lut.Count) >= int64_t(Lut.Size) * Lut.Size * Lut.Size;
}

// A one-row image header over Width pixels at Row.
template <class TImage>
TImage RowImage(void* Row, int32_t Width) {
  TImage Line;
  Line.Width = Width;
  Line.Height = 1;
  Line.Size = Width;
  Line.Pixels = static_cast<decltype(Line.Pixels)>(Row);
  return Line;
}

// Reports different sizes; with no processor Dest becomes a copy of
// Source. True when there is work left to do.
bool LutByLutStart(const T3DLut& Source, T3DLut& Dest, bool HasProcessor) {
  if (Source.Size != Dest.Size) {
    ErrorMessageProc("ProcessLutByLut Error: LUT Sizes are different!");
    return false;
  }
  if (!HasProcessor) {
    if (&Dest != &Source) Dest.CopyFrom(Source);
    return false;
  }
  return true;
}

template <class TLookup>
void LutByLut(const T3DLut& Source, T3DLut& Dest, float Amount, TLookup Lookup) {
  if (!LutHasCube(Source) || !LutHasCube(Dest)) return;
  const int64_t Count = int64_t(Source.Size) * Source.Size * Source.Size;
  const float Keep = 1 - Amount;
  for (int64_t k = 0; k < Count; ++k) {  // index order: r fastest, then g, then b
    float R = Source.R[k], G = Source.G[k], B = Source.B[k];
    const float SR = R, SG = G, SB = B;
    Lookup(R, G, B);
    Dest.R[k] = Keep * SR + R * Amount;
    Dest.G[k] = Keep * SG + G * Amount;
    Dest.B[k] = Keep * SB + B * Amount;
  }
}

std::atomic<bool> CautionTicked{false};

bool PromptCautionDialog(const std::string& Caption, const std::string& Text) {
  return PlatformAskOkCancel(Caption, Text + "\n\n" + CautionCheckBoxCaption);
}

std::atomic<TCautionDialogProc> CautionDialog{&PromptCautionDialog};

}  // namespace

// --- Colours ---

uint32_t ProcessColor(const T3DLut& Lut, uint32_t Color) {
  if (Lut.Size < 1) {
    ErrorMessageProc("T3DLUT.ProcessColor: LUT not initialized! Processing canceled!");
    return 0;
  }
  uint32_t R = Color & 0xFF, G = (Color >> 8) & 0xFF, B = (Color >> 16) & 0xFF;
  ProcessBytes(Lut, R, G, B);
  return R + 256 * G + 65536 * B;
}

uint32_t ProcessColorBGRA32(const T3DLut& Lut, uint32_t BGRA) {
  if (Lut.ColorSpace != lcsProfileRGB)
    ShowCautionOnce("Error", "T3DLut.ProcessColorBGRA32 caution: LUT Colorspace = " +
                                 ColorSpaceText(Lut) + " LUT Name: " + Lut.Name);
  return ProcessColorBGRA32Direct(Lut, BGRA);
}

uint32_t ProcessColorBGRA32Direct(const T3DLut& Lut, uint32_t BGRA) {
  if (Lut.Size < 1) {
    ErrorMessageProc("T3DLUT.ProcessColorBGRA32: LUT not initialized! Processing canceled!");
    return BGRA;
  }
  uint32_t B = BGRA & 0xFF, G = (BGRA >> 8) & 0xFF, R = (BGRA >> 16) & 0xFF;
  ProcessBytes(Lut, R, G, B);
  return B | (G << 8) | (R << 16) | (BGRA & 0xFF000000u);
}

void ProcessColorBGRA128(const T3DLut& Lut, TBGRAPixel128& Out, const TBGRAPixel128& In) {
  Out = In;
  ProcessColorTetrahedralSingle(Lut, Out.R, Out.G, Out.B);
}

void ProcessRGBToBGRA128(const T3DLut& Lut, TBGRAPixel128& Out, float R, float G, float B) {
  Out.B = B;
  Out.G = G;
  Out.R = R;
  Out.A = 0;
  ProcessColorTetrahedralSingle(Lut, Out.R, Out.G, Out.B);
}

uint32_t ProcessColorBGRA32InGammaProfile(const T3DLut& Lut, uint32_t BGRA) {
  try {
    TBGRAPixel128 P;
    P.R = ByteUnit((BGRA >> 16) & 0xFF);
    P.G = ByteUnit((BGRA >> 8) & 0xFF);
    P.B = ByteUnit(BGRA & 0xFF);
    P.A = 0;
    ProcessColorTetrahedralSingle(Lut, P.R, P.G, P.B);
    TBGRAPixel128 D;
    ConvertColorspaceToGamma(Lut.ColorModelPreferences, D, P, Lut.ColorSpace);
    auto Byte = [](float V) {
      V = std::clamp(V, 0.0f, 1.0f);  // NaN stays and gives 0 below
      return RoundClamp(V * 255.0f, 255.0f);
    };
    return Byte(D.B) | (Byte(D.G) << 8) | (Byte(D.R) << 16);
  } catch (...) {
    DebugShowMessage("Exception in T3DLut.ProcessColorBGRA32InGammaProfile");
    return 0;
  }
}

void ProcessColorBGRA128InGammaProfile(const T3DLut& Lut, TBGRAPixel128& Out,
                                       const TBGRAPixel128& In) {
  try {
    TBGRAPixel128 P = In;
    ProcessColorTetrahedralSingle(Lut, P.R, P.G, P.B);
    ConvertColorspaceToGamma(Lut.ColorModelPreferences, Out, P, Lut.ColorSpace);
    Out.R = std::min(Out.R, 1.0f);
    Out.G = std::min(Out.G, 1.0f);
    Out.B = std::min(Out.B, 1.0f);
  } catch (...) {
    DebugShowMessage("Exception in T3DLut.ProcessColorBGRA128InGammaProfile");
  }
}

// --- Images ---

void ProcessImage(const T3DLut& Lut, const TImageHeader32& Src, TImageHeader32& Dst, bool Dither) {
  if ((Lut.Size < 1 && Lut.NLRH < 1) || Dst.Pixels == nullptr) return;
  const TLookup Look(Lut, Spanned(Dst));
  ProcessImage(Look.Prepared, Src, Dst, Dither);
}

void ProcessImage(const TPreparedLut& Look, const TImageHeader32& Src, TImageHeader32& Dst, bool Dither) {
  if (Dst.Pixels == nullptr) return;
  const int64_t Count = Spanned(Dst);
  if (Src.Pixels == nullptr || Spanned(Src) < Count) {
    ErrorMessageProc("Error in T3DLut.ProcessImage - source smaller than destination");
    return;
  }
  if (Dither)
    for (int64_t i = 0; i < Count; ++i) ProcessPixel32(Look, Src.Pixels[i], Dst.Pixels[i], true);
  else
    Look.Apply32(Src.Pixels, Dst.Pixels, Count);
  Dst.CopyMarginsFrom(Src);
}

void ProcessImage24(const T3DLut& Lut, const TImage24& Src, TImage24& Dst, bool Dither) {
  if (Lut.Size <= 0 || Dst.Pixels == nullptr) return;
  const int64_t Count = Spanned(Dst);
  if (Src.Pixels == nullptr || Spanned(Src) < Count) {
    ErrorMessageProc("Error in T3DLut.ProcessImage24 - source smaller than destination");
    return;
  }
  const TLookup Look(Lut, Count);
  for (int64_t i = 0; i < Count; ++i)
    ProcessPixel24(Look, Src.Pixels + 3 * i, Dst.Pixels + 3 * i, Dither);
  Dst.CopyMarginsFrom(Src);
}

void ProcessImage64(const T3DLut& Lut, const TImageHeader64& Src, TImageHeader64& Dst, bool UseAlpha) {
  if (!Checks64(Lut, Src.Size, Dst.Size)) return;
  if (Src.Pixels == nullptr || Dst.Pixels == nullptr) return;
  const int64_t Count = std::min(Spanned(Src), Spanned(Dst));
  const TLookup Look(Lut, Count);
  Look.Prepared.Apply64(Src.Pixels, Dst.Pixels, Count, UseAlpha);
}

void ProcessImage64(const TPreparedLut& Look, const TImageHeader64& Src, TImageHeader64& Dst, bool UseAlpha) {
  if (Src.Size != Dst.Size) {
    ErrorMessageProc("Error T3DLut.ProcessImage64 - different image sizes!");
    return;
  }
  if (Src.Pixels == nullptr || Dst.Pixels == nullptr) return;
  Look.Apply64(Src.Pixels, Dst.Pixels, std::min(Spanned(Src), Spanned(Dst)), UseAlpha);
}

void ProcessImage64To32(const T3DLut& Lut, const TImageHeader64& Src, TImageHeader32& Dst, bool UseAlpha) {
  if (!Checks64(Lut, Src.Size, Dst.Size)) return;
  const TLookup Look(Lut, std::min(Spanned(Src), Spanned(Dst)));
  ProcessImage64To32(Look.Prepared, Src, Dst, UseAlpha);
}

void ProcessImage64To32(const TPreparedLut& Look, const TImageHeader64& Src, TImageHeader32& Dst,
                        bool UseAlpha) {
  if (Src.Size != Dst.Size) {
    ErrorMessageProc("Error T3DLut.ProcessImage64 - different image sizes!");
    return;
  }
  if (Src.Pixels == nullptr || Dst.Pixels == nullptr) return;
  Look.Apply64To32(Src.Pixels, Dst.Pixels, std::min(Spanned(Src), Spanned(Dst)), UseAlpha);
}

namespace {

// The 8-bit image of Src when it has pixels, else its 16-bit one; failures
// stay inside (the renderer's workers rely on it).
template <class TLook>
void ImageVBPPThrough(const TLook& Look, const TImageVBPPBand& Src, TImageHeader32& Dst, bool Dither,
                      bool UseAlpha) {
  try {
    if (Src.Image32.Pixels != nullptr)
      ProcessImage(Look, Src.Image32, Dst, Dither);
    else
      ProcessImage64To32(Look, Src.Image64, Dst, UseAlpha);
  } catch (...) {
  }
}

}  // namespace

void ProcessImageVBPP(const T3DLut& Lut, const TImageVBPPBand& Src, TImageHeader32& Dst, bool Dither,
                      bool UseAlpha) {
  ImageVBPPThrough(Lut, Src, Dst, Dither, UseAlpha);
}

void ProcessImageVBPP(const TPreparedLut& Look, const TImageVBPPBand& Src, TImageHeader32& Dst,
                      bool Dither, bool UseAlpha) {
  ImageVBPPThrough(Look, Src, Dst, Dither, UseAlpha);
}

void ProcessImage128(const T3DLut& Lut, const TImage128& Src, TImage128& Dst, float Amount) {
  if (Lut.ColorSpace != lcsProfileRGB)
    ShowCautionOnce("Error", "T3DLut.ProcessImage128 caution: LUT Colorspace = " +
                                 ColorSpaceText(Lut) + " Name: " + Lut.Name +
                                 " SrcWidth=" + std::to_string(Src.Width) +
                                 " SrcHeight=" + std::to_string(Src.Height));
  if (!Checks64(Lut, Src.Size, Dst.Size)) return;
  if (Src.Data == nullptr || Dst.Data == nullptr) return;
  const int64_t Count = std::min(Spanned(Src), Spanned(Dst));
  TPreparedLut Look;
  if (!Look.Prepare(Lut, false)) return;
  const float Keep = 1 - Amount;
  bool NaNSeen = false;
  for (int64_t i = 0; i < Count; ++i) {
    TBGRAPixel128 S = Src.Data[i];
    // A NaN component reads as 0, in the lookup and in the mix.
    for (float* C : {&S.R, &S.G, &S.B})
      if (std::isnan(*C)) {
        *C = 0;
        NaNSeen = true;
      }
    float R = S.R, G = S.G, B = S.B;
    Look.Lookup(R, G, B);
    TBGRAPixel128& D = Dst.Data[i];
    D.B = S.B * Keep + B * Amount;
    D.G = S.G * Keep + G * Amount;
    D.R = S.R * Keep + R * Amount;
    D.A = S.A;
  }
  // NaN pixels read as 0; one report per picture.
  if (NaNSeen) ErrorMessageProc("Exception in T3DLut.ProcessColorTetrahedralSingle");
}

void ProcessRawRow(const T3DLut& Lut, void* Row, int32_t Width, TLutRowFormat Format) {
  if (Row == nullptr || Width <= 0) return;
  switch (Format) {
    case TLutRowFormat::BGR24: {
      TImage24 Line = RowImage<TImage24>(Row, Width);
      ProcessImage24(Lut, Line, Line, false);
      break;
    }
    case TLutRowFormat::BGRA32: {
      TImageView32 Line(static_cast<TVPixel32*>(Row), Width, 1);
      ProcessImage(Lut, Line, Line, false);
      break;
    }
    case TLutRowFormat::RGBA64: {
      TImageView64 Line(static_cast<TPixel64*>(Row), Width, 1);
      ProcessImage64(Lut, Line, Line, false);
      break;
    }
  }
}

// --- LUT by LUT ---

void ProcessLutByLut(const T3DLut& Source, T3DLut& Dest, const T3DLut& Processor, float Amount) {
  if (!LutByLutStart(Source, Dest, Processor.R != nullptr && Processor.NLRH != 0)) return;
  LutByLut(Source, Dest, Amount, [&Processor](float& R, float& G, float& B) {
    ProcessColorTetrahedralSingle(Processor, R, G, B);
  });
}

void ProcessLutByLutCubic(const T3DLut& Source, T3DLut& Dest, const T3DLut& Processor,
                          float Amount) {
  if (!LutByLutStart(Source, Dest, Processor.Size != 0)) return;
  if (Processor.ColorSpace != lcsProfileRGB)
    ErrorMessageProc("Error in ProcessLutByLutCubic: Processor colorspace is not ProfileRGB");
  LutByLut(Source, Dest, Amount, [&Processor](float& R, float& G, float& B) {
    ProcessColorCubicSingle(Processor, R, G, B);
  });
}

void ProcessLutByHSLMask(const T3DLut& Source, T3DLut& Dest, const T3DLut& Mask) {
  if (!LutByLutStart(Source, Dest, Mask.R != nullptr && Mask.NLRH != 0)) return;
  if (!LutHasCube(Source) || !LutHasCube(Dest)) return;
  const int64_t Count = int64_t(Source.Size) * Source.Size * Source.Size;
  for (int64_t k = 0; k < Count; ++k) {
    float H, S, L;
    RGBtoHSL(H, S, L, Source.R[k], Source.G[k], Source.B[k]);
    ProcessColorTetrahedralSingle(Mask, H, S, L);
    Dest.R[k] = H;
    Dest.G[k] = H;
    Dest.B[k] = H;
  }
}

// --- The caution message ---

void SetCautionDialogProc(TCautionDialogProc Proc) {
  CautionDialog.store(Proc != nullptr ? Proc : &PromptCautionDialog);
}

void ShowCautionOnce(const std::string& Caption, const std::string& Text) {
  if (CautionTicked.load()) return;
  if (!IsMainThread()) {
    DebugShowMessage(Text);
    return;
  }
  const bool Ticked = CautionDialog.load()(Caption, Text);
  CautionTicked.store(Ticked);
}

bool CautionSuppressed() { return CautionTicked.load(); }
void ResetCautionFlag() { CautionTicked.store(false); }

}  // namespace kromel
