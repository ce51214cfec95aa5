#include "main_window/patch_grid.h"

#include "main_window/box_outline.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <utility>

#include "main_window/patch_grid_accessible.h"
#include "main_window/twips.h"

namespace {

// The control spans the window from the column numbers (top 885) down to
// the bottom row of boxes; the layout below is in window twips.
constexpr int kTop = 885;
constexpr int kBoxLeft = 225;
constexpr int kBottomRowTop = 5610;
constexpr int kPitch = 300;
constexpr int kBoxSize = 240;
constexpr int kWidth = 4950;       // the window's client area
constexpr int kIndicator = 195;    // the largest box drawn, 13 pixels
constexpr qreal kDisabledOpacity = 0.4;

QRect WindowBoxRect(int column, int row) {
  return TwipsRect(kBoxLeft + kPitch * column, kBottomRowTop - kPitch * row, kBoxSize, kBoxSize);
}


double Luminance(const QColor& colour) {
  const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

// The focus mark in the palette's accent where that stands out clearly
// (3:1) against the window, else in the window's text colour.
QColor FocusColour(const QPalette& palette) {
  const QColor accent = palette.color(QPalette::Highlight);
  if (PatchGrid::Contrast(accent, palette.color(QPalette::Window)) >= 3) return accent;
  return palette.color(QPalette::WindowText);
}

// Assistive technology follows the boxes' states and the keyboard focus.
void Announce(QAccessibleEvent&& event, int index) {
  if (!QAccessible::isActive()) return;
  event.setChild(index);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

QString TwoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

PatchGrid::PatchGrid(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CheckBoxArray"));
  setFocusPolicy(Qt::StrongFocus);
  // Before anything asks for the grid's interface, which Qt keeps once made.
  static const bool accessible = (QAccessible::installFactory(&PatchGridAccessible::Create), true);
  Q_UNUSED(accessible);
  setAccessibleName(QStringLiteral("Patches"));
  setAccessibleDescription(QStringLiteral("Row 00 is at the bottom."));
  setGeometry(QRect(0, Twips(kTop), Twips(4950), Twips(kBottomRowTop + kBoxSize) - Twips(kTop)));
  for (int n = 0; n < patch_list::kSide; ++n) {
    numbers_[static_cast<size_t>(n)].setText(TwoDigits(n));
    numbers_[static_cast<size_t>(n)].setPerformanceHint(QStaticText::AggressiveCaching);
  }
}

QSize PatchGrid::sizeHint() const { return size(); }

// Column 15 as given ends one pixel past the client area; it ends at its edge.
QRect PatchGrid::BoxRect(int index) {
  const QRect box = WindowBoxRect(patch_list::Column(index), patch_list::Row(index)).translated(0, -Twips(kTop));
  return box & QRect(0, box.top(), Twips(kWidth), box.height());
}

QRect PatchGrid::ColumnNumberRect(int column) {
  const QRect label = TwipsRect(kBoxLeft + kPitch * column, kTop, kBoxSize, kBoxSize).translated(0, -Twips(kTop));
  return label & QRect(0, label.top(), Twips(kWidth), label.height());
}

QRect PatchGrid::RowNumberRect(int row) {
  return TwipsRect(0, kBottomRowTop - kPitch * row, kBoxLeft, kBoxSize).translated(0, -Twips(kTop));
}

QString PatchGrid::BoxName(int index) {
  return QStringLiteral("Column %1, row %2").arg(TwoDigits(patch_list::Column(index)), TwoDigits(patch_list::Row(index)));
}

double PatchGrid::Contrast(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
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
  QAccessible::State changed;
  changed.checked = true;
  Announce(QAccessibleStateChangeEvent(this, changed), index);
}

void PatchGrid::setBoxEnabled(int index, bool enabled) {
  auto& flag = enabled_[static_cast<size_t>(index)];
  if (flag == enabled) return;
  flag = enabled;
  UpdateBox(index);
  QAccessible::State changed;
  changed.disabled = true;
  Announce(QAccessibleStateChangeEvent(this, changed), index);
  if (!enabled && index == current_) SetCurrent(0);  // patch 0 is inside every grid size
}

void PatchGrid::SetCurrent(int index) {
  const int before = std::exchange(current_, index);
  UpdateBox(before);
  UpdateBox(index);
  if (hasFocus() && before != index) Announce(QAccessibleEvent(this, QAccessible::Focus), index);
}


void PatchGrid::clickBox(int index) {
  if (index < 0 || index >= patch_list::kPatchCount || !isBoxEnabled(index)) return;
  SetCurrent(index);
  setValue(index, !value(index));
}

void PatchGrid::UpdateBox(int index) { update(BoxRect(index).adjusted(-2, -2, 2, 2)); }

void PatchGrid::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect dirty = event->rect();
  painter.setPen(palette().color(QPalette::WindowText));
  const int textHeight = fontMetrics().height();
  for (int n = 0; n < patch_list::kSide; ++n) {
    const QStaticText& number = numbers_[static_cast<size_t>(n)];
    const QRect column = ColumnNumberRect(n);
    if (dirty.intersects(column)) painter.drawStaticText(column.topLeft(), number);
    const QRect row = RowNumberRect(n);
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
      // A solid ring two pixels wide round the box: the style's dotted
      // focus frame is hard to see on 256 boxes.
      painter.save();
      painter.setPen(QPen(FocusColour(palette()), 2));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRectF(indicator).adjusted(-1, -1, 1, 1));
      painter.restore();
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
    // At most 13 pixels, so that the focus ring round column 15 stays inside.
    const int width = std::min(style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this), Twips(kIndicator));
    const int height = std::min(style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this), Twips(kIndicator));
    option.rect = QRect(0, 0, width, height);
    option.state = (enabled ? QStyle::State_Enabled : QStyle::State_None) |
                   (checked ? QStyle::State_On : QStyle::State_Off) | (sunken ? QStyle::State_Sunken : QStyle::State_None);
    option.palette.setCurrentColorGroup(enabled ? QPalette::Active : QPalette::Disabled);
    look = QPixmap(QSize(width, height) * ratio);
    look.setDevicePixelRatio(ratio);
    look.fill(Qt::transparent);
    QPainter painter(&look);
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
    if (enabled) {
      painter.setPen(BoxOutline(palette()));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRectF(0.5, 0.5, width - 1, height - 1));
    } else {
      // Faded as well: under many dark palettes a style draws a disabled
      // box exactly as an enabled one, and the active area would not show.
      painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
      painter.fillRect(QRectF(0, 0, width, height), QColor(0, 0, 0, qRound(255 * kDisabledOpacity)));
    }
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
  // A release that went elsewhere (to a dialog opened while the button was
  // down) ends the earlier press here.
  if (pressed_ >= 0) UpdateBox(std::exchange(pressed_, -1));
  dragging_ = false;
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
  SetCurrent(next);
}

