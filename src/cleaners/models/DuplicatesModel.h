// The groups of a duplicate search as a tree: a row per group (its copies, their size, what
// moving all but one would free) holding a row per copy with a check box.
#pragma once

#include <QAbstractItemModel>
#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

#include "cleaners/Duplicates.h"

namespace nubrix {

class TDuplicatesModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum TColumn { kNameColumn, kSizeColumn, kModifiedColumn, kFolderColumn, kColumnCount };
  struct TCopy {
    std::size_t Group = 0;
    std::size_t File = 0;
  };

  using QAbstractItemModel::QAbstractItemModel;

  void Assign(std::vector<TDuplicateGroup> groups);
  const std::vector<TDuplicateGroup>& Groups() const { return Groups_; }
  // Every copy but the one rule keeps in each group.
  void CheckAllBut(TKeepRule rule);
  void UncheckAll();
  std::vector<TCopy> CheckedCopies() const;
  std::uint64_t CheckedBytes() const;
  std::uint64_t FreeableBytes() const;
  // The first group whose every copy is checked.
  std::optional<std::size_t> EmptiedGroup() const;
  // Copies gone to the trash (by path) leave their groups; a group left with one copy goes.
  void RemoveCopies(const std::unordered_set<std::string>& gone);
  // The copy of a row; null for a group's row.
  const TDuplicateFile* CopyAt(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  void CheckedChanged();

 private:
  void CheckedReset();
  QVariant GroupData(std::size_t group, int column, int role) const;
  QVariant CopyData(std::size_t group, std::size_t file, int column, int role) const;

  std::vector<TDuplicateGroup> Groups_;
  std::vector<std::vector<bool>> Checked_;  // per group, per copy
};

}  // namespace nubrix
