#include "main_window/patch_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <utility>

#include "main_window/twips.h"

namespace {

// The control spans the window from the column numbers (top 885) down to
// the bottom row of boxes; the layout below is in window twips.
constexpr int kTop = 885;
constexpr int kBoxLeft = 225;
constexpr int kBottomRowTop = 5610;
constexpr int kPitch = 300;
constexpr int kBoxSize = 240;

QRect WindowBoxRect(int column, int row) {
  return TwipsRect(kBoxLeft + kPitch * column, kBottomRowTop - kPitch * row, kBoxSize, kBoxSize);
}

QRect ColumnLabelRect(int column) { return TwipsRect(kBoxLeft + kPitch * column, kTop, kBoxSize, kBoxSize); }

QRect RowLabelRect(int row) { return TwipsRect(0, kBottomRowTop - kPitch * row, kBoxLeft, kBoxSize); }

QString TwoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

}  // namespace

PatchGrid::PatchGrid(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CheckBoxArray"));
  setFocusPolicy(Qt::StrongFocus);
  setGeometry(QRect(0, Twips(kTop), Twips(4950), Twips(kBottomRowTop + kBoxSize) - Twips(kTop)));
  for (int n = 0; n < patch_list::kSide; ++n) {
    numbers_[static_cast<size_t>(n)].setText(TwoDigits(n));
    numbers_[static_cast<size_t>(n)].setPerformanceHint(QStaticText::AggressiveCaching);
  }
}

QSize PatchGrid::sizeHint() const { return size(); }

QRect PatchGrid::BoxRect(int index) {
  return WindowBoxRect(patch_list::Column(index), patch_list::Row(index)).translated(0, -Twips(kTop));
}

int PatchGrid::BoxAt(QPoint point) {
  for (int i = 0; i < patch_list::kPatchCount; ++i) {
    if (BoxRect(i).contains(point)) return i;
  }
  return -1;
}

void PatchGrid::setValue(int index, bool checked) {
  auto& value = values_[static_cast<size_t>(index)];
  if (value == checked) return;
  value = checked;
  UpdateBox(index);
}

void PatchGrid::setBoxEnabled(int index, bool enabled) {
  auto& flag = enabled_[static_cast<size_t>(index)];
  if (flag == enabled) return;
  flag = enabled;
  UpdateBox(index);
  if (!enabled && index == current_) {
    current_ = 0;  // patch 0 is inside every grid size
    UpdateBox(current_);
  }
}

int PatchGrid::checkedCount() const {
  int count = 0;
  for (const bool v : values_) count += v;
  return count;
}

void PatchGrid::clickBox(int index) {
  if (index < 0 || index >= patch_list::kPatchCount || !isBoxEnabled(index)) return;
  const int before = current_;
  current_ = index;
  UpdateBox(before);
  setValue(index, !value(index));
  UpdateBox(index);
}

void PatchGrid::UpdateBox(int index) { update(BoxRect(index).adjusted(-2, -2, 2, 2)); }

void PatchGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect dirty = event->rect();
  painter.setPen(palette().color(QPalette::WindowText));
  const int textHeight = fontMetrics().height();
  for (int n = 0; n < patch_list::kSide; ++n) {
    const QStaticText& number = numbers_[static_cast<size_t>(n)];
    const QRect column = ColumnLabelRect(n).translated(0, -Twips(kTop));
    if (dirty.intersects(column)) painter.drawStaticText(column.topLeft(), number);
    const QRect row = RowLabelRect(n).translated(0, -Twips(kTop));
    if (dirty.intersects(row)) painter.drawStaticText(row.left(), row.top() + (row.height() - textHeight) / 2, number);
  }

  for (int i = 0; i < patch_list::kPatchCount; ++i) {
    const QRect box = BoxRect(i);
    if (!dirty.intersects(box.adjusted(-2, -2, 2, 2))) continue;
    const QPixmap& look = Indicator(isBoxEnabled(i), value(i), i == pressed_ && !dragging_);
    const QSize size = look.deviceIndependentSize().toSize();
    const QRect indicator(box.left(), box.top() + (box.height() - size.height()) / 2, size.width(), size.height());
    painter.drawPixmap(indicator.topLeft(), look);
    if (hasFocus() && i == current_) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = indicator.adjusted(-2, -2, 2, 2);
      style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
  }
}

