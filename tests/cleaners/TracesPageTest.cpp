// The traces page's openers of the registry list editors, through the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "cleaners/pages/CleanerPages.h"
#include "registry/RegEditorU.h"

namespace nubrix {
namespace {

TEST(TracesPageTest, EachOpenerShowsItsListModally) {
  test::TWindowFixture window;
  std::unique_ptr<TForm1> form = window.Start();
  auto store = std::make_unique<platform::TMemoryRegistry>();
  store->SetHive(platform::kHkeyLocalMachine,
                 "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
                 "Run] 1\n\"Tray\"=\"tray.exe\"\n\"Mixer\"=\"mixer.exe\"\n");
  form->TracesPage()->SetRegistry(std::move(store));

  QString title;
  int rows = -1;
  std::string backupPath;
  QTimer::singleShot(0, [&] {
    auto* editor = qobject_cast<registry::TRegEditorForm*>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    title = editor->windowTitle();
    rows = editor->ListView1->topLevelItemCount();
    backupPath = editor->BackupPath();
    editor->reject();
  });
  form->Action("actEditAutoStart")->trigger();
  EXPECT_EQ(title, "Edit Auto Start List");
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(backupPath, window.Settings / "AppData/AutostartA")
      << "backups beside the settings file";
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "closed and gone";
  EXPECT_TRUE(window.Dialogs.Errors.isEmpty());
}

}  // namespace
}  // namespace nubrix
