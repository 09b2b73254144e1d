#include "cleaners/models/DuplicatesModel.h"

#include <QLocale>

#include "cleaners/CleanupRuns.h"
#include "cleaners/models/LargestFilesModels.h"
#include "platform/Paths.h"

namespace nubrix {

namespace {

// Group rows carry no parent: their internal id is 0; a copy's is its group's number plus one.
constexpr quintptr kGroupRow = 0;

QString Shown(std::string_view bytes) {
  return QString::fromStdString(platform::ShownPath(std::string(bytes)));
}

QString BytesTip(std::uint64_t bytes) {
  return QLocale(QLocale::English).toString(static_cast<qulonglong>(bytes)) +
         QStringLiteral(" bytes");
}

}  // namespace

void TDuplicatesModel::Assign(std::vector<TDuplicateGroup> groups) {
  beginResetModel();
  Groups_ = std::move(groups);
  Checked_.clear();
  for (const TDuplicateGroup& group : Groups_) Checked_.emplace_back(group.Files.size(), false);
  endResetModel();
  emit CheckedChanged();
}

void TDuplicatesModel::CheckAllBut(TKeepRule rule) {
  for (std::size_t g = 0; g < Groups_.size(); ++g) {
    const std::size_t kept = KeptCopy(Groups_[g], rule);
    for (std::size_t f = 0; f < Checked_[g].size(); ++f) Checked_[g][f] = f != kept;
  }
  CheckedReset();
}

// Every copy's box may have changed: each group tells its rows so, which keeps the view's
// expanded groups and its place.
void TDuplicatesModel::CheckedReset() {
  for (std::size_t g = 0; g < Groups_.size(); ++g) {
    const QModelIndex group = index(static_cast<int>(g), 0);
    emit dataChanged(index(0, kNameColumn, group),
                     index(static_cast<int>(Groups_[g].Files.size()) - 1, kNameColumn, group),
                     {Qt::CheckStateRole});
  }
  emit CheckedChanged();
}

void TDuplicatesModel::UncheckAll() {
  for (std::vector<bool>& checked : Checked_) checked.assign(checked.size(), false);
  CheckedReset();
}

std::vector<TDuplicatesModel::TCopy> TDuplicatesModel::CheckedCopies() const {
  std::vector<TCopy> copies;
  for (std::size_t g = 0; g < Checked_.size(); ++g) {
    for (std::size_t f = 0; f < Checked_[g].size(); ++f) {
      if (Checked_[g][f]) copies.push_back({g, f});
    }
  }
  return copies;
}

std::uint64_t TDuplicatesModel::CheckedBytes() const {
  std::uint64_t bytes = 0;
  for (const TCopy& copy : CheckedCopies()) bytes += Groups_[copy.Group].Size;
  return bytes;
}

std::uint64_t TDuplicatesModel::FreeableBytes() const {
  std::uint64_t bytes = 0;
  for (const TDuplicateGroup& group : Groups_) bytes += group.Freeable();
  return bytes;
}

std::optional<std::size_t> TDuplicatesModel::EmptiedGroup() const {
  for (std::size_t g = 0; g < Checked_.size(); ++g) {
    if (std::find(Checked_[g].begin(), Checked_[g].end(), false) == Checked_[g].end()) return g;
  }
  return std::nullopt;
}

void TDuplicatesModel::RemoveCopies(const std::unordered_set<std::string>& gone) {
  beginResetModel();
  for (std::size_t g = 0; g < Groups_.size(); ++g) {
    std::vector<TDuplicateFile>& files = Groups_[g].Files;
    for (std::size_t f = files.size(); f-- > 0;) {
      if (gone.count(files[f].Path) == 0) continue;
      files.erase(files.begin() + static_cast<std::ptrdiff_t>(f));
      Checked_[g].erase(Checked_[g].begin() + static_cast<std::ptrdiff_t>(f));
    }
  }
  for (std::size_t g = Groups_.size(); g-- > 0;) {
    if (Groups_[g].Files.size() > 1) continue;
    Groups_.erase(Groups_.begin() + static_cast<std::ptrdiff_t>(g));
    Checked_.erase(Checked_.begin() + static_cast<std::ptrdiff_t>(g));
  }
  endResetModel();
  emit CheckedChanged();
}

const TDuplicateFile* TDuplicatesModel::CopyAt(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == kGroupRow) return nullptr;
  return &Groups_[index.internalId() - 1].Files[static_cast<std::size_t>(index.row())];
}

