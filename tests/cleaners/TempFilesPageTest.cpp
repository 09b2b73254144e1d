// The temp-file page through the window: the type list and its template, the search of the
// scanned folders, sorting, deleting to the trash of the test's home, with scripted answers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <fstream>
#include <sstream>

#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "cleaners/CleanupRuns.h"
#include "cleaners/models/TempFilesModels.h"
#include "cleaners/pages/Add_ElementU.h"
#include "cleaners/pages/TempFilesPage.h"
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

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class TempFilesPageTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = window_.Start();
    page_ = form_->Pages().TempFiles;
    form_->ShowPage(TPage::TempFiles);
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
    for (const TTempTreeData& row : page_->Files().Rows()) names.push_back(row.FileName);
    return names;
  }
  std::string TemplateFile() const { return window_.Settings / "AppData/Nubrix.tpl"; }

  test::TWindowFixture window_;
  test::TScriptedDialogs& dialogs_ = window_.Dialogs;
  std::unique_ptr<TForm1> form_;
  TTempFilesPage* page_ = nullptr;
};

TEST_F(TempFilesPageTest, SearchesTheScannedFoldersForTheCheckedMasks) {
  page_->ListTempFiles(true);
  EXPECT_EQ(dialogs_.Messages,
            QStringList{QStringLiteral("You must scan a folder or drive first!")});
  test::TTempTree disk(
      "a.tmp=1\nnot.bak=2\nsub/b.tmp=3\nsub/low/c.tmp=4\n.d.tmp=5\nfolder.tmp/\nsub/e.TMP=6");
  Scan(disk.Root());
  page_->Types().Assign({{"*.tmp", "temp"}, {"*.bak", "backup", false}});
  page_->ListTempFiles(true);
  EXPECT_TRUE(form_->Layout().Gauge->isVisible());
  EXPECT_EQ(form_->Layout().Gauge->maximum(), form_->ScannedFolderCount());
  EXPECT_EQ(form_->StatusText(1).toStdString(), "Look for Tempfiles in: " + disk.ScanPath());
  EXPECT_FALSE(form_->Action("actRun")->isEnabled())
      << "no new scan while the search reads the last one";
  WaitForPage();
  std::vector<std::string> names = Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.tmp", "b.tmp", "c.tmp", "e.TMP"}))
      << "unchecked masks, dot files and folders named like a mask are not listed";
  EXPECT_EQ(form_->Layout().Gauge->value(), form_->ScannedFolderCount())
      << "from the root the gauge runs full";
  EXPECT_TRUE(form_->StatusResetTimer().isActive());
  // From a lower folder: the rows of that folder and below only, replacing the others.
  form_->OpenChartPath(disk / "sub", Qt::LeftButton);
  page_->ListTempFiles(false);
  WaitForPage();
  names = Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"b.tmp", "c.tmp", "e.TMP"}));
  page_->Types().SetAllChecked(false);
  page_->ListTempFiles(true);
  EXPECT_EQ(dialogs_.Messages.back(),
            QStringLiteral("No junk file type is checked: check the types to look for first."));
  EXPECT_FALSE(page_->Busy()) << "nothing is searched for";
  EXPECT_EQ(Names().size(), 3U) << "the last list stays";
}

