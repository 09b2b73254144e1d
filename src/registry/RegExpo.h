// The registry export file: one key with its values and all its subkeys, in the "REGEDIT4" text
// format a registry editor imports again (ANSI bytes, every line ending in CR LF, no closing
// empty line).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace nubrix::registry {

// keyPath + "\" + name.
std::string SubkeyPath(const std::string& keyPath, std::string_view name);
// text with every backslash doubled.
std::string DoubleBackslashes(std::string_view text);

// Writes the export of keyPath under rootKey to fileName, replacing any file of that name. A file
// that cannot be written is left alone without a word (the caller looks whether it exists). A
// registry read that fails ends the export: the file holds the lines written so far, and the
// TRegistryError passes on.
void WriteRegFile(platform::IRegistryStore& store, std::uint32_t rootKey, std::string keyPath,
                  const std::string& fileName);

// As WriteRegFile, but a backup never replaces another: fileName (ending in ".reg") when it is
// free, else the first free of name_2.reg, name_3.reg, ... The name written; empty when none
// could be.
std::string WriteRegBackup(platform::IRegistryStore& store, std::uint32_t rootKey,
                           std::string keyPath, const std::string& fileName);

// The bytes of an export's text: REGEDIT4 in ANSI, or, when its names or data hold characters
// ANSI cannot (or version5 is asked for), a version 5 file in UTF-16LE with its byte order mark.
std::string RegFileBytes(const std::string& text, bool version5 = false);

// The export as WriteRegFile writes it, in memory (UTF-8; WriteRegFile converts it to ANSI).
class TRegExporter {
 public:
  TRegExporter(platform::IRegistryStore& store, std::uint32_t rootKey);
  // One section for keyPath, then its subkeys depth first.
  void WriteKeySection(const std::string& keyPath);
  const std::string& Text() const { return Text_; }
  // Whether a value was written as hex(N) UTF-16 bytes, which only a version 5 file reads as
  // they are.
  bool NeedsVersion5() const { return NeedsVersion5_; }

 private:
  void WriteValue(const std::string& name);
  void WriteBinary(const std::string& name, const std::string& prefix);

  platform::TRegistry Registry_;
  std::string RootName_;
  std::string Text_ = "REGEDIT4";
  bool NeedsVersion5_ = false;
};

}  // namespace nubrix::registry
