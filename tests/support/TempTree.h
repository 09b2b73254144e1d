// Test fixtures on disk: a fresh temporary folder filled from a short notation.
//   "a/"        a folder          "a/f=10"   a sparse file of 10 bytes
//   "a/l->/"    a symbolic link   "a/p|"     a named pipe
// Parents are created as needed; names may hold any byte but '/' and NUL, and "\\n" stands for
// a newline inside a name.
#pragma once

#include <string>
#include <string_view>

namespace nubrix::test {

class TTempTree {
 public:
  TTempTree();
  explicit TTempTree(std::string_view spec);
  ~TTempTree();
  TTempTree(const TTempTree&) = delete;
  TTempTree& operator=(const TTempTree&) = delete;

  // The folder, without a trailing separator.
  const std::string& Root() const { return Root_; }
  // The folder with a trailing separator, as a scan receives it.
  std::string ScanPath() const { return Root_ + "/"; }
  void Add(std::string_view spec);
  std::string operator/(std::string_view relative) const {
    return Root_ + "/" + std::string(relative);
  }

 private:
  std::string Root_;
};

// Removes a folder and everything below it without following links, at any depth.
void RemoveTree(const std::string& path);

// Whether this process may mount (bind mounts, tmpfs) for the mount tests.
bool CanMount();

}  // namespace nubrix::test
