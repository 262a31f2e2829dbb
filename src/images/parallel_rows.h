// Runs a loop over image rows in bands on several threads and waits for
// them: for routines whose rows are independent, so the result is the same
// as one pass.
#pragma once
#include <cstdint>
#include <functional>

namespace kromel {

// Calls Body(First, Last) for consecutive bands covering 0..Rows-1 (Last
// exclusive); one band on the calling thread when Work (pixels to visit) is
// small.
void ForEachRowBand(int32_t Rows, int64_t Work, const std::function<void(int32_t, int32_t)>& Body);

}  // namespace kromel
