#include "ui/JobRunner.h"

#include <QMetaObject>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace nubrix {

namespace {

// The runners alive, all on the window's thread.
std::vector<TJobRunner*>& LiveRunners() {
  static std::vector<TJobRunner*> runners;
  return runners;
}

std::atomic<bool> gWorkersLeft{false};

QString MessageOf(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("An unexpected error occurred.");
  }
}

}  // namespace

void TJob::Report(std::int64_t done, std::int64_t total, const QString& text) {
  if (Post_) Post_({done, total, text});
}

TJobRunner::TJobRunner(QObject* parent) : QObject(parent) {
  qRegisterMetaType<TJobProgress>();
  LiveRunners().push_back(this);
}

TJobRunner::~TJobRunner() {
  CancelAndWait();
  std::erase(LiveRunners(), this);
}

bool TJobRunner::CancelAllWithin(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (TJobRunner* runner : LiveRunners()) runner->Cancel();
  bool all = true;
  for (TJobRunner* runner : LiveRunners()) {
    all = runner->WaitUntil(deadline) && all;
    ++runner->Generation_;
    runner->Current_.reset();
    runner->Busy_ = false;
  }
  return all;
}

bool TJobRunner::WorkersLeft() { return gWorkersLeft.load(); }

bool TJobRunner::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  if (!Worker_.joinable()) return true;
  {
    std::unique_lock lock(State_->Mutex);
    if (!State_->Ended.wait_until(lock, deadline, [this] { return State_->Done; })) {
      State_->Left = true;
      lock.unlock();
      Worker_.detach();
      gWorkersLeft.store(true);
      return false;
    }
  }
  Worker_.join();
  return true;
}

void TJobRunner::Enqueue(TRun run) {
  Queue_.push_back(std::move(run));
  Busy_ = true;
  if (!Current_) StartNext();
}

void TJobRunner::StartNext() {
  Join();
  if (Queue_.empty()) {
    Busy_ = false;
    emit Idle();
    return;
  }
  TRun run = std::move(Queue_.front());
  Queue_.pop_front();
  Current_ = std::make_shared<TJob>();
  State_ = std::make_shared<TWorkerState>();
  Current_->Post_ = [this, state = State_](const TJobProgress& progress) {
    const std::lock_guard lock(state->Mutex);
    if (!state->Left) PostProgress(progress);
  };
  const std::uint64_t generation = Generation_.load();
  Worker_ = std::thread(
      [this, run = std::move(run), job = Current_, state = State_, generation]() mutable {
        std::function<void()> deliver;
        std::exception_ptr error;
        try {
          deliver = run(*job);
        } catch (...) {
          error = std::current_exception();
        }
        const std::lock_guard lock(state->Mutex);
        state->Done = true;
        state->Ended.notify_all();
        if (state->Left) return;
        QMetaObject::invokeMethod(
            this,
            [this, generation, deliver = std::move(deliver), error] {
              Finish(generation, deliver, error);
            },
            Qt::QueuedConnection);
      });
}

void TJobRunner::Finish(std::uint64_t generation, const std::function<void()>& deliver,
                        std::exception_ptr error) {
  if (generation != Generation_) return;  // abandoned by CancelAndWait
  Join();
  Current_.reset();
  {
    std::lock_guard lock(ProgressMutex_);
    if (ProgressPending_) emit Progress(Latest_);
    ProgressPending_ = false;
  }
  // Idle while the result is handed over, so that what it triggers sees the runner free and may
  // start the next job itself.
  if (Queue_.empty()) Busy_ = false;
  if (!error && deliver) {
    try {
      deliver();
    } catch (...) {
      error = std::current_exception();
    }
  }
  if (error) emit Failed(MessageOf(error));
  if (!Current_) StartNext();
}

void TJobRunner::PostProgress(const TJobProgress& progress) {
  std::lock_guard lock(ProgressMutex_);
  Latest_ = progress;
  if (ProgressPending_) return;
  ProgressPending_ = true;
  const std::uint64_t generation = Generation_.load();
  QMetaObject::invokeMethod(
      this,
      [this, generation] {
        TJobProgress latest;
        {
          std::lock_guard held(ProgressMutex_);
          if (!ProgressPending_ || generation != Generation_) return;
          ProgressPending_ = false;
          latest = Latest_;
        }
        emit Progress(latest);
      },
      Qt::QueuedConnection);
}

void TJobRunner::Cancel() {
  Queue_.clear();
  if (Current_) Current_->Cancel_.store(true);
}

void TJobRunner::CancelAndWait() {
  Cancel();
  Join();
  ++Generation_;
  Current_.reset();
  Busy_ = false;
}

void TJobRunner::Join() {
  if (Worker_.joinable()) Worker_.join();
}

}  // namespace nubrix
