#include "ui/JobRunner.h"

#include <QMetaObject>
#include <stdexcept>

namespace nubrix {

namespace {

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

TJobRunner::TJobRunner(QObject* parent) : QObject(parent) { qRegisterMetaType<TJobProgress>(); }

TJobRunner::~TJobRunner() { CancelAndWait(); }

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
  Current_ = std::make_unique<TJob>();
  Current_->Post_ = [this](const TJobProgress& progress) { PostProgress(progress); };
  const std::uint64_t generation = Generation_.load();
  Worker_ = std::thread([this, run = std::move(run), job = Current_.get(), generation]() mutable {
    std::function<void()> deliver;
    std::exception_ptr error;
    try {
      deliver = run(*job);
    } catch (...) {
      error = std::current_exception();
    }
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
