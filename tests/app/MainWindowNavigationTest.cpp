// Moving through a scanned tree from the charts, paging, hints and the display options.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <fstream>
#include <map>

#include "app/PieRotation.h"
#include "app/ScanSources.h"
#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "charts/BarPaging.h"
#include "charts/ChartView.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix {
namespace {

class NavigationTest : public testing::Test {
 protected:
  void SetUp() override { form_ = window_.Start(); }
  void Scan(const std::string& folder) {
    ASSERT_TRUE(form_->ShowSelectedPath(folder));
    QSignalSpy finished(form_.get(), &TForm1::ScanFinished);
    form_->Action("actRun")->trigger();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(20000));
  }
  int IndexOf(const std::string& label) const {
    const charts::TChartSeries& series = form_->Bars()->Model().Series;
    for (int i = 0; i < series.Count(); ++i) {
      if (series.Point(i).Label == label) return i;
    }
    ADD_FAILURE() << "no point " << label;
    return -1;
  }
  // As the chart reports a click.
  void ClickBar(const std::string& label, Qt::MouseButton button = Qt::LeftButton) {
    emit form_->Bars()->PointClicked(IndexOf(label), button, QPoint());
  }
  std::string Shown() const {
    return form_->CurrentFolder() ? form_->CurrentFolder()->Path() : "(none)";
  }
  bool Enabled(const char* action) const { return form_->Action(action)->isEnabled(); }

  test::TWindowFixture window_;
  test::TScriptedDialogs& dialogs_ = window_.Dialogs;
  std::unique_ptr<TForm1> form_;
};

TEST_F(NavigationTest, BackRetracesTheUpStepsWhereverTheClicksWent) {
  test::TTempTree disk("A/B/C/\nA/X/\nA/B/f=10");
  Scan(disk.Root());
  EXPECT_FALSE(Enabled("actUpOneDir")) << "at the scan root";
  EXPECT_FALSE(Enabled("actBack"));
  ClickBar("A");
  EXPECT_TRUE(Enabled("actUpOneDir"));
  ClickBar("B");
  ClickBar("C");
  EXPECT_EQ(Shown(), disk / "A/B/C");
  EXPECT_EQ(form_->SelectedPath(), disk / "A/B/C/");
  form_->Action("actUpOneDir")->trigger();
  form_->Action("actUpOneDir")->trigger();
  EXPECT_EQ(Shown(), disk / "A");
  EXPECT_EQ(form_->BackList(), (std::vector<std::string>{disk / "A/B/C", disk / "A/B"}));
  ClickBar("X");
  EXPECT_EQ(Shown(), disk / "A/X");
  EXPECT_EQ(form_->BackList().size(), 2u) << "clicks add nothing";
  form_->Action("actBack")->trigger();
  EXPECT_EQ(Shown(), disk / "A/B");
  form_->Action("actBack")->trigger();
  EXPECT_EQ(Shown(), disk / "A/B/C");
  EXPECT_FALSE(Enabled("actBack"));
  // Up to the scan root and no further.
  for (int i = 0; i < 5; ++i) form_->Action("actUpOneDir")->trigger();
  EXPECT_EQ(Shown(), disk.ScanPath());
  EXPECT_FALSE(Enabled("actUpOneDir"));
  // A new scan empties the way back.
  ClickBar("A");
  form_->Action("actUpOneDir")->trigger();
  EXPECT_TRUE(Enabled("actBack"));
  Scan(disk.Root());
  EXPECT_TRUE(form_->BackList().empty());
  EXPECT_FALSE(Enabled("actBack"));
}

TEST_F(NavigationTest, OwnFilesPointLeftShowsTheFolderAgainRightAsksForTheFileManager) {
  test::TTempTree disk("A/f=1048576\nB/\nown=10");
  Scan(disk.Root());
  ClickBar("A");
  ClickBar("<All files in folder>");
  EXPECT_EQ(Shown(), disk / "A") << "the same folder again";
  dialogs_.Answers = {false};
  form_->BarsClickSeries(IndexOf("<All files in folder>"), Qt::RightButton);
  ASSERT_EQ(dialogs_.Questions.size(), 1);
  EXPECT_EQ(dialogs_.Asked.front(),
            (test::TQuestion{TQuestionKind::Confirmation, TAnswerButtons::YesNo,
                             QString::fromStdString("Do you want to open " + disk / "A/" +
                                                    " in Windows Explorer. Do you \r\nwant to "
                                                    "proceed?")}));
  EXPECT_EQ(Shown(), disk / "A") << "No changes nothing";
  form_->BarsClickSeries(0, Qt::MiddleButton);
  EXPECT_EQ(Shown(), disk / "A");
  EXPECT_EQ(dialogs_.Questions.size(), 1) << "the middle button does nothing";
}

