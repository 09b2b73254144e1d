#include "support/TempTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <stdexcept>
#include <vector>

namespace nubrix::test {

namespace {

void Fail(const std::string& what) { throw std::runtime_error(what); }

void MakeParents(const std::string& path) {
  for (std::size_t pos = 1; (pos = path.find('/', pos)) != std::string::npos; ++pos) {
    mkdir(path.substr(0, pos).c_str(), 0755);
  }
}

// "\\n" in a line stands for a newline inside a name.
std::string Unescape(std::string_view line) {
  std::string out;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'n') {
      out.push_back('\n');
      ++i;
    } else {
      out.push_back(line[i]);
    }
  }
  return out;
}

void AddOne(const std::string& root, std::string_view escaped) {
  if (escaped.empty()) return;
  const std::string unescaped = Unescape(escaped);
  const std::string_view line = unescaped;
  const std::size_t arrow = line.find("->");
  const std::size_t equals = line.rfind('=');
  if (arrow != std::string_view::npos) {
    const std::string link = root + "/" + std::string(line.substr(0, arrow));
    MakeParents(link);
    if (symlink(std::string(line.substr(arrow + 2)).c_str(), link.c_str()) != 0)
      Fail("symlink " + link);
  } else if (line.back() == '/') {
    const std::string dir = root + "/" + std::string(line);
    MakeParents(dir);
  } else if (line.back() == '|') {
    const std::string fifo = root + "/" + std::string(line.substr(0, line.size() - 1));
    MakeParents(fifo);
    if (mkfifo(fifo.c_str(), 0644) != 0) Fail("mkfifo " + fifo);
  } else if (equals != std::string_view::npos) {
    const std::string file = root + "/" + std::string(line.substr(0, equals));
    MakeParents(file);
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) Fail("create " + file);
    const off_t size = std::strtoll(std::string(line.substr(equals + 1)).c_str(), nullptr, 10);
    const bool ok = ftruncate(fd, size) == 0;
    close(fd);
    if (!ok) Fail("truncate " + file);
  } else {
    Fail("bad tree line: " + std::string(line));
  }
}

bool IsMountRoot(int dirFd, const char* name) {
  struct statx info {};
  return statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE, &info) == 0 &&
         (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
         (info.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

// Removes what lies below an open folder, never through a link or into a mount point (a mount
// a test forgot stays, with its mount point). One descriptor at a time and a stack of names, going
// back up through "..": the trees in tests are deeper than the call stack or the descriptor limit.
void RemoveBelow(int dirFd) {
  int current = dup(dirFd);
  std::vector<std::string> names;
  std::set<std::pair<dev_t, ino_t>> emptied;
  while (current >= 0) {
    // A duplicate shares the listing position: start it from the beginning every round.
    const int listing = dup(current);
    lseek(listing, 0, SEEK_SET);
    DIR* dir = fdopendir(listing);
    if (dir == nullptr) break;
    std::string descend;
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (unlinkat(current, name.c_str(), 0) == 0) continue;
      if (unlinkat(current, name.c_str(), AT_REMOVEDIR) == 0) continue;
      if (IsMountRoot(current, name.c_str())) continue;
      struct stat info {};
      if (fstatat(current, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(info.st_mode))
        continue;
      if (!emptied.insert({info.st_dev, info.st_ino}).second)
        continue;  // emptied once, still there
      descend = name;
      break;
    }
    closedir(dir);
    const int next = descend.empty()
                         ? (names.empty() ? -1 : openat(current, "..", O_RDONLY | O_DIRECTORY))
                         : openat(current, descend.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    close(current);
    current = next;
    if (!descend.empty()) {
      names.push_back(descend);
    } else if (!names.empty()) {
      names.pop_back();  // back in the parent, which removes it on the next round
    }
  }
  if (current >= 0) close(current);
}

}  // namespace

TTempTree::TTempTree() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base ? base : "/tmp") + "/nubrix-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) Fail("mkdtemp");
  Root_ = pattern;
}

TTempTree::TTempTree(std::string_view spec) : TTempTree() { Add(spec); }

TTempTree::~TTempTree() { RemoveTree(Root_); }

void TTempTree::Add(std::string_view spec) {
  std::size_t pos = 0;
  while (pos <= spec.size()) {
    std::size_t end = spec.find('\n', pos);
    if (end == std::string_view::npos) end = spec.size();
    AddOne(Root_, spec.substr(pos, end - pos));
    pos = end + 1;
  }
}

void RemoveTree(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd < 0) return;
  chmod(path.c_str(), 0755);
  RemoveBelow(fd);
  close(fd);
  rmdir(path.c_str());
}

bool CanMount() {
  TTempTree probe("a/\nb/");
  const bool ok =
      mount((probe / "a").c_str(), (probe / "b").c_str(), nullptr, MS_BIND, nullptr) == 0;
  if (ok) umount2((probe / "b").c_str(), MNT_DETACH);
  return ok;
}

}  // namespace nubrix::test
