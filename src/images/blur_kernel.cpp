#include "images/blur_kernel.h"

#include <cmath>

#include "foundation/messages.h"

namespace kromel {

namespace {
// Half the longest kernel a sample buffer's typed bound allows.
constexpr float MaxHalfWidth = 4194303.0f;
}  // namespace

void Init1DGaussianBlurKernel(TSample32& Kernel, float Radius) {
  Kernel.Dispose();
  const float Half = std::nearbyint((Radius + 1.0f) * 3.5f * 0.5f);
  if (!(Radius > 0) || !(Half <= MaxHalfWidth)) {
    DebugShowMessage("Exception in Init1DGaussianBlurKernel");
    return;
  }
  const float TwoSigma2 = 2.0f * Radius * Radius;
  const int32_t R = int32_t(Half);
  if (!(TwoSigma2 > 0) || !Kernel.Alloc(2 * int64_t(R) + 1)) {
    DebugShowMessage("Exception in Init1DGaussianBlurKernel");
    return;
  }
  const float Floor = std::exp(-float(R + 1) * float(R + 1) / TwoSigma2);
  float Sum = 0;
  for (int32_t I = 0; I <= 2 * R; ++I) {
    const float D = float(I - R);
    Kernel.Data[I] = std::exp(-(D * D) / TwoSigma2) - Floor;
    Sum += Kernel.Data[I];
  }
  for (int32_t I = 0; I <= 2 * R; ++I) Kernel.Data[I] /= Sum;
}

}  // namespace kromel
