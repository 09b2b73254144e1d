#include "cli/ScanReport.h"

#include <algorithm>
#include <iomanip>
#include <string>
#include <string_view>
#include <vector>

namespace nubrix {

namespace {

void WriteName(std::ostream& out, std::string_view name, TNames names) {
  if (names == TNames::Raw) {
    out.write(name.data(), static_cast<std::streamsize>(name.size()));
    return;
  }
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out << "\\\\";
    } else if (byte < 0x20 || byte == 0x7f) {
      const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                            static_cast<char>('0' + ((byte >> 3) & 7)),
                            static_cast<char>('0' + (byte & 7))};
      out.write(octal, sizeof octal);
    } else {
      out << c;
    }
  }
}

void WriteSizeLine(std::ostream& out, SizeMB size, const std::string& label, TNames names) {
  out << std::setw(16) << FormatSizeMB(size) << " MB  ";
  WriteName(out, label, names);
  out << '\n';
}

}  // namespace

void WriteListing(std::ostream& out, TSizeFolder& root, TNames names) {
  VisitPreOrder(root, [&](TSizeFolder& folder, const std::string& path) {
    out << folder.OwnSize() << '\t' << folder.SubfolderSize() << '\t';
    WriteName(out, path, names);
    out << '\n';
    return true;
  });
}

void WriteSummary(std::ostream& out, TSizeFolder& root, std::int32_t folderCount,
                  std::chrono::milliseconds elapsed, int top, TNames names) {
  WriteSizeLine(out, root.TotalSize(), root.Path(), names);
  WriteSizeLine(out, root.OwnSize(), "(files directly in the folder)", TNames::Raw);
  std::vector<TSizeFolder*> children;
  children.reserve(static_cast<std::size_t>(root.ChildCount()));
  for (int i = 0; i < root.ChildCount(); ++i) children.push_back(root.Child(i));
  std::stable_sort(children.begin(), children.end(),
                   [](TSizeFolder* a, TSizeFolder* b) { return a->TotalSize() > b->TotalSize(); });
  const std::size_t shown =
      top < 0 ? children.size() : std::min(children.size(), static_cast<std::size_t>(top));
  for (std::size_t i = 0; i < shown; ++i) {
    WriteSizeLine(out, children[i]->TotalSize(), children[i]->Name(), names);
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

void WriteLargest(std::ostream& out, const TFileStats& stats, TNames names) {
  for (const TLargeFile& file : stats.Largest) {
    out << file.Size << '\t';
    WriteName(out, file.Path, names);
    out << '\n';
  }
}

void WriteTypes(std::ostream& out, const TFileStats& stats, TNames names) {
  for (const TTypeTotal& type : stats.Types) {
    out << type.Files << '\t' << type.Bytes << '\t';
    if (type.Extension.empty()) {
      out << '-';
    } else {
      WriteName(out, type.Extension, names);
    }
    out << '\n';
  }
}

}  // namespace nubrix
