// The "Duplicates" page through the window: it searches the folder the charts show, checks by a
// rule, refuses to empty a group and moves the checked copies as a run that undo can put back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <fstream>

#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "cleaners/models/DuplicatesModel.h"
#include "cleaners/pages/DuplicatesPage.h"
#include "programdb/RunLog.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix {

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

void Write(const std::string& path, const std::string& data, time_t modified) {
  std::ofstream(path, std::ios::binary) << data;
  const struct utimbuf times { modified, modified };
  utime(path.c_str(), &times);
}

class DuplicatesPageTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = window_.Start();
    page_ = form_->Pages().Duplicates;
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
  // Each group's names, the checked ones marked with a '*'.
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    TDuplicatesModel& model = page_->Model();
    for (int g = 0; g < model.rowCount(); ++g) {
      const QModelIndex group = model.index(g, 0);
      std::string names;
      for (int f = 0; f < model.rowCount(group); ++f) {
        const QModelIndex copy = model.index(f, 0, group);
        names += (f > 0 ? " " : "") + std::string(model.CopyAt(copy)->Name()) +
                 (model.data(copy, Qt::CheckStateRole).toInt() == Qt::Checked ? "*" : "");
      }
      shown.push_back(names);
    }
    return shown;
  }

  test::TWindowFixture window_;
  test::TScriptedDialogs& dialogs_ = window_.Dialogs;
  std::unique_ptr<TForm1> form_;
  TDuplicatesPage* page_ = nullptr;
};

TEST_F(DuplicatesPageTest, SearchesTheFolderShownChecksByRuleAndMovesAllButOneCopy) {
  QAbstractButton* button =
      form_->Layout().PageButtons->button(static_cast<int>(TPage::Duplicates));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), QStringLiteral("Duplicates"));
  test::TTempTree disk("sub/");
  const std::string big(6000, 'b');
  Write(disk / "big1", big, 3000);
  Write(disk / "sub/big2", big, 1000);
  Write(disk / "sub/big3", big, 2000);
  Write(disk / "sub/s1", "small", 1000);
  Write(disk / "sub/s2", "small", 1000);
  Write(disk / "other", std::string(6000, 'c'), 1000);
  Scan(disk.Root());
  form_->ShowPage(TPage::Duplicates);
  WaitForPage();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"big1 big2 big3", "s1 s2"}));
  EXPECT_TRUE(page_->Summary()->text().startsWith(QStringLiteral("2 groups of duplicates below ")))
      << page_->Summary()->text().toStdString();
  form_->OpenChartPath(disk / "sub", Qt::LeftButton);
  WaitForPage();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"big2 big3", "s1 s2"})) << "the page follows";
  form_->GoToParentFolder();
  WaitForPage();

  page_->findChild<QAction*>(QStringLiteral("Check all but the newest"))->trigger();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"big1 big2* big3*", "s1 s2*"}));
  EXPECT_TRUE(page_->Summary()->text().endsWith(QStringLiteral("Checked: 3 copies, 0.011 MB.")))
      << page_->Summary()->text().toStdString();
  // Every copy of a group checked: refused before anything is asked.
  page_->Model().setData(page_->Model().index(0, 0, page_->Model().index(1, 0)), Qt::Checked,
                         Qt::CheckStateRole);
  page_->MoveCheckedToTrash();
  EXPECT_TRUE(dialogs_.Messages.back().startsWith(QStringLiteral("Every copy of s1 is checked")));
  EXPECT_TRUE(dialogs_.Asked.empty());

  page_->findChild<QAction*>(QStringLiteral("Check all but the oldest"))->trigger();
  EXPECT_EQ(Shown(), (std::vector<std::string>{"big1* big2 big3*", "s1 s2*"}));
  // The copy that would stay is gone meanwhile: that group's checked copies stay too.
  ASSERT_EQ(unlink((disk / "sub/s1").c_str()), 0);
  dialogs_.Answers = {true};
  page_->MoveCheckedToTrash();
  WaitForPage();
  EXPECT_FALSE(Exists(disk / "big1"));
  EXPECT_FALSE(Exists(disk / "sub/big3"));
  EXPECT_TRUE(Exists(disk / "sub/big2"));
  EXPECT_TRUE(Exists(disk / "sub/s2"));
  EXPECT_TRUE(dialogs_.Messages.back().contains(QStringLiteral("no unchecked copy")));
  EXPECT_EQ(Shown(), (std::vector<std::string>{"s1 s2*"}));
  const std::optional<TRun> run = TRunLog(ProgramDatabaseFile(form_->AppDataFolder())).LastRun();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->Summary.Command, "Move checked to the trash");
  EXPECT_EQ(run->Summary.Items, 2);
}

}  // namespace
}  // namespace nubrix
