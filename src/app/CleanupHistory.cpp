#include "app/CleanupHistory.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ChartBuilding.h"
#include "cleaners/CleanupRuns.h"
#include "ui/JobRunner.h"

namespace nubrix {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

QString CommandText(const TRunSummary& run) {
  QString text = DisplayPath(run.Command);
  if (run.Cancelled) text += QStringLiteral(" (cancelled)");
  if (const std::string state = RunStateText(run); !state.empty())
    text += QStringLiteral(" (") + QString::fromStdString(state) + u')';
  return text;
}

// Counting what is still in the trash reads an info file per item: off the window's thread.
THistoryRows ReadHistory(const std::string& file, const TJob& job) {
  THistoryRows rows;
  const db::TDatabaseNote note = db::WithDatabase(file, [&] {
    rows = {};
    TRunLog log(file);
    rows.Runs = log.Runs();
    for (const TRunSummary& run : rows.Runs) {
      if (job.Cancelled()) return;
      const std::optional<TRun> full = log.Run(run.Id);
      rows.InTrash.push_back(full ? CountInTrash(*full) : 0);
    }
  });
  rows.Error = note.Error;
  return rows;
}

}  // namespace

QString BytesText(std::int64_t bytes) {
  if (bytes < 1024) return QStringLiteral("%1 bytes").arg(bytes);
  return QLocale(QLocale::English).toString(static_cast<double>(bytes) / 1048576.0, 'f', 2) +
         QStringLiteral(" MB");
}

TCleanupHistoryDialog::TCleanupHistoryDialog(std::string databaseFile,
                                             std::function<void(std::int64_t)> restore,
                                             QWidget* parent)
    : QDialog(parent),
      DatabaseFile_(std::move(databaseFile)),
      RestoreRun_(std::move(restore)),
      List_(new QTreeWidget(this)),
      Restore_(new QPushButton(QStringLiteral("Restore"), this)),
      Loader_(new TJobRunner(this)) {
  setWindowTitle(QStringLiteral("Cleanup history"));
  resize(640, 360);
  List_->setHeaderLabels({QStringLiteral("Time"), QStringLiteral("Command"),
                          QStringLiteral("Items"), QStringLiteral("Bytes"),
                          QStringLiteral("In trash")});
  List_->setRootIsDecorated(false);
  List_->setSelectionMode(QAbstractItemView::SingleSelection);
  List_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->addButton(Restore_, QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(Restore_, &QPushButton::clicked, this, &TCleanupHistoryDialog::RestoreSelected);
  connect(List_, &QTreeWidget::itemSelectionChanged, this, &TCleanupHistoryDialog::UpdateButtons);
  connect(Loader_, &TJobRunner::Failed, this, [this](const QString& message) {
    THistoryRows failed;
    failed.Error = message.toStdString();
    Show(failed);
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(List_);
  layout->addWidget(buttons);
  Reload();
}

void TCleanupHistoryDialog::Reload() {
  // A reload asked for while one reads (a restore ended) starts over: the list shows the newer.
  Loader_->CancelAndWait();
  List_->clear();
  auto* reading = new QTreeWidgetItem(List_);
  reading->setText(1, QStringLiteral("Reading the cleanup history ..."));
  UpdateButtons();
  Loader_->Start([file = DatabaseFile_](TJob& job) { return ReadHistory(file, job); },
                 [this](const THistoryRows& rows) { Show(rows); });
}

void TCleanupHistoryDialog::Show(const THistoryRows& rows) {
  List_->clear();
  if (!rows.Error.empty()) {
    auto* item = new QTreeWidgetItem(List_);
    item->setText(1,
                  QStringLiteral("The cleanup history cannot be read: ") + DisplayPath(rows.Error));
  }
  for (std::size_t i = 0; i < rows.Runs.size() && rows.Error.empty(); ++i) {
    const TRunSummary& run = rows.Runs[i];
    auto* item = new QTreeWidgetItem(List_);
    item->setText(0, QString::fromStdString(RunTimeText(run.Time)));
    item->setText(1, CommandText(run));
    item->setToolTip(1, CommandText(run));  // a long command is read whole in its hint
    item->setText(2, QString::number(run.Items));
    item->setText(3, BytesText(run.Bytes));
    item->setText(4, QString::number(rows.InTrash[i]));
    item->setData(0, kIdRole, QVariant::fromValue<qint64>(run.Id));
    for (int column : {2, 3, 4}) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
  for (int column = 0; column < List_->columnCount(); ++column) {
    if (column != 1) List_->resizeColumnToContents(column);
  }
  if (List_->topLevelItemCount() > 0 && rows.Error.empty()) {
    List_->setCurrentItem(List_->topLevelItem(0));
  }
  UpdateButtons();
}

bool TCleanupHistoryDialog::Loading() const { return Loader_->Running(); }

void TCleanupHistoryDialog::UpdateButtons() {
  const QTreeWidgetItem* item = List_->currentItem();
  Restore_->setEnabled(item != nullptr && item->data(0, kIdRole).isValid() &&
                       item->text(4) != QStringLiteral("0"));
}

void TCleanupHistoryDialog::RestoreSelected() {
  const QTreeWidgetItem* item = List_->currentItem();
  if (item == nullptr || !item->data(0, kIdRole).isValid()) return;
  // The window reloads this list when the undo, which runs off its thread, has ended.
  RestoreRun_(item->data(0, kIdRole).value<qint64>());
}

}  // namespace nubrix
