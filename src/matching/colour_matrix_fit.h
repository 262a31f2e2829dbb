// Fitting a colour matrix that maps sampled chart colours (Source) onto
// their reference colours (Target, weights in alpha), pixel i of each
// forming a pair: per-channel gains, a random search over gains and
// offsets, and a full matrix from pairs of pairs.
#pragma once
#include <cstdint>
#include <functional>

#include "colour/channel_mixer.h"
#include "images/image128.h"
#include "matching/colour_pairs.h"

namespace kromel {

// Uniform in [0, 1) from the program's generator.
float RandomSingle();

// -1 when no pair has a non-zero Target alpha.
float ColorMatrixFitCost(const TImage128& Source, const TImage128& Target,
                         const TChannelMixerParams& Params);
// The cost with both colours pulled towards their grey by Factor and no
// penalty for negative outputs.
float ColorMatrixFitCostSaturated(const TImage128& Source, const TImage128& Target,
                                  const TChannelMixerParams& Params, float Factor);

// The random search runs 2,000,000 steps and reports 0, 20, 40, 60 and 80.
bool OptimizeColorMatrix(const TImage128& Source, const TImage128& Target,
                         TChannelMixerParams& Params, bool RandomSearch,
                         const TProgressCallback& Progress = nullptr);
// Params unchanged (and a message) when too few pairs fit; Target's alpha
// is cleared for pure black references.
void EstimateColorMatrixFromPairs(const TImage128& Source, TImage128& Target,
                                  TChannelMixerParams& Params);

}  // namespace kromel