TEST_F(NavigationTest, RightClickOnABarSelectsItsFolderEvenOnNo) {
  test::TTempTree disk("A/\nB/");
  Scan(disk.Root());
  dialogs_.Answers = {false};
  ClickBar("B", Qt::RightButton);
  EXPECT_EQ(form_->SelectedPath(), disk / "B/");
  EXPECT_EQ(Shown(), disk.ScanPath());
  dialogs_.Answers = {false};
  form_->PiesClickSeries(IndexOf("A"), Qt::RightButton);
  EXPECT_EQ(form_->SelectedPath(), disk / "B/") << "the pie leaves the selected path alone";
}

TEST_F(NavigationTest, ClicksAfterACancelledScanDoNothing) {
  test::TTempTree disk("t0/f/\nt1/f/");
  Scan(disk.Root());
  const std::size_t points = form_->Pies()->Model().Series.Count();
  test::TGatedSource gate;  // holds the scan until Escape has been pressed
  form_->Scanner()->SetSource(&gate);
  form_->ShowSelectedPath(disk.Root());
  QSignalSpy finished(form_.get(), &TForm1::ScanFinished);
  form_->Action("actRun")->trigger();
  gate.WaitUntilReached();
  QTest::keyClick(form_.get(), Qt::Key_Escape);
  gate.Release();
  ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
  form_->Scanner()->SetSource(nullptr);
  ASSERT_EQ(form_->CurrentFolder(), nullptr) << "the scan was cancelled";
  EXPECT_EQ(form_->Pies()->Model().Series.Count(), points) << "the pie keeps its slices";
  form_->PiesClickSeries(0, Qt::LeftButton);
  EXPECT_EQ(form_->CurrentFolder(), nullptr);
}

TEST_F(NavigationTest, FortyFiveBarsSpreadAndPage) {
  test::TTempTree disk;
  std::string spec;
  for (int i = 0; i < 44; ++i) spec += "d" + std::to_string(100 + i) + "/\n";
  disk.Add(spec);
  Scan(disk.Root());
  const charts::TChartModel& bars = form_->Bars()->Model();
  ASSERT_EQ(bars.Series.Count(), 45);
  EXPECT_TRUE(Enabled("actBarsSpread"));
  EXPECT_FALSE(Enabled("actBarsUp") || Enabled("actBarsDown") || Enabled("actBarsNormal"));
  form_->Action("actBarsSpread")->trigger();
  EXPECT_FALSE(Enabled("actBarsSpread"));
  EXPECT_TRUE(Enabled("actBarsUp") && Enabled("actBarsDown") && Enabled("actBarsNormal"));
  std::vector<int> shown;
  for (const auto& bar : form_->Bars()->BarLayout().Bars) shown.push_back(bar.Index);
  EXPECT_EQ(shown, (std::vector<int>{40, 41, 42, 43, 44})) << "bars 41 to 45";
  form_->Action("actBarsUp")->trigger();
  EXPECT_DOUBLE_EQ(charts::ShownCategoryRange(bars.Series, bars.Bars).Min, 57.5);
  EXPECT_TRUE(form_->Bars()->BarLayout().Bars.empty()) << "past the last bar: empty space";
  form_->Action("actBarsDown")->trigger();
  form_->Action("actBarsDown")->trigger();
  EXPECT_DOUBLE_EQ(charts::ShownCategoryRange(bars.Series, bars.Bars).Min, 21.5);
  // A chart building starts automatic again; Bars normal ends the paging.
  form_->Action("actSortNow")->trigger();
  EXPECT_TRUE(bars.Bars.CategoryAutomatic);
  EXPECT_EQ(bars.Bars.PointsPerPage, 0);
  form_->Action("actBarsSpread")->trigger();
  form_->Action("actBarsNormal")->trigger();
  EXPECT_EQ(form_->Bars()->BarLayout().Bars.size(), 45u);
  EXPECT_TRUE(Enabled("actBarsSpread"));
}

