#include "platform/message_sink.h"

#include <atomic>
#include <cstdio>

#include "platform/main_thread.h"

namespace kromel {

void THeadlessMessageSink::ShowMessage(const std::string& Text) {
  {
    std::lock_guard<std::mutex> Guard(FLock);
    FMessages.push_back(Text);
  }
  if (EchoToStderr) WriteStderrLine("[message] " + Text);
}

std::vector<std::string> THeadlessMessageSink::Messages() const {
  std::lock_guard<std::mutex> Guard(FLock);
  return FMessages;
}

void THeadlessMessageSink::Clear() {
  std::lock_guard<std::mutex> Guard(FLock);
  FMessages.clear();
}

namespace {
std::atomic<TMessageSink*> GSink{nullptr};
bool GStderrLineOpen = false;  // under StderrLock
}  // namespace

std::mutex& StderrLock() {
  static std::mutex M;
  return M;
}

void SetStderrLineOpen(bool Open) { GStderrLineOpen = Open; }

void EndOpenStderrLine() {
  if (!GStderrLineOpen) return;
  std::fputc('\n', stderr);
  GStderrLineOpen = false;
}

void WriteStderrLine(const std::string& Text) {
  std::lock_guard<std::mutex> Guard(StderrLock());
  EndOpenStderrLine();
  std::fprintf(stderr, "%s\n", Text.c_str());
  std::fflush(stderr);
}

THeadlessMessageSink& DefaultHeadlessSink() {
  static THeadlessMessageSink Sink;
  return Sink;
}

TMessageSink& MessageSink() {
  TMessageSink* Sink = GSink.load();
  return Sink ? *Sink : DefaultHeadlessSink();
}

void SetMessageSink(TMessageSink* Sink) { GSink.store(Sink); }

void PlatformShowMessage(const std::string& Text) {
  if (IsMainThread()) {
    MessageSink().ShowMessage(Text);
    return;
  }
  PostToMainThread([Text] { MessageSink().ShowMessage(Text); });
}

}  // namespace kromel
