#include "cleaners/pages/BrowseForDirU.h"

#include "platform/Paths.h"
#include "ui/UserDialogs.h"

namespace nubrix {

std::string TBrowseForFolders::BrowseForFolder(IUserDialogs& dialogs, QWidget* parent,
                                               const QString& title,
                                               const std::string& preselect) const {
  return platform::WithoutSeparator(dialogs.ChooseFolder(parent, title, preselect));
}

}  // namespace nubrix
