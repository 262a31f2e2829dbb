// Progress and cancel of a long job (loading, saving, compiling, matching,
// batch runs): one small interface that the terminal progress and the
// window's progress bar both implement. A job calls Begin once, Step as it
// goes and End once, all on the thread that runs it; Cancel may be called
// from any thread, and the job asks Cancelled between its steps and then
// stops, its result a failure.
#pragma once
#include <atomic>
#include <string>

namespace kromel {

class TJobProgress {
 public:
  virtual ~TJobProgress() = default;
  virtual void Begin(const std::string& /*Label*/) {}
  // Fraction done, 0 to 1.
  virtual void Step(double /*Fraction*/) {}
  virtual void End(bool /*Succeeded*/) {}

  void Cancel() { FCancelled = true; }
  bool Cancelled() const { return FCancelled.load(); }
  // Before the next job.
  void ResetCancel() { FCancelled = false; }

 private:
  std::atomic<bool> FCancelled{false};
};

// Begin for a scope; End with the outcome set by Succeed (failed unless
// set). Progress may be null.
class TJobScope {
 public:
  TJobScope(TJobProgress* Progress, const std::string& Label) : FProgress(Progress) {
    if (FProgress != nullptr) FProgress->Begin(Label);
  }
  ~TJobScope() {
    if (FProgress != nullptr) FProgress->End(FSucceeded);
  }
  TJobScope(const TJobScope&) = delete;
  TJobScope& operator=(const TJobScope&) = delete;
  void Step(double Fraction) {
    if (FProgress != nullptr) FProgress->Step(Fraction);
  }
  bool Cancelled() const { return FProgress != nullptr && FProgress->Cancelled(); }
  // Result, recorded as the outcome.
  bool Succeed(bool Result) {
    FSucceeded = Result;
    return Result;
  }

 private:
  TJobProgress* FProgress;
  bool FSucceeded = false;
};

}  // namespace kromel
