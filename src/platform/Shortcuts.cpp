#include "platform/Shortcuts.h"

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/SafeOpen.h"

namespace nubrix::platform {

namespace {

std::string Home() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? home : "";
}

// ---- desktop entries ----

std::string KeyString(GKeyFile* file, const char* key) {
  gchar* value = g_key_file_get_string(file, G_KEY_FILE_DESKTOP_GROUP, key, nullptr);
  std::string text = value != nullptr ? value : "";
  g_free(value);
  return text;
}

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  gchar* found = g_find_program_in_path(name.c_str());
  std::string path = found != nullptr ? found : "";
  g_free(found);
  return path;
}

TShortcutTarget Program(const std::string& name) {
  const std::string path = FindProgram(name);
  if (path.empty()) return {name, TTargetKind::Missing};
  return {path, TTargetKind::Path};
}

TShortcutTarget FlatpakApp(const std::string& id) {
  for (const std::string& root :
       {std::string("/var/lib/flatpak/app/"), Home() + "/.local/share/flatpak/app/"}) {
    if (Exists(root + id)) return {root + id, TTargetKind::Path};
  }
  return {"/var/lib/flatpak/app/" + id, TTargetKind::Missing};
}

TShortcutTarget FromExec(GKeyFile* file, const std::string& exec) {
  gint argc = 0;
  gchar** argv = nullptr;
  if (!g_shell_parse_argv(exec.c_str(), &argc, &argv, nullptr)) return {exec, TTargetKind::Unknown};
  std::vector<std::string> args(argv, argv + argc);
  g_strfreev(argv);
  // env NAME=VALUE ... program
  std::size_t first = 0;
  if (first < args.size() && NameOf(args[first]) == "env") {
    ++first;
    while (first < args.size() &&
           (args[first].find('=') != std::string::npos || args[first].starts_with("-")))
      ++first;
  }
  if (first >= args.size()) return {exec, TTargetKind::Unknown};
  const std::string flatpakId = KeyString(file, "X-Flatpak");
  if (NameOf(args[first]) == "flatpak") {
    const auto run = std::find(args.begin() + static_cast<long>(first), args.end(), "run");
    if (run != args.end()) {
      for (auto it = run + 1; it != args.end(); ++it) {
        if (!it->starts_with("-")) return FlatpakApp(*it);
      }
    }
    if (!flatpakId.empty()) return FlatpakApp(flatpakId);
  }
  return Program(args[first]);
}

// ---- .lnk ----

class TReader {
 public:
  explicit TReader(std::string_view bytes) : Bytes_(bytes) {}
  bool Has(std::size_t at, std::size_t count) const {
    return at <= Bytes_.size() && count <= Bytes_.size() - at;
  }
  std::uint32_t U32(std::size_t at) const {
    if (!Has(at, 4)) return 0;
    return static_cast<std::uint8_t>(Bytes_[at]) | static_cast<std::uint8_t>(Bytes_[at + 1]) << 8 |
           static_cast<std::uint8_t>(Bytes_[at + 2]) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(Bytes_[at + 3])) << 24;
  }
  std::uint16_t U16(std::size_t at) const {
    if (!Has(at, 2)) return 0;
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(Bytes_[at]) |
                                      static_cast<std::uint8_t>(Bytes_[at + 1]) << 8);
  }
  // A NUL-terminated code-page string (taken as Latin-1), as UTF-8; stops at the end of data.
  std::string Ansi(std::size_t at, std::size_t limit = SIZE_MAX) const {
    std::string out;
    for (std::size_t i = at; i < Bytes_.size() && i - at < limit && Bytes_[i] != '\0'; ++i)
      AppendLatin1(out, Bytes_[i]);
    return out;
  }
  // A NUL-terminated UTF-16LE string, as UTF-8.
  std::string Unicode(std::size_t at, std::size_t limitChars = SIZE_MAX) const {
    std::u16string text;
    for (std::size_t i = at; Has(i, 2) && (i - at) / 2 < limitChars; i += 2) {
      const char16_t c = U16(i);
      if (c == 0) break;
      text.push_back(c);
    }
    return Utf8(text);
  }
  // count characters, 1 or 2 bytes each.
  std::string Counted(std::size_t at, std::size_t count, bool unicode) const {
    std::string out;
    if (unicode) {
      std::u16string text;
      for (std::size_t i = 0; i < count && Has(at + 2 * i, 2); ++i) text.push_back(U16(at + 2 * i));
      return Utf8(text);
    }
    for (std::size_t i = 0; i < count && Has(at + i, 1); ++i) AppendLatin1(out, Bytes_[at + i]);
    return out;
  }
  std::size_t Size() const { return Bytes_.size(); }

  static void AppendLatin1(std::string& out, char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (b >> 6)));
      out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  static std::string Utf8(const std::u16string& text) {
    glong written = 0;
    gchar* utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text.data()),
                                  static_cast<glong>(text.size()), nullptr, &written, nullptr);
    std::string out =
        utf8 != nullptr ? std::string(utf8, static_cast<std::size_t>(written)) : std::string();
    g_free(utf8);
    return out;
  }

 private:
  std::string_view Bytes_;
};

constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

void ReadLinkInfo(const TReader& r, std::size_t at, TLnkInfo& info) {
  const std::uint32_t headerSize = r.U32(at + 4);
  const std::uint32_t flags = r.U32(at + 8);
  const std::size_t limit = r.Size();
  auto offset = [&](std::size_t field) -> std::size_t {
    const std::uint32_t value = r.U32(at + field);
    return value == 0 ? limit : at + value;
  };
  std::string suffix = r.Ansi(offset(24));
  if (headerSize >= 0x24 && r.U32(at + 32) != 0) suffix = r.Unicode(offset(32));
  if (flags & 1) {
    const std::size_t volume = offset(12);
    info.DriveType = r.U32(volume + 4);
    std::string base = r.Ansi(offset(16));
    if (headerSize >= 0x24 && r.U32(at + 28) != 0) base = r.Unicode(offset(28));
    info.LocalPath = base + suffix;
  }
  if (flags & 2) {
    const std::size_t network = offset(20);
    const std::uint32_t netNameOffset = r.U32(network + 8);
    std::string name = r.Ansi(netNameOffset == 0 ? limit : network + netNameOffset);
    if (netNameOffset > 0x14 && r.U32(network + 20) != 0)
      name = r.Unicode(network + r.U32(network + 20));
    if (!name.empty()) info.NetworkPath = suffix.empty() ? name : name + "\\" + suffix;
  }
}

void ReadStringData(const TReader& r, std::size_t& at, std::uint32_t flags, TLnkInfo& info) {
  const bool unicode = (flags & 0x80) != 0;
  for (std::uint32_t bit : {0x4u, 0x8u, 0x10u, 0x20u, 0x40u}) {
    if ((flags & bit) == 0) continue;
    const std::size_t count = r.U16(at);
    if (bit == 0x8) info.RelativePath = r.Counted(at + 2, count, unicode);
    at += 2 + count * (unicode ? 2 : 1);
    if (at > r.Size()) return;
  }
}

