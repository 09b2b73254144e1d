// The main of the tests that need a QApplication: a settings home of their own (Qt's own file
// dialog remembers its folders there), the offscreen platform, then GoogleTest.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <string>

#include "support/TempTree.h"

int main(int argc, char** argv) {
  char pattern[] = "/tmp/nubrix-qt-config-XXXXXX";
  const std::string config = mkdtemp(pattern);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int result = 0;
  {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  nubrix::test::RemoveTree(config);
  return result;
}
