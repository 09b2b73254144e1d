#include "cleaners/models/TempFilesModels.h"

#include <algorithm>
#include <numeric>

#include "platform/Paths.h"

namespace nubrix {

namespace {

QString Shown(const std::string& bytes) {
  return QString::fromStdString(platform::ShownPath(bytes));
}

QVariant CheckState(bool checked) { return checked ? Qt::Checked : Qt::Unchecked; }

bool IsCheckEdit(const QModelIndex& index, int role) {
  return role == Qt::CheckStateRole && index.column() == 0;
}

}  // namespace

// ---- the type list ----

int TTmpTypesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Types_.size());
}

int TTmpTypesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant TTmpTypesModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const TTmpType& type = Types_[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) return Shown(index.column() == 0 ? type.Mask : type.Description);
  if (role == Qt::CheckStateRole && index.column() == 0) return CheckState(type.Checked);
  return {};
}

bool TTmpTypesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !IsCheckEdit(index, role)) return false;
  Types_[static_cast<std::size_t>(index.row())].Checked =
      value.value<Qt::CheckState>() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags TTmpTypesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == 0) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant TTmpTypesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return section == 0 ? QStringLiteral("ext") : QStringLiteral("description");
}

void TTmpTypesModel::Assign(std::vector<TTmpType> types) {
  beginResetModel();
  Types_ = std::move(types);
  endResetModel();
}

void TTmpTypesModel::Append(const TTmpType& type) {
  const int row = rowCount();
  beginInsertRows({}, row, row);
  Types_.push_back(type);
  endInsertRows();
}

void TTmpTypesModel::Remove(int row) {
  if (row < 0 || row >= rowCount()) return;
  beginRemoveRows({}, row, row);
  Types_.erase(Types_.begin() + row);
  endRemoveRows();
}

void TTmpTypesModel::SetAllChecked(bool checked) {
  if (Types_.empty()) return;
  for (TTmpType& type : Types_) type.Checked = checked;
  emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

std::vector<std::string> TTmpTypesModel::CheckedMasks() const {
  std::vector<std::string> masks;
  for (const TTmpType& type : Types_) {
    if (type.Checked) masks.push_back(type.Mask);
  }
  return masks;
}

// ---- the files found ----

int TTempFilesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Rows_.size());
}

int TTempFilesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kTempColumnCount;
}

QVariant TTempFilesModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const TTempTreeData& row = Rows_[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      if (index.column() == kTempFileNameColumn) return Shown(row.FileName);
      if (index.column() == kTempFolderColumn) return Shown(row.Folder);
      return QString::fromStdString(TempSizeText(row.Size, DecimalPoint_));
    case Qt::CheckStateRole:
      return index.column() == kTempFileNameColumn ? CheckState(row.Checked) : QVariant();
    case Qt::DecorationRole: {
      const bool focused = index.row() == FocusedRow_;
      if (index.column() == kTempFileNameColumn)
        return focused ? FocusedFilePicture_ : FilePicture_;
      if (index.column() == kTempFolderColumn)
        return focused ? FocusedFolderPicture_ : FolderPicture_;
      return {};
    }
    case Qt::BackgroundRole:
      return index.column() == kTempFileNameColumn ? NameBackground_ : QVariant();
    case Qt::TextAlignmentRole:
      return index.column() == kTempSizeColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                               : QVariant();
    case kPathRole:
      return QByteArray::fromStdString(row.Path());
    default:
      return {};
  }
}

bool TTempFilesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !IsCheckEdit(index, role)) return false;
  Rows_[static_cast<std::size_t>(index.row())].Checked =
      value.value<Qt::CheckState>() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags TTempFilesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == kTempFileNameColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant TTempFilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kTempColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  static const QString kHeaders[kTempColumnCount] = {
      QStringLiteral("Filename"), QStringLiteral("Folder"), QStringLiteral("Size of file")};
  return kHeaders[section];
}

void TTempFilesModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kTempColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<int> ranking(Rows_.size());
  std::iota(ranking.begin(), ranking.end(), 0);
  std::stable_sort(ranking.begin(), ranking.end(), [&](int a, int b) {
    const int compared = CompareTempRows(Rows_[static_cast<std::size_t>(a)],
                                         Rows_[static_cast<std::size_t>(b)], column);
    return order == Qt::AscendingOrder ? compared < 0 : compared > 0;
  });
  std::vector<TTempTreeData> sorted;
  sorted.reserve(Rows_.size());
  std::vector<int> newRowOf(Rows_.size());
  for (std::size_t i = 0; i < ranking.size(); ++i) {
    newRowOf[static_cast<std::size_t>(ranking[i])] = static_cast<int>(i);
    sorted.push_back(std::move(Rows_[static_cast<std::size_t>(ranking[i])]));
  }
  Rows_ = std::move(sorted);
  QModelIndexList after;
  for (const QModelIndex& old : before)
    after << index(newRowOf[static_cast<std::size_t>(old.row())], old.column());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TTempFilesModel::Clear() {
  beginResetModel();
  Rows_.clear();
  endResetModel();
}

void TTempFilesModel::Append(std::vector<TTempTreeData> rows) {
  if (rows.empty()) return;
  const int first = rowCount();
  beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
  Rows_.insert(Rows_.end(), std::make_move_iterator(rows.begin()),
               std::make_move_iterator(rows.end()));
  endInsertRows();
}

void TTempFilesModel::RemoveRows(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    if (*it < 0 || *it >= rowCount()) continue;
    beginRemoveRows({}, *it, *it);
    Rows_.erase(Rows_.begin() + *it);
    endRemoveRows();
  }
}

void TTempFilesModel::SetAllChecked(bool checked) {
  if (Rows_.empty()) return;
  for (TTempTreeData& row : Rows_) row.Checked = checked;
  emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

void TTempFilesModel::SetLooks(QVariant filePicture, QVariant folderPicture,
                               QVariant nameBackground, char decimalPoint) {
  FilePicture_ = std::move(filePicture);
  FolderPicture_ = std::move(folderPicture);
  NameBackground_ = std::move(nameBackground);
  DecimalPoint_ = decimalPoint;
}

void TTempFilesModel::SetFocusedLooks(QVariant filePicture, QVariant folderPicture) {
  FocusedFilePicture_ = std::move(filePicture);
  FocusedFolderPicture_ = std::move(folderPicture);
}

void TTempFilesModel::SetFocusedRow(int row) {
  const int before = FocusedRow_;
  FocusedRow_ = row;
  for (const int changed : {before, row}) {
    if (changed >= 0 && changed < rowCount())
      emit dataChanged(index(changed, 0), index(changed, kTempFolderColumn), {Qt::DecorationRole});
  }
}

}  // namespace nubrix
