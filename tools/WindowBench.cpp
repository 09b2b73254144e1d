// The scan from the window against nubrix-scan on the same tree, warm, in alternating rounds:
// the time from "Scan" to the charts showing the result, and how much the window's memory grows.
//   nubrix-window-bench NUBRIX_SCAN TREE [ROUNDS]      (QT_QPA_PLATFORM=offscreen is fine)
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/GrowthView.h"
#include "app/TForm1.h"

namespace {

long ResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmRSS:")) return std::atol(line.c_str() + 6) * 1024;
  }
  return 0;
}

double MiB(long bytes) { return static_cast<double>(bytes) / 1048576.0; }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// nubrix-scan's wall time in seconds and its peak memory in bytes (GNU time).
std::pair<double, long> CommandLineScan(const std::string& scanner, const std::string& tree) {
  const std::string report = QDir::tempPath().toStdString() + "/nubrix-window-bench-time";
  const std::string command =
      "/usr/bin/time -f %M -o " + report + " " + scanner + " --top 0 '" + tree + "' > /dev/null";
  const auto start = std::chrono::steady_clock::now();
  (void)std::system(command.c_str());
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  long kib = 0;
  std::ifstream(report) >> kib;
  return {wall, kib * 1024};
}

double WindowScan(nubrix::TForm1& form, const std::string& tree) {
  form.ShowSelectedPath(tree);
  QEventLoop wait;
  QObject::connect(&form, &nubrix::TForm1::ScanFinished, &wait, &QEventLoop::quit);
  const auto start = std::chrono::steady_clock::now();
  form.Action("actRun")->trigger();
  if (form.Scanning()) wait.exec();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The scan is kept (and compared) on a worker after the charts show; how long that takes.
double WaitForRecord(nubrix::TForm1& form) {
  const auto start = std::chrono::steady_clock::now();
  while (form.GrowthView()->Recorder()->Running())
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: nubrix-window-bench NUBRIX_SCAN TREE [ROUNDS]\n");
    return 2;
  }
  const std::string scanner = argv[1];
  const std::string tree = argv[2];
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
  const QString settings = QDir::tempPath() + "/nubrix-window-bench/AppData/Nubrix.ini";
  QDir().mkpath(QDir::tempPath() + "/nubrix-window-bench/AppData");
  nubrix::TForm1 form(nullptr, settings.toStdString());
  form.show();
  QApplication::processEvents();
  CommandLineScan(scanner, tree);  // warm the cache
  const long before = ResidentBytes();
  std::vector<double> window, commandLine, record;
  long scannerPeak = 0;
  for (int round = 0; round < rounds; ++round) {
    const auto [wall, peak] = CommandLineScan(scanner, tree);
    commandLine.push_back(wall);
    scannerPeak = std::max(scannerPeak, peak);
    window.push_back(WindowScan(form, tree));
    record.push_back(WaitForRecord(form));
  }
  const long after = ResidentBytes();
  const double w = Median(window), c = Median(commandLine);
  std::printf("%s, warm, medians of %d alternating rounds\n", tree.c_str(), rounds);
  std::printf("| nubrix-scan | %.3f s | peak %.1f MiB |\n", c, MiB(scannerPeak));
  std::printf("| window: Scan to charts | %.3f s | %.2f x nubrix-scan (goal <= 1.15) |\n", w,
              w / c);
  std::printf("| window: scan kept and compared after the charts | %.3f s |\n", Median(record));
  std::printf(
      "| window memory | %.1f MiB before, %.1f MiB after | growth %.2f x nubrix-scan's peak (goal "
      "<= 1.5) |\n",
      MiB(before), MiB(after),
      static_cast<double>(after - before) / static_cast<double>(scannerPeak));
  return 0;
}
