#include "app/ChartBuilding.h"

#include "platform/Paths.h"

namespace nubrix {

SizeMB RoundToHundredths(SizeMB value) {
  constexpr SizeMB kUnitsPerHundredth = kUnitsPerMB / 100;
  const SizeMB whole = value / kUnitsPerMB * kUnitsPerMB;  // truncated toward zero
  const SizeMB fraction = value - whole;                   // same sign as value
  SizeMB hundredths = fraction / kUnitsPerHundredth;
  const SizeMB rest = fraction % kUnitsPerHundredth;
  const SizeMB twice = 2 * (rest < 0 ? -rest : rest);
  if (twice > kUnitsPerHundredth || (twice == kUnitsPerHundredth && hundredths % 2 != 0)) {
    hundredths += rest < 0 ? -1 : 1;
  }
  return whole + hundredths * kUnitsPerHundredth;
}

QString FolderChartTitle(const TSizeFolder& folder) {
  return QStringLiteral("Folder Sizes in: ") + DisplayPath(folder.Path());
}

void BuildFolderPoints(TSizeFolder& folder, const TFolderChartInput& input,
                       charts::TChartSeries& series) {
  series.Clear();
  if (input.SortMode == TSortMode::ByName) SortChildrenByName(&folder);
  if (input.SortMode == TSortMode::BySize) SortChildrenBySize(&folder);
  series.Reserve(static_cast<std::size_t>(folder.ChildCount()) + 2);
  TColourWalk walk;
  for (int i = 0; i < folder.ChildCount(); ++i) {
    const TSizeFolder* child = folder.Child(i);
    const SizeMB total = RoundToHundredths(child->TotalSize());
    const std::string path = child->Path();
    const std::size_t slash = path.rfind('/');
    series.Add(static_cast<double>(total) / kUnitsPerMB,
               slash == std::string::npos ? path : path.substr(slash + 1),
               input.Palette[static_cast<std::size_t>(walk.Next())],
               input.ChangeText ? input.ChangeText(*child) : QString());
  }
  series.Add(static_cast<double>(folder.OwnSize()) / kUnitsPerMB, kOwnFilesLabel, kOwnFilesColour);
  const std::string path = folder.Path();
  if (input.ShowFreeSpace && input.IsMountRoot && input.IsMountRoot(path)) {
    const std::optional<std::int64_t> bytes =
        input.FreeBytes ? input.FreeBytes(path) : std::nullopt;
    // Unknown free space still gets its point, with nothing in it.
    const std::int64_t megabytes = bytes ? *bytes / 1024 / 1024 : 0;
    series.Add(static_cast<double>(megabytes), kFreeSpaceLabel, kFreeSpaceColour);
  }
}

}  // namespace nubrix