TEST_F(NavigationTest, HintsNameThePointUnderTheMouse) {
  test::TTempTree disk("A/f=1048576");
  EXPECT_EQ(form_->Bars()->toolTip(), kBarsInitialHint);
  EXPECT_EQ(form_->Pies()->toolTip(),
            QStringLiteral("Left click on Pie to visualize that folder\r\nRight click on Pie to "
                           "open explorer in that folder"));
  Scan(disk.Root());
  emit form_->Bars()->PointHovered(IndexOf("A"), QPoint());
  EXPECT_EQ(form_->StatusText(0), QStringLiteral("A 1 MB"));
  EXPECT_EQ(form_->Bars()->toolTip(),
            QStringLiteral("A 1 MB\n\rLeft click to visualize folder\n\rRight click to open menu"));
  emit form_->Pies()->PointHovered(-1, QPoint());
  EXPECT_EQ(form_->StatusText(0), QString());
  EXPECT_EQ(form_->Pies()->toolTip(),
            QStringLiteral("\n\rLeft click to visualize folder\n\rRight click to open menu"));
}

TEST_F(NavigationTest, HintsOffSilenceTheToolButtonsToo) {
  QToolButton* button = nullptr;
  for (QToolBar* bar : form_->findChildren<QToolBar*>()) {
    if (bar->objectName() == "ToolBar7")
      button = qobject_cast<QToolButton*>(bar->widgetForAction(form_->Action("actRun")));
  }
  ASSERT_NE(button, nullptr);
  auto hover = [&] {
    QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &event);
    return form_->Hints()->Window()->isVisible();
  };
  EXPECT_TRUE(hover());
  EXPECT_EQ(form_->Hints()->Window()->text(),
            QStringLiteral("Calclulate Size of selected directory incl. all sub dirs "));
  form_->Action("actshowHints")->trigger();
  EXPECT_FALSE(form_->Action("actshowHints")->isChecked());
  EXPECT_FALSE(hover());
}

// What shows when the mouse rests on widget at its point: our hint window's text, or nothing.
QString HintShownOver(TForm1& form, QWidget* widget, const QPoint& at) {
  form.Hints()->HideHint();
  QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
  QApplication::sendEvent(widget, &event);
  return form.Hints()->Window()->isVisible() ? form.Hints()->Window()->text() : QString();
}

TEST_F(NavigationTest, HintsShowOverTheFolderTreeTheHistoryBoxAndTheMenus) {
  const QString tree = HintShownOver(*form_, form_->DirTree()->viewport(), QPoint(5, 5));
  EXPECT_TRUE(
      tree.startsWith(QStringLiteral("Chose directory to start size scan.\nThe chosen directory")))
      << tree.toStdString();
  form_->ShowHistory(true);
  QWidget* edit = form_->HistoryCombo()->lineEdit();
  EXPECT_TRUE(HintShownOver(*form_, edit, QPoint(5, 5))
                  .startsWith(QStringLiteral("Display a list of recent analyzed folders.")));
  QMenu* view = nullptr;
  for (QMenu* menu : form_->menuBar()->findChildren<QMenu*>()) {
    if (menu->title() == QStringLiteral("&View")) view = menu;
  }
  ASSERT_NE(view, nullptr);
  view->popup(form_->mapToGlobal(QPoint(10, 10)));
  const QRect item = view->actionGeometry(form_->Action("actshowHints"));
  EXPECT_EQ(HintShownOver(*form_, view, item.center()), QStringLiteral("Show hints on/off"));
  view->hide();
  // Where no widget up to the window has a hint, nothing shows and Qt keeps the event.
  EXPECT_TRUE(HintShownOver(*form_, form_->Layout().Panel1, QPoint(2, 2)).isEmpty());
}

// Qt copies an action's text and hint onto its buttons whenever the action changes.
TEST_F(NavigationTest, ButtonsKeepTheirOwnCaptionsAndHintsThroughEveryChange) {
  std::map<std::pair<QString, QString>, QToolButton*> buttons;  // (tool bar, action) -> button
  for (QToolBar* bar : form_->findChildren<QToolBar*>()) {
    for (QAction* action : bar->actions()) {
      if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action))) {
        buttons[{bar->objectName(), action->objectName()}] = button;
      }
    }
  }
  auto button = [&](const char* bar, const char* action) {
    QToolButton* found = buttons[{QString::fromLatin1(bar), QString::fromLatin1(action)}];
    EXPECT_NE(found, nullptr) << bar << " " << action;
    return found != nullptr ? found : new QToolButton(form_.get());
  };
  auto check = [&](const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(button("ToolBar1", "actSortName")->toolTip(),
              QStringLiteral("Set sort based on Name"));
    EXPECT_EQ(button("ToolBar1", "actSortSize")->toolTip(),
              QStringLiteral("Set sort based on size"));
    EXPECT_EQ(button("ToolBar5", "actUpOneDir")->text(), QStringLiteral("Up"));
    EXPECT_EQ(button("ToolBar5", "actBack")->toolTip(), QStringLiteral("foreward"));
    EXPECT_EQ(button("ToolBar5", "actRotateLeft")->toolTip(), QStringLiteral("Rotate left"));
    EXPECT_EQ(button("ToolBar5", "actRotateRight")->toolTip(), QStringLiteral("Rotate right"));
  };
  check("at the start, after the settings set the marks");
  test::TTempTree disk("A/B/");
  Scan(disk.Root());
  ClickBar("A");
  form_->Action("actSortSize")->trigger();
  form_->Action("actRotateLeft")->trigger();
  form_->Action("actRotateRight")->trigger();
  form_->Action("actUpOneDir")->trigger();
  form_->Action("actBack")->setEnabled(false);
  check("after checking, enabling and disabling");
  form_->Action("actRotateRight")->trigger();
}

