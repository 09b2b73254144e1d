// The points of the two charts for one folder of the size tree: one per child, one for the
// folder's own files and, at the root of a mounted file system, one for the free space.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "charts/ChartModel.h"
#include "charts/ChartPalette.h"
#include "sizetree/SizeTreeU.h"
#include "ui/DisplayText.h"

namespace nubrix {

enum class TSortMode : std::uint8_t { ByName = 0, BySize = 1, None = 2 };

inline constexpr const char* kOwnFilesLabel = "<All files in folder>";
inline constexpr const char* kFreeSpaceLabel = "<Emty space on disc>";

// v with its fraction rounded to hundredths, halves to the even neighbour (1.2350 -> 1.24,
// 1.2250 -> 1.22, -0.0050 -> 0).
SizeMB RoundToHundredths(SizeMB value);

struct TFolderChartInput {
  TSortMode SortMode = TSortMode::ByName;
  TChartPalette Palette = kChartPalette;
  bool ShowFreeSpace = false;
  // Whether a folder path is the root of a mounted file system.
  std::function<bool(const std::string& path)> IsMountRoot;
  // Free bytes available to the user on the file system of a path; nullopt when unknown.
  std::function<std::optional<std::int64_t>(const std::string& path)> FreeBytes;
  // What a child folder's mark adds about its change since an earlier scan; unset for nothing.
  std::function<QString(const TSizeFolder& folder)> ChangeText;
};

// Sorts folder's children by the mode (in place) and fills series with the points.
void BuildFolderPoints(TSizeFolder& folder, const TFolderChartInput& input,
                       charts::TChartSeries& series);

// "Folder Sizes in: " followed by the folder's path as shown.
QString FolderChartTitle(const TSizeFolder& folder);

}  // namespace nubrix
