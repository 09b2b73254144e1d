// Acting as a second user, and a file system of the test's own, for the tests about owners and
// mounts. Both need root; callers skip with a message when Available() says no.
#pragma once

#include <functional>
#include <string>

namespace nubrix::test {

constexpr unsigned kOtherUid = 65534;

// Whether this process may act as another user (it runs as root).
bool CanActAsOtherUser();
// Runs work in a child process as kOtherUid (groups dropped); whether it returned true.
bool AsOtherUser(const std::function<bool()>& work);

// A small ext4 file system in an image file, loop-mounted at a folder: a mount with a top of
// its own on another device, as a USB drive is.
class TLoopMount {
 public:
  explicit TLoopMount(const std::string& folder);
  ~TLoopMount();
  TLoopMount(const TLoopMount&) = delete;
  TLoopMount& operator=(const TLoopMount&) = delete;
  bool Mounted() const { return Mounted_; }

 private:
  std::string Folder_;
  std::string Image_;
  bool Mounted_ = false;
};

}  // namespace nubrix::test
