// nubrix-scan: the scan engine from the command line.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "charts/TreemapSvg.h"
#include "cli/ScanReport.h"
#include "platform/Paths.h"
#include "programdb/ScanRecord.h"
#include "scanfile/ScanExport.h"
#include "scanfile/ScanImport.h"
#include "settings/Settings.h"
#include "sizetree/ScanEngine.h"

namespace {

struct TOptions {
  bool List = false;
  bool Record = false;
  bool Compare = false;
  std::string Database;  // empty: the program's database in the settings folder
  int Top = -1;
  int Threads = 0;
  int Largest = 0;  // --largest N: how many files; 0 for none
  bool Types = false;
  std::string Treemap;  // --treemap FILE: the SVG to write
  int Width = 1280;
  int Height = 1024;
  bool HaveSize = false;
  std::string Folder = "/";
  std::string Export;  // --export FILE: the scan file to write ("-": standard output)
  std::string Import;  // --import FILE: the scan file to read instead of the disk
};

constexpr const char* kUsage =
    "usage: nubrix-scan [--list] [--top N] [--threads N] [--record | --compare] [--database FILE]"
    " [FOLDER]\n"
    "       nubrix-scan [--threads N] (--largest N | --types) FOLDER\n"
    "       nubrix-scan [--threads N] --treemap FILE.svg [--size WxH] FOLDER\n"
    "       nubrix-scan --export FILE|- FOLDER\n"
    "       nubrix-scan --import FILE|- [--list | --top N | --largest N | --types]\n";

// Exit status of --compare when no earlier scan of the folder is kept.
constexpr int kNoEarlierScan = 3;

std::optional<int> ParseCount(const char* text) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0 || value > 1'000'000) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

// WxH, each side 1 to 20,000 pixels.
bool ParseSize(const std::string& text, TOptions& options) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) return false;
  const std::optional<int> width = ParseCount(text.substr(0, x).c_str());
  const std::optional<int> height = ParseCount(text.substr(x + 1).c_str());
  if (!width || !height || *width < 1 || *height < 1 || *width > 20'000 || *height > 20'000)
    return false;
  options.Width = *width;
  options.Height = *height;
  options.HaveSize = true;
  return true;
}

