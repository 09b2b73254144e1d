// The "Treemap" page: the folder the charts show with every folder below it at once. It follows
// the charts; a click on a tile is the window's to act on, as a click on a bar is.
#pragma once

#include <QWidget>
#include <string>

#include "charts/ChartPalette.h"

namespace nubrix {

namespace charts {
class TTreemapView;
}
class IPageHost;
class TSizeFolder;

class TTreemapPage : public QWidget {
  Q_OBJECT

 public:
  explicit TTreemapPage(IPageHost& host, QWidget* parent = nullptr);

  charts::TTreemapView* View() const { return View_; }
  // The treemap while its page is the one shown, else null.
  charts::TTreemapView* ShownView() const;
  // The charts show another folder, or the tree changed under the same one.
  void FolderShown();
  // The tree is about to go: nothing of it may be drawn any more.
  void TreeReplaced();
  void SetPalette(const TChartPalette& palette);
  // The selected folder wears a light frame where it is among the tiles.
  void MarkPath(const std::string& path);

 signals:
  void FolderClicked(const std::string& path, Qt::MouseButton button, QPoint global);

 private:
  void ShowHint(const TSizeFolder* folder, bool ownFiles, quint64 bytes);

  void Mark();

  IPageHost& Host_;
  std::string MarkedPath_;
  charts::TTreemapView* View_;
};

}  // namespace nubrix
