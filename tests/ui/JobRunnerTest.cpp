// The job runner: results by value on the window's thread in the order started, cancelling,
// abandoning at close, coalesced progress, errors.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <vector>

#include "ui/JobRunner.h"

namespace nubrix {
namespace {

bool WaitIdle(TJobRunner& runner) {
  return QTest::qWaitFor([&] { return !runner.Running(); }, 10000);
}

TEST(JobRunnerTest, ResultsComeBackByValueOnTheRunnersThreadInTheOrderStarted) {
  TJobRunner runner;
  std::vector<int> results;
  std::vector<bool> onMainThread;
  for (int i = 0; i < 3; ++i) {
    runner.Start(
        [i](TJob&) {
          QThread::msleep(i == 0 ? 30 : 0);  // the first is the slowest: order still holds
          return std::make_unique<int>(i);   // a result that can only move
        },
        [&](std::unique_ptr<int> value) {
          results.push_back(*value);
          onMainThread.push_back(QThread::currentThread() ==
                                 QCoreApplication::instance()->thread());
        });
  }
  EXPECT_TRUE(runner.Running());
  ASSERT_TRUE(WaitIdle(runner));
  EXPECT_EQ(results, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(onMainThread, (std::vector<bool>{true, true, true}));
}

TEST(JobRunnerTest, CancelStopsTheRunningJobAndDropsTheWaitingOnes) {
  TJobRunner runner;
  std::atomic<bool> started{false};
  int delivered = -1;
  bool secondRan = false;
  runner.Start(
      [&](TJob& job) {
        started = true;
        int rounds = 0;
        while (!job.Cancelled()) {
          QThread::msleep(1);
          ++rounds;
        }
        return rounds;
      },
      [&](int rounds) { delivered = rounds; });
  runner.Start([](TJob&) { return 0; }, [&](int) { secondRan = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
  runner.Cancel();
  ASSERT_TRUE(WaitIdle(runner));
  EXPECT_GE(delivered, 0) << "a cancelled job still hands back what it has";
  EXPECT_FALSE(secondRan);
}

TEST(JobRunnerTest, CancelAndWaitEndsTheJobAndDropsItsResult) {
  bool delivered = false;
  {
    TJobRunner runner;
    std::atomic<bool> started{false};
    runner.Start(
        [&](TJob& job) {
          started = true;
          while (!job.Cancelled()) QThread::msleep(1);
          return 1;
        },
        [&](int) { delivered = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
    runner.CancelAndWait();
    EXPECT_FALSE(runner.Running());
    QTest::qWait(20);
  }
  EXPECT_FALSE(delivered);
}

// A job hung where no cancel reaches it (a dead mount): closing waits its limit, then leaves it.
TEST(JobRunnerTest, ClosingLeavesAHungJobAfterItsLimit) {
  std::atomic<bool> release{false};
  std::atomic<bool> ended{false};
  bool delivered = false;
  {
    TJobRunner hung;
    TJobRunner quick;
    hung.Start(
        [&](TJob& job) {
          while (!release) QThread::msleep(1);
          job.Report(1, 1);  // after the runner is gone: goes nowhere
          ended = true;
          return 1;
        },
        [&](int) { delivered = true; });
    quick.Start(
        [](TJob& job) {
          while (!job.Cancelled()) QThread::msleep(1);
          return 0;
        },
        [](int) {});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(TJobRunner::CancelAllWithin(std::chrono::milliseconds(300)));
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::seconds(2));
    EXPECT_TRUE(TJobRunner::WorkersLeft());
    EXPECT_FALSE(quick.Running());
  }
  release = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return ended.load(); }, 5000));
  QTest::qWait(20);
  EXPECT_FALSE(delivered);
}

TEST(JobRunnerTest, ProgressIsCoalescedAndEndsWithTheLastReport) {
  TJobRunner runner;
  QSignalSpy progress(&runner, &TJobRunner::Progress);
  runner.Start(
      [](TJob& job) {
        for (int i = 1; i <= 200000; ++i) job.Report(i, 200000, QStringLiteral("counting"));
        return 0;
      },
      [](int) {});
  ASSERT_TRUE(WaitIdle(runner));
  ASSERT_GE(progress.count(), 1);
  // How many get through depends on how the two threads are scheduled; one per report would be
  // 200,000.
  EXPECT_LT(progress.count(), 20000) << "one delivery waits at a time";
  const auto last = progress.last().at(0).value<TJobProgress>();
  EXPECT_EQ(last.Done, 200000);
  EXPECT_EQ(last.Text, QStringLiteral("counting"));
}

TEST(JobRunnerTest, AnErrorOfAJobIsDeliveredAndTheNextJobStillRuns) {
  TJobRunner runner;
  QSignalSpy failed(&runner, &TJobRunner::Failed);
  bool nextRan = false;
  runner.Start([](TJob&) -> int { throw std::runtime_error("The folder went away"); }, [](int) {});
  runner.Start([](TJob&) { return 2; }, [&](int) { nextRan = true; });
  ASSERT_TRUE(WaitIdle(runner));
  ASSERT_EQ(failed.count(), 1);
  EXPECT_EQ(failed.first().at(0).toString(), QStringLiteral("The folder went away"));
  EXPECT_TRUE(nextRan);
}

TEST(JobRunnerTest, AJobStartedFromADeliveryRunsNext) {
  TJobRunner runner;
  std::vector<int> order;
  runner.Start([](TJob&) { return 1; },
               [&](int value) {
                 order.push_back(value);
                 EXPECT_FALSE(runner.Running()) << "free while its result is handed over";
                 runner.Start([](TJob&) { return 2; }, [&](int next) { order.push_back(next); });
               });
  ASSERT_TRUE(WaitIdle(runner));
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace nubrix
