#include "cleaners/pages/BrowseForDirU.h"

#include "app/UserDialogs.h"
#include "platform/Paths.h"

namespace nubrix {

std::string TBrowseForFolders::BrowseForFolder(IUserDialogs& dialogs, QWidget* parent,
                                               const QString& title,
                                               const std::string& preselect) const {
  return platform::WithoutSeparator(dialogs.ChooseFolder(parent, title, preselect));
}

}  // namespace nubrix
