#include "engine/channel_mixer_preset.h"

#include <cmath>
#include <filesystem>
#include <vector>

#include "engine/lut_procedures.h"
#include "foundation/files.h"
#include "foundation/messages.h"
#include "params/dot_grid.h"
#include "params/volume_mixer_mapping.h"

namespace kromel {

namespace {

// Offset of output row Row's first field.
constexpr size_t RowOffset(int Row) { return 4 + 10 * size_t(Row); }

void PutBigEndian(TChaRecord& Record, size_t At, double Percent) {
  const double Rounded = std::nearbyint(Percent);
  const int32_t V = std::isnan(Rounded) ? 0
                    : Rounded < -32768  ? -32768
                    : Rounded > 32767   ? 32767
                                        : static_cast<int32_t>(Rounded);
  const uint16_t U = static_cast<uint16_t>(static_cast<int16_t>(V));
  Record[At] = static_cast<uint8_t>(U >> 8);
  Record[At + 1] = static_cast<uint8_t>(U & 0xFF);
}

double GetBigEndian(const TChaRecord& Record, size_t At) {
  const uint16_t U = static_cast<uint16_t>((Record[At] << 8) | Record[At + 1]);
  return static_cast<int16_t>(U) / 100.0;
}

}  // namespace

TChaRecord ChannelMixerToChaRecord(const TChannelMixerParams& Matrix) {
  TChaRecord Record{};
  Record[1] = 1;  // version 1, flag 0
  const float Constants[3] = {Matrix.OffsetR, Matrix.OffsetG, Matrix.OffsetB};
  for (int Row = 0; Row < 3; ++Row) {
    const size_t At = RowOffset(Row);
    for (int Col = 0; Col < 3; ++Col)
      PutBigEndian(Record, At + 2 * size_t(Col), Matrix.Matrix[3 * Row + Col] * 100);
    PutBigEndian(Record, At + 6, double(Constants[Row]) * 100);
  }
  return Record;
}

void ChaRecordToChannelMixer(const TChaRecord& Record, TChannelMixerParams& Matrix) {
  float* Constants[3] = {&Matrix.OffsetR, &Matrix.OffsetG, &Matrix.OffsetB};
  for (int Row = 0; Row < 3; ++Row) {
    const size_t At = RowOffset(Row);
    for (int Col = 0; Col < 3; ++Col)
      Matrix.Matrix[3 * Row + Col] = GetBigEndian(Record, At + 2 * size_t(Col));
    *Constants[Row] = static_cast<float>(GetBigEndian(Record, At + 6));
  }
}

bool LoadChannelMixerPreset(T2DEnvelopeDots* Grid, const std::string& FileName,
                            bool CameraCalibration) {
  std::error_code Error;
  if (!std::filesystem::is_regular_file(FileName, Error)) {
    AppendAndShowMessages("File not found: " + FileName);
    return false;
  }
  std::vector<uint8_t> Bytes;
  int64_t Size = -1;
  // One byte more than a preset holds, so that a longer file shows.
  const bool Read = LoadFileToBuffer(FileName, Bytes, Size, ChaFileSize + 1);
  if (Size >= 0 && Size != ChaFileSize) {
    AppendAndShowMessages("Incorrect file size: " + FileName);
    return false;
  }
  if (!Read || Bytes.size() < size_t(ChaFileSize) || Grid == nullptr) {
    AppendAndShowMessages("Failed to load preset: " + FileName);
    return false;
  }
  TChaRecord Record;
  std::copy_n(Bytes.begin(), ChaFileSize, Record.begin());
  TChannelMixerParams Matrix;
  ChaRecordToChannelMixer(Record, Matrix);
  ChannelMixerToGridBox(Matrix, Grid, MixerGridGeometry, CameraCalibration);
  return true;
}

bool SaveChannelMixerPreset(T2DEnvelopeDots* Grid, const std::string& FileName,
                            bool CameraCalibration) {
  TChannelMixerParams Matrix;
  ChannelMixerClear(Matrix);
  if (Grid != nullptr)
    GridBoxToChannelMixer(Grid, Matrix, true, MixerGridGeometry, CameraCalibration);
  const TChaRecord Record = ChannelMixerToChaRecord(Matrix);
  if (Grid == nullptr || !SaveBufferToFile(FileName, Record.data(), ChaFileSize)) {
    AppendAndShowMessages("Failed to save preset: " + FileName);
    return false;
  }
  return true;
}

}  // namespace kromel
