// Owning handles for Little CMS profiles and transforms.
#pragma once
#include <memory>

#include <lcms2.h>

namespace kromel {

struct TProfileCloser {
  void operator()(void* P) const { cmsCloseProfile(P); }
};
struct TTransformDeleter {
  void operator()(void* T) const { cmsDeleteTransform(T); }
};
using TProfilePtr = std::unique_ptr<void, TProfileCloser>;
using TTransformPtr = std::unique_ptr<void, TTransformDeleter>;

}  // namespace kromel