std::optional<TOptions> ParseOptions(int argc, char** argv) {
  TOptions options;
  bool haveFolder = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--list") {
      options.List = true;
    } else if (arg == "--types") {
      options.Types = true;
    } else if (arg == "--largest" && i + 1 < argc) {
      const std::optional<int> count = ParseCount(argv[++i]);
      if (!count || *count == 0) return std::nullopt;
      options.Largest = *count;
    } else if ((arg == "--export" || arg == "--import") && i + 1 < argc && argv[i + 1][0] != '\0') {
      (arg == "--export" ? options.Export : options.Import) = argv[++i];
    } else if (arg == "--treemap" && i + 1 < argc && argv[i + 1][0] != '\0') {
      options.Treemap = argv[++i];
    } else if (arg == "--size" && i + 1 < argc) {
      if (!ParseSize(argv[++i], options)) return std::nullopt;
    } else if (arg == "--record" || arg == "--compare") {
      (arg == "--record" ? options.Record : options.Compare) = true;
    } else if (arg == "--database" && i + 1 < argc && argv[i + 1][0] != '\0') {
      options.Database = argv[++i];
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
  if (options.Folder.empty() || (options.Record && options.Compare)) return std::nullopt;
  // A scan file is written of a folder alone, and read instead of one.
  if (!options.Export.empty() && (!haveFolder || !options.Import.empty() || options.List ||
                                  options.Top >= 0 || options.Record || options.Compare ||
                                  options.Largest > 0 || options.Types || !options.Treemap.empty()))
    return std::nullopt;
  if (!options.Import.empty()) {
    if (haveFolder || options.Record || options.Compare || !options.Treemap.empty() ||
        (options.Largest > 0) + options.Types + options.List + (options.Top >= 0) > 1)
      return std::nullopt;
    return options;
  }
  const bool files = options.Largest > 0 || options.Types;
  const bool treemap = !options.Treemap.empty();
  const bool others = options.List || options.Record || options.Compare || options.Top >= 0;
  // One output at a time, and the file lists and the picture name the folder they are of.
  if (files && (others || treemap || !haveFolder || (options.Largest > 0 && options.Types))) {
    return std::nullopt;
  }
  if ((treemap && (others || !haveFolder)) || (options.HaveSize && !treemap)) return std::nullopt;
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

void WriteGrowth(std::ostream& out, const std::vector<nubrix::TFolderGrowth>& growth) {
  for (const nubrix::TFolderGrowth& folder : growth) {
    out << folder.Change << '\t' << folder.Now << '\t';
    out.write(folder.Path.data(), static_cast<std::streamsize>(folder.Path.size()));
    out << '\n';
  }
}

// Keeps the scan and, for --compare, prints what changed; the exit status.
int RecordScan(const TOptions& options, const nubrix::TSizeFolder& root) {
  const std::string file = options.Database.empty()
                               ? nubrix::ProgramDatabaseFile(nubrix::AppDir() + "AppData")
                               : options.Database;
  const nubrix::TScanSnapshot snapshot = nubrix::SnapshotOf(root, std::time(nullptr));
  const nubrix::TRecordOutcome outcome = nubrix::CompareAndRecord(file, snapshot, true);
  if (!outcome.SetAside.empty()) {
    std::cerr << "nubrix-scan: the scan record was damaged; it was set aside as "
              << outcome.SetAside << " and a new one started\n";
  }
  if (!outcome.Error.empty()) {
    std::cerr << "nubrix-scan: the scan could not be kept in " << file << ": " << outcome.Error
              << '\n';
    return 1;
  }
  if (!options.Compare) return 0;
  if (!outcome.Comparison) {
    std::cerr << "nubrix-scan: no earlier scan of " << options.Folder
              << " is kept to compare with; this one is kept now\n";
    return kNoEarlierScan;
  }
  std::ostringstream out;
  WriteGrowth(out, nubrix::GrowthOf(snapshot, *outcome.Comparison));
  std::cout << out.str();
  std::cout.flush();
  return std::cout ? 0 : 1;
}

// Draws the folder's treemap into the SVG file, replacing it whole; the exit status.
int WriteTreemap(const TOptions& options, const nubrix::TSizeFolder& root) {
  const std::vector<nubrix::charts::TTreemapTile> tiles = nubrix::charts::LayoutTreemap(
      root, {0, 0, static_cast<double>(options.Width), static_cast<double>(options.Height)});
  if (tiles.empty()) std::cerr << "nubrix-scan: " << options.Folder << " holds no bytes\n";
  const int error = nubrix::platform::ReplaceFileAtomically(
      options.Treemap, nubrix::charts::TreemapSvg(tiles, options.Width, options.Height));
  if (error != 0) {
    std::cerr << "nubrix-scan: cannot write " << options.Treemap << ": " << std::strerror(error)
              << '\n';
    return 1;
  }
  return 0;
}

nubrix::TNames NamesForOutput() {
  return isatty(STDOUT_FILENO) != 0 ? nubrix::TNames::ForTerminal : nubrix::TNames::Raw;
}

// The listing, the summary, the largest files or the types of a tree scanned or read.
int Report(const TOptions& options, nubrix::TSizeFolder& root, nubrix::TFileCollector* files,
           std::int32_t folders, std::chrono::milliseconds elapsed, std::int32_t unreadable) {
  std::ostringstream out;
  const nubrix::TNames names = NamesForOutput();
  if (files != nullptr) {
    const nubrix::TFileStats stats = files->Take();
    options.Types ? nubrix::WriteTypes(out, stats, names) : nubrix::WriteLargest(out, stats, names);
  } else if (options.List) {
    nubrix::WriteListing(out, root, names);
  } else {
    nubrix::WriteSummary(out, root, folders, elapsed, options.Top, names);
  }
  std::cout << out.str();
  std::cout.flush();
  nubrix::WriteUnreadableNote(std::cerr, unreadable);
  return std::cout ? 0 : 1;
}

// A deep tree holds a descriptor per level while it is written.
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
}

// A new file beside target, written in full before it takes target's name: a failed export
// (a full disk) leaves the previous file as it was, and a link planted at target is replaced,
// never written through. A descriptor, or -1 with errno set.
int OpenExportFile(const std::string& target, std::string& temporary) {
  temporary = target + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return -1;
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  return fd;
}

