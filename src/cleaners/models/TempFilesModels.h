// The two lists of the temp-file page as item models: the masks of the type list, and the files
// found, each with a check box; the files keep their byte paths beside the shown text and sort in
// the model.
#pragma once

#include <QAbstractTableModel>
#include <QVariant>
#include <vector>

#include "cleaners/TempFiles.h"

namespace nubrix {

// tmpList: "ext" and "description", never sorted.
class TTmpTypesModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  void Assign(std::vector<TTmpType> types);
  const std::vector<TTmpType>& Types() const { return Types_; }
  void Append(const TTmpType& type);
  void Remove(int row);
  void SetAllChecked(bool checked);
  // The masks of the checked rows, top to bottom.
  std::vector<std::string> CheckedMasks() const;

 private:
  std::vector<TTmpType> Types_;
};

// vsttemp: "Filename", "Folder", "Size of file".
class TTempFilesModel : public QAbstractTableModel {
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

  void Clear();
  void Append(std::vector<TTempTreeData> rows);
  const std::vector<TTempTreeData>& Rows() const { return Rows_; }
  // Takes out the rows of these indexes (those whose files went to the trash).
  void RemoveRows(std::vector<int> rows);
  void SetAllChecked(bool checked);
  // What the window shows beside the texts: the pictures of the first two columns, the first
  // column's background, the decimal point of the sizes.
  void SetLooks(QVariant filePicture, QVariant folderPicture, QVariant nameBackground,
                char decimalPoint);
  // The focused row shows a highlighted document and an open folder instead.
  void SetFocusedLooks(QVariant filePicture, QVariant folderPicture);
  // The row the view's focus is on; -1 for none.
  void SetFocusedRow(int row);

 private:
  std::vector<TTempTreeData> Rows_;
  QVariant FilePicture_;
  QVariant FolderPicture_;
  QVariant FocusedFilePicture_;
  QVariant FocusedFolderPicture_;
  int FocusedRow_ = -1;
  QVariant NameBackground_;
  char DecimalPoint_ = '.';
};

}  // namespace nubrix
