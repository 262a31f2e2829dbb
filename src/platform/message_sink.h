// Where user-facing message boxes go. The headless sink records each text
// and prints it to stderr; the Qt layer installs a modal-box sink.
#pragma once
#include <mutex>
#include <string>
#include <vector>

namespace kromel {

// Sinks are called on the main thread only (see PlatformShowMessage).
class TMessageSink {
public:
  virtual ~TMessageSink() = default;
  // Shows Text modally and returns when the user has closed it.
  virtual void ShowMessage(const std::string& Text) = 0;
};

class THeadlessMessageSink : public TMessageSink {
public:
  void ShowMessage(const std::string& Text) override;
  std::vector<std::string> Messages() const;
  void Clear();
  bool EchoToStderr = true;

private:
  mutable std::mutex FLock;
  std::vector<std::string> FMessages;
};

// The sink in use; never null (a process-wide headless sink by default).
TMessageSink& MessageSink();
// Installs Sink (not owned); nullptr restores the default headless sink.
void SetMessageSink(TMessageSink* Sink);
THeadlessMessageSink& DefaultHeadlessSink();

// Shows Text through the current sink, always on the main thread: a sink
// touches widgets and may be modal, so it is only ever called there. From
// another thread the text is posted to the main thread (PostToMainThread)
// and the caller goes on at once; it is shown when the main thread next
// drains its queue, through the sink installed at that time.
void PlatformShowMessage(const std::string& Text);

// Standard error shared by messages and a progress line that is rewritten
// in place: hold StderrLock while writing; a writer that leaves its line
// open (no line feed yet) says so, and the next message first ends that
// line (EndOpenStderrLine, under the lock).
std::mutex& StderrLock();
void SetStderrLineOpen(bool Open);
void EndOpenStderrLine();
// A message line on standard error, after ending an open progress line.
void WriteStderrLine(const std::string& Text);

}  // namespace kromel
