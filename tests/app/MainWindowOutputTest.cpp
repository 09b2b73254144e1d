// Printing, pictures and the clipboard from the window, and the picture formats themselves.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QProcess>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "charts/ChartOutput.h"
#include "charts/ChartView.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix {
namespace {

std::uint32_t U32(const QByteArray& b, qsizetype at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
         static_cast<std::uint8_t>(b[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}
std::uint16_t U16(const QByteArray& b, qsizetype at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) |
                                    static_cast<std::uint8_t>(b[at + 1]) << 8);
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The SVG a converter makes of a file, or empty when the converter is not installed.
QString Converted(const QString& tool, const QStringList& arguments, const QString& output) {
  if (QStandardPaths::findExecutable(tool).isEmpty()) return {};
  QProcess process;
  process.start(tool, arguments);
  process.waitForFinished(30000);
  return QString::fromLatin1(ReadAll(output)).toLower();
}

charts::TChartModel SampleModel() {
  charts::TChartModel model;
  model.Title = {QStringLiteral("Folder Sizes in: /data/")};
  model.Colors.Background = 0x3E9ADE;
  model.Series.Add(30, "Videos", 0x0099FF);
  model.Series.Add(10, "Music", 0x003399);
  model.Series.Add(0.5, "<All files in folder>", 0x000080);
  return model;
}

TEST(PictureFormatTest, BitmapIsATwentyFourBitWindowsBitmap) {
  const QByteArray bmp = charts::ChartPicture(charts::TChartKind::Pie, SampleModel(),
                                              QSize(320, 200), charts::TPictureType::Bitmap);
  ASSERT_GT(bmp.size(), 54);
  EXPECT_EQ(bmp.left(2), QByteArray("BM"));
  EXPECT_EQ(U32(bmp, 2), static_cast<std::uint32_t>(bmp.size()));
  EXPECT_EQ(U32(bmp, 18), 320u);
  EXPECT_EQ(U32(bmp, 22), 200u);
  EXPECT_EQ(U16(bmp, 28), 24) << "bits per pixel";
  EXPECT_EQ(U32(bmp, 30), 0u) << "BI_RGB";
}

TEST(PictureFormatTest, EnhancedMetafileRecordsAreWholeAndReadable) {
  test::TTempTree dir;
  const QByteArray emf =
      charts::ChartPicture(charts::TChartKind::Bars, SampleModel(), QSize(640, 480),
                           charts::TPictureType::EnhancedMetafile);
  ASSERT_GT(emf.size(), 108);
  EXPECT_EQ(U32(emf, 0), 1u) << "EMR_HEADER first";
  EXPECT_EQ(U32(emf, 40), 0x464D4520u);
  EXPECT_EQ(U32(emf, 48), static_cast<std::uint32_t>(emf.size())) << "nBytes";
  // Walk the records: each 4-byte aligned, sizes adding up, EOF last, as many as announced.
  qsizetype at = 0;
  std::uint32_t records = 0;
  std::uint32_t last = 0;
  while (at < emf.size()) {
    const std::uint32_t size = U32(emf, at + 4);
    ASSERT_EQ(size % 4, 0u) << "record at " << at;
    ASSERT_GE(size, 8u);
    last = U32(emf, at);
    at += size;
    ++records;
  }
  EXPECT_EQ(at, emf.size());
  EXPECT_EQ(last, 14u) << "EMR_EOF last";
  EXPECT_EQ(U32(emf, 52), records);
  const QString file = QString::fromStdString(dir / "bars.emf");
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(emf);
  out.close();
  const QString svgFile = QString::fromStdString(dir / "bars.svg");
  const QString svg = Converted("emf2svg-conv", {"-i", file, "-o", svgFile}, svgFile);
  if (svg.isEmpty()) GTEST_SKIP() << "emf2svg-conv is not installed";
  EXPECT_TRUE(svg.contains("folder sizes in: /data/")) << svg.left(400).toStdString();
  EXPECT_TRUE(svg.contains("videos 30 mb"));
  EXPECT_TRUE(svg.contains("#3e9ade")) << "the background";
  EXPECT_TRUE(svg.contains("#ffdb9d")) << "the mark boxes";
}

TEST(PictureFormatTest, WindowsMetafileHasAValidPlaceableHeaderAndConverts) {
  test::TTempTree dir;
  charts::TChartModel model = SampleModel();
  model.Series.Add(1, "\xce\xb1\xce\xb2\xce\xb3",
                   0x99CCFF);  // Greek: not 8-bit text, drawn as outlines
  const QByteArray wmf = charts::ChartPicture(charts::TChartKind::Pie, model, QSize(640, 480),
                                              charts::TPictureType::Metafile);
  ASSERT_GT(wmf.size(), 40);
  EXPECT_EQ(U32(wmf, 0), 0x9AC6CDD7u);
  std::uint16_t checksum = 0;
  for (int i = 0; i < 20; i += 2) checksum ^= U16(wmf, i);
  EXPECT_EQ(U16(wmf, 20), checksum);
  EXPECT_EQ(U16(wmf, 22), 1) << "memory metafile";
  EXPECT_EQ(U16(wmf, 24), 9);
  EXPECT_EQ(U32(wmf, 28) * 2, static_cast<std::uint32_t>(wmf.size() - 22)) << "size in words";
  qsizetype at = 22 + 18;
  std::uint16_t function = 0xFFFF;
  while (at < wmf.size()) {
    const std::uint32_t words = U32(wmf, at);
    ASSERT_GE(words, 3u);
    function = U16(wmf, at + 4);
    at += 2 * static_cast<qsizetype>(words);
  }
  EXPECT_EQ(at, wmf.size());
  EXPECT_EQ(function, 0) << "META_EOF last";
  const QString file = QString::fromStdString(dir / "pie.wmf");
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(wmf);
  out.close();
  const QString svgFile = QString::fromStdString(dir / "pie.svg");
  const QString svg = Converted("wmf2svg", {"-o", svgFile, file}, svgFile);
  if (svg.isEmpty()) GTEST_SKIP() << "wmf2svg is not installed";
  EXPECT_TRUE(svg.contains("videos 30 mb"));
  EXPECT_TRUE(svg.contains("folder sizes in: /data/"));
  EXPECT_TRUE(svg.contains("polygon"));
}

class OutputWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = window_.Start(disk_.ScanPath());
    QSignalSpy finished(form_.get(), &TForm1::ScanFinished);
    form_->Action("actRun")->trigger();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(10000));
  }
  test::TWindowFixture window_;
  test::TScriptedDialogs& dialogs_ = window_.Dialogs;
  test::TTempTree& settings_ = window_.Settings;
  test::TTempTree disk_{"Videos/f=3000000\nMusic/f=1000000"};
  std::unique_ptr<TForm1> form_;
};

