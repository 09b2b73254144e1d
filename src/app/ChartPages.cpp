#include "app/ChartPages.h"

#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "charts/ChartView.h"
#include "ui/Commands.h"
#include "ui/ToolBars.h"

namespace nubrix {

const QString kBarsInitialHint = QStringLiteral("Left click on Pie to visualize that folder");
const QString kPiesInitialHint = QStringLiteral(
    "Left click on Pie to visualize that folder\r\nRight click on Pie to open explorer in that "
    "folder");
const QString kPointHintTail =
    QStringLiteral("\n\rLeft click to visualize folder\n\rRight click to open menu");
const QString kIncompleteHint =
    QStringLiteral("\n\rSome folders in it could not be read: the size is too small");

QToolButton* AddAboutButton(QToolBar* bar) {
  auto* spacer = new QWidget;
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  bar->addWidget(spacer);
  auto* button = new QToolButton;
  button->setObjectName(QStringLiteral("AboutButton"));
  button->setText(QStringLiteral("i"));
  button->setToolTip(QStringLiteral("Show about box"));
  button->setAutoRaise(true);
  bar->addWidget(button);
  return button;
}

TBarPage::TBarPage(const TCommands& commands, QWidget* parent)
    : QWidget(parent), Chart_(new charts::TChartView(charts::TChartKind::Bars)) {
  QVBoxLayout* column = TightColumn(this);
  QToolBar* bar = FlatToolBar(QStringLiteral("ToolBar4"), 16);
  AddCommandButton(bar, commands.Find("actUpOneDir"));
  AddCommandButton(bar, commands.Find("actBack"));
  connect(AddAboutButton(bar), &QToolButton::clicked, this, &TBarPage::AboutRequested);
  column->addWidget(bar);
  auto* row = new QHBoxLayout;
  row->setSpacing(0);
  // The paging buttons on the left edge of the chart.
  auto* paging = new QToolBar;
  paging->setOrientation(Qt::Vertical);
  paging->setIconSize(QSize(12, 12));
  for (const char* name : {"actBarsUp", "actBarsNormal", "actBarsSpread", "actBarsDown"}) {
    AddCommandButton(paging, commands.Find(name));
  }
  row->addWidget(paging, 0, Qt::AlignTop);
  Chart_->setObjectName(QStringLiteral("Bars"));
  Chart_->setToolTip(kBarsInitialHint);
  row->addWidget(Chart_, 1);
  column->addLayout(row, 1);
  SetHelpContext(Chart_, kHelpContext);
}

TPiePage::TPiePage(const TCommands& commands, QWidget* parent)
    : QWidget(parent), Chart_(new charts::TChartView(charts::TChartKind::Pie)) {
  QVBoxLayout* column = TightColumn(this);
  QToolBar* bar = FlatToolBar(QStringLiteral("ToolBar5"), 16);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  AddCommandButton(bar, commands.Find("actUpOneDir"), {}, QStringLiteral("Up"));
  AddCommandButton(bar, commands.Find("actBack"), QStringLiteral("foreward"));
  AddCommandButton(bar, commands.Find("actRotateLeft"), QStringLiteral("Rotate left"));
  AddCommandButton(bar, commands.Find("actRotateRight"), QStringLiteral("Rotate right"));
  connect(AddAboutButton(bar), &QToolButton::clicked, this, &TPiePage::AboutRequested);
  column->addWidget(bar);
  Chart_->setObjectName(QStringLiteral("Pies"));
  Chart_->setToolTip(kPiesInitialHint);
  column->addWidget(Chart_, 1);
  SetHelpContext(Chart_, kHelpContext);
}

}  // namespace nubrix
