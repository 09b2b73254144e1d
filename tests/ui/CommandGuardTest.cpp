// The default error display and the busy cursor, as every command runs inside them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <stdexcept>

#include "ui/CommandGuard.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix {
namespace {

Qt::CursorShape Shown() {
  return QApplication::overrideCursor() != nullptr ? QApplication::overrideCursor()->shape()
                                                   : Qt::ArrowCursor;
}

TEST(CommandGuardTest, WhatACommandDoesNotCatchIsShownAndTheProgramGoesOn) {
  test::TScriptedDialogs dialogs;
  bool ran = false;
  RunGuarded(dialogs, nullptr, [&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(dialogs.Errors.isEmpty());
  RunGuarded(dialogs, nullptr,
             [] { throw std::runtime_error("Unable to write to /x/caf\xc3\xa9.ini"); });
  RunGuarded(dialogs, nullptr, [] { throw 42; });
  EXPECT_EQ(dialogs.Errors, (QStringList{QStringLiteral("Unable to write to /x/caf\u00e9.ini"),
                                         QStringLiteral("An unexpected error occurred.")}));
}

TEST(CommandGuardTest, TheBusyCursorGivesBackTheCursorShownBeforeEvenWhenAnErrorPasses) {
  QApplication::setOverrideCursor(Qt::CrossCursor);
  test::TScriptedDialogs dialogs;
  RunGuarded(dialogs, nullptr, [] {
    const TBusyCursor busy;
    EXPECT_EQ(Shown(), Qt::WaitCursor);
    {
      const TBusyCursor nested;
      EXPECT_EQ(Shown(), Qt::WaitCursor);
    }
    EXPECT_EQ(Shown(), Qt::WaitCursor) << "the inner guard gives back the outer one's";
    throw std::runtime_error("failed half way");
  });
  EXPECT_EQ(Shown(), Qt::CrossCursor);
  EXPECT_EQ(dialogs.Errors.size(), 1);
  QApplication::restoreOverrideCursor();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace nubrix
