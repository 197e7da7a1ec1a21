// The model's run loop on Qt's event loop.

#include "QtTests.h"
#include "platform/RunLoop.h"
#include "qt/QtRunLoopDriver.h"

#include <QSignalSpy>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace instala::testing {

class QtRunLoopDriverTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { platform::RunLoop::main().runUntilIdle(); }

  void tasksPostedFromAnotherThreadRunOnTheQtThread() {
    desktop::QtRunLoopDriver driver(platform::RunLoop::main());
    QSignalSpy ran(&driver, &desktop::QtRunLoopDriver::ranWork);
    std::atomic<int> done{0};
    Qt::HANDLE ranOn = nullptr;
    std::thread worker([&] {
      platform::RunLoop::main().async([&] {
        ranOn = QThread::currentThreadId();
        ++done;
      });
    });
    worker.join();
    QTRY_COMPARE(done.load(), 1);
    QCOMPARE(ranOn, QThread::currentThreadId());
    QVERIFY(ran.count() >= 1);
  }

  void timersFireOnTheirDeadlineAndRepeat() {
    desktop::QtRunLoopDriver driver(platform::RunLoop::main());
    int ticks = 0;
    auto timer = platform::RunLoop::main().scheduleTimer(std::chrono::milliseconds(20), true,
                                                         [&](platform::Timer&) { ++ticks; });
    QTRY_VERIFY(driver.isWaitingForTimer());
    QTRY_VERIFY(ticks >= 3);
    timer->invalidate();
    driver.pump();
    QVERIFY(!driver.isWaitingForTimer());
  }

  void aDriverGoneLeavesQueuedWorkToTheNext() {
    int ran = 0;
    {
      desktop::QtRunLoopDriver first(platform::RunLoop::main());
    }
    platform::RunLoop::main().async([&] { ++ran; });
    QTest::qWait(20);
    QCOMPARE(ran, 0);
    desktop::QtRunLoopDriver second(platform::RunLoop::main());
    QTRY_COMPARE(ran, 1);
  }
};

INSTALA_QT_TEST(QtRunLoopDriverTest)

}  // namespace instala::testing

#include "QtRunLoopDriverTest.moc"
