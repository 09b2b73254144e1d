// A scan file in the window: shown like a scan with where it came from, what needs the disk
// refused with the reason, a damaged file named while the window keeps what it showed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <fstream>

#include "app/ScanController.h"
#include "app/ScanFileView.h"
#include "app/ScanSources.h"
#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "cleaners/LargestFiles.h"
#include "cleaners/models/LargestFilesModels.h"
#include "cleaners/pages/DuplicatesPage.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "scanfile/ScanExport.h"
#include "sizetree/SizeTreeU.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix {
namespace {

TEST(ScanFileWindowTest, ShowsTheFileLikeAScanAndRefusesWhatNeedsTheDisk) {
  test::TWindowFixture window;
  std::unique_ptr<TForm1> form = window.Start();
  test::TTempTree disk("big/f=5000000\nsmall/g=1000\n");
  const test::TTempTree files;
  const std::string file = files / "scan.json";
  const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_EQ(ExportScan(disk.Root(), fd).WriteError, 0);
  close(fd);
  std::ofstream(disk / "big/f", std::ios::trunc) << "now smaller on the disk";

  window.Dialogs.OpenAnswer = file;
  form->Action("actOpenScanFile")->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form->ScanFiles()->Busy(); }, 20000));
  ASSERT_NE(form->ShownFolder(), nullptr);
  EXPECT_EQ(form->ShownFolder()->Path(), disk.ScanPath());
  EXPECT_EQ(form->ShownFolder()->TotalBytes(), 5001000u) << "the file's sizes, not the disk's";
  EXPECT_TRUE(form->windowTitle().startsWith(QStringLiteral("Nubrix lite - Scan file ")));
  EXPECT_TRUE(form->windowTitle().contains(QStringLiteral("by nubrix-scan")));
  EXPECT_FALSE(form->Action("actDeleteFile")->isEnabled());
  form->ShowPage(TPage::Largest);
  QAction* move = form->Pages().Largest->findChild<QAction*>("Move checked to the trash");
  ASSERT_NE(move, nullptr);
  EXPECT_FALSE(move->isEnabled());
  EXPECT_TRUE(
      move->toolTip().startsWith(QStringLiteral("The folders shown were read from a scan")));
  const TLargeFilesModel& largest = form->Pages().Largest->Files();
  ASSERT_GT(largest.rowCount(), 0);
  EXPECT_EQ(largest.index(0, kLargeModifiedColumn).data().toString(), QString())
      << "the file gives no time: none is shown";
  form->ShowPage(TPage::Duplicates);
  EXPECT_TRUE(form->Pages().Duplicates->Summary()->text().startsWith(
      QStringLiteral("Duplicates are found by reading the files.")));
  EXPECT_FALSE(form->Pages().Duplicates->Busy());

  std::ofstream(file) << "[1,2,{},[{\"name\":\"/x\"},{\"name\":\"a/b\"}]]";
  form->ScanFiles()->Load(file);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form->ScanFiles()->Busy(); }, 20000));
  ASSERT_FALSE(window.Dialogs.Errors.isEmpty());
  EXPECT_TRUE(window.Dialogs.Errors.back().contains(QStringLiteral("at byte 36:")))
      << window.Dialogs.Errors.back().toStdString();
  EXPECT_EQ(form->ShownFolder()->Path(), disk.ScanPath()) << "the window keeps what it showed";

  // A scan of the disk ends the file's view.
  ASSERT_TRUE(form->ShowSelectedPath(disk.Root()));
  QSignalSpy finished(form.get(), &TForm1::ScanFinished);
  form->Action("actRun")->trigger();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(20000));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Nubrix lite"));
  EXPECT_TRUE(form->Action("actDeleteFile")->isEnabled());
  form->ShowPage(TPage::Largest);
  EXPECT_TRUE(move->isEnabled());
}

// A scan and a scan file each replace the tree: neither starts while the other fills it.
TEST(ScanFileWindowTest, AScanAndAScanFileNeverReplaceTheTreeUnderEachOther) {
  test::TWindowFixture window;
  std::unique_ptr<TForm1> form = window.Start();
  test::TTempTree disk("a/f=10\nb/g=20\n");
  const test::TTempTree files;
  const std::string file = files / "scan.json";
  const int out = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_EQ(ExportScan(files.Root(), out).WriteError, 0);
  close(out);

  // A scan held at its start: the file can be neither opened nor loaded.
  test::TGatedSource gate;
  form->Scanner()->SetSource(&gate);
  ASSERT_TRUE(form->ShowSelectedPath(disk.Root()));
  QSignalSpy finished(form.get(), &TForm1::ScanFinished);
  form->Action("actRun")->trigger();
  gate.WaitUntilReached();
  EXPECT_FALSE(form->Action("actOpenScanFile")->isEnabled());
  form->ScanFiles()->Load(file);
  EXPECT_FALSE(form->ScanFiles()->Busy());
  gate.Release();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(20000));
  form->Scanner()->SetSource(nullptr);
  EXPECT_EQ(form->ShownFolder()->Path(), disk.ScanPath());
  EXPECT_TRUE(form->Action("actOpenScanFile")->isEnabled());

  // A file being read (a pipe whose writer waits): no scan starts until it is shown.
  const std::string pipe = files / "pipe.json";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  form->ScanFiles()->Load(pipe);
  ASSERT_TRUE(form->ScanFiles()->Busy());
  EXPECT_FALSE(form->Action("actRun")->isEnabled());
  form->actRunExecute();
  EXPECT_FALSE(form->Scanning());
  std::ifstream scan(file, std::ios::binary);
  std::ofstream(pipe, std::ios::binary) << scan.rdbuf();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form->ScanFiles()->Busy(); }, 20000));
  EXPECT_EQ(form->ShownFolder()->Path(), files.ScanPath());
  EXPECT_TRUE(form->Action("actRun")->isEnabled());
}

}  // namespace
}  // namespace nubrix
