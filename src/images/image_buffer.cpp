#include "images/image_buffer.h"

#include <climits>
#include <cstdlib>
#include <string>

#include "foundation/messages.h"
#include "foundation/numeric.h"

namespace kromel {

void* AllocImagePixels(int32_t Width, int32_t Height, size_t PixelBytes, const char* TypeName) {
  const int64_t Count = int64_t(Width) * Height;
  void* P = nullptr;
  if (Width > 0 && Height > 0 && Count <= INT32_MAX) P = std::malloc(size_t(Count) * PixelBytes);
  if (P == nullptr)
    DebugShowMessage(std::string("Exception in ") + TypeName + ".Alloc, size=" +
                     std::to_string(Count) + " width=" + std::to_string(Width) +
                     " height=" + std::to_string(Height) + "\nMemory usage: " +
                     std::to_string(GetMemoryUsed() / 1048576) + " Mb ");
  return P;
}

void FreeImagePixels(void* Pixels) { std::free(Pixels); }

}  // namespace kromel