TEST_F(OutputWindowTest, PrintsTheChartOfThePageShownAndNothingElse) {
  const QString pdf = QString::fromStdString(settings_ / "bars.pdf");
  dialogs_.PrintFile = pdf;
  form_->ShowPage(0);
  form_->Action("actPrint")->trigger();
  const QByteArray printed = ReadAll(pdf);
  EXPECT_TRUE(printed.startsWith("%PDF")) << "a PDF printer got the bar chart";
  const QString other = QString::fromStdString(settings_ / "page3.pdf");
  dialogs_.PrintFile = other;
  form_->ShowPage(3);
  form_->Action("actPrint")->trigger();
  EXPECT_TRUE(ReadAll(other).isEmpty()) << "page 3: nothing printed";
  dialogs_.PrintFile.clear();  // Cancel
  form_->ShowPage(1);
  form_->Action("actPrint")->trigger();
  EXPECT_EQ(dialogs_.PrintDialogs, 3);
  EXPECT_TRUE(dialogs_.Errors.isEmpty()) << dialogs_.Errors.join(" | ").toStdString();
}

TEST_F(OutputWindowTest, SavesEveryPictureTypeUnderTheNameChosen) {
  form_->ShowPage(1);
  const std::pair<const char*, const char*> types[] = {
      {"Bitmap file (*.bmp)", "BM"},
      {"Metafile (*.wmf)", "\xd7\xcd\xc6\x9a"},
      {"Enhanced metafile (*.emf)", "\x01\x00\x00\x00"},
      {"PNG picture (*.png)", "\x89PNG"},
      {"SVG picture (*.svg)", "<?xml"}};
  for (const auto& [filter, magic] : types) {
    const QString name =
        QString::fromStdString(settings_ / "picture-") + QString::fromLatin1(filter).left(3);
    dialogs_.SaveName = name;
    dialogs_.SaveFilter = QString::fromLatin1(filter);
    form_->Action("actSaveAsPicture")->trigger();
    // Written on a worker.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ReadAll(name).startsWith(QByteArray(magic)); }, 10000))
        << filter;
  }
  EXPECT_EQ(dialogs_.SaveFilters.mid(0, 3),
            (QStringList{"Bitmap file (*.bmp)", "Metafile (*.wmf)", "Enhanced metafile (*.emf)"}));
  EXPECT_EQ(dialogs_.SaveSuffix, QStringLiteral("bmp"));
  // Cancelled, and on a page without a chart: nothing written.
  dialogs_.SaveName.clear();
  form_->Action("actSaveAsPicture")->trigger();
  dialogs_.SaveName = QString::fromStdString(settings_ / "page2.bmp");
  form_->ShowPage(2);
  form_->Action("actSaveAsPicture")->trigger();
  EXPECT_TRUE(ReadAll(dialogs_.SaveName).isEmpty());
  // A name that cannot be written reaches the error display.
  form_->ShowPage(0);
  dialogs_.SaveName = QStringLiteral("/proc/no/such/folder/x.bmp");
  form_->Action("actSaveAsPicture")->trigger();
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialogs_.Errors.size() == 1; }, 10000));
}

