#include "cleaners/TempFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "platform/Paths.h"
#include "settings/IniStuff.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix {

namespace {

constexpr const char* kSection = "tmpList";

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// One character of a name: a valid UTF-8 sequence, or else one byte.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const std::size_t length = platform::Utf8SequenceLength(text, at);
  return length == 0 ? 1 : length;
}

struct TEntry {
  std::string Name;
  bool Folder = false;
  std::optional<std::uint64_t> Size;  // asked for only when a mask matches
  platform::TFileId Id{};
  platform::TFileTimes Times;
};

std::vector<TEntry> ListFiles(int fd) {
  std::vector<TEntry> entries;
  const int listing = dup(fd);
  DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
  if (dir == nullptr) {
    if (listing >= 0) close(listing);
    return entries;
  }
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;  // ".", "..", and the names hidden by their dot
    bool folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat info {};
      folder = fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
    }
    if (!folder) entries.push_back({entry->d_name, false, std::nullopt, {}, {}});
  }
  closedir(dir);
  return entries;
}

// Wide enough for any file size in ten-thousandths of a kilobyte.
__extension__ using TWide = unsigned __int128;

// Ties go to the even neighbour: value / divisor, rounded.
TWide DivideRoundingHalfEven(TWide value, TWide divisor) {
  const TWide quotient = value / divisor;
  const TWide twice = 2 * (value % divisor);
  return twice > divisor || (twice == divisor && quotient % 2 != 0) ? quotient + 1 : quotient;
}

// Ten-thousandths held to hundredths: the whole part stays, the fraction rounds half to even.
TWide ToHundredths(TWide tenThousandths) {
  return DivideRoundingHalfEven(tenThousandths, 100) * 100;
}

// A number of ten-thousandths with two decimals in the shortest form.
std::string GeneralFormat(std::uint64_t tenThousandths, char decimalPoint) {
  std::string text = std::to_string(tenThousandths / 10000);
  std::string fraction = std::to_string(tenThousandths % 10000 / 100);
  if (fraction.size() < 2) fraction.insert(0, 1, '0');
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  if (!fraction.empty()) text += decimalPoint + fraction;
  return text;
}

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

