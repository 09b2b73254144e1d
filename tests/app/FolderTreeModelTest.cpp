#include "app/FolderTreeModel.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <unistd.h>

#include "support/TempTree.h"

namespace nubrix {
namespace {

TEST(FolderTreeModelTest, ListsFoldersByBytesAndFindsThemAgain) {
  test::TTempTree disk("b/\nA/\n\xff\xfe-latin/inner/\n.hidden/\nfile=10");
  symlink((disk / "A").c_str(), (disk / "link-to-A").c_str());
  const std::vector<std::string> names = ListSubfolderNames(disk.Root());
  EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "link-to-A", "\xff\xfe-latin"}));

  TFolderTreeModel model;
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.PathOf(model.index(0, 0)), "/");
  const QModelIndex inner = model.IndexOf(disk / "\xff\xfe-latin/inner");
  ASSERT_TRUE(inner.isValid());
  EXPECT_EQ(model.PathOf(inner), disk / "\xff\xfe-latin/inner");
  const QByteArray bytes = model.data(inner, TFolderTreeModel::kPathRole).toByteArray();
  EXPECT_EQ(bytes.toStdString(), disk / "\xff\xfe-latin/inner") << "the path role keeps the bytes";
  EXPECT_EQ(model.data(inner.parent()).toString(), QString::fromUtf8("\xff\xfe-latin"));
  EXPECT_FALSE(model.IndexOf(disk / ".hidden").isValid());
  EXPECT_FALSE(model.IndexOf(disk / "missing").isValid());
  EXPECT_EQ(model.PathOf(model.IndexOf("/")), "/");
  EXPECT_TRUE(model.hasChildren(inner)) << "unknown until listed";
  // Expanding lists in the background; the items arrive on the model's thread.
  const QModelIndex top = model.IndexOf(disk.Root());
  QSignalSpy done(&model, &TFolderTreeModel::ListingDone);
  model.fetchMore(inner);
  EXPECT_TRUE(model.Listing());
  EXPECT_FALSE(model.canFetchMore(inner)) << "not twice";
  ASSERT_TRUE(done.wait(5000));
  EXPECT_FALSE(model.hasChildren(inner));
  EXPECT_EQ(model.rowCount(top), 4);
}

}  // namespace
}  // namespace nubrix
