// The temp-file search on a scanned tree, warm, against the same search listing each folder
// once per mask, and against find with the same masks. Rounds alternate the three; medians.
//   nubrix-temp-bench TREE [ROUNDS]
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "cleaners/TempFiles.h"
#include "platform/Paths.h"
#include "sizetree/ScanEngine.h"

namespace {

using nubrix::bench::Median;
using nubrix::bench::Seconds;

const std::vector<std::string> kMasks = {"*.tmp",        "*.bak", "*~",     "~*",      "*.old",
                                         "f1?",          "f*99",  "*000",   "f12*",    "*.log",
                                         "core",         "*.swp", "*.part", "f???5",   "Thumbs.db",
                                         "*.crdownload", "f9*1",  "*.temp", ".~lock*", "f?7"};

// The search as a folder search per mask would do it: the folder listed once for every mask.
std::size_t SearchListingPerMask(const nubrix::TTreeFolders& folders) {
  std::size_t found = 0;
  for (const nubrix::TTreeFolder& tree : folders.Folders) {
    const std::string& folder = tree.Path;
    for (const std::string& mask : kMasks) {
      const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) continue;
      DIR* dir = fdopendir(fd);
      while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.' || entry->d_type == DT_DIR) continue;
        if (!nubrix::MatchesMask(entry->d_name, mask)) continue;
        struct stat info {};
        if (fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) ++found;
      }
      closedir(dir);
    }
  }
  return found;
}

std::string FindCommand(const std::string& tree) {
  std::string command = "find '" + tree + "' -type f \\(";
  for (std::size_t i = 0; i < kMasks.size(); ++i)
    command += (i ? " -o" : "") + std::string(" -iname '") + kMasks[i] + "'";
  return command + " \\) > /dev/null";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: nubrix-temp-bench TREE [ROUNDS]\n");
    return 2;
  }
  const std::string tree = nubrix::platform::WithoutSeparator(argv[1]);
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  nubrix::TSizeTree sizeTree;
  nubrix::TScanContext context;
  nubrix::ScanIntoTree(sizeTree, tree + "/", context);
  const nubrix::TTreeFolders folders = nubrix::TempSearchFolders(*sizeTree.ScanRoot());
  const std::string find = FindCommand(tree);
  std::vector<double> ours, perMask, byFind;
  std::size_t rows = 0, perMaskRows = 0;
  for (int round = 0; round < rounds; ++round) {
    ours.push_back(Seconds([&] { rows = nubrix::SearchTempFiles(folders, kMasks).Rows.size(); }));
    perMask.push_back(Seconds([&] { perMaskRows = SearchListingPerMask(folders); }));
    byFind.push_back(Seconds([&] { (void)std::system(find.c_str()); }));
  }
  const double a = Median(ours), b = Median(perMask), c = Median(byFind);
  std::printf("folders %zu, masks %zu, rows %zu (per-mask search %zu), medians of %d rounds\n",
              folders.size(), kMasks.size(), rows, perMaskRows, rounds);
  std::printf("| temp-file search (each folder listed once) | %.3f s | 1.00 |\n", a);
  std::printf("| the same, each folder listed once per mask | %.3f s | %.2f |\n", b, b / a);
  std::printf("| find -type f ( -iname M1 -o ... )          | %.3f s | %.2f |\n", c, c / a);
  std::printf("ratios: search / per-mask %.3f (goal <= 0.1), search / find %.3f (goal <= 0.5)\n",
              a / b, a / c);
  return 0;
}
