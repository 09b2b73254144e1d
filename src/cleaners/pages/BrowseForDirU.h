// The folder picker: the desktop's folder dialog, opening at a given folder.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace nubrix {

class IUserDialogs;

class TBrowseForFolders {
 public:
  // The folder chosen, without a trailing separator except for "/" itself; empty when the user
  // cancels.
  std::string BrowseForFolder(IUserDialogs& dialogs, QWidget* parent, const QString& title,
                              const std::string& preselect) const;
};

}  // namespace nubrix
