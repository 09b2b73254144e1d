// A row of widgets that wraps onto further rows when it is too narrow for all of them, so that
// no button hides behind an overflow arrow.
#pragma once

#include <QLayout>
#include <QList>

namespace nubrix {

class TFlowLayout : public QLayout {
 public:
  explicit TFlowLayout(QWidget* parent, int spacing = 2);
  ~TFlowLayout() override;

  void addItem(QLayoutItem* item) override;
  int count() const override { return static_cast<int>(Items_.size()); }
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  Qt::Orientations expandingDirections() const override { return {}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
  QSize minimumSize() const override;
  QSize sizeHint() const override;
  void setGeometry(const QRect& rect) override;

 private:
  // The height the items take in rect's width; places them when place is set.
  int Arrange(const QRect& rect, bool place) const;

  QList<QLayoutItem*> Items_;
  int Spacing_;
};

}  // namespace nubrix
