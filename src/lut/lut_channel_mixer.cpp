// The channel-mixer fit of a LUT into a channel-mixer record.
#include <algorithm>

#include "colour/channel_mixer.h"
#include "lut/lut.h"
#include "lut/lut_edit.h"

namespace kromel {

bool FitChannelMixerMatrix(const T3DLut& Lut, TChannelMixerParams& Params, TImageProfile Profile,
                           float Gamma) {
  double Matrix[9];
  std::copy(Params.Matrix, Params.Matrix + 9, Matrix);
  if (!FitChannelMixerMatrix(Lut, Matrix, Profile, Gamma)) return false;
  std::copy(Matrix, Matrix + 9, Params.Matrix);
  Params.OffsetR = 0;
  Params.OffsetG = 0;
  Params.OffsetB = 0;
  return true;
}

}  // namespace kromel