TEST_F(TempFilesPageTest, DeletingTheCheckedFilesKeepsWhatDidNotGoChecked) {
  test::TTempTree disk("one.tmp=10\ntwo.tmp=20\nkeep.tmp=30");
  Scan(disk.Root());
  page_->DeleteCheckedTempFiles();
  EXPECT_EQ(dialogs_.Messages, QStringList{QStringLiteral("No items listed!")});
  page_->Types().Assign({{"*.tmp", ""}, {"one.*", ""}});  // one.tmp is found twice
  page_->ListTempFiles(true);
  WaitForPage();
  ASSERT_EQ(page_->Files().rowCount(), 4);
  for (int row = 0; row < 4; ++row) {
    if (page_->Files().Rows()[static_cast<std::size_t>(row)].FileName == "keep.tmp") {
      page_->Files().setData(page_->Files().index(row, 0), Qt::Unchecked, Qt::CheckStateRole);
    }
  }
  dialogs_.Answers = {false};
  page_->DeleteCheckedTempFiles();
  EXPECT_EQ(
      dialogs_.Asked.back(),
      (test::TQuestion{TQuestionKind::Confirmation, TAnswerButtons::OkCancel,
                       QStringLiteral("Do you really want to delete the checked temp "
                                      "files?\n\r(Temp Files in use will not be deleted!)")}));
  EXPECT_TRUE(Exists(disk / "one.tmp")) << "Cancel: nothing goes";
  dialogs_.Answers = {true};
  page_->DeleteCheckedTempFiles();
  WaitForPage();
  EXPECT_FALSE(Exists(disk / "one.tmp"));
  EXPECT_FALSE(Exists(disk / "two.tmp"));
  EXPECT_TRUE(Exists(disk / "keep.tmp"));
  EXPECT_TRUE(Exists(gHome + "/.local/share/Trash/files/one.tmp")) << "to the trash, never deleted";
  // The second row of one.tmp stays, checked: its file had gone already.
  EXPECT_EQ(Names(), (std::vector<std::string>{"keep.tmp", "one.tmp"}));
  EXPECT_TRUE(page_->Files().Rows()[1].Checked);
  EXPECT_TRUE(
      form_->StatusText(1).startsWith(QStringLiteral("2 file(s) moved to the trash, 1 stayed: ")))
      << form_->StatusText(1).toStdString();
  // Kept as one run that can be put back: what went, with its sizes.
  const std::optional<TRun> run = TRunLog(ProgramDatabaseFile(form_->AppDataFolder())).LastRun();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->Summary.Command, "Delete checked temp files");
  EXPECT_EQ(run->Summary.Items, 2);
  EXPECT_EQ(run->Summary.Bytes, 30);
  dialogs_.Answers = {true};
  page_->DeleteCheckedTempFiles();  // twice in a row: the row that failed is tried again
  WaitForPage();
  EXPECT_EQ(Names(), (std::vector<std::string>{"keep.tmp", "one.tmp"}));
}

TEST_F(TempFilesPageTest, ADeletionCancelledHalfWayKeepsWhatWentAsARunThatComesBack) {
  std::string spec;
  constexpr int kFiles = 400;
  for (int i = 0; i < kFiles; ++i) spec += "f" + std::to_string(i) + ".tmp=3\n";
  test::TTempTree disk(spec);
  Scan(disk.Root());
  page_->Types().Assign({{"*.tmp", ""}});
  page_->ListTempFiles(true);
  WaitForPage();
  ASSERT_EQ(page_->Files().rowCount(), kFiles);
  const auto gone = [&] {
    int count = 0;
    for (int i = 0; i < kFiles; ++i)
      count += Exists(disk / ("f" + std::to_string(i) + ".tmp")) ? 0 : 1;
    return count;
  };
  dialogs_.Answers = {true};
  page_->DeleteCheckedTempFiles();
  // Cancelled once the first files went: where exactly the worker stops is its own business,
  // what it kept must match the disk either way.
  EXPECT_TRUE(QTest::qWaitFor([&] { return !page_->Busy() || gone() > 0; }, 20000));
  page_->CancelJob();
  WaitForPage();
  const int moved = gone();
  const std::optional<TRun> run = TRunLog(ProgramDatabaseFile(form_->AppDataFolder())).LastRun();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->Summary.Items, moved);
  EXPECT_EQ(run->Summary.Bytes, 3 * moved);
  if (moved < kFiles) {
    EXPECT_TRUE(run->Summary.Cancelled);
    EXPECT_EQ(page_->Files().rowCount(), kFiles - moved) << "what stayed is still listed";
  }
  EXPECT_EQ(UndoRun(*run, false).Restored, moved);
  EXPECT_EQ(gone(), 0);
}

TEST_F(TempFilesPageTest, HeaderClicksFlipOneDirectionForEveryColumn) {
  test::TTempTree disk("b.tmp=1\nA.tmp=300\nc.tmp=20");
  Scan(disk.Root());
  page_->Types().Assign({{"*.tmp", ""}});
  page_->ListTempFiles(true);
  WaitForPage();
  page_->VSTTempHeaderClick(kTempFileNameColumn);
  EXPECT_EQ(Names(), (std::vector<std::string>{"c.tmp", "b.tmp", "A.tmp"}))
      << "the first click sorts descending";
  page_->VSTTempHeaderClick(kTempSizeColumn);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b.tmp", "c.tmp", "A.tmp"}))
      << "then ascending, by size";
  page_->VSTTempHeaderClick(kTempSizeColumn);
  EXPECT_EQ(Names(), (std::vector<std::string>{"A.tmp", "c.tmp", "b.tmp"}));
}