// The real save dialog: a name typed without an extension gets the extension of the type chosen.
TEST(SaveDialogTest, ANameWithoutExtensionTakesTheTypeChosen) {
  test::TTempTree dir;
  TMessageBoxDialogs dialogs;
  QWidget parent;
  for (const QString& filter :
       {QStringLiteral("PNG picture (*.png)"), QStringLiteral("Metafile (*.wmf)")}) {
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->setDirectory(QString::fromStdString(dir.Root()));
      dialog->selectNameFilter(filter);
      dialog->selectFile(QStringLiteral("chart"));
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog makes its own accept protected
    });
    QString name;
    QString chosen;
    ASSERT_TRUE(dialogs.ChooseSaveFile(&parent, charts::PictureFilters(), QStringLiteral("bmp"),
                                       name, chosen));
    EXPECT_EQ(chosen, filter);
    EXPECT_EQ(name, QString::fromStdString(dir / "chart.") +
                        filter.mid(filter.indexOf(u'.') + 1).chopped(1));
  }
}

TEST_F(OutputWindowTest, ClipboardGetsTheChartInEveryFormat) {
  form_->ShowPage(0);
  form_->Action("actPieClbd")->trigger();
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->hasImage());
  EXPECT_TRUE(data->data("image/png").startsWith("\x89PNG"));
  EXPECT_TRUE(data->data("image/svg+xml").contains("<svg"));
  EXPECT_EQ(U32(data->data(charts::kEmfMime), 40), 0x464D4520u);
  EXPECT_FALSE(data->data(charts::kOfficeEmfMime).isEmpty());
  // The pie, whichever page is shown: its SVG holds the slices' title text.
  EXPECT_TRUE(QString::fromUtf8(data->data("image/svg+xml")).contains("Folder Sizes in"));
}

TEST_F(OutputWindowTest, TheBarsClipboardCommandCopiesTheBars) {
  form_->ShowPage(1);  // the pie page shown: the command still copies the bars
  QGuiApplication::clipboard()->clear();
  form_->Action("actBarClbd")->trigger();
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(data, nullptr);
  const QString svg = QString::fromUtf8(data->data("image/svg+xml"));
  EXPECT_TRUE(svg.contains("Size in MB")) << "the bar chart's axis, which the pie has not";
  EXPECT_TRUE(data->data("image/png").startsWith("\x89PNG"));
  EXPECT_EQ(U32(data->data(charts::kEmfMime), 40), 0x464D4520u);
}

}  // namespace
}  // namespace nubrix
