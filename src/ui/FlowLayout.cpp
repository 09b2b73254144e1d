#include "ui/FlowLayout.h"

#include <QWidget>
#include <algorithm>

namespace nubrix {

TFlowLayout::TFlowLayout(QWidget* parent, int spacing) : QLayout(parent), Spacing_(spacing) {
  setContentsMargins(0, 0, 0, 0);
}

TFlowLayout::~TFlowLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void TFlowLayout::addItem(QLayoutItem* item) { Items_.append(item); }

QLayoutItem* TFlowLayout::itemAt(int index) const {
  return index >= 0 && index < Items_.size() ? Items_[index] : nullptr;
}

QLayoutItem* TFlowLayout::takeAt(int index) {
  return index >= 0 && index < Items_.size() ? Items_.takeAt(index) : nullptr;
}

QSize TFlowLayout::minimumSize() const {
  QSize size;
  for (const QLayoutItem* item : Items_) size = size.expandedTo(item->minimumSize());
  const QMargins margins = contentsMargins();
  return size + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

QSize TFlowLayout::sizeHint() const {
  int width = 0;
  int height = 0;
  for (const QLayoutItem* item : Items_) {
    width += item->sizeHint().width() + Spacing_;
    height = std::max(height, item->sizeHint().height());
  }
  return {width, height};
}

void TFlowLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  Arrange(rect, true);
}

int TFlowLayout::Arrange(const QRect& rect, bool place) const {
  const QRect area = rect.marginsRemoved(contentsMargins());
  int x = area.x();
  int y = area.y();
  int rowHeight = 0;
  for (QLayoutItem* item : Items_) {
    const QSize hint = item->sizeHint();
    if (x > area.x() && x + hint.width() > area.right() + 1) {
      x = area.x();
      y += rowHeight + Spacing_;
      rowHeight = 0;
    }
    if (place) item->setGeometry(QRect(QPoint(x, y), hint));
    x += hint.width() + Spacing_;
    rowHeight = std::max(rowHeight, hint.height());
  }
  return y + rowHeight - rect.y() + contentsMargins().bottom();
}

}  // namespace nubrix
