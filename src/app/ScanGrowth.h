// What the window knows of the growth since the last scan of the same folder: per folder of the
// shown tree its total in the earlier scan, and the texts the marks and the status bar show.
#pragma once

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "programdb/ScanRecord.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix {

inline const QString kNewFolderText = QStringLiteral("new");

class TScanGrowth {
 public:
  enum class TState : std::uint8_t { Unknown, NoEarlierScan, Compared, Unavailable };

  void Clear();
  // folders: the folder of each entry of the snapshot that was compared.
  void Assign(const std::vector<const TSizeFolder*>& folders, const TScanComparison& comparison);
  void SetNoEarlierScan();
  // The record could not be read or written.
  void SetUnavailable();
  TState State() const { return State_; }

  // "+1,234.5 MB", "-12 MB", "new", or empty: unchanged, or nothing compared.
  QString ChangeText(const TSizeFolder& folder) const;
  // For the status bar: the date of the earlier scan and the change of folder.
  QString StatusText(const TSizeFolder& folder) const;

 private:
  // Sorted by folder: a tenth of a hash map's memory for a tree of 100,000 folders.
  std::vector<std::pair<const TSizeFolder*, SizeMB>> Before_;
  std::int64_t EarlierTime_ = 0;
  TState State_ = TState::Unknown;
};

// "2026-12-08 14:03", local time.
QString ScanTimeText(std::int64_t secondsSinceEpoch);

}  // namespace nubrix
