// The duplicate search on trees of the tests' own: what is grouped, what never is, and files
// that change, vanish or cannot be read while the search runs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "cleaners/DuplicateFiles.h"
#include "cleaners/Duplicates.h"
#include "cli/CleanCommand.h"
#include "support/OtherUser.h"
#include "support/TempTree.h"

namespace nubrix {

extern std::string gCleanerDataHome;

namespace {

std::string Bytes(std::size_t size, unsigned seed) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + seed * 7919) >> 3);
  return data;
}

void Write(const std::string& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

// Each group as its files' paths relative to the tree, and their other names after a '+'.
std::vector<std::vector<std::string>> Groups(const TDuplicateSearch& search,
                                             const test::TTempTree& tree) {
  std::vector<std::vector<std::string>> groups;
  for (const TDuplicateGroup& group : search.Groups) {
    groups.emplace_back();
    for (const TDuplicateFile& file : group.Files) {
      std::string name = file.Path.substr(tree.Root().size() + 1);
      for (const std::string& other : file.OtherNames)
        name += "+" + other.substr(tree.Root().size() + 1);
      groups.back().push_back(name);
    }
  }
  return groups;
}

// The root and the named folders below it, as a listing with no scan reaches them.
TTreeFolders Folders(const test::TTempTree& tree, const std::vector<std::string>& below) {
  TTreeFolders folders = LoneFolder(tree.Root());
  for (const std::string& folder : below) folders.Folders.push_back({tree / folder, 0});
  return folders;
}

using TGroups = std::vector<std::vector<std::string>>;

TEST(DuplicatesTest, GroupsByContentWithLinksAsOneFileAndTheMostFreeableFirst) {
  test::TTempTree tree("sub/\nempty1=0\nsub/empty2=0\nsparse1=1000000\nsub/sparse2=1000000");
  const std::string small = Bytes(10, 1);
  Write(tree / "a", small);
  Write(tree / "sub/b", small);
  ASSERT_EQ(link((tree / "a").c_str(), (tree / "sub/c").c_str()), 0);
  Write(tree / ".hidden", small);
  ASSERT_EQ(symlink((tree / "a").c_str(), (tree / "sub/link").c_str()), 0);
  Write(tree / "d", Bytes(10, 2));  // the same size, other bytes
  // Three of one file too big to be kept in memory, and one whose first block agrees.
  const std::string big = Bytes(300000, 3);
  for (const char* name : {"g1", "sub/g2", "sub/g3"}) Write(tree / name, big);
  Write(tree / "g4", big.substr(0, 299999) + 'x');
  // Two, compared side by side; a pair that differs only in its last byte.
  Write(tree / "p1", Bytes(100000, 4));
  Write(tree / "sub/p2", Bytes(100000, 4));
  Write(tree / "q1", Bytes(100001, 5));
  Write(tree / "q2", Bytes(100000, 5) + 'y');
  Write(tree / "\xff\xfe name", Bytes(10, 6));
  Write(tree / "sub/\xff\xfe copy", Bytes(10, 6));
  Write(tree / "sub/sparse3", std::string(999999, '\0') + '\1');  // a hole's size, not its bytes

  const TDuplicateSearch search = FindDuplicates(Folders(tree, {"sub"}));
  EXPECT_EQ(Groups(search, tree), (TGroups{{"sparse1", "sub/sparse2"},
                                           {"g1", "sub/g2", "sub/g3"},
                                           {"p1", "sub/p2"},
                                           {"a+sub/c", "sub/b"},
                                           {"sub/\xff\xfe copy", "\xff\xfe name"}}));
  EXPECT_EQ(search.Groups[1].Freeable(), 600000u);
  EXPECT_TRUE(search.Unreadable.empty());
  EXPECT_EQ(search.FilesConsidered, 17u) << "empty files, dot names and links never count";
  EXPECT_FALSE(search.Cancelled);

  TDuplicateOptions options;
  options.MinSize = 100001;
  EXPECT_EQ(Groups(FindDuplicates(Folders(tree, {"sub"}), options), tree),
            (TGroups{{"sparse1", "sub/sparse2"}, {"g1", "sub/g2", "sub/g3"}}));
}

TEST(DuplicatesTest, EqualDigestsAreNeverTakenForEqualBytes) {
  test::TTempTree tree;
  for (const char* name : {"s1", "s2", "s3"}) Write(tree / name, Bytes(50, 10));
  Write(tree / "s4", Bytes(50, 11));
  for (const char* name : {"b1", "b2"}) Write(tree / name, Bytes(200000, 12));
  Write(tree / "b3", Bytes(200000, 13));
  Write(tree / "b4", Bytes(200000, 14));
  Write(tree / "c1", Bytes(90000, 15));
  Write(tree / "c2", Bytes(90000, 16));
  TDuplicateOptions options;
  options.DigestFilter = [](TDigest) { return TDigest{1, 2}; };  // every file collides
  const TDuplicateSearch search = FindDuplicates(LoneFolder(tree.Root()), options);
  EXPECT_EQ(Groups(search, tree), (TGroups{{"b1", "b2"}, {"s1", "s2", "s3"}}));
}

TEST(DuplicatesTest, AFileThatChangesWhileTheSearchRunsDropsOut) {
  test::TTempTree tree;
  const std::string data = Bytes(300000, 20);
  for (const char* name : {"x1", "x2", "x3", "x4"}) Write(tree / name, data);
  TDuplicateOptions options;
  options.Threads = 1;
  std::atomic<int> digests{0};
  // After the first digests, x3 gets other bytes of the same size and x4 goes.
  options.DigestFilter = [&](TDigest digest) {
    if (++digests == 4) {
      Write(tree / "x3", Bytes(300000, 21));
      struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
      utimensat(AT_FDCWD, (tree / "x3").c_str(), times, 0);
      unlink((tree / "x4").c_str());
    }
    return digest;
  };
  const TDuplicateSearch search = FindDuplicates(LoneFolder(tree.Root()), options);
  EXPECT_EQ(Groups(search, tree), (TGroups{{"x1", "x2"}}));
  EXPECT_EQ(search.ChangedFiles, 2u);
}

TEST(DuplicatesTest, BytesChangedWhileTheyWereReadDoNotCount) {
  test::TTempTree tree;
  // Beyond what is compared in memory; two of a size are compared side by side, read once.
  const std::string data = Bytes(300000, 22);
  for (const char* name : {"y1", "y2"}) Write(tree / name, data);
  // Three are told apart by digests first.
  for (const char* name : {"z1", "z2", "z3"}) Write(tree / name, Bytes(200000, 23));
  TDuplicateOptions options;
  options.Threads = 1;
  bool rewritten = false;
  int z2Reads = 0;
  // Same size, other bytes, written in place after the read: for z2 after its last read.
  options.ReadDone = [&](const std::string& path) {
    const bool last = path == tree / "z2" && ++z2Reads == 3;
    if (path != tree / "y2" && !last) return;
    const int fd = open(path.c_str(), O_WRONLY);
    rewritten = fd >= 0 && pwrite(fd, "zz", 2, 1000) == 2;
    close(fd);
  };
  const TDuplicateSearch search = FindDuplicates(LoneFolder(tree.Root()), options);
  ASSERT_TRUE(rewritten);
  EXPECT_EQ(Groups(search, tree), (TGroups{{"z1", "z3"}}));
}

TEST(DuplicatesTest, ReadsRefuseAFileThatIsNotTheOneListed) {
  test::TTempTree tree;
  Write(tree / "f", Bytes(1000, 30));
  Write(tree / "g", Bytes(1000, 30));
  struct stat info {};
  ASSERT_EQ(stat((tree / "f").c_str(), &info), 0);
  const duplicates::TCandidate listed{"f",         1000, info.st_mtim.tv_sec,       info.st_dev,
                                      info.st_ino, 0,    platform::TimesOf(info, 0)};
  ASSERT_EQ(stat((tree / "g").c_str(), &info), 0);
  const duplicates::TCandidate other{"g",         1000, info.st_mtim.tv_sec,       info.st_dev,
                                     info.st_ino, 0,    platform::TimesOf(info, 0)};
  std::atomic<std::uint64_t> read{0};
  EXPECT_EQ(duplicates::CompareFiles(tree / "f", listed, tree / "g", other, read).Result,
            duplicates::TCompared::Same);
  EXPECT_EQ(read.load(), 2000u);
  // The other file in its place, a pipe in its place, then nothing there.
  TDigest digest;
  EXPECT_EQ(duplicates::DigestOf(tree / "g", listed, 0, digest, read).Outcome,
            duplicates::TReadOutcome::Changed);
  ASSERT_EQ(unlink((tree / "f").c_str()), 0);
  ASSERT_EQ(mkfifo((tree / "f").c_str(), 0600), 0);
  EXPECT_EQ(duplicates::DigestOf(tree / "f", listed, 0, digest, read).Outcome,
            duplicates::TReadOutcome::Changed);
  ASSERT_EQ(unlink((tree / "f").c_str()), 0);
  const duplicates::TCompareResult gone =
      duplicates::CompareFiles(tree / "g", other, tree / "f", listed, read);
  EXPECT_EQ(gone.Result, duplicates::TCompared::SecondFailed);
  EXPECT_EQ(gone.Failure.Outcome, duplicates::TReadOutcome::Changed);
}

TEST(DuplicatesTest, UnreadableFilesAreNamedAndNeverGrouped) {
  if (!test::CanActAsOtherUser()) GTEST_SKIP() << "needs root to act as another user";
  test::TTempTree tree;
  chmod(tree.Root().c_str(), 0755);
  for (const char* name : {"r1", "r2", "locked"}) Write(tree / name, Bytes(5000, 40));
  chmod((tree / "r1").c_str(), 0644);
  chmod((tree / "r2").c_str(), 0644);
  chmod((tree / "locked").c_str(), 0600);
  EXPECT_TRUE(test::AsOtherUser([&] {
    const TDuplicateSearch search = FindDuplicates(LoneFolder(tree.Root()));
    return Groups(search, tree) == TGroups{{"r1", "r2"}} && search.Unreadable.size() == 1 &&
           search.Unreadable[0].Path == tree / "locked" && search.Unreadable[0].Error == EACCES;
  }));
}

TEST(DuplicatesTest, KeptCopiesAndTheMoveRefusingAReplacedFile) {
  TDuplicateGroup group;
  group.Files.resize(3);
  const std::int64_t times[] = {20, 30, 10};
  for (std::size_t i = 0; i < 3; ++i) group.Files[i].Modified = times[i];
  EXPECT_EQ(KeptCopy(group, TKeepRule::Newest), 1u);
  EXPECT_EQ(KeptCopy(group, TKeepRule::Oldest), 2u);
  EXPECT_EQ(KeptCopy(group, TKeepRule::FirstByPath), 0u);
  group.Files[0].Modified = 30;
  EXPECT_EQ(KeptCopy(group, TKeepRule::Newest), 0u) << "ties go to the first by path";

  test::TTempTree tree;
  Write(tree / "one", Bytes(3000, 50));
  Write(tree / "two", Bytes(3000, 50));
  TDuplicateSearch search = FindDuplicates(LoneFolder(tree.Root()));
  ASSERT_EQ(search.Groups.size(), 1u);
  const TDuplicateFile& two = search.Groups[0].Files[1];
  EXPECT_TRUE(StillListed(two));
  // Moved away after the search and another file of the same size put in its place.
  ASSERT_EQ(rename((tree / "two").c_str(), (tree / "moved").c_str()), 0);
  Write(tree / "two", Bytes(3000, 50));
  EXPECT_FALSE(StillListed(two));
  platform::TTrashMover mover(getuid(), gCleanerDataHome);
  const platform::TTrashResult result = mover.Move(ListedNames(two)[0]);
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(access((tree / "two").c_str(), F_OK), 0);

  // Rewritten in place with the same size and its old time put back, as cp -p or touch -r do.
  const TDuplicateFile& one = search.Groups[0].Files[0];
  struct stat before {};
  ASSERT_EQ(stat((tree / "one").c_str(), &before), 0);
  Write(tree / "one", Bytes(3000, 51));
  const struct timespec oldTimes[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, (tree / "one").c_str(), oldTimes, 0), 0);
  EXPECT_FALSE(StillListed(one));
  EXPECT_NE(mover.Move(ListedNames(one)[0]).Error.find("has changed"), std::string::npos);
  EXPECT_EQ(access((tree / "one").c_str(), F_OK), 0);
}

