#include "platform/kromel_thread.h"

#include "platform/main_thread.h"

#include <cstdio>
#include <exception>

namespace kromel {

TKromelThread::TKromelThread(std::size_t StackSize) : FStackSize(StackSize) {}

TKromelThread::~TKromelThread() { TerminateAndWait(); }

void* TKromelThread::Entry(void* Self) {
  auto* T = static_cast<TKromelThread*>(Self);
  try {
    T->Execute();
  } catch (const std::exception& E) {
    std::fprintf(stderr, "Exception in thread: %s\n", E.what());
  } catch (...) {
    std::fprintf(stderr, "Exception in thread\n");
  }
  T->FFinished.store(true);
  WakeMainThreadWaiter();
  return nullptr;
}

bool TKromelThread::Resume() {
  if (FStarted) return true;
  pthread_attr_t Attr;
  if (pthread_attr_init(&Attr) != 0) return false;
  pthread_attr_setstacksize(&Attr, FStackSize);
  int Rc = pthread_create(&FHandle, &Attr, &TKromelThread::Entry, this);
  pthread_attr_destroy(&Attr);
  if (Rc != 0) return false;
  FStarted = true;
  return true;
}

void TKromelThread::WaitFor() {
  if (!FStarted || FJoined) return;
  // The thread may be waiting for a call onto this one.
  if (IsMainThread()) DrainMainThreadCallsUntil([this] { return FFinished.load(); });
  pthread_join(FHandle, nullptr);
  FJoined = true;
}

void TKromelThread::TerminateAndWait() {
  Terminate();
  WaitFor();
}

}  // namespace kromel
