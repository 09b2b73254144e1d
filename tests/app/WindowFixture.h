// A main window for tests: scripted dialogs and a settings file of its own whose start folder
// is the one given (by default one that is not there, so no test scans "/" by accident).
#pragma once

#include <QTest>
#include <fstream>
#include <memory>
#include <string>

#include "app/ScriptedDialogs.h"
#include "app/TForm1.h"
#include "support/TempTree.h"

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

  TScriptedDialogs Dialogs;
  TTempTree Settings;
};

}  // namespace nubrix::test
