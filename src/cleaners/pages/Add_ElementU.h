// The dialog that adds a junk file type: a mask and what it is.
#pragma once

#include <QDialog>

class QLineEdit;

namespace nubrix {

class TAdd_Element : public QDialog {
  Q_OBJECT

 public:
  explicit TAdd_Element(QWidget* parent = nullptr);
  QString GetExtension() const;
  QString GetDescription() const;
  QLineEdit* Edit1() const { return Edit1_; }
  QLineEdit* Edit2() const { return Edit2_; }

 private:
  QLineEdit* Edit1_;
  QLineEdit* Edit2_;
};

}  // namespace nubrix
