// The two lists of the "Largest files" page as item models: the files, each with a check box and
// its byte path beside the shown text, sortable by any column and filtered to one type; and the
// file types with their share of the folder.
#pragma once

#include <QAbstractTableModel>
#include <QVariant>
#include <optional>
#include <string>
#include <vector>

#include "cleaners/LargestFiles.h"

namespace nubrix {

class TLargeFilesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // QByteArray: the file's path as bytes, never the shown text.
  static constexpr int kPathRole = Qt::UserRole + 1;

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  // The files, unchecked, in the order given; no filter.
  void Assign(std::vector<TLargeFile> files);
  // Shows only the files of one extension ("" for names without one); nullopt shows all.
  void SetTypeFilter(std::optional<std::string> extension);
  const std::optional<std::string>& TypeFilter() const { return Filter_; }
  const TLargeFile& FileAt(int row) const { return Files_[Shown_[static_cast<std::size_t>(row)]]; }
  // The checked files among those shown.
  std::vector<TLargeFile> CheckedFiles() const;
  void SetAllChecked(bool checked);
  // Takes out the files of these paths (those that went to the trash).
  void RemovePaths(const std::vector<std::string>& paths);

 private:
  void Show();

  std::vector<TLargeFile> Files_;
  std::vector<bool> Checked_;
  std::vector<std::size_t> Shown_;  // rows: indexes into Files_
  std::optional<std::string> Filter_;
  int SortColumn_ = kLargeSizeColumn;
  Qt::SortOrder SortOrder_ = Qt::DescendingOrder;
};

class TFileTypesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum TColumn { kExtensionColumn, kFilesColumn, kBytesColumn, kShareColumn, kColumnCount };
  // QString: the extension the row stands for ("" for names without one).
  static constexpr int kExtensionRole = Qt::UserRole + 1;

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // In the order given (most bytes first); total: the bytes of the folder.
  void Assign(std::vector<TTypeTotal> types, std::uint64_t total);
  const std::string& ExtensionAt(int row) const;

 private:
  std::vector<TTypeTotal> Types_;
  std::uint64_t Total_ = 0;
};

// "1,234.568 MB": megabytes of 1,048,576 bytes, as the charts give sizes.
QString MegabytesText(std::uint64_t bytes);

}  // namespace nubrix
