// The importer of registry script files (REGEDIT4, and version 5.00 in UTF-16LE) into the
// registry: the restore of the list editor's backups. The whole file is read first; each hive it
// touches then changes once, so a refused hive (a running wineserver) changes nothing at all.
#pragma once

#include <string>
#include <string_view>

#include "platform/RegistryStore.h"

namespace nubrix::registry {

struct TRegImportResult {
  int Changes = 0;    // keys and values written or deleted
  std::string Error;  // the first error, "" when everything was imported
};

TRegImportResult ImportRegText(platform::IRegistryStore& store, std::string_view fileBytes);

// The question asked before an import, and the notes after it.
std::string ImportQuestion(const std::string& shownFileName);
std::string ImportSuccessNote(const std::string& shownFileName);
std::string ImportErrorNote(const std::string& shownFileName, const std::string& error);

}  // namespace nubrix::registry
