#include "cleaners/models/LargestFilesModels.h"

#include <QLocale>
#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "cleaners/CleanupRuns.h"
#include "platform/Paths.h"
#include "sizetree/SizeMB.h"

namespace nubrix {

namespace {

QString Shown(std::string_view bytes) {
  return QString::fromStdString(platform::ShownPath(std::string(bytes)));
}

QString ExtensionText(const std::string& extension) {
  return extension.empty() ? QStringLiteral("(none)") : Shown(extension);
}

}  // namespace

QString MegabytesText(std::uint64_t bytes) {
  return QLocale(QLocale::English)
             .toString(static_cast<double>(bytes) / static_cast<double>(kBytesPerMB), 'f', 3) +
         QStringLiteral(" MB");
}

// ---- the files ----

int TLargeFilesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Shown_.size());
}

int TLargeFilesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kLargeColumnCount;
}

QVariant TLargeFilesModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const std::size_t at = Shown_[static_cast<std::size_t>(index.row())];
  const TLargeFile& file = Files_[at];
  switch (role) {
    case Qt::DisplayRole:
      switch (index.column()) {
        case kLargeNameColumn:
          return Shown(file.Name());
        case kLargeFolderColumn:
          return Shown(file.Folder());
        case kLargeSizeColumn:
          return MegabytesText(file.Size);
        case kLargeModifiedColumn:
          // A scan file may give no time: none is shown rather than the first day of 1970.
          return file.Modified == 0 ? QString()
                                    : QString::fromStdString(RunTimeText(file.Modified));
        default:
          return Shown(FileExtension(file.Name()));
      }
    case Qt::ToolTipRole:
      return index.column() == kLargeSizeColumn
                 ? QVariant(QLocale(QLocale::English).toString(static_cast<qulonglong>(file.Size)) +
                            QStringLiteral(" bytes"))
                 : QVariant(Shown(file.Path));
    case Qt::CheckStateRole:
      return index.column() == kLargeNameColumn
                 ? QVariant(Checked_[at] ? Qt::Checked : Qt::Unchecked)
                 : QVariant();
    case Qt::TextAlignmentRole:
      return index.column() == kLargeSizeColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                : QVariant();
    case kPathRole:
      return QByteArray::fromStdString(file.Path);
    default:
      return {};
  }
}

bool TLargeFilesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::CheckStateRole ||
      index.column() != kLargeNameColumn) {
    return false;
  }
  Checked_[Shown_[static_cast<std::size_t>(index.row())]] =
      value.value<Qt::CheckState>() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags TLargeFilesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == kLargeNameColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant TLargeFilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kLargeColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  static const QString kHeaders[kLargeColumnCount] = {
      QStringLiteral("Name"), QStringLiteral("Folder"), QStringLiteral("Size"),
      QStringLiteral("Modified"), QStringLiteral("Type")};
  return kHeaders[section];
}

void TLargeFilesModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kLargeColumnCount) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::size_t> old;
  for (const QModelIndex& index : before)
    old.push_back(Shown_[static_cast<std::size_t>(index.row())]);
  SortColumn_ = column;
  SortOrder_ = order;
  std::stable_sort(Shown_.begin(), Shown_.end(), [&](std::size_t a, std::size_t b) {
    return LargeFileBefore(Files_[a], Files_[b], column, order == Qt::AscendingOrder);
  });
  std::vector<int> rowOf(Files_.size(), -1);
  for (std::size_t row = 0; row < Shown_.size(); ++row) rowOf[Shown_[row]] = static_cast<int>(row);
  QModelIndexList after;
  for (int i = 0; i < before.size(); ++i)
    after << index(rowOf[old[static_cast<std::size_t>(i)]], before[i].column());
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TLargeFilesModel::Show() {
  Shown_.clear();
  for (std::size_t i = 0; i < Files_.size(); ++i) {
    if (!Filter_ || FileExtension(Files_[i].Name()) == *Filter_) Shown_.push_back(i);
  }
  std::stable_sort(Shown_.begin(), Shown_.end(), [&](std::size_t a, std::size_t b) {
    return LargeFileBefore(Files_[a], Files_[b], SortColumn_, SortOrder_ == Qt::AscendingOrder);
  });
}

void TLargeFilesModel::Assign(std::vector<TLargeFile> files) {
  beginResetModel();
  Files_ = std::move(files);
  Checked_.assign(Files_.size(), false);
  Filter_.reset();
  Show();
  endResetModel();
}

void TLargeFilesModel::SetTypeFilter(std::optional<std::string> extension) {
  beginResetModel();
  Filter_ = std::move(extension);
  Show();
  endResetModel();
}

std::vector<TLargeFile> TLargeFilesModel::CheckedFiles() const {
  std::vector<TLargeFile> checked;
  for (const std::size_t at : Shown_) {
    if (Checked_[at]) checked.push_back(Files_[at]);
  }
  return checked;
}

void TLargeFilesModel::SetAllChecked(bool checked) {
  if (Shown_.empty()) return;
  for (const std::size_t at : Shown_) Checked_[at] = checked;
  emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

void TLargeFilesModel::RemovePaths(const std::vector<std::string>& paths) {
  const std::unordered_set<std::string> gone(paths.begin(), paths.end());
  beginResetModel();
  std::vector<TLargeFile> files;
  std::vector<bool> checked;
  for (std::size_t i = 0; i < Files_.size(); ++i) {
    if (gone.count(Files_[i].Path) != 0) continue;
    files.push_back(std::move(Files_[i]));
    checked.push_back(Checked_[i]);
  }
  Files_ = std::move(files);
  Checked_ = std::move(checked);
  Show();
  endResetModel();
}

// ---- the types ----

int TFileTypesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(Types_.size());
}

int TFileTypesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant TFileTypesModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const TTypeTotal& type = Types_[static_cast<std::size_t>(index.row())];
  const QLocale english(QLocale::English);
  if (role == kExtensionRole) return QString::fromStdString(type.Extension);
  if (role == Qt::TextAlignmentRole) {
    return index.column() == kExtensionColumn ? QVariant()
                                              : QVariant(Qt::AlignRight | Qt::AlignVCenter);
  }
  if (role == Qt::ToolTipRole && index.column() == kBytesColumn) {
    return english.toString(static_cast<qulonglong>(type.Bytes)) + QStringLiteral(" bytes");
  }
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case kExtensionColumn:
      return ExtensionText(type.Extension);
    case kFilesColumn:
      return english.toString(static_cast<qulonglong>(type.Files));
    case kBytesColumn:
      return MegabytesText(type.Bytes);
    default:
      return Total_ == 0 ? QStringLiteral("0.0 %")
                         : english.toString(100.0 * static_cast<double>(type.Bytes) /
                                                static_cast<double>(Total_),
                                            'f', 1) +
                               QStringLiteral(" %");
  }
}

QVariant TFileTypesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumnCount) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  static const QString kHeaders[kColumnCount] = {QStringLiteral("Type"), QStringLiteral("Files"),
                                                 QStringLiteral("Size"), QStringLiteral("Share")};
  return kHeaders[section];
}

void TFileTypesModel::Assign(std::vector<TTypeTotal> types, std::uint64_t total) {
  beginResetModel();
  Types_ = std::move(types);
  Total_ = total;
  endResetModel();
}

const std::string& TFileTypesModel::ExtensionAt(int row) const {
  return Types_.at(static_cast<std::size_t>(row)).Extension;
}

}  // namespace nubrix
