#include "platform/qt/qt_platform.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/main_thread.h"
#include "platform/qt/qt_bitmap.h"
#include "platform/qt/qt_timer.h"
#include "platform/ui_state.h"
#include "support/qt_test_support.h"

namespace kromel {
namespace {

class QtPlatform : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    InstallQtPlatform();
  }
  void TearDown() override { UninstallQtPlatform(); }

  // Runs the Qt event loop until Done holds (at most 20 s).
  static void RunLoopUntil(const std::function<bool()>& Done) {
    QEventLoop Loop;
    QTimer Check;
    QObject::connect(&Check, &QTimer::timeout, [&] {
      if (Done()) Loop.quit();
    });
    Check.start(2);
    QTimer::singleShot(20000, &Loop, &QEventLoop::quit);
    if (!Done()) Loop.exec();
  }
};

TEST_F(QtPlatform, WorkerCallsRunOnTheMainThreadFromTheEventLoopAndTheWorkersWait) {
  constexpr int Workers = 4, CallsEach = 25;
  std::mutex Lock;
  std::vector<std::vector<int>> Seen(Workers);
  std::atomic<int> Finished{0};
  std::atomic<bool> AllOnMain{true}, SawOwnWrite{true};
  std::vector<std::thread> Threads;
  for (int W = 0; W < Workers; ++W)
    Threads.emplace_back([&, W] {
      for (int K = 0; K < CallsEach; ++K) {
        int Written = -1;
        RunOnMainThreadBlocking([&] {
          if (!IsMainThread()) AllOnMain = false;
          std::this_thread::sleep_for(std::chrono::microseconds(200));
          Written = K;
          std::lock_guard<std::mutex> G(Lock);
          Seen[size_t(W)].push_back(K);
        });
        // The call has finished before the worker goes on.
        if (Written != K) SawOwnWrite = false;
      }
      ++Finished;
    });
  // Nobody drains by hand: the wakeup's queued invocations do.
  RunLoopUntil([&] { return Finished.load() == Workers; });
  for (auto& T : Threads) T.join();
  EXPECT_EQ(Finished.load(), Workers);
  EXPECT_TRUE(AllOnMain);
  EXPECT_TRUE(SawOwnWrite);
  for (int W = 0; W < Workers; ++W) {
    ASSERT_EQ(Seen[size_t(W)].size(), size_t(CallsEach));
    for (int K = 0; K < CallsEach; ++K) EXPECT_EQ(Seen[size_t(W)][size_t(K)], K);
  }
}

TEST_F(QtPlatform, AMainThreadCallRunsAtOnceWithoutTheLoop) {
  bool Ran = false;
  RunOnMainThreadBlocking([&] {
    // Nested calls from the main thread do not wait either.
    RunOnMainThreadBlocking([&] { Ran = true; });
  });
  EXPECT_TRUE(Ran);
}

