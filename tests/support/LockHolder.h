// Another process holding an fcntl write lock on a file, as a running browser or wineserver holds
// its lock: a lock of the test's own process would be invisible to F_GETLK.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace nubrix::test {

class TLockHolder {
 public:
  explicit TLockHolder(const std::string& file) {
    int ready[2];
    int quit[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(quit), 0);
    Child_ = ::fork();
    if (Child_ == 0) {
      const int fd = ::open(file.c_str(), O_RDWR | O_CREAT, 0600);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      lock.l_len = 1;
      const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0 ? 'y' : 'n';
      (void)!::write(ready[1], &ok, 1);
      char done = 0;
      (void)!::read(quit[0], &done, 1);
      ::_exit(0);
    }
    char ok = 0;
    EXPECT_EQ(::read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y') << "the lock of " << file;
    Quit_ = quit[1];
    ::close(ready[0]);
    ::close(ready[1]);
    ::close(quit[0]);
  }
  ~TLockHolder() {
    (void)!::write(Quit_, "q", 1);
    ::close(Quit_);
    ::waitpid(Child_, nullptr, 0);
  }
  TLockHolder(const TLockHolder&) = delete;
  TLockHolder& operator=(const TLockHolder&) = delete;

 private:
  pid_t Child_ = -1;
  int Quit_ = -1;
};

}  // namespace nubrix::test
