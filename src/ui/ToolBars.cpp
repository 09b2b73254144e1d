#include "ui/ToolBars.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariant>

#include "ui/Commands.h"

namespace nubrix {

namespace {

constexpr const char* kHelpContextProperty = "nubrixHelpContext";

}  // namespace

QToolBar* FlatToolBar(const QString& name, int iconSize) {
  auto* bar = new QToolBar(name);
  bar->setObjectName(name);
  bar->setIconSize(QSize(iconSize, iconSize));
  bar->setMovable(false);
  bar->setFloatable(false);
  return bar;
}

QVBoxLayout* TightColumn(QWidget* owner) {
  auto* layout = new QVBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

// Qt copies the action's text and tool tip onto its buttons whenever the action changes (a
// check mark, an enabled state), and only then emits changed(): putting the button's own texts
// back from that signal keeps them through every change.
void KeepButtonTexts(QToolButton* button, QAction* action, const QString& caption,
                     const QString& hint) {
  if (caption.isEmpty() && hint.isEmpty()) return;
  const auto apply = [button, caption, hint] {
    if (!caption.isEmpty()) button->setText(caption);
    if (!hint.isEmpty()) button->setToolTip(hint);
  };
  if (!hint.isEmpty()) button->setProperty(kCommandHint, hint);
  apply();
  QObject::connect(action, &QAction::changed, button, apply);
}

QToolButton* AddCommandButton(QToolBar* bar, QAction* action, const QString& hint,
                              const QString& caption) {
  bar->addAction(action);
  auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
  if (button != nullptr) KeepButtonTexts(button, action, caption, hint);
  return button;
}

void SetHelpContext(QWidget* widget, int helpContext) {
  widget->setProperty(kHelpContextProperty, helpContext);
}

int HelpContextAt(const QWidget* widget) {
  for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    const QVariant context = w->property(kHelpContextProperty);
    if (context.isValid() && context.toInt() != 0) return context.toInt();
  }
  return 0;
}

}  // namespace nubrix
