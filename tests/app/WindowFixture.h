// A main window for tests: scripted dialogs and a settings file of its own whose start folder
// is the one given (by default one that is not there, so no test scans "/" by accident).
#pragma once

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <memory>
#include <string>

#include "app/ScanSources.h"
#include "app/TForm1.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix::test {

class TWindowFixture {
 public:
  std::unique_ptr<TForm1> Start(const std::string& startFolder = "/nonexistent-start-folder/") {
    Settings.Add("AppData/");
    std::ofstream(SettingsFile()) << "[LastDir]\nStart with=" << startFolder << "\n";
    auto form = std::make_unique<TForm1>(&Dialogs, SettingsFile());
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get())) ADD_FAILURE() << "the window never showed";
    return form;
  }
  std::string SettingsFile() const { return Settings / "AppData/Nubrix.ini"; }

  // Selects folder, presses "Scan" and waits for the scan to end; false when it did not in time.
  static bool ScanAndWait(TForm1& form, const std::string& folder) {
    if (!form.ShowSelectedPath(folder)) return false;
    QSignalSpy finished(&form, &TForm1::ScanFinished);
    form.Action("actRun")->trigger();
    return finished.count() > 0 || finished.wait(30000);
  }
  // As ScanAndWait, with Escape pressed while the walk waits at its start, whatever the machine's
  // speed.
  static bool ScanAndEscape(TForm1& form, const std::string& folder) {
    TGatedSource gate;
    form.Scanner()->SetSource(&gate);
    form.ShowSelectedPath(folder);
    QSignalSpy finished(&form, &TForm1::ScanFinished);
    form.Action("actRun")->trigger();
    gate.WaitUntilReached();
    QTest::keyClick(&form, Qt::Key_Escape);
    gate.Release();
    const bool ended = finished.count() > 0 || finished.wait(30000);
    form.Scanner()->SetSource(nullptr);
    return ended;
  }

  TScriptedDialogs Dialogs;
  TTempTree Settings;
};

}  // namespace nubrix::test
