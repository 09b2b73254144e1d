#include "app/HistoryBox.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QMenu>

#include "ui/DisplayText.h"
#include "ui/UserDialogs.h"

namespace nubrix {

namespace {

constexpr int kBytesRole = Qt::UserRole;  // the entry's bytes beside its shown text

}  // namespace

THistoryBox::THistoryBox(IUserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), Dialogs_(dialogs), Combo_(new QComboBox) {
  setObjectName(QStringLiteral("ComboPanel"));
  setFixedHeight(20);
  auto* row = new QHBoxLayout(this);
  // The box stays 24 pixels narrower than the page area.
  row->setContentsMargins(0, 0, 24, 0);
  Combo_->setObjectName(QStringLiteral("HistoryCombo"));
  Combo_->setEditable(true);
  Combo_->setInsertPolicy(QComboBox::NoInsert);
  Combo_->setToolTip(
      QStringLiteral("Display a list of recent analyzed folders. \r\nFolders scanned will be "
                     "added!\r\nEdit list with right mouse pop up menu"));
  Combo_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Combo_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu historyPop(this);
    historyPop.addAction(QStringLiteral("Delete selected history item"), this,
                         [this] { DeleteHistoryItemClick(); });
    historyPop.addSeparator();
    historyPop.addAction(QStringLiteral("Clear all history items"), this,
                         [this] { ClearAll1Click(); });
    historyPop.exec(Combo_->mapToGlobal(at));
  });
  row->addWidget(Combo_, 1);
}

void THistoryBox::Assign(const std::vector<std::string>& entries, int size) {
  History_.Assign(entries);
  HistorySize_ = size;
  Refresh();
}

void THistoryBox::Refresh() {
  const QString text = Combo_->currentText();
  Combo_->blockSignals(true);
  Combo_->clear();
  for (const std::string& entry : History_.Entries()) {
    Combo_->addItem(DisplayPath(entry),
                    QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
  }
  Combo_->setEditText(text);
  Combo_->blockSignals(false);
}

void THistoryBox::ShowText(const QString& text) { Combo_->setEditText(text); }

void THistoryBox::AddToHistory(const std::string& folder) {
  History_.Add(folder, HistorySize_, Random_);
  Refresh();
  emit Changed();
}

void THistoryBox::HistoryComboClick(int index) {
  if (index < 0 || index >= Combo_->count()) return;
  emit FolderChosen(Combo_->itemData(index, kBytesRole).toByteArray().toStdString());
}

void THistoryBox::ClearAll1Click() {
  if (!Dialogs_.Ask(window(), TQuestionKind::Warning,
                    QStringLiteral("Do you really want to delete the entire histoy list?"),
                    TAnswerButtons::YesCancel)) {
    return;
  }
  History_.Clear();
  Refresh();
  emit Changed();
  Combo_->setEditText({});
}

void THistoryBox::DeleteHistoryItemClick() {
  const int index = Combo_->currentIndex();
  if (index < 0) return;
  if (!Dialogs_.Ask(window(), TQuestionKind::Warning,
                    QStringLiteral("Do you really want to delete the selected history item?"),
                    TAnswerButtons::YesCancel)) {
    return;
  }
  History_.Remove(static_cast<std::size_t>(index));
  Refresh();
  emit Changed();
}

}  // namespace nubrix
