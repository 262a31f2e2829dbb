#include "fileio/curves_acv.h"

#include <algorithm>
#include <array>

#include "fileio/curve_file_support.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"

namespace kromel {

namespace {

// The header's count is below 16: no file needs more than this.
constexpr int64_t ACVMaxFileBytes = 4 + 15 * (2 + 4 * ACVMaxReadPoints);

uint32_t ReadWordBE(const std::vector<uint8_t>& Bytes, size_t Pos) {
  return uint32_t(Bytes[Pos]) << 8 | Bytes[Pos + 1];
}

void AppendWordBE(std::vector<uint8_t>& Bytes, uint32_t V) {
  Bytes.push_back(uint8_t(V >> 8));
  Bytes.push_back(uint8_t(V));
}

}  // namespace

bool ReadACVCurve(const std::vector<uint8_t>& Bytes, size_t& Pos, std::vector<TCurveDotPoint>& Dots) {
  if (Pos + 2 > Bytes.size()) return false;
  const uint32_t N = ReadWordBE(Bytes, Pos);
  if (N < 2 || N > uint32_t(ACVMaxReadPoints) || Pos + 2 + 4 * size_t(N) > Bytes.size()) return false;
  Pos += 2;
  Dots.clear();
  for (uint32_t I = 0; I < N; ++I, Pos += 4) {
    // Both 0..255; larger words are taken as 255.
    const uint32_t Output = std::min(ReadWordBE(Bytes, Pos), 255u);
    const uint32_t Input = std::min(ReadWordBE(Bytes, Pos + 2), 255u);
    Dots.push_back({int32_t(Input * 16384 / 255), int32_t(Output * 32767 / 255), 0});
  }
  // Every point on one input is no curve.
  for (const TCurveDotPoint& D : Dots)
    if (D.X != Dots.front().X) return true;
  return false;
}

bool LoadACVCurves(const std::string& FileName, TEnvelopeDots* Master, TEnvelopeDots* Red,
                   TEnvelopeDots* Green, TEnvelopeDots* Blue) {
  std::vector<uint8_t> Bytes;
  int64_t Size = -1;
  LoadFileToBuffer(FileName, Bytes, Size, ACVMaxFileBytes);
  if (Size < 0) {
    ErrorMessageProc("LoadACVCurves failed - file " + FileName + " can't be loaded");
    return false;
  }
  Bytes.resize(size_t(std::min(Size, ACVMaxFileBytes)));
  if (Bytes.size() < 4) {
    ErrorMessageProc("LoadACVCurves failed - file " + FileName + " seems to be empty");
    return false;
  }
  if (Bytes[0] != 0 || Bytes[1] != 4 || Bytes[2] != 0 || Bytes[3] >= 16) {
    ErrorMessageProc("LoadACVCurves failed - file " + FileName + " can't be loaded");
    return false;
  }
  const uint32_t FileCurves = Bytes[3];
  const std::array<TEnvelopeDots*, 4> Curves = {Master, Red, Green, Blue};
  std::array<std::vector<TCurveDotPoint>, 4> Read;
  std::array<bool, 4> Have{};
  size_t Pos = 4;
  uint32_t Consumed = 0;
  for (size_t K = 0; K < Curves.size(); ++K) {
    if (Curves[K] == nullptr || Consumed >= FileCurves) continue;
    if (!ReadACVCurve(Bytes, Pos, Read[K])) {
      ErrorMessageProc("LoadACVCurves failed - curve from file " + FileName + " can't be loaded");
      return false;
    }
    Have[K] = true;
    ++Consumed;
  }
  for (size_t K = 0; K < Curves.size(); ++K)
    if (Have[K]) SetCurveDots(*Curves[K], Read[K]);
  return true;
}

bool WriteACVCurve(std::vector<uint8_t>& Bytes, const TEnvelopeDots& Curve) {
  const int32_t N = Curve.NumDots;
  if (N < 2 || N > ACVMaxReadPoints) {
    ErrorMessageProc("SaveACVCurves failed - wrong number of points");
    return false;
  }
  AppendWordBE(Bytes, uint32_t(N));
  for (int32_t I = 0; I < N; ++I) {
    const TCurveDotPoint& D = Curve.Dot(I);
    const int32_t Output = std::clamp(D.Y, 0, EnvelopeMaxY) / 128;
    // Nearest, halves down: every input the reader gives writes back as it was.
    const int32_t Input = int32_t((int64_t(std::clamp(D.X, 0, EnvelopeMaxX)) * 255 + 8191) / 16384);
    AppendWordBE(Bytes, uint32_t(Output));
    AppendWordBE(Bytes, uint32_t(Input));
  }
  return true;
}

bool SaveACVCurves(const std::string& FileName, const TEnvelopeDots* Master,
                   const TEnvelopeDots* Red, const TEnvelopeDots* Green, const TEnvelopeDots* Blue) {
  if (Master == nullptr) {
    ErrorMessageProc("SaveACVCurves failed - no master curve");
    return false;
  }
  const std::array<const TEnvelopeDots*, 4> Curves = {Master, Red, Green, Blue};
  static const char* const Names[4] = {
      "Can not save Curves to ACV: Master curve contains %d points, while ACV format allows not more than 19. Please remove some points and try again",
      "Can not save Curves to ACV: Red curve contains %d points, while ACV format allows not more than 19. Please remove some points and try again",
      "Can not save Curves to ACV: Green curve contains %d points, while ACV format allows not more than 19. Please remove some points and try again",
      "Can not save Curves to ACV: Blue curve contains %d points, while ACV format allows not more than 19. Please remove some points and try again"};
  uint32_t Given = 0;
  for (size_t K = 0; K < Curves.size(); ++K) {
    if (Curves[K] == nullptr) continue;
    ++Given;
    if (Curves[K]->NumDots > ACVMaxSavePoints) {
      ErrorMessageProc(FormatCurveMessage(TranslateCurveMessage(Names[K]), Curves[K]->NumDots, ""));
      return false;
    }
    if (Curves[K]->NumDots < 2) {
      ErrorMessageProc("SaveACVCurves failed - wrong number of points");
      return false;
    }
  }
  std::vector<uint8_t> Bytes;
  AppendWordBE(Bytes, 4);
  AppendWordBE(Bytes, Given);
  for (const TEnvelopeDots* C : Curves)
    if (C != nullptr) WriteACVCurve(Bytes, *C);
  if (!SaveBufferToFile(FileName, Bytes.data(), int64_t(Bytes.size()))) {
    ErrorMessageProc("Can not create " + FileName);
    return false;
  }
  return true;
}

}  // namespace kromel
