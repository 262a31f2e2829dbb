// Channel-mixer preset files (".cha") read onto the mixer's grid: only a
// file of exactly 44 bytes is taken, anything else leaves the grid as it
// was; a taken file gives a matrix that the record writes back unchanged.
#include <cstring>
#include <string>

#include "engine/channel_mixer_preset.h"
#include "engine/channel_mixer_unit.h"
#include "fuzz_support.h"

using namespace kromel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  fuzz::SilenceReports();
  fuzz::QuietMessages();
  const std::string File = fuzz::ScratchFolder() + "in.cha";
  fuzz::PutFile(File, Data, Size);
  TChannelMixerAdjustments Mixer(nullptr);
  T2DEnvelopeDots& Grid = Mixer.ChannelMixerGrid->Grid;
  const TDotPoint Before = Grid.Dots[0][0];
  const bool Camera = Size > 0 && (Data[0] & 1) != 0;
  const bool Loaded = LoadChannelMixerPreset(&Grid, File, Camera);
  FUZZ_CHECK(Loaded == (Size == size_t(ChaFileSize)));
  if (!Loaded) {
    FUZZ_CHECK(Grid.Dots[0][0].X == Before.X && Grid.Dots[0][0].Y == Before.Y);
  } else {
    TChaRecord Record;
    std::memcpy(Record.data(), Data, Record.size());
    TChannelMixerParams Matrix;
    ChaRecordToChannelMixer(Record, Matrix);
    TChannelMixerParams Back;
    ChaRecordToChannelMixer(ChannelMixerToChaRecord(Matrix), Back);
    for (int I = 0; I < 9; ++I) FUZZ_CHECK(Back.Matrix[I] == Matrix.Matrix[I]);
    FUZZ_CHECK(Back.OffsetR == Matrix.OffsetR && Back.OffsetG == Matrix.OffsetG &&
               Back.OffsetB == Matrix.OffsetB);
  }
  SetMessageSink(nullptr);
  return 0;
}
