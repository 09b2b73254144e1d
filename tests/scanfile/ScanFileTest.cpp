// Scan files written and read back: the same listing as a scan of the disk, names of any bytes,
// the depth and length no memory limit should cap, and every kind of damaged file refused with
// where it went wrong.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>
#include <zstd.h>

#include <fstream>
#include <sstream>

#include "cli/ScanReport.h"
#include "scanfile/ScanExport.h"
#include "scanfile/ScanImport.h"
#include "sizetree/ScanEngine.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

// A descriptor reading text, as a file or a pipe would.
int Input(const std::string& text) {
  const int fd = memfd_create("scan", MFD_CLOEXEC);
  EXPECT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  lseek(fd, 0, SEEK_SET);
  return fd;
}

std::string Import(const std::string& text, TScanFile& scan) {
  const int fd = Input(text);
  const std::string error = ImportScan(fd, scan);
  close(fd);
  return error;
}

std::string Listing(TSizeFolder& root) {
  std::ostringstream out;
  WriteListing(out, root);
  return out.str();
}

std::string Exported(const std::string& folder) {
  const int fd = memfd_create("export", MFD_CLOEXEC);
  const TExportResult result = ExportScan(folder, fd);
  EXPECT_EQ(result.WriteError, 0);
  std::string text(static_cast<std::size_t>(lseek(fd, 0, SEEK_END)), '\0');
  EXPECT_EQ(pread(fd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
  close(fd);
  return text;
}

TEST(ScanFileTest, ARoundTripListsWhatAScanOfTheDiskLists) {
  test::TTempTree disk(
      "a/big=3000000\na/b/c/f=1234567\n.hidden/x=999\nsub dir/\"q\\\\uote\"=10\n"
      "odd/\xff\xfe=77\nodd/new\\nline=5\nodd/.dot=1000\nlink->/\nempty/\n");
  ASSERT_EQ(link((disk / "a/big").c_str(), (disk / "odd/big2").c_str()), 0);
  const std::string text = Exported(disk.ScanPath());
  TScanFile scan;
  ASSERT_EQ(Import(text, scan), "");
  TSizeTree tree;
  TScanContext context;
  ScanIntoTree(tree, disk.ScanPath(), context);
  EXPECT_EQ(Listing(*scan.Tree.ScanRoot()), Listing(*tree.ScanRoot()));
  EXPECT_EQ(scan.Program, "nubrix-scan");
  EXPECT_GT(scan.Timestamp, 1700000000);
  ASSERT_GE(scan.Files.Largest.size(), 3u);
  EXPECT_EQ(scan.Files.Largest[0].Path, disk / "a/big");
  EXPECT_EQ(scan.Files.Largest[1].Path, disk / "odd/big2") << "a hard link counts as it is listed";
  EXPECT_EQ(scan.Tree.ScanRoot()->TotalBytes(), 3000000u * 2 + 1234567 + 10 + 77 + 5 + 1);
}

TEST(ScanFileTest, ReadsCompressedDeepAndPaddedFilesAndIgnoresUnknownKeys) {
  std::string deep = "[1,0,{\"progname\":\"other\",\"extra\":{\"a\":[1,{}]}},\n";
  constexpr int kDepth = 20000;
  for (int i = 0; i < kDepth; ++i)
    deep += (i == 0 ? "[{\"name\":\"/r" : ",[{\"name\":\"d") + std::string("\",\"new\":[{}]}");
  deep += ",{\"name\":\"f\",\"asize\":5,\"mode\":33188,\"future\":{\"x\":-1.5}}";
  deep += std::string(kDepth, ']') + ",\"later\"]" + std::string(1 << 20, ' ') + "\n";
  TScanFile scan;
  ASSERT_EQ(Import(deep, scan), "");
  EXPECT_EQ(scan.Tree.ScanRoot()->TotalBytes(), 5u);
  EXPECT_EQ(scan.Entries, kDepth + 1u);

  std::string packed(ZSTD_compressBound(deep.size()), '\0');
  packed.resize(ZSTD_compress(packed.data(), packed.size(), deep.data(), deep.size(), 3));
  TScanFile unpacked;
  ASSERT_EQ(Import(packed, unpacked), "");
  EXPECT_EQ(unpacked.Program, "other");
  EXPECT_EQ(unpacked.Tree.ScanRoot()->TotalBytes(), 5u);
  ASSERT_EQ(unpacked.Files.Types.size(), 1u) << "the last folder's files are typed too";
  EXPECT_EQ(unpacked.Files.Types[0].Bytes, 5u);

  // What zstd -t refuses: bytes after the frame, a frame cut before its checksum ends.
  ZSTD_CCtx* context = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
  std::string checked(ZSTD_compressBound(deep.size()), '\0');
  checked.resize(ZSTD_compress2(context, checked.data(), checked.size(), deep.data(), deep.size()));
  ZSTD_freeCCtx(context);
  TScanFile whole;
  EXPECT_EQ(Import(checked, whole), "");
  for (const std::string& damaged : {checked + "junk", checked.substr(0, checked.size() - 2)}) {
    TScanFile refused;
    EXPECT_NE(Import(damaged, refused), "") << damaged.size();
  }
}

TEST(ScanFileTest, ControlBytesInNamesAreEscapedDelToo) {
  std::string text;
  AppendJsonString(text, "a\x01\x7f\"\\\xff");
  EXPECT_EQ(text, "\"a\\u0001\\u007f\\\"\\\\\xff\"");
}

TEST(ScanFileTest, DamagedFilesSayWhatAndWhere) {
  const std::string head = "[1,2,{},\n";
  const std::pair<std::string, std::string> cases[] = {
      {head + "[{\"name\":\"/r\"},{\"name\":\"f\",\"asize\":1}", "at byte 46: the file ends"},
      {"[2,0,{},[{\"name\":\"/r\"}]]", "major version 2, not 1"},
      {head + "[{\"name\":\"/r\"},{\"name\":\"f\",\"asize\":-4}]]", "a negative number"},
      {head + "[{\"name\":\"/r\"},{\"name\":\"f\",\"asize\":1e300}]]", "out of range"},
      {head + "[{\"name\":\"/r\"},{\"name\":\"f\",\"asize\":99999999999999999999}]]", "at byte"},
      {head + "[{\"name\":\"/r\"},{\"name\":\"a/b\"}]]", "is not a name of one entry"},
      {head + "[{\"name\":\"/r\"},{\"name\":\"\"}]]", "an entry without a name"},
      {head + "[{\"name\":\"/r\"},[[{\"name\":\"d\"}]]]]", "does not begin with its information"},
      {head + "[{\"name\":\"/r\"},[]]]", "without its information object"},
      {"\x7f"
       "ELF garbage",
       "at byte 0"},
      {std::string(100000, ' '), "the file ends before the scan does"},
      {"", "the file ends before the scan does"},
      {"{\"name\":\"x\"}", "not a scan file"},
      {head + "[{\"name\":\"/r\"}]] trailing", "more after the end of the scan"},
      {head + "[{\"name\":\"/r\"},{\"name\":\"a\\u0000b\"}]]", "a NUL byte"},
      {head + "[{\"name\":\"/r\"},{\"name\":\"a\",\"asize\":4611686018427387904}," +
           "{\"name\":\"b\",\"asize\":4611686018427387904},[{\"name\":\"d\"}," +
           "{\"name\":\"c\",\"asize\":4611686018427387904}]]]",
       "at byte 104: the sizes add up to more than any disk holds"},
  };
  for (const auto& [text, expected] : cases) {
    TScanFile scan;
    const std::string error = Import(text, scan);
    EXPECT_NE(error.find(expected), std::string::npos) << text.substr(0, 80) << " gave: " << error;
  }
}

}  // namespace
}  // namespace nubrix
