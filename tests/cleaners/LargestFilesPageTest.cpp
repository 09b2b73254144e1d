// The "Largest files" page through the window: the scan root's files at once, a lower folder's
// by a job that follows the charts, the type filter, and moving checked files to the trash of
// the test's home as a run that undo can put back, refusing a file replaced since the listing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <fstream>

#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "cleaners/models/LargestFilesModels.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "programdb/RunLog.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix {

extern std::string gHome;

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

class LargestFilesPageTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = window_.Start();
    page_ = form_->Pages().Largest;
  }
  void Scan(const std::string& folder) {
    ASSERT_TRUE(form_->ShowSelectedPath(folder));
    QSignalSpy finished(form_.get(), &TForm1::ScanFinished);
    form_->Action("actRun")->trigger();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(20000));
  }
  void WaitForPage() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Busy(); }, 20000));
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int row = 0; row < page_->Files().rowCount(); ++row)
      names.emplace_back(page_->Files().FileAt(row).Name());
    return names;
  }
  void Check(const std::string& name) {
    for (int row = 0; row < page_->Files().rowCount(); ++row) {
      if (page_->Files().FileAt(row).Name() == name)
        page_->Files().setData(page_->Files().index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
  }

  test::TWindowFixture window_;
  test::TScriptedDialogs& dialogs_ = window_.Dialogs;
  std::unique_ptr<TForm1> form_;
  TLargestFilesPage* page_ = nullptr;
};

TEST_F(LargestFilesPageTest, FollowsTheChartsWithTheFilesAndTypesOfTheFolderShown) {
  QAbstractButton* button = form_->Layout().PageButtons->button(static_cast<int>(TPage::Largest));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), QStringLiteral("Largest files"));
  test::TTempTree disk("top.iso=9000\nsub/a.log=300\nsub/x/b.LOG=200\nsub/x/c.dat=100\nempty/e/\n");
  Scan(disk.Root());
  form_->ShowPage(TPage::Largest);
  EXPECT_FALSE(page_->Busy()) << "the scan root's files come with the scan";
  EXPECT_EQ(Names(), (std::vector<std::string>{"top.iso", "a.log", "b.LOG", "c.dat"}));
  EXPECT_TRUE(page_->Summary()->text().startsWith(QStringLiteral("4 files, ")))
      << page_->Summary()->text().toStdString();
  ASSERT_EQ(page_->Types().rowCount(), 3);
  EXPECT_EQ(page_->Types().ExtensionAt(1), "log");
  page_->ShowType(1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.log", "b.LOG"}));
  page_->ShowType(-1);
  EXPECT_EQ(page_->Files().rowCount(), 4);
  // Into a lower folder: listed afresh, the page follows.
  form_->OpenChartPath(disk / "sub", Qt::LeftButton);
  WaitForPage();
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.log", "b.LOG", "c.dat"}));
  form_->GoToParentFolder();
  EXPECT_EQ(Names().front(), "top.iso");
  form_->OpenChartPath(disk / "empty", Qt::LeftButton);
  WaitForPage();
  EXPECT_EQ(page_->Files().rowCount(), 0);
  EXPECT_TRUE(page_->Summary()->text().startsWith(QStringLiteral("No files in ")));
  // Hidden, the page waits until it is shown again.
  form_->ShowPage(TPage::Bars);
  form_->GoToParentFolder();
  form_->OpenChartPath(disk / "sub", Qt::LeftButton);
  EXPECT_FALSE(page_->Busy());
  form_->ShowPage(TPage::Largest);
  WaitForPage();
  EXPECT_EQ(Names().size(), 3U);
}

TEST_F(LargestFilesPageTest, MovesTheCheckedFilesAsARunAndRefusesAFileReplacedSinceTheList) {
  test::TTempTree disk("one.bin=4000\ntwo.bin=3000\nkeep.bin=2000\n");
  Scan(disk.Root());
  form_->ShowPage(TPage::Largest);
  page_->MoveCheckedToTrash();
  EXPECT_EQ(dialogs_.Messages.back(), QStringLiteral("No file is checked."));
  Check("one.bin");
  Check("two.bin");
  // two.bin is replaced by another file of the same name: it is not the file listed.
  ASSERT_EQ(unlink((disk / "two.bin").c_str()), 0);
  std::ofstream(disk / "two.bin") << "new";
  dialogs_.Answers = {false};
  page_->MoveCheckedToTrash();
  EXPECT_EQ(dialogs_.Asked.back().Text, QStringLiteral("Move the 2 checked file(s) to the trash?"));
  EXPECT_TRUE(Exists(disk / "one.bin")) << "No: nothing goes";
  dialogs_.Answers = {true};
  page_->MoveCheckedToTrash();
  WaitForPage();
  EXPECT_FALSE(Exists(disk / "one.bin"));
  EXPECT_TRUE(Exists(gHome + "/.local/share/Trash/files/one.bin"));
  EXPECT_TRUE(Exists(disk / "two.bin")) << "the new file stays";
  EXPECT_TRUE(
      dialogs_.Messages.back().startsWith(QStringLiteral("These files stayed where they were:")));
  EXPECT_EQ(Names(), (std::vector<std::string>{"two.bin", "keep.bin"}));
  EXPECT_TRUE(page_->Summary()->text().startsWith(QStringLiteral("2 files, ")));
  EXPECT_EQ(form_->StatusText(1), QStringLiteral("1 file(s) moved to the trash"));
  const std::optional<TRun> run = TRunLog(ProgramDatabaseFile(form_->AppDataFolder())).LastRun();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->Summary.Command, "Move checked to the trash");
  EXPECT_EQ(run->Summary.Items, 1);
  EXPECT_EQ(run->Summary.Bytes, 4000);
}

}  // namespace
}  // namespace nubrix
