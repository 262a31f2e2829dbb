// Progress of long work on standard error: nothing for work that ends
// within the delay or when standard error is not a terminal (pipes and
// tests see no noise); otherwise the label and the elapsed seconds on one
// line, rewritten once a second, and "done" or "failed" at the end. As a
// TJobProgress it can also be handed to the session: each job it is told
// of shows the same way.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "session/job_progress.h"

namespace kromel {

class TTerminalProgress : public TJobProgress {
 public:
  // Shows on stderr when it is a terminal, after one second.
  explicit TTerminalProgress(std::string Label);
  // Shows on Out when Enabled, after Delay; a tick every Interval.
  TTerminalProgress(std::string Label, std::FILE* Out, bool Enabled,
                    std::chrono::milliseconds Delay, std::chrono::milliseconds Interval);
  // Without a label: shows only the jobs it is told of (Begin .. End).
  TTerminalProgress(std::FILE* Out, bool Enabled, std::chrono::milliseconds Delay,
                    std::chrono::milliseconds Interval);
  ~TTerminalProgress() override;
  TTerminalProgress(const TTerminalProgress&) = delete;
  TTerminalProgress& operator=(const TTerminalProgress&) = delete;

  // The work failed: the final word is "failed".
  void SetFailed() { FFailed = true; }

  // TJobProgress: a new line for Label (ending the one shown), and its end.
  void Begin(const std::string& Label) override;
  void End(bool Succeeded) override;

 private:
  void Run();
  void Start();
  void Finish();
  std::string FLabel;
  std::FILE* FOut;
  std::chrono::milliseconds FDelay;
  std::chrono::milliseconds FInterval;
  std::mutex FLock;
  std::condition_variable FWake;
  bool FDone = false;
  bool FShown = false;
  bool FFailed = false;
  std::chrono::steady_clock::time_point FStart;
  bool FClear;  // a terminal: the final word clears the rest of the line
  std::thread FThread;
  bool FEnabled = false;
};

// True when standard error is a terminal.
bool StderrIsTerminal();

}  // namespace kromel
