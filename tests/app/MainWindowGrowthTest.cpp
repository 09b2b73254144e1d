// Growth since the last scan in the window: the scan kept after the charts are shown, the
// changes in the marks, the point hints and the status bar, and nothing kept of a cancelled scan.
#include <gtest/gtest.h>

#include <QAction>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/GrowthView.h"
#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "charts/ChartView.h"
#include "charts/NumberFormat.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

class MainWindowGrowthTest : public testing::Test {
 protected:
  void SetUp() override { form_ = window_.Start(); }

  // Scans folder through "Scan" and waits until the scan has been kept.
  void Scan(const std::string& folder) {
    ASSERT_TRUE(test::TWindowFixture::ScanAndWait(*form_, folder));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !form_->GrowthView()->Recorder()->Running(); }, 30000));
  }
  QString Mark(const std::string& label) const {
    for (const charts::TChartPoint& point : form_->Bars()->Model().Series.Points()) {
      if (point.Label == label)
        return charts::PointMarkText(point.Caption, point.Value, point.Change);
    }
    return QStringLiteral("<no point %1>").arg(QString::fromStdString(label));
  }
  std::string DatabaseFile() const { return window_.Settings / "AppData/Nubrix.db"; }

  test::TWindowFixture window_;
  std::unique_ptr<TForm1> form_;
};

TEST_F(MainWindowGrowthTest, TheSecondScanShowsWhatGrewWhatShrankAndWhatIsNew) {
  test::TTempTree disk("grows/f=1048576\nshrinks/f=2097152\nsame/f=1048576\n");
  form_->Action("actShowGrowth")->trigger();
  ASSERT_TRUE(form_->Action("actShowGrowth")->isChecked());
  Scan(disk.ScanPath());
  EXPECT_EQ(Mark("grows"), QStringLiteral("grows 1 MB")) << "nothing to compare with yet";
  EXPECT_EQ(form_->GrowthView()->Panel()->text(),
            QStringLiteral("No earlier scan to compare with"));

  disk.Add("grows/g=1572864\nnew/f=3145728");
  std::filesystem::resize_file(disk / "shrinks/f", 1048576);
  Scan(disk.ScanPath());
  EXPECT_EQ(Mark("grows"), QStringLiteral("grows 2.5 MB (+1.5 MB)"));
  EXPECT_EQ(Mark("shrinks"), QStringLiteral("shrinks 1 MB (-1 MB)"));
  EXPECT_EQ(Mark("new"), QStringLiteral("new 3 MB (new)"));
  EXPECT_EQ(Mark("same"), QStringLiteral("same 1 MB"));
  const QString status = form_->GrowthView()->Panel()->text();
  EXPECT_TRUE(status.startsWith(QStringLiteral("Since "))) << status.toStdString();
  EXPECT_TRUE(status.endsWith(QStringLiteral(": +3.5 MB"))) << status.toStdString();
  EXPECT_TRUE(form_->GrowthView()->Panel()->isVisible());

  // The pie's marks and the point hint say the same.
  const charts::TChartSeries& pies = form_->Pies()->Model().Series;
  int grows = 0;
  while (grows < pies.Count() && pies.Point(grows).Label != "grows") ++grows;
  ASSERT_LT(grows, pies.Count());
  EXPECT_EQ(pies.Point(grows).Change, QStringLiteral("+1.5 MB"));
  emit form_->Bars()->PointHovered(grows, QPoint());
  EXPECT_TRUE(form_->Bars()->toolTip().startsWith(QStringLiteral("grows 2.5 MB (+1.5 MB)")));

  // Off: the charts are as before and the panel goes.
  form_->Action("actShowGrowth")->trigger();
  EXPECT_EQ(Mark("grows"), QStringLiteral("grows 2.5 MB"));
  EXPECT_FALSE(form_->GrowthView()->Panel()->isVisible());
}

TEST_F(MainWindowGrowthTest, DescendingShowsTheChangeOfTheFolderShown) {
  test::TTempTree disk("a/b/f=1048576\nc/\n");
  Scan(disk.ScanPath());
  disk.Add("a/b/g=2097152");
  Scan(disk.ScanPath());
  form_->Action("actShowGrowth")->trigger();
  form_->OpenChartPath(disk / "a", Qt::LeftButton);
  ASSERT_EQ(form_->CurrentFolder()->Name(), "a");
  EXPECT_EQ(Mark("b"), QStringLiteral("b 3 MB (+2 MB)"));
  EXPECT_TRUE(form_->GrowthView()->Panel()->text().endsWith(QStringLiteral(": +2 MB")));
}

TEST_F(MainWindowGrowthTest, ACancelledScanIsNotKept) {
  test::TTempTree disk("a/f=1000\n");
  ASSERT_TRUE(test::TWindowFixture::ScanAndEscape(*form_, disk.ScanPath()));
  EXPECT_FALSE(form_->GrowthView()->Recorder()->Running());
  EXPECT_FALSE(std::filesystem::exists(DatabaseFile()));
}

TEST_F(MainWindowGrowthTest, ADamagedRecordIsReportedOnceAndSetAside) {
  test::TTempTree disk("a/f=1000\n");
  std::ofstream(DatabaseFile(), std::ios::binary) << std::string(4096, 'x');
  Scan(disk.ScanPath());
  EXPECT_TRUE(form_->statusBar()->currentMessage().startsWith(
      QStringLiteral("The scan record was damaged; it was set aside as ")));
  int aside = 0;
  for (const auto& entry : std::filesystem::directory_iterator(window_.Settings / "AppData")) {
    aside += entry.path().filename().string().rfind("Nubrix.db.damaged-", 0) == 0;
  }
  EXPECT_EQ(aside, 1);
  EXPECT_EQ(form_->GrowthView()->Growth().State(), TScanGrowth::TState::NoEarlierScan);
}

TEST_F(MainWindowGrowthTest, ARecordThatCannotBeWrittenIsSaidAndTheChartsStayAsTheyAre) {
  test::TTempTree disk("a/f=1048576\n");
  std::filesystem::create_directory(DatabaseFile());  // a folder where the file should be
  form_->Action("actShowGrowth")->trigger();
  Scan(disk.ScanPath());
  EXPECT_TRUE(form_->statusBar()->currentMessage().startsWith(
      QStringLiteral("This scan could not be kept for comparison: ")));
  EXPECT_EQ(form_->GrowthView()->Panel()->text(),
            QStringLiteral("No comparison: the scan record cannot be used"));
  EXPECT_EQ(Mark("a"), QStringLiteral("a 1 MB"));
  EXPECT_TRUE(std::filesystem::is_directory(DatabaseFile())) << "nothing set aside or removed";
}

TEST_F(MainWindowGrowthTest, TheOptionIsSavedWithTheOtherSwitches) {
  EXPECT_FALSE(form_->Action("actShowGrowth")->isChecked()) << "off by default";
  form_->Action("actShowGrowth")->trigger();
  form_->close();
  std::ifstream ini(window_.SettingsFile());
  const std::string text(std::istreambuf_iterator<char>(ini), {});
  EXPECT_NE(text.find("ShowGrowth=1"), std::string::npos) << text;
  form_ = std::make_unique<TForm1>(&window_.Dialogs, window_.SettingsFile());
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  EXPECT_TRUE(form_->Action("actShowGrowth")->isChecked());
}

}  // namespace
}  // namespace nubrix
