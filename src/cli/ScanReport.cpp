#include "cli/ScanReport.h"

#include <algorithm>
#include <iomanip>
#include <string>
#include <vector>

namespace nubrix {

void WriteListing(std::ostream& out, TSizeFolder& root) {
  VisitPreOrder(root, [&](TSizeFolder& folder, const std::string& path) {
    out << folder.OwnSize() << '\t' << folder.SubfolderSize() << '\t';
    out.write(path.data(), static_cast<std::streamsize>(path.size()));
    out << '\n';
    return true;
  });
}

namespace {

void WriteSizeLine(std::ostream& out, SizeMB size, const std::string& label) {
  out << std::setw(16) << FormatSizeMB(size) << " MB  ";
  out.write(label.data(), static_cast<std::streamsize>(label.size()));
  out << '\n';
}

}  // namespace

void WriteSummary(std::ostream& out, TSizeFolder& root, std::int32_t folderCount,
                  std::chrono::milliseconds elapsed, int top) {
  WriteSizeLine(out, root.TotalSize(), root.Path());
  WriteSizeLine(out, root.OwnSize(), "(files directly in the folder)");
  std::vector<TSizeFolder*> children;
  children.reserve(static_cast<std::size_t>(root.ChildCount()));
  for (int i = 0; i < root.ChildCount(); ++i) children.push_back(root.Child(i));
  std::stable_sort(children.begin(), children.end(),
                   [](TSizeFolder* a, TSizeFolder* b) { return a->TotalSize() > b->TotalSize(); });
  const std::size_t shown =
      top < 0 ? children.size() : std::min(children.size(), static_cast<std::size_t>(top));
  for (std::size_t i = 0; i < shown; ++i) {
    WriteSizeLine(out, children[i]->TotalSize(), children[i]->Name());
  }
  if (shown < children.size()) out << "  ... " << children.size() - shown << " more\n";
  out << folderCount << " folders, " << std::fixed << std::setprecision(3)
      << static_cast<double>(elapsed.count()) / 1000.0 << " s\n";
}

void WriteUnreadableNote(std::ostream& out, std::int32_t unreadable) {
  if (unreadable <= 0) return;
  out << "nubrix-scan: " << unreadable << (unreadable == 1 ? " folder" : " folders")
      << " could not be read; the sizes above " << (unreadable == 1 ? "it" : "them")
      << " are too small\n";
}

void WriteLargest(std::ostream& out, const TFileStats& stats) {
  for (const TLargeFile& file : stats.Largest) {
    out << file.Size << '\t';
    out.write(file.Path.data(), static_cast<std::streamsize>(file.Path.size()));
    out << '\n';
  }
}

void WriteTypes(std::ostream& out, const TFileStats& stats) {
  for (const TTypeTotal& type : stats.Types) {
    out << type.Files << '\t' << type.Bytes << '\t';
    if (type.Extension.empty()) {
      out << '-';
    } else {
      out.write(type.Extension.data(), static_cast<std::streamsize>(type.Extension.size()));
    }
    out << '\n';
  }
}

}  // namespace nubrix
