#include "support/OtherUser.h"

#include <grp.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace nubrix::test {

bool CanActAsOtherUser() { return geteuid() == 0; }

bool AsOtherUser(const std::function<bool()>& work) {
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    const bool becameOther = setgroups(0, nullptr) == 0 &&
                             setresgid(kOtherUid, kOtherUid, kOtherUid) == 0 &&
                             setresuid(kOtherUid, kOtherUid, kOtherUid) == 0;
    _exit(becameOther && work() ? 0 : 1);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TLoopMount::TLoopMount(const std::string& folder) : Folder_(folder), Image_(folder + ".img") {
  if (geteuid() != 0) return;
  const std::string make = "truncate -s 16M '" + Image_ + "' && mkfs.ext4 -q -F '" + Image_ +
                           "' >/dev/null 2>&1 && mount -o loop '" + Image_ + "' '" + Folder_ +
                           "' >/dev/null 2>&1";
  Mounted_ = std::system(make.c_str()) == 0;
}

TLoopMount::~TLoopMount() {
  if (Mounted_) umount2(Folder_.c_str(), MNT_DETACH);
  unlink(Image_.c_str());
}

}  // namespace nubrix::test
