#include "app/ScanController.h"

#include <QMetaObject>

namespace nubrix {

class TScanController::TSink : public IScanProgress {
 public:
  explicit TSink(TScanController* owner) : Owner_(owner) {}
  void FoldersSized(std::int32_t count) override { Store(Sized_, count); }
  void TotalAnnounced(std::int32_t total) override {
    Total_.store(total);
    Sizing_.store(true);
    Post();
  }
  void FoldersFound(std::int32_t count) override { StoreMax(Found_, count); }
  void GaugePosition(std::int32_t position) override { StoreMax(Gauge_, position); }

  TScanProgressView Take() {
    Pending_.store(false);
    return {Sizing_.load(), Found_.load(), Gauge_.load(), Total_.load(), Sized_.load()};
  }
  void Reset() {
    Pending_ = false;
    Sizing_ = false;
    Found_ = Gauge_ = Total_ = Sized_ = 0;
  }

 private:
  void Store(std::atomic<std::int32_t>& slot, std::int32_t value) {
    slot.store(value, std::memory_order_relaxed);
    Post();
  }
  // Two workers may report out of order; the window never goes backwards.
  void StoreMax(std::atomic<std::int32_t>& slot, std::int32_t value) {
    std::int32_t seen = slot.load(std::memory_order_relaxed);
    while (seen < value && !slot.compare_exchange_weak(seen, value)) {
    }
    Post();
  }
  void Post() {
    if (!Pending_.exchange(true)) {
      QMetaObject::invokeMethod(
          Owner_, [owner = Owner_] { owner->Deliver(); }, Qt::QueuedConnection);
    }
  }

  TScanController* Owner_;
  std::atomic<bool> Pending_{false};
  std::atomic<bool> Sizing_{false};
  std::atomic<std::int32_t> Found_{0}, Gauge_{0}, Total_{0}, Sized_{0};
};

TScanController::TScanController(QObject* parent)
    : QObject(parent),
      Context_(std::make_unique<TScanContext>()),
      Sink_(std::make_unique<TSink>(this)),
      Runner_(new TJobRunner(this)) {
  qRegisterMetaType<TScanProgressView>();
}

TScanController::~TScanController() { CancelAndWait(); }

void TScanController::Start(TSizeTree* tree, std::string path) {
  if (Running()) return;
  Sink_->Reset();
  Context_ = std::make_unique<TScanContext>();
  Context_->Progress = Sink_.get();
  Context_->Source = Source_;
  Files_ = std::make_unique<TFileCollector>(LargestCount_);
  Context_->Files = Files_.get();
  RootStats_.reset();
  Runner_->Start(
      [this, tree, path = std::move(path)](TJob& job) {
        Context_->Escape = &job.CancelFlag();
        try {
          const bool sized = ScanIntoTree(*tree, path, *Context_);
          if (sized) RootStats_ = Files_->Take();
          return sized;
        } catch (...) {
          // Out of memory in the middle of a scan: the tree is whatever was built; show nothing.
          return false;
        }
      },
      [this](bool sized) {
        Deliver();
        emit Finished(sized);
      });
}

void TScanController::CancelAndWait() { Runner_->CancelAndWait(); }

void TScanController::Deliver() { emit Progress(Sink_->Take()); }

}  // namespace nubrix
