#include "session/terminal_progress.h"

#include <unistd.h>

#include "platform/message_sink.h"

namespace kromel {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

TTerminalProgress::TTerminalProgress(std::string Label)
    : TTerminalProgress(std::move(Label), stderr, StderrIsTerminal(), std::chrono::seconds(1),
                        std::chrono::seconds(1)) {}

TTerminalProgress::TTerminalProgress(std::string Label, std::FILE* Out, bool Enabled,
                                     std::chrono::milliseconds Delay,
                                     std::chrono::milliseconds Interval)
    : FLabel(std::move(Label)),
      FOut(Out),
      FDelay(Delay),
      FInterval(Interval),
      FStart(std::chrono::steady_clock::now()),
      FClear(Out == stderr),
      FEnabled(Enabled && Out != nullptr) {
  Start();
}

TTerminalProgress::TTerminalProgress(std::FILE* Out, bool Enabled,
                                     std::chrono::milliseconds Delay,
                                     std::chrono::milliseconds Interval)
    : FOut(Out),
      FDelay(Delay),
      FInterval(Interval),
      FClear(Out == stderr),
      FEnabled(Enabled && Out != nullptr) {}

TTerminalProgress::~TTerminalProgress() { Finish(); }

void TTerminalProgress::Start() {
  if (FEnabled) FThread = std::thread([this] { Run(); });
}

void TTerminalProgress::Finish() {
  if (!FThread.joinable()) return;
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FDone = true;
  }
  FWake.notify_all();
  FThread.join();
  if (FShown) {
    std::lock_guard<std::mutex> Out(StderrLock());
    // "\033[K" clears what is left of a longer tick.
    std::fprintf(FOut, "\r%s ... %s%s\n", FLabel.c_str(), FFailed ? "failed" : "done",
                 FClear ? "\033[K" : "");
    std::fflush(FOut);
    if (FOut == stderr) SetStderrLineOpen(false);
  }
}

void TTerminalProgress::Begin(const std::string& Label) {
  Finish();
  FLabel = Label;
  FDone = FShown = FFailed = false;
  FStart = std::chrono::steady_clock::now();
  Start();
}

void TTerminalProgress::End(bool Succeeded) {
  if (!Succeeded) FFailed = true;
  Finish();
}

void TTerminalProgress::Run() {
  std::unique_lock<std::mutex> Guard(FLock);
  if (FWake.wait_for(Guard, FDelay, [this] { return FDone; })) return;
  FShown = true;
  do {
    const auto Seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now() - FStart)
                             .count();
    {
      std::lock_guard<std::mutex> Out(StderrLock());
      // A message printed meanwhile ended the line: start a fresh one.
      std::fprintf(FOut, "\r%s ... %lld s", FLabel.c_str(), static_cast<long long>(Seconds));
      std::fflush(FOut);
      if (FOut == stderr) SetStderrLineOpen(true);
    }
  } while (!FWake.wait_for(Guard, FInterval, [this] { return FDone; }));
}

}  // namespace kromel
