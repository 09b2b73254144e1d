#include "cleaners/DuplicateFiles.h"

#include <fcntl.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace nubrix::duplicates {

namespace {

constexpr std::size_t kChunkBytes = 512 << 10;
// Most pairs that differ do so early: the first reads are small.
constexpr std::size_t kFirstChunkBytes = 64 << 10;

std::vector<char>& ThreadBuffer(int which) {
  thread_local std::vector<char> buffers[2];
  std::vector<char>& buffer = buffers[which];
  if (buffer.size() < kChunkBytes) buffer.resize(kChunkBytes);
  return buffer;
}

TReadStatus Changed() { return {TReadOutcome::Changed, 0}; }
TReadStatus Unreadable(int error) { return {TReadOutcome::Unreadable, error}; }

int OpenForReading(const std::string& path) {
  // NONBLOCK: a pipe put in the file's place must not hold the search up; NOATIME spares the
  // disk a write per file, where the kernel allows it (the owner's files).
  constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK;
  const int fd = open(path.c_str(), kFlags | O_NOATIME);
  if (fd >= 0 || errno != EPERM) return fd;
  return open(path.c_str(), kFlags);
}

}  // namespace

TCheckedFile::~TCheckedFile() {
  if (Fd_ >= 0) close(Fd_);
}

TReadStatus TCheckedFile::Open(const std::string& path, const TCandidate& listed, bool sequential) {
  Fd_ = OpenForReading(path);
  if (Fd_ < 0) {
    // Gone, or a link now: not the file that was listed.
    if (errno == ENOENT || errno == ELOOP || errno == ENOTDIR) return Changed();
    return Unreadable(errno);
  }
  if (fstat(Fd_, &Opened_) != 0) return Unreadable(errno);
  const bool same = S_ISREG(Opened_.st_mode) && Opened_.st_dev == listed.Device &&
                    Opened_.st_ino == listed.Inode &&
                    static_cast<std::uint64_t>(Opened_.st_size) == listed.Size &&
                    platform::SameTimes(listed.Times, platform::TimesOf(Opened_, 0));
  if (!same) return Changed();
  if (sequential) posix_fadvise(Fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
  return {};
}

TReadStatus TCheckedFile::Read(std::uint64_t offset, char* buffer, std::size_t length,
                               std::atomic<std::uint64_t>& bytesRead) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t got = pread(Fd_, buffer + done, length - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Unreadable(errno);
    if (got == 0) return Changed();  // shorter than listed
    done += static_cast<std::size_t>(got);
  }
  bytesRead.fetch_add(length, std::memory_order_relaxed);
  return {};
}

TReadStatus TCheckedFile::Unchanged() const {
  struct stat now {};
  if (fstat(Fd_, &now) != 0) return Unreadable(errno);
  // A write puts the time of change forward even when the modification time is put back.
  const bool same =
      now.st_size == Opened_.st_size && platform::TimesOf(now, 0) == platform::TimesOf(Opened_, 0);
  return same ? TReadStatus{} : Changed();
}

TCompareResult CompareFiles(const std::string& firstPath, const TCandidate& first,
                            const std::string& secondPath, const TCandidate& second,
                            std::atomic<std::uint64_t>& bytesRead, const TReadDone& readDone) {
  const auto failed = [](TCompared which, TReadStatus status) {
    return TCompareResult{which, status};
  };
  TCheckedFile a;
  TCheckedFile b;
  if (TReadStatus s = a.Open(firstPath, first, true); !s.Ok())
    return failed(TCompared::FirstFailed, s);
  if (TReadStatus s = b.Open(secondPath, second, true); !s.Ok())
    return failed(TCompared::SecondFailed, s);
  char* left = ThreadBuffer(0).data();
  char* right = ThreadBuffer(1).data();
  std::size_t chunk = kFirstChunkBytes;
  for (std::uint64_t offset = 0; offset < first.Size; offset += chunk, chunk = kChunkBytes) {
    const auto length =
        static_cast<std::size_t>(std::min<std::uint64_t>(chunk, first.Size - offset));
    if (TReadStatus s = a.Read(offset, left, length, bytesRead); !s.Ok())
      return failed(TCompared::FirstFailed, s);
    if (TReadStatus s = b.Read(offset, right, length, bytesRead); !s.Ok())
      return failed(TCompared::SecondFailed, s);
    if (std::memcmp(left, right, length) != 0) return {TCompared::Different, {}};
  }
  if (readDone) {
    readDone(firstPath);
    readDone(secondPath);
  }
  if (TReadStatus s = a.Unchanged(); !s.Ok()) return failed(TCompared::FirstFailed, s);
  if (TReadStatus s = b.Unchanged(); !s.Ok()) return failed(TCompared::SecondFailed, s);
  return {};
}

TDigest DigestOfBytes(const char* data, std::size_t length) {
  const XXH128_hash_t hash = XXH3_128bits(data, length);
  return {hash.low64, hash.high64};
}

TReadStatus DigestOf(const std::string& path, const TCandidate& listed, std::uint64_t length,
                     TDigest& digest, std::atomic<std::uint64_t>& bytesRead, std::string* content,
                     const TReadDone& readDone) {
  const std::uint64_t wanted = length == 0 ? listed.Size : std::min(length, listed.Size);
  TCheckedFile file;
  if (TReadStatus s = file.Open(path, listed, wanted > kFirstChunkBytes); !s.Ok()) return s;
  if (content != nullptr) {
    content->resize(static_cast<std::size_t>(wanted));
    if (TReadStatus s = file.Read(0, content->data(), content->size(), bytesRead); !s.Ok())
      return s;
    digest = DigestOfBytes(content->data(), content->size());
    if (readDone) readDone(path);
    return file.Unchanged();
  }
  const std::unique_ptr<XXH3_state_t, decltype(&XXH3_freeState)> state(XXH3_createState(),
                                                                       &XXH3_freeState);
  if (!state) throw std::bad_alloc();
  XXH3_128bits_reset(state.get());
  char* buffer = ThreadBuffer(0).data();
  for (std::uint64_t offset = 0; offset < wanted; offset += kChunkBytes) {
    const auto chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, wanted - offset));
    if (TReadStatus s = file.Read(offset, buffer, chunk, bytesRead); !s.Ok()) return s;
    XXH3_128bits_update(state.get(), buffer, chunk);
  }
  const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
  digest = {hash.low64, hash.high64};
  if (readDone) readDone(path);
  return file.Unchanged();
}

}  // namespace nubrix::duplicates
