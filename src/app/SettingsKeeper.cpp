#include "app/SettingsKeeper.h"

#include <QAbstractItemModel>
#include <exception>

#include "cleaners/TempFiles.h"
#include "cleaners/models/TempFilesModels.h"
#include "platform/Paths.h"
#include "ui/DisplayText.h"
#include "ui/UserDialogs.h"

namespace nubrix {

TSettingsKeeper::TSettingsKeeper(IUserDialogs& dialogs, std::string file, QWidget* window)
    : QObject(window),
      Dialogs_(dialogs),
      File_(file.empty() ? SettingsFileName() : std::move(file)),
      Window_(window) {}

TWindowSettings TSettingsKeeper::Read() {
  if (!platform::Exists(File_)) {
    bool created = false;
    try {
      created = EnsureIniFile(File_);
    } catch (const TIniCreateError&) {
      created = false;
    }
    if (!created) Dialogs_.ShowMessage(Window_, QStringLiteral("Error creating ini file"));
  }
  return ReadSettings(TIniFile(File_));
}

void TSettingsKeeper::ReadTypeList(TTmpTypesModel& types) {
  // A first start begins with the common junk masks that come with the program.
  InstallShippedTemplate(TemplateFileName(File_), ShippedTemplateFile());
  types.Assign(LoadTmpList(TIniFile(TemplateFileName(File_))));
  Types_ = &types;
  connect(Types_, &QAbstractItemModel::rowsInserted, this, [this] { KeepTypeList(); });
  connect(Types_, &QAbstractItemModel::rowsRemoved, this, [this] { KeepTypeList(); });
  Loaded_ = true;
}

void TSettingsKeeper::Save(const TWindowSettings& settings, bool normalState) {
  Saved_ = true;  // once per run, even when the write fails: the user has been told
  if (!platform::Exists(File_)) {
    EnsureIniFile(File_, [this](const std::string& message) {
      Dialogs_.ShowMessage(Window_, DisplayPath(message));
    });
  }
  TIniFile ini(File_);
  WriteSettings(ini, settings, normalState);
  ini.UpdateFile();
  // The type list after the settings: when they could not be written, it is not written either.
  if (Types_ == nullptr) return;
  TIniFile types(TemplateFileName(File_));
  SaveTmpList(types, Types_->Types());
  types.UpdateFile();
}

void TSettingsKeeper::KeepHistory(const std::vector<std::string>& entries) {
  if (!Pending() || !platform::Exists(File_)) return;
  try {
    TIniFile ini(File_);
    SaveHistory(ini, entries);
    ini.UpdateFile();
  } catch (const std::exception& error) {
    emit KeepFailed(QStringLiteral("The folder history could not be kept: ") +
                    DisplayPath(error.what()));
  }
}

void TSettingsKeeper::KeepTypeList() {
  if (!Pending()) return;
  try {
    TIniFile types(TemplateFileName(File_));
    SaveTmpList(types, Types_->Types());
    types.UpdateFile();
  } catch (const std::exception& error) {
    emit KeepFailed(QStringLiteral("The list of junk file types could not be kept: ") +
                    DisplayPath(error.what()));
  }
}

}  // namespace nubrix