void PatchGrid::focusInEvent(QFocusEvent* event) {
  if (!isBoxEnabled(current_)) current_ = 0;
  UpdateBox(current_);
  QWidget::focusInEvent(event);
  Announce(QAccessibleEvent(this, QAccessible::Focus), current_);
}

bool PatchGrid::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const QPoint point = static_cast<QHelpEvent*>(event)->pos();
  const QString bottom = QStringLiteral(" (row 00 is at the bottom)");
  QString tip;
  QRect area;
  if (const int box = BoxAt(point); box >= 0) {
    tip = BoxName(box) + bottom;
    if (!isBoxEnabled(box)) tip += QStringLiteral("\nOutside the grid size chosen above");
    area = BoxRect(box);
  }
  for (int n = 0; n < patch_list::kSide && tip.isEmpty(); ++n) {
    if (ColumnNumberRect(n).contains(point)) {
      tip = QStringLiteral("Column ") + TwoDigits(n);
      area = ColumnNumberRect(n);
    } else if (RowNumberRect(n).contains(point)) {
      tip = QStringLiteral("Row ") + TwoDigits(n) + bottom;
      area = RowNumberRect(n);
    }
  }
  if (tip.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, this, area);
  }
  return true;
}

void PatchGrid::focusOutEvent(QFocusEvent* event) {
  UpdateBox(current_);
  QWidget::focusOutEvent(event);
}
