#include <gtest/gtest.h>

#include "app/ChartBuilding.h"
#include "app/StatusTexts.h"

namespace nubrix {
namespace {

TEST(RoundToHundredthsTest, HalvesGoToTheEvenHundredth) {
  const std::pair<SizeMB, SizeMB> cases[] = {
      {12350, 12400}, {12250, 12200}, {50, 0},  {150, 200}, {12345, 12300},
      {12351, 12400}, {-2350, -2400}, {-50, 0}, {0, 0},     {123456789, 123456800}};
  for (auto [in, out] : cases) EXPECT_EQ(RoundToHundredths(in), out) << in;
}

TEST(ColourWalkTest, WalksBackAndForth) {
  TColourWalk walk;
  std::vector<int> positions;
  for (int i = 0; i < 13; ++i) positions.push_back(walk.Next());
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 4, 3, 2, 1, 0, 1, 2}));
}

class FolderPointsTest : public testing::Test {
 protected:
  void SetUp() override { root_ = tree_.TopFolder().AddChild("/data/"); }
  TSizeFolder* Add(const std::string& name, SizeMB own) {
    TSizeFolder* child = root_->AddChild("/data/" + name);
    child->SetName(name);
    child->AddOwnSize(own);
    return child;
  }
  std::vector<std::string> Labels(const charts::TChartSeries& series) {
    std::vector<std::string> labels;
    for (const auto& point : series.Points()) labels.push_back(point.Label);
    return labels;
  }
  TSizeTree tree_;
  TSizeFolder* root_ = nullptr;
  charts::TChartSeries series_;
};

TEST_F(FolderPointsTest, ChildPointsThenTheOwnFiles) {
  Add("Sub", 50);   // 0.005 MB shows as 0
  Add("Two", 150);  // 0.015 MB shows as 0.02
  root_->AddOwnSize(1234);
  TFolderChartInput input;
  input.SortMode = TSortMode::None;
  BuildFolderPoints(*root_, input, series_);
  ASSERT_EQ(series_.Count(), 3);
  EXPECT_EQ(series_.Point(0).Label, "Sub");
  EXPECT_DOUBLE_EQ(series_.Point(0).Value, 0);
  EXPECT_DOUBLE_EQ(series_.Point(1).Value, 0.02);
  EXPECT_EQ(series_.Point(0).Color, kChartPalette[0]);
  EXPECT_EQ(series_.Point(1).Color, kChartPalette[1]);
  EXPECT_EQ(series_.Point(2).Label, kOwnFilesLabel);
  EXPECT_DOUBLE_EQ(series_.Point(2).Value, 0.1234) << "the own files keep four decimals";
  EXPECT_EQ(series_.Point(2).Color, 0x000080u);
  EXPECT_EQ(FolderChartTitle(*root_), QStringLiteral("Folder Sizes in: /data/"));
  EXPECT_EQ(FolderChartTitle(*root_->Child(0)), QStringLiteral("Folder Sizes in: /data/Sub"));
}

TEST_F(FolderPointsTest, ElevenChildrenWalkThePalette) {
  for (int i = 0; i < 11; ++i) Add("c" + std::to_string(i), i);
  TFolderChartInput input;
  input.SortMode = TSortMode::None;
  BuildFolderPoints(*root_, input, series_);
  const int expected[] = {0, 1, 2, 3, 4, 5, 4, 3, 2, 1, 0};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(series_.Point(i).Color, kChartPalette[expected[i]]) << i;
}

TEST_F(FolderPointsTest, SortModesOrderTheChildrenInPlace) {
  Add("b", 50000);
  Add("B", 10000);
  Add("a", 30000);
  TFolderChartInput input;
  BuildFolderPoints(*root_, input, series_);
  EXPECT_EQ(Labels(series_), (std::vector<std::string>{"b", "a", "B", kOwnFilesLabel}));
  input.SortMode = TSortMode::BySize;
  BuildFolderPoints(*root_, input, series_);
  EXPECT_EQ(Labels(series_), (std::vector<std::string>{"B", "a", "b", kOwnFilesLabel}));
  input.SortMode = TSortMode::None;  // keeps the last order
  BuildFolderPoints(*root_, input, series_);
  EXPECT_EQ(Labels(series_), (std::vector<std::string>{"B", "a", "b", kOwnFilesLabel}));
  EXPECT_EQ(root_->Child(0)->Name(), "B");
}

TEST_F(FolderPointsTest, FreeSpaceOnlyAtAMountRootAndOnlyWhenAsked) {
  Add("x", 1);
  TFolderChartInput input;
  input.IsMountRoot = [](const std::string& path) { return path == "/data/"; };
  input.FreeBytes = [](const std::string&) {
    return std::optional<std::int64_t>(5LL * 1024 * 1024 + 1023);
  };
  BuildFolderPoints(*root_, input, series_);
  EXPECT_EQ(series_.Count(), 2) << "not asked";
  input.ShowFreeSpace = true;
  BuildFolderPoints(*root_, input, series_);
  ASSERT_EQ(series_.Count(), 3);
  EXPECT_EQ(series_.Point(2).Label, kFreeSpaceLabel);
  EXPECT_DOUBLE_EQ(series_.Point(2).Value, 5) << "whole megabytes, truncated";
  EXPECT_EQ(series_.Point(2).Color, 0xFFFFFFu);
  input.FreeBytes = [](const std::string&) { return std::optional<std::int64_t>(); };
  BuildFolderPoints(*root_, input, series_);
  EXPECT_DOUBLE_EQ(series_.Point(2).Value, 0) << "unknown free space still gets its point";
  BuildFolderPoints(*root_->Child(0), input, series_);
  EXPECT_EQ(series_.Count(), 1) << "a folder below the mount root gets none";
}

TEST(StatusTextsTest, ElapsedTimeAndFolderCount) {
  using std::chrono::milliseconds;
  EXPECT_EQ(ElapsedText(milliseconds(7083)), QStringLiteral("  00:07:83 ms"));
  EXPECT_EQ(ElapsedText(milliseconds(65500)), QStringLiteral("  01:05:500 ms"));
  EXPECT_EQ(ElapsedText(milliseconds(3)), QStringLiteral("  00:00:03 ms"));
  EXPECT_EQ(ElapsedText(milliseconds(3600000 + 61001)), QStringLiteral("  01:01:01 ms"))
      << "no hours";
  EXPECT_EQ(DirectoriesText(1234), QStringLiteral("1234 Directories"));
}

}  // namespace
}  // namespace nubrix
