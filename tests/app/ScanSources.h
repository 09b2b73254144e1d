// Disk sources for scans from the window: one that holds the scan at its start until the test
// lets it go, and one whose folders of given names cannot be opened.
#pragma once

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>

#include "sizetree/DirSource.h"

namespace nubrix::test {

class TGatedSource : public TDirSource {
 public:
  int OpenRoot(const std::string& path) override {
    std::unique_lock lock(Mutex_);
    Reached_ = true;
    Wake_.notify_all();
    Wake_.wait(lock, [this] { return Open_; });
    lock.unlock();
    return TDirSource::OpenRoot(path);
  }
  // Blocks until the scan stands at the gate.
  void WaitUntilReached() {
    std::unique_lock lock(Mutex_);
    Wake_.wait(lock, [this] { return Reached_; });
  }
  void Release() {
    std::lock_guard lock(Mutex_);
    Open_ = true;
    Wake_.notify_all();
  }

 private:
  std::mutex Mutex_;
  std::condition_variable Wake_;
  bool Reached_ = false;
  bool Open_ = false;
};

class TDenyingSource : public TDirSource {
 public:
  explicit TDenyingSource(std::set<std::string> denied) : Denied_(std::move(denied)) {}
  int OpenSubfolder(int dirFd, const char* name) override {
    return Denied_.count(name) != 0 ? -EACCES : TDirSource::OpenSubfolder(dirFd, name);
  }

 private:
  std::set<std::string> Denied_;
};

}  // namespace nubrix::test
