#include "main_window/colour_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <qdrawutil.h>

ColourButton::ColourButton(const QString& caption, QColor face, QWidget* parent)
    : QPushButton(caption, parent), face_(face) {}

void ColourButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  QPalette palette = option.palette;
  palette.setColor(QPalette::Button, face_);
  palette.setColor(QPalette::ButtonText, Qt::black);
  const bool down = isDown() || isChecked();
  qDrawWinButton(&painter, rect(), palette, down, &palette.brush(QPalette::Button));
  if (hasFocus() || isDefault()) {
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  option.palette = palette;
  option.rect = rect().adjusted(2, 2, -2, -2).translated(down ? 1 : 0, down ? 1 : 0);
  option.state &= ~QStyle::State_HasFocus;
  painter.drawControl(QStyle::CE_PushButtonLabel, option);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(4, 4, -4, -4);
    focus.backgroundColor = face_;
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}
