// The one way the program runs work that may take long (a scan, listings, searches, moving many
// things to the trash): each job runs on a worker thread of its own, one after the other in the
// order started, with a cancel flag and coalesced progress; its result comes back by value on
// the runner's thread. No other threading style is used: no detached threads, no second pool.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

namespace nubrix {

struct TJobProgress {
  std::int64_t Done = 0;
  std::int64_t Total = 0;  // 0: not known
  QString Text;
};

// What a running job sees of its runner. Reports may come as fast as the job likes: at most one
// delivery waits in the event queue, carrying the newest values.
class TJob {
 public:
  bool Cancelled() const { return Cancel_.load(std::memory_order_relaxed); }
  const std::atomic<bool>& CancelFlag() const { return Cancel_; }
  void Report(std::int64_t done, std::int64_t total, const QString& text = {});

 private:
  friend class TJobRunner;
  std::atomic<bool> Cancel_{false};
  std::function<void(const TJobProgress&)> Post_;
};

class TJobRunner : public QObject {
  Q_OBJECT

 public:
  explicit TJobRunner(QObject* parent = nullptr);
  ~TJobRunner() override;  // cancels and waits

  // Queues work(TJob&) -> R to run after the jobs started before it; done(R) receives the result
  // on this object's thread, also when the job was cancelled (the job decides what a cancelled
  // result is). An error thrown by work or done is delivered to Failed instead.
  template <class Work, class Done>
  void Start(Work work, Done done);

  // A job runs, waits, or has a result not yet delivered.
  bool Running() const { return Busy_; }
  // Sets the running job's cancel flag and drops the jobs waiting behind it.
  void Cancel();
  // As Cancel, then waits for the running job to end; its result is dropped.
  void CancelAndWait();

  // For closing: cancels the jobs of every runner, then waits for them until limit has passed.
  // A worker still running then (hung in a system call on a dead mount, say) is left to the
  // process's end: its result and reports go nowhere. False when one was left.
  static bool CancelAllWithin(std::chrono::milliseconds limit);
  // Whether a worker was left running by CancelAllWithin: the process should then end without
  // destroying what such a worker may still use.
  static bool WorkersLeft();

 signals:
  void Progress(nubrix::TJobProgress progress);
  void Failed(QString message);
  void Idle();

 private:
  // Runs on the worker; returns what to do on this thread with the result.
  using TRun = std::function<std::function<void()>(TJob&)>;
  // Shared by the runner and its worker, which may outlive the runner after a close.
  struct TWorkerState {
    std::mutex Mutex;
    std::condition_variable Ended;
    bool Done = false;
    bool Left = false;  // the runner no longer waits: the worker reaches nothing of it
  };
  bool WaitUntil(std::chrono::steady_clock::time_point deadline);
  void Enqueue(TRun run);
  void StartNext();
  void Finish(std::uint64_t generation, const std::function<void()>& deliver,
              std::exception_ptr error);
  void PostProgress(const TJobProgress& progress);
  void Join();

  std::deque<TRun> Queue_;
  std::shared_ptr<TJob> Current_;
  std::shared_ptr<TWorkerState> State_;
  std::thread Worker_;
  // Bumped to drop the result of a job abandoned by CancelAndWait; read by the worker's reports.
  std::atomic<std::uint64_t> Generation_{0};
  bool Busy_ = false;
  std::mutex ProgressMutex_;
  TJobProgress Latest_;
  bool ProgressPending_ = false;
};

template <class Work, class Done>
void TJobRunner::Start(Work work, Done done) {
  Enqueue(
      [work = std::move(work), done = std::move(done)](TJob& job) mutable -> std::function<void()> {
        using TResult = std::decay_t<decltype(work(job))>;
        auto result = std::make_shared<TResult>(work(job));
        return [done, result] { done(std::move(*result)); };
      });
}

}  // namespace nubrix

Q_DECLARE_METATYPE(nubrix::TJobProgress)