TEST_F(NavigationTest, SortMarksFollowTheSortCommands) {
  auto marks = [&] {
    return std::pair{form_->Action("actSortName")->isChecked(),
                     form_->Action("actSortSize")->isChecked()};
  };
  EXPECT_EQ(marks(), std::pair(true, false));
  form_->Action("actSortName")->trigger();
  EXPECT_EQ(marks(), std::pair(true, false)) << "choosing it again keeps its mark";
  EXPECT_EQ(form_->SortMode(), TSortMode::ByName);
  form_->Action("actSortSize")->trigger();
  form_->Action("actSortSize")->trigger();
  EXPECT_EQ(marks(), std::pair(false, true));
  form_->Action("actNoSort")->trigger();
  EXPECT_EQ(form_->SortMode(), TSortMode::None);
  EXPECT_EQ(marks(), std::pair(false, true)) << "\"Don't sort\" changes no mark";
  EXPECT_FALSE(form_->Action("actNoSort")->isChecked());
  test::TTempTree disk("A/");
  Scan(disk.Root());
  form_->Action("actSortNow")->trigger();
  EXPECT_EQ(marks(), std::pair(false, false)) << "Sort now shows the mode: neither";
}

TEST_F(NavigationTest, AFolderNamedLikeASpecialPointCanBeEntered) {
  test::TTempTree disk("<All files in folder>/inner/\n<odd/x/");
  Scan(disk.Root());
  ClickBar("<odd");
  EXPECT_EQ(Shown(), disk / "<odd");
  form_->Action("actUpOneDir")->trigger();
  ClickBar("<All files in folder>");
  EXPECT_EQ(Shown(), disk / "<All files in folder>") << "the folder, not the own-files point";
  const charts::TChartSeries& series = form_->Bars()->Model().Series;
  emit form_->Bars()->PointClicked(series.Count() - 1, Qt::LeftButton, QPoint());
  EXPECT_EQ(Shown(), disk / "<All files in folder>") << "the own-files point stays in the folder";
}

TEST_F(NavigationTest, ThePieTimerRunsOnlyWhileThePieTurns) {
  test::TTempTree disk("A/");
  Scan(disk.Root());
  EXPECT_FALSE(form_->Rotation()->RotationTimer().isActive());
  form_->Action("actRotateLeft")->trigger();
  EXPECT_TRUE(form_->Rotation()->RotationTimer().isActive());
  form_->Action("actRotateRight")->trigger();
  EXPECT_TRUE(form_->Rotation()->RotationTimer().isActive());
  form_->Action("actRotateRight")->trigger();
  EXPECT_FALSE(form_->Rotation()->RotationTimer().isActive());
}

TEST_F(NavigationTest, FoldersThatCouldNotBeReadAreCountedAndNamedInTheHints) {
  test::TTempTree disk("a/locked/deep/f=100\na/f=10\nb/f=10");
  test::TDenyingSource denying({"locked"});
  form_->Scanner()->SetSource(&denying);
  Scan(disk.Root());
  form_->Scanner()->SetSource(nullptr);
  EXPECT_EQ(form_->StatusText(2), QStringLiteral("1 unreadable"));
  emit form_->Bars()->PointHovered(IndexOf("a"), QPoint());
  EXPECT_TRUE(form_->Bars()->toolTip().contains(kIncompleteHint))
      << form_->Bars()->toolTip().toStdString();
  EXPECT_EQ(form_->StatusText(0), QStringLiteral("a 0 MB"))
      << "the status bar keeps the plain mark text";
  emit form_->Bars()->PointHovered(IndexOf("b"), QPoint());
  EXPECT_FALSE(form_->Bars()->toolTip().contains(kIncompleteHint));
  ClickBar("a");
  emit form_->Bars()->PointHovered(IndexOf("locked"), QPoint());
  EXPECT_TRUE(form_->Bars()->toolTip().contains(kIncompleteHint));
  Scan(disk.Root());
  EXPECT_EQ(form_->StatusText(2), QString()) << "a scan that read everything says nothing";
}

