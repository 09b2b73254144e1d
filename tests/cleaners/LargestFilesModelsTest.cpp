// The "Largest files" models under the model tester: sorting by any column with checks that stay
// with their files, the type filter, removal, and the types' share of the folder.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>

#include "cleaners/LargestFiles.h"
#include "cleaners/models/LargestFilesModels.h"

namespace nubrix {
namespace {

TLargeFile File(const std::string& folder, const std::string& name, std::uint64_t size,
                std::int64_t modified = 0) {
  TLargeFile file;
  file.Path = folder + name;
  file.NameStart = folder.size();
  file.Size = size;
  file.Modified = modified;
  return file;
}

QString Name(const TLargeFilesModel& model, int row) {
  return model.index(row, kLargeNameColumn).data().toString();
}

TEST(LargeFilesModelTest, SortsFiltersAndKeepsChecksWithTheirFiles) {
  TLargeFilesModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.Assign({File("/z/", "big.ISO", 3 << 20, 30), File("/a/", "\xff.log", 2048, 10),
                File("/m/", "notes", 2048, 20), File("/a/", "b.log", 1, 40)});
  EXPECT_EQ(Name(model, 0), QStringLiteral("big.ISO")) << "largest first";
  EXPECT_EQ(Name(model, 1), QStringLiteral("\uFFFD.log")) << "equal sizes by path";
  EXPECT_EQ(model.index(0, kLargeSizeColumn).data().toString(), QStringLiteral("3.000 MB"));
  EXPECT_EQ(model.index(1, kLargeSizeColumn).data(Qt::ToolTipRole).toString(),
            QStringLiteral("2,048 bytes"));
  EXPECT_EQ(model.index(0, kLargeTypeColumn).data().toString(), QStringLiteral("iso"));
  EXPECT_EQ(model.index(1, 0).data(TLargeFilesModel::kPathRole).toByteArray(),
            QByteArray("/a/\xff.log"));
  EXPECT_TRUE(model.CheckedFiles().empty()) << "nothing is checked until the user checks it";
  EXPECT_TRUE(model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole));
  const QPersistentModelIndex checked = model.index(2, 0);
  model.sort(kLargeModifiedColumn, Qt::AscendingOrder);
  EXPECT_EQ(Name(model, 0), QStringLiteral("\uFFFD.log"));
  EXPECT_EQ(Name(model, checked.row()), QStringLiteral("notes"));
  EXPECT_EQ(checked.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
  model.sort(kLargeFolderColumn, Qt::DescendingOrder);
  EXPECT_EQ(Name(model, 0), QStringLiteral("big.ISO"));
  model.SetTypeFilter("log");
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(Name(model, 0), QStringLiteral("b.log")) << "one folder: by path, in either order";
  EXPECT_TRUE(model.CheckedFiles().empty()) << "a checked file that is not shown does not go";
  model.SetAllChecked(true);
  model.SetTypeFilter("");
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.CheckedFiles().front().Path, "/m/notes");
  model.SetTypeFilter(std::nullopt);
  EXPECT_EQ(model.CheckedFiles().size(), 3U);
  model.RemovePaths({"/a/b.log", "/nowhere"});
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.CheckedFiles().size(), 2U);
}

TEST(FileTypesModelTest, ShareOfTheFolderAndWhatARowStandsFor) {
  TFileTypesModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.Assign({{"iso", 1, 750}, {"", 3, 250}}, 1000);
  EXPECT_EQ(model.index(0, TFileTypesModel::kShareColumn).data().toString(),
            QStringLiteral("75.0 %"));
  EXPECT_EQ(model.index(1, TFileTypesModel::kExtensionColumn).data().toString(),
            QStringLiteral("(none)"));
  EXPECT_EQ(model.ExtensionAt(1), "");
  model.Assign({}, 0);
  EXPECT_EQ(model.rowCount(), 0);
}

TEST(LargestFilesTest, FilesThatWentLeaveTheListsAndTheTotals) {
  TFileStats stats;
  stats.Largest = {File("/a/", "x.iso", 700), File("/a/", "y.iso", 200), File("/b/", "z", 50)};
  stats.Types = {{"iso", 5, 1000}, {"", 1, 50}};
  stats.Files = 6;
  stats.Bytes = 1050;
  RemoveFromStats(stats, {File("/a/", "x.iso", 700), File("/b/", "z", 50)});
  ASSERT_EQ(stats.Largest.size(), 1U);
  EXPECT_EQ(stats.Largest[0].Path, "/a/y.iso");
  ASSERT_EQ(stats.Types.size(), 1U) << "a type with no file left goes";
  EXPECT_EQ(stats.Types[0].Files, 4U);
  EXPECT_EQ(stats.Types[0].Bytes, 300U);
  EXPECT_EQ(stats.Bytes, 300U);
  const platform::TListedItem item = ListedLargeFile(stats.Largest[0]);
  EXPECT_EQ(item.Path, "/a/y.iso");
  EXPECT_TRUE(item.Folder && item.Item) << "a move must find that very file again";
}

}  // namespace
}  // namespace nubrix