TEST_F(QtPlatform, AnExceptionOfAQueuedCallReachesTheWorker) {
  std::atomic<bool> Done{false}, Caught{false};
  std::thread T([&] {
    try {
      RunOnMainThreadBlocking([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error&) {
      Caught = true;
    }
    Done = true;
  });
  RunLoopUntil([&] { return Done.load(); });
  T.join();
  EXPECT_TRUE(Caught);
}

TEST_F(QtPlatform, OffscreenKeepsTheRecordingSinkAndPrompt) {
  EXPECT_FALSE(DefaultQtPlatformOptions().ModalDialogs);
  EXPECT_EQ(&MessageSink(), static_cast<TMessageSink*>(&DefaultHeadlessSink()));
  EXPECT_EQ(&Prompt(), static_cast<TPrompt*>(&DefaultHeadlessPrompt()));
  // With modal dialogs asked for, the Qt sink and prompt take over and go again.
  UninstallQtPlatform();
  InstallQtPlatform(TQtPlatformOptions{true});
  EXPECT_NE(dynamic_cast<TQtMessageSink*>(&MessageSink()), nullptr);
  EXPECT_NE(dynamic_cast<TQtPrompt*>(&Prompt()), nullptr);
  UninstallQtPlatform();
  EXPECT_EQ(&MessageSink(), static_cast<TMessageSink*>(&DefaultHeadlessSink()));
  InstallQtPlatform();
}

TEST_F(QtPlatform, KeysAreUpWithoutModifiersAndUnknownKeysAlwaysUp) {
  for (int32_t Key : {16, 17, 18, 91, 92, 32, 65}) EXPECT_EQ(GetKeyState(Key), 0) << Key;
  UninstallQtPlatform();
  EXPECT_EQ(GetKeyState(16), 0);
}

TEST_F(QtPlatform, TimerFiresOnTheLoopUntilDisabled) {
  TTimer Timer;
  EXPECT_FALSE(Timer.Enabled());
  Timer.SetInterval(5);
  int Ticks = 0;
  Timer.OnTimer = [&] {
    EXPECT_TRUE(IsMainThread());
    if (++Ticks == 3) Timer.SetEnabled(false);
  };
  Timer.SetEnabled(true);
  EXPECT_TRUE(Timer.Enabled());
  RunLoopUntil([&] { return !Timer.Enabled(); });
  EXPECT_EQ(Ticks, 3);
  EXPECT_EQ(Timer.Interval(), 5);
}

TEST_F(QtPlatform, RawBitmapRowsBecomeQImagePixelsAndBack) {
  TRawBitmap B32(2, 1, pf32bit);
  const uint8_t Row[8] = {0x80, 0x10, 0x20, 0x30, 0xFF, 0xFF, 0x00, 0x01};  // A, R, G, B
  std::copy_n(Row, 8, B32.ScanLine(0));
  const QImage I = QImageFromRawBitmap(B32);
  ASSERT_EQ(I.format(), QImage::Format_ARGB32);
  EXPECT_EQ(I.pixel(0, 0), qRgba(0x10, 0x20, 0x30, 0x80));
  EXPECT_EQ(I.pixel(1, 0), qRgba(0xFF, 0x00, 0x01, 0xFF));
  TRawBitmap Back;
  RawBitmapFromQImage(I, Back);
  ASSERT_EQ(Back.Width(), 2);
  EXPECT_TRUE(std::equal(Row, Row + 8, Back.ScanLine(0)));

  TRawBitmap B24(1, 1, pf24bit);
  B24.ScanLine(0)[0] = 3, B24.ScanLine(0)[1] = 2, B24.ScanLine(0)[2] = 1;  // B, G, R
  EXPECT_EQ(QImageFromRawBitmap(B24).pixel(0, 0), qRgb(1, 2, 3));
  EXPECT_TRUE(QImageFromRawBitmap(TRawBitmap(1, 1, pf8bit)).isNull());
  EXPECT_TRUE(QImageFromRawBitmap(TRawBitmap()).isNull());
}

}  // namespace
}  // namespace kromel

namespace kromel {
namespace {

TEST_F(QtPlatform, ModifierKeysAnswerTheWidgetSetKeyQueries) {
  QWindow Window;
  Window.resize(50, 50);
  Window.show();
  struct TCase {
    Qt::Key Key;
    Qt::KeyboardModifier Modifier;
    std::vector<int32_t> Down;
  };
  // Command is Ctrl here and Option is Alt (which also sets bit 7).
  for (const TCase& C : {TCase{Qt::Key_Shift, Qt::ShiftModifier, {16}},
                         TCase{Qt::Key_Control, Qt::ControlModifier, {17, 91, 92}},
                         TCase{Qt::Key_Alt, Qt::AltModifier, {18}}}) {
    QTest::keyPress(&Window, C.Key, C.Modifier);
    for (int32_t Key : {16, 17, 18, 91, 92}) {
      const bool Down = std::find(C.Down.begin(), C.Down.end(), Key) != C.Down.end();
      EXPECT_EQ((GetKeyState(Key) & 0x8000) != 0, Down) << Key;
    }
    if (C.Key == Qt::Key_Alt) EXPECT_EQ(GetKeyState(18) & 0x80, 0x80);
    QTest::keyRelease(&Window, C.Key, Qt::NoModifier);
    EXPECT_EQ(GetKeyState(16) | GetKeyState(17) | GetKeyState(18), 0);
  }
}

}  // namespace
}  // namespace kromel
