#include "registry/RegExpo.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/Paths.h"

namespace nubrix::registry {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kRegSuffix = ".reg";
constexpr std::size_t kBytesBetweenBreaks = 25;

std::string UpperHex(unsigned value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*X", width, value);
  return buffer;
}

}  // namespace

std::string SubkeyPath(const std::string& keyPath, std::string_view name) {
  std::string path;
  path.reserve(keyPath.size() + 1 + name.size());
  path.append(keyPath).append(1, '\\').append(name);
  return path;
}

std::string DoubleBackslashes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    out += c;
    if (c == '\\') out += '\\';
  }
  return out;
}

TRegExporter::TRegExporter(platform::IRegistryStore& store, std::uint32_t rootKey)
    : Registry_(store), RootName_(platform::RootKeyName(rootKey)) {
  Registry_.SetRootKey(rootKey);
}

void TRegExporter::WriteKeySection(const std::string& keyPath) {
  Text_ += kLineEnd;
  Text_ += kLineEnd;
  Text_ += "[" + RootName_ + "\\" + keyPath + "]";
  std::vector<std::string> values;
  std::vector<std::string> subkeys;
  // A key that cannot be opened with full access stays a bare header, without its subkeys.
  if (Registry_.OpenKey(keyPath)) {
    values = Registry_.GetValueNames();
    subkeys = Registry_.GetKeyNames();
  }
  try {
    for (const std::string& name : values) WriteValue(name);
  } catch (...) {
    Registry_.CloseKey();
    throw;
  }
  Registry_.CloseKey();
  for (const std::string& subkey : subkeys) WriteKeySection(SubkeyPath(keyPath, subkey));
}

void TRegExporter::WriteValue(const std::string& name) {
  Text_ += kLineEnd;
  Text_ += DoubleBackslashes(name.empty() ? std::string("@") : "\"" + name + "\"") + "=";
  // Every type comes back as it was: what a quoted string cannot hold (an expandable or multiple
  // string, a line break) is written as its bytes, and so is every type without a text form.
  const std::uint32_t type = Registry_.GetDataType(name);
  char typed[24];
  std::snprintf(typed, sizeof typed, "hex(%x):", type);
  switch (type) {
    case platform::kRegSz: {
      const std::string text = Registry_.ReadString(name);
      if (text.find_first_of("\r\n") == std::string::npos) {
        Text_ += "\"" + DoubleBackslashes(text) + "\"";
      } else {
        NeedsVersion5_ = true;
        WriteBinary(name, "hex(1):");
      }
      break;
    }
    case platform::kRegExpandSz:
    case platform::kRegMultiSz:
      NeedsVersion5_ = true;
      WriteBinary(name, typed);
      break;
    case platform::kRegDword:
      if (Registry_.GetDataSize(name) == 4) {
        Text_ += "dword:" + UpperHex(static_cast<std::uint32_t>(Registry_.ReadInteger(name)), 8);
      } else {
        WriteBinary(name, typed);
      }
      break;
    case platform::kRegBinary:
      WriteBinary(name, "hex:");
      break;
    default:
      WriteBinary(name, typed);
  }
}

void TRegExporter::WriteBinary(const std::string& name, const std::string& prefix) {
  const int size = Registry_.GetDataSize(name);
  std::vector<unsigned char> buffer(static_cast<std::size_t>(std::max(size, 0)));
  Registry_.ReadBinaryData(name, buffer.data(), size);
  Text_ += prefix;
  for (std::size_t i = 0; i < buffer.size(); ++i) {
    Text_ += UpperHex(buffer[i], 2);
    if (i + 1 == buffer.size()) break;
    Text_ += ',';
    if (i > 0 && i % kBytesBetweenBreaks == 0) {
      Text_ += '\\';
      Text_ += kLineEnd;
    }
  }
}

std::string RegFileBytes(const std::string& text, bool version5) {
  std::string ansi = platform::Utf8ToAnsi(text);
  if (!version5 && platform::AnsiToUtf8(ansi) == text) return ansi;
  // Text an ANSI file cannot hold would come back as "?": the version 5 file holds it all.
  const std::string body = text.substr(text.find(kLineEnd));
  return "\xFF\xFE" + platform::Utf16ToBytes(platform::Utf8ToUtf16(std::string(kVersion5) + body));
}

namespace {

// The export of keyPath, handed to write; a registry read that fails still writes what came
// before it, then passes on.
template <class Write>
void Export(platform::IRegistryStore& store, std::uint32_t rootKey, std::string keyPath,
            Write write) {
  if (keyPath.ends_with('\\')) keyPath.pop_back();
  TRegExporter exporter(store, rootKey);
  // Every line ends with CR LF, the last one too.
  try {
    exporter.WriteKeySection(keyPath);
  } catch (const platform::TRegistryError&) {
    write(RegFileBytes(exporter.Text() + std::string(kLineEnd), exporter.NeedsVersion5()));
    throw;
  }
  write(RegFileBytes(exporter.Text() + std::string(kLineEnd), exporter.NeedsVersion5()));
}

}  // namespace

void WriteRegFile(platform::IRegistryStore& store, std::uint32_t rootKey, std::string keyPath,
                  const std::string& fileName) {
  Export(store, rootKey, std::move(keyPath),
         [&](const std::string& bytes) { platform::ReplaceFileAtomically(fileName, bytes); });
}

std::string WriteRegBackup(platform::IRegistryStore& store, std::uint32_t rootKey,
                           std::string keyPath, const std::string& fileName) {
  std::string written;
  Export(store, rootKey, std::move(keyPath), [&](const std::string& bytes) {
    const std::string stem = fileName.substr(0, fileName.size() - kRegSuffix.size());
    for (int n = 1; n < 1000; ++n) {
      const std::string name = n == 1 ? fileName : stem + "_" + std::to_string(n) + ".reg";
      const int error = platform::WriteNewFileAtomically(name, bytes);
      if (error == EEXIST) continue;
      if (error == 0) written = name;
      return;
    }
  });
  return written;
}

}  // namespace nubrix::registry
