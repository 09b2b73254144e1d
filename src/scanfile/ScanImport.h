// Reads a scan file in the common JSON export format of the field (major version 1: what other
// analyzers write with their export option, and what ExportScan writes), plain or
// zstd-compressed, into a size tree. Every entry counts as the file lists it: the machine that
// scanned decided what to include. A folder's own bytes are the apparent sizes of its entries
// that are not folders. The reader streams and keeps its own stack on the heap, so neither the
// file's length nor its depth is limited by memory beyond the tree itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "sizetree/FileStats.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix {

struct TScanFile {
  TSizeTree Tree;
  TFileStats Files;     // the largest files and the file types, as a scan collects them
  std::string Program;  // who wrote the file ("progname"), and its version
  std::string ProgramVersion;
  std::int64_t Timestamp = 0;  // when it scanned, seconds since the epoch; 0 when not said
  std::uint64_t Entries = 0;
};

struct TImportOptions {
  std::size_t LargestCount = kDefaultLargestCount;
  const std::atomic<bool>* Cancel = nullptr;
};

// Reads the file from the open descriptor in into scan. An empty string when it loaded, else why
// not, naming the byte offset where reading stopped; scan is then of no use.
std::string ImportScan(int in, TScanFile& scan, const TImportOptions& options = {});

}  // namespace nubrix
