#include "app/ScanGrowth.h"

#include <QDateTime>

#include "charts/NumberFormat.h"

namespace nubrix {

void TScanGrowth::Clear() {
  Before_.clear();
  State_ = TState::Unknown;
}

void TScanGrowth::Assign(const std::vector<const TSizeFolder*>& folders,
                         const TScanComparison& comparison) {
  Before_.clear();
  Before_.reserve(folders.size());
  for (std::size_t i = 0; i < folders.size() && i < comparison.Before.size(); ++i) {
    Before_.emplace(folders[i], comparison.Before[i]);
  }
  EarlierTime_ = comparison.EarlierTime;
  State_ = TState::Compared;
}

void TScanGrowth::SetNoEarlierScan() {
  Before_.clear();
  State_ = TState::NoEarlierScan;
}

QString TScanGrowth::ChangeText(const TSizeFolder& folder) const {
  const auto found = Before_.find(&folder);
  if (found == Before_.end()) return {};
  if (found->second == kNewFolder) return kNewFolderText;
  return charts::FormatChange(static_cast<double>(folder.TotalSize() - found->second) /
                              kUnitsPerMB);
}

QString TScanGrowth::StatusText(const TSizeFolder& folder) const {
  switch (State_) {
    case TState::Unknown:
      return {};
    case TState::NoEarlierScan:
      return QStringLiteral("No earlier scan to compare with");
    case TState::Compared:
      break;
  }
  QString change = ChangeText(folder);
  if (change.isEmpty()) change = QStringLiteral("unchanged");
  return QStringLiteral("Since %1: %2").arg(ScanTimeText(EarlierTime_), change);
}

QString ScanTimeText(std::int64_t secondsSinceEpoch) {
  return QDateTime::fromSecsSinceEpoch(secondsSinceEpoch)
      .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}

}  // namespace nubrix
