// The rows of the shortcut page as an item model: four columns, a check box in the first, the
// byte path that a deletion acts on kept beside the shown text, and sorting in the model. It is
// also the sink the listings fill.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "cleaners/Clean_Shortcuts.h"

namespace nubrix {

class TShortcutRowsModel : public QAbstractTableModel, public IShortcutRows {
  Q_OBJECT

 public:
  enum TColumn { kCaptionColumn, kTargetColumn, kConditionColumn, kPathColumn, kColumnCount };
  // QByteArray: the row's path as bytes, never the shown text.
  static constexpr int kPathRole = Qt::UserRole + 1;
  // int: the row's TCondition.
  static constexpr int kConditionRole = Qt::UserRole + 2;

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  // Texts by their bytes; the condition column by its value, so "Broken" rows gather.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  void Clear() override;
  void Add(const TShortcutRow& row) override;

  const TShortcutRow& Row(int row) const { return Rows_.at(static_cast<std::size_t>(row)); }
  const std::vector<TShortcutRow>& Rows() const { return Rows_; }
  // Takes the rows out whose paths are given (those that went to the trash).
  void RemovePaths(const std::vector<std::string>& paths);

 private:
  std::vector<TShortcutRow> Rows_;
};

}  // namespace nubrix
