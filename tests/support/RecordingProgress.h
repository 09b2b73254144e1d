// A progress sink that keeps every call, for tests of what the scan reports.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "sizetree/ScanEngine.h"

namespace nubrix::test {

class TRecordingProgress : public IScanProgress {
 public:
  void FoldersSized(std::int32_t count) override { Keep(Sized, count); }
  void TotalAnnounced(std::int32_t total) override { Keep(Totals, total); }
  void FoldersFound(std::int32_t count) override {
    Keep(Found, count);
    if (OnFound) OnFound(count);
  }
  void GaugePosition(std::int32_t position) override { Keep(Gauge, position); }

  std::vector<std::int32_t> Sized, Totals, Found, Gauge;
  std::function<void(std::int32_t)> OnFound;

 private:
  void Keep(std::vector<std::int32_t>& list, std::int32_t value) {
    std::lock_guard lock(mutex_);
    list.push_back(value);
  }
  std::mutex mutex_;
};

}  // namespace nubrix::test