const QPixmap& PatchGrid::Indicator(bool enabled, bool checked, bool sunken) {
  const qreal ratio = devicePixelRatioF();
  if (ratio != indicatorRatio_) {
    for (QPixmap& look : indicators_) look = QPixmap();
    indicatorRatio_ = ratio;
  }
  QPixmap& look = indicators_[(enabled ? 4 : 0) + (checked ? 2 : 0) + (sunken ? 1 : 0)];
  if (look.isNull()) {
    QStyleOptionButton option;
    option.initFrom(this);
    // One look serves every box: without the widget as its object, a style
    // that animates check boxes (the Windows one) cannot cache the first
    // frame of a transition in place of the checked look.
    option.styleObject = nullptr;
    const int width = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
    const int height = style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this);
    option.rect = QRect(0, 0, width, height);
    option.state = (enabled ? QStyle::State_Enabled : QStyle::State_None) |
                   (checked ? QStyle::State_On : QStyle::State_Off) | (sunken ? QStyle::State_Sunken : QStyle::State_None);
    option.palette.setCurrentColorGroup(enabled ? QPalette::Active : QPalette::Disabled);
    look = QPixmap(QSize(width, height) * ratio);
    look.setDevicePixelRatio(ratio);
    look.fill(Qt::transparent);
    QPainter painter(&look);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
  }
  return look;
}

void PatchGrid::changeEvent(QEvent* event) {
  if (event->type() == QEvent::StyleChange || event->type() == QEvent::PaletteChange) {
    for (QPixmap& look : indicators_) look = QPixmap();
  }
  QWidget::changeEvent(event);
}

void PatchGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const int box = BoxAt(event->position().toPoint());
  if (box < 0 || !isBoxEnabled(box)) return;
  pressed_ = box;
  UpdateBox(box);
}

// Moving on to another box with the button held marks by dragging: the
// first box toggles as a click would, every enabled box passed over takes
// its new state.
void PatchGrid::mouseMoveEvent(QMouseEvent* event) {
  if (pressed_ < 0 || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
  const int box = BoxAt(event->position().toPoint());
  if (!dragging_) {
    if (box < 0 || box == pressed_) return;
    dragging_ = true;
    UpdateBox(pressed_);
    clickBox(pressed_);
    dragValue_ = value(pressed_);
  }
  if (box >= 0 && isBoxEnabled(box)) setValue(box, dragValue_);
}

void PatchGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || pressed_ < 0) return QWidget::mouseReleaseEvent(event);
  const int box = pressed_;
  pressed_ = -1;
  UpdateBox(box);
  if (std::exchange(dragging_, false)) return;
  // Like a check box: the click counts where it was released on the same box.
  if (BoxAt(event->position().toPoint()) == box) clickBox(box);
}

void PatchGrid::keyPressEvent(QKeyEvent* event) {
  int column = patch_list::Column(current_);
  int row = patch_list::Row(current_);
  switch (event->key()) {
    case Qt::Key_Space:
      clickBox(current_);
      return;
    case Qt::Key_Left:
      --column;
      break;
    case Qt::Key_Right:
      ++column;
      break;
    case Qt::Key_Up:
      ++row;  // row 0 is the bottom row
      break;
    case Qt::Key_Down:
      --row;
      break;
    default:
      return QWidget::keyPressEvent(event);
  }
  if (column < 0 || column >= patch_list::kSide || row < 0 || row >= patch_list::kSide) return;
  const int next = row * patch_list::kSide + column;
  if (!isBoxEnabled(next)) return;
  const int before = current_;
  current_ = next;
  UpdateBox(before);
  UpdateBox(next);
}

void PatchGrid::focusInEvent(QFocusEvent* event) {
  if (!isBoxEnabled(current_)) current_ = 0;
  UpdateBox(current_);
  QWidget::focusInEvent(event);
}

void PatchGrid::focusOutEvent(QFocusEvent* event) {
  UpdateBox(current_);
  QWidget::focusOutEvent(event);
}
