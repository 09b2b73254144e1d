// The temp-file cleaner's work: masks, the search of a folder, size texts, the order of rows and
// the template file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "cleaners/Duplicates.h"
#include "cleaners/LargestFiles.h"
#include "cleaners/TempFiles.h"
#include "settings/IniStuff.h"
#include "sizetree/ScanEngine.h"
#include "support/TempTree.h"

namespace nubrix {

extern std::string gCleanerDataHome;

namespace {

struct TMaskCase {
  const char* Name;
  const char* Mask;
  bool Matches;
};

class MaskTest : public testing::TestWithParam<TMaskCase> {};

TEST_P(MaskTest, Matches) {
  const TMaskCase& c = GetParam();
  EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << c.Name << " ~ " << c.Mask;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, MaskTest,
    testing::Values(TMaskCase{"a.tmp", "*.tmp", true}, TMaskCase{"A.TMP", "*.tmp", true},
                    TMaskCase{"a.tmp.bak", "*.tmp", false}, TMaskCase{".tmp", "*.tmp", true},
                    TMaskCase{"noext", "*.*", true} /* every name, also without a dot */,
                    TMaskCase{"a.b", "*.*", true}, TMaskCase{"ab", "a?", true},
                    TMaskCase{"a", "a?", false}, TMaskCase{"abc", "a?", false},
                    TMaskCase{"\xc3\xa9.x", "?.x", true} /* é is one character */,
                    TMaskCase{"\xff.x", "?.x", true} /* a stray byte is one character */,
                    TMaskCase{"\xc3\xa9\xc3\xa9.x", "?.x", false},
                    TMaskCase{"\xc3\x89.x", "\xc3\xa9.x", false},
                    TMaskCase{"~$doc.docx", "~$*", true}, TMaskCase{"core", "core", true},
                    TMaskCase{"x~", "*~", true}, TMaskCase{"thumbs.db", "Thumbs.db", true},
                    TMaskCase{"aXbXc", "*X*X*", true}, TMaskCase{"aXb", "*X*X*", false},
                    TMaskCase{"anything", "", false} /* an empty mask */,
                    TMaskCase{"a.tmp", "sub/*.tmp", false} /* a mask with a folder in it */,
                    TMaskCase{"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false}));

TEST(TempSizeTextTest, TheTableOfThePage) {
  const std::pair<std::uint64_t, const char*> rows[] = {{0, "0 kb"},
                                                        {1, "0 kb"},
                                                        {512, "0.5 kb"},
                                                        {1000, "0.98 kb"},
                                                        {10000, "9.77 kb"},
                                                        {1048575, "1 Mb"},
                                                        {5000000, "4.77 Mb"},
                                                        {123456789, "117.74 Mb"},
                                                        {1048576, "1 Mb"},
                                                        {1024, "1 kb"},
                                                        {5120, "5 kb"},
                                                        {1048064, "1023.5 kb"},
                                                        {~std::uint64_t{0}, "17592186044416 Mb"}};
  for (const auto& [bytes, text] : rows) EXPECT_EQ(TempSizeText(bytes), text) << bytes;
  EXPECT_EQ(TempSizeText(512, ','), "0,5 kb") << "the user's decimal separator";
}

TEST(TempRowsTest, NamesAndFoldersIgnoreCaseOfAToZOnlySizesByNumber) {
  const TTempTreeData a{"a.tmp", "/x/", 10};
  const TTempTreeData upper{"A.TMP", "/X/", 9};
  const TTempTreeData b{"b.tmp", "/x/", 100};
  const TTempTreeData accented{"\xc3\x89.tmp", "/x/", 1};  // É is not folded
  EXPECT_EQ(CompareTempRows(a, upper, kTempFileNameColumn), 0);
  EXPECT_EQ(CompareTempRows(a, b, kTempFileNameColumn), -1);
  EXPECT_EQ(CompareTempRows(b, a, kTempFileNameColumn), 1);
  EXPECT_EQ(CompareTempRows(a, upper, kTempFolderColumn), 0);
  EXPECT_EQ(CompareTempRows(a, accented, kTempFileNameColumn), -1);
  EXPECT_EQ(CompareTempRows(a, upper, kTempSizeColumn), 1);
  EXPECT_EQ(CompareTempRows(a, b, kTempSizeColumn), -1);
}

std::vector<std::string> Names(const std::vector<TTempTreeData>& rows) {
  std::vector<std::string> names;
  for (const TTempTreeData& row : rows) names.push_back(row.FileName);
  return names;
}

TEST(TempSearchTest, MaskOrderThenListingOrderDotsAndFoldersLeftOut) {
  test::TTempTree disk(
      "a.tmp=5\nb.bak=7\nboth.tmp.bak=1\n.hidden.tmp=1\nfolder.tmp/\n\xff.tmp=2\nC.TMP=3");
  std::vector<TTempTreeData> rows;
  SearchTempFilesInFolder(disk.Root(), {"*.bak", "*.tmp"}, rows);
  ASSERT_EQ(rows.size(), 5u);
  const std::vector<std::string> names = Names(rows);
  std::vector<std::string> bak(names.begin(), names.begin() + 2);
  std::sort(bak.begin(), bak.end());
  EXPECT_EQ(bak, (std::vector<std::string>{"b.bak", "both.tmp.bak"}))
      << "the first mask's rows first";
  std::vector<std::string> tmp(names.begin() + 2, names.end());
  std::sort(tmp.begin(), tmp.end());
  EXPECT_EQ(tmp, (std::vector<std::string>{"C.TMP", "a.tmp", "\xff.tmp"}));
  for (const TTempTreeData& row : rows) {
    EXPECT_EQ(row.Folder, disk.ScanPath());
    EXPECT_TRUE(row.Checked);
    EXPECT_EQ(row.ImageIndex, 76);
  }
  rows.clear();
  SearchTempFilesInFolder(disk.Root(), {"*.tmp", "a.*"}, rows);
  const std::vector<std::string> twice = Names(rows);
  EXPECT_EQ(std::count(twice.begin(), twice.end(), "a.tmp"), 2) << "two masks, two rows";
  EXPECT_EQ(rows.back().FileName, "a.tmp");
  EXPECT_EQ(rows.back().Size, 5u);
  rows.clear();
  SearchTempFilesInFolder(disk / "gone", {"*.*"}, rows);
  EXPECT_TRUE(rows.empty()) << "a folder gone since the scan";
}

std::vector<std::string> PathsOf(const TTreeFolders& folders) {
  std::vector<std::string> paths;
  for (const TTreeFolder& folder : folders.Folders) paths.push_back(folder.Path);
  return paths;
}

TEST(TempSearchTest, TheScannedFoldersInTreeOrderCancelledAndCounted) {
  test::TTempTree disk("x.tmp=1\nA/x.tmp=2\nA/B/x.tmp=3\nC/x.tmp=4\n.dot/x.tmp=9");
  TSizeTree tree;
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  SortChildrenByName(tree.ScanRoot());  // C before A: the search follows the tree's order
  const TTreeFolders folders = TempSearchFolders(*tree.ScanRoot());
  EXPECT_EQ(PathsOf(folders),
            (std::vector<std::string>{disk.ScanPath(), disk / "C", disk / "A", disk / "A/B"}));
  std::vector<int> progress;
  TTempSearch search =
      SearchTempFiles(folders, {"*.tmp"}, nullptr, [&](int done) { progress.push_back(done); });
  std::vector<std::uint64_t> sizes;
  for (const TTempTreeData& row : search.Rows) sizes.push_back(row.Size);
  EXPECT_EQ(sizes, (std::vector<std::uint64_t>{1, 4, 2, 3}));
  EXPECT_EQ(progress, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_FALSE(search.Cancelled);
  std::atomic<bool> cancel{false};
  search = SearchTempFiles(folders, {"*.tmp"}, &cancel, [&](int done) { cancel = done == 2; });
  EXPECT_TRUE(search.Cancelled);
  EXPECT_EQ(search.Rows.size(), 2u) << "the rows found so far stay";
  EXPECT_EQ(PathsOf(TempSearchFolders(*tree.FindFolder(disk / "A"))),
            (std::vector<std::string>{disk / "A", disk / "A/B"}));
}

// Every listing that feeds a move: the temp-file search, the duplicates and the largest files.
struct TListings {
  std::size_t TempRows = 0;
  std::size_t DuplicateGroups = 0;
  std::uint64_t DocFiles = 0;
};

TListings ListAll(const TTreeFolders& folders) {
  TListings found;
  found.TempRows = SearchTempFiles(folders, {"*.doc"}).Rows.size();
  found.DuplicateGroups = FindDuplicates(folders).Groups.size();
  for (const TTypeTotal& type : CollectFileStats(folders, 10).Types)
    if (type.Extension == "doc") found.DocFiles = type.Files;
  return found;
}

TEST(TreeListingTest, NothingPutInPlaceOfAScannedFolderIsListed) {
  test::TTempTree disk("share/att/sub/own.doc=1\nother/report.doc=7\nother/copy.doc=7");
  TSizeTree tree;
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(tree, disk / "share/", context));
  const TTreeFolders folders = TreeFoldersBelow(*tree.ScanRoot());
  EXPECT_EQ(ListAll(folders).TempRows, 1U);
  // A link to someone else's folder where the scan saw a folder.
  ASSERT_EQ(rename((disk / "share/att/sub").c_str(), (disk / "share/att/old").c_str()), 0);
  ASSERT_EQ(symlink((disk / "other").c_str(), (disk / "share/att/sub").c_str()), 0);
  TListings found = ListAll(folders);
  EXPECT_EQ(found.TempRows, 0U);
  EXPECT_EQ(found.DuplicateGroups, 0U);
  EXPECT_EQ(found.DocFiles, 0U);
  // A real folder of the same name is not the one the scan saw either.
  ASSERT_EQ(unlink((disk / "share/att/sub").c_str()), 0);
  ASSERT_EQ(rename((disk / "other").c_str(), (disk / "share/att/sub").c_str()), 0);
  found = ListAll(folders);
  EXPECT_EQ(found.TempRows, 0U);
  EXPECT_EQ(found.DuplicateGroups, 0U);
  // Nor is another folder at the scan root's own path.
  ASSERT_EQ(rename((disk / "share").c_str(), (disk / "was").c_str()), 0);
  ASSERT_EQ(symlink((disk / "was").c_str(), (disk / "share").c_str()), 0);
  EXPECT_EQ(ListAll(folders).DocFiles, 0U);
}

TEST(TreeListingTest, NoListingEntersTheTrash) {
  test::TTempTree disk("Trash/files/notes.doc=5\nTrash/files/notes.2.doc=5\nmine.doc=5");
  setenv("XDG_DATA_HOME", disk.Root().c_str(), 1);
  TSizeTree tree;
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  const TListings found = ListAll(TreeFoldersBelow(*tree.ScanRoot()));
  TSizeTree inside;
  ASSERT_TRUE(ScanIntoTree(inside, disk / "Trash/files/", context));
  const TListings insideFound = ListAll(TreeFoldersBelow(*inside.ScanRoot()));
  setenv("XDG_DATA_HOME", gCleanerDataHome.c_str(), 1);
  EXPECT_EQ(found.TempRows, 1U) << "mine.doc alone";
  EXPECT_EQ(found.DuplicateGroups, 0U);
  EXPECT_EQ(insideFound.TempRows, 0U);
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(TmpListTest, ReadsEveryKeyOfItsSectionAsAWriterLeftIt) {
  test::TTempTree dir;
  const std::string file = dir / "Nubrix.tpl";
  std::ofstream(file, std::ios::binary)
      << "\xEF\xBB\xBF[Other]\r\nkeep=1\r\n\r\n[TMPLIST]\r\n*.tmp = Temp files \r\n\r\n"
         "*.bak=\"Backups\"\r\n*.TMP=second\r\n*.old\r\n~*=\r\n";
  const std::vector<TTmpType> types = LoadTmpList(TIniFile(file));
  ASSERT_EQ(types.size(), 5u);
  EXPECT_EQ(types[0].Mask, "*.tmp");
  EXPECT_EQ(types[0].Description, "Temp files");
  EXPECT_EQ(types[1].Description, "Backups") << "quotes dropped";
  EXPECT_EQ(types[2].Mask, "*.TMP");
  EXPECT_EQ(types[2].Description, "Temp files") << "the first of two keys alike wins";
  EXPECT_EQ(types[3].Mask, "*.old") << "a line without \"=\" is a key with no description";
  EXPECT_TRUE(types[3].Description.empty());
  EXPECT_EQ(types[4].Mask, "~*");
  EXPECT_TRUE(types[4].Description.empty());
  for (const TTmpType& type : types) EXPECT_TRUE(type.Checked);
  EXPECT_TRUE(LoadTmpList(TIniFile(dir / "none.tpl")).empty())
      << "no file: an empty list, no message";
}

TEST(TmpListTest, SavingReplacesTheSectionAndMergesMasksAlikeButForCase) {
  test::TTempTree dir;
  const std::string file = dir / "Nubrix.tpl";
  std::ofstream(file) << "[tmpList]\nold=gone\n[Other]\nkeep=1\n";
  TIniFile ini(file);
  SaveTmpList(ini, {{"*.tmp", "first"}, {"*.bak", "b"}, {"*.TMP", "last", false}});
  ini.UpdateFile();
  EXPECT_EQ(Slurp(file), "[Other]\nkeep=1\n[tmpList]\n*.tmp=last\n*.bak=b\n");
  const std::vector<TTmpType> back = LoadTmpList(TIniFile(file));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_TRUE(back[0].Checked) << "check marks are not kept";
  TIniFile empty(dir / "new.tpl");
  SaveTmpList(empty, {});
  EXPECT_EQ(empty.Text(), "[tmpList]\n") << "an empty list still leaves its section";
  TIniFile odd(dir / "odd.tpl");
  SaveTmpList(odd, {{"a=b", "x"}, {"*.x", "line\nbreak"}, {"*.y", "y"}});
  EXPECT_EQ(odd.Text(), "[tmpList]\n*.y=y\n") << "what would break a line is left out";
}

TEST(TmpListTest, TheTemplateLiesBesideTheSettings) {
  EXPECT_EQ(TemplateFileName("/c/AppData/Nubrix.ini"), "/c/AppData/Nubrix.tpl");
  EXPECT_EQ(TemplateFileName("/c/App.Data/Nubrix"), "/c/App.Data/Nubrix.tpl");
  EXPECT_EQ(TemplateFileName("/c/.hidden"), "/c/.hidden.tpl");
}

}  // namespace
}  // namespace nubrix
