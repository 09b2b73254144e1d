// Reading shortcut files: desktop entries (*.desktop) and Windows shortcuts (*.lnk, of Wine
// prefixes and Windows partitions). Every reader is total: any bytes give a target or nothing,
// never a crash, a hang or a read past the end.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nubrix::platform {

enum class TTargetKind {
  Path,        // a path to look for
  Missing,     // a program that is nowhere: broken whatever the path says
  Deliberate,  // hidden on purpose (Hidden=true): not broken
  Network,     // on another machine: never probed
  CdRom,       // on an optical disc
  Unknown,     // no file-system target, or one that cannot be judged
};

struct TShortcutTarget {
  std::string Path;  // what the shortcut points at, as shown
  TTargetKind Kind = TTargetKind::Unknown;
};

TShortcutTarget ReadDesktopEntry(const std::string& file);
// The same for the file's text (file names the entry in the result where it stands for itself).
TShortcutTarget ReadDesktopEntryText(std::string_view text, const std::string& file);

// What a .lnk file holds, in Windows form.
struct TLnkInfo {
  std::string LocalPath;     // base path + suffix
  std::string NetworkPath;   // net name + "\" + suffix
  std::string RelativePath;  // relative to the .lnk's folder
  std::string Environment;   // a %VAR% target
  unsigned DriveType = 0;    // 2 removable, 3 fixed, 4 remote, 5 CD
  bool Advertised = false;   // an installer's shortcut: nothing to look for
};

std::optional<TLnkInfo> ParseLnk(std::string_view bytes);

// A Windows path (C:\...) as a Unix path through a Wine prefix's dosdevices, each name matched
// without regard to case; empty when the drive is not mapped.
std::string MapWindowsPath(const std::string& windowsPath, const std::string& prefix);

// The Wine prefix that holds a .lnk: the nearest folder above it holding dosdevices/ and
// system.reg; empty when the file lies in no prefix.
std::string WinePrefixFor(const std::string& lnkFile);

TShortcutTarget ReadLnk(const std::string& file);
// The same for the file's bytes (file is where they were read, for relative targets and the
// prefix).
TShortcutTarget ReadLnkBytes(std::string_view bytes, const std::string& file);

// Shortcut files are small; a larger file is not one.
inline constexpr std::size_t kMaxShortcutBytes = 1 << 20;

}  // namespace nubrix::platform
