// The treemap's geometry and its SVG form, on trees scanned from fresh temporary folders.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>

#include "charts/TreemapSvg.h"
#include "sizetree/ScanEngine.h"
#include "support/TempTree.h"

namespace nubrix::charts {
namespace {

std::unique_ptr<TSizeTree> Scan(const test::TTempTree& disk) {
  auto tree = std::make_unique<TSizeTree>();
  TScanContext context;
  EXPECT_TRUE(ScanIntoTree(*tree, disk.ScanPath(), context));
  return tree;
}

double Area(const TTreemapRect& r) { return r.W * r.H; }

bool Inside(const TTreemapRect& inner, const TTreemapRect& outer) {
  constexpr double kSlack = 1e-6;
  return inner.X >= outer.X - kSlack && inner.Y >= outer.Y - kSlack &&
         inner.X + inner.W <= outer.X + outer.W + kSlack &&
         inner.Y + inner.H <= outer.Y + outer.H + kSlack;
}

TEST(TreemapTest, TilesFillTheirParentsExactlyInProportionAndStaySquarish) {
  // One huge file beside hundreds of tiny folders, and a few folders of ordinary sizes.
  test::TTempTree disk("big=1000000000\na/f=300000\na/b/f=200000\na/b/c/f=100000\nd/f=500000\n");
  for (int i = 0; i < 300; ++i)
    disk.Add("tiny/t" + std::to_string(i) + "/f=" + std::to_string(7 + i));
  const auto tree = Scan(disk);
  const TTreemapRect area{0, 0, 1280, 1024};
  const std::vector<TTreemapTile> tiles = LayoutTreemap(*tree->ScanRoot(), area);
  ASSERT_GT(tiles.size(), 6U);
  EXPECT_EQ(tiles[0].Bytes, TotalBytes(*tree->ScanRoot()));
  EXPECT_EQ(TotalBytes(*tree->ScanRoot()), 1000000000ULL + 1100000 + 300 * 7 + 299 * 300 / 2);
  std::vector<double> childArea(tiles.size(), 0);
  std::vector<std::uint64_t> childBytes(tiles.size(), 0);
  for (std::size_t i = 1; i < tiles.size(); ++i) {
    const auto parent = static_cast<std::size_t>(tiles[i].Parent);
    ASSERT_LT(parent, i) << "a parent before its tiles";
    EXPECT_TRUE(Inside(tiles[i].Rect, tiles[parent].Rect)) << i;
    // Area in proportion to bytes, within one pixel's worth.
    const double expected =
        Area(area) * static_cast<double>(tiles[i].Bytes) / static_cast<double>(tiles[0].Bytes);
    EXPECT_NEAR(Area(tiles[i].Rect), expected, 1.0) << tiles[i].Folder->Path();
    childArea[parent] += Area(tiles[i].Rect);
    childBytes[parent] += tiles[i].Bytes;
  }
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    if (!tiles[i].Divided) continue;
    EXPECT_NEAR(childArea[i], Area(tiles[i].Rect), 1e-6 * Area(tiles[i].Rect)) << "no gap";
    EXPECT_EQ(childBytes[i], tiles[i].Bytes) << "subfolders and own files make the whole";
  }
  // The big file is the root's own files: almost all of the picture.
  EXPECT_TRUE(std::any_of(tiles.begin(), tiles.end(), [&](const TTreemapTile& t) {
    return t.OwnFiles && t.Depth == 1 && Area(t.Rect) > 0.99 * Area(area);
  }));
  EXPECT_GE(TileAt(tiles, 0.5, 0.5), 0);
}

TEST(TreemapTest, SquarifiedRowsKeepTilesNearSquare) {
  // Sizes 6 6 4 3 2 2 1 in a 6 x 4 field: laid out in slices, the smallest would be 24 times
  // as long as wide; squarified, none passes 3.
  test::TTempTree disk("a/f=6000\nb/f=6000\nc/f=4000\nd/f=3000\ne/f=2000\ng/f=2000\nh/f=1000\n");
  const auto tree = Scan(disk);
  const std::vector<TTreemapTile> tiles = LayoutTreemap(*tree->ScanRoot(), {0, 0, 600, 400});
  int folders = 0;
  for (const TTreemapTile& tile : tiles) {
    if (tile.Depth != 1) continue;
    ++folders;
    EXPECT_LT(std::max(tile.Rect.W / tile.Rect.H, tile.Rect.H / tile.Rect.W), 3.0)
        << tile.Folder->Name();
  }
  EXPECT_EQ(folders, 7);
}

TEST(TreemapTest, EmptyFolderAndTwentyThousandLevelsWithoutRecursion) {
  test::TTempTree empty("a/b/\nc/\n");
  EXPECT_TRUE(LayoutTreemap(*Scan(empty)->ScanRoot(), {0, 0, 100, 100}).empty());

  test::TTempTree deep;
  int fd = open(deep.Root().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int level = 0; level < 20000; ++level) {
    ASSERT_EQ(mkdirat(fd, "d", 0755), 0);
    const int file = openat(fd, "f", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(ftruncate(file, 4096), 0);
    close(file);
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  close(fd);
  const auto tree = Scan(deep);
  // Without a smallest side every level is divided: the walk keeps its own stack.
  const std::vector<TTreemapTile> tiles = LayoutTreemap(*tree->ScanRoot(), {0, 0, 1000, 1000}, 0);
  EXPECT_EQ(tiles.size(), 1U + 2 * 19999);
  EXPECT_EQ(tiles.back().Depth, 19999);
}

TEST(TreemapTest, SvgNestsFoldersAndKeepsTitlesValidXml) {
  test::TTempTree disk("caf\xE9 <&>/f=3000\nok/in/f=1000\nok/g=500\n");
  const auto tree = Scan(disk);
  const std::string text = TreemapSvg(LayoutTreemap(*tree->ScanRoot(), {0, 0, 200, 100}), 200, 100);
  const std::string root = disk.Root() + "/";
  EXPECT_NE(text.find("<title>" + root + "\t4500</title>"), std::string::npos) << text;
  EXPECT_NE(text.find("<title>" + disk.Root() + "/caf\xEF\xBF\xBD &lt;&amp;&gt;\t3000</title>"),
            std::string::npos)
      << "bytes of no UTF-8 sequence shown as U+FFFD, markup escaped";
  EXPECT_NE(text.find("<title>" + disk.Root() + "/ok/&lt;files&gt;\t500</title>"),
            std::string::npos);
  // ok's group holds its own tiles, after ok's own rectangle.
  const std::size_t ok = text.find("/ok\t1500</title></rect>\n<g>\n");
  ASSERT_NE(ok, std::string::npos);
  EXPECT_LT(ok, text.find("/ok/in\t1000"));
  EXPECT_EQ(XmlText(std::string("a\x01z\"", 4)), "a\xEF\xBF\xBDz&quot;");
  const auto count = [&](const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(count("<g"), 3U) << "the outer group, the root's and ok's";
  EXPECT_EQ(count("</g>"), 3U);
}

}  // namespace
}  // namespace nubrix::charts
