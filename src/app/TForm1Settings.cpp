// The settings file and the folder history of the main window.
#include <sys/stat.h>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>

#include "app/GrowthView.h"
#include "app/HistoryBox.h"
#include "app/TForm1.h"
#include "charts/ChartView.h"
#include "cleaners/TempFiles.h"
#include "cleaners/models/TempFilesModels.h"
#include "cleaners/pages/TempFilesPage.h"
#include "platform/Paths.h"

namespace nubrix {

namespace {

constexpr int kBytesRole = Qt::UserRole;

}  // namespace

void TForm1::LoadSettings() {
  if (SettingsFile_.empty()) SettingsFile_ = SettingsFileName();
  if (!platform::Exists(SettingsFile_)) {
    bool created = false;
    try {
      created = EnsureIniFile(SettingsFile_);
    } catch (const TIniCreateError&) {
      created = false;
    }
    if (!created) Dialogs_->ShowMessage(this, QStringLiteral("Error creating ini file"));
  }
  ApplySettings(ReadSettings(TIniFile(SettingsFile_)));
  // A first start begins with the common junk masks that come with the program.
  InstallShippedTemplate(TemplateFileName(SettingsFile_), ShippedTemplateFile());
  TempFilesPage_->Types().Assign(LoadTmpList(TIniFile(TemplateFileName(SettingsFile_))));
  SettingsLoaded_ = true;
}

void TForm1::ApplySettings(const TWindowSettings& s) {
  move(s.Left, s.Top);
  resize(s.Width, s.Height);
  ShowPage(s.TabSheet);
  if (!s.ShowDirTree) {
    // Collapsed as the loader does it: no width is remembered, so the panel reopens at 150.
    QSplitter* splitter = findChild<QSplitter*>(QStringLiteral("Splitter1"));
    const QList<int> sizes = splitter->sizes();
    splitter->setSizes({kCollapsedWidth, sizes.value(0) + sizes.value(1) - kCollapsedWidth});
    PanelPlaced_ = true;
  }
  SetEllipticPie(s.Elyptic);
  SetExplodeBiggest(s.ExplodeBiggest);
  SetChartLabels(s.MarkVisible);
  SetChartLegend(s.ShowLegend);
  SetChartHints(s.ShowHints);
  SetChart3D(s.Toggle3D);
  Action("actFreeSpace")->setChecked(s.FreeSpace);
  ShowHistory(s.HistoryCombo);
  GrowthView_->SetShown(s.ShowGrowth);
  SortMode_ = static_cast<TSortMode>(s.Sort);
  ShowSortMode(SortMode_);
  StartFolder_ = s.StartWith;
  Bars_->Model().Bars.ZoomEnabled = s.EnableZoom;
  HistoryBox_->Assign(s.History, s.HistorySize);
}

TWindowSettings TForm1::CollectSettings() const {
  TWindowSettings s;
  // The place of the window's inside, as move() takes it before the window is shown: the frame's
  // place would put the window higher by its title bar at every start.
  const QRect inside = geometry();
  s.Left = inside.left();
  s.Top = inside.top();
  s.Width = width();
  s.Height = height();
  s.TabSheet = PageShown();
  s.ShowDirTree = findChild<QSplitter*>(QStringLiteral("Splitter1"))->sizes().value(0) > 8;
  s.ExplodeBiggest = Action("actExplode")->isChecked();
  s.MarkVisible = Action("actLabels")->isChecked();
  s.ShowLegend = Action("actshowLegend")->isChecked();
  s.ShowHints = Action("actshowHints")->isChecked();
  s.Toggle3D = Action("act3D")->isChecked();
  s.FreeSpace = Action("actFreeSpace")->isChecked();
  s.ShowGrowth = Action("actShowGrowth")->isChecked();
  s.HistoryCombo = HistoryBox_->isVisibleTo(const_cast<TForm1*>(this));
  s.Sort = static_cast<std::uint8_t>(SortMode_);
  s.Elyptic = Action("actElypticPie")->isChecked();
  s.StartWith = SelectedPath_;
  s.History = HistoryBox_->History().Entries();
  return s;
}

// One atomic write of the whole file: a failure leaves the old file as it was.
void TForm1::SaveSettings() {
  if (SettingsFile_.empty()) SettingsFile_ = SettingsFileName();
  SettingsSaved_ = true;  // once per run, even when the write fails: the user has been told
  if (!platform::Exists(SettingsFile_)) {
    EnsureIniFile(SettingsFile_, [this](const std::string& message) {
      Dialogs_->ShowMessage(this, DisplayPath(message));
    });
  }
  TIniFile ini(SettingsFile_);
  const bool normal =
      !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  WriteSettings(ini, CollectSettings(), normal);
  ini.UpdateFile();
  // The type list after the settings: when they could not be written, it is not written either.
  TIniFile types(TemplateFileName(SettingsFile_));
  SaveTmpList(types, TempFilesPage_->Types().Types());
  types.UpdateFile();
}

void TForm1::ShowHistoryText(const QString& text) { HistoryBox_->ShowText(text); }

void TForm1::AddToHistory() { HistoryBox_->AddToHistory(SelectedPath_); }

// What the user typed or chose is written when it changes, so a crash cannot take it; the rest of
// the settings follow at close.
void TForm1::KeepHistory() {
  if (!SettingsLoaded_ || SettingsSaved_ || !platform::Exists(SettingsFile_)) return;
  try {
    TIniFile ini(SettingsFile_);
    SaveHistory(ini, HistoryBox_->History().Entries());
    ini.UpdateFile();
  } catch (const std::exception& error) {
    statusBar()->showMessage(QStringLiteral("The folder history could not be kept: ") +
                             DisplayPath(error.what()));
  }
}

void TForm1::KeepTypeList() {
  if (!SettingsLoaded_ || SettingsSaved_) return;
  try {
    TIniFile types(TemplateFileName(SettingsFile_));
    SaveTmpList(types, TempFilesPage_->Types().Types());
    types.UpdateFile();
  } catch (const std::exception& error) {
    statusBar()->showMessage(QStringLiteral("The list of junk file types could not be kept: ") +
                             DisplayPath(error.what()));
  }
}

void TForm1::ShowHistory(bool visible) {
  HistoryBox_->setVisible(visible);
  HistoryCombo_->setVisible(visible);
  Action("actFolderHistory")->setChecked(visible);
}

}  // namespace nubrix

namespace nubrix {

std::string TForm1::AppDataFolder() const {
  return platform::WithSeparator(
      platform::FolderOf(SettingsFile_.empty() ? SettingsFileName() : SettingsFile_));
}

}  // namespace nubrix
