// Writes .lnk bytes from the format's layout (header, LinkInfo, string data, extra data), for
// tests of the reader.
#pragma once

#include <cstdint>
#include <string>

namespace nubrix::test {

struct TLnkSpec {
  std::string LocalBase;  // "C:\\Program Files\\App\\app.exe"
  std::string Suffix;
  std::string NetName;       // "\\\\server\\share"
  std::string RelativePath;  // "..\\x\\y.exe"
  std::string Environment;   // "%ProgramFiles%\\App\\app.exe"
  std::uint32_t DriveType = 3;
  bool UnicodeLinkInfo = false;  // LinkInfo header of 0x24 with Unicode paths
  bool UnicodeStrings = true;
  bool Advertised = false;
};

std::string BuildLnk(const TLnkSpec& spec);

}  // namespace nubrix::test