TEST_F(NavigationTest, RotationTurnsOneDegreePerTickAndTheTwoCommandsExcludeEachOther) {
  test::TTempTree disk("A/");
  Scan(disk.Root());
  charts::TPieOptions& pie = form_->Pies()->Model().Pie;
  pie.RotationAngle = 0;
  form_->Action("actRotateRight")->trigger();
  EXPECT_TRUE(form_->Rotation()->RotatingRight());
  ASSERT_TRUE(QTest::qWaitFor([&] { return pie.RotationAngle != 0; }, 1000));
  EXPECT_GE(pie.RotationAngle, 300) << "from 0 going right: 359 and down";
  form_->Action("actRotateLeft")->trigger();
  EXPECT_TRUE(form_->Rotation()->RotatingLeft());
  EXPECT_FALSE(form_->Rotation()->RotatingRight());
  EXPECT_FALSE(form_->Action("actRotateRight")->isChecked());
  form_->Action("actRotateLeft")->trigger();  // pressed again: stops
  EXPECT_FALSE(form_->Rotation()->RotatingLeft());
  const int stopped = pie.RotationAngle;
  QTest::qWait(60);
  EXPECT_EQ(pie.RotationAngle, stopped);
}

TEST_F(NavigationTest, ExplodeAndEllipseChangeThePie) {
  test::TTempTree disk("A/f=3000000\nB/f=1000000");
  Scan(disk.Root());
  form_->SetChart3D(false);
  form_->SetChartLabels(false);
  form_->Pies()->resize(600, 300);
  form_->SetExplodeBiggest(true);
  const charts::TPieGeometry& exploded = form_->Pies()->PieLayout();
  const charts::TPieSlice& biggest = exploded.Slices[static_cast<std::size_t>(IndexOf("A"))];
  EXPECT_FALSE(biggest.Offset.isNull());
  const QImage image = form_->Pies()->ToImage();
  const QPointF gap = exploded.Center + biggest.Offset * 0.5;
  EXPECT_EQ(image.pixel(gap.toPoint()) & 0xFFFFFF, 0x3E9ADEu) << "the background shows in the gap";
  form_->SetEllipticPie(true);
  EXPECT_GT(form_->Pies()->PieLayout().RadiusX, form_->Pies()->PieLayout().RadiusY * 1.5);
  form_->SetEllipticPie(false);
  EXPECT_DOUBLE_EQ(form_->Pies()->PieLayout().RadiusX, form_->Pies()->PieLayout().RadiusY);
}

class FreeSpaceTest : public NavigationTest {};

TEST_F(FreeSpaceTest, FreeSpacePointAtAMountRootAfterUp) {
  if (!test::CanMount()) GTEST_SKIP() << "mounting needs privileges";
  test::TTempTree disk("m/");
  const std::string root = disk / "m";
  ASSERT_EQ(mount("nubrix-free", root.c_str(), "tmpfs", 0, "size=8m"), 0);
  mkdir((root + "/sub").c_str(), 0755);
  form_->Action("actFreeSpace")->trigger();
  Scan(root);
  const charts::TChartSeries& series = form_->Bars()->Model().Series;
  ASSERT_EQ(series.Point(series.Count() - 1).Label, kFreeSpaceLabel);
  EXPECT_NEAR(series.Point(series.Count() - 1).Value, 8, 0.5);
  ClickBar("sub");
  EXPECT_NE(series.Point(series.Count() - 1).Label, kFreeSpaceLabel);
  form_->Action("actUpOneDir")->trigger();
  EXPECT_EQ(series.Point(series.Count() - 1).Label, kFreeSpaceLabel);
  form_->Action("actFreeSpace")->trigger();
  EXPECT_EQ(series.Point(series.Count() - 1).Label, kFreeSpaceLabel)
      << "unchecking shows at the next building";
  form_->Action("actSortNow")->trigger();
  EXPECT_NE(series.Point(series.Count() - 1).Label, kFreeSpaceLabel);
  form_.reset();
  umount2(root.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace nubrix
