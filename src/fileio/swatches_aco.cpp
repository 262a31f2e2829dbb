#include "fileio/swatches_aco.h"

#include <utility>

#include <algorithm>
#include <vector>

#include "foundation/error_sink.h"
#include "foundation/files.h"

namespace kromel {

namespace {

constexpr int64_t ACOMaxFileBytes = 4 + 10 * int64_t(ACOMaxColors);

uint32_t WordAt(const std::vector<uint8_t>& B, size_t Pos) { return uint32_t(B[Pos]) << 8 | B[Pos + 1]; }

void AppendWord(std::vector<uint8_t>& B, uint32_t V) {
  B.push_back(uint8_t(V >> 8));
  B.push_back(uint8_t(V));
}

}  // namespace

bool LoadSwatchesFromACO(const std::string& FileName, TImage32& Image) {
  std::vector<uint8_t> Bytes;
  int64_t Size = -1;
  if (!LoadFileToBuffer(FileName, Bytes, Size, ACOMaxFileBytes)) {
    ErrorMessageProc(Size == 0 ? "Corrupt palette file: " + FileName
                               : "Failed to load colors from " + FileName);
    return false;
  }
  const size_t Have = size_t(std::min(Size, ACOMaxFileBytes));
  if (Have < 4) {
    ErrorMessageProc("Corrupt palette file: " + FileName);
    return false;
  }
  const uint32_t Version = WordAt(Bytes, 0), N = WordAt(Bytes, 2);
  std::string Refusal;
  if (Version >= 2) Refusal = "Corrupt palette file header: ";
  else if (N == 0) Refusal = "No colors in the palette file ";
  else if (N > uint32_t(ACOMaxColors)) Refusal = "Too many colors in the palette file ";
  else if (Have < 4 + 10 * size_t(N)) Refusal = "Palette file corrupt: unexpected end of file in ";
  if (!Refusal.empty()) {
    ErrorMessageProc(Refusal + FileName);
    return false;
  }
  TImage32 Read;
  if (!Read.Alloc(int32_t(N), 1)) return false;
  for (uint32_t I = 0; I < N; ++I) {
    const size_t P = 4 + 10 * size_t(I);
    const uint32_t Space = WordAt(Bytes, P), W = WordAt(Bytes, P + 2), X = WordAt(Bytes, P + 4),
                   Y = WordAt(Bytes, P + 6), Z = WordAt(Bytes, P + 8);
    TBGRAPixel32& Px = Read.Pixels[I].BGRA;
    Px = {0, 0, 0, 0};
    const std::string Number = std::to_string(I + 1);
    if (Space == 0) {
      Px = {uint8_t(Y >> 8), uint8_t(X >> 8), uint8_t(W >> 8), uint8_t(Z >> 8)};
    } else if (Space == 8) {
      const uint8_t Grey = uint8_t(W * 255 / 10000);
      Px = {Grey, Grey, Grey, uint8_t(Z * 255 / 10000)};
    } else if (Space == 1 || Space == 7 || Space == 9) {
      ErrorMessageProc("Color " + Number + " has non-RGB format! Ignoring.");
    } else if (Space == 2) {
      ErrorMessageProc("Color " + Number + " has CMYK format! Ignoring.");
    } else {
      ErrorMessageProc("Color " + Number + " has unknown format! Ignoring.");
    }
  }
  Image = std::move(Read);
  return true;
}

bool SaveSwatchesToACO(const std::string& FileName, const TImage32& Image) {
  const int64_t N = Image.Pixels != nullptr ? int64_t(Image.Size) : 0;
  if (N <= 0) {
    ErrorMessageProc("No colors to save!");
    return false;
  }
  // No more than the reader takes back.
  if (N > ACOMaxColors) {
    ErrorMessageProc("Too many colors to save: " + std::to_string(N));
    return false;
  }
  std::vector<uint8_t> Bytes;
  Bytes.reserve(size_t(4 + 10 * N));
  AppendWord(Bytes, 1);
  AppendWord(Bytes, uint32_t(N));
  for (int64_t I = 0; I < N; ++I) {
    const TBGRAPixel32& Px = Image.Pixels[I].BGRA;
    AppendWord(Bytes, 0);
    for (uint8_t C : {Px.R, Px.G, Px.B, Px.A}) AppendWord(Bytes, uint32_t(C) * 257);
  }
  if (SaveBufferToFile(FileName, Bytes.data(), int64_t(Bytes.size()))) return true;
  ErrorMessageProc("Failed to save file " + FileName);
  return false;
}

}  // namespace kromel