TEST(DuplicatesTest, EachMoveFindsTheKeptCopyAsCompared) {
  test::TTempTree tree;
  for (const char* name : {"keep", "c1", "c2"}) Write(tree / name, Bytes(4000, 52));
  const TDuplicateSearch search = FindDuplicates(LoneFolder(tree.Root()));
  ASSERT_EQ(search.Groups.size(), 1u);
  std::vector<TCopyRefusal> refused;
  const std::vector<platform::TListedItem> moves =
      CopyMoves(search.Groups[0], {true, true, false}, refused);  // c1, c2 go; keep stays
  ASSERT_EQ(moves.size(), 2u);
  platform::TTrashMover mover(getuid(), gCleanerDataHome);
  EXPECT_TRUE(mover.Move(moves[0]).Ok);
  Write(tree / "keep", Bytes(4000, 53));  // the kept copy changes between two moves
  EXPECT_NE(mover.Move(moves[1]).Error.find("no unchecked copy"), std::string::npos);
  EXPECT_EQ(access((tree / "c2").c_str(), F_OK), 0);
}

std::pair<int, std::string> Clean(const std::vector<std::string>& arguments,
                                  std::string* err = nullptr) {
  std::ostringstream out;
  std::ostringstream errors;
  const int status = RunClean(arguments, out, errors, gCleanerDataHome + "/AppData/Nubrix.db");
  if (err != nullptr) *err = errors.str();
  return {status, out.str()};
}

