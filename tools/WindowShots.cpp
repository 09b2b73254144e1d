// Drives the main window the way a person would (select a folder, press Scan) and saves
// pictures of it before and after, so every change of the window can be looked at.
//   nubrix-window-shots OUTDIR [FOLDER]
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "about/MovieScroll.h"
#include "about/about.h"
#include "about/aboutdlg.h"
#include "app/CleanupHistory.h"
#include "app/CleanupUndo.h"
#include "app/FolderOperations.h"
#include "app/GrowthView.h"
#include "app/ScanFileView.h"
#include "app/TForm1.h"
#include "charts/ChartView.h"
#include "cleaners/CleanupRuns.h"
#include "cleaners/models/TempFilesModels.h"
#include "cleaners/pages/DuplicatesPage.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "cleaners/pages/ShortcutPage.h"
#include "cleaners/pages/TempFilesPage.h"
#include "registry/RegEditorU.h"

namespace {

bool Shoot(QWidget& window, const QString& path) {
  QApplication::processEvents();
  const bool ok = window.grab().save(path);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // The pictures' cleanups go to a trash of their own, never the user's; set before GLib reads it.
  {
    const std::string out = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(out + "/data");
    setenv("XDG_DATA_HOME", std::filesystem::absolute(out + "/data").c_str(), 1);
  }
  QApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  const std::string folder = argc > 2 ? argv[2] : "/usr/share";
  QDir().mkpath(dir);
  QFile::remove(dir + "/AppData/Nubrix.ini");  // the pictures show a first run
  nubrix::TForm1 form(nullptr, (dir + "/AppData/Nubrix.ini").toStdString());
  form.show();
  QApplication::processEvents();
  bool ok = Shoot(form, dir + "/window-start.png");
  form.ShowSelectedPath(folder);
  QEventLoop wait;
  QObject::connect(&form, &nubrix::TForm1::ScanFinished, &wait, &QEventLoop::quit);
  QTimer::singleShot(120000, &wait, &QEventLoop::quit);
  // How long the event loop is ever kept from running during the scan.
  QElapsedTimer clock;
  qint64 last = 0;
  qint64 longest = 0;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  });
  clock.start();
  ticker.start();
  form.Action("actRun")->trigger();
  if (form.Scanning()) {
    QTimer::singleShot(30, [&] { Shoot(form, dir + "/window-scanning.png"); });
    wait.exec();
  }
  ticker.stop();
  std::printf("scan of %s: %lld ms, longest event-loop gap %lld ms\n", folder.c_str(),
              static_cast<long long>(clock.elapsed()), static_cast<long long>(longest));
  form.ShowPage(0);
  ok &= Shoot(form, dir + "/window-bars.png");
  form.Layout().FlatPageControl1->setCurrentIndex(1);
  ok &= Shoot(form, dir + "/window-pie.png");
  // Into the biggest folder from the pie, with the legend and the hint of a slice.
  form.Layout().FlatPageControl1->setCurrentIndex(0);
  form.SetChartLegend(true);
  const auto& series = form.Bars()->Model().Series;
  int biggest = 0;
  for (int i = 0; i < series.Count(); ++i) {
    if (series.Point(i).Label[0] != '<' && series.Point(i).Value > series.Point(biggest).Value)
      biggest = i;
  }
  emit form.Bars()->PointClicked(biggest, Qt::LeftButton, QPoint());
  emit form.Bars()->PointHovered(0, QPoint());
  form.Hints()->ShowHint(form.Bars(), form.Bars()->toolTip(),
                         form.Bars()->mapToGlobal(QPoint(300, 200)));
  QApplication::processEvents();
  ok &= Shoot(form, dir + "/window-descended.png");
  const bool hintShot = form.Hints()->Window()->grab().save(dir + "/hint.png");
  std::printf("%s %s/hint.png\n", hintShot ? "wrote" : "could not write", qPrintable(dir));
  // The shortcut page after listing the launchers of the user's start menu.
  form.ShowPage(nubrix::TPage::Shortcuts);
  form.Hints()->HideHint();
  // Notes the listing may show ("no broken shortcut found") are closed as they come.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
  });
  closer.start(200);
  form.Action("actListShortcuts")->trigger();
  QElapsedTimer listing;
  listing.start();
  while (form.Pages().Shortcuts->Busy() && listing.elapsed() < 60000)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  ok &= Shoot(form, dir + "/window-shortcuts.png");
  // The temp-file page after searching the scanned folder for a few masks.
  form.ShowPage(nubrix::TPage::TempFiles);
  form.Pages().TempFiles->Types().Assign(
      {{"*.gz", "compressed"}, {"*.bak", "backups"}, {"*~", "editor copies", false}});
  form.Pages().TempFiles->ListTempFiles(true);
  listing.restart();
  while (form.Pages().TempFiles->Busy() && listing.elapsed() < 60000)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  ok &= Shoot(form, dir + "/window-tempfiles.png");
  // The largest files of the folder the charts went into, then only those of its biggest type.
  form.ShowPage(nubrix::TPage::Largest);
  listing.restart();
  while (form.Pages().Largest->Busy() && listing.elapsed() < 60000)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  ok &= Shoot(form, dir + "/window-largest.png");
  form.Pages().Largest->ShowType(0);
  QApplication::processEvents();
  ok &= Shoot(form, dir + "/window-largest-type.png");
  form.ShowPage(nubrix::TPage::Treemap);
  QApplication::processEvents();
  ok &= Shoot(form, dir + "/window-treemap.png");
  // The files stored twice below the same folder, all but the newest copy of each checked.
  form.ShowPage(nubrix::TPage::Duplicates);
  listing.restart();
  while (form.Pages().Duplicates->Busy() && listing.elapsed() < 120000)
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  form.Pages()
      .Duplicates->findChild<QAction*>(QStringLiteral("Check all but the newest"))
      ->trigger();
  QApplication::processEvents();
  ok &= Shoot(form, dir + "/window-duplicates.png");
  // The folder as a scan file, read back into the window as another machine's would be.
  const std::string scanFile = dir.toStdString() + "/scan.json";
  const std::string exportCommand =
      "build/default/src/cli/nubrix-scan --export '" + scanFile + "' '" + folder + "'";
  if (std::system(exportCommand.c_str()) == 0) {
    form.ShowPage(nubrix::TPage::Treemap);
    form.ScanFiles()->Load(scanFile);
    listing.restart();
    while (form.ScanFiles()->Busy() && listing.elapsed() < 60000)
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    QApplication::processEvents();
    ok &= Shoot(form, dir + "/window-scanfile.png");
    form.ShowPage(nubrix::TPage::Duplicates);
    QApplication::processEvents();
    ok &= Shoot(form, dir + "/window-scanfile-duplicates.png");
  }
  // The traces page, and the media-player list in its editor over a sample registry.
  form.ShowPage(nubrix::TPage::Traces);
  QApplication::processEvents();
  ok &= Shoot(form, dir + "/window-traces.png");
  nubrix::platform::TMemoryRegistry registry;
  registry.SetHive(nubrix::platform::kHkeyCurrentUser,
                   "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\MediaPlayer\\\\Player"
                   "\\\\RecentFileList] 1\n\"File0\"=\"Z:\\\\music\\\\Blue in Green.flac\"\n"
                   "\"File1\"=\"Z:\\\\video\\\\holiday 2026.mkv\"\n"
                   "\"File2\"=\"Z:\\\\music\\\\caf\\xe9 del mar.mp3\"\n");
  std::unique_ptr<nubrix::registry::TRegEditorForm> editor(
      nubrix::registry::CreateListEditor(nubrix::registry::TRegList::MediaHistory, registry,
                                         form.Dialogs(), dir.toStdString() + "/", &form));
  editor->show();
  editor->FormActivate();
  editor->ListView1->topLevelItem(1)->setSelected(true);
  QApplication::processEvents();
  const bool editorShot = editor->grab().save(dir + "/reg-editor.png");
  std::printf("%s %s/reg-editor.png\n", editorShot ? "wrote" : "could not write", qPrintable(dir));
  ok &= editorShot;
  // Growth since the last scan: a small tree scanned, changed, scanned again.
  {
    const QString demo = dir + "/growth-demo";
    QDir(demo).removeRecursively();
    const auto write = [&](const QString& name, qint64 bytes) {
      QDir().mkpath(demo + "/" + name.section(u'/', 0, -2));
      QFile file(demo + "/" + name);
      file.open(QIODevice::WriteOnly);
      file.resize(bytes);
    };
    for (const char* name : {"Documents/a", "Music/a", "Pictures/a", "Videos/a", "Downloads/a"})
      write(QString::fromLatin1(name), 40LL << 20);
    const auto scan = [&] {
      form.ShowSelectedPath(demo.toStdString());
      form.Action("actRun")->trigger();
      if (form.Scanning()) wait.exec();
      while (form.GrowthView()->Recorder()->Running())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    scan();
    write("Downloads/b", 120LL << 20);
    write("Videos/a", 10LL << 20);
    write("Games/a", 60LL << 20);
    QFile::remove(demo + "/Music/a");
    scan();
    if (!form.Action("actShowGrowth")->isChecked()) form.Action("actShowGrowth")->trigger();
    form.SetChartLegend(false);
    form.ShowPage(0);
    ok &= Shoot(form, dir + "/window-growth.png");
    form.Layout().FlatPageControl1->setCurrentIndex(1);
    ok &= Shoot(form, dir + "/window-growth-pie.png");
    // Two cleanups of the demo, one put back, in the cleanup history.
    const std::string database = nubrix::ProgramDatabaseFile(form.AppDataFolder());
    for (const char* cleaned : {"Downloads", "Videos"}) {
      nubrix::TCleanupRun run(database, "Delete Dir");
      run.Trash(nubrix::platform::TListedItem((demo + "/" + cleaned).toStdString()));
      run.Finish(false);
    }
    nubrix::TCleanupHistoryDialog history(
        database,
        [&](std::int64_t id) {
          if (auto run = nubrix::TRunLog(database).Run(id)) form.Undo()->RestoreRun(*run);
        },
        &form);
    history.show();
    while (history.Loading()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    history.List()->setCurrentItem(history.List()->topLevelItem(1));
    history.RestoreSelected();
    while (form.Undo()->Undoer()->Running()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    history.Reload();
    while (history.Loading()) QApplication::processEvents(QEventLoop::AllEvents, 20);
    history.List()->setCurrentItem(history.List()->topLevelItem(0));
    QApplication::processEvents();
    ok &= history.grab().save(dir + "/cleanup-history.png");
    QDir(demo).removeRecursively();
  }
  // The about box on both pages, and one with the credits scroller running.
  {
    const std::unique_ptr<nubrix::about::TAboutBox> box = form.ab->Build(&form);
    box->show();
    box->FormActivate();
    QApplication::processEvents();
    ok &= box->grab().save(dir + "/about-page1.png");
    box->ToolButton13Click();
    QApplication::processEvents();
    ok &= box->grab().save(dir + "/about-page2.png");
  }
  {
    nubrix::about::TAboutBoxDlg movie(form.Dialogs());
    movie.AboutText << QStringLiteral("[size=12][color=$800000][b]Nubrix lite")
                    << QStringLiteral("[i]where the space goes");
    const std::unique_ptr<nubrix::about::TAboutBox> box = movie.Build(&form);
    box->show();
    auto* scroll = box->findChild<nubrix::about::TMovieScroll*>();
    for (int tick = 0; tick < 90 && scroll != nullptr; ++tick) scroll->TimerTick();
    QApplication::processEvents();
    ok &= box->grab().save(dir + "/about-scroller.png");
  }
  std::printf("%s the about box pictures\n", ok ? "wrote" : "could not write all of");
  return ok ? 0 : 1;
}
