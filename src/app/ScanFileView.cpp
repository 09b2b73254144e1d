#include "app/ScanFileView.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "app/TForm1.h"
#include "cleaners/CleanupRuns.h"
#include "scanfile/ScanImport.h"
#include "ui/DisplayText.h"
#include "ui/JobRunner.h"
#include "ui/UserDialogs.h"

namespace nubrix {

namespace {

struct TLoaded {
  std::shared_ptr<TScanFile> Scan;
  std::string Error;
};

TLoaded Read(const std::string& file, const std::atomic<bool>& cancel) {
  TLoaded loaded;
  const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    loaded.Error = std::strerror(errno);
    return loaded;
  }
  loaded.Scan = std::make_shared<TScanFile>();
  TImportOptions options;
  options.Cancel = &cancel;
  loaded.Error = ImportScan(fd, *loaded.Scan, options);
  close(fd);
  return loaded;
}

QString SourceText(const std::string& file, const TScanFile& scan) {
  QString text = QStringLiteral("Scan file ") + DisplayPath(file);
  if (!scan.Program.empty()) {
    text += QStringLiteral(" by ") + DisplayPath(scan.Program);
    if (!scan.ProgramVersion.empty()) text += u' ' + DisplayPath(scan.ProgramVersion);
  }
  if (scan.Timestamp > 0)
    text += QStringLiteral(", ") + QString::fromStdString(RunTimeText(scan.Timestamp));
  return text;
}

}  // namespace

TScanFileView::TScanFileView(TForm1& form)
    : QObject(&form), Form_(form), Jobs_(new TJobRunner(this)) {
  connect(Jobs_, &TJobRunner::Failed, this,
          [this](const QString& message) { Form_.Dialogs().ShowError(&Form_, message); });
  connect(Jobs_, &TJobRunner::Idle, this, &TScanFileView::BusyChanged);
}

bool TScanFileView::Busy() const { return Jobs_->Running(); }

void TScanFileView::Open() {
  const std::string file = Form_.Dialogs().ChooseOpenFile(&Form_, QStringLiteral("*"), {});
  if (!file.empty()) Load(file);
}

void TScanFileView::Load(const std::string& file) {
  // A scan's workers write into the tree a file would replace.
  if (Busy() || Form_.Scanning()) return;
  Form_.ShowStatus(QStringLiteral("Reading ") + DisplayPath(file) + QStringLiteral(" ..."));
  Jobs_->Start([file](TJob& job) { return Read(file, job.CancelFlag()); },
               [this, file](const TLoaded& loaded) {
                 Form_.StartStatusReset();
                 if (!loaded.Error.empty()) {
                   Form_.Dialogs().ShowError(&Form_, QStringLiteral("Could not open ") +
                                                         DisplayPath(file) + QStringLiteral(": ") +
                                                         DisplayPath(loaded.Error));
                   return;
                 }
                 // A scan cannot have started meanwhile (Scan waits while a file is read),
                 // but the tree is replaced only when none runs, whatever the caller did.
                 if (Form_.Scanning()) return;
                 Source_ = SourceText(file, *loaded.Scan);
                 Form_.ShowScanFile(*loaded.Scan);
               });
  emit BusyChanged();
}

}  // namespace nubrix
