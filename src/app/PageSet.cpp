#include "app/TForm1.h"
#include "app/TreemapPage.h"
#include "cleaners/pages/CleanerPages.h"
#include "cleaners/pages/DuplicatesPage.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "cleaners/pages/ShortcutPage.h"
#include "cleaners/pages/TempFilesPage.h"

namespace nubrix {

void TPages::CancelJobs() const {
  Shortcuts->CancelJob();
  TempFiles->CancelJob();
  Traces->CancelJob();
  Largest->CancelJob();
  Duplicates->CancelJob();
}

void TPages::FolderShown() const {
  Largest->FolderShown();
  Treemap->FolderShown();
  Duplicates->FolderShown();
}

void TPages::TreeReplaced() const {
  Treemap->TreeReplaced();
  Duplicates->TreeReplaced();
}

}  // namespace nubrix
