#pragma once

#include <QPixmap>
#include <QStaticText>
#include <QWidget>
#include <array>

#include "main_window/patch_list.h"

// "00" to "15": how the grid numbers its columns and rows.
QString TwoDigits(int n);

// The 16 x 16 patch boxes with their column and row numbers. One control
// draws them all: 256 check box widgets would cost the window its quick
// start. Each box has the two states of a check box, Enabled and Value;
// row 0 is at the bottom.
class PatchGrid : public QWidget {
  Q_OBJECT

 public:
  explicit PatchGrid(QWidget* parent = nullptr);

  bool value(int index) const { return values_[static_cast<size_t>(index)]; }
  bool isBoxEnabled(int index) const { return enabled_[static_cast<size_t>(index)]; }
  void setValue(int index, bool checked);
  void setBoxEnabled(int index, bool enabled);
  patch_list::Marks marks() const { return values_; }

  // What a click on a box does: toggles an enabled box, ignores a disabled one.
  void clickBox(int index);
  int currentBox() const { return current_; }

  // Where box i stands in this control, and which box a point hits (-1: none).
  static QRect BoxRect(int index);
  static int BoxAt(QPoint point);
  // Where the numbers above the columns and left of the rows stand.
  static QRect ColumnNumberRect(int column);
  static QRect RowNumberRect(int row);
  // "Column 03, row 05": how a box is named to the user.
  static QString BoxName(int index);
  // The contrast ratio of two colours, 1 to 21, as accessibility guidelines count it.
  static double Contrast(const QColor& a, const QColor& b);

  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void UpdateBox(int index);
  // Moves the keyboard focus to box i.
  void SetCurrent(int index);
  const QPixmap& Indicator(bool enabled, bool checked, bool sunken);


  patch_list::Marks values_{};
  std::array<bool, patch_list::kPatchCount> enabled_{};
  int current_ = 0;   // the box with the keyboard focus
  int pressed_ = -1;  // the box under a mouse press
  bool dragging_ = false;
  bool dragValue_ = false;  // what the boxes passed over take
  // The style draws a box slowly; the eight looks are drawn once and reused.
  std::array<QPixmap, 8> indicators_;
  qreal indicatorRatio_ = 0;
  std::array<QStaticText, patch_list::kSide> numbers_;  // "00" to "15", laid out once
};
