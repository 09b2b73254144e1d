// The main of the page tests: a home, start menus and a trash of their own, set before Qt and GLib
// read them, then the offscreen platform.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QApplication>
#include <string>

#include "support/TempTree.h"

namespace nubrix {
std::string gHome;
}  // namespace nubrix

int main(int argc, char** argv) {
  // Before Qt and GLib read them: a home, start menus and a trash of the test's own.
  char pattern[] = "/tmp/nubrix-page-home-XXXXXX";
  nubrix::gHome = mkdtemp(pattern);
  setenv("HOME", nubrix::gHome.c_str(), 1);
  setenv("XDG_DATA_HOME", (nubrix::gHome + "/.local/share").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (nubrix::gHome + "/.config").c_str(), 1);
  setenv("XDG_DATA_DIRS", (nubrix::gHome + "/usr/share").c_str(), 1);
  mkdir((nubrix::gHome + "/.local").c_str(), 0755);
  mkdir((nubrix::gHome + "/.local/share").c_str(), 0755);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  nubrix::test::RemoveTree(nubrix::gHome);
  return result;
}
