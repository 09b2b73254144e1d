#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sizetree/SizeTreeU.h"

namespace nubrix {
namespace {

// A tree built by hand under the scan root "/data/".
class SizeTreeTest : public testing::Test {
 protected:
  TSizeFolder* Root() { return tree_.ScanRoot(); }
  TSizeFolder* Add(TSizeFolder* parent, const std::string& name) {
    std::string path = parent->Path();
    AppendPathSegment(path, name);
    TSizeFolder* child = parent->AddChild(path);
    child->SetName(name);
    return child;
  }
  static std::vector<std::string> Names(const TSizeFolder* folder) {
    std::vector<std::string> names;
    for (int i = 0; i < folder->ChildCount(); ++i) names.push_back(folder->Child(i)->Name());
    return names;
  }
  void SetUp() override { tree_.TopFolder().AddChild("/data/")->SetName("/data/"); }
  TSizeTree tree_;
};

TEST_F(SizeTreeTest, NewTreeHasOnlyAnEmptyTopFolder) {
  TSizeTree fresh;
  EXPECT_EQ(fresh.ScanRoot(), nullptr);
  EXPECT_EQ(fresh.TopFolder().ChildCount(), 0);
  EXPECT_EQ(fresh.TopFolder().Path(), "");
  EXPECT_EQ(fresh.TopFolder().Parent(), nullptr);
  EXPECT_THROW(fresh.FindFolder("/x"), TAssertionFailure);
}

TEST_F(SizeTreeTest, PathsJoinWithOneSeparator) {
  TSizeFolder* sub = Add(Root(), "Sub");
  TSizeFolder* deeper = Add(sub, "deeper");
  EXPECT_EQ(Root()->Path(), "/data/");
  EXPECT_EQ(sub->Path(), "/data/Sub");
  EXPECT_EQ(deeper->Path(), "/data/Sub/deeper");
  EXPECT_EQ(GetParent(deeper), sub);
  EXPECT_EQ(GetParent(Root()), &tree_.TopFolder());

  TSizeTree atSlash;
  TSizeFolder* slashRoot = atSlash.TopFolder().AddChild("/");
  EXPECT_EQ(slashRoot->AddChild("/usr")->Path(), "/usr");
  // A path that does not extend its parent's is kept as given.
  EXPECT_EQ(slashRoot->AddChild("/elsewhere/x")->Path(), "/elsewhere/x");
}

TEST_F(SizeTreeTest, PreconditionsRaiseAssertionFailuresAndChangeNothing) {
  Add(Root(), "a");
  auto expectFailure = [](auto&& call) {
    try {
      call();
      ADD_FAILURE() << "no assertion failure";
    } catch (const TAssertionFailure& failure) {
      const std::string text = failure.what();
      EXPECT_NE(text.find("Assertion failure"), std::string::npos) << text;
      EXPECT_NE(text.find("SizeTreeU"), std::string::npos) << text;
    }
  };
  expectFailure([&] { Root()->AddChild(""); });
  expectFailure([&] { Root()->Child(1); });
  expectFailure([&] { Root()->Child(-1); });
  expectFailure([&] { GetParent(nullptr); });
  EXPECT_EQ(Root()->ChildCount(), 1);
}

TEST_F(SizeTreeTest, FindFolderIgnoresOneTrailingSeparatorButNotCase) {
  TSizeFolder* sub = Add(Root(), "Sub");
  TSizeFolder* other = Add(Root(), "Other");
  TSizeFolder* inner = Add(other, "Sub");
  EXPECT_EQ(tree_.FindFolder("/data/Sub/"), sub);
  EXPECT_EQ(tree_.FindFolder("/data/Sub"), sub);
  EXPECT_EQ(tree_.FindFolder("/data/Other/Sub"), inner);
  EXPECT_EQ(tree_.FindFolder("/data/sub"), Root());
  EXPECT_EQ(tree_.FindFolder("/data/Sub//"), Root());
  EXPECT_EQ(tree_.FindFolder("/data/"), Root());
  EXPECT_EQ(tree_.FindFolder("/data"), Root());
  EXPECT_EQ(tree_.FindFolder(""), Root());
}

TEST_F(SizeTreeTest, FindFolderTakesTheFirstMatchInPreOrder) {
  // Hand-built trees may hold the same path twice; the first one in pre-order wins.
  TSizeFolder* a = Add(Root(), "a");
  TSizeFolder* nested = a->AddChild("/data/b");
  Add(Root(), "b");
  EXPECT_EQ(tree_.FindFolder("/data/b"), nested);
}

TEST_F(SizeTreeTest, SortByNameIsDescendingByteOrder) {
  for (const char* name : {"b", "B", "a"}) Add(Root(), name);
  SortChildrenByName(Root());
  EXPECT_EQ(Names(Root()), (std::vector<std::string>{"b", "a", "B"}));

  // Bytes compare unsigned, and a prefix is the smaller string.
  TSizeFolder* mixed = Add(Root(), "mixed");
  for (const char* name : {"ab", "a", "\xc3\xa9t\xc3\xa9", "z", "\xff"}) Add(mixed, name);
  SortChildrenByName(mixed);
  EXPECT_EQ(Names(mixed), (std::vector<std::string>{"\xff", "\xc3\xa9t\xc3\xa9", "z", "ab", "a"}));
}

TEST_F(SizeTreeTest, CompareByNameAndBySizeSigns) {
  TSizeFolder* a = Add(Root(), "a");
  TSizeFolder* b = Add(Root(), "b");
  EXPECT_EQ(CompareByName(a, b), 1);
  EXPECT_EQ(CompareByName(b, a), -1);
  EXPECT_EQ(CompareByName(a, a), 0);
  TSizeFolder* deep = Add(b, "x");  // not a sibling: whole paths compare
  EXPECT_EQ(CompareByName(b, deep), 1);
  a->AddOwnSize(30);
  b->AddOwnSize(10);
  EXPECT_EQ(CompareBySize(a, b), 1);
  EXPECT_EQ(CompareBySize(b, a), -1);
  b->AddOwnSize(20);
  EXPECT_EQ(CompareBySize(a, b), 0);
}

TEST_F(SizeTreeTest, SortBySizeIsAscendingTotals) {
  const SizeMB mb = kUnitsPerMB;
  for (auto [name, size] : {std::pair{"five", 5 * mb}, {"one", 1 * mb}, {"three", 3 * mb}}) {
    Add(Root(), name)->AddOwnSize(size);
  }
  SortChildrenBySize(Root());
  EXPECT_EQ(Names(Root()), (std::vector<std::string>{"one", "three", "five"}));
}

TEST_F(SizeTreeTest, SortingMovesOnlyDirectChildren) {
  TSizeFolder* a = Add(Root(), "a");
  for (const char* name : {"y", "z", "x"}) Add(a, name);
  Add(Root(), "b");
  SortChildrenByName(Root());
  EXPECT_EQ(Names(Root()), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(Names(a), (std::vector<std::string>{"y", "z", "x"}));
  TSizeFolder* leaf = a->Child(0);
  SortChildrenByName(leaf);
  SortChildrenBySize(leaf);
  EXPECT_EQ(leaf->ChildCount(), 0);
}

TEST_F(SizeTreeTest, VisitPreOrderGivesEveryPath) {
  TSizeFolder* a = Add(Root(), "a");
  Add(a, "x");
  a->AddChild("/own/path");
  Add(a, "y");
  Add(Root(), "b");
  std::vector<std::string> paths;
  VisitPreOrder(*Root(), [&](TSizeFolder&, const std::string& path) {
    paths.push_back(path);
    return true;
  });
  EXPECT_EQ(paths, (std::vector<std::string>{"/data/", "/data/a", "/data/a/x", "/own/path",
                                             "/data/a/y", "/data/b"}));
}

}  // namespace
}  // namespace nubrix
