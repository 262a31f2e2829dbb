#include "images/image32.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/endian_bytes.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/messages.h"
#include "foundation/numeric.h"
#include "images/image_chunk.h"
#include "platform/message_sink.h"

namespace kromel {

void TImage32::Clear() {
  if (Pixels != nullptr && Size > 0) std::memset(Pixels, 0, size_t(Size) * 4);
  CopyMarginsFrom(0, 0, 0, 0);
}

void TImage32::Fill(TColor Color) {
  if (Pixels == nullptr) return;
  const uint32_t V = RGBAToBGRA32(Color);
  for (int32_t I = 0; I < Size; ++I) Pixels[I].Value = V;
}

void TImage32::Copy(const TImage32& Source) {
  if (Pixels == nullptr || Source.Pixels == nullptr) return;
  if (Size != Source.Size) {
    DebugShowMessage("TImage32.Copy - Size mismatch");
    return;
  }
  if (Pixels != Source.Pixels) std::memmove(Pixels, Source.Pixels, size_t(Size) * 4);
}

uint32_t TImage32::GetPixel(int32_t X, int32_t Y) const {
  if (Pixels == nullptr || Width < 1 || Height < 1) return 0;
  X = std::clamp(X, 0, Width - 1);
  Y = std::clamp(Y, 0, Height - 1);
  return Row(Y)[X].Value;
}

bool TImage32::WriteToFile(std::FILE* F) {
  return WriteImageToChunk(F, *this, "TImage32.WriteToFile");
}

bool TImage32::ReadFromFile(std::FILE* F) {
  return ReadImageFromChunk(F, *this, "TImage32.ReadFromFile");
}

bool TImage32::SaveToBMPFile(const std::string& FileName) const {
  const std::string Where = "Exception in TImage32.SaveToBMPFile, FileName=" + FileName;
  const int64_t ImageBytes = int64_t(Width) * Height * 4;
  if (Pixels == nullptr || Width < 1 || Height < 1 || int64_t(Width) * Height != Size ||
      ImageBytes + 54 > INT32_MAX) {
    ErrorMessageProc(Where + " (no image to write)");
    return false;
  }
  uint8_t Header[54] = {};
  Header[0] = 'B';
  Header[1] = 'M';
  StoreLE32(Header + 2, uint32_t(ImageBytes + 54));
  StoreLE32(Header + 10, 54);
  StoreLE32(Header + 14, 40);
  StoreLE32(Header + 18, uint32_t(Width));
  StoreLE32(Header + 22, uint32_t(Height));
  StoreLE16(Header + 26, 1);
  StoreLE16(Header + 28, 32);
  StoreLE32(Header + 34, uint32_t(ImageBytes));
  StoreLE32(Header + 38, 2835);  // 72 dpi
  StoreLE32(Header + 42, 2835);

  TSafeFileWriter Writer(FileName);
  if (!Writer.Opened()) {
    ErrorMessageProc(Where + " (cannot create the file)");
    return false;
  }
  bool Ok = Writer.Write(Header, sizeof(Header));
  for (int32_t Y = Height - 1; Ok && Y >= 0; --Y) Ok = Writer.Write(Row(Y), size_t(Width) * 4);
  if (Ok) Ok = Writer.Commit();
  if (!Ok) ErrorMessageProc(Where + " (write failed)");
  return Ok;
}

void TImage32::CopyTo(TRawBitmap& Bitmap) const {
  if (Width < 1 || Height < 1 || Pixels == nullptr || int64_t(Width) * Height > Size) return;
  if (Bitmap.Width() != Width || Bitmap.Height() != Height) Bitmap.SetSize(Width, Height);
  Bitmap.BeginUpdate();
  const int32_t Bits = Bitmap.BitsPerPixel();
  if (Bits == 24 || Bits == 32) {
    for (int32_t Y = 0; Y < Height; ++Y) {
      uint8_t* Line = Bitmap.ScanLine(Y);
      if (Line == nullptr) continue;
      const TVPixel32* Src = Row(Y);
      for (int32_t X = 0; X < Width; ++X) {
        const TBGRAPixel32 P = Src[X].BGRA;
        if (Bits == 24) {
          Line[0] = P.B;
          Line[1] = P.G;
          Line[2] = P.R;
          Line += 3;
        } else {
          Line[0] = 255;
          Line[1] = P.R;
          Line[2] = P.G;
          Line[3] = P.B;
          Line += 4;
        }
      }
    }
  } else {
    DebugShowMessage("TImage32.CopyTo - wrong PixelFormat");
  }
  Bitmap.EndUpdate();
}

void TImage32::CopyFrom(TRawBitmap& Bitmap) {
  const int32_t W = Bitmap.Width();
  const int32_t H = Bitmap.Height();
  if (W < 1 || H < 1) return;
  if (W != Width || H != Height || Pixels == nullptr) {
    Dispose();
    if (!Alloc(W, H)) return;
  }
  Bitmap.BeginUpdate(true);
  if (Bitmap.PixelFormat() == pfDevice) Bitmap.SetPixelFormat(pf32bit);
  const int32_t Bits = Bitmap.BitsPerPixel();
  if (Bits == 8 || Bits == 24 || Bits == 32) {
    if (Bits == 32 && Bitmap.Data() == nullptr) {
      PlatformShowMessage("TImage32.CopyFrom Bits=nil");
    } else {
      for (int32_t Y = 0; Y < H; ++Y) {
        const uint8_t* Line = Bitmap.ScanLine(Y);
        if (Line == nullptr) continue;
        TVPixel32* Dst = Row(Y);
        for (int32_t X = 0; X < W; ++X) {
          TBGRAPixel32& P = Dst[X].BGRA;
          if (Bits == 8) {
            P = {Line[X], Line[X], Line[X], 255};
          } else if (Bits == 24) {
            const uint8_t* S = Line + 3 * int64_t(X);
            P = {S[0], S[1], S[2], 255};
          } else {
            const uint8_t* S = Line + 4 * int64_t(X);
            P = {S[3], S[2], S[1], S[0]};
          }
        }
      }
    }
  } else {
    DebugShowMessage("TImage32.CopyFrom - Unsupported bit depth");
  }
  Bitmap.EndUpdate();
}

void TImage32::Show(TCanvas* Canvas) {
  (void)Canvas;
  AppendAndShowMessages("Function TImage32.Show is temporary disabled");
}

uint32_t BGRAToColor(uint32_t P) {
  return ((P & 0xFF) << 16) | (P & 0xFF00) | ((P >> 16) & 0xFF);
}

uint32_t ColorToBGRA(TColor C) { return BGRAToColor(C); }

uint32_t RGBAToBGRA32(uint32_t V) {
  return ((V & 0xFF) << 16) | (V & 0xFF00FF00) | ((V >> 16) & 0xFF);
}

uint32_t BGRAToRGBA32(uint32_t V) { return RGBAToBGRA32(V); }

}  // namespace kromel