TEST(DuplicatesTest, CopiesOfDifferentUsersAreNeverMoved) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a file to another user";
  test::TTempTree tree;
  Write(tree / "alice.csv", Bytes(2000, 54));
  Write(tree / "mallory.csv", Bytes(2000, 54));
  ASSERT_EQ(chown((tree / "mallory.csv").c_str(), test::kOtherUid, test::kOtherUid), 0);
  struct timespec newer[2] = {{0, UTIME_OMIT}, {4000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (tree / "mallory.csv").c_str(), newer, 0), 0);
  std::string err;
  EXPECT_EQ(Clean({"duplicates", "--trash", "--keep", "newest", tree.Root()}, &err).first, 1);
  EXPECT_NE(err.find("different users"), std::string::npos) << err;
  EXPECT_EQ(access((tree / "alice.csv").c_str(), F_OK), 0);
  EXPECT_EQ(access((tree / "mallory.csv").c_str(), F_OK), 0);
}

TEST(DuplicatesTest, CommandLinePrintsGroupsThenMovesAllButTheKeptCopy) {
  test::TTempTree tree("b/");
  Write(tree / "b/z", Bytes(100, 60));
  Write(tree / "a", Bytes(100, 60));
  Write(tree / "b/y", Bytes(100, 60));
  Write(tree / "big1", Bytes(5000, 61));
  Write(tree / "big2", Bytes(5000, 61));
  ASSERT_EQ(link((tree / "big2").c_str(), (tree / "b/big2link").c_str()), 0);
  EXPECT_EQ(Clean({"duplicates", tree.Root()}),
            std::make_pair(0, tree / "b/big2link\n" + tree / "big1\n\n" + tree / "a\n" +
                                  tree / "b/y\n" + tree / "b/z\n\n"));
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"duplicates", "--trash", tree.Root()},
        {"duplicates", "--keep", "first", tree.Root()},
        {"duplicates", "--trash", "--keep", "largest", tree.Root()},
        {"duplicates", "--min-size", "-1", tree.Root()},
        {"duplicates"}}) {
    EXPECT_EQ(Clean(bad).first, 2);
  }
  std::string err;
  EXPECT_EQ(Clean({"duplicates", "--trash", "--keep", "first", tree.Root()}, &err),
            std::make_pair(0, tree / "big1\n" + tree / "b/y\n" + tree / "b/z\n"));
  EXPECT_EQ(err, "");
  EXPECT_EQ(Clean({"duplicates", tree.Root()}), std::make_pair(0, std::string()));
  EXPECT_EQ(access((tree / "a").c_str(), F_OK), 0);
  EXPECT_EQ(access((tree / "big2").c_str(), F_OK), 0);
}

}  // namespace
}  // namespace nubrix