TEST_F(TempFilesPageTest, AMaskTheListFileCannotKeepIsRefusedWithTheReason) {
  page_->Types().Assign({{"*.tmp", "temp"}});
  for (const char* mask : {"[x]", ";x", "a=b", " [x", "  ", "*.TMP"}) {
    QTimer::singleShot(0, [mask] {
      auto* dialog = qobject_cast<TAdd_Element*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->Edit1()->setText(QString::fromUtf8(mask));
      dialog->accept();
    });
    page_->ToolButton27Click();
  }
  EXPECT_EQ(page_->Types().rowCount(), 1);
  ASSERT_EQ(dialogs_.Messages.size(), 6);
  EXPECT_EQ(dialogs_.Messages[0],
            QStringLiteral("A mask cannot begin with \"[\": the list of types "
                           "would not read it back."));
  EXPECT_EQ(dialogs_.Messages[2],
            QStringLiteral("A mask cannot hold \"=\": the list of types would not read it back."));
  EXPECT_EQ(dialogs_.Messages[3], dialogs_.Messages[0]) << "the mask as the file keeps it";
  EXPECT_EQ(dialogs_.Messages[4], QStringLiteral("A junk file type needs a mask."));
  EXPECT_EQ(
      dialogs_.Messages[5],
      QStringLiteral("The list has \"*.tmp\" already: masks that differ only in case are one."));
}

TEST_F(TempFilesPageTest, TypesAreAddedUncheckedDeletedOneAtATimeAndKeptInTheTemplate) {
  page_->Types().Assign({{"*.tmp", "temp"}, {"*.bak", "backup"}});
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<TAdd_Element*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Nubrix"));
    EXPECT_EQ(dialog->width(), 410);
    for (QLineEdit* edit : {dialog->Edit1(), dialog->Edit2()}) {
      EXPECT_GE(edit->height(), edit->fontMetrics().height() + 4) << "a line of text shows whole";
      EXPECT_LE(edit->mapTo(dialog, QPoint(0, edit->height())).y(), dialog->height());
    }
    dialog->Edit1()->setText(QStringLiteral(" *.old "));
    dialog->Edit2()->setText(QStringLiteral("old copies"));
    dialog->accept();
  });
  page_->ToolButton27Click();
  ASSERT_EQ(page_->Types().rowCount(), 3);
  EXPECT_FALSE(page_->Types().Types()[2].Checked) << "an added row starts unchecked";
  QItemSelectionModel* selection = page_->TypeList()->selectionModel();
  selection->select(page_->Types().index(0, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  selection->select(page_->Types().index(1, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  page_->ToolButton28Click();
  EXPECT_EQ(dialogs_.Messages, QStringList{QStringLiteral("No item selected")});
  EXPECT_EQ(page_->Types().rowCount(), 3);
  selection->clearSelection();
  selection->select(page_->Types().index(1, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
  dialogs_.Answers = {true};
  page_->ToolButton28Click();
  EXPECT_EQ(dialogs_.Asked.back(),
            (test::TQuestion{TQuestionKind::Confirmation, TAnswerButtons::YesCancel,
                             QStringLiteral("Do you really want to delete \n\r*.bak extension?")}));
  ASSERT_EQ(page_->Types().rowCount(), 2);
  form_.reset();  // closing writes the template
  EXPECT_EQ(Slurp(TemplateFile()), "[tmpList]\n*.tmp=temp\n*.old=old copies\n");
  form_ = window_.Start();
  ASSERT_EQ(form_->Pages().TempFiles->Types().rowCount(), 2);
  EXPECT_TRUE(form_->Pages().TempFiles->Types().Types()[0].Checked)
      << "every row comes back checked";
}

TEST_F(TempFilesPageTest, ATemplateThatCannotBeWrittenIsReported) {
  page_->Types().Assign({{"*.tmp", "temp"}});
  unlink(TemplateFile().c_str());
  mkdir(TemplateFile().c_str(), 0755);  // a folder stands where the file would go
  form_.reset();
  rmdir(TemplateFile().c_str());
  ASSERT_EQ(dialogs_.Errors.size(), 1);
  EXPECT_EQ(dialogs_.Errors.front().toStdString(), "Unable to write to " + TemplateFile());
}

}  // namespace
}  // namespace nubrix
