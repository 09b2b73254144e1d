#include "app/ScanGrowth.h"

#include <QDateTime>
#include <algorithm>
#include <functional>

#include "charts/NumberFormat.h"

namespace nubrix {

void TScanGrowth::Clear() {
  Before_.clear();
  Before_.shrink_to_fit();
  State_ = TState::Unknown;
}

void TScanGrowth::Assign(const std::vector<const TSizeFolder*>& folders,
                         const TScanComparison& comparison) {
  Before_.clear();
  Before_.shrink_to_fit();
  Before_.reserve(std::min(folders.size(), comparison.Before.size()));
  for (std::size_t i = 0; i < folders.size() && i < comparison.Before.size(); ++i) {
    Before_.emplace_back(folders[i], comparison.Before[i]);
  }
  std::sort(Before_.begin(), Before_.end());
  EarlierTime_ = comparison.EarlierTime;
  State_ = TState::Compared;
}

void TScanGrowth::SetNoEarlierScan() {
  Before_.clear();
  State_ = TState::NoEarlierScan;
}

void TScanGrowth::SetUnavailable() {
  Before_.clear();
  State_ = TState::Unavailable;
}

QString TScanGrowth::ChangeText(const TSizeFolder& folder) const {
  const auto found = std::lower_bound(
      Before_.begin(), Before_.end(), &folder,
      [](const std::pair<const TSizeFolder*, SizeMB>& entry, const TSizeFolder* key) {
        return std::less<const TSizeFolder*>()(entry.first, key);
      });
  if (found == Before_.end() || found->first != &folder) return {};
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
    case TState::Unavailable:
      return QStringLiteral("No comparison: the scan record cannot be used");
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