QModelIndex TDuplicatesModel::index(int row, int column, const QModelIndex& parent) const {
  if (!hasIndex(row, column, parent)) return {};
  return createIndex(row, column,
                     parent.isValid() ? static_cast<quintptr>(parent.row()) + 1 : kGroupRow);
}

QModelIndex TDuplicatesModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == kGroupRow) return {};
  return createIndex(static_cast<int>(child.internalId() - 1), 0, kGroupRow);
}

int TDuplicatesModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(Groups_.size());
  if (parent.internalId() != kGroupRow || parent.column() != 0) return 0;
  return static_cast<int>(Groups_[static_cast<std::size_t>(parent.row())].Files.size());
}

int TDuplicatesModel::columnCount(const QModelIndex&) const { return kColumnCount; }

QVariant TDuplicatesModel::GroupData(std::size_t g, int column, int role) const {
  const TDuplicateGroup& group = Groups_[g];
  if (role == Qt::ToolTipRole && column == kSizeColumn) return BytesTip(group.Size);
  if (role != Qt::DisplayRole) return {};
  switch (column) {
    case kNameColumn:
      return QStringLiteral("%1 copies").arg(group.Files.size());
    case kSizeColumn:
      return MegabytesText(group.Size);
    case kFolderColumn:
      return MegabytesText(group.Freeable()) + QStringLiteral(" could be freed");
    default:
      return {};
  }
}

QVariant TDuplicatesModel::CopyData(std::size_t g, std::size_t f, int column, int role) const {
  const TDuplicateFile& file = Groups_[g].Files[f];
  switch (role) {
    case Qt::DisplayRole:
      if (column == kNameColumn) {
        return file.OtherNames.empty()
                   ? Shown(file.Name())
                   : Shown(file.Name()) + QStringLiteral(" (%1 names)").arg(file.NameCount());
      }
      if (column == kSizeColumn) return MegabytesText(file.Size);
      if (column == kModifiedColumn) return QString::fromStdString(RunTimeText(file.Modified));
      return Shown(file.Folder());
    case Qt::ToolTipRole: {
      QString tip = Shown(file.Path);
      for (const std::string& other : file.OtherNames) tip += QStringLiteral("\n") + Shown(other);
      return tip;
    }
    case Qt::CheckStateRole:
      return column == kNameColumn ? QVariant(Checked_[g][f] ? Qt::Checked : Qt::Unchecked)
                                   : QVariant();
    default:
      return {};
  }
}

QVariant TDuplicatesModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  if (role == Qt::TextAlignmentRole && index.column() == kSizeColumn)
    return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (index.internalId() == kGroupRow)
    return GroupData(static_cast<std::size_t>(index.row()), index.column(), role);
  return CopyData(index.internalId() - 1, static_cast<std::size_t>(index.row()), index.column(),
                  role);
}

bool TDuplicatesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (CopyAt(index) == nullptr || role != Qt::CheckStateRole || index.column() != kNameColumn)
    return false;
  Checked_[index.internalId() - 1][static_cast<std::size_t>(index.row())] =
      value.toInt() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  emit CheckedChanged();
  return true;
}

Qt::ItemFlags TDuplicatesModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractItemModel::flags(index);
  if (CopyAt(index) != nullptr && index.column() == kNameColumn) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant TDuplicatesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {"Name", "Size", "Modified", "Folder"};
  return section >= 0 && section < kColumnCount ? QString::fromUtf8(kTitles[section]) : QVariant();
}

}  // namespace nubrix
