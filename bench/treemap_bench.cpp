// The treemap of a scanned tree at 1280 x 1024: the layout, the cushions and both together,
// offscreen, medians of the rounds.
//   nubrix-treemap-bench TREE [ROUNDS]
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "charts/TreemapPainter.h"
#include "platform/Paths.h"
#include "sizetree/ScanEngine.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: nubrix-treemap-bench TREE [ROUNDS]\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  const std::string tree = nubrix::platform::WithoutSeparator(argv[1]);
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 9;
  nubrix::TSizeTree sizeTree;
  nubrix::TScanContext context;
  nubrix::ScanIntoTree(sizeTree, tree + "/", context);
  const nubrix::TSizeFolder& root = *sizeTree.ScanRoot();
  const QSize size(1280, 1024);
  std::vector<double> layout, cushions, names, drawn, whole;
  std::size_t tileCount = 0;
  std::vector<nubrix::charts::TTreemapTile> keptTiles;
  QImage keptCushions(size, QImage::Format_RGB32);
  QImage window(size, QImage::Format_RGB32);
  window.fill(Qt::white);
  for (int round = 0; round < rounds; ++round) {
    std::vector<nubrix::charts::TTreemapTile> tiles;
    layout.push_back(nubrix::bench::Seconds([&] {
      tiles = nubrix::charts::LayoutTreemap(root, {0, 0, 1280, 1024});
    }));
    tileCount = tiles.size();
    cushions.push_back(nubrix::bench::Seconds(
        [&] { (void)nubrix::charts::RenderTreemapCushions(tiles, size, nubrix::kChartPalette); }));
    names.push_back(nubrix::bench::Seconds([&] {
      QImage image(size, QImage::Format_RGB32);
      QPainter painter(&image);
      nubrix::charts::PaintTreemapNames(painter, tiles);
    }));
    const QImage cushionImage =
        nubrix::charts::RenderTreemapCushions(tiles, size, nubrix::kChartPalette);
    drawn.push_back(nubrix::bench::Seconds([&] {
      QImage image(size, QImage::Format_RGB32);
      QPainter painter(&image);
      painter.drawImage(QPoint(0, 0), cushionImage);
    }));
    // As the widget does it: the tiles, the cushions and the window's picture kept between
    // paintings, so only the work is timed, not the first touch of fresh memory.
    whole.push_back(nubrix::bench::Seconds([&] {
      nubrix::charts::LayoutTreemapInto(keptTiles, root, {0, 0, 1280, 1024});
      nubrix::charts::RenderTreemapCushionsInto(keptCushions, keptTiles, nubrix::kChartPalette);
      QPainter painter(&window);
      painter.drawImage(QPoint(0, 0), keptCushions);
      nubrix::charts::PaintTreemapNames(painter, keptTiles);
    }));
  }
  std::printf("%d folders, %zu tiles, medians of %d rounds\n", context.State.FolderCount.load(),
              tileCount, rounds);
  std::printf("| layout | %.1f ms |\n| cushions | %.1f ms |\n| names | %.1f ms |\n",
              1000 * nubrix::bench::Median(layout), 1000 * nubrix::bench::Median(cushions),
              1000 * nubrix::bench::Median(names));
  std::printf("| cushions drawn on a picture | %.1f ms |\n", 1000 * nubrix::bench::Median(drawn));
  std::printf("| layout, cushions and names, memory kept (as the widget) | %.1f ms |\n",
              1000 * nubrix::bench::Median(whole));
  return 0;
}
