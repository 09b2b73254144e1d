// The settings file and the folder history through the window: first run, round trip, odd
// values, failed writes, the history box.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QSplitter>
#include <QStackedWidget>
#include <QTest>
#include <fstream>
#include <sstream>

#include "app/HistoryBox.h"
#include "app/TForm1.h"
#include "charts/ChartView.h"
#include "cleaners/models/TempFilesModels.h"
#include "cleaners/pages/TempFilesPage.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix {
namespace {

class SettingsWindowTest : public testing::Test {
 protected:
  std::unique_ptr<TForm1> Start() {
    auto form = std::make_unique<TForm1>(&dialogs_, file_);
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
  }
  void WriteFile(const std::string& text) {
    mkdir((dir_ / "AppData").c_str(), 0755);
    std::ofstream(file_) << text;
  }
  std::string FileText() const {
    std::ifstream in(file_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  int PanelWidth(TForm1& form) { return form.findChild<QSplitter*>("Splitter1")->sizes().value(0); }

  test::TScriptedDialogs dialogs_;
  test::TTempTree dir_;
  std::string file_ = dir_ / "AppData/Nubrix.ini";
};

TEST_F(SettingsWindowTest, FirstRunCreatesTheFileAndStartsWithTheDefaults) {
  auto form = Start();
  EXPECT_TRUE(dialogs_.Messages.isEmpty());
  struct stat info {};
  EXPECT_EQ(stat(file_.c_str(), &info), 0) << "created empty at start";
  EXPECT_EQ(form->width(), 900);
  EXPECT_EQ(form->height(), 600);
  EXPECT_TRUE(form->Action("actLabels")->isChecked());
  EXPECT_TRUE(form->Action("actshowHints")->isChecked());
  EXPECT_TRUE(form->Action("act3D")->isChecked());
  EXPECT_TRUE(form->Bars()->Model().View3D);
  EXPECT_FALSE(form->Action("actshowLegend")->isChecked());
  EXPECT_FALSE(form->Action("actExplode")->isChecked());
  EXPECT_FALSE(form->Action("actElypticPie")->isChecked());
  EXPECT_FALSE(form->Action("actFreeSpace")->isChecked());
  EXPECT_FALSE(form->HistoryCombo()->isVisible());
  EXPECT_TRUE(form->Action("actSortName")->isChecked());
  EXPECT_EQ(form->SelectedPath(), "/");
  EXPECT_EQ(form->HistoryBox()->HistorySize(), 20);
  form.reset();
  const std::string text = FileText();
  for (const char* section :
       {"[Bounds]", "[Switches]", "[PieForm]", "[Page]", "[LastDir]", "[HistoryCombo]"}) {
    EXPECT_NE(text.find(section), std::string::npos) << section;
  }
  EXPECT_EQ(text.find("[Settings]"), std::string::npos);
}

TEST_F(SettingsWindowTest, AFirstStartBeginsWithTheShippedJunkTypesAndKeepsTheUsersOwn) {
  {
    auto form = Start();
    EXPECT_EQ(form->Pages().TempFiles->Types().Types().front().Mask, "*.tmp");
    EXPECT_GT(form->Pages().TempFiles->Types().rowCount(), 5);
  }
  std::ofstream(dir_ / "AppData/Nubrix.tpl") << "[tmpList]\n*.mine=only this\n";
  auto form = Start();
  ASSERT_EQ(form->Pages().TempFiles->Types().rowCount(), 1)
      << "a list of the user's stays as it is";
  EXPECT_EQ(form->Pages().TempFiles->Types().Types().front().Mask, "*.mine");
}

TEST_F(SettingsWindowTest, EverySavedSwitchSurvivesARestart) {
  test::TTempTree start("chosen/");
  {
    auto form = Start();
    form->resize(700, 500);
    form->Action("act3D")->trigger();
    form->Action("actLabels")->trigger();
    form->Action("actshowLegend")->trigger();
    form->Action("actshowHints")->trigger();
    form->Action("actExplode")->trigger();
    form->Action("actElypticPie")->trigger();
    form->Action("actFreeSpace")->trigger();
    form->Action("actFolderHistory")->trigger();
    form->Action("actSortSize")->trigger();
    form->Action("actToggleDirTree")->trigger();
    form->ShowPage(3);
    form->ShowSelectedPath(start / "chosen");
    form->HistoryBox()->AddToHistory(form->SelectedPath());
  }
  auto form = Start();
  EXPECT_EQ(form->width(), 700);
  EXPECT_EQ(form->height(), 500);
  EXPECT_FALSE(form->Action("act3D")->isChecked());
  EXPECT_FALSE(form->Bars()->Model().View3D);
  EXPECT_FALSE(form->Action("actLabels")->isChecked());
  EXPECT_FALSE(form->Pies()->Model().MarksVisible);
  EXPECT_TRUE(form->Action("actshowLegend")->isChecked());
  EXPECT_FALSE(form->Action("actshowHints")->isChecked());
  EXPECT_FALSE(form->Hints()->Enabled());
  EXPECT_TRUE(form->Action("actExplode")->isChecked());
  EXPECT_EQ(form->Pies()->Model().Pie.ExplodeBiggest, 10);
  EXPECT_TRUE(form->Action("actElypticPie")->isChecked());
  EXPECT_FALSE(form->Pies()->Model().Pie.Circled);
  EXPECT_TRUE(form->Action("actFreeSpace")->isChecked());
  EXPECT_TRUE(form->HistoryCombo()->isVisible());
  EXPECT_EQ(form->SortMode(), TSortMode::BySize);
  EXPECT_TRUE(form->Action("actSortSize")->isChecked());
  EXPECT_LE(PanelWidth(*form), 1) << "the folder panel stays collapsed";
  EXPECT_EQ(form->PageShown(), 3);
  EXPECT_EQ(form->SelectedPath(), start / "chosen/");
  ASSERT_EQ(form->HistoryBox()->History().Entries().size(), 1u);
  EXPECT_EQ(form->HistoryCombo()->itemText(0).toStdString(), start / "chosen/");
  // Collapsed by the settings, the panel reopens at 150 pixels.
  form->Action("actToggleDirTree")->trigger();
  EXPECT_EQ(PanelWidth(*form), TForm1::kReopenedWidth);
}

TEST_F(SettingsWindowTest, ClosingTheWindowSavesOnce) {
  auto form = Start();
  form->Action("actshowLegend")->trigger();
  form->close();
  EXPECT_NE(FileText().find("ShowLegend=1"), std::string::npos) << "written when the window closes";
  WriteFile("[Switches]\nShowLegend=0\n");
  form.reset();
  EXPECT_EQ(FileText(), "[Switches]\nShowLegend=0\n") << "not written a second time";
}

TEST_F(SettingsWindowTest, OddStoredValues) {
  WriteFile(
      "[Switches]\nSort=257\nToggle3D=2\nShowLegend=yes\n[Page]\nTabSheet=8\n[LastDir]\nStart "
      "with=/gone/away/\n"
      "[Settings]\nEnableZoom=0\n");
  {
    auto form = Start();
    EXPECT_EQ(form->SortMode(), TSortMode::BySize);
    EXPECT_TRUE(form->Action("act3D")->isChecked());
    EXPECT_FALSE(form->Action("actshowLegend")->isChecked());
    EXPECT_EQ(form->PageShown(), -1) << "no page";
    EXPECT_TRUE(form->SelectedPath().empty()) << "the start folder is gone";
    EXPECT_FALSE(form->Bars()->Model().Bars.ZoomEnabled);
  }
  EXPECT_NE(FileText().find("TabSheet=-1"), std::string::npos);
  EXPECT_NE(FileText().find("EnableZoom=0"), std::string::npos)
      << "keys not written stay as they were";
}

TEST_F(SettingsWindowTest, MaximizedCloseKeepsTheEarlierBounds) {
  WriteFile("[Bounds]\nleft=10\nwidth=640\ntop=20\nheight=480\n");
  {
    auto form = Start();
    form->setWindowState(Qt::WindowMaximized);
    QTest::qWait(20);
  }
  const std::string text = FileText();
  EXPECT_NE(text.find("width=640"), std::string::npos) << text;
  EXPECT_NE(text.find("height=480"), std::string::npos);
}

TEST_F(SettingsWindowTest, AFailedWriteIsReportedAndTheFileStaysWhole) {
  WriteFile("[Switches]\nSort=1\n");
  {
    auto form = Start();
    form->Action("actSortName")->trigger();
    chmod(file_.c_str(), 0444);
  }
  chmod(file_.c_str(), 0644);
  ASSERT_EQ(dialogs_.Errors.size(), 1);
  EXPECT_EQ(dialogs_.Errors.front().toStdString(), "Unable to write to " + file_);
  EXPECT_EQ(FileText(), "[Switches]\nSort=1\n");
}

TEST_F(SettingsWindowTest, SettingsThatCannotBeCreatedAreReportedAndTheDefaultsApply) {
  file_ = "/proc/nubrix-no-such-place/AppData/Nubrix.ini";
  auto form = Start();
  EXPECT_EQ(dialogs_.Messages, QStringList{QStringLiteral("Error creating ini file")});
  EXPECT_TRUE(form->Action("act3D")->isChecked());
}

TEST_F(SettingsWindowTest, AFirstRunWithoutAnyConfigFolderCreatesItWithItsParents) {
  file_ = dir_ / "config/Nubrix/AppData/Nubrix.ini";
  {
    auto form = Start();
    EXPECT_TRUE(dialogs_.Messages.isEmpty()) << dialogs_.Messages.join(' ').toStdString();
    form->Action("actshowLegend")->trigger();
  }
  EXPECT_TRUE(dialogs_.Errors.isEmpty());
  EXPECT_NE(FileText().find("ShowLegend=1"), std::string::npos) << "saved at the close";
}

// The folder of the settings turns read-only while the program runs, and the file is gone.
TEST_F(SettingsWindowTest, ASettingsFileThatCannotBeCreatedAtTheCloseIsReported) {
  const std::string folder = dir_ / "AppData";
  auto form = Start();
  unlink(file_.c_str());
  const bool root = geteuid() == 0;
  if (root) {
    if (!test::CanMount()) GTEST_SKIP() << "a read-only folder needs a mount when running as root";
    ASSERT_EQ(mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr), 0);
    ASSERT_EQ(mount(nullptr, folder.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr),
              0);
  } else {
    chmod(folder.c_str(), 0555);
  }
  form.reset();
  root ? umount2(folder.c_str(), MNT_DETACH) : chmod(folder.c_str(), 0755);
  EXPECT_EQ(dialogs_.Messages, QStringList{QString::fromStdString("Could not create " + file_)});
  EXPECT_EQ(dialogs_.Errors, QStringList{QString::fromStdString("Unable to write to " + file_)});
}

TEST_F(SettingsWindowTest, HistoryBoxClearsOnlyOnYesAndChoosingSelects) {
  test::TTempTree folders("one/\ntwo/");
  WriteFile("[HistoryCombo]\ncount=3\n0=" + folders / "one/" + "\n1=" + folders / "two/" +
            "\n2=/gone/\n[Switches]\nHistoryCombo=1\n");
  auto form = Start();
  ASSERT_EQ(form->HistoryCombo()->count(), 3);
  form->HistoryBox()->HistoryComboClick(1);
  EXPECT_EQ(form->SelectedPath(), folders / "two/");
  form->HistoryBox()->HistoryComboClick(2);
  EXPECT_EQ(form->SelectedPath(), folders / "two/") << "a folder that is gone changes nothing";
  dialogs_.Answers = {false};
  form->HistoryBox()->ClearAll1Click();
  EXPECT_EQ(form->HistoryCombo()->count(), 3) << "Cancel";
  EXPECT_EQ(
      dialogs_.Asked.back(),
      (test::TQuestion{TQuestionKind::Warning, TAnswerButtons::YesCancel,
                       QStringLiteral("Do you really want to delete the entire histoy list?")}));
  form->HistoryCombo()->setCurrentIndex(0);
  dialogs_.Answers = {true};
  form->HistoryBox()->DeleteHistoryItemClick();
  ASSERT_EQ(form->HistoryCombo()->count(), 2);
  EXPECT_EQ(form->HistoryCombo()->itemText(0).toStdString(), folders / "two/");
  dialogs_.Answers = {true};
  form->HistoryBox()->ClearAll1Click();
  EXPECT_EQ(form->HistoryCombo()->count(), 0);
  EXPECT_TRUE(form->HistoryCombo()->currentText().isEmpty());
  form.reset();
  EXPECT_NE(FileText().find("count=0"), std::string::npos);
}

TEST_F(SettingsWindowTest, ScanPutsTheFolderIntoTheHistoryFirst) {
  test::TTempTree folder("a/");
  WriteFile("[LastDir]\nStart with=" + folder.ScanPath() + "\n");
  auto form = Start();
  QSignalSpy finished(form.get(), &TForm1::ScanFinished);
  form->Action("actRun")->trigger();
  EXPECT_EQ(form->HistoryBox()->History().Entries(), std::vector<std::string>{folder.ScanPath()})
      << "before the scan ends";
  ASSERT_TRUE(finished.wait(10000));
  form->Action("actRun")->trigger();
  ASSERT_TRUE(finished.wait(10000));
  EXPECT_EQ(form->HistoryBox()->History().Entries().size(), 1u);
}

// A crash takes nothing the user added: the history and the junk file types are on the disk as
// soon as they change, before the window closes (if it ever does).
TEST_F(SettingsWindowTest, WhatTheUserAddsIsOnTheDiskAtOnce) {
  test::TTempTree folder("a/");
  WriteFile("[LastDir]\nStart with=" + folder.ScanPath() + "\n");
  auto form = Start();
  QSignalSpy finished(form.get(), &TForm1::ScanFinished);
  form->Action("actRun")->trigger();
  ASSERT_TRUE(finished.wait(10000));
  EXPECT_NE(FileText().find("[HistoryCombo]"), std::string::npos) << FileText();
  EXPECT_NE(FileText().find(folder.ScanPath()), std::string::npos) << FileText();
  form->Pages().TempFiles->Types().Append({"*.crash", "added just now", false});
  std::ifstream in(dir_ / "AppData/Nubrix.tpl");
  std::ostringstream types;
  types << in.rdbuf();
  EXPECT_NE(types.str().find("*.crash=added just now"), std::string::npos) << types.str();
}

}  // namespace
}  // namespace nubrix