int CompareFolded(const std::string& a, const std::string& b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(FoldAscii(a[i]));
    const auto y = static_cast<unsigned char>(FoldAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

platform::TListedItem ListedTempFile(const TTempTreeData& row) {
  platform::TListedItem item(row.Path(), row.FolderId, row.ItemId);
  item.Size = row.Size;
  item.Times = row.Times;
  return item;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  if (mask.empty() || mask.find('/') != std::string_view::npos) return false;
  if (mask == "*.*") return true;
  std::size_t n = 0;
  std::size_t m = 0;
  std::size_t starMask = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() && mask[m] == '?') {
      n += CharacterLength(name, n);
      ++m;
    } else if (m < mask.size() && FoldAscii(mask[m]) == FoldAscii(name[n])) {
      ++n;
      ++m;
    } else if (starMask != std::string_view::npos) {
      // The star takes one character more and the rest is tried again.
      starName += CharacterLength(name, starName);
      n = starName;
      m = starMask + 1;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

namespace {

void SearchOpenFolder(int fd, const std::string& folder, const std::vector<std::string>& masks,
                      std::vector<TTempTreeData>& rows) {
  std::vector<TEntry> entries = ListFiles(fd);
  const std::string shownFolder = platform::WithSeparator(folder);
  struct stat self {};
  fstat(fd, &self);
  for (const std::string& mask : masks) {
    for (TEntry& entry : entries) {
      if (!MatchesMask(entry.Name, mask)) continue;
      if (!entry.Size) {
        struct stat info {};
        // An entry that vanished since the listing is skipped.
        if (!platform::StatTimesAt(fd, entry.Name.c_str(), info, entry.Times)) continue;
        entry.Size = static_cast<std::uint64_t>(info.st_size);
        entry.Id = platform::IdOf(info);
      }
      TTempTreeData& row = rows.emplace_back();
      row.FileName = entry.Name;
      row.Folder = shownFolder;
      row.Size = *entry.Size;
      row.FolderId = platform::IdOf(self);
      row.ItemId = entry.Id;
      row.Times = entry.Times;
    }
  }
}

// A folder that is gone since the scan, unreadable, or not the one the scan saw: nothing to find.
void SearchTreeFolder(const TTreeOpener& opener, const TTreeFolders& folders, std::size_t index,
                      const std::vector<std::string>& masks, std::vector<TTempTreeData>& rows) {
  if (opener.Skipped(index)) return;
  const platform::TFd fd(opener.Open(index));
  if (fd.Ok()) SearchOpenFolder(fd.Get(), folders.PathOf(index), masks, rows);
}

}  // namespace

void SearchTempFilesInFolder(const std::string& folder, const std::vector<std::string>& masks,
                             std::vector<TTempTreeData>& rows) {
  const TTreeFolders lone = LoneFolder(folder);
  const TTreeOpener opener(lone);
  SearchTreeFolder(opener, lone, 0, masks, rows);
}

TTreeFolders TempSearchFolders(const TSizeFolder& start) { return TreeFoldersBelow(start); }

TTempSearch SearchTempFiles(const TTreeFolders& folders, const std::vector<std::string>& masks,
                            const std::atomic<bool>* cancel,
                            const std::function<void(int)>& progress) {
  TTempSearch search;
  const TTreeOpener opener(folders);
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) {
      search.Cancelled = true;
      break;
    }
    SearchTreeFolder(opener, folders, i, masks, search.Rows);
    ++search.FoldersSearched;
    if (progress) progress(search.FoldersSearched);
  }
  return search;
}

std::string TempSizeText(std::uint64_t bytes, char decimalPoint) {
  // Kilobytes held to four decimals (bytes * 10000 / 1024), then to two.
  const TWide kilo = ToHundredths(DivideRoundingHalfEven(TWide{bytes} * 10000, 1024));
  if (kilo < TWide{1024} * 10000)
    return GeneralFormat(static_cast<std::uint64_t>(kilo), decimalPoint) + " kb";
  const TWide mega = ToHundredths(DivideRoundingHalfEven(kilo, 1024));
  return GeneralFormat(static_cast<std::uint64_t>(mega), decimalPoint) + " Mb";
}

int CompareTempRows(const TTempTreeData& a, const TTempTreeData& b, int column) {
  switch (column) {
    case kTempFileNameColumn:
      return Sign(CompareFolded(a.FileName, b.FileName));
    case kTempFolderColumn:
      return Sign(CompareFolded(a.Folder, b.Folder));
    default:
      return a.Size < b.Size ? -1 : (a.Size > b.Size ? 1 : 0);
  }
}

std::string TrimmedTypeText(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string TypeRefusal(std::string_view givenMask, std::string_view description,
                        const std::vector<TTmpType>& existing) {
  const auto hasBreak = [](std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
  };
  if (hasBreak(givenMask) || hasBreak(description))
    return "A junk file type cannot hold a line break.";
  const std::string mask = TrimmedTypeText(givenMask);
  if (mask.empty()) return "A junk file type needs a mask.";
  for (const TTmpType& type : existing) {
    if (CompareFolded(type.Mask, mask) == 0) {
      return "The list has \"" + type.Mask + "\" already: masks that differ only in case are one.";
    }
  }
  if (mask.starts_with('[') || mask.starts_with(';')) {
    return "A mask cannot begin with \"" + std::string(1, mask[0]) +
           "\": the list of types would not read it back.";
  }
  if (mask.find('=') != std::string_view::npos)
    return "A mask cannot hold \"=\": the list of types would not read it back.";
  return {};
}

std::vector<TTmpType> LoadTmpList(const TIniFile& file) {
  std::vector<TTmpType> types;
  for (const std::string& key : file.KeyNames(kSection)) {
    if (!key.empty()) types.push_back({key, file.ReadString(kSection, key, ""), true});
  }
  return types;
}

void SaveTmpList(TIniFile& file, const std::vector<TTmpType>& types) {
  file.EraseSection(kSection);
  file.AddSection(kSection);
  for (const TTmpType& type : types) file.WriteString(kSection, type.Mask, type.Description);
}

std::string TemplateFileName(const std::string& settingsFile) {
  const std::size_t slash = settingsFile.rfind('/');
  const std::size_t dot = settingsFile.rfind('.');
  const bool hasExtension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return (hasExtension ? settingsFile.substr(0, dot) : settingsFile) + ".tpl";
}

}  // namespace nubrix
