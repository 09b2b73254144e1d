// Building blocks of the window's and the pages' layout: flat tool bars, command buttons whose
// own captions and hints survive their action's changes, tight columns, and the help context a
// widget carries for F1.
#pragma once

#include <QString>

class QAction;
class QToolBar;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace nubrix {

// A tool bar that cannot be moved or floated, named for tests and style sheets.
QToolBar* FlatToolBar(const QString& name, int iconSize);
// A column layout without margins or spacing.
QVBoxLayout* TightColumn(QWidget* owner);

// The button for action on bar; hint and caption, when given, stay the button's own.
QToolButton* AddCommandButton(QToolBar* bar, QAction* action, const QString& hint = {},
                              const QString& caption = {});
// Gives a button texts of its own that survive every change of its action.
void KeepButtonTexts(QToolButton* button, QAction* action, const QString& caption,
                     const QString& hint);

// The manual's topic for a widget and everything in it; 0 for none.
void SetHelpContext(QWidget* widget, int helpContext);
// The help context of widget or of the nearest parent that has one; 0 for none.
int HelpContextAt(const QWidget* widget);

}  // namespace nubrix
