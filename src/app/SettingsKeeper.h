// The settings file of the main window and the list of junk types beside it. Both are read once
// at start and written once at close; the folder history and the type list are also written
// whenever they change, so that a crash cannot take what the user typed or chose.
#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "settings/Settings.h"

class QWidget;

namespace nubrix {

class IUserDialogs;
class TTmpTypesModel;

class TSettingsKeeper : public QObject {
  Q_OBJECT

 public:
  // file: where the settings live; empty for SettingsFileName(). window: the parent of messages.
  TSettingsKeeper(IUserDialogs& dialogs, std::string file, QWidget* window);

  const std::string& File() const { return File_; }
  // Reads the settings, making the file at the first start; throws what the file's reader throws.
  TWindowSettings Read();
  // Reads the type list into the model and keeps it from now on; the settings count as loaded,
  // so they are written back at close.
  void ReadTypeList(TTmpTypesModel& types);
  // Loaded and not yet written: settings that were never loaded would put defaults over the file.
  bool Pending() const { return Loaded_ && !Saved_; }
  // One atomic write of the whole file, then the type list; a failure leaves the old files.
  void Save(const TWindowSettings& settings, bool normalState);
  void KeepHistory(const std::vector<std::string>& entries);

 signals:
  void KeepFailed(const QString& message);

 private:
  void KeepTypeList();

  IUserDialogs& Dialogs_;
  std::string File_;
  QWidget* Window_;
  TTmpTypesModel* Types_ = nullptr;
  bool Loaded_ = false;
  bool Saved_ = false;
};

}  // namespace nubrix
