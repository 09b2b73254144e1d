// The largest files and types of a lower folder, collected from the scanned tree's folders with
// their entries read afresh, against find piped through sort and head on the same subtree.
// Rounds alternate the two; warm cache; medians.
//   nubrix-largest-bench TREE [ROUNDS] [N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "cleaners/LargestFiles.h"
#include "platform/Paths.h"
#include "sizetree/FileStats.h"
#include "sizetree/ScanEngine.h"

namespace {

using nubrix::bench::Median;
using nubrix::bench::Seconds;

// The root's child that holds the most: a lower folder a user would go into.
const nubrix::TSizeFolder* BiggestChild(const nubrix::TSizeFolder& root) {
  const nubrix::TSizeFolder* best = nullptr;
  for (int i = 0; i < root.ChildCount(); ++i) {
    const nubrix::TSizeFolder* child = root.Child(i);
    if (!best || child->TotalSize() > best->TotalSize()) best = child;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: nubrix-largest-bench TREE [ROUNDS] [N]\n");
    return 2;
  }
  const std::string tree = nubrix::platform::WithoutSeparator(argv[1]);
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::size_t count = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1000;
  nubrix::TSizeTree sizeTree;
  nubrix::TScanContext context;
  nubrix::ScanIntoTree(sizeTree, tree + "/", context);
  const nubrix::TSizeFolder* lower = BiggestChild(*sizeTree.ScanRoot());
  if (!lower) {
    std::fprintf(stderr, "%s has no subfolder\n", tree.c_str());
    return 1;
  }
  const std::string path = lower->Path();
  const std::string find = "find '" + path +
                           "' -xdev -type f -printf '%s\\t%p\\n' | sort -rn | head -" +
                           std::to_string(count) + " > /dev/null";
  std::vector<double> ours, byFind;
  nubrix::TFileStats stats;
  for (int round = 0; round < rounds; ++round) {
    ours.push_back(
        Seconds([&] { stats = nubrix::CollectFileStats(nubrix::FoldersBelow(*lower), count); }));
    byFind.push_back(Seconds([&] { (void)std::system(find.c_str()); }));
  }
  const double a = Median(ours), b = Median(byFind);
  std::printf("%s: %zu files, %zu types, medians of %d rounds\n", path.c_str(),
              static_cast<std::size_t>(stats.Files), stats.Types.size(), rounds);
  std::printf("| largest %zu files and the types of the folder | %.3f s | 1.00 |\n", count, a);
  std::printf("| find -xdev -type f -printf | sort -rn | head  | %.3f s | %.2f |\n", b, b / a);
  std::printf("ratio: ours / find %.3f (goal <= 0.5)\n", a / b);
  return 0;
}
