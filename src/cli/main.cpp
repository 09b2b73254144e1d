// nubrix-scan: the scan engine from the command line.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "cli/ScanReport.h"
#include "sizetree/ScanEngine.h"

namespace {

struct TOptions {
  bool List = false;
  int Top = -1;
  int Threads = 0;
  std::string Folder = "/";
};

constexpr const char* kUsage = "usage: nubrix-scan [--list] [--top N] [--threads N] [FOLDER]\n";

std::optional<int> ParseCount(const char* text) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 1'000'000) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

std::optional<TOptions> ParseOptions(int argc, char** argv) {
  TOptions options;
  bool haveFolder = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--list") {
      options.List = true;
    } else if ((arg == "--top" || arg == "--threads") && i + 1 < argc) {
      const std::optional<int> count = ParseCount(argv[++i]);
      if (!count) return std::nullopt;
      (arg == "--top" ? options.Top : options.Threads) = *count;
    } else if (arg == "--") {
      if (i + 1 < argc && !haveFolder) options.Folder = argv[++i], haveFolder = true;
    } else if (!arg.empty() && arg[0] != '-' && !haveFolder) {
      options.Folder = arg;
      haveFolder = true;
    } else {
      return std::nullopt;
    }
  }
  if (options.Folder.empty()) return std::nullopt;
  if (options.Folder.back() != '/') options.Folder.push_back('/');
  return options;
}

// The scan itself reports nothing about an unreadable root, so ask first.
bool CheckReadable(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    std::cerr << "nubrix-scan: cannot read folder " << folder << ": " << std::strerror(error)
              << '\n';
    return false;
  }
  close(fd);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<TOptions> options = ParseOptions(argc, argv);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
  if (!CheckReadable(options->Folder)) return 2;

  const auto started = std::chrono::steady_clock::now();
  nubrix::TSizeTree tree;
  nubrix::TScanContext context;
  context.Threads = options->Threads;
  nubrix::ScanIntoTree(tree, options->Folder, context);
  nubrix::TSizeFolder& root = *tree.ScanRoot();
  if (root.ReadError() != 0) {
    std::cerr << "nubrix-scan: cannot read folder " << options->Folder << ": "
              << std::strerror(root.ReadError()) << '\n';
    return 2;
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);

  std::ostringstream out;
  if (options->List) {
    nubrix::WriteListing(out, root);
  } else {
    nubrix::WriteSummary(out, root, context.State.FolderCount.load(), elapsed, options->Top);
  }
  std::cout << out.str();
  std::cout.flush();
  nubrix::WriteUnreadableNote(std::cerr, tree.UnreadableCount());
  return std::cout ? 0 : 1;
}
