// Runs one scan for the window as a job of the job runner (the engine's own threads below it)
// and brings its progress to the window's thread, coalesced: however fast the scan reports, at
// most one delivery waits in the event queue. The tree is handed over for the scan and must not
// be touched until Finished.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "sizetree/FileStats.h"
#include "sizetree/ScanEngine.h"
#include "ui/JobRunner.h"

namespace nubrix {

struct TScanProgressView {
  bool Sizing = false;            // the size pass has begun
  std::int32_t FoldersFound = 0;  // last multiple of 50 the walk reported
  std::int32_t GaugePercent = 0;  // the walk's percentage
  std::int32_t Total = 0;         // folders announced for the size pass
  std::int32_t FoldersSized = 0;
};

class TScanController : public QObject {
  Q_OBJECT

 public:
  explicit TScanController(QObject* parent = nullptr);
  ~TScanController() override;

  bool Running() const { return Runner_->Running(); }
  // Scans path into tree (a fresh, empty tree) on worker threads; emits Finished on this thread.
  void Start(TSizeTree* tree, std::string path);
  // As the Escape key: cancels the walk.
  void Cancel() { Runner_->Cancel(); }
  // Cancels and waits for the workers, for closing the window during a scan.
  void CancelAndWait();

  const TScanContext& Context() const { return *Context_; }
  // How many of the largest files the next scans keep for their root.
  void SetLargestCount(std::size_t count) { LargestCount_ = count; }
  // The largest files and the types of the last scan's root, once; nothing after a cancel.
  std::optional<TFileStats> TakeRootStats() { return std::exchange(RootStats_, std::nullopt); }
  // Where the next scans read the disk; null for the system. Tests use it to hold a scan at a
  // chosen point.
  void SetSource(TDirSource* source) { Source_ = source; }

 signals:
  void Progress(nubrix::TScanProgressView progress);
  void Finished(bool sized);

 private:
  class TSink;
  void Deliver();

  std::unique_ptr<TScanContext> Context_;
  std::unique_ptr<TSink> Sink_;
  TJobRunner* Runner_;
  TDirSource* Source_ = nullptr;
  std::size_t LargestCount_ = kDefaultLargestCount;
  std::unique_ptr<TFileCollector> Files_;
  std::optional<TFileStats> RootStats_;  // written by the job, read after Finished
};

}  // namespace nubrix

Q_DECLARE_METATYPE(nubrix::TScanProgressView)
