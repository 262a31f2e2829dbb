// The seam through which the colour routines run a Little CMS transform.
// The colour library does not link Little CMS itself: the ICC layer installs
// its transform routine here (cmsDoTransform has exactly this shape).
#pragma once
#include <cstdint>

namespace kromel {

// A Little CMS transform handle (cmsHTRANSFORM); nullptr for none.
using TCMSTransform = void*;

using TCMSDoTransformProc = void (*)(TCMSTransform Transform, const void* Input, void* Output,
                                     uint32_t Count);

// nullptr until the ICC layer installs its routine. While it is nullptr
// every routine that takes a transform takes its built-in route.
extern TCMSDoTransformProc CMSDoTransformProc;

// True when Transform can be run: it is set and a routine is installed.
inline bool CMSTransformUsable(TCMSTransform Transform) {
  return Transform != nullptr && CMSDoTransformProc != nullptr;
}

}  // namespace kromel
