#include "app/CleanupHistory.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ChartBuilding.h"
#include "cleaners/CleanupRuns.h"

namespace nubrix {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

QString CommandText(const TRunSummary& run) {
  QString text = DisplayPath(run.Command);
  if (run.Cancelled) text += QStringLiteral(" (cancelled)");
  if (run.Undone) text += QStringLiteral(" (restored)");
  return text;
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
      Restore_(new QPushButton(QStringLiteral("Restore"), this)) {
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
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(List_);
  layout->addWidget(buttons);
  Reload();
}

void TCleanupHistoryDialog::Reload() {
  List_->clear();
  std::vector<TRunSummary> runs;
  std::vector<int> inTrash;
  const db::TDatabaseNote note = db::WithDatabase(DatabaseFile_, [&] {
    TRunLog log(DatabaseFile_);
    runs = log.Runs();
    for (const TRunSummary& run : runs) {
      const std::optional<TRun> full = log.Run(run.Id);
      inTrash.push_back(full ? CountInTrash(*full) : 0);
    }
  });
  if (!note.Error.empty()) {
    auto* item = new QTreeWidgetItem(List_);
    item->setText(1,
                  QStringLiteral("The cleanup history cannot be read: ") + DisplayPath(note.Error));
  }
  for (std::size_t i = 0; i < runs.size() && note.Error.empty(); ++i) {
    const TRunSummary& run = runs[i];
    auto* item = new QTreeWidgetItem(List_);
    item->setText(0, QString::fromStdString(RunTimeText(run.Time)));
    item->setText(1, CommandText(run));
    item->setText(2, QString::number(run.Items));
    item->setText(3, BytesText(run.Bytes));
    item->setText(4, QString::number(inTrash[i]));
    item->setData(0, kIdRole, QVariant::fromValue<qint64>(run.Id));
    for (int column : {2, 3, 4}) item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
  }
  for (int column = 0; column < List_->columnCount(); ++column) {
    if (column != 1) List_->resizeColumnToContents(column);
  }
  if (List_->topLevelItemCount() > 0 && note.Error.empty()) {
    List_->setCurrentItem(List_->topLevelItem(0));
  }
  UpdateButtons();
}

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
