// The channel-mixer fit of a LUT into a channel-mixer record.
#include <algorithm>

#include "colour/channel_mixer.h"
#include "lut/lut.h"

namespace kromel {

bool T3DLut::FitChannelMixerMatrix(TChannelMixerParams& Params, TImageProfile Profile,
                                   float Gamma) const {
  double Matrix[9];
  std::copy(Params.Matrix, Params.Matrix + 9, Matrix);
  if (!FitChannelMixerMatrix(Matrix, Profile, Gamma)) return false;
  std::copy(Matrix, Matrix + 9, Params.Matrix);
  Params.OffsetR = 0;
  Params.OffsetG = 0;
  Params.OffsetB = 0;
  return true;
}

}  // namespace kromel
