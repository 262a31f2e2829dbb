#include "images/image64.h"

#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "foundation/debug_log.h"
#include "foundation/numeric.h"
#include "images/image_chunk.h"
#include "platform/message_sink.h"

namespace kromel {

// The chunk stores the words little-endian, as they lie in memory here.
static_assert(std::endian::native == std::endian::little);

void TImage64::Init() {
  Pixels = nullptr;
  Width = 0;
  Height = 0;
  Size = 0;
}

bool TImage64::Alloc(int32_t NewWidth, int32_t NewHeight) {
  if (Pixels != nullptr) {
    DebugShowMessage("TImage64.Alloc on not nil object, w=" + std::to_string(NewWidth) +
                     " h=" + std::to_string(NewHeight));
    std::free(Pixels);
    Pixels = nullptr;
  }
  Width = NewWidth;
  Height = NewHeight;
  Size = 0;
  if (NewWidth <= 0 || NewHeight <= 0) return false;
  const int64_t Count = int64_t(NewWidth) * NewHeight;
  if (Count > INT32_MAX) {
    DebugShowMessage("Exception in TImage64.Alloc, pixels=" + std::to_string(Count) +
                     " size=" + std::to_string(Count * 8 / 1024) + "kb width=" +
                     std::to_string(NewWidth) + " height=" + std::to_string(NewHeight) +
                     "\nMemory usage: " + std::to_string(GetMemoryUsed() / 1048576) + " Mb ");
    Width = 0;
    Height = 0;
    return false;
  }
  Pixels = static_cast<TPixel64*>(std::malloc(size_t(Count) * sizeof(TPixel64)));
  if (Pixels == nullptr) {
    DebugShowMessage("Error in TImage64.Alloc: not enough memory. Size=" + std::to_string(Count));
    Width = 0;
    Height = 0;
    return false;
  }
  Size = static_cast<int32_t>(Count);
  return true;
}

void TImage64::SetSize(int32_t NewWidth, int32_t NewHeight) {
  if (Pixels != nullptr && Width == NewWidth && Height == NewHeight) return;
  Dispose();
  Alloc(NewWidth, NewHeight);
}

void TImage64::Dispose() {
  if (Pixels == nullptr) return;
  std::free(Pixels);
  Init();
}

void TImage64::Clear() {
  if (Pixels != nullptr && Size > 0) std::memset(Pixels, 0, size_t(Size) * sizeof(TPixel64));
  CopyMarginsFrom(0, 0, 0, 0);
}

void TImage64::Fill(const TPixel64& Color) {
  if (Pixels == nullptr) return;
  for (int32_t I = 0; I < Size; ++I) Pixels[I] = Color;
}

void TImage64::Copy(const TImage64& Source) {
  if (Source.Pixels == Pixels) return;
  if (Size != Source.Size) Dispose();
  if (Pixels == nullptr && Source.Pixels != nullptr) Alloc(Source.Width, Source.Height);
  if (Pixels != nullptr && Source.Pixels != nullptr && Size == Source.Size)
    std::memcpy(Pixels, Source.Pixels, size_t(Size) * sizeof(TPixel64));
  CopyMarginsFrom(Source);
}

bool TImage64::WriteToFile(std::FILE* F) {
  return WriteImageToChunk(F, *this, "TImage64.WriteToFile");
}

bool TImage64::ReadFromFile(std::FILE* F) {
  return ReadImageFromChunk(F, *this, "TImage64.ReadFromFile");
}

void TImage64::CopyFromImage32(const TImage32& Source) {
  Dispose();
  if (Source.Pixels != nullptr && int64_t(Source.Width) * Source.Height == Source.Size &&
      Alloc(Source.Width, Source.Height)) {
    for (int32_t I = 0; I < Size; ++I) {
      const TBGRAPixel32 S = Source.Pixels[I].BGRA;
      Pixels[I] = {uint16_t(S.R * 257), uint16_t(S.G * 257), uint16_t(S.B * 257),
                   uint16_t(S.A * 257)};
    }
  }
  CopyMarginsFrom(Source);
}

void TImage64::CopyToImage32(TImage32& Target) const {
  if (Target.Size != Size) Target.SetSize(Width, Height);
  if (Pixels != nullptr && Target.Pixels != nullptr && Target.Size == Size) {
    for (int32_t I = 0; I < Size; ++I) {
      const TPixel64 P = Pixels[I];
      Target.Pixels[I].BGRA = {uint8_t(P.B >> 8), uint8_t(P.G >> 8), uint8_t(P.R >> 8),
                               uint8_t(P.A >> 8)};
    }
  }
  Target.CopyMarginsFrom(*this);
}

void TImage64::NormalizeTo32(TImage32& Target) const {
  if (Pixels == nullptr || Size <= 0) return;
  if (Target.Pixels == nullptr || Target.Size < Size) {
    ErrorMessageProc("Exception in TImage64.NormalizeTo32, Size=" + std::to_string(Size) +
                     " Target.Size=" + std::to_string(Target.Size));
    return;
  }
  int32_t Min = 65535, Max = 0;
  for (int32_t I = 0; I < Size; ++I) {
    const TPixel64 P = Pixels[I];
    for (const int32_t V : {P.R, P.G, P.B, P.A}) {
      Min = std::min(Min, V);
      Max = std::max(Max, V);
    }
  }
  const int32_t Range = Max - Min > 0 ? Max - Min : 1;
  auto Stretch = [&](int32_t V) { return uint8_t((V - Min) * 255 / Range); };
  for (int32_t I = 0; I < Size; ++I) {
    const TPixel64 P = Pixels[I];
    Target.Pixels[I].BGRA = {Stretch(P.B), Stretch(P.G), Stretch(P.R), Stretch(P.A)};
  }
}

// Alpha is not read from the bitmap: callers set it afterwards.
void TImage64::CopyFrom(TRawBitmap& Bitmap) {
  Dispose();
  Alloc(Bitmap.Width(), Bitmap.Height());
  Bitmap.BeginUpdate();
  if (Bitmap.PixelFormat() == pfDevice) Bitmap.SetPixelFormat(pf32bit);
  const TPixelFormat Format = Bitmap.PixelFormat();
  if (Format == pf24bit || Format == pf32bit) {
    for (int32_t Y = 0; Pixels != nullptr && Y < Height; ++Y) {
      const uint8_t* Line = Bitmap.ScanLine(Y);
      if (Line == nullptr) continue;
      TPixel64* Dst = Row(Y);
      for (int32_t X = 0; X < Width; ++X) {
        if (Format == pf24bit) {
          const uint8_t* S = Line + 3 * int64_t(X);
          Dst[X].B = uint16_t(S[0] << 8);
          Dst[X].G = uint16_t(S[1] << 8);
          Dst[X].R = uint16_t(S[2] << 8);
        } else {
          const uint8_t* S = Line + 4 * int64_t(X);
          Dst[X].R = uint16_t(S[1] << 8);
          Dst[X].G = uint16_t(S[2] << 8);
          Dst[X].B = uint16_t(S[3] << 8);
        }
      }
    }
  } else {
    PlatformShowMessage("TImage64.CopyFrom - unsupported PixelFormat: " +
                        std::to_string(int32_t(Format)));
  }
  Bitmap.EndUpdate();
}

void TImage64::CopyTo(TRawBitmap& Bitmap) const {
  if (Bitmap.Width() != Width || Bitmap.Height() != Height) Bitmap.SetSize(Width, Height);
  Bitmap.BeginUpdate();
  const int32_t Bits = Bitmap.BitsPerPixel();
  if (Bits == 24 || Bits == 32) {
    for (int32_t Y = 0; Pixels != nullptr && Y < Height; ++Y) {
      uint8_t* Line = Bitmap.ScanLine(Y);
      if (Line == nullptr) continue;
      const TPixel64* Src = Row(Y);
      for (int32_t X = 0; X < Width; ++X) {
        const TPixel64 P = Src[X];
        if (Bits == 24) {
          Line[0] = uint8_t(P.B >> 8);
          Line[1] = uint8_t(P.G >> 8);
          Line[2] = uint8_t(P.R >> 8);
          Line += 3;
        } else {
          Line[0] = uint8_t(P.A >> 8);
          Line[1] = uint8_t(P.R >> 8);
          Line[2] = uint8_t(P.G >> 8);
          Line[3] = uint8_t(P.B >> 8);
          Line += 4;
        }
      }
    }
  } else {
    PlatformShowMessage("TImage64.CopyTo error: Wrong pixel format");
  }
  Bitmap.EndUpdate();
}

std::string Pixel64ToText(const TPixel64& P) {
  return "R: " + std::to_string(P.R) + "; G: " + std::to_string(P.G) + "; B: " +
         std::to_string(P.B) + "; A: " + std::to_string(P.A);
}

}  // namespace kromel
