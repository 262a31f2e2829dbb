// The widget-set timer: fires OnTimer every Interval milliseconds on the
// main thread's event loop while Enabled. Qt stays inside the source file.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace kromel {

class TTimer {
public:
  TTimer();
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  std::function<void()> OnTimer;

  int32_t Interval() const;
  // A change restarts a running timer with the new interval.
  void SetInterval(int32_t Milliseconds);
  bool Enabled() const;
  void SetEnabled(bool Value);

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace kromel
