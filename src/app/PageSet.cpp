#include <QButtonGroup>
#include <QFrame>
#include <QStackedWidget>
#include <QToolButton>

#include "app/TForm1.h"
#include "app/TreemapPage.h"
#include "cleaners/pages/CleanerPages.h"
#include "cleaners/pages/DuplicatesPage.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "cleaners/pages/ShortcutPage.h"
#include "cleaners/pages/TempFilesPage.h"
#include "ui/FlowLayout.h"

namespace nubrix {

void TPages::CancelJobs() const {
  Shortcuts->CancelJob();
  TempFiles->CancelJob();
  Traces->CancelJob();
  Largest->CancelJob();
  Duplicates->CancelJob();
}

void TPages::FolderShown() const {
  Largest->FolderShown();
  Treemap->FolderShown();
  Duplicates->FolderShown();
}

void TPages::TreeReplaced() const {
  Treemap->TreeReplaced();
  Duplicates->TreeReplaced();
}

QWidget* BuildPageButtons(QStackedWidget* pages, QButtonGroup*& group) {
  auto* bar = new QWidget;
  bar->setObjectName(QStringLiteral("ToolBar2"));
  auto* flow = new TFlowLayout(bar);
  group = new QButtonGroup(bar);
  const std::pair<TPage, QString> buttons[] = {
      {TPage::Bars, QStringLiteral("Bar chart")},
      {TPage::Pies, QStringLiteral("Pie chart")},
      {TPage::None, {}},
      {TPage::TempFiles, QStringLiteral("Clean temp files")},
      {TPage::Shortcuts, QStringLiteral("Clean shortcuts")},
      {TPage::Traces, QStringLiteral("Clean IE Traces")},
      {TPage::None, {}},
      {TPage::Largest, QStringLiteral("Largest files")},
      {TPage::Treemap, QStringLiteral("Treemap")},
      {TPage::Duplicates, QStringLiteral("Duplicates")}};
  for (const auto& [page, caption] : buttons) {
    if (caption.isEmpty()) {
      auto* separator = new QFrame;
      separator->setFrameShape(QFrame::VLine);
      separator->setFixedHeight(18);
      flow->addWidget(separator);
      continue;
    }
    auto* button = new QToolButton;
    button->setText(caption);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setChecked(page == TPage::Bars);
    group->addButton(button, static_cast<int>(page));
    flow->addWidget(button);
  }
  QObject::connect(group, &QButtonGroup::idClicked, pages, &QStackedWidget::setCurrentIndex);
  QObject::connect(pages, &QStackedWidget::currentChanged, group, [group](int index) {
    if (QAbstractButton* button = group->button(index)) {
      button->setChecked(true);
    } else if (QAbstractButton* checked = group->checkedButton()) {
      group->setExclusive(false);
      checked->setChecked(false);
      group->setExclusive(true);
    }
  });
  return bar;
}

}  // namespace nubrix
