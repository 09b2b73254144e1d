#include "cleaners/pages/Add_ElementU.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace nubrix {

namespace {

QToolButton* FlatButton(const QString& text, QStyle::StandardPixmap picture, QWidget* owner) {
  auto* button = new QToolButton(owner);
  button->setText(text);
  button->setIcon(owner->style()->standardIcon(picture));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setAutoRaise(true);
  button->setFixedSize(65, 22);
  return button;
}

}  // namespace

TAdd_Element::TAdd_Element(QWidget* parent)
    : QDialog(parent), Edit1_(new QLineEdit), Edit2_(new QLineEdit) {
  setObjectName(QStringLiteral("Add_Element"));
  setWindowTitle(QStringLiteral("Nubrix"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(8, 6, 8, 6);
  column->setSpacing(4);
  auto* box = new QGroupBox(QStringLiteral("Add junk file type"));
  auto* fields = new QVBoxLayout(box);
  fields->setContentsMargins(8, 4, 8, 6);
  fields->setSpacing(2);
  fields->addWidget(new QLabel(QStringLiteral("Extension (*.tmp)")));
  Edit1_->setFixedWidth(81);
  fields->addWidget(Edit1_);
  fields->addWidget(new QLabel(QStringLiteral("Explaination")));
  Edit2_->setFixedWidth(265);
  fields->addWidget(Edit2_);
  column->addWidget(box);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  QToolButton* cancel = FlatButton(QStringLiteral("Cancel"), QStyle::SP_DialogCancelButton, this);
  QToolButton* ok = FlatButton(QStringLiteral("OK"), QStyle::SP_DialogOkButton, this);
  buttons->addWidget(cancel);
  buttons->addWidget(ok);
  column->addLayout(buttons);
  connect(cancel, &QToolButton::clicked, this, &QDialog::reject);  // SpeedButton1Click
  connect(ok, &QToolButton::clicked, this, &QDialog::accept);      // SpeedButton2Click
  setTabOrder(Edit1_, Edit2_);
  Edit1_->setFocus();
  // 410 by 146 as laid out, but never so low that a box cannot show a line of the user's font.
  setFixedSize(410, std::max(146, column->sizeHint().height()));
  if (parent != nullptr) move(parent->window()->geometry().center() - rect().center());
}

QString TAdd_Element::GetExtension() const { return Edit1_->text(); }

QString TAdd_Element::GetDescription() const { return Edit2_->text(); }

}  // namespace nubrix
