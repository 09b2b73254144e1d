#include "app/TreemapPage.h"

#include <QLocale>
#include <QVBoxLayout>

#include "charts/TreemapView.h"
#include "platform/Paths.h"
#include "sizetree/SizeMB.h"
#include "ui/DisplayText.h"
#include "ui/PageHost.h"

namespace nubrix {

namespace {

// The folder of the path at or below top, found by the names on the way down; null when the
// tree holds no such folder there.
const TSizeFolder* FolderBelow(const TSizeFolder& top, const std::string& path) {
  const std::string base = platform::WithSeparator(top.Path());
  const std::string wanted = platform::WithSeparator(path);
  if (wanted.compare(0, base.size(), base) != 0) return nullptr;
  const TSizeFolder* folder = &top;
  std::size_t at = base.size();
  while (folder != nullptr && at < wanted.size()) {
    const std::size_t slash = wanted.find('/', at);
    const std::string_view name(wanted.data() + at, slash - at);
    const TSizeFolder* next = nullptr;
    for (int i = 0; i < folder->ChildCount() && next == nullptr; ++i) {
      if (folder->Child(i)->Name() == name) next = folder->Child(i);
    }
    folder = next;
    at = slash + 1;
  }
  return folder;
}

}  // namespace

TTreemapPage::TTreemapPage(IPageHost& host, QWidget* parent)
    : QWidget(parent), Host_(host), View_(new charts::TTreemapView) {
  View_->setObjectName(QStringLiteral("Treemap"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(View_, 1);
  connect(View_, &charts::TTreemapView::TileClicked, this,
          [this](const TSizeFolder* folder, Qt::MouseButton button, QPoint global) {
            emit FolderClicked(folder->Path(), button, global);
          });
  connect(View_, &charts::TTreemapView::TileHovered, this,
          [this](const TSizeFolder* folder, bool ownFiles, quint64 bytes, QPoint) {
            ShowHint(folder, ownFiles, bytes);
          });
}

charts::TTreemapView* TTreemapPage::ShownView() const {
  return isVisibleTo(window()) ? View_ : nullptr;
}

void TTreemapPage::FolderShown() {
  const TSizeFolder* folder = Host_.ShownFolder();
  // The same folder may hold other sizes now (a folder moved to the trash): laid out again.
  View_->SetFolder(folder);
  Mark();
}

void TTreemapPage::TreeReplaced() {
  View_->SetFolder(nullptr);
  View_->SetMarked(nullptr);
}

void TTreemapPage::MarkPath(const std::string& path) {
  MarkedPath_ = path;
  Mark();
}

void TTreemapPage::Mark() {
  const TSizeFolder* shown = View_->Folder();
  View_->SetMarked(shown == nullptr ? nullptr : FolderBelow(*shown, MarkedPath_));
}

void TTreemapPage::SetPalette(const TChartPalette& palette) { View_->SetPalette(palette); }

void TTreemapPage::ShowHint(const TSizeFolder* folder, bool ownFiles, quint64 bytes) {
  QString path = DisplayPath(folder->Path());
  if (ownFiles) path += QStringLiteral(" (its own files)");
  const QLocale english(QLocale::English);
  const QString size =
      english.toString(static_cast<double>(bytes) / static_cast<double>(kBytesPerMB), 'f', 2) +
      QStringLiteral(" MB (") + english.toString(static_cast<qulonglong>(bytes)) +
      QStringLiteral(" bytes)");
  View_->setToolTip(path + QLatin1Char('\n') + size);
  Host_.ShowStatus(path + QStringLiteral(": ") + size);
}

}  // namespace nubrix
