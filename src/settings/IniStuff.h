// INI files with the observable rules of the Windows profile functions: section and key names
// without regard to case, the first of duplicate sections and keys wins, defaults for whatever
// is missing, values trimmed and unquoted once, integers in decimal or 0x hexadecimal, new keys
// at the end of their section, every other line kept byte for byte. Writing replaces the file
// atomically, so a crash or a full disk never leaves it half written. Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace nubrix {

// A write the platform refused; the text names the file: "Unable to write to <file>".
class TIniWriteError : public std::runtime_error {
 public:
  explicit TIniWriteError(const std::string& fileName);
};

// "Could not create <folder or file>".
class TIniCreateError : public std::runtime_error {
 public:
  explicit TIniCreateError(const std::string& path);
};

inline constexpr std::size_t kMaxIniString = 2047;

class TIniFile {
 public:
  // Reads fileName; a missing or unreadable file reads as empty.
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return FileName_; }
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  std::int32_t ReadInteger(std::string_view section, std::string_view key,
                           std::int32_t fallback) const;
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  // The names of the keys of a section, in file order (comments and blank lines left out).
  std::vector<std::string> KeyNames(std::string_view section) const;

  // False, and nothing written, when a name or the value holds a line break, or the key an
  // equals sign: either would split the line and plant a key of its own.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteInteger(section, key, value ? 1 : 0);
  }
  void DeleteKey(std::string_view section, std::string_view key);
  // Removes the section's header and every line up to the next section (the first of duplicate
  // sections of that name).
  void EraseSection(std::string_view section);
  // Appends an empty section when there is none of that name.
  void AddSection(std::string_view section);

  // Writes the lines back: a temporary file beside it, flushed to the disk, renamed over it.
  // Throws TIniWriteError and leaves the old file as it was when that fails.
  void UpdateFile() const;

  // The text as it would be written.
  std::string Text() const;

 private:
  struct TLine {
    std::string Text;    // without its line end
    std::string Ending;  // "\r\n", "\n" or "" for a last line without one
  };
  struct TPlace {
    std::size_t Line;
    std::size_t ValueStart;  // offset of the text after '='
  };
  std::size_t FindSection(std::string_view section) const;  // the header line, or npos
  bool FindKey(std::string_view section, std::string_view key, TPlace& place) const;
  std::size_t SectionEnd(std::size_t header) const;  // the line after its last entry
  std::string NewLineEnding() const;

  std::string FileName_;
  std::string ByteOrderMark_;
  std::vector<TLine> Lines_;
};

// Parses a profile integer: optional sign, decimal or 0x/0X hexadecimal, nothing else.
bool ParseIniInteger(std::string_view text, std::int32_t& value);

// Tells the user something ("Could not create <file>"); empty: nobody is told.
using TIniTell = std::function<void(const std::string& message)>;

// Creates the folder of fileName with its parents (throws TIniCreateError, "Could not create
// <folder>", when that fails) and an empty file when there is none. When the file cannot be
// created, tells "Could not create <file>" and returns false.
bool EnsureIniFile(const std::string& fileName, const TIniTell& tell = {});

// One key at a time, each a complete read and atomic write of the file.
void IniWriteInteger(const std::string& fileName, std::string_view section, std::string_view key,
                     std::int64_t value, const TIniTell& tell = {});
// The key is deleted first, so it moves to the end of its section.
void IniWriteString(const std::string& fileName, std::string_view section, std::string_view key,
                    std::string_view value, const TIniTell& tell = {});

// Whether text would break an INI line (a carriage return or a line feed).
bool HasLineBreak(std::string_view text);

}  // namespace nubrix
