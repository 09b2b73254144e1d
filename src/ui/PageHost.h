// What a page of the window may ask of the window around it, so that pages know no TForm1.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace nubrix {

class IUserDialogs;
class TSizeFolder;

class IPageHost {
 public:
  virtual ~IPageHost() = default;
  virtual IUserDialogs& Dialogs() = 0;
  // The folder the next scan starts from, with its separator; empty when none is selected.
  virtual std::string SelectedFolder() const = 0;
  // The middle panel of the status bar.
  virtual void ShowStatus(const QString& text) = 0;
  // The text of the folder-history box.
  virtual void ShowHistoryText(const QString& text) = 0;
  // The folder the settings file lives in, with its separator: backups go there too.
  virtual std::string AppDataFolder() const = 0;
  // Runs a handler inside the default error display, then refreshes the enabled states.
  virtual void RunCommand(const std::function<void()>& handler) = 0;

  // The size tree of the last scan: its root and the folder the charts show; null before a scan.
  virtual const TSizeFolder* ScanRoot() const = 0;
  virtual const TSizeFolder* ShownFolder() const = 0;
  // The folders the last scan added, the gauge's full length for a search from the root.
  virtual int ScannedFolderCount() const = 0;
  virtual void ShowGauge(int maximum) = 0;
  virtual void SetGaugePosition(int position) = 0;
  // Two seconds later the gauge goes and the selected path comes back into the status bar.
  virtual void StartStatusReset() = 0;
  // Why the tree shown cannot be searched on this disk (it was read from a scan file of another
  // scan); empty when it was scanned here.
  virtual QString DiskUnavailable() const { return {}; }
};

}  // namespace nubrix
