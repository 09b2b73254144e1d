#include "cleaners/models/ShortcutRowsModel.h"

#include <algorithm>
#include <set>

#include "platform/Paths.h"

namespace nubrix {

namespace {

QString Shown(const std::string& bytes) {
  return QString::fromStdString(platform::ShownPath(bytes));
}

const std::string& Text(const TShortcutRow& row, int column) {
  switch (column) {
    case TShortcutRowsModel::kCaptionColumn:
      return row.Caption;
    case TShortcutRowsModel::kTargetColumn:
      return row.Target;
    case TShortcutRowsModel::kConditionColumn:
      return row.Condition;
    default:
      return row.ShortcutPath;
  }
}

}  // namespace

int TShortcutRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Rows_.size());
}

int TShortcutRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant TShortcutRowsModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const TShortcutRow& row = Row(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return Shown(Text(row, index.column()));
    case Qt::CheckStateRole:
      if (index.column() == kCaptionColumn) return row.Checked ? Qt::Checked : Qt::Unchecked;
      return {};
    case kPathRole:
      return QByteArray(row.ShortcutPath.data(), static_cast<qsizetype>(row.ShortcutPath.size()));
    case kConditionRole:
      return static_cast<int>(row.State);
    default:
      return {};
  }
}

bool TShortcutRowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::CheckStateRole ||
      index.column() != kCaptionColumn) {
    return false;
  }
  Rows_[static_cast<std::size_t>(index.row())].Checked =
      value.value<Qt::CheckState>() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags TShortcutRowsModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == kCaptionColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant TShortcutRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  static const QString kHeaders[kColumnCount] = {
      QStringLiteral("Shortcut / Foldername"), QStringLiteral("Target Application / Folder path"),
      QStringLiteral("Condition"), QStringLiteral("Shortcut path")};
  return kHeaders[section];
}

void TShortcutRowsModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::size_t> ranking(Rows_.size());
  for (std::size_t i = 0; i < ranking.size(); ++i) ranking[i] = i;
  const auto less = [&](std::size_t a, std::size_t b) {
    const TShortcutRow& x = Rows_[a];
    const TShortcutRow& y = Rows_[b];
    if (column == kConditionColumn && x.State != y.State) return x.State < y.State;
    return Text(x, column) < Text(y, column);
  };
  std::stable_sort(ranking.begin(), ranking.end(), [&](std::size_t a, std::size_t b) {
    return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
  });
  std::vector<TShortcutRow> sorted;
  std::vector<int> newRowOf(Rows_.size());
  sorted.reserve(Rows_.size());
  for (std::size_t i = 0; i < ranking.size(); ++i) {
    newRowOf[ranking[i]] = static_cast<int>(i);
    sorted.push_back(std::move(Rows_[ranking[i]]));
  }
  Rows_ = std::move(sorted);
  QModelIndexList after;
  for (const QModelIndex& index : before)
    after << this->index(newRowOf[static_cast<std::size_t>(index.row())], index.column());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TShortcutRowsModel::Clear() {
  beginResetModel();
  Rows_.clear();
  endResetModel();
}

void TShortcutRowsModel::Add(const TShortcutRow& row) {
  const int at = static_cast<int>(Rows_.size());
  beginInsertRows({}, at, at);
  Rows_.push_back(row);
  endInsertRows();
}

void TShortcutRowsModel::RemovePaths(const std::vector<std::string>& paths) {
  const std::set<std::string> gone(paths.begin(), paths.end());
  for (int row = rowCount() - 1; row >= 0; --row) {
    if (gone.count(Rows_[static_cast<std::size_t>(row)].ShortcutPath) == 0) continue;
    beginRemoveRows({}, row, row);
    Rows_.erase(Rows_.begin() + row);
    endRemoveRows();
  }
}

}  // namespace nubrix
