#include "platform/qt/qt_timer.h"

#include <QTimer>

namespace kromel {

struct TTimer::TImpl {
  QTimer Timer;
  int32_t Interval = 1000;
};

TTimer::TTimer() : FImpl(std::make_unique<TImpl>()) {
  FImpl->Timer.setInterval(FImpl->Interval);
  QObject::connect(&FImpl->Timer, &QTimer::timeout, [this] {
    if (OnTimer) OnTimer();
  });
}

TTimer::~TTimer() = default;

int32_t TTimer::Interval() const { return FImpl->Interval; }

void TTimer::SetInterval(int32_t Milliseconds) {
  FImpl->Interval = Milliseconds < 0 ? 0 : Milliseconds;
  FImpl->Timer.setInterval(FImpl->Interval);
}

bool TTimer::Enabled() const { return FImpl->Timer.isActive(); }

void TTimer::SetEnabled(bool Value) {
  if (Value)
    FImpl->Timer.start();
  else
    FImpl->Timer.stop();
}

}  // namespace kromel
