#include <gtest/gtest.h>

#include <sstream>

#include "cli/ScanReport.h"

namespace nubrix {
namespace {

class ScanReportTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = tree_.TopFolder().AddChild("/data/");
    root_->SetName("/data/");
    root_->AddOwnSize(5);
    for (auto [name, size] : {std::pair{"small", 10}, {"\xff-big", 3000}, {"mid", 200}}) {
      TSizeFolder* child = root_->AddChild(std::string("/data/") + name);
      child->SetName(name);
      child->AddOwnSize(size);
    }
  }
  TSizeTree tree_;
  TSizeFolder* root_ = nullptr;
};

TEST_F(ScanReportTest, ListingIsTabSeparatedRawBytesInTreeOrder) {
  std::ostringstream out;
  WriteListing(out, *root_);
  EXPECT_EQ(out.str(),
            "5\t0\t/data/\n10\t0\t/data/small\n3000\t0\t/data/\xff-big\n200\t0\t/data/mid\n");
}

TEST_F(ScanReportTest, ATerminalGetsControlBytesEscaped) {
  TSizeFolder* odd = root_->AddChild("/data/\x1b[2Jx\\y\x7f\nz");
  odd->SetName("\x1b[2Jx\\y\x7f\nz");
  std::ostringstream out;
  WriteListing(out, *odd, TNames::ForTerminal);
  EXPECT_EQ(out.str(), "0\t0\t/data/\\033[2Jx\\\\y\\177\\012z\n");
  TFileStats stats;
  stats.Largest.push_back({"/d/\x01\xff", 5, 1, 0, 0, 0, 0, 0, {}});
  std::ostringstream largest;
  WriteLargest(largest, stats, TNames::ForTerminal);
  EXPECT_EQ(largest.str(), "1\t/d/\\001\xff\n") << "bytes above 0x7f are left to the terminal";
}

TEST_F(ScanReportTest, SummaryListsChildrenLargestFirstUpToTop) {
  std::ostringstream out;
  WriteSummary(out, *root_, 3, std::chrono::milliseconds(1234), 2);
  const std::string text = out.str();
  const std::size_t big = text.find("0.3000 MB  \xff-big");
  const std::size_t mid = text.find("0.0200 MB  mid");
  ASSERT_NE(big, std::string::npos) << text;
  ASSERT_NE(mid, std::string::npos) << text;
  EXPECT_LT(big, mid);
  EXPECT_EQ(text.find("small"), std::string::npos);
  EXPECT_NE(text.find("... 1 more"), std::string::npos);
  EXPECT_NE(text.find("3 folders, 1.234 s"), std::string::npos);
  EXPECT_NE(text.find("0.0005 MB  (files directly in the folder)"), std::string::npos);
}

TEST_F(ScanReportTest, UnreadableFoldersAreCountedOnlyWhenThereAreAny) {
  for (const auto& [count, text] :
       {std::pair{0, ""},
        {1, "nubrix-scan: 1 folder could not be read; the sizes above it are too small\n"},
        {12, "nubrix-scan: 12 folders could not be read; the sizes above them are too small\n"}}) {
    std::ostringstream out;
    WriteUnreadableNote(out, count);
    EXPECT_EQ(out.str(), text);
  }
}

}  // namespace
}  // namespace nubrix
