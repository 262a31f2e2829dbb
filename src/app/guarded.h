// Runs a window handler so that a failure inside it is reported and never
// leaves the window half-updated.
#pragma once
#include <exception>
#include <string>

#include "foundation/error_sink.h"

namespace kromel {

template <class TFn>
void Guarded(const char* Name, TFn Fn) {
  try {
    Fn();
  } catch (const std::exception& E) {
    ErrorMessageProc(std::string("Exception in ") + Name + ": " + E.what());
  } catch (...) {
    ErrorMessageProc(std::string("Exception in ") + Name);
  }
}

}  // namespace kromel
