// The shortcut rows as a model: checked by the model's own tester, check boxes, byte paths beside
// the shown text, sorting in the model, rows taken out after a deletion.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QPersistentModelIndex>

#include "cleaners/models/ShortcutRowsModel.h"

namespace nubrix {
namespace {

class ShortcutRowsModelTest : public testing::Test {
 protected:
  void SetUp() override {
    model_.Add({"b.desktop", "/usr/bin/b", "Broken", "/apps/b.desktop", true, kConditionBroken});
    model_.Add({"\xff.lnk", "", "undefined", "/apps/\xff.lnk", false, kConditionUndefined});
    model_.Add({"a.desktop", "/usr/bin/a", "OK", "/apps/a.desktop", false, kConditionOk});
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const TShortcutRow& row : model_.Rows()) captions.push_back(row.Caption);
    return captions;
  }
  TShortcutRowsModel model_;
  QAbstractItemModelTester tester_{&model_, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ShortcutRowsModelTest, ColumnsCheckBoxesAndBytePaths) {
  ASSERT_EQ(model_.rowCount(), 3);
  ASSERT_EQ(model_.columnCount(), 4);
  EXPECT_EQ(model_.headerData(1, Qt::Horizontal).toString(),
            QStringLiteral("Target Application / Folder path"));
  const QModelIndex odd = model_.index(1, TShortcutRowsModel::kCaptionColumn);
  EXPECT_EQ(odd.data().toString(), QStringLiteral("\uFFFD.lnk")) << "shown text";
  EXPECT_EQ(odd.data(TShortcutRowsModel::kPathRole).toByteArray(), QByteArray("/apps/\xff.lnk"))
      << "the bytes";
  EXPECT_EQ(model_.index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
  EXPECT_TRUE(model_.flags(model_.index(0, 0)) & Qt::ItemIsUserCheckable);
  EXPECT_FALSE(model_.flags(model_.index(0, 2)) & Qt::ItemIsUserCheckable);
  EXPECT_TRUE(model_.setData(odd, Qt::Checked, Qt::CheckStateRole));
  EXPECT_TRUE(model_.Row(1).Checked);
  EXPECT_FALSE(model_.setData(model_.index(1, 2), Qt::Checked, Qt::CheckStateRole));
  EXPECT_EQ(model_.index(2, 2).data(TShortcutRowsModel::kConditionRole).toInt(), kConditionOk);
}

TEST_F(ShortcutRowsModelTest, SortingKeepsPersistentIndexesOnTheirRows) {
  const QPersistentModelIndex broken(model_.index(0, 0));
  model_.sort(TShortcutRowsModel::kCaptionColumn, Qt::AscendingOrder);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a.desktop", "b.desktop", "\xff.lnk"}))
      << "by bytes";
  EXPECT_EQ(broken.row(), 1);
  model_.sort(TShortcutRowsModel::kConditionColumn, Qt::DescendingOrder);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"\xff.lnk", "b.desktop", "a.desktop"}))
      << "by condition value";
  EXPECT_EQ(broken.data().toString(), QStringLiteral("b.desktop"));
}

TEST_F(ShortcutRowsModelTest, ClearingAddingAndRemovingWhatWent) {
  model_.RemovePaths({"/apps/b.desktop", "/apps/a.desktop", "/not/listed"});
  EXPECT_EQ(Captions(), std::vector<std::string>{"\xff.lnk"});
  model_.Clear();
  EXPECT_EQ(model_.rowCount(), 0);
  TCleanShortcut().ListEmptyFolders("", model_);  // the model is the listing's sink
  EXPECT_EQ(model_.rowCount(), 0);
}

}  // namespace
}  // namespace nubrix

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