void ReadExtraData(const TReader& r, std::size_t at, TLnkInfo& info) {
  // Blocks of at least 8 bytes each, so the walk ends after at most size / 8 steps.
  while (r.Has(at, 8)) {
    const std::uint32_t size = r.U32(at);
    if (size < 8) return;
    const std::uint32_t signature = r.U32(at + 4);
    if (signature == 0xA0000001 && r.Has(at, 0x314)) {
      info.Environment = r.Unicode(at + 268, 260);
      if (info.Environment.empty()) info.Environment = r.Ansi(at + 8, 260);
    }
    if (signature == 0xA0000006) info.Advertised = true;
    if (size > r.Size() - at) return;
    at += size;
  }
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The entry of folder named like name regardless of ASCII case; name itself when none is.
std::string MatchName(const std::string& folder, const std::string& name) {
  if (Exists(folder + "/" + name)) return name;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return name;
  std::string match = name;
  const std::string wanted = Lower(name);
  while (dirent* entry = readdir(dir)) {
    if (Lower(entry->d_name) == wanted) {
      match = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return match;
}

std::string ExpandWindowsVariables(const std::string& text) {
  const char* user = std::getenv("USER");
  const std::pair<std::string, std::string> variables[] = {
      {"%systemroot%", "C:\\windows"},
      {"%windir%", "C:\\windows"},
      {"%programfiles%", "C:\\Program Files"},
      {"%programfiles(x86)%", "C:\\Program Files (x86)"},
      {"%userprofile%", std::string("C:\\users\\") + (user ? user : "")},
      {"%appdata%", std::string("C:\\users\\") + (user ? user : "") + "\\AppData\\Roaming"},
      {"%localappdata%", std::string("C:\\users\\") + (user ? user : "") + "\\AppData\\Local"}};
  std::string out = text;
  for (const auto& [name, value] : variables) {
    const std::size_t at = Lower(out).find(name);
    if (at != std::string::npos) out.replace(at, name.size(), value);
  }
  return out.find('%') == std::string::npos ? out : std::string();
}

// A shortcut file's bytes: a regular file only (never a pipe, a device or a link's target), and
// shortcuts are small, so nothing past a mebibyte is read.
std::optional<std::string> ReadShortcutFile(const std::string& path) {
  return ReadRegularFileAt(AT_FDCWD, path.c_str(), kMaxShortcutBytes);
}

}  // namespace

TShortcutTarget ReadDesktopEntry(const std::string& path) {
  const std::optional<std::string> text = ReadShortcutFile(path);
  return text ? ReadDesktopEntryText(*text, path) : TShortcutTarget{};
}

TShortcutTarget ReadDesktopEntryText(std::string_view text, const std::string& path) {
  GKeyFile* file = g_key_file_new();
  TShortcutTarget target;
  if (g_key_file_load_from_data(file, text.data(), text.size(), G_KEY_FILE_NONE, nullptr) &&
      g_key_file_has_group(file, G_KEY_FILE_DESKTOP_GROUP)) {
    const std::string type = KeyString(file, "Type");
    if (g_key_file_get_boolean(file, G_KEY_FILE_DESKTOP_GROUP, "Hidden", nullptr)) {
      target = {path, TTargetKind::Deliberate};
    } else if (type == "Application") {
      const std::string tryExec = KeyString(file, "TryExec");
      const std::string exec = KeyString(file, "Exec");
      if (!tryExec.empty()) {
        target = Program(tryExec);
      } else if (!exec.empty()) {
        target = FromExec(file, exec);
      }
    } else if (type == "Link") {
      const std::string url = KeyString(file, "URL");
      gchar* local =
          url.starts_with("file:") ? g_filename_from_uri(url.c_str(), nullptr, nullptr) : nullptr;
      if (local != nullptr) {
        target = {local, TTargetKind::Path};
        g_free(local);
      } else {
        target = {url, IsNetworkUrl(url) ? TTargetKind::Network : TTargetKind::Unknown};
      }
    }
  }
  g_key_file_free(file);
  return target;
}

std::optional<TLnkInfo> ParseLnk(std::string_view bytes) {
  const TReader r(bytes);
  if (r.U32(0) != 0x4C || !r.Has(4, 16) ||
      !std::equal(std::begin(kLinkClsid), std::end(kLinkClsid), bytes.begin() + 4,
                  [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); })) {
    return std::nullopt;
  }
  TLnkInfo info;
  const std::uint32_t flags = r.U32(0x14);
  std::size_t at = 0x4C;
  if (flags & 0x1) at += 2 + r.U16(at);
  if ((flags & 0x2) && !(flags & 0x100) && r.Has(at, 28)) {
    const std::uint32_t size = r.U32(at);
    ReadLinkInfo(r, at, info);
    at += size;
  } else if (flags & 0x2) {
    at += r.U32(at);
  }
  if (at <= r.Size()) ReadStringData(r, at, flags, info);
  if (at <= r.Size()) ReadExtraData(r, at, info);
  return info;
}

std::string MapWindowsPath(const std::string& windowsPath, const std::string& prefix) {
  if (windowsPath.size() < 2 || windowsPath[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
    return {};
  const std::string device = prefix + "/dosdevices/" +
                             std::string(1, static_cast<char>(std::tolower(windowsPath[0]))) + ":";
  char buffer[PATH_MAX];
  const ssize_t length = readlink(device.c_str(), buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  std::string root(buffer, static_cast<std::size_t>(length));
  if (root[0] != '/') root = prefix + "/dosdevices/" + root;
  if (char* real = realpath(root.c_str(), nullptr)) {
    root = real;
    std::free(real);
  }
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  std::string path = root;
  std::size_t pos = 2;
  while (pos < windowsPath.size()) {
    std::size_t end = windowsPath.find_first_of("\\/", pos);
    if (end == std::string::npos) end = windowsPath.size();
    const std::string name = windowsPath.substr(pos, end - pos);
    pos = end + 1;
    if (name.empty() || name == ".") continue;
    path = (path == "/" ? "" : path) + "/" + MatchName(path, name);
  }
  return path;
}

std::string WinePrefixFor(const std::string& lnkFile) {
  for (std::string folder = FolderOf(lnkFile); folder.size() > 1; folder = FolderOf(folder)) {
    if (Exists(folder + "/dosdevices") && Exists(folder + "/system.reg")) return folder;
  }
  return {};
}

TShortcutTarget ReadLnk(const std::string& file) {
  const std::optional<std::string> bytes = ReadShortcutFile(file);
  return bytes ? ReadLnkBytes(*bytes, file) : TShortcutTarget{};
}

TShortcutTarget ReadLnkBytes(std::string_view bytes, const std::string& file) {
  const std::optional<TLnkInfo> info = ParseLnk(bytes);
  if (!info || info->Advertised) return {};
  if (!info->NetworkPath.empty() && info->LocalPath.empty())
    return {info->NetworkPath, TTargetKind::Network};
  if (info->DriveType == 4) return {info->LocalPath, TTargetKind::Network};
  if (info->DriveType == 5) return {info->LocalPath, TTargetKind::CdRom};
  if (info->DriveType == 2)
    return {info->LocalPath, TTargetKind::Unknown};  // removable: cannot judge
  std::string windows = info->LocalPath;
  if (windows.empty() && !info->Environment.empty())
    windows = ExpandWindowsVariables(info->Environment);
  if (!windows.empty()) {
    // Drive letters mean something only inside the Wine prefix that holds the shortcut; on a
    // Windows partition they name drives of another system, which cannot be judged from here.
    const std::string prefix = WinePrefixFor(file);
    const std::string mapped = prefix.empty() ? std::string() : MapWindowsPath(windows, prefix);
    return mapped.empty() ? TShortcutTarget{windows, TTargetKind::Unknown}
                          : TShortcutTarget{mapped, TTargetKind::Path};
  }
  if (!info->RelativePath.empty()) {
    std::string relative = info->RelativePath;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return {FolderOf(file) + "/" + relative, TTargetKind::Path};
  }
  return {};
}

}  // namespace nubrix::platform
