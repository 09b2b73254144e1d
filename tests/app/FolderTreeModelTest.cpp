#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include "app/FolderTreeModel.h"
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

// The window's way to a folder: listed in the background, a listing under way waited for, not
// repeated; only the newest reveal is answered.
TEST(FolderTreeModelTest, RevealListsTheWayInTheBackground) {
  test::TTempTree disk("a/b/c/\nx/");
  TFolderTreeModel model;
  QSignalSpy done(&model, &TFolderTreeModel::ListingDone);
  model.fetchMore(model.index(0, 0));  // "/" is being listed when the reveal comes
  std::vector<std::string> found;
  const auto record = [&](const QModelIndex& index) { found.push_back(model.PathOf(index)); };
  model.Reveal(disk / "x", record);
  model.Reveal(disk / "a/b/c", record);
  EXPECT_TRUE(found.empty()) << "nothing listed on the caller's thread";
  ASSERT_TRUE(QTest::qWaitFor([&] { return !found.empty(); }, 10000));
  EXPECT_EQ(found, std::vector<std::string>{disk / "a/b/c"});
  const int listings = static_cast<int>(done.count());
  model.Reveal(disk / "a/b", record);
  EXPECT_EQ(found.back(), disk / "a/b") << "listed already: answered at once";
  model.Reveal(disk / "a/missing", record);
  EXPECT_EQ(found.back(), "");
  EXPECT_EQ(done.count(), listings) << "no folder listed twice";
}

TEST(FolderTreeModelTest, FollowsFoldersThatComeAndGo) {
  test::TTempTree disk("b/\nd/inner/\nf/");
  TFolderTreeModel model;
  const QModelIndex top = model.IndexOf(disk.Root());
  const QModelIndex d = model.IndexOf(disk / "d");
  ASSERT_TRUE(d.isValid());
  model.IndexOf(disk / "d/inner");  // d is listed and stays listed through the changes
  QSignalSpy done(&model, &TFolderTreeModel::ListingDone);
  mkdir((disk / "a").c_str(), 0755);
  mkdir((disk / "e").c_str(), 0755);
  rmdir((disk / "f").c_str());
  auto names = [&] {
    std::vector<std::string> shown;
    for (int row = 0; row < model.rowCount(top); ++row)
      shown.push_back(model.PathOf(model.index(row, 0, top)));
    return shown;
  };
  const std::vector<std::string> expected{disk / "a", disk / "b", disk / "d", disk / "e"};
  for (int i = 0; i < 20 && names() != expected; ++i) done.wait(250);
  EXPECT_EQ(names(), expected);
  const QModelIndex stillD = model.IndexOf(disk / "d");
  EXPECT_EQ(model.rowCount(stillD), 1) << "a folder that stays keeps its items";
  for (int row = 0; row < model.rowCount(top); ++row)
    EXPECT_EQ(model.index(row, 0, top).row(), row);
}

}  // namespace
}  // namespace nubrix