int Export(const TOptions& options) {
  const bool toOutput = options.Export == "-";
  std::string temporary;
  const int fd = toOutput ? STDOUT_FILENO : OpenExportFile(options.Export, temporary);
  if (fd < 0) {
    std::cerr << "nubrix-scan: cannot write " << options.Export << ": " << std::strerror(errno)
              << '\n';
    return 1;
  }
  RaiseDescriptorLimit();
  const nubrix::TExportResult result =
      nubrix::ExportScan(options.Folder, fd, nullptr, options.Threads);
  int error = result.WriteError;
  if (!toOutput) {
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && rename(temporary.c_str(), options.Export.c_str()) != 0) error = errno;
    if (error != 0) unlink(temporary.c_str());
  }
  if (error != 0) {
    std::cerr << "nubrix-scan: cannot write " << options.Export << ": " << std::strerror(error)
              << (toOutput ? " (the output is incomplete)\n" : " (nothing was written)\n");
    return 1;
  }
  nubrix::WriteUnreadableNote(std::cerr, result.UnreadableFolders);
  return 0;
}

int Import(const TOptions& options) {
  const auto started = std::chrono::steady_clock::now();
  const bool fromInput = options.Import == "-";
  const int fd = fromInput ? STDIN_FILENO : open(options.Import.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::cerr << "nubrix-scan: cannot read " << options.Import << ": " << std::strerror(errno)
              << '\n';
    return 2;
  }
  nubrix::TScanFile scan;
  nubrix::TImportOptions importing;
  if (options.Largest > 0) importing.LargestCount = static_cast<std::size_t>(options.Largest);
  const std::string error = nubrix::ImportScan(fd, scan, importing);
  if (!fromInput) close(fd);
  if (!error.empty()) {
    std::cerr << "nubrix-scan: " << (fromInput ? "standard input" : options.Import)
              << " is not a scan file that can be read: " << error << '\n';
    return 2;
  }
  std::int32_t folders = 0;
  nubrix::VisitPreOrder(*scan.Tree.ScanRoot(), [&](nubrix::TSizeFolder&, const std::string&) {
    ++folders;
    return true;
  });
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  if (options.Largest == 0 && !options.Types) {
    return Report(options, *scan.Tree.ScanRoot(), nullptr, folders, elapsed,
                  scan.Tree.UnreadableCount());
  }
  std::ostringstream out;
  const nubrix::TNames names = NamesForOutput();
  options.Types ? nubrix::WriteTypes(out, scan.Files, names)
                : nubrix::WriteLargest(out, scan.Files, names);
  std::cout << out.str();
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<TOptions> options = ParseOptions(argc, argv);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
  if (!options->Import.empty()) return Import(*options);
  if (!options->Export.empty()) return CheckReadable(options->Folder) ? Export(*options) : 2;
  if (!CheckReadable(options->Folder)) return 2;

  const auto started = std::chrono::steady_clock::now();
  nubrix::TSizeTree tree;
  nubrix::TScanContext context;
  context.Threads = options->Threads;
  std::optional<nubrix::TFileCollector> files;
  if (options->Largest > 0 || options->Types) {
    files.emplace(static_cast<std::size_t>(options->Largest));
    context.Files = &*files;
  }
  nubrix::ScanIntoTree(tree, options->Folder, context);
  nubrix::TSizeFolder& root = *tree.ScanRoot();
  if (root.ReadError() != 0) {
    std::cerr << "nubrix-scan: cannot read folder " << options->Folder << ": "
              << std::strerror(root.ReadError()) << '\n';
    return 2;
  }
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);

  if (options->Record || options->Compare) {
    // --record prints the summary too; --compare prints only what changed.
    const int status = RecordScan(*options, root);
    if (options->Compare || status != 0) {
      nubrix::WriteUnreadableNote(std::cerr, tree.UnreadableCount());
      return status;
    }
  }
  if (!options->Treemap.empty()) {
    const int status = WriteTreemap(*options, root);
    nubrix::WriteUnreadableNote(std::cerr, tree.UnreadableCount());
    return status;
  }
  return Report(*options, root, files ? &*files : nullptr, context.State.FolderCount.load(),
                elapsed, tree.UnreadableCount());
}
