// The temp-file page's two models under the model tester: check boxes, byte paths, sorting.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>

#include "cleaners/models/TempFilesModels.h"

namespace nubrix {
namespace {

TEST(TmpTypesModelTest, RowsChecksAndMasks) {
  TTmpTypesModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.SetAllChecked(true);  // an empty list: nothing happens
  model.Assign({{"*.tmp", "Temp"}, {"*.bak", "Backup"}});
  model.Append({"*.old", "Old", false});  // added unchecked
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("ext"));
  EXPECT_EQ(model.CheckedMasks(), (std::vector<std::string>{"*.tmp", "*.bak"}));
  EXPECT_TRUE(model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole));
  EXPECT_TRUE(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
  EXPECT_EQ(model.CheckedMasks(), (std::vector<std::string>{"*.bak", "*.old"}));
  model.SetAllChecked(false);
  EXPECT_TRUE(model.CheckedMasks().empty());
  model.Remove(1);
  model.Remove(7);
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.index(1, 1).data().toString(), QStringLiteral("Old"));
}

TEST(TempFilesModelTest, TextsPathsChecksSortingAndRemoval) {
  TTempFilesModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.SetLooks({}, {}, {}, ',');
  model.Append({{"b.tmp", "/x/", 1000}, {"\xff.tmp", "/A/", 512}, {"A.tmp", "/x/", 5000000}});
  EXPECT_EQ(model.index(0, kTempSizeColumn).data().toString(), QStringLiteral("0,98 kb"));
  EXPECT_EQ(model.index(1, kTempFileNameColumn).data().toString(), QStringLiteral("\uFFFD.tmp"));
  EXPECT_EQ(model.index(1, 0).data(TTempFilesModel::kPathRole).toByteArray(),
            QByteArray("/A/\xff.tmp"));
  EXPECT_EQ(model.index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked)
      << "added checked";
  const QPersistentModelIndex big(model.index(2, 0));
  model.sort(kTempSizeColumn, Qt::DescendingOrder);
  EXPECT_EQ(model.Rows().front().FileName, "A.tmp");
  EXPECT_EQ(big.row(), 0);
  model.sort(kTempFileNameColumn, Qt::AscendingOrder);
  EXPECT_EQ(model.Rows()[0].FileName, "A.tmp");
  EXPECT_EQ(model.Rows()[1].FileName, "b.tmp");
  model.sort(kTempFolderColumn, Qt::AscendingOrder);
  EXPECT_EQ(model.Rows()[0].Folder, "/A/");
  model.SetLooks(QStringLiteral("document"), QStringLiteral("folder"), {}, ',');
  model.SetFocusedLooks(QStringLiteral("highlighted document"), QStringLiteral("open folder"));
  model.SetFocusedRow(1);
  EXPECT_EQ(model.index(0, 0).data(Qt::DecorationRole).toString(), QStringLiteral("document"));
  EXPECT_EQ(model.index(1, 0).data(Qt::DecorationRole).toString(),
            QStringLiteral("highlighted document"));
  EXPECT_EQ(model.index(1, 1).data(Qt::DecorationRole).toString(), QStringLiteral("open folder"));
  EXPECT_FALSE(model.index(1, 2).data(Qt::DecorationRole).isValid()) << "no picture for the size";
  model.SetAllChecked(false);
  EXPECT_FALSE(model.Rows()[0].Checked);
  model.RemoveRows({2, 0, 2});
  ASSERT_EQ(model.rowCount(), 1);
  model.Clear();
  EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace nubrix
